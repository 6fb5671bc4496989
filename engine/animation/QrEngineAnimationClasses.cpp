#include "QrEngineAnimationClasses.h"

#include "Qr3dsAlphaAnimator.h"
#include "Qr3dsAnimationNode.h"
#include "Qr3dsBone.h"
#include "Qr3dsPathController.h"
#include "Qr3dsPropertyAnimator.h"
#include "QrEngineCoreClasses.h"

void RegisterEngineAnimationClasses()
{
    RegisterEngineCoreClasses();
    Qr3dsAlphaAnimator::RegisterCreateFunction();
    Qr3dsAnimationNode::RegisterCreateFunction();
    Qr3dsBone::RegisterCreateFunction();
    Qr3dsPathController::RegisterCreateFunction();
    Qr3dsPropertyAnimator::RegisterCreateFunction();
}
