#include "QrEngineCoreClasses.h"

#include "QrAVObject.h"
#include "QrAction.h"
#include "QrNode.h"
#include "QrObject.h"

void RegisterEngineCoreClasses()
{
    QrObject::RegisterCreateFunction();
    QrAVObject::RegisterCreateFunction();
    QrAction::RegisterCreateFunction();
    QrNode::RegisterCreateFunction();
}
