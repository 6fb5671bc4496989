#include "tovSplash.h"

#include "WaterTestFixture.h"
#include "qrxCutout.h"
#include "tovScene.h"
#include "tovWater.h"
#include "tovWaterFollowAction.h"

#include "qrxIdleManager.h"

#include "QrCamera.h"
#include "QrTextureProperty.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{

class tovSplashTest : public WaterTestFixture
{
protected:
    void SetUp() override
    {
        WaterTestFixture::SetUp();
        m_splash = new tovSplash;
        m_camera = new QrCamera;
        m_spot = new QrNode;
        m_spot->SetTranslate(1.0f, 0.0f, 1.0f);
        m_spot->UpdateAllInstances();
        MoveCamera(QrPoint3(1.0f, 0.5f, 4.0f));
    }

    void TearDown() override
    {
        m_splash = nullptr;
        m_spot = nullptr;
        m_camera = nullptr;
        WaterTestFixture::TearDown();
    }

    void MoveCamera(const QrPoint3& at)
    {
        m_camera->SetTranslate(at.x, at.y, at.z);
        m_camera->UpdateAllInstances();
    }

    // One frame of the camera's action list; answers the flip-book slot, -1 once hidden.
    int32_t Step(double time)
    {
        m_splash->SetCamera(m_camera.Get());
        EXPECT_TRUE(m_splash->Update(time, 0.0));
        m_splash->SetCamera(nullptr);
        return m_splash->IsRunning() ? m_splash->GetFlipBook()->GetCurrentIndex() : -1;
    }

    // Slots shown at frames in the middle of each twentieth of a second from the start.
    std::vector<int32_t> Run(double start, int32_t frames, double frameLength)
    {
        std::vector<int32_t> slots;
        for (int32_t i = 0; i < frames; ++i)
            slots.push_back(Step(start + 0.0125 + frameLength * i));
        return slots;
    }

    QrPointer<QrCamera> m_camera;
    QrPointer<QrNode> m_spot;
    QrPointer<tovSplash> m_splash;
};

TEST_F(tovSplashTest, RisesSpreadsAndFallsThenHides)
{
    EXPECT_FALSE(m_splash->IsRunning());
    m_splash->StartAt(m_spot.Get(), 10.0);
    ASSERT_TRUE(m_splash->IsRunning());
    EXPECT_EQ(Run(10.0, 17, 0.05), (std::vector<int32_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, -1, -1}));
    EXPECT_EQ(m_splash->GetFollowedNode(), nullptr);
    EXPECT_TRUE(m_splash->GetPartB()->GetAppCulled());
    // A faster frame rate shows the same pictures, each for longer.
    m_splash->StartAt(m_spot.Get(), 20.0);
    const std::vector<int32_t> fast = Run(20.0, 48, 0.05 / 3.0);
    EXPECT_EQ(fast.front(), 0);
    EXPECT_EQ(fast[15], 5);
    EXPECT_EQ(fast[44], 14);
    EXPECT_EQ(fast.back(), -1);
}

// The phases follow the time since the start, whatever the frame length: frames of a whole
// quarter second (a headless run's step) still spread, fall and end.
TEST_F(tovSplashTest, EndsAtAnyFrameLength)
{
    const struct
    {
        double frame;
        std::vector<int32_t> slots;
    } cases[] = {{0.25, {0, 5, 10, -1}}, {1.0, {0, -1}}, {0.5, {0, 10, -1}}};
    double start = 0.0;
    for (const auto& c : cases)
    {
        start += 10.0;
        m_splash->StartAt(m_spot.Get(), start);
        std::vector<int32_t> slots;
        for (size_t i = 0; i < c.slots.size(); ++i)
            slots.push_back(Step(start + c.frame * double(i)));
        EXPECT_EQ(slots, c.slots) << c.frame;
    }
    // At 30 frames a second every phase is seen and the last picture goes at 0.75 s.
    m_splash->StartAt(m_spot.Get(), 100.0);
    std::vector<int32_t> slots;
    for (int32_t i = 0; i < 24; ++i)
        slots.push_back(Step(100.0 + i / 30.0));
    EXPECT_EQ(slots[0], 0);
    EXPECT_EQ(slots[8], 5);
    EXPECT_EQ(slots[16], 10);
    EXPECT_EQ(slots[22], 14);
    EXPECT_EQ(slots[23], -1);
}

TEST_F(tovSplashTest, FinishEndsEarlyFromEitherPhase)
{
    // In the spread the fall starts at once.
    m_splash->StartAt(m_spot.Get(), 0.0);
    EXPECT_EQ(Run(0.0, 7, 0.05), (std::vector<int32_t>{0, 1, 2, 3, 4, 5, 6}));
    m_splash->Finish();
    EXPECT_EQ(m_splash->GetFlipBook()->GetCurrentIndex(), tovSplash::kFallSlot);
    EXPECT_EQ(Run(0.35, 6, 0.05), (std::vector<int32_t>{12, 13, 14, -1, -1, -1}));
    // In the rise it waits for the fourth picture, then jumps to the fall's end.
    m_splash->StartAt(m_spot.Get(), 5.0);
    EXPECT_FALSE(m_splash->IsEnding());
    m_splash->Finish();
    EXPECT_EQ(Run(5.0, 6, 0.05), (std::vector<int32_t>{0, 1, 2, 13, 14, -1}));
    // Finish on an idle splash only marks it; the next start clears the mark.
    m_splash->Finish();
    EXPECT_TRUE(m_splash->IsEnding());
    EXPECT_FALSE(m_splash->IsRunning());
    m_splash->StartAt(m_spot.Get(), 7.0);
    EXPECT_FALSE(m_splash->IsEnding());
}

TEST_F(tovSplashTest, StartWhileRunningChangesNothingAndStopHidesAtOnce)
{
    QrPointer<QrNode> other(new QrNode);
    m_splash->StartAt(m_spot.Get(), 1.0);
    Run(1.0, 3, 0.05);
    m_splash->StartAt(other.Get(), 2.0);
    EXPECT_EQ(m_splash->GetFollowedNode(), m_spot.Get());
    EXPECT_EQ(m_splash->GetStartTime(), 1.0);
    EXPECT_EQ(m_splash->GetFlipBook()->GetCurrentIndex(), 2);
    m_splash->Stop();
    EXPECT_FALSE(m_splash->IsRunning());
    EXPECT_TRUE(m_splash->GetPartB()->GetAppCulled());
    EXPECT_EQ(m_splash->GetFollowedNode(), nullptr);
    EXPECT_EQ(Step(1.2), -1);
}

// The parts sit a hundredth of a unit towards the camera, just under the plane: deeper when
// the camera is below water.
TEST_F(tovSplashTest, PartsStandOnTheSpotFacingTheCamera)
{
    const struct
    {
        QrPoint3 camera;
        QrPoint3 part;
    } cases[] = {{{1.0f, 0.0f, 4.0f}, {1.0f, -0.0025f, 1.01f}},
                 {{-2.0f, 0.0f, 1.0f}, {0.99f, -0.0025f, 1.0f}},
                 {{1.0f, -3.0f, 1.0f}, {1.0f, -0.01f, 1.0f}},
                 {{1.0f, 0.0f, 1.0f}, {1.0f, -0.0025f, 1.0f}},
                 {{1.0f, -1e-6f, -2.0f}, {1.0f, -0.01f, 0.99f}}};
    m_splash->StartAt(m_spot.Get(), 0.0);
    for (const auto& c : cases)
    {
        MoveCamera(c.camera);
        Step(0.01);
        for (qrxCutout* part : {m_splash->GetPartA(), m_splash->GetPartB()})
        {
            EXPECT_NEAR(part->GetTranslate().x, c.part.x, 1e-6f) << c.camera.x << " " << c.camera.y;
            EXPECT_EQ(part->GetTranslate().y, c.part.y) << c.camera.y;
            EXPECT_NEAR(part->GetTranslate().z, c.part.z, 1e-6f) << c.camera.z;
        }
    }
    // A culled camera leaves the splash alone.
    m_camera->SetAppCulled(1);
    EXPECT_EQ(Step(0.3), 0);
}

// The splash in the spread, seen from a boat a few feet away over calm water: the whole
// fishing scene (root, water, splash) through the software renderer.
TEST_F(tovSplashTest, SplashOnTheWaterThroughTheSoftwareRenderer)
{
    StartRenderer();
    m_splash = new tovSplash;
    // Slot 10 is picture 5 again.
    ASSERT_TRUE(m_splash->GetFlipBook()->GetImage(4));
    EXPECT_EQ(m_splash->GetFlipBook()->GetImage(10).Get(), m_splash->GetFlipBook()->GetImage(4).Get());
    qrxIdleManager manager;
    QrPointer<tovWater> water(new tovWater(8, 0.2f, &manager));
    water->SetWaveScale(0.001f);
    manager.Add(water.Get());
    QrPointer<QrNode> root = MakeLitRoot();
    QrPointer<tovScene> scene(new tovScene);
    scene->SetWater(water.Get());
    root->AttachChild(scene.Get());
    m_splash->AttachToScene(scene.Get());
    m_spot->SetTranslate(0.0f, 0.0f, 0.0f);
    scene->AttachChild(m_spot.Get());
    root->UpdateAllInstances();

    // A long lens: the camera keeps a tenth of a unit clear in front of it.
    QrPointer<QrCamera> camera(new QrCamera(0.1f, 120.0f));
    for (uint32_t side : {QrCamera::kLeft, QrCamera::kRight, QrCamera::kTop, QrCamera::kBottom})
        camera->GetFrustum()[side] *= 0.3f;
    camera->SetTranslate(0.1f, 0.035f, 0.22f);
    camera->UpdateAllInstances();
    ASSERT_TRUE(camera->LookAt(QrPoint3(0.0f, 0.009f, 0.0f), QrPoint3(0.0f, 1.0f, 0.0f)));
    camera->SetSceneRoot(root.Get());
    water->AttachToCamera(camera.Get());
    camera->AttachObject(m_splash.Get());
    // The scene root orders the water between its two sides in the display pass.
    camera->SetDisplayPassFlag(1);
    m_splash->StartAt(m_spot.Get(), 1.0);
    m_camera = camera;
    for (int32_t frame = 0; frame < 7; ++frame)
    {
        manager.Update(1.0 + 0.05 * frame);
        Step(1.0125 + 0.05 * frame);
    }
    // The frame's actions run before it is drawn: picture 7 at 0.33 s.
    EXPECT_TRUE(golden::MatchesGoldenImage("world_water_splash.png", Draw(camera.Get(), 1.33f)));
    EXPECT_EQ(m_splash->GetFlipBook()->GetCurrentIndex(), 6);
    camera->SetSceneRoot(nullptr);
    camera->DetachObject(m_splash.Get());
    camera->DetachObject(water->GetFollowAction());
}

} // namespace
