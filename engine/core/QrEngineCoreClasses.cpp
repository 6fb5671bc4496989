#include "QrEngineCoreClasses.h"

#include "QrAction.h"
#include "QrObject.h"
#include "QrRender.h"

void RegisterEngineCoreClasses()
{
    QrObject::RegisterCreateFunction();
    QrAction::RegisterCreateFunction();
    QrRender::RegisterCreateFunction();
}
