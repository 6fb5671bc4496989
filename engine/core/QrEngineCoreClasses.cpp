#include "QrEngineCoreClasses.h"

#include "QrAction.h"
#include "QrObject.h"

void RegisterEngineCoreClasses()
{
    QrObject::RegisterCreateFunction();
    QrAction::RegisterCreateFunction();
}
