#include "QrEngineCoreClasses.h"

#include "QrAutoNormalParticles.h"
#include "QrEngineSceneClasses.h"
#include "QrEnvMappedTriShape.h"
#include "QrGeometry.h"
#include "QrLines.h"
#include "QrParticles.h"
#include "QrShadowLight.h"
#include "QrTerrainPage.h"
#include "QrTriBasedGeom.h"
#include "QrTriShape.h"
#include "QrTriStrip.h"
#include "QrTriangles.h"

void RegisterEngineCoreClasses()
{
    RegisterEngineSceneClasses();
    QrAutoNormalParticles::RegisterCreateFunction();
    QrEnvMappedTriShape::RegisterCreateFunction();
    QrGeometry::RegisterCreateFunction();
    QrLines::RegisterCreateFunction();
    QrParticles::RegisterCreateFunction();
    QrShadowLight::RegisterCreateFunction();
    QrTerrainPage::RegisterCreateFunction();
    QrTriBasedGeom::RegisterCreateFunction();
    QrTriShape::RegisterCreateFunction();
    QrTriStrip::RegisterCreateFunction();
    QrTriangles::RegisterCreateFunction();
}
