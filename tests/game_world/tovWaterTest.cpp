#include "tovWater.h"

#include "WaterTestFixture.h"
#include "qrxWaveGrid.h"
#include "tovWaterFollowAction.h"

#include "qrxAnimatedTextureProperty.h"
#include "qrxIdleManager.h"

#include "QrAlphaProperty.h"
#include "QrCamera.h"
#include "QrPlane.h"
#include "QrTextureModeProperty.h"
#include "QrTriShape.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{

class tovWaterTest : public WaterTestFixture
{
protected:
    static bool IsFlat(const qrxWaveGrid& grid)
    {
        for (int32_t k = 0; k < grid.GetVertexCount(); ++k)
            if (grid.GetVertices()[k] != grid.GetRestPositions()[k])
                return false;
        return true;
    }

    static float RingHeight(const tovWater& water, int32_t k) { return water.GetRingNode(k, 0)->GetTranslate().y; }
};

// Patch size 2: the block moves only when the camera leaves its patch, and then by whole patches.
TEST_F(tovWaterTest, FollowsTheCameraInWholePatches)
{
    QrPointer<tovWater> water(new tovWater(4, 0.5f, nullptr));
    ASSERT_FLOAT_EQ(water->GetPatchSize(), 2.0f);
    QrPointer<QrCamera> camera(new QrCamera);
    water->AttachToCamera(camera.Get());
    QrPointer<tovWaterFollowAction> action(water->GetFollowAction());
    ASSERT_EQ(camera->GetActions().GetCount(), 1u);
    const struct
    {
        QrPoint3 camera;
        float x0, z0;
    } steps[] = {{{0.0f, 1.0f, 0.0f}, -3.0f, -3.0f},
                 {{2.0f, 1.0f, -2.0f}, -1.0f, -5.0f},
                 {{3.9f, -4.0f, -0.1f}, -1.0f, -5.0f},
                 {{-0.01f, 1.0f, 5.5f}, -5.0f, 1.0f},
                 {{101.0f, 0.0f, -7.0f}, 97.0f, -11.0f}};
    for (const auto& step : steps)
    {
        camera->SetTranslate(step.camera.x, step.camera.y, step.camera.z);
        camera->UpdateAllInstances();
        action->SetCamera(camera.Get());
        EXPECT_TRUE(action->Update(0.0, 0.0));
        action->SetCamera(nullptr);
        EXPECT_EQ(water->GetTranslate(), QrPoint3(step.x0, 0.0f, step.z0)) << step.camera.x;
    }
    // The action outlives the water on the camera and then does nothing.
    water = nullptr;
    action->SetCamera(camera.Get());
    EXPECT_TRUE(action->Update(0.0, 0.0));
    action->SetCamera(nullptr);
    EXPECT_TRUE(camera->DetachObject(action.Get()));
}

TEST_F(tovWaterTest, RingsTileOutwardsAroundTheBlock)
{
    QrPointer<tovWater> water(new tovWater(2, 0.8f, nullptr));
    const float s = water->GetPatchSize();
    // The square each level covers; its centre is left open for the finer level inside.
    float inner0 = 0.0f, inner1 = 4.0f * s;
    for (int32_t k = 1; k <= tovWater::kRingCount; ++k)
    {
        const float tile = water->GetRingMesh(k)->GetVertices()[2].x;
        EXPECT_FLOAT_EQ(tile, inner1 - inner0) << "ring " << k;
        float covered = 0.0f;
        for (int32_t t = 0; t < tovWater::kRingTiles; ++t)
        {
            const QrPoint3& at = water->GetRingNode(k, t)->GetTranslate();
            EXPECT_GE(at.x, inner0 - tile - 1e-4f);
            EXPECT_LE(at.x + tile, inner1 + tile + 1e-4f);
            // No tile reaches into the open centre.
            const bool apartX = at.x + tile <= inner0 + 1e-4f || at.x >= inner1 - 1e-4f;
            const bool apartZ = at.z + tile <= inner0 + 1e-4f || at.z >= inner1 - 1e-4f;
            EXPECT_TRUE(apartX || apartZ) << "ring " << k << " tile " << t;
            covered += tile * tile;
        }
        EXPECT_FLOAT_EQ(covered, 8.0f * tile * tile);
        inner0 -= tile;
        inner1 += tile;
    }
    EXPECT_FLOAT_EQ(water->GetRingNode(3, 0)->GetTranslate().x, -52.0f * s);
    EXPECT_FLOAT_EQ(water->GetRingNode(2, 0)->GetTranslate().z, -16.0f * s);
}

TEST_F(tovWaterTest, UnderwaterTurnsEverythingOverOnce)
{
    QrPointer<tovWater> water(new tovWater(3, 0.5f, nullptr));
    water->SetWaveScale(0.1f);
    qrxWaveGrid* grid = water->GetWaveGrid();
    QrTriShape* ring = water->GetRingMesh(2);
    EXPECT_GT(grid->GetPlanes()[0].GetNormal().y, 0.0f);
    EXPECT_GT(ring->GetNormals()[0].y, 0.0f);
    EXPECT_FLOAT_EQ(RingHeight(*water, 1), -0.11f);
    for (int32_t twice = 0; twice < 2; ++twice)
    {
        water->SetUnderwater(true);
        EXPECT_LT(grid->GetPlanes()[0].GetNormal().y, 0.0f);
        EXPECT_LT(ring->GetPlanes()[1].GetNormal().y, 0.0f);
        EXPECT_LT(ring->GetNormals()[3].y, 0.0f);
        EXPECT_FLOAT_EQ(RingHeight(*water, 1), 0.11f);
        EXPECT_FLOAT_EQ(RingHeight(*water, 2), 0.12f);
        EXPECT_FLOAT_EQ(RingHeight(*water, 3), 0.13f);
    }
    water->SetUnderwater(false);
    EXPECT_GT(grid->GetPlanes()[0].GetNormal().y, 0.0f);
    EXPECT_FLOAT_EQ(RingHeight(*water, 3), -0.13f);
    water->SetWaveScale(0.0f);
    for (int32_t k = 1; k <= tovWater::kRingCount; ++k)
    {
        EXPECT_EQ(RingHeight(*water, k), 0.0f);
        EXPECT_TRUE(std::signbit(RingHeight(*water, k)));
    }
}

// Switching the waves off flattens them whatever the frame rate was, and they stay flat.
TEST_F(tovWaterTest, SwitchingOffFlattensAtAnyFrameRate)
{
    for (const double frame : {0.0007, 1.0 / 300.0, 1.0 / 75.0, 0.04, 0.5})
    {
        QrPointer<tovWater> water(new tovWater(4, 0.4f, nullptr));
        water->SetWaveScale(0.05f);
        double now = 0.0;
        for (int32_t k = 0; k < 31; ++k)
            water->Update(now += frame, frame);
        ASSERT_FALSE(IsFlat(*water->GetWaveGrid())) << frame;
        water->SetActive(false);
        EXPECT_TRUE(IsFlat(*water->GetWaveGrid())) << "frame " << frame;
        EXPECT_TRUE(std::signbit(RingHeight(*water, 1)));
        water->Update(now += frame, frame);
        EXPECT_TRUE(IsFlat(*water->GetWaveGrid())) << "frame " << frame;
        water->SetActive(true);
        water->SetWaveScale(0.05f);
        water->Update(now += 0.1, 0.1);
        EXPECT_FALSE(IsFlat(*water->GetWaveGrid())) << frame;
    }
}

TEST_F(tovWaterTest, TransparencyFollowsDetailAndSoftwareRendering)
{
    SoftwareServices software;
    const struct
    {
        float detail;
        bool software, allowed;
    } cases[] = {{0.0f, false, false}, {0.1f, false, false}, {0.14f, false, true}, {0.14f, true, false},
                 {0.5f, true, false},  {0.54f, true, true},  {1.0f, true, true}};
    for (const auto& c : cases)
    {
        TheUserProfile().SetDetail(c.detail);
        SetAppServices(c.software ? &software : nullptr);
        EXPECT_EQ(tovWater::IsTransparencyAllowed(), c.allowed) << c.detail << " " << c.software;
        QrPointer<tovWater> water(new tovWater(1, 1.6f, nullptr));
        EXPECT_EQ(water->GetWaveGrid()->GetAlphaFlag(), c.allowed);
        EXPECT_EQ(water->GetLayerAlpha()->m_enabled != 0, c.allowed);
        auto* mode = static_cast<QrTextureModeProperty*>(FindProperty(water.Get(), QrTextureModeProperty::kType));
        ASSERT_TRUE(mode);
        EXPECT_EQ(mode->m_filterMode, c.allowed ? 1u : 0u);
        // The lowest detail: one cell of two triangles per patch.
        EXPECT_EQ(water->GetWaveGrid()->GetTriangleCount(), 2);
        EXPECT_FLOAT_EQ(water->GetPatchSize(), 1.6f);
    }
    SetAppServices(nullptr);
}

TEST_F(tovWaterTest, SurfaceTextureHasEightFramesAndLeavesItsManager)
{
    StartRenderer();
    qrxIdleManager manager;
    QrPointer<tovWater> water(new tovWater(2, 1.0f, &manager));
    qrxAnimatedTextureProperty* texture = water->GetAnimatedTexture();
    EXPECT_EQ(texture->GetFrameCount(), 8);
    EXPECT_FLOAT_EQ(texture->GetFrameInterval(), 0.05f);
    EXPECT_TRUE(manager.Contains(texture));
    // Off until the sky turns it on.
    manager.Update(1.0);
    manager.Update(2.0);
    EXPECT_EQ(texture->GetCurrentIndex(), 0);
    QrPointer<qrxAnimatedTextureProperty> kept(texture);
    water = nullptr;
    EXPECT_EQ(manager.GetCount(), 0u);
}

// A boat's-eye view across the waves to the rings on the horizon, a few frames into the day.
TEST_F(tovWaterTest, SurfaceThroughTheSoftwareRenderer)
{
    StartRenderer();
    qrxIdleManager manager;
    QrPointer<tovWater> water(new tovWater(8, 0.2f, &manager));
    water->SetWaveScale(0.015f);
    water->GetAnimatedTexture()->SetRunning(1);
    manager.Add(water.Get());
    QrPointer<QrNode> root = MakeLitRoot();
    root->AttachChild(water.Get());
    root->UpdateAllInstances();
    QrPointer<QrCamera> camera(new QrCamera(0.05f, 200.0f));
    camera->SetTranslate(0.3f, 0.12f, 0.2f);
    camera->UpdateAllInstances();
    ASSERT_TRUE(camera->LookAt(QrPoint3(-0.6f, 0.0f, -2.0f), QrPoint3(0.0f, 1.0f, 0.0f)));
    camera->SetSceneRoot(root.Get());
    water->AttachToCamera(camera.Get());
    for (int32_t frame = 1; frame <= 12; ++frame)
        manager.Update(0.05 * frame);
    EXPECT_GT(water->GetAnimatedTexture()->GetCurrentIndex(), 0);
    EXPECT_TRUE(golden::MatchesGoldenImage("world_water_surface.png", Draw(camera.Get(), 0.6f)));
    // Drawing ran the follow action: the camera is in the middle of the block.
    EXPECT_EQ(water->GetTranslate(), QrPoint3(-2.4f, 0.0f, -2.4f));
    camera->SetSceneRoot(nullptr);
    camera->DetachObject(water->GetFollowAction());
}

} // namespace
