#include "QrEngineCoreClasses.h"

#include "QrAVObject.h"
#include "QrAction.h"
#include "QrGeometry.h"
#include "QrImage.h"
#include "QrNode.h"
#include "QrObject.h"
#include "QrRawImageData.h"
#include "QrTriBasedGeom.h"
#include "QrTriShape.h"
#include "QrUser.h"
#include "QrUserAction.h"

void RegisterEngineCoreClasses()
{
    QrObject::RegisterCreateFunction();
    QrAVObject::RegisterCreateFunction();
    QrAction::RegisterCreateFunction();
    QrGeometry::RegisterCreateFunction();
    QrNode::RegisterCreateFunction();
    QrTriBasedGeom::RegisterCreateFunction();
    QrTriShape::RegisterCreateFunction();
    QrImage::RegisterCreateFunction();
    QrRawImageData::RegisterCreateFunction();
    QrUser::RegisterCreateFunction();
    QrUserAction::RegisterCreateFunction();
}
