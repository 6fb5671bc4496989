#include "QrEngineCoreClasses.h"

#include "QrAction.h"
#include "QrImage.h"
#include "QrObject.h"
#include "QrRawImageData.h"

void RegisterEngineCoreClasses()
{
    QrObject::RegisterCreateFunction();
    QrAction::RegisterCreateFunction();
    QrImage::RegisterCreateFunction();
    QrRawImageData::RegisterCreateFunction();
}
