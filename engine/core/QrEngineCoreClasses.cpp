#include "QrEngineCoreClasses.h"

#include "QrAction.h"
#include "QrObject.h"
#include "QrUser.h"
#include "QrUserAction.h"

void RegisterEngineCoreClasses()
{
    QrObject::RegisterCreateFunction();
    QrAction::RegisterCreateFunction();
    QrUser::RegisterCreateFunction();
    QrUserAction::RegisterCreateFunction();
}
