#include "qrxFrameworkClasses.h"

#include "QrEngineAnimationClasses.h"

void RegisterFrameworkClasses()
{
    RegisterEngineAnimationClasses();
}
