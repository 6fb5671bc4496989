#include "QrEngineCoreClasses.h"

#include "QrAVObject.h"
#include "QrAction.h"
#include "QrNode.h"
#include "QrObject.h"
#include "QrUser.h"
#include "QrUserAction.h"

void RegisterEngineCoreClasses()
{
    QrObject::RegisterCreateFunction();
    QrAVObject::RegisterCreateFunction();
    QrAction::RegisterCreateFunction();
    QrNode::RegisterCreateFunction();
    QrUser::RegisterCreateFunction();
    QrUserAction::RegisterCreateFunction();
}
