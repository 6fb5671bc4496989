#include "QrEngineCoreClasses.h"

#include "QrAVObject.h"
#include "QrAction.h"
#include "QrCamera.h"
#include "QrCameraAction.h"
#include "QrNode.h"
#include "QrObject.h"
#include "QrScreenPolygon.h"
#include "QrUser.h"
#include "QrUserAction.h"

void RegisterEngineCoreClasses()
{
    QrObject::RegisterCreateFunction();
    QrAVObject::RegisterCreateFunction();
    QrAction::RegisterCreateFunction();
    QrCamera::RegisterCreateFunction();
    QrCameraAction::RegisterCreateFunction();
    QrNode::RegisterCreateFunction();
    QrScreenPolygon::RegisterCreateFunction();
    QrUser::RegisterCreateFunction();
    QrUserAction::RegisterCreateFunction();
}
