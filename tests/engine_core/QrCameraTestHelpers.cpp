#include "QrCameraTestHelpers.h"

#include "QrStream.h"

namespace camtest
{

QR_IMPLEMENT_RTTI(CameraRender, RecordingRender)
QR_IMPLEMENT_RTTI(QrTestBall, QrAVObject)
QR_IMPLEMENT_RTTI(QrTestCameraAction, QrCameraAction)
QR_IMPLEMENT_CREATE(QrTestCameraAction)

std::vector<std::string> QrTestBall::ms_drawLog;
std::vector<uint32_t> QrTestBall::ms_maskLog;
std::vector<std::string> QrTestCameraAction::ms_log;

void CameraTest::SetUp()
{
    QrEngineTest::SetUp();
    QrTestCameraAction::RegisterCreateFunction();
    QrTestBall::ms_drawLog.clear();
    QrTestBall::ms_maskLog.clear();
    QrTestCameraAction::ms_log.clear();
}

void CameraTest::TearDown()
{
    m_render = nullptr;
    QrEngineTest::TearDown();
}

QrPointer<QrDisplay> CameraTest::MakeDisplay(uint32_t width, uint32_t height)
{
    m_render = new CameraRender(width, height);
    m_render->SetLogQueries(false);
    QrPointer<QrDisplay> display(new QrDisplay);
    display->SetRenderer(m_render.Get());
    m_render->ClearLog();
    return display;
}

void CameraRender::SetCameraData(const QrPoint3& location, const QrPoint3& nearPoint, const QrPoint3& direction,
                                 const QrPoint3& up, const float (&frustum)[6], const float (&viewport)[4])
{
    RecordingRender::SetCameraData(location, nearPoint, direction, up, frustum, viewport);
    m_location = location;
    m_nearPoint = nearPoint;
    m_direction = direction;
    m_up = up;
    for (int i = 0; i < 6; ++i)
        m_frustum[i] = frustum[i];
    for (int i = 0; i < 4; ++i)
        m_viewport[i] = viewport[i];
}

void CameraRender::SetClipPlanes(const QrPlane* const* planes, uint32_t count, uint32_t frustumCount,
                                 uint32_t frustumMask)
{
    RecordingRender::SetClipPlanes(planes, count, frustumCount, frustumMask);
    ClipSet set;
    set.count = count;
    set.frustumCount = frustumCount;
    set.frustumMask = frustumMask;
    for (uint32_t i = 0; i < count; ++i)
        set.planes.push_back(*planes[i]);
    m_clipSets.push_back(set);
}

uint32_t CameraRender::RenderScreenPolygon(uint16_t count, const QrPoint3* vertices, const QrPoint3* textureCoords,
                                           const QrColorA* colors)
{
    RecordingRender::RenderScreenPolygon(count, vertices, textureCoords, colors);
    m_polygons.emplace_back(vertices, vertices + (vertices ? count : 0));
    return 0;
}

std::vector<std::string> CameraRender::Calls(std::initializer_list<const char*> names) const
{
    std::vector<std::string> calls;
    for (const std::string& line : GetLog())
    {
        const std::string name = line.substr(0, line.find(' '));
        for (const char* wanted : names)
            if (name == wanted)
                calls.push_back(name);
    }
    return calls;
}

QrTestBall::QrTestBall(const char* name, float x, float y, float z, float radius) : m_radius(radius)
{
    SetName(name);
    SetTranslate(x, y, z);
    Update(GetCurrentInstance());
}

bool QrTestBall::UpdateWorldBound(QrAVInstance* instance)
{
    SetCurrentInstance(instance);
    QrAVInstance* record = GetCurrentInstance();
    record->m_worldBound.Set(record->m_worldTranslate, m_radius * record->m_worldScale);
    return true;
}

void QrTestBall::Draw(QrCamera* camera, QrAVInstance* instance)
{
    SetCurrentInstance(instance);
    ms_drawLog.push_back(GetName());
    ms_maskLog.push_back(camera->GetPassedPlaneMask()[0]);
    QrDisplay* display = camera->GetDisplay();
    QrRender* renderer = display ? display->GetRenderer() : nullptr;
    if (!renderer)
        return;
    camera->SendClipPlanes();
    display->ApplyCurrentState();
    const QrAVInstance* record = GetCurrentInstance();
    renderer->RenderPoints(1, &record->m_worldTranslate, nullptr, nullptr, 1.0f, record->m_worldBound);
}

bool QrTestCameraAction::Update(double time, double elapsed)
{
    m_seen.push_back(GetCamera());
    m_lastTime = time;
    m_lastElapsed = elapsed;
    ms_log.push_back(GetName() ? GetName() : "?");
    if (m_script)
        m_script(this);
    return true;
}

} // namespace camtest
