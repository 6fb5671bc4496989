// The shadow light: volume planes worked out by hand in both modes, its world frame, receiver
// collection, files (with receivers linked after the light) and clones.

#include "GeometryFamilyTestHelpers.h"
#include "QrMathTestHelpers.h"

#include "QrAlphaProperty.h"
#include "QrEnvMappedTriShape.h"
#include "QrLines.h"
#include "QrShadowLight.h"
#include "QrStream.h"
#include "TestFiles.h"

#include <cmath>

using namespace familytest;
using geomtest::MakeSquare;
using geomtest::RoundTrip;
using geomtest::Save;

namespace
{

constexpr float kA = 0.4472136f; // 1 / sqrt(5)
constexpr float kB = 0.8944272f; // 2 / sqrt(5)

void ExpectPlane(const QrPlane& plane, const QrPoint3& normal, float constant, const char* what)
{
    EXPECT_TRUE(Near(plane.GetNormal(), normal)) << what;
    EXPECT_NEAR(plane.GetConstant(), constant, 1e-5f) << what;
}

QrPointer<QrShadowLight> MakeShadowLight(uint32_t mode)
{
    QrPointer<QrShadowLight> light(new QrShadowLight);
    light->SetProjectionMode(mode);
    light->Update(light->GetCurrentInstance());
    return light;
}

class QrShadowLightTest : public QrEngineTest
{
};

} // namespace

TEST_F(QrShadowLightTest, DefaultFrameGivesThePyramidAndTheBox)
{
    QrPointer<QrShadowLight> pyramid = MakeShadowLight(0);
    EXPECT_EQ(pyramid->GetType(), QrShadowLight::kShadowType);
    const QrProjectionFrame& p = pyramid->GetFrame();
    ExpectPlane(p.GetPlane(0), {kA, 0, kB}, 0, "left");
    ExpectPlane(p.GetPlane(1), {kA, 0, -kB}, 0, "right");
    ExpectPlane(p.GetPlane(2), {kA, -kB, 0}, 0, "top");
    ExpectPlane(p.GetPlane(3), {kA, kB, 0}, 0, "bottom");
    ExpectPlane(p.GetPlane(4), {1, 0, 0}, 1.01f, "cap");

    QrPointer<QrShadowLight> box = MakeShadowLight(1);
    const QrProjectionFrame& b = box->GetFrame();
    ExpectPlane(b.GetPlane(0), {0, 0, 1}, -0.5f, "left");
    ExpectPlane(b.GetPlane(1), {0, 0, -1}, -0.5f, "right");
    ExpectPlane(b.GetPlane(2), {0, -1, 0}, -0.5f, "top");
    ExpectPlane(b.GetPlane(3), {0, 1, 0}, -0.5f, "bottom");
    ExpectPlane(b.GetPlane(4), {1, 0, 0}, 1.0f, "cap");
}

TEST_F(QrShadowLightTest, AMovedLightCarriesItsFrameAndPlanesIntoTheWorld)
{
    // Turned about y (x to z, z to -x) and lifted by 2: focus (0, 2, 1), direction (0, 0, -1),
    // right (-1, 0, 0), projection centre (0, 2, 0).
    QrPointer<QrShadowLight> light = MakeShadowLight(0);
    light->SetRotate(float(M_PI / 2), 0, 1, 0);
    light->SetTranslate(0, 2, 0);
    light->Update(light->GetCurrentInstance());
    const QrProjectionFrame& f = light->GetFrame();
    EXPECT_TRUE(Near(f.GetWorldFocus(), {0, 2, 1}));
    EXPECT_TRUE(Near(f.GetWorldRight(), {-1, 0, 0}));
    EXPECT_TRUE(Near(f.GetWorldCenter(), {0, 2, 0}));
    // The light's own x axis stands in its world direction; its position is the translation.
    EXPECT_TRUE(Near(light->GetWorldDirection(), {0, 0, 1}));
    EXPECT_TRUE(Near(light->GetWorldPosition(), {0, 2, 0}));

    ExpectPlane(f.GetPlane(0), {-kB, 0, kA}, 0, "left");
    ExpectPlane(f.GetPlane(1), {kB, 0, kA}, 0, "right");
    ExpectPlane(f.GetPlane(2), {0, -kB, kA}, -2 * kB, "top");
    ExpectPlane(f.GetPlane(3), {0, kB, kA}, 2 * kB, "bottom");
    ExpectPlane(f.GetPlane(4), {0, 0, 1}, 1.01f, "cap");

    light->SetProjectionMode(1);
    light->GetFrame().GetWidth() = 2.0f;
    light->Update(light->GetCurrentInstance());
    ExpectPlane(f.GetPlane(0), {-1, 0, 0}, -1.0f, "left");
    ExpectPlane(f.GetPlane(1), {1, 0, 0}, -1.0f, "right");
    ExpectPlane(f.GetPlane(2), {0, -1, 0}, -2.5f, "top");
    ExpectPlane(f.GetPlane(3), {0, 1, 0}, 1.5f, "bottom");
    ExpectPlane(f.GetPlane(4), {0, 0, 1}, 1.0f, "cap");

    // Another mode leaves the planes as they were, whatever the frame does.
    light->SetProjectionMode(7);
    light->SetTranslate(50, 50, 50);
    light->Update(light->GetCurrentInstance());
    ExpectPlane(f.GetPlane(3), {0, 1, 0}, 1.5f, "bottom");
    EXPECT_TRUE(Near(f.GetWorldFocus(), {50, 50, 51}));
}

TEST_F(QrShadowLightTest, AFocusOnTheProjectionCentreGivesZeroBoxSidesAndNoNaN)
{
    QrPointer<QrShadowLight> light(new QrShadowLight);
    light->SetProjectionMode(1);
    light->GetFrame().GetLocalFocus() = QrPoint3::ZERO;
    light->Update(light->GetCurrentInstance());
    for (uint32_t i = 0; i < 4; ++i)
        ExpectPlane(light->GetFrame().GetPlane(i), QrPoint3::ZERO, 0.0f, "side");
    ExpectPlane(light->GetFrame().GetPlane(4), {1, 0, 0}, 0.0f, "cap");
}

TEST_F(QrShadowLightTest, ThePositionDirectionAndTypeSettersDoNothing)
{
    QrPointer<QrShadowLight> light = MakeShadowLight(0);
    light->SetLocalPosition(QrPoint3(1, 2, 3));
    light->SetLocalDirection(QrPoint3(0, 1, 0));
    light->SetType(QrLight::kPoint);
    EXPECT_EQ(light->GetLocalPosition(), QrPoint3::ZERO);
    EXPECT_EQ(light->GetLocalDirection(), QrPoint3::ZERO);
    EXPECT_EQ(light->GetType(), QrShadowLight::kShadowType);
}

TEST_F(QrShadowLightTest, ReceiversAreTheShapeInstancesUnderTheNode)
{
    // Three shapes under the receiver node, each also under another node: two instances each,
    // one of them under the receiver. A nested node adds an environment-mapped shape (a
    // subclass counts); a culled shape and lines add nothing.
    QrPointer<QrNode> receiver(new QrNode);
    QrPointer<QrNode> elsewhere(new QrNode);
    std::vector<QrPointer<geomtest::OpenShape>> shapes;
    for (int i = 0; i < 3; ++i)
    {
        shapes.push_back(MakeSquare());
        receiver->AttachChild(shapes.back().Get());
        elsewhere->AttachChild(shapes.back().Get());
        ASSERT_EQ(shapes.back()->GetInstanceCount(), 2u);
    }
    QrPointer<QrNode> nested(new QrNode);
    const QrPoint3 line[] = {{0, 0, 0}, {1, 0, 0}};
    nested->AttachChild(new QrLines(2, line, nullptr, nullptr, nullptr, 0));
    QrPointer<geomtest::OpenShape> culled = MakeSquare();
    culled->SetAppCulled(1);
    nested->AttachChild(culled.Get());
    const QrPoint3 vertices[] = {{0, 0, 0}, {2, 0, 0}, {0, 2, 0}};
    const uint16_t indices[] = {0, 1, 2};
    QrPointer<QrEnvMappedTriShape> chrome(new QrEnvMappedTriShape(3, vertices, nullptr, 1, indices, nullptr, nullptr));
    nested->AttachChild(chrome.Get());
    receiver->AttachChild(nested.Get());

    QrPointer<QrShadowLight> light = MakeShadowLight(0);
    light->AttachReceiver(receiver.Get());
    EXPECT_EQ(light->GetReceiverCount(), 1u);
    ASSERT_EQ(light->GetReceiverRecordCount(), 4u);
    for (uint32_t i = 0; i < 3; ++i)
    {
        QrShadowReceiver* record = light->GetReceiverRecordAt(i);
        EXPECT_EQ(record->GetShape(), shapes[i].Get());
        EXPECT_EQ(shapes[i]->GetInstanceAt(record->GetInstanceIndex()), shapes[i]->FindInstance(receiver.Get()));
    }
    // The record's box is the shape's fitted box: a triangle's vertex mean and extents.
    QrShadowReceiver* last = light->GetReceiverRecordAt(3);
    EXPECT_EQ(last->GetShape(), chrome.Get());
    EXPECT_TRUE(Near(last->GetBoxCenter(), QrPoint3(2.0f / 3, 2.0f / 3, 0)));
    EXPECT_EQ(last->GetBoxExtent(2), 0.0f);

    // A shape collected without an instance gives one record per instance.
    light->CollectReceivers(shapes[0].Get(), nullptr);
    EXPECT_EQ(light->GetReceiverRecordCount(), 6u);
    light->CollectReceivers(light.Get(), nullptr);
    EXPECT_EQ(light->GetReceiverRecordCount(), 6u);
}

TEST_F(QrShadowLightTest, FilesKeepTheFrameThePlanesAndTheReceivers)
{
    QrPointer<QrNode> receiver(new QrNode);
    receiver->AttachChild(MakeSquare().Get());
    receiver->AttachChild(MakeSquare().Get());
    QrPointer<QrShadowLight> light = MakeShadowLight(1);
    light->SetShadowKind(8);
    light->SetShadowScale(0.75f);
    light->SetShadowObject(new QrAlphaProperty);
    light->GetFrame().GetLocalFocus() = QrPoint3(3, 1, 0);
    light->GetFrame().GetLocalCenter() = QrPoint3(0, 1, 0);
    light->GetFrame().GetHeight() = 4.0f;
    light->SetTranslate(1, 2, 3);
    light->Update(light->GetCurrentInstance());
    light->AttachReceiver(receiver.Get());

    // The light is saved before its receiver node, so it links before the node has children:
    // its records are still all there.
    QrPointer<QrShadowLight> loaded = RoundTrip<QrShadowLight>(light.Get());
    ASSERT_TRUE(loaded);
    ASSERT_EQ(loaded->GetReceiverCount(), 1u);
    EXPECT_EQ(loaded->GetReceiverAt(0)->GetNonEmptyChildCount(), 2u);
    EXPECT_EQ(loaded->GetReceiverRecordCount(), 2u);
    ASSERT_NE(loaded->GetShadowObject(), nullptr);
    EXPECT_TRUE(loaded->GetShadowObject()->IsKindOf(&QrAlphaProperty::ms_RTTI));
    for (uint32_t i = 0; i < QrProjectionFrame::kPlaneCount; ++i)
        EXPECT_EQ(loaded->GetFrame().GetPlane(i), light->GetFrame().GetPlane(i)) << "plane " << i;

    // Every streamed value takes part in the comparison.
    light->SetShadowScale(1.5f);
    EXPECT_FALSE(light->IsEqual(loaded.Get()));
    light->SetShadowScale(0.75f);
    light->GetFrame().GetHeight() = 3.0f;
    EXPECT_FALSE(light->IsEqual(loaded.Get()));
    light->GetFrame().GetHeight() = 4.0f;
    light->SetShadowObject(nullptr);
    EXPECT_FALSE(light->IsEqual(loaded.Get()));
}

TEST_F(QrShadowLightTest, ACloneIsAShadowLightOfItsOwnSharingTheReceivers)
{
    QrPointer<QrNode> receiver(new QrNode);
    receiver->AttachChild(MakeSquare().Get());
    QrPointer<QrShadowLight> light = MakeShadowLight(1);
    light->SetShadowScale(3.0f);
    light->AttachReceiver(receiver.Get());
    QrPointer<QrAVObject> copy = light->CreateClone();
    auto* clone = QrDynamicCast<QrShadowLight>(copy.Get());
    ASSERT_NE(clone, nullptr);
    EXPECT_NE(clone, light.Get());
    EXPECT_NE(clone->GetSerial(), light->GetSerial());
    EXPECT_TRUE(clone->IsEqual(light.Get()));
    EXPECT_EQ(clone->GetReceiverAt(0), receiver.Get());
    EXPECT_EQ(clone->GetReceiverRecordCount(), 1u);
}

TEST_F(QrShadowLightTest, TheSampleSceneLightsTheGroundBesideIt)
{
    QrStream stream;
    ASSERT_TRUE(stream.Load((testfiles::DataDir() + "/Data/Engine/Geometry/shadowlight.qrf").c_str()))
        << QrStream::LastErrorMessage << " " << QrStream::LastErrorContext;
    auto* root = QrDynamicCast<QrNode>(stream.GetTopLevelAt(0));
    ASSERT_NE(root, nullptr);
    auto* light = QrDynamicCast<QrShadowLight>(root->GetObjectByName("boat shadow"));
    ASSERT_NE(light, nullptr);
    ASSERT_EQ(light->GetReceiverCount(), 1u);
    EXPECT_EQ(light->GetReceiverAt(0), root->GetObjectByName("ground"));
    EXPECT_EQ(light->GetReceiverRecordCount(), 2u);
    // Looking down from 4 above the ground at a focus 3 below it: the box begins at the focus
    // and runs on down, away from the light.
    root->UpdateAllInstances();
    EXPECT_TRUE(Near(light->GetFrame().GetWorldFocus(), {0, 0, 1}));
    EXPECT_TRUE(Near(light->GetFrame().GetPlane(4).GetNormal(), {0, 0, -1}));
    EXPECT_NEAR(light->GetFrame().GetPlane(4).GetConstant(), -1.0f, 1e-6f);
}
