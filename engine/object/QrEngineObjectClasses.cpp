#include "QrEngineObjectClasses.h"

#include "QrAction.h"
#include "QrImage.h"
#include "QrObject.h"
#include "QrRawImageData.h"
#include "QrUser.h"
#include "QrUserAction.h"

void RegisterEngineObjectClasses()
{
    QrObject::RegisterCreateFunction();
    QrAction::RegisterCreateFunction();
    QrImage::RegisterCreateFunction();
    QrRawImageData::RegisterCreateFunction();
    QrUser::RegisterCreateFunction();
    QrUserAction::RegisterCreateFunction();
}
