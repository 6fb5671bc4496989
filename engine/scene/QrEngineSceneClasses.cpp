#include "QrEngineSceneClasses.h"

#include "QrAVObject.h"
#include "QrAlphaProperty.h"
#include "QrAudioEmitter.h"
#include "QrAudioProperty.h"
#include "QrBSPNode.h"
#include "QrBillboardNode.h"
#include "QrCamera.h"
#include "QrCameraAction.h"
#include "QrCollisionSwitch.h"
#include "QrCorrectionProperty.h"
#include "QrDisplay.h"
#include "QrDitherProperty.h"
#include "QrEngineObjectClasses.h"
#include "QrFlipTextures.h"
#include "QrFltAnimationNode.h"
#include "QrFogProperty.h"
#include "QrLODNode.h"
#include "QrLight.h"
#include "QrMaterialProperty.h"
#include "QrMultiTextureProperty.h"
#include "QrNode.h"
#include "QrProjectedLight.h"
#include "QrProperty.h"
#include "QrRender.h"
#include "QrSceneGraphCheck.h"
#include "QrScreenPolygon.h"
#include "QrShadeProperty.h"
#include "QrSpecularProperty.h"
#include "QrSwitchNode.h"
#include "QrTextureModeProperty.h"
#include "QrTextureProperty.h"
#include "QrTransparentProperty.h"
#include "QrVertexColorProperty.h"
#include "QrWireframeProperty.h"
#include "QrZBufferProperty.h"

void RegisterEngineSceneClasses()
{
    RegisterEngineObjectClasses();
    QrSceneGraphCheck::Register();
    QrAVObject::RegisterCreateFunction();
    QrAlphaProperty::RegisterCreateFunction();
    QrAudioEmitter::RegisterCreateFunction();
    QrAudioProperty::RegisterCreateFunction();
    QrBSPNode::RegisterCreateFunction();
    QrBillboardNode::RegisterCreateFunction();
    QrCamera::RegisterCreateFunction();
    QrCameraAction::RegisterCreateFunction();
    QrCollisionSwitch::RegisterCreateFunction();
    QrCorrectionProperty::RegisterCreateFunction();
    QrDisplay::RegisterCreateFunction();
    QrDitherProperty::RegisterCreateFunction();
    QrFlipTextures::RegisterCreateFunction();
    QrFltAnimationNode::RegisterCreateFunction();
    QrFogProperty::RegisterCreateFunction();
    QrLODNode::RegisterCreateFunction();
    QrLight::RegisterCreateFunction();
    QrMaterialProperty::RegisterCreateFunction();
    QrMultiTextureProperty::RegisterCreateFunction();
    QrNode::RegisterCreateFunction();
    QrProjectedLight::RegisterCreateFunction();
    QrProperty::RegisterCreateFunction();
    QrRender::RegisterCreateFunction();
    QrScreenPolygon::RegisterCreateFunction();
    QrShadeProperty::RegisterCreateFunction();
    QrSpecularProperty::RegisterCreateFunction();
    QrSwitchNode::RegisterCreateFunction();
    QrTextureModeProperty::RegisterCreateFunction();
    QrTextureProperty::RegisterCreateFunction();
    QrTransparentProperty::RegisterCreateFunction();
    QrVertexColorProperty::RegisterCreateFunction();
    QrWireframeProperty::RegisterCreateFunction();
    QrZBufferProperty::RegisterCreateFunction();
}
