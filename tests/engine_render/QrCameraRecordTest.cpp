// The camera record: lazily recomputed view, projection and combined matrices, the viewport
// in target pixels, and the fog range that follows the frustum.

#include "RenderTestFixture.h"

#include "QrD3DDevice.h"
#include "QrD3DDriver.h"
#include "QrPoint3.h"

namespace
{

class QrCameraRecordTest : public QrRenderTest
{
protected:
    void SetUp() override
    {
        QrRenderTest::SetUp();
        m_renderer = Create(Windowed());
        ASSERT_TRUE(m_renderer);
    }
    void TearDown() override
    {
        m_renderer = nullptr;
        QrRenderTest::TearDown();
    }

    QrD3DDriver& Drv() { return Driver(*m_renderer); }
    const QrCameraRecord& Camera() { return Drv().GetCamera(); }

    // M times (p, 1): screen x and y relative to the viewport centre, and depth, after the
    // division by w.
    void Project(const QrPoint3& p, float& x, float& y, float& z, float& w)
    {
        const float(&m)[4][4] = Camera().combined;
        const float v[4] = {p.x, p.y, p.z, 1.0f};
        float out[4] = {};
        for (int i = 0; i < 4; ++i)
        {
            for (int k = 0; k < 4; ++k)
                out[i] += m[i][k] * v[k];
        }
        w = out[3];
        x = out[0] / w;
        y = out[1] / w;
        z = out[2] / w;
    }

    QrPointer<QrD3DRender> m_renderer;
};

const float kFrustum[6] = {-0.5f, 0.5f, 0.375f, -0.375f, 1.0f, 100.0f};
const float kViewport[4] = {0.0f, 640.0f, 480.0f, 0.0f};

TEST_F(QrCameraRecordTest, DefaultFrustumDepthRow)
{
    const float(&p)[4][4] = Camera().projection;
    EXPECT_EQ(p[2][0], 0.0f);
    EXPECT_EQ(p[2][1], 0.0f);
    EXPECT_FLOAT_EQ(p[2][2], 1.425f);
    EXPECT_FLOAT_EQ(p[2][3], -1.425f);
    EXPECT_EQ(p[3][2], 1.0f);
    EXPECT_EQ(Camera().flags, QrCameraRecord::kInitialised);
}

TEST_F(QrCameraRecordTest, ViewportHalfExtentsAndCentreOnA480PixelTarget)
{
    // The frustum spans the outer edges of the border pixels, -0.5 to 639.5 and 479.5.
    Drv().SetViewport(0.0f, 640.0f, 480.0f, 0.0f);
    EXPECT_EQ(Camera().sx, 320.0f);
    EXPECT_EQ(Camera().sy, 240.0f);
    EXPECT_EQ(Camera().cx, 319.5f);
    EXPECT_EQ(Camera().cy, 239.5f);

    // A viewport in the upper-left quarter, y counted upward.
    Drv().SetViewport(0.0f, 320.0f, 480.0f, 240.0f);
    EXPECT_EQ(Drv().GetViewport().top, 0.0f);
    EXPECT_EQ(Drv().GetViewport().bottom, 240.0f);
    EXPECT_EQ(Camera().cy, 119.5f);
    EXPECT_TRUE(Camera().flags & QrCameraRecord::kProjectionDirty);
}

TEST_F(QrCameraRecordTest, NearMapsToZeroFarToTheClearDepthAndFrustumEdgesToTheViewportEdges)
{
    const QrPoint3 location(1.0f, 2.0f, 3.0f);
    const QrPoint3 direction(0.0f, 0.0f, 1.0f); // looks along -z
    const QrPoint3 up(0.0f, 1.0f, 0.0f);
    m_renderer->SetCameraData(location, QrPoint3(), direction, up, kFrustum, kViewport);
    ASSERT_EQ(m_renderer->ClearBuffer(nullptr, 1), 0u);
    ASSERT_EQ(m_renderer->BeginFrame(), 0u);
    EXPECT_EQ(Camera().flags, QrCameraRecord::kInitialised);
    EXPECT_EQ(Camera().rightVector, QrPoint3(1.0f, 0.0f, 0.0f));

    float x, y, z, w;
    Project(QrPoint3(1.0f, 2.0f, 2.0f), x, y, z, w);
    EXPECT_FLOAT_EQ(w, 1.0f);
    EXPECT_NEAR(z, 0.0f, 1e-6f);
    EXPECT_EQ(x, 0.0f);
    EXPECT_EQ(y, 0.0f);
    Project(QrPoint3(1.0f, 2.0f, -97.0f), x, y, z, w);
    EXPECT_FLOAT_EQ(z, QrD3DDevice::kFarDepth);
    // The right edge of the frustum on the near plane lands sx right of the centre; its top
    // edge sy above it (screen y grows downward).
    Project(QrPoint3(1.5f, 2.0f, 2.0f), x, y, z, w);
    EXPECT_FLOAT_EQ(x, Camera().sx);
    Project(QrPoint3(1.0f, 2.375f, 2.0f), x, y, z, w);
    EXPECT_FLOAT_EQ(y, -Camera().sy);
    EXPECT_EQ(m_renderer->EndFrame(), 0u);
}

TEST_F(QrCameraRecordTest, OnlyWhatIsOutOfDateIsRecomputed)
{
    m_renderer->SetCameraData(QrPoint3(), QrPoint3(), QrPoint3(0.0f, 0.0f, 1.0f), QrPoint3(0.0f, 1.0f, 0.0f), kFrustum,
                              kViewport);
    EXPECT_EQ(Camera().flags, QrCameraRecord::kInitialised | QrCameraRecord::kViewDirty |
                                  QrCameraRecord::kProjectionDirty | QrCameraRecord::kRightDirty);
    Drv().UpdateCamera();
    EXPECT_EQ(Camera().flags, QrCameraRecord::kInitialised);

    // A new frustum alone leaves the view matrix as it is.
    float view[4][4];
    std::copy(&Camera().view[0][0], &Camera().view[0][0] + 16, &view[0][0]);
    Drv().SetFrustum(-1.0f, 1.0f, 1.0f, -1.0f, 2.0f, 50.0f);
    Drv().UpdateFrame();
    EXPECT_TRUE(Camera().flags & QrCameraRecord::kProjectionDirty);
    Drv().UpdateProjection();
    EXPECT_EQ(Camera().flags, QrCameraRecord::kInitialised | QrCameraRecord::kCombinedDirty);
    Drv().UpdateCombined();
    EXPECT_TRUE(std::equal(&view[0][0], &view[0][0] + 16, &Camera().view[0][0]));
    EXPECT_FLOAT_EQ(Camera().combined[2][2], Camera().projection[2][2] * Camera().view[2][2]);
}

TEST_F(QrCameraRecordTest, UpParallelToTheDirectionGivesNoRightVector)
{
    m_renderer->SetCameraData(QrPoint3(4.0f, 5.0f, 6.0f), QrPoint3(), QrPoint3(0.0f, 0.0f, 1.0f),
                              QrPoint3(0.0f, 0.0f, 2.0f), kFrustum, kViewport);
    Drv().UpdateCamera();
    EXPECT_EQ(Camera().rightVector, QrPoint3(0.0f, 0.0f, 0.0f));
    for (int j = 0; j < 4; ++j)
        EXPECT_EQ(Camera().view[0][j], 0.0f);
    EXPECT_EQ(Camera().view[2][3], 6.0f);
}

TEST_F(QrCameraRecordTest, ViewportRecordCoversTheWholeTarget)
{
    const float quarter[4] = {100.0f, 300.0f, 400.0f, 200.0f};
    m_renderer->SetCameraData(QrPoint3(), QrPoint3(), QrPoint3(0.0f, 0.0f, 1.0f), QrPoint3(0.0f, 1.0f, 0.0f), kFrustum,
                              quarter);
    const plat::ViewportDesc& record = Device(*m_renderer).GetViewportRecord();
    EXPECT_EQ(record.x, 0u);
    EXPECT_EQ(record.y, 0u);
    EXPECT_EQ(record.width, 640u);
    EXPECT_EQ(record.height, 480u);
    EXPECT_EQ(record.clipWidth, 640.0f);
    EXPECT_EQ(record.maxZ, 1.0f);
}

TEST_F(QrCameraRecordTest, FogRangeFollowsTheFrustum)
{
    const QrPoint3 grey(0.5f, 0.5f, 0.5f);
    m_renderer->SetFog(1, 0.5f, 1, grey);
    m_renderer->SetCameraData(QrPoint3(), QrPoint3(), QrPoint3(0.0f, 0.0f, 1.0f), QrPoint3(0.0f, 1.0f, 0.0f), kFrustum,
                              kViewport);
    const QrD3DDriver::FogValues& fog = Drv().GetFog();
    EXPECT_EQ(fog.enabled, 1);
    EXPECT_EQ(fog.range, 1);
    EXPECT_EQ(fog.vertexAlpha, 0);
    EXPECT_EQ(fog.end, 100.0f);
    EXPECT_EQ(fog.nearDistance, 1.0f);
    EXPECT_EQ(fog.start, 50.5f);
    EXPECT_FLOAT_EQ(fog.scale, 255.0f / 50.0f);
    EXPECT_EQ(fog.squaredFar, 10000.0f);
    EXPECT_FLOAT_EQ(fog.rangeScale, 255.0f / (10000.0f - 50.5f * 50.5f));

    // A fog start behind the eye keeps its sign when squared.
    m_renderer->SetFog(1, 2.0f, 2, grey);
    EXPECT_EQ(fog.start, -98.0f);
    EXPECT_EQ(fog.squaredStart, -9604.0f);
    EXPECT_EQ(fog.vertexAlpha, 1);
    EXPECT_EQ(fog.range, 0);
}

TEST_F(QrCameraRecordTest, EachFogCallDecidesFromItsOwnDepth)
{
    const QrPoint3 black;
    m_renderer->SetFog(1, 0.0f, 0, black);
    EXPECT_EQ(Drv().GetFog().enabled, 0);
    EXPECT_EQ(Drv().GetFog().scale, 0.0f);
    // A usable depth right after an unusable one turns fog on again.
    m_renderer->SetFog(1, 0.5f, 0, black);
    EXPECT_EQ(Drv().GetFog().enabled, 1);

    // A far plane at zero switches fog off until the next fog call.
    const float flat[6] = {-1.0f, 1.0f, 1.0f, -1.0f, 0.0f, 0.0f};
    m_renderer->SetCameraData(QrPoint3(), QrPoint3(), QrPoint3(0.0f, 0.0f, 1.0f), QrPoint3(0.0f, 1.0f, 0.0f), flat,
                              kViewport);
    EXPECT_EQ(Drv().GetFog().enabled, 0);
    m_renderer->SetCameraData(QrPoint3(), QrPoint3(), QrPoint3(0.0f, 0.0f, 1.0f), QrPoint3(0.0f, 1.0f, 0.0f), kFrustum,
                              kViewport);
    EXPECT_EQ(Drv().GetFog().enabled, 0);
    m_renderer->SetFog(1, 0.5f, 0, black);
    EXPECT_EQ(Drv().GetFog().enabled, 1);
    m_renderer->SetFog(0, 0.5f, 0, black);
    EXPECT_EQ(Drv().GetFog().enabled, 0);
}

TEST(QrD3DDeviceColorTest, PacksTruncatedBytes)
{
    EXPECT_EQ(QrD3DDevice::PackColor(1.0f, 0.5f, 0.0f), 0x00FF7F00u);
    EXPECT_EQ(QrD3DDevice::PackColor(0.999f, 0.0039f, 0.0041f), 0x00FE0001u);
    // Out of range keeps the low eight bits; what no integer holds gives 0.
    EXPECT_EQ(QrD3DDevice::PackColor(2.0f, -1.0f, 1e20f), 0x00FE0100u);
}

} // namespace
