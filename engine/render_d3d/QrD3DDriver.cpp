#include "QrD3DDriver.h"

#include "DebugOutput.h"
#include "Device3D.h"
#include "Format.h"
#include "QrD3DDevice.h"
#include "QrDDContext.h"
#include "QrRenderCode.h"

#include <string>

namespace
{

constexpr uint32_t kIndexStagingBytes = 3072;
constexpr uint32_t kIndexStagingCapacity = 256;
constexpr uint32_t kInitialTriangles = 256;

} // namespace

QrD3DDriver::QrD3DDriver()
    : m_triangles(kInitialTriangles), m_indexStaging(kIndexStagingBytes / sizeof(uint16_t)),
      m_indexCapacity(kIndexStagingCapacity)
{
    ResetClipInterpolator();
}

QrD3DDriver::~QrD3DDriver()
{
    // The device shuts its context down; the work buffers go with the members.
    m_device.reset();
}

uint32_t QrD3DDriver::Initialize(const QrRenderCreateParams& params, QrD3DRender* owner)
{
    auto context = std::make_unique<QrDDContext>();
    if (context->Initialize(params, owner) != QrRenderCode::kOk)
    {
        context->Shutdown();
        return QrRenderCode::kCreateFailed;
    }

    m_device = std::make_unique<QrD3DDevice>();
    m_device->SetDriver(this);
    if (m_device->Open(params, owner, std::move(context)) != QrRenderCode::kOk)
    {
        // Closing the half-open device shuts its context down.
        m_device.reset();
        return QrRenderCode::kCreateFailed;
    }
    plat::DebugOutput(plat::Format("Quarrender D3DDriver Info: Using %s\n", m_device->GetName()).c_str());
    if (plat::Device3D* device = m_device->GetDevice3D())
    {
        const std::string drawing = device->GetRasterizer().Describe();
        if (!drawing.empty())
            plat::DebugOutput(("Drawing with the " + drawing + "\n").c_str());
    }

    QrDDContext& ddContext = *m_device->GetContext();
    InitCamera();
    uint32_t code = UpdateCamera();
    if (code != QrRenderCode::kOk)
    {
        ddContext.ResetCooperativeLevel();
        return code;
    }

    const float width = static_cast<float>(ddContext.GetBufferWidth());
    const float height = static_cast<float>(ddContext.GetBufferHeight());
    m_viewport.width = width;
    m_viewport.height = height;
    m_viewport.left = 0.0f;
    m_viewport.top = 0.0f;
    m_viewport.right = width - 1.0f;
    m_viewport.bottom = height - 1.0f;
    m_camera.sx = width * 0.5f;
    m_camera.sy = height * 0.5f;
    m_camera.cx = width * 0.5f;
    m_camera.cy = height * 0.5f;

    code = m_device->ApplyDefaultStates(m_stateFlags);
    if (code != QrRenderCode::kOk)
    {
        ddContext.ResetCooperativeLevel();
        return QrRenderCode::kCreateFailed;
    }
    m_drawDefaults = 0;
    if (!(ddContext.GetFlags() & QrDDContext::kOffscreen))
        QrDDContext::SetOnScreenRendererMade();
    return QrRenderCode::kOk;
}

void QrD3DDriver::InitCamera()
{
    m_camera.location = QrPoint3(0.0f, 0.0f, 0.0f);
    m_camera.up = QrPoint3(0.0f, 1.0f, 0.0f);
    m_camera.direction = QrPoint3(0.0f, 0.0f, 1.0f);
    m_camera.rightVector = QrPoint3(1.0f, 0.0f, 0.0f);
    m_camera.nearPlane = 1.0f;
    m_camera.farPlane = 3.0f;
    m_camera.left = -1.0f;
    m_camera.right = 1.0f;
    m_camera.top = 1.0f;
    m_camera.bottom = -1.0f;
    m_camera.flags = QrCameraRecord::kInitialised | QrCameraRecord::kRightDirty | QrCameraRecord::kProjectionDirty;
    UpdateFrame();
    UpdateProjection();
    UpdateCombined();
    ClearClipPlanes();
}

void QrD3DDriver::SetFrustum(float left, float right, float top, float bottom, float nearPlane, float farPlane)
{
    m_camera.left = left;
    m_camera.right = right;
    m_camera.top = top;
    m_camera.bottom = bottom;
    m_camera.nearPlane = nearPlane;
    m_camera.farPlane = farPlane;
    m_camera.flags |= QrCameraRecord::kProjectionDirty;
}

void QrD3DDriver::SetViewport(float left, float right, float top, float bottom)
{
    const QrDDContext* ddContext = m_device ? m_device->GetContext() : nullptr;
    const float targetHeight = ddContext ? static_cast<float>(ddContext->GetDrawingHeight()) : 0.0f;
    const float w = right - left;
    const float h = top - bottom;
    m_viewport.width = w;
    m_viewport.height = h;
    // Pixel centres sit on integers, so the frustum's edges go to the outer edges of the
    // border pixels (half a pixel outside their centres): geometry clipped at the frustum
    // then reaches every edge pixel, where a quarter-pixel inset left column 0 and row 0 bare.
    m_camera.sx = w * 0.5f;
    m_camera.sy = h * 0.5f;
    m_camera.cx = left + m_camera.sx - 0.5f;
    m_camera.cy = targetHeight - top + m_camera.sy - 0.5f;
    m_viewport.left = left;
    m_viewport.top = targetHeight - top;
    m_viewport.right = right;
    m_viewport.bottom = targetHeight - bottom;
    m_camera.flags |= QrCameraRecord::kProjectionDirty;
}

bool QrD3DDriver::SetCameraData(const QrPoint3& location, const QrPoint3& direction, const QrPoint3& up,
                                const float (&frustum)[6], const float (&viewport)[4])
{
    SetFrustum(frustum[0], frustum[1], frustum[2], frustum[3], frustum[4], frustum[5]);
    SetViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
    m_drawLocation = location;
    if (!UpdateFogRange())
        m_fog.enabled = 0;
    m_camera.location = location;
    m_camera.flags |= QrCameraRecord::kViewDirty;
    m_camera.up = up;
    m_camera.direction = direction;
    m_camera.flags |= QrCameraRecord::kRightDirty | QrCameraRecord::kProjectionDirty;
    return m_device && m_device->FillViewportRecord();
}

bool QrD3DDriver::UpdateFogRange()
{
    const float f = m_camera.farPlane;
    const float n = m_camera.nearPlane;
    m_fog.end = f;
    m_fog.nearDistance = n;
    if (f < kFogEpsilon)
    {
        m_fog.scale = 0.0f;
        return false;
    }
    m_fog.farDepth = f * m_fog.depth;
    m_fog.scale = m_fog.farDepth < kFogEpsilon ? 0.0f : 255.0f / m_fog.farDepth;
    const float s = f - (f - n) * m_fog.depth;
    m_fog.start = s;
    m_fog.squaredStart = s < 0.0f ? -(s * s) : s * s;
    m_fog.squaredFar = f * f;
    const float difference = m_fog.squaredFar - m_fog.squaredStart;
    m_fog.rangeScale = difference < kFogEpsilon ? 0.0f : 255.0f / difference;
    return m_fog.scale >= kFogEpsilon;
}

void QrD3DDriver::SetFog(uint8_t enabled, float depth, uint32_t function)
{
    m_fog.depth = depth;
    m_fog.range = function == 1 ? 1 : 0;
    m_fog.vertexAlpha = function == 2 ? 1 : 0;
    // Each call decides anew from its own depth, so one fog too thin to draw does not keep the next off.
    bool usable = false;
    if (depth < kFogEpsilon)
        m_fog.scale = 0.0f;
    else
        usable = UpdateFogRange();
    m_fog.enabled = (enabled && usable) ? 1 : 0;
}

uint32_t QrD3DDriver::UpdateCamera()
{
    UpdateFrame();
    UpdateProjection();
    UpdateCombined();
    return QrRenderCode::kOk;
}

void QrD3DDriver::UpdateFrame()
{
    QrCameraRecord& c = m_camera;
    if (c.flags & QrCameraRecord::kRightDirty)
    {
        c.rightVector = c.up.Cross(c.direction);
        c.rightVector.Unitize();
        c.flags =
            (c.flags & ~QrCameraRecord::kRightDirty) | QrCameraRecord::kViewDirty | QrCameraRecord::kProjectionDirty;
    }
    if (c.flags & QrCameraRecord::kViewDirty)
    {
        const QrPoint3& r = c.rightVector;
        const QrPoint3& u = c.up;
        const QrPoint3& d = c.direction;
        const float rows[4][4] = {{r.x, r.y, r.z, -r.Dot(c.location)},
                                  {u.x, u.y, u.z, -u.Dot(c.location)},
                                  {-d.x, -d.y, -d.z, d.Dot(c.location)},
                                  {0.0f, 0.0f, 0.0f, 1.0f}};
        for (int i = 0; i < 4; ++i)
        {
            for (int j = 0; j < 4; ++j)
                c.view[i][j] = rows[i][j];
        }
        c.flags = (c.flags & ~QrCameraRecord::kViewDirty) | QrCameraRecord::kCombinedDirty;
    }
}

void QrD3DDriver::UpdateProjection()
{
    QrCameraRecord& c = m_camera;
    if (!(c.flags & QrCameraRecord::kProjectionDirty))
        return;
    const float n = c.nearPlane;
    const float f = c.farPlane;
    const float l = c.left;
    const float r = c.right;
    const float t = c.top;
    const float b = c.bottom;
    const float width = r - l;
    const float height = t - b;
    const float depth = f - n;
    const float rows[4][4] = {
        {2.0f * n * c.sx / width, 0.0f, (l + r) * c.sx / width, -2.0f * n * (l + r) * c.sx / width},
        {0.0f, -2.0f * n * c.sy / height, -(t + b) * c.sy / height, 2.0f * n * (t + b) * c.sy / height},
        {0.0f, 0.0f, QrD3DDevice::kFarDepth * f / depth, -QrD3DDevice::kFarDepth * n * f / depth},
        {0.0f, 0.0f, 1.0f, 0.0f}};
    for (int i = 0; i < 4; ++i)
    {
        for (int j = 0; j < 4; ++j)
            c.projection[i][j] = rows[i][j];
    }
    c.flags = (c.flags & ~QrCameraRecord::kProjectionDirty) | QrCameraRecord::kCombinedDirty;
}

void QrD3DDriver::UpdateCombined()
{
    QrCameraRecord& c = m_camera;
    if (!(c.flags & QrCameraRecord::kCombinedDirty))
        return;
    for (int i = 0; i < 4; ++i)
    {
        for (int j = 0; j < 4; ++j)
        {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k)
                sum += c.projection[i][k] * c.view[k][j];
            c.combined[i][j] = sum;
        }
    }
    c.flags &= ~QrCameraRecord::kCombinedDirty;
}

void QrD3DDriver::SetClipPlanes(const QrPlane* const* planes, uint32_t count)
{
    m_clipPlanes = count ? planes : nullptr;
    m_clipPlaneCount = planes ? count : 0;
}

void QrD3DDriver::ClearClipPlanes()
{
    m_clipPlanes = nullptr;
    m_clipPlaneCount = 0;
}

void QrD3DDriver::SetStateFlag(uint32_t flag, bool on)
{
    m_stateFlags = on ? (m_stateFlags | flag) : (m_stateFlags & ~flag);
}

uint32_t QrD3DDriver::ApplyDrawDefaults()
{
    // Follows the draw's switch: highlights the lighting computed would otherwise never be shown.
    if (m_device)
        m_device->SetSpecular((m_drawDefaults & kDrawDefaultSpecular) != 0 || m_specularSwitch);
    return DrawHook(m_hookWord);
}

uint32_t QrD3DDriver::DrawHook(uint32_t /*word*/)
{
    return QrRenderCode::kOk;
}
