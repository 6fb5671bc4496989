#include "QrEngineCoreClasses.h"

#include "QrAVObject.h"
#include "QrAction.h"
#include "QrAlphaProperty.h"
#include "QrAudioEmitter.h"
#include "QrAudioProperty.h"
#include "QrAutoNormalParticles.h"
#include "QrBSPNode.h"
#include "QrBillboardNode.h"
#include "QrCamera.h"
#include "QrCameraAction.h"
#include "QrCollisionSwitch.h"
#include "QrCorrectionProperty.h"
#include "QrDisplay.h"
#include "QrDitherProperty.h"
#include "QrEnvMappedTriShape.h"
#include "QrFlipTextures.h"
#include "QrFltAnimationNode.h"
#include "QrFogProperty.h"
#include "QrGeometry.h"
#include "QrImage.h"
#include "QrLODNode.h"
#include "QrLight.h"
#include "QrLines.h"
#include "QrMaterialProperty.h"
#include "QrMultiTextureProperty.h"
#include "QrNode.h"
#include "QrObject.h"
#include "QrParticles.h"
#include "QrProjectedLight.h"
#include "QrProperty.h"
#include "QrRawImageData.h"
#include "QrRender.h"
#include "QrScreenPolygon.h"
#include "QrShadeProperty.h"
#include "QrShadowLight.h"
#include "QrSpecularProperty.h"
#include "QrSwitchNode.h"
#include "QrTerrainPage.h"
#include "QrTextureModeProperty.h"
#include "QrTextureProperty.h"
#include "QrTransparentProperty.h"
#include "QrTriBasedGeom.h"
#include "QrTriShape.h"
#include "QrTriStrip.h"
#include "QrTriangles.h"
#include "QrUser.h"
#include "QrUserAction.h"
#include "QrVertexColorProperty.h"
#include "QrWireframeProperty.h"
#include "QrZBufferProperty.h"

void RegisterEngineCoreClasses()
{
    QrObject::RegisterCreateFunction();
    QrAVObject::RegisterCreateFunction();
    QrAction::RegisterCreateFunction();
    QrAlphaProperty::RegisterCreateFunction();
    QrAudioEmitter::RegisterCreateFunction();
    QrAudioProperty::RegisterCreateFunction();
    QrAutoNormalParticles::RegisterCreateFunction();
    QrBSPNode::RegisterCreateFunction();
    QrBillboardNode::RegisterCreateFunction();
    QrCamera::RegisterCreateFunction();
    QrCameraAction::RegisterCreateFunction();
    QrCollisionSwitch::RegisterCreateFunction();
    QrCorrectionProperty::RegisterCreateFunction();
    QrDisplay::RegisterCreateFunction();
    QrDitherProperty::RegisterCreateFunction();
    QrEnvMappedTriShape::RegisterCreateFunction();
    QrFlipTextures::RegisterCreateFunction();
    QrFltAnimationNode::RegisterCreateFunction();
    QrFogProperty::RegisterCreateFunction();
    QrGeometry::RegisterCreateFunction();
    QrImage::RegisterCreateFunction();
    QrLODNode::RegisterCreateFunction();
    QrLight::RegisterCreateFunction();
    QrLines::RegisterCreateFunction();
    QrMaterialProperty::RegisterCreateFunction();
    QrMultiTextureProperty::RegisterCreateFunction();
    QrNode::RegisterCreateFunction();
    QrParticles::RegisterCreateFunction();
    QrProjectedLight::RegisterCreateFunction();
    QrProperty::RegisterCreateFunction();
    QrRawImageData::RegisterCreateFunction();
    QrRender::RegisterCreateFunction();
    QrScreenPolygon::RegisterCreateFunction();
    QrShadeProperty::RegisterCreateFunction();
    QrShadowLight::RegisterCreateFunction();
    QrSpecularProperty::RegisterCreateFunction();
    QrSwitchNode::RegisterCreateFunction();
    QrTerrainPage::RegisterCreateFunction();
    QrTextureModeProperty::RegisterCreateFunction();
    QrTextureProperty::RegisterCreateFunction();
    QrTransparentProperty::RegisterCreateFunction();
    QrTriBasedGeom::RegisterCreateFunction();
    QrTriShape::RegisterCreateFunction();
    QrTriStrip::RegisterCreateFunction();
    QrTriangles::RegisterCreateFunction();
    QrUser::RegisterCreateFunction();
    QrUserAction::RegisterCreateFunction();
    QrVertexColorProperty::RegisterCreateFunction();
    QrWireframeProperty::RegisterCreateFunction();
    QrZBufferProperty::RegisterCreateFunction();
}
