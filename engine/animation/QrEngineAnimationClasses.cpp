#include "QrEngineAnimationClasses.h"

#include "Qr3dsAlphaAnimator.h"
#include "Qr3dsAnimationNode.h"
#include "Qr3dsBone.h"
#include "Qr3dsMorphShape.h"
#include "Qr3dsParticleSystem.h"
#include "Qr3dsPathController.h"
#include "Qr3dsPropertyAnimator.h"
#include "Qr3dsSkin.h"
#include "Qr3dsSkinAndBone.h"
#include "QrEngineCoreClasses.h"
#include "QrForce.h"
#include "QrGravity.h"
#include "QrMeshCollider.h"
#include "QrParticleBomb.h"
#include "QrPlanarCollider.h"
#include "QrSphericalCollider.h"

void RegisterEngineAnimationClasses()
{
    RegisterEngineCoreClasses();
    Qr3dsAlphaAnimator::RegisterCreateFunction();
    Qr3dsAnimationNode::RegisterCreateFunction();
    Qr3dsBone::RegisterCreateFunction();
    Qr3dsMorphShape::RegisterCreateFunction();
    Qr3dsParticleSystem::RegisterCreateFunction();
    Qr3dsPathController::RegisterCreateFunction();
    Qr3dsPropertyAnimator::RegisterCreateFunction();
    Qr3dsSkin::RegisterCreateFunction();
    Qr3dsSkinAndBone::RegisterCreateFunction();
    QrForce::RegisterCreateFunction();
    QrGravity::RegisterCreateFunction();
    QrMeshCollider::RegisterCreateFunction();
    QrParticleBomb::RegisterCreateFunction();
    QrPlanarCollider::RegisterCreateFunction();
    QrSphericalCollider::RegisterCreateFunction();
}
