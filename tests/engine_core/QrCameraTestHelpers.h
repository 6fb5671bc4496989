#pragma once
// Shared by the camera, sorter, screen-polygon and camera-action tests: a fixture, a display
// on a recording renderer that also keeps the view and clip-plane arguments, a small drawable
// that logs its draws, and scene-file helpers.

#include "QrTestFixture.h"
#include "StreamTestHelpers.h"

#include "QrAVObject.h"
#include "QrCamera.h"
#include "QrCameraAction.h"
#include "QrDisplay.h"
#include "QrPlane.h"
#include "QrPointer.h"
#include "RecordingRender.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace camtest
{

// Registers the test camera action and empties the draw logs.
class CameraTest : public QrEngineTest
{
protected:
    void SetUp() override;
    void TearDown() override;

    // A display on a fresh CameraRender of the given size.
    QrPointer<QrDisplay> MakeDisplay(uint32_t width = 640, uint32_t height = 480);
    // Of the last MakeDisplay.
    class CameraRender* Render() const { return m_render.Get(); }

private:
    QrPointer<class CameraRender> m_render;
};

// Keeps what the log cannot show exactly: the view of the last frame and every clip-plane set.
class CameraRender : public RecordingRender
{
    QR_DECLARE_RTTI

public:
    using RecordingRender::RecordingRender;

    struct ClipSet
    {
        uint32_t count = 0;
        uint32_t frustumCount = 0;
        uint32_t frustumMask = 0;
        std::vector<QrPlane> planes;
    };

    void SetCameraData(const QrPoint3& location, const QrPoint3& nearPoint, const QrPoint3& direction,
                       const QrPoint3& up, const float (&frustum)[6], const float (&viewport)[4]) override;
    void SetClipPlanes(const QrPlane* const* planes, uint32_t count, uint32_t frustumCount,
                       uint32_t frustumMask) override;
    uint32_t RenderScreenPolygon(uint16_t count, const QrPoint3* vertices, const QrPoint3* textureCoords,
                                 const QrColorA* colors) override;

    // The calls of the log whose names are given, in order, names only.
    std::vector<std::string> Calls(std::initializer_list<const char*> names) const;

    QrPoint3 m_location, m_nearPoint, m_direction, m_up;
    float m_frustum[6] = {};
    float m_viewport[4] = {};
    std::vector<ClipSet> m_clipSets;
    std::vector<std::vector<QrPoint3>> m_polygons;

protected:
    ~CameraRender() override = default;
};

// A ball that logs its name at every draw and then draws like geometry: clip planes, state,
// one point. Its world bound is its world translation with the radius times the world scale.
class QrTestBall : public QrAVObject
{
    QR_DECLARE_RTTI

public:
    QrTestBall(const char* name, float x, float y, float z, float radius);

    bool UpdateWorldBound(QrAVInstance* instance) override;
    void Draw(QrCamera* camera, QrAVInstance* instance) override;

    static std::vector<std::string> ms_drawLog;
    // The camera's passed-plane mask (first word) at each draw.
    static std::vector<uint32_t> ms_maskLog;

    float m_radius;

protected:
    ~QrTestBall() override = default;
};

// A camera action that records the camera it sees and counts its updates. Registered, so
// scene files can hold it.
class QrTestCameraAction : public QrCameraAction
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    QrTestCameraAction() = default;

    bool Update(double time, double elapsed) override;

    std::vector<QrCamera*> m_seen;
    double m_lastTime = -1.0;
    double m_lastElapsed = -1.0;
    // Runs inside Update, with the camera set.
    void (*m_script)(QrTestCameraAction* self) = nullptr;
    // Global log of updates by name, across actions.
    static std::vector<std::string> ms_log;

protected:
    ~QrTestCameraAction() override = default;
};

using streamtest::Save;
using streamtest::Load;

} // namespace camtest
