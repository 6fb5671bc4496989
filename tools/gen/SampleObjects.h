#pragma once
// Populated objects the area generators write into their own sample scenes, for scenes that
// combine them. Every call makes new objects, each away from its class's defaults.

#include "QrImage.h"
#include "QrPointer.h"

#include <vector>

class Qr3dsAlphaAnimator;
class Qr3dsAnimationNode;
class Qr3dsBone;
class Qr3dsMorphShape;
class Qr3dsParticleSystem;
class Qr3dsPathController;
class Qr3dsSkin;
class Qr3dsSkinAndBone;
class QrAudioEmitter;
class QrAutoNormalParticles;
class QrCamera;
class QrColorA;
class QrEnvMappedTriShape;
class QrLight;
class QrLines;
class QrMaterialProperty;
class QrNode;
class QrObject;
class QrMeshCollider;
class QrParticleBomb;
class QrParticles;
class QrPoint3;
class QrProjectedLight;
class QrScreenPolygon;
class QrShadowLight;
class QrTriStrip;
class QrTriangles;
class QrUser;

namespace gen
{

class Context;

// While one lives, images are made as stand-ins that only carry their source into scene files:
// the generator has no renderer.
class NamedImages
{
public:
    NamedImages();
    ~NamedImages();
    NamedImages(const NamedImages&) = delete;
    NamedImages& operator=(const NamedImages&) = delete;

private:
    QrImage::CreateHook m_previous;
};

// --- animation
// A key-framed body with arm, hand, head and flag nodes (every key kind).
QrPointer<Qr3dsAnimationNode> MakeAnimatedModel();
// Closed: TCB keys back to the start at constant speed; open: Bezier keys.
QrPointer<Qr3dsPathController> MakePathController(bool closed);
QrPointer<Qr3dsAlphaAnimator> MakeAlphaFade(QrMaterialProperty* target);

// --- skins, morph shapes and particles
// A tube skinned to a bone tree, posed at time 0 by its binding (which joins the program-wide
// binding list: release it with Qr3dsSkinAndBone::FreeSharedBuffers). Hang the root bone and
// the skin in one tree; the binding stands beside it.
struct SkinnedModel
{
    QrPointer<Qr3dsBone> rootBone;
    QrPointer<Qr3dsSkin> skin;
    QrPointer<Qr3dsSkinAndBone> binding;
};
SkinnedModel MakeSkinnedModel();
QrPointer<Qr3dsMorphShape> MakeMorphShape();
// Particles with gravity, a planar and a spherical collider, two particles in the air.
QrPointer<Qr3dsParticleSystem> MakeFountain();
QrPointer<QrParticleBomb> MakeBlast();
QrPointer<QrMeshCollider> MakeMeshCollider(QrObject* mesh);

// --- engine objects
std::vector<QrPointer<QrUser>> MakeSampleUsers();

// --- geometry
QrPointer<QrTriangles> MakeCutFan();
QrPointer<QrTriStrip> MakeRibbon();
// Lines: stored, never drawn.
QrPointer<QrLines> MakeZigzag();
QrPointer<QrParticles> MakeSparks();
// A material that glows white: points, which have no normals, show their own colours under it.
QrPointer<QrMaterialProperty> MakeGlowMaterial(const char* name);
QrPointer<QrAutoNormalParticles> MakeBubbles();
QrPointer<QrEnvMappedTriShape> MakeChromeLure();
// Without receivers: attach them once the scene has had a world update.
QrPointer<QrShadowLight> MakeBoatShadow();
QrPointer<QrProjectedLight> MakeCaustics();

// --- lights: ambient, directional, point and spot, in that order; none lights anything yet
std::vector<QrPointer<QrLight>> MakeLightKinds();
QrPointer<QrAudioEmitter> MakeLoonCall();

// --- properties: one of every type in type-id order, then the flip-book action on the texture
std::vector<QrPointer<QrObject>> MakeSampleProperties(Context& context);

// --- scene graph
// A screen rectangle in fractions of the display, one colour.
QrPointer<QrScreenPolygon> MakePanel(float left, float bottom, float right, float top, const QrColorA& color);
// A camera at eye looking at target that draws root through the display pass, with two screen
// polygons (the second blended).
QrPointer<QrCamera> MakeOverlayCamera(QrNode* root, const QrPoint3& eye, const QrPoint3& target);

// --- special nodes: switch, LOD, billboard, BSP, collision switch, flip-book animation
std::vector<QrPointer<QrNode>> MakeSpecialNodes();

} // namespace gen
