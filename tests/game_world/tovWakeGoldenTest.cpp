// A boat under way with its two wakes, seen from behind and above through the software
// renderer: the inner wash and the outer V laid by the boat's pose over three seconds of a
// gentle turn.
#include "tovBoat.h"
#include "tovInstallSettings.h"
#include "tovWake.h"
#include "tovWorldClasses.h"

#include "GoldenImage.h"
#include "HeadlessRenderer.h"
#include "QrTestFixture.h"
#include "TestFiles.h"

#include "qrxAssetCache.h"

#include "QrCamera.h"
#include "QrLight.h"
#include "QrTextureProperty.h"
#include "QrZBufferProperty.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace
{

class tovWakeGoldenTest : public QrEngineTest
{
protected:
    void SetUp() override
    {
        QrEngineTest::SetUp();
        RegisterGameWorldClasses();
        m_rig = std::make_unique<HeadlessRenderer>();
        ASSERT_TRUE(m_rig->GetRenderer()) << QrD3DRender::GetLastErrorText();
        SetInstallRoot(testfiles::DataDir());
    }
    void TearDown() override
    {
        SetInstallRoot("");
        qrxAssetCache::Get().Clear();
        tovBoat::ReleaseStatics();
        m_rig.reset();
        QrEngineTest::TearDown();
    }

    std::unique_ptr<HeadlessRenderer> m_rig;
};

TEST_F(tovWakeGoldenTest, ABoatUnderWayLaysItsTwoWakes)
{
    QrPointer<QrNode> root(new QrNode);
    QrPointer<QrZBufferProperty> depth(new QrZBufferProperty);
    depth->m_test = 1;
    depth->m_write = 1;
    root->AttachProperty(depth.Get());
    QrPointer<tovBoat> boat(new tovBoat(1.0f));
    root->AttachChild(boat.Get());
    // The fishing scene shows the boat's wakes beside it.
    for (int32_t i = 0; i < tovBoat::GetWakeCount(); ++i)
    {
        ASSERT_TRUE(boat->GetWake(i));
        root->AttachChild(boat->GetWake(i));
    }
    QrPointer<QrLight> sun(new QrLight);
    sun->SetType(QrLight::kDirectional);
    sun->SetLocalDirection(QrPoint3(-0.4f, -0.8f, -0.45f));
    sun->AttachAffectedNode(root.Get());
    QrPointer<QrLight> ambient(new QrLight);
    ambient->SetType(QrLight::kAmbient);
    ambient->SetAmbientColor(QrPoint3(0.45f, 0.45f, 0.45f));
    ambient->AttachAffectedNode(root.Get());

    // Three seconds at 30 frames a second: 0.4 units a second, turning 12 degrees a second.
    constexpr double kStep = 1.0 / 30.0;
    constexpr float kSpeed = 0.4f;
    QrPoint3 position(0.0f, 0.0f, 0.0f);
    float heading = 0.0f;
    for (int frame = 0; frame < 90; ++frame)
    {
        heading += float(12.0 * kStep * 3.14159265358979 / 180.0);
        const float c = std::cos(heading);
        const float s = std::sin(heading);
        // Facing (sin, 0, cos): the boat's z axis turned about y.
        const QrMatrix3 rotation(c, 0.0f, s, 0.0f, 1.0f, 0.0f, -s, 0.0f, c);
        position = position + rotation.TimesPoint(QrPoint3(0.0f, 0.0f, kSpeed * float(kStep)));
        boat->SetRotation(rotation);
        boat->SetPosition(position);
        boat->m_speed = kSpeed;
        boat->m_targetSpeed = kSpeed;
        boat->UpdatePose(frame * kStep, kStep);
    }
    // A tile each half second.
    EXPECT_EQ(boat->GetWake(0)->GetTilesInUse(), 6);

    QrPointer<QrCamera> camera(new QrCamera(0.01f, 100.0f));
    const QrPoint3 behind = position + boat->GetWorldRotation().TimesPoint(QrPoint3(0.12f, 0.22f, -0.5f));
    camera->SetTranslate(behind.x, behind.y, behind.z);
    camera->UpdateAllInstances();
    ASSERT_TRUE(camera->LookAt(position + boat->GetWorldRotation().TimesPoint(QrPoint3(0.0f, 0.0f, -0.25f)),
                               QrPoint3(0.0f, 1.0f, 0.0f)));
    camera->SetSceneRoot(root.Get());
    root->UpdateAllInstances();
    // Lake water for the background.
    m_rig->DrawFrame(camera.Get(), 1.0f, QrPoint3(0.16f, 0.33f, 0.36f));
    plat::HeadlessWindowBackend& window = m_rig->GetWindow();
    EXPECT_TRUE(golden::MatchesGoldenImage(
        "boat_wake_under_way.png",
        golden::FromRgb565(window.Frame().data(), window.FrameWidth(), window.FrameHeight())));
    camera->SetSceneRoot(nullptr);
    sun->DetachAffectedNode(root.Get());
    ambient->DetachAffectedNode(root.Get());
}

} // namespace
