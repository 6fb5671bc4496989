#include "QrEngineCoreClasses.h"

#include "QrAVObject.h"
#include "QrAudioEmitter.h"
#include "QrAction.h"
#include "QrDisplay.h"
#include "QrLight.h"
#include "QrNode.h"
#include "QrObject.h"
#include "QrUser.h"
#include "QrUserAction.h"

void RegisterEngineCoreClasses()
{
    QrObject::RegisterCreateFunction();
    QrAVObject::RegisterCreateFunction();
    QrAction::RegisterCreateFunction();
    QrAudioEmitter::RegisterCreateFunction();
    QrDisplay::RegisterCreateFunction();
    QrLight::RegisterCreateFunction();
    QrNode::RegisterCreateFunction();
    QrUser::RegisterCreateFunction();
    QrUserAction::RegisterCreateFunction();
}
