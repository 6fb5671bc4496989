// The kitchen sink: the populated objects of every area in one lit tree under one camera, so that
// whoever reads or draws scene files meets every class at once. Written, then read back and
// compared with the class registry: a registered class missing from the file is an error, which
// keeps the scene complete as classes are added.

#include "GenKitchenSink.h"

#include "GenImages.h"
#include "SampleData.h"
#include "SampleObjects.h"
#include "SampleShapes.h"

#include "Qr3dsAlphaAnimator.h"
#include "Qr3dsAnimationNode.h"
#include "Qr3dsBone.h"
#include "Qr3dsMorphShape.h"
#include "Qr3dsParticleSystem.h"
#include "Qr3dsPathController.h"
#include "Qr3dsSkin.h"
#include "Qr3dsSkinAndBone.h"
#include "QrAction.h"
#include "QrAudioEmitter.h"
#include "QrAutoNormalParticles.h"
#include "QrCamera.h"
#include "QrColorA.h"
#include "QrCreateFunctionMap.h"
#include "QrDisplay.h"
#include "QrEnvMappedTriShape.h"
#include "QrLight.h"
#include "QrLines.h"
#include "QrMaterialProperty.h"
#include "QrMeshCollider.h"
#include "QrNode.h"
#include "QrParticleBomb.h"
#include "QrParticles.h"
#include "QrProjectedLight.h"
#include "QrScreenPolygon.h"
#include "QrShadowLight.h"
#include "QrStream.h"
#include "QrTerrainPage.h"
#include "QrTextureProperty.h"
#include "QrTriStrip.h"
#include "QrTriangles.h"
#include "QrUser.h"

#include <algorithm>
#include <set>

namespace gen
{

namespace
{

QrPointer<QrNode> Group(QrNode* parent, const char* name, float x, float y, float z)
{
    QrPointer<QrNode> node = new QrNode;
    node->SetName(name);
    node->SetTranslate(x, y, z);
    parent->AttachChild(node.Get());
    return node;
}

// The framework's (qrx) and the game's (tov) classes are proven by their own samples and tests:
// engine-only readers of this file must be able to load it.
bool IsCheckedElsewhere(const std::string& name)
{
    return name.compare(0, 3, "qrx") == 0 || name.compare(0, 3, "tov") == 0;
}

// The registered class of every object the written file holds, as the loader makes them.
void CheckEveryClassIsPresent(Context& context)
{
    const std::string file = kKitchenSinkFile;
    std::set<std::string> present;
    {
        QrStream stream;
        const bool loaded = stream.Load(context.PathFor(file).c_str());
        for (uint32_t i = 0; loaded && i < stream.GetLoadedCount(); ++i)
            if (const char* name = StoredClassName(stream.GetLoadedAt(i)))
                present.insert(name);
        // The file's actions started running when it linked; later scenes must not save them.
        QrAction::RemoveAll();
        if (!loaded)
        {
            context.Error(file + " does not load: " + QrStream::LastErrorMessage + " " + QrStream::LastErrorContext);
            return;
        }
    }
    for (const std::string& name : ConcreteRegisteredClasses())
        if (!present.count(name) && !IsCheckedElsewhere(name))
            context.Error(file + " holds no object of the registered class " + name);
}

} // namespace

std::vector<std::string> ConcreteRegisteredClasses()
{
    std::vector<std::string> names;
    QrCreateFunctionMap::Get().ForEach(
        [&](const char* name, QrCreateFunction create)
        {
            // Abstract classes make nothing; a stream with nothing to read makes a default object.
            QrStream empty;
            QrObject* made = nullptr;
            create(empty, made);
            const QrPointer<QrObject> release(made);
            if (made)
                names.push_back(name);
        });
    std::sort(names.begin(), names.end());
    return names;
}

const char* StoredClassName(const QrObject* object)
{
    for (const QrRTTI* rtti = object ? object->GetRTTI() : nullptr; rtti; rtti = rtti->GetBaseRTTI())
        if (QrCreateFunctionMap::Find(rtti->GetName()))
            return rtti->GetName();
    return nullptr;
}

void GenerateKitchenSink(Context& context)
{
    if (QrAction::GetActionCount() != 0)
    {
        context.Error(std::string(kKitchenSinkFile) + ": actions are running while sample data is written");
        return;
    }
    QrPointer<QrNode> root = new QrNode;
    root->SetName("Kitchen Sink");

    // Every property on one node, over a box: the flip-book turns its texture, the fade its
    // material's alpha.
    QrPointer<QrNode> shapes = Group(root.Get(), "Shapes", 0.0f, 2.0f, 0.0f);
    QrPointer<QrNode> styled = Group(shapes.Get(), "Styled", -6.0f, 0.0f, 0.0f);
    const std::vector<QrPointer<QrObject>> properties = MakeSampleProperties(context);
    QrMaterialProperty* material = nullptr;
    std::vector<QrObject*> actions;
    for (const QrPointer<QrObject>& object : properties)
    {
        if (QrProperty* property = QrDynamicCast<QrProperty>(object.Get()))
            styled->AttachProperty(property);
        else
            actions.push_back(object.Get());
        if (!material)
            material = QrDynamicCast<QrMaterialProperty>(object.Get());
    }
    QrPointer<QrTriShape> crate = MakeBox("Crate", 0.6f, 0.6f, 0.6f, QrColorA(0.7f, 0.6f, 0.3f, 1.0f));
    styled->AttachChild(crate.Get());
    QrPointer<Qr3dsAlphaAnimator> fade = MakeAlphaFade(material);

    // One of each geometry class, each under its own node (their own transforms come along).
    Group(shapes.Get(), "Fan", -4.5f, 0.0f, 1.0f)->AttachChild(MakeCutFan().Get());
    Group(shapes.Get(), "Ribbon", -1.5f, -0.5f, 0.0f)->AttachChild(MakeRibbon().Get());
    Group(shapes.Get(), "Sparks", 3.0f, -1.0f, 0.0f)->AttachChild(MakeSparks().Get());
    Group(shapes.Get(), "Bubbles", 5.5f, -1.0f, 3.0f)->AttachChild(MakeBubbles().Get());
    Group(shapes.Get(), "Chrome", -3.0f, -3.0f, 0.0f)->AttachChild(MakeChromeLure().Get());
    Group(shapes.Get(), "Zigzag", 0.0f, 3.0f, 0.0f)->AttachChild(MakeZigzag().Get());

    // Special nodes below the shapes, and the animated things beside them.
    QrPointer<QrNode> nodes = Group(root.Get(), "Nodes", 0.0f, -3.0f, -2.0f);
    for (const QrPointer<QrNode>& node : MakeSpecialNodes())
        nodes->AttachChild(node.Get());
    QrPointer<QrNode> animated = Group(root.Get(), "Animated", 3.0f, -2.0f, 0.0f);
    QrPointer<Qr3dsAnimationNode> model = MakeAnimatedModel();
    animated->AttachChild(model.Get());
    animated->AttachChild(MakePathController(false).Get());
    animated->AttachChild(MakePathController(true).Get());
    // The skin's bones and the skin hang in the tree, their binding stands beside it.
    const SkinnedModel skinned = MakeSkinnedModel();
    QrPointer<QrNode> skinHolder = Group(animated.Get(), "Skinned", -1.5f, 0.0f, 0.0f);
    skinHolder->AttachChild(skinned.rootBone.Get());
    skinHolder->AttachChild(skinned.skin.Get());
    Group(animated.Get(), "Morph", 1.5f, 0.0f, 0.0f)->AttachChild(MakeMorphShape().Get());
    // The fountain also feels a blast and names the styled box as a mesh collider.
    QrPointer<Qr3dsParticleSystem> fountain = MakeFountain();
    fountain->AddForce(MakeBlast().Get());
    fountain->AddCollider(MakeMeshCollider(crate.Get()).Get());
    Group(animated.Get(), "Fountain", 0.0f, 1.0f, -1.0f)->AttachChild(fountain.Get());

    QrPointer<QrTerrainPage> page = new QrTerrainPage;
    page->SetName("Page_0_0");
    page->SetTranslate(-4.0f, -4.0f, -6.0f);
    root->AttachChild(page.Get());
    root->AttachChild(MakeLoonCall().Get());

    // Lights hang in their own group: ambient and sun light everything, the lantern the shapes
    // and the animated things, the beam the special nodes. The shadow light receives on the
    // shapes beside it.
    QrPointer<QrNode> lights = Group(root.Get(), "Lights", 0.0f, 4.0f, 2.0f);
    const std::vector<QrPointer<QrLight>> kinds = MakeLightKinds();
    for (const QrPointer<QrLight>& light : kinds)
        lights->AttachChild(light.Get());
    kinds[0]->AttachAffectedNode(root.Get());
    kinds[1]->AttachAffectedNode(root.Get());
    kinds[2]->AttachAffectedNode(shapes.Get());
    kinds[2]->AttachAffectedNode(animated.Get());
    kinds[3]->AttachAffectedNode(nodes.Get());
    QrPointer<QrShadowLight> shadow = MakeBoatShadow();
    lights->AttachChild(shadow.Get());
    lights->AttachChild(MakeCaustics().Get());
    root->UpdateAllInstances();
    shadow->AttachReceiver(shapes.Get());

    // The camera draws into its display, with a third screen polygon textured from raw data.
    QrPointer<QrCamera> camera = MakeOverlayCamera(root.Get(), QrPoint3(0.0f, 3.0f, 18.0f), QrPoint3(0, 0, 0));
    camera->SetName("Kitchen Camera");
    QrPointer<QrDisplay> display = new QrDisplay;
    display->SetName("Kitchen Display");
    camera->SetDisplay(display.Get());
    QrPointer<QrScreenPolygon> badge = MakePanel(0.85f, 0.02f, 0.98f, 0.12f, QrColorA(1.0f, 1.0f, 1.0f, 1.0f));
    QrPointer<QrTextureProperty> badgeTexture = new QrTextureProperty;
    badgeTexture->SetName("badge");
    {
        const NamedImages images;
        QrPointer<QrImage> image = QrImage::CreateFromRawData(
            MakeRawImage("badge pixels", MakeColorPicture(QrImagePixels::kFormatRGBA, 16, 8)), 2);
        if (!image)
            context.Error(std::string(kKitchenSinkFile) + ": cannot make an image from raw data");
        badgeTexture->SetImage(image.Get(), 0);
        badgeTexture->SetCurrentIndex(0);
    }
    badge->AttachProperty(badgeTexture.Get());
    camera->AttachScreenPolygon(badge.Get());

    std::vector<QrObject*> topLevel = {root.Get(), camera.Get(), fade.Get(), skinned.binding.Get()};
    topLevel.insert(topLevel.end(), actions.begin(), actions.end());
    const std::vector<QrPointer<QrUser>> users = MakeSampleUsers();
    for (const QrPointer<QrUser>& user : users)
        topLevel.push_back(user.Get());
    const size_t errors = context.Errors().size();
    context.WriteScene(kKitchenSinkFile, topLevel);
    if (context.Errors().size() == errors)
        CheckEveryClassIsPresent(context);
    // Bindings made here and by the check would otherwise live until exit.
    Qr3dsSkinAndBone::FreeSharedBuffers();
}

} // namespace gen
