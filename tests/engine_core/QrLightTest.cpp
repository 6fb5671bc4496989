#include "QrLight.h"

#include "PropertyTestHelpers.h"
#include "QrAudioEmitter.h"
#include "QrNode.h"
#include "QrStream.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <string>
#include <vector>

namespace
{

using QrLightTest = proptest::PropertyTest;

std::vector<QrNode*> AffectedNodes(const QrLight* light)
{
    std::vector<QrNode*> nodes;
    for (QrNode* node : light->GetAffectedNodes())
        nodes.push_back(node);
    return nodes;
}

std::vector<QrLight*> NodeLights(const QrNode* node)
{
    std::vector<QrLight*> lights;
    for (QrLight* light : node->GetLights())
        lights.push_back(light);
    return lights;
}

// A light with every streamed value away from its default.
QrPointer<QrLight> MakeSpotLight()
{
    QrPointer<QrLight> light = new QrLight;
    light->SetName("lamp");
    light->SetType(QrLight::kSpot);
    light->SetLocalPosition(QrPoint3(1.0f, 2.0f, 3.0f));
    light->SetLocalDirection(QrPoint3(0.0f, -1.0f, 0.0f));
    light->SetOn(0);
    light->SetSpotAngle(30.0f);
    light->SetSpotExponent(2.0f);
    light->SetDimmer(0.75f);
    light->SetAmbientColor(QrPoint3(0.1f, 0.2f, 0.3f));
    light->SetDiffuseColor(QrPoint3(0.4f, 0.5f, 0.6f));
    light->SetSpecularColor(QrPoint3(0.7f, 0.8f, 0.9f));
    light->SetRadius(12.0f);
    light->SetFalloff(0.25f);
    light->SetAttenuate(0);
    light->SetTranslate(5.0f, 0.0f, 0.0f);
    return light;
}

TEST_F(QrLightTest, SerialsAreUniqueAndClonesTakeTheirOwn)
{
    QrPointer<QrLight> first = new QrLight;
    QrPointer<QrLight> second = new QrLight;
    EXPECT_EQ(second->GetSerial(), first->GetSerial() + 1);

    QrPointer<QrLight> source = MakeSpotLight();
    QrPointer<QrNode> node = new QrNode;
    source->AttachAffectedNode(node.Get());
    source->UpdateAllInstances();
    QrPointer<QrAVObject> made = source->CreateClone();
    ASSERT_NE(made.Get(), source.Get());
    ASSERT_TRUE(made->IsExactly(&QrLight::ms_RTTI));
    QrLight* clone = static_cast<QrLight*>(made.Get());

    // The renderer keys its light records by serial: a clone sharing one would overwrite the
    // original's record whenever both are in force.
    EXPECT_GT(clone->GetSerial(), source->GetSerial());
    EXPECT_EQ(clone->GetRevision(), 1u);
    EXPECT_EQ(clone->GetChanged(), 1u);
    EXPECT_EQ(clone->GetUseCount(), 0u);
    // Every value is copied; the nodes are not, and a clone has no name.
    EXPECT_TRUE(AffectedNodes(clone).empty());
    EXPECT_EQ(clone->GetName(), nullptr);
    EXPECT_EQ(clone->GetWorldPosition(), source->GetWorldPosition());
    source->DetachAffectedNode(node.Get());
    source->SetName(nullptr);
    EXPECT_TRUE(clone->IsEqual(source.Get()));
}

TEST_F(QrLightTest, NodeAndLightListsStayInStep)
{
    QrPointer<QrLight> light = new QrLight;
    QrPointer<QrNode> a = new QrNode;
    QrPointer<QrNode> b = new QrNode;

    light->AttachAffectedNode(a.Get());
    a->AttachLight(light.Get());
    light->AttachAffectedNode(a.Get());
    b->AttachLight(light.Get());
    EXPECT_EQ(AffectedNodes(light.Get()), (std::vector<QrNode*>{b.Get(), a.Get()}));
    EXPECT_EQ(NodeLights(a.Get()), std::vector<QrLight*>{light.Get()});
    EXPECT_EQ(NodeLights(b.Get()), std::vector<QrLight*>{light.Get()});

    light->DetachAffectedNode(b.Get());
    light->DetachAffectedNode(b.Get());
    EXPECT_TRUE(NodeLights(b.Get()).empty());
    EXPECT_EQ(AffectedNodes(light.Get()), std::vector<QrNode*>{a.Get()});

    // Destroying either side leaves no pointer to it on the other.
    a = nullptr;
    EXPECT_TRUE(AffectedNodes(light.Get()).empty());
    QrPointer<QrNode> c = new QrNode;
    light->AttachAffectedNode(b.Get());
    light->AttachAffectedNode(c.Get());
    light = nullptr;
    EXPECT_TRUE(NodeLights(b.Get()).empty());
    EXPECT_TRUE(NodeLights(c.Get()).empty());
}

TEST_F(QrLightTest, WorldUpdateMovesTheLightAndMarksItChanged)
{
    QrPointer<QrNode> parent = new QrNode;
    parent->SetTranslate(10.0f, 0.0f, 0.0f);
    parent->SetRotate(static_cast<float>(M_PI / 2.0), 0.0f, 0.0f, 1.0f);
    parent->SetScale(2.0f);
    QrPointer<QrLight> light = new QrLight;
    light->SetLocalPosition(QrPoint3(1.0f, 0.0f, 0.0f));
    light->SetLocalDirection(QrPoint3(1.0f, 0.0f, 0.0f));
    light->SetTranslate(0.0f, 1.0f, 0.0f);
    parent->AttachChild(light.Get());
    parent->UpdateAllInstances();

    // The rotation takes y to x and x to -y. World translation (10,0,0) + 2 * (1,0,0); the
    // light's own offset is rotated but not scaled.
    const QrPoint3 position = light->GetWorldPosition();
    EXPECT_NEAR(position.x, 12.0f, 1e-5f);
    EXPECT_NEAR(position.y, -1.0f, 1e-5f);
    EXPECT_NEAR(light->GetWorldDirection().y, -1.0f, 1e-6f);
    EXPECT_NEAR(light->GetWorldDirection().x, 0.0f, 1e-6f);
    const QrPoint3 centre = light->GetWorldBound().GetCenter();
    EXPECT_NEAR(centre.x, 12.0f, 1e-5f);
    EXPECT_NEAR(centre.y, 0.0f, 1e-5f);
    EXPECT_EQ(light->GetChanged(), 1u);
    EXPECT_FALSE(light->IsDisplayable());

    // One world record, whichever parent holds it.
    QrPointer<QrNode> other = new QrNode;
    other->AttachChild(light.Get());
    EXPECT_EQ(light->GetInstanceCount(), 1u);
    EXPECT_EQ(light->GetParent(), other.Get());
    parent->DetachChild(light.Get());
    EXPECT_EQ(light->GetParent(), other.Get());
    other->DetachChild(light.Get());
    EXPECT_EQ(light->GetParent(), nullptr);
}

TEST_F(QrLightTest, AttenuationReachesOneSixtyFourthAtTheRadius)
{
    QrPointer<QrLight> light = new QrLight;
    light->SetRadius(10.0f);
    light->UpdateAllInstances();
    const QrPoint3 up(0.0f, 1.0f, 0.0f);
    struct Case
    {
        float falloff;
        float distance;
        float factor;
    };
    for (const Case& c : {Case{0.0f, 10.0f, 1.0f / 64.0f}, Case{1.0f, 10.0f, 1.0f / 64.0f},
                          Case{0.0f, 5.0f, 1.0f / 32.0f}, Case{1.0f, 5.0f, 1.0f / 8.0f}})
    {
        light->SetFalloff(c.falloff);
        EXPECT_NEAR(light->GetDiffuseFactor(QrPoint3(0.0f, -c.distance, 0.0f), up), c.factor, 1e-6f)
            << c.falloff << " at " << c.distance;
    }

    // The reach is where the strongest diffuse component falls to 1/64.
    light->SetFalloff(0.0f);
    EXPECT_NEAR(light->GetReach(), 10.0f, 1e-4f);
    light->SetFalloff(1.0f);
    EXPECT_NEAR(light->GetReach(), 10.0f, 1e-3f);
    light->SetFalloff(0.5f);
    const float reach = light->GetReach();
    EXPECT_NEAR(light->GetDiffuseFactor(QrPoint3(0.0f, -reach, 0.0f), up), 1.0f / 64.0f, 1e-6f);
    light->SetDimmer(0.5f);
    EXPECT_LT(light->GetReach(), reach);

    // No radius: nothing lit; no attenuation: full light and unlimited reach.
    light->SetRadius(0.0f);
    EXPECT_LT(light->GetDiffuseFactor(QrPoint3(0.0f, -1.0f, 0.0f), up), 1e-30f);
    light->SetAttenuate(0);
    EXPECT_FLOAT_EQ(light->GetDiffuseFactor(QrPoint3(0.0f, -4.0f, 0.0f), up), 1.0f);
    EXPECT_EQ(light->GetReach(), FLT_MAX);
}

TEST_F(QrLightTest, EachKindLightsItsOwnWay)
{
    QrPointer<QrLight> light = new QrLight;
    light->SetAttenuate(0);
    light->SetLocalPosition(QrPoint3(0.0f, 10.0f, 0.0f));
    light->SetLocalDirection(QrPoint3(0.0f, -2.0f, 0.0f));
    light->UpdateAllInstances();
    const QrPoint3 up(0.0f, 1.0f, 0.0f);
    const QrPoint3 below(0.0f, 0.0f, 0.0f);

    light->SetType(QrLight::kAmbient);
    EXPECT_EQ(light->GetDiffuseFactor(below, up), 0.0f);

    // Directional: the direction is the way the light travels, normalised.
    light->SetType(QrLight::kDirectional);
    EXPECT_FLOAT_EQ(light->GetDiffuseFactor(below, up), 1.0f);
    EXPECT_EQ(light->GetDiffuseFactor(below, QrPoint3(0.0f, -1.0f, 0.0f)), 0.0f);

    // Point: the cosine towards the light; a surface facing away gets nothing.
    light->SetType(QrLight::kPoint);
    const QrPoint3 aside(10.0f, 0.0f, 0.0f);
    EXPECT_NEAR(light->GetDiffuseFactor(aside, up), std::sqrt(0.5f), 1e-6f);
    EXPECT_EQ(light->GetDiffuseFactor(QrPoint3(0.0f, 20.0f, 0.0f), up), 0.0f);

    // Spot: full factor on the axis, nothing outside the cone or behind the light.
    light->SetType(QrLight::kSpot);
    light->SetSpotAngle(30.0f);
    EXPECT_NEAR(light->GetDiffuseFactor(below, up), 1.0f, 1e-6f);
    EXPECT_EQ(light->GetDiffuseFactor(aside, up), 0.0f);
    EXPECT_EQ(light->GetDiffuseFactor(QrPoint3(0.0f, 20.0f, 0.0f), QrPoint3(0.0f, -1.0f, 0.0f)), 0.0f);
    const QrPoint3 inside(2.0f, 0.0f, 0.0f);
    const float factor = light->GetDiffuseFactor(inside, up);
    EXPECT_GT(factor, 0.0f);
    EXPECT_LT(factor, 1.0f);
    // A cone wider than a half space lights everything ahead of the light.
    light->SetSpotAngle(120.0f);
    EXPECT_GT(light->GetDiffuseFactor(QrPoint3(100.0f, 9.0f, 0.0f), up), 0.0f);

    // A zero direction gives the renderer a zero vector, so a directional light lights nothing.
    light->SetLocalDirection(QrPoint3(0.0f, 0.0f, 0.0f));
    light->SetType(QrLight::kDirectional);
    light->UpdateAllInstances();
    EXPECT_EQ(light->GetWorldDirection(), QrPoint3(0.0f, 0.0f, 0.0f));
    EXPECT_EQ(light->GetDiffuseFactor(below, up), 0.0f);
}

TEST_F(QrLightTest, StreamRoundTripTakesAFreshSerial)
{
    QrPointer<QrLight> light = MakeSpotLight();
    QrPointer<QrObject> loaded = proptest::RoundTrip(light.Get());
    ASSERT_NE(loaded.Get(), nullptr);
    QrLight* copy = static_cast<QrLight*>(loaded.Get());
    EXPECT_NE(copy->GetSerial(), light->GetSerial());
    // Loading runs the world update.
    EXPECT_EQ(copy->GetWorldPosition(), QrPoint3(6.0f, 2.0f, 3.0f));

    // Equality looks at every streamed value.
    copy->SetSpotExponent(3.0f);
    EXPECT_FALSE(copy->IsEqual(light.Get()));
}

TEST_F(QrLightTest, APartialSaveRecordsOnlyTheNodesItHolds)
{
    // The light hangs in one of two sibling trees and lights both; saving that tree keeps the
    // light but not the other tree. The reload lights the saved tree only, and saves to the
    // same bytes.
    QrPointer<QrNode> shore = new QrNode;
    QrPointer<QrNode> dock = new QrNode;
    QrPointer<QrLight> light = MakeSpotLight();
    dock->AttachChild(light.Get());
    light->AttachAffectedNode(shore.Get());
    light->AttachAffectedNode(dock.Get());
    const std::vector<uint8_t> saved = proptest::Save({dock.Get()});
    std::vector<QrPointer<QrObject>> loaded = proptest::Load(saved);
    ASSERT_EQ(loaded.size(), 1u);
    QrNode* dockAgain = QrDynamicCast<QrNode>(loaded[0].Get());
    ASSERT_NE(dockAgain, nullptr);
    const std::vector<QrLight*> lights = NodeLights(dockAgain);
    ASSERT_EQ(lights.size(), 1u);
    EXPECT_EQ(AffectedNodes(lights[0]), std::vector<QrNode*>{dockAgain});
    EXPECT_EQ(proptest::Save({dockAgain}), saved);

    // Saved alone, the light records no node at all.
    const std::vector<uint8_t> alone = proptest::Save({light.Get()});
    loaded = proptest::Load(alone);
    ASSERT_EQ(loaded.size(), 1u);
    EXPECT_TRUE(AffectedNodes(static_cast<QrLight*>(loaded[0].Get())).empty());
    EXPECT_EQ(proptest::Save({loaded[0].Get()}), alone);
}

TEST_F(QrLightTest, DamagedRecordsFailCleanly)
{
    QrPointer<QrNode> root = new QrNode;
    QrPointer<QrLight> light = MakeSpotLight();
    root->AttachChild(light.Get());
    light->AttachAffectedNode(root.Get());
    const std::vector<uint8_t> bytes = proptest::Save({root.Get()});

    for (size_t length = 0; length < bytes.size(); ++length)
    {
        QrStream stream;
        EXPECT_FALSE(stream.LoadFromMemory(bytes.data(), length)) << length;
    }

    // An affected-node count beyond the bytes left is refused before anything is read.
    proptest::HandFile file("2.2");
    file.String("Top Level Object");
    file.String("QrLight");
    file.w.U32(1);
    file.w.U32(0);
    file.w.U32(0);
    file.w.U8(0);
    for (float v : {0.f, 0.f, 0.f, 1.f, 0.f, 0.f, 0.f, 1.f, 0.f, 0.f, 0.f, 1.f, 1.f, 0.f, 0.f, 0.f})
        file.w.F32(v);
    file.w.U32(0);
    for (int i = 0; i < 6; ++i)
        file.w.F32(0.0f);
    file.w.U8(1);
    for (int i = 0; i < 14; ++i)
        file.w.F32(1.0f);
    file.w.U8(1);
    file.w.U32(2);
    file.w.U32(0x40000000u);
    const std::vector<uint8_t> hostile = file.End();
    QrStream stream;
    EXPECT_FALSE(stream.LoadFromMemory(hostile.data(), hostile.size()));
    EXPECT_NE(std::string(QrStream::LastErrorContext).find("affected nodes"), std::string::npos)
        << QrStream::LastErrorContext;
}

TEST_F(QrLightTest, SampleSceneLightsItsNodes)
{
    QrStream stream;
    ASSERT_TRUE(stream.Load((testfiles::DataDir() + "/Data/Engine/lights.qrf").c_str()))
        << QrStream::LastErrorMessage << " " << QrStream::LastErrorContext;
    QrNode* root = QrDynamicCast<QrNode>(stream.GetTopLevelAt(0));
    ASSERT_NE(root, nullptr);
    auto light = [root](const char* name) { return QrDynamicCast<QrLight>(root->GetObjectByName(name)); };
    auto node = [root](const char* name) { return QrDynamicCast<QrNode>(root->GetObjectByName(name)); };
    QrLight* sky = light("sky");
    QrLight* sun = light("sun");
    QrLight* lantern = light("lantern");
    QrLight* beam = light("beam");
    ASSERT_TRUE(sky && sun && lantern && beam);
    EXPECT_EQ(sky->GetType(), QrLight::kAmbient);
    EXPECT_EQ(sun->GetType(), QrLight::kDirectional);
    EXPECT_EQ(lantern->GetType(), QrLight::kPoint);
    EXPECT_EQ(beam->GetType(), QrLight::kSpot);

    // The nodes put the lights back on their lists when they were linked.
    EXPECT_EQ(AffectedNodes(sun).size(), 2u);
    EXPECT_TRUE(node("shore")->GetLights().Contains(sun));
    EXPECT_TRUE(node("dock")->GetLights().Contains(sun));
    EXPECT_TRUE(root->GetLights().Contains(sky));
    EXPECT_EQ(NodeLights(node("dock")).size(), 3u);

    // World values follow the tree once it is updated.
    root->UpdateAllInstances();
    EXPECT_EQ(lantern->GetWorldPosition(), QrPoint3(4.0f, 1.5f, -2.0f));
    EXPECT_NE(QrDynamicCast<QrAudioEmitter>(root->GetObjectByName("loon call")), nullptr);

    // The nodes link in file order, so each light's list comes back in one fixed order: from
    // the first reload on, saving gives the same bytes.
    const std::vector<uint8_t> saved = proptest::Save({root});
    std::vector<QrPointer<QrObject>> again = proptest::Load(saved);
    ASSERT_EQ(again.size(), 1u);
    EXPECT_TRUE(again[0]->IsEqual(root));
    EXPECT_EQ(proptest::Save({again[0].Get()}), saved);
}

} // namespace
