#include "qrxFrameworkClasses.h"

#include "qrxAnimatedTextureProperty.h"
#include "qrxLineStrip.h"
#include "qrxVLineStrip.h"

#include "QrEngineAnimationClasses.h"

void RegisterFrameworkClasses()
{
    RegisterEngineAnimationClasses();
    qrxAnimatedTextureProperty::RegisterCreateFunction();
    qrxLineStrip::RegisterCreateFunction();
    qrxVLineStrip::RegisterCreateFunction();
}
