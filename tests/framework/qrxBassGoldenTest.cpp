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

#include "HeadlessRenderer.h"
#include "QrCamera.h"

#include <memory>

namespace
{

class qrxBassGoldenTest : public FrameworkSceneTest
{
protected:
    void SetUp() override
    {
        FrameworkSceneTest::SetUp();
        m_rig = std::make_unique<HeadlessRenderer>();
        ASSERT_TRUE(m_rig->GetRenderer()) << QrD3DRender::GetLastErrorText();
    }

    void TearDown() override
    {
        // The cache holds the skin's images, which the renderer must see go first.
        qrxAssetCache::Get().Clear();
        m_rig.reset();
        FrameworkSceneTest::TearDown();
    }

    golden::RgbImage Draw(QrCamera* camera, float now)
    {
        m_rig->DrawFrame(camera, now, QrPoint3(0.16f, 0.30f, 0.28f));
        plat::HeadlessWindowBackend& window = m_rig->GetWindow();
        return golden::FromRgb565(window.Frame().data(), window.FrameWidth(), window.FrameHeight());
    }

    std::unique_ptr<HeadlessRenderer> m_rig;
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
