#pragma once
// Fixture of the geometry-pipeline tests: a windowed renderer on the recording rasterizer (or
// the display's software one when a test asks), a camera at the origin looking down -z with a 90-degree
// square frustum on a 640 x 480 viewport, and a frame begun. Helpers read back what the device
// was asked to draw.

#include "RenderTestFixture.h"

#include "CapsProfile.h"
#include "Device3D.h"
#include "QrBound.h"
#include "QrColorA.h"
#include "QrD3DDevice.h"
#include "QrD3DDriver.h"
#include "QrPlane.h"
#include "QrPoint3.h"
#include "RecordingRasterizer.h"

#include <memory>
#include <vector>

class QrPipelineTest : public QrRenderTest
{
protected:
    static constexpr float kFar = 100.0f;

    void SetUp() override { QrRenderTest::SetUp(); }

    void TearDown() override
    {
        m_renderer = nullptr;
        QrRenderTest::TearDown();
    }

    plat::DeviceCaps& RgbCaps() { return m_config.profile.Device(plat::DeviceKind::Rgb).caps; }

    // Creates the renderer (after any caps changes) and begins a frame.
    void Open(uint32_t flags = 9, bool recording = true)
    {
        m_config.rasterizer = nullptr;
        if (recording)
            m_config.rasterizer = [] { return std::make_unique<plat::RecordingRasterizer>(); };
        m_renderer = Create(Windowed(flags));
        ASSERT_TRUE(m_renderer);
        const float frustum[6] = {-1.0f, 1.0f, 1.0f, -1.0f, 1.0f, kFar};
        const float viewport[4] = {0.0f, 640.0f, 480.0f, 0.0f};
        m_renderer->SetCameraData(QrPoint3(0.0f, 0.0f, 0.0f), QrPoint3(0.0f, 0.0f, -1.0f), QrPoint3(0.0f, 0.0f, 1.0f),
                                  QrPoint3(0.0f, 1.0f, 0.0f), frustum, viewport);
        ASSERT_EQ(m_renderer->BeginFrame(), 0u);
        m_calls.Clear();
        if (recording)
            Recorder().Clear();
    }

    QrD3DDriver& Drv() { return Driver(*m_renderer); }
    QrD3DDevice& Dev() { return Device(*m_renderer); }
    plat::RecordingRasterizer& Recorder()
    {
        return dynamic_cast<plat::RecordingRasterizer&>(Dev().GetDevice3D()->GetRasterizer());
    }
    const std::vector<plat::RecordedDraw>& Draws() { return Recorder().Draws(); }

    // Vertices of the draw in index order.
    static std::vector<plat::TlVertex2> Corners(const plat::RecordedDraw& draw)
    {
        std::vector<plat::TlVertex2> out;
        for (uint16_t i : draw.indices)
            out.push_back(draw.vertices[i]);
        return out;
    }

    // Twice the signed screen area (y down): negative for triangles that run counter-clockwise
    // on screen, which the device keeps.
    static float Area2(const plat::TlVertex2& a, const plat::TlVertex2& b, const plat::TlVertex2& c)
    {
        return (b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y);
    }

    // A bound that every test light reaches.
    static QrBound WideBound()
    {
        QrBound bound;
        bound.Set(QrPoint3(0.0f, 0.0f, -10.0f), 1000.0f);
        return bound;
    }

    // The plane of a triangle facing the camera at the origin (normal toward +z).
    static QrPlane Facing(float z) { return QrPlane(QrPoint3(0.0f, 0.0f, 1.0f), z); }

    QrPointer<QrD3DRender> m_renderer;
};
