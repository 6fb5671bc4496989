#include "SampleData.h"

namespace gen
{

void GenerateEngineScenes(Context&)
{
}

} // namespace gen
