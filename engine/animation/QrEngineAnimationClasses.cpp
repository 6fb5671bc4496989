#include "QrEngineAnimationClasses.h"

#include "QrEngineCoreClasses.h"

void RegisterEngineAnimationClasses()
{
    RegisterEngineCoreClasses();
}
