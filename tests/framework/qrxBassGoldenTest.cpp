// The sample bass as the game shows a key-framed fish: cut from its scene file into a
// key-framed model, its skin an animated texture given through the property assigner, both
// stepped by one idle manager on a manual clock, and drawn by the real renderer at two times.
#include "FrameworkSceneTest.h"

#include "qrxAnimatedTextureProperty.h"
#include "qrxAssetCache.h"
#include "qrxIdleManager.h"
#include "qrxKeyFramedModel.h"
#include "qrxPropertyAssigner.h"
#include "qrxSceneFiles.h"

#include "GoldenImage.h"
#include "TestFiles.h"
#include "gen/GenFrameworkModels.h"

#include "DebugOutput.h"
#include "DisplayConfig.h"
#include "HeadlessWindowBackend.h"
#include "QrCamera.h"
#include "QrD3DRender.h"
#include "QrDDContext.h"
#include "QrDDImage.h"
#include "QrDisplay.h"
#include "QrImage.h"
#include "QrRenderCreateParams.h"

namespace
{

class qrxBassGoldenTest : public FrameworkSceneTest
{
protected:
    void SetUp() override
    {
        FrameworkSceneTest::SetUp();
        plat::SetDebugSink(&m_quiet);
        m_window.Open(plat::WindowDesc{"bass", 640, 480});
        m_config.window = &m_window;
        plat::SetDisplayConfig(&m_config);
        QrDDContext::SetRenderWindow(&m_window);
        QrD3DRender::SetImageHook();
        QrRenderCreateParams params;
        params.window = &m_window;
        params.flags = QrRenderCreateParams::kFlagZBuffer | 0x8;
        params.mode = QrRenderCreateParams::kModeWindowed;
        m_renderer = QrD3DRender::Create(params);
        ASSERT_TRUE(m_renderer) << QrD3DRender::GetLastErrorText();
        QrImage::AddRenderer(m_renderer.Get(), 0);
        m_display = new QrDisplay;
        m_display->SetRenderer(m_renderer.Get());
    }

    void TearDown() override
    {
        qrxAssetCache::Get().Clear();
        if (m_display)
            m_display->SetRenderer(nullptr);
        m_display = nullptr;
        if (m_renderer)
            QrImage::RemoveRenderer(m_renderer.Get(), 0);
        m_renderer = nullptr;
        QrD3DRender::ReleaseCurrentRenderer();
        QrDDImage::ReleaseAllSurfaces();
        QrDDImage::SetGlobalObject(nullptr);
        QrDDImage::SetDirectDraw(nullptr);
        QrDDContext::ResetProgramState();
        QrImage::SetCreateHook(nullptr);
        plat::SetDisplayConfig(nullptr);
        plat::SetDebugSink(nullptr);
        FrameworkSceneTest::TearDown();
    }

    golden::RgbImage Draw(QrCamera* camera, float now)
    {
        m_renderer->SetBackgroundColor(QrPoint3(0.16f, 0.30f, 0.28f));
        camera->SetDisplay(m_display.Get());
        camera->SetViewportFromDisplay(3);
        camera->RenderFrame(now, 0.0f);
        m_display->EndFrame();
        m_display->DisplayFrame();
        camera->SetDisplay(nullptr);
        return golden::FromRgb565(m_window.Frame().data(), m_window.FrameWidth(), m_window.FrameHeight());
    }

    plat::RecordingDebugSink m_quiet;
    plat::HeadlessWindowBackend m_window;
    plat::DisplayConfig m_config;
    QrPointer<QrD3DRender> m_renderer;
    QrPointer<QrDisplay> m_display;
};

TEST_F(qrxBassGoldenTest, SwimmingBassAtTwoTimes)
{
    QrPointer<qrxKeyFramedModel> fish(new qrxKeyFramedModel);
    QrPointer<QrAVObject> bass = LoadSceneObject(DataFile(gen::kBassFile).c_str(), "Bass");
    ASSERT_TRUE(bass);
    fish->AttachChild(bass.Get());
    fish->CollectKeyFramed(fish.Get());
    fish->SetRotate(0.5f, 0, 1, 0);

    QrPointer<qrxAnimatedTextureProperty> skin(new qrxAnimatedTextureProperty);
    skin->MakeFrameFormat(0, gen::kBassSkinFrames - 1, 1, 2);
    skin->SetFrames(DataFile(gen::kBassSkinFile).c_str(), true);
    skin->SetFrameSkipping(1);
    ASSERT_EQ(skin->GetFrameCount(), gen::kBassSkinFrames);
    qrxPropertyAssigner().Assign(fish.Get(), "BodyMesh", skin.Get());

    QrPointer<QrCamera> camera(new QrCamera(0.5f, 20.0f));
    camera->SetTranslate(0.3f, 0.9f, 3.0f);
    camera->Update(camera->GetCurrentInstance());
    camera->LookAt(QrPoint3(0.1f, 0.3f, 0.0f), QrPoint3(0, 1, 0));
    camera->SetSceneRoot(fish.Get());

    qrxIdleManager manager;
    manager.Add(fish.Get());
    manager.Add(skin.Get());
    const struct
    {
        float now;
        int32_t frame;
        const char* golden;
    } frames[] = {
        {1.0f, 0, nullptr}, {1.3f, 2, "framework_bass_swim_0.3s.png"}, {1.8f, 6, "framework_bass_swim_0.8s.png"}};
    for (const auto& f : frames)
    {
        manager.Update(f.now);
        fish->UpdateAllInstances();
        EXPECT_EQ(skin->GetCurrentIndex(), f.frame);
        if (f.golden)
        {
            EXPECT_TRUE(golden::MatchesGoldenImage(f.golden, Draw(camera.Get(), f.now)));
        }
    }
    camera->SetSceneRoot(nullptr);
}

} // namespace
