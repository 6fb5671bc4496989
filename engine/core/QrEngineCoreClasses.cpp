#include "QrEngineCoreClasses.h"

#include "QrAction.h"
#include "QrImage.h"
#include "QrObject.h"
#include "QrRawImageData.h"
#include "QrRender.h"
#include "QrUser.h"
#include "QrUserAction.h"

void RegisterEngineCoreClasses()
{
    QrObject::RegisterCreateFunction();
    QrAction::RegisterCreateFunction();
    QrImage::RegisterCreateFunction();
    QrRawImageData::RegisterCreateFunction();
    QrRender::RegisterCreateFunction();
    QrUser::RegisterCreateFunction();
    QrUserAction::RegisterCreateFunction();
}
