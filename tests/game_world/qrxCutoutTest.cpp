#include "qrxCutout.h"

#include "QrTestFixture.h"
#include "RecordingRender.h"

#include "QrAlphaProperty.h"
#include "QrCamera.h"
#include "QrDisplay.h"
#include "QrTextureModeProperty.h"
#include "QrTextureProperty.h"
#include "QrTransparentProperty.h"
#include "QrTriShape.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace
{

class qrxCutoutTest : public QrEngineTest
{
protected:
    void SetUp() override
    {
        // Program-wide, like the engine's default properties: made before counting.
        qrxCutout::CreateSharedProperties();
        QrEngineTest::SetUp();
        m_render = new RecordingRender;
        m_render->SetLogQueries(false);
        m_render->SetLogArrays(false);
        m_display = new QrDisplay;
        m_display->SetRenderer(m_render.Get());
        m_camera = new QrCamera(0.1f, 5000.0f);
        m_camera->SetDisplay(m_display.Get());
        m_camera->SetDisplayPassFlag(1);
        m_camera->SetSortFlag(0);
    }
    void TearDown() override
    {
        m_display->SetRenderer(nullptr);
        m_camera = nullptr;
        m_display = nullptr;
        m_render = nullptr;
        QrEngineTest::TearDown();
    }

    // Draws one frame from eye looking at the cutout's middle; the number of shapes drawn.
    size_t Frame(QrAVObject* root, const QrPoint3& eye, const QrPoint3& target = QrPoint3(0.0f, 0.5f, 0.0f))
    {
        m_camera->SetSceneRoot(root);
        m_camera->SetTranslate(eye.x, eye.y, eye.z);
        m_camera->UpdateAllInstances();
        const QrPoint3 up =
            std::fabs(eye.x - target.x) + std::fabs(eye.z - target.z) < 1e-3f ? QrPoint3(1, 0, 0) : QrPoint3(0, 1, 0);
        EXPECT_TRUE(m_camera->LookAt(target, up));
        m_render->ClearLog();
        m_camera->RenderFrame(0.0f, 0.0f);
        const std::vector<std::string>& log = m_render->GetLog();
        return size_t(std::count_if(log.begin(), log.end(),
                                    [](const std::string& line) { return line.rfind("RenderShape", 0) == 0; }));
    }

    QrPointer<RecordingRender> m_render;
    QrPointer<QrDisplay> m_display;
    QrPointer<QrCamera> m_camera;
};

TEST_F(qrxCutoutTest, CullsByHorizontalDistanceOnly)
{
    QrPointer<QrTextureProperty> texture(new QrTextureProperty);
    QrPointer<qrxCutout> cutout(new qrxCutout(texture.Get(), qrxCutout::kTransparentColour));
    EXPECT_EQ(cutout->GetCullDistance(), 625.0f);
    const struct
    {
        float cull;
        QrPoint3 eye;
        size_t drawn;
    } cases[] = {
        {625.0f, {25.0f, 0.5f, 0.0f}, 1},    // exactly at the distance
        {625.0f, {25.01f, 0.5f, 0.0f}, 0},   // just beyond
        {625.0f, {15.0f, 400.0f, 20.0f}, 1}, // far above, horizontally at the distance
        {625.0f, {3.0f, 0.5f, 4.0f}, 1},     // the skipped frame left nothing behind
        {0.0f, {2000.0f, 0.5f, 0.0f}, 1},    // no limit
        {-1.0f, {0.0f, 0.5f, 3000.0f}, 1},   {4.0f, {0.0f, 0.5f, 2.5f}, 0},
    };
    for (const auto& c : cases)
    {
        cutout->SetCullDistance(c.cull);
        EXPECT_EQ(Frame(cutout.Get(), c.eye), c.drawn) << c.eye.x << " " << c.eye.y << " " << c.eye.z;
        EXPECT_FALSE(cutout->IsFar());
    }
}

TEST_F(qrxCutoutTest, TurnsItsFrontTowardTheCamera)
{
    QrPointer<QrTextureProperty> texture(new QrTextureProperty);
    QrPointer<qrxCutout> cutout(new qrxCutout(texture.Get(), qrxCutout::kAlphaBlend));
    cutout->SetTranslate(1.0f, 0.0f, 1.0f);
    cutout->UpdateAllInstances();
    const struct
    {
        QrPoint3 eye, front;
    } cases[] = {{{11.0f, 0.5f, 1.0f}, {1, 0, 0}},
                 {{1.0f, 3.0f, -9.0f}, {0, 0, -1}},
                 {{-2.0f, 0.5f, -2.0f}, {-0.70710677f, 0, -0.70710677f}},
                 {{1.0f, 20.0f, 1.0f}, {0, 0, 1}}}; // straight above: unturned
    for (const auto& c : cases)
    {
        ASSERT_EQ(Frame(cutout.Get(), c.eye, QrPoint3(1.0f, 0.5f, 1.0f)), 1u);
        const QrAVInstance* quad = cutout->GetQuad()->GetCurrentInstance();
        const QrPoint3 front = quad->m_worldRotate.TimesPoint(QrPoint3(0.0f, 0.0f, 1.0f));
        const QrPoint3 up = quad->m_worldRotate.TimesPoint(QrPoint3(0.0f, 1.0f, 0.0f));
        EXPECT_NEAR(front.x, c.front.x, 1e-5f);
        EXPECT_NEAR(front.z, c.front.z, 1e-5f);
        EXPECT_NEAR(up.y, 1.0f, 1e-6f);
        EXPECT_EQ(quad->m_worldTranslate, QrPoint3(1.0f, 0.0f, 1.0f));
    }
}

TEST_F(qrxCutoutTest, CutoutsShareTheirPropertiesAndTheTextureModeIsReadOnce)
{
    QrPointer<QrTextureProperty> texture(new QrTextureProperty);
    QrPointer<qrxCutout> a(new qrxCutout(texture.Get(), qrxCutout::kTransparentColour));
    qrxCutout::SetTextureMode(0);
    QrPointer<qrxCutout> b(new qrxCutout(texture.Get(), qrxCutout::kTransparentColour));
    QrPointer<qrxCutout> c(new qrxCutout(texture.Get(), qrxCutout::kAlphaBlend));
    QrPointer<qrxCutout> d(new qrxCutout(texture.Get(), 0));
    qrxCutout::SetTextureMode(1);
    const QrPointerList<QrProperty>& pa = a->GetQuad()->GetPropertyList();
    EXPECT_EQ(pa.GetCount(), 3u);
    for (QrProperty* p : pa)
        EXPECT_TRUE(b->GetQuad()->GetPropertyList().Contains(p));
    auto find = [](qrxCutout* cutout, uint32_t type) -> QrProperty*
    {
        for (QrProperty* p : cutout->GetQuad()->GetPropertyList())
            if (p->Type() == type)
                return p;
        return nullptr;
    };
    auto* mode = static_cast<QrTextureModeProperty*>(find(b.Get(), QrTextureModeProperty::kType));
    ASSERT_NE(mode, nullptr);
    EXPECT_EQ(mode->m_filterMode, 5u);
    EXPECT_EQ(mode, find(d.Get(), QrTextureModeProperty::kType));
    auto* alpha = static_cast<QrAlphaProperty*>(find(c.Get(), QrAlphaProperty::kType));
    ASSERT_NE(alpha, nullptr);
    EXPECT_EQ(alpha->m_enabled, 1);
    EXPECT_EQ(find(c.Get(), QrTransparentProperty::kType), nullptr);
    EXPECT_EQ(find(d.Get(), QrTransparentProperty::kType), nullptr);
    EXPECT_EQ(find(d.Get(), QrAlphaProperty::kType), nullptr);
    EXPECT_EQ(find(a.Get(), QrTextureProperty::kType), texture.Get());
}

} // namespace
