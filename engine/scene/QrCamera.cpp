#include "QrCamera.h"

#include "QrBound.h"
#include "QrDisplay.h"
#include "QrNode.h"
#include "QrObjectsEqual.h"
#include "QrRect.h"
#include "QrRender.h"
#include "QrScreenPolygon.h"
#include "QrSortedDrawRecord.h"
#include "QrStream.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>

QR_IMPLEMENT_RTTI(QrCamera, QrAVObject)
QR_IMPLEMENT_CREATE(QrCamera)

namespace
{

// Lengths not above this count as zero.
constexpr float kUnitEpsilon = 1e-6f;

double Dot(const QrPoint3& a, const QrPoint3& b)
{
    return double(a.x) * b.x + double(a.y) * b.y + double(a.z) * b.z;
}

// The unit vector, or zero for a length not above 1e-6.
QrPoint3 Unit(QrPoint3 p)
{
    p.Unitize();
    return p;
}

// One row (a, b, c, d) of the clip matrix from its vector part and constant.
void SetRow(float (&row)[4], double ax, double ay, double az, double d)
{
    row[0] = static_cast<float>(ax);
    row[1] = static_cast<float>(ay);
    row[2] = static_cast<float>(az);
    row[3] = static_cast<float>(d);
}

double ApplyRow(const float (&row)[4], const QrPoint3& p)
{
    return double(row[0]) * p.x + double(row[1]) * p.y + double(row[2]) * p.z + double(row[3]);
}

// 1 / x, or 0 for a degenerate extent, so that a flat frustum gives zeros rather than infinities.
double Reciprocal(double x)
{
    return x != 0.0 ? 1.0 / x : 0.0;
}

} // namespace

QrCamera::QrCamera() : m_screenPolygons(5, 5)
{
    m_planeArray.reserve(kFrustumPlaneCount);
    for (QrPlane& plane : m_frustumPlanes)
        m_planeArray.push_back(&plane);
    m_planeScratch.reserve(kFrustumPlaneCount);
    m_localRight = m_localUp.Cross(m_localDirection);
    Update(GetCurrentInstance());
}

QrCamera::QrCamera(float nearDistance, float farDistance) : QrCamera()
{
    m_frustum[kNear] = std::max(nearDistance, std::max(farDistance / 10000.0f, 0.1f));
    m_frustum[kFar] = farDistance;
    Update(GetCurrentInstance());
}

QrCamera::~QrCamera()
{
    // An action whose camera was set by hand must not keep pointing here.
    for (QrCameraAction* action : m_actions)
        if (action->GetCamera() == this)
            action->SetCamera(nullptr);
}

// --- instances and world data

QrAVInstance* QrCamera::AttachParent(QrNode* parent)
{
    QrAVInstance* record = GetCurrentInstance();
    record->SetId(parent);
    return record;
}

void QrCamera::DetachParent(QrNode* parent)
{
    QrAVInstance* record = GetCurrentInstance();
    // Another parent may have taken the camera since.
    if (record->GetId() == parent)
        record->SetId(nullptr);
}

bool QrCamera::IsDisplayable()
{
    return false;
}

bool QrCamera::UpdateWorldBound(QrAVInstance* instance)
{
    SetCurrentInstance(instance);
    QrAVInstance* record = GetCurrentInstance();
    record->m_worldBound.Set(record->m_worldTranslate, 0.0f);
    return true;
}

void QrCamera::UpdateWorldData(QrAVInstance* instance)
{
    QrAVObject::UpdateWorldData(instance);
    const QrAVInstance* record = GetCurrentInstance();
    const QrPoint3& t = record->m_worldTranslate;
    const QrMatrix3& r = record->m_worldRotate;

    m_worldLocation = t;
    m_worldRotation = r.Transpose();
    m_worldFocus = r.TimesPoint(m_localFocus) + t;
    m_worldDirection = r.TimesPoint(m_localDirection);
    m_worldUp = r.TimesPoint(m_localUp);
    m_worldRight = m_worldUp.Cross(m_worldDirection);

    const QrPoint3& d = m_worldDirection;
    const QrPoint3& p = m_worldFocus;
    const QrPoint3 toEye = t - p;
    const float e = static_cast<float>(Dot(toEye, d));
    const float nearDistance = m_frustum[kNear];
    const float farDistance = m_frustum[kFar];

    m_frustumPlanes[kNearPlane] = QrPlane(-d, p + d * (e - nearDistance));
    m_frustumPlanes[kFarPlane] = QrPlane(d, p + d * (e - farDistance));

    // The side planes pass through the eye and the edges of the frustum rectangle on the
    // image plane through the focus point.
    const QrPoint3 toFocus = p - t;
    const QrPoint3 edgeLeft = Unit(m_worldRight * m_frustum[kLeft] + toFocus);
    const QrPoint3 edgeRight = Unit(m_worldRight * m_frustum[kRight] + toFocus);
    const QrPoint3 edgeTop = Unit(m_worldUp * m_frustum[kTop] + toFocus);
    const QrPoint3 edgeBottom = Unit(m_worldUp * m_frustum[kBottom] + toFocus);
    m_frustumPlanes[kLeftPlane] = QrPlane(Unit(edgeLeft.Cross(m_worldUp)), t);
    m_frustumPlanes[kRightPlane] = QrPlane(Unit(m_worldUp.Cross(edgeRight)), t);
    m_frustumPlanes[kTopPlane] = QrPlane(Unit(edgeTop.Cross(m_worldRight)), t);
    m_frustumPlanes[kBottomPlane] = QrPlane(Unit(m_worldRight.Cross(edgeBottom)), t);

    UpdateClipMatrix();
}

void QrCamera::UpdateClipMatrix()
{
    const QrPoint3& t = m_worldLocation;
    const QrPoint3& p = m_worldFocus;
    const QrPoint3& d = m_worldDirection;
    const QrPoint3& r = m_worldRight;
    const QrPoint3& u = m_worldUp;
    const double left = m_frustum[kLeft];
    const double right = m_frustum[kRight];
    const double top = m_frustum[kTop];
    const double bottom = m_frustum[kBottom];
    const double nearDistance = m_frustum[kNear];
    const double farDistance = m_frustum[kFar];

    const QrPoint3 toEye = t - p;
    const double e = Dot(toEye, d);
    const double iw = Reciprocal(right - left);
    const double ih = Reciprocal(top - bottom);
    const double id = Reciprocal(farDistance - nearDistance);
    m_imageDistance = static_cast<float>(e);
    const double xScale = e * iw + e * iw;
    const double yScale = e * ih + e * ih;
    m_xScale = static_cast<float>(xScale);
    m_yScale = static_cast<float>(yScale);

    // The side sums enter whole, not halved.
    const double gx = ((right + left) - Dot(toEye, r)) * (iw + iw);
    const double gy = ((top + bottom) - Dot(toEye, u)) * (ih + ih);
    const double dp = Dot(d, p);

    SetRow(m_clip[0], xScale * r.x + gx * d.x, xScale * r.y + gx * d.y, xScale * r.z + gx * d.z,
           -(xScale * (right + left)) - gx * dp - xScale * Dot(r, p));
    SetRow(m_clip[1], yScale * u.x + gy * d.x, yScale * u.y + gy * d.y, yScale * u.z + gy * d.z,
           -(yScale * (top + bottom)) - gy * dp - yScale * Dot(u, p));
    SetRow(m_clip[2], -id * d.x, -id * d.y, -id * d.z, (e - nearDistance) * id + id * dp);
    SetRow(m_clip[3], -d.x, -d.y, -d.z, e + dp);
}

// --- frame

void QrCamera::RenderFrame(float time, float elapsed)
{
    m_frameTime = time;
    m_frameElapsed = elapsed;
    // An action or a draw may drop the last outside reference to the camera or its display.
    QrPointer<QrCamera> self(this);
    QrPointer<QrDisplay> display(m_display);
    if (!display || !display->GetRenderer())
        return;
    const float width = static_cast<float>(display->GetWidth());
    const float height = static_cast<float>(display->GetHeight());
    if (width == 0.0f || height == 0.0f)
        return;

    // Over a copy of the list: an action may attach or detach actions while it runs.
    std::vector<QrPointer<QrCameraAction>> actions;
    for (QrCameraAction* action : m_actions)
        actions.emplace_back(action);
    for (QrPointer<QrCameraAction>& action : actions)
    {
        action->SetCamera(this);
        action->Update(time, elapsed);
        action->SetCamera(nullptr);
    }
    actions.clear();

    // The renderer may have gone during the actions.
    QrRender* renderer = display->GetRenderer();
    if (!renderer)
        return;

    const QrPoint3& t = m_worldLocation;
    const QrPoint3& d = m_worldDirection;
    const QrPoint3& u = m_worldUp;
    const QrPoint3 toEye = t - m_worldFocus;
    const double e = Dot(toEye, d);
    // A focus point on or behind the eye plane leaves no image plane to project onto.
    if (!(e > kUnitEpsilon))
        return;
    const double k = m_frustum[kNear] / e;
    const QrPoint3 rightAxis = u.Cross(d);
    const double offsetRight = Dot(toEye, rightAxis);
    const double offsetUp = Dot(toEye, u);
    const float frustum[6] = {
        static_cast<float>((m_frustum[kLeft] - offsetRight) * k),
        static_cast<float>((m_frustum[kRight] - offsetRight) * k),
        static_cast<float>((m_frustum[kTop] - offsetUp) * k),
        static_cast<float>((m_frustum[kBottom] - offsetUp) * k),
        m_frustum[kNear],
        m_frustum[kFar],
    };
    const float viewport[4] = {width * m_viewport[0], width * m_viewport[1], height * m_viewport[2],
                               height * m_viewport[3]};
    renderer->SetCameraData(t, t - d * m_frustum[kNear], d, u, frustum, viewport);

    display->ApplyDefaultState();
    QrPointer<QrAVObject> root(m_sceneRoot);
    if (root && root->IsDisplayable())
    {
        if (!m_displayPass)
            root->CullAndDraw(this, root->GetCurrentInstance());
        else
            root->CullAndDisplay(this, nullptr, root->GetCurrentInstance());
    }
    for (uint32_t i = 0; i < m_screenPolygons.GetUsedSize(); ++i)
    {
        QrPointer<QrScreenPolygon> polygon = m_screenPolygons.GetAt(i);
        if (polygon)
            polygon->Draw(display.Get());
    }
    display->EndFrame();
}

void QrCamera::SetViewportFromDisplay(uint32_t flags)
{
    if (!m_display)
        return;
    const float width = static_cast<float>(m_display->GetWidth());
    const float height = static_cast<float>(m_display->GetHeight());
    if (width == 0.0f || height == 0.0f)
        return;
    QrRect rect;
    // Within the display: a viewport set through the API may be anything.
    const auto edge = [](float size, float fraction)
    {
        const float at = size * fraction;
        return static_cast<int32_t>(!(at > 0.0f) ? 0.0f : at < size ? at : size);
    };
    rect.left = edge(width, m_viewport[0]);
    rect.right = edge(width, m_viewport[1]);
    rect.top = edge(height, m_viewport[2]);
    rect.bottom = edge(height, m_viewport[3]);
    m_display->ClearBuffer(&rect, flags);
}

bool QrCamera::LookAt(const QrPoint3& target, const QrPoint3& up)
{
    QrNode* parent = GetParent();
    const QrPoint3 toEye = m_worldLocation - target;
    if (Dot(toEye, toEye) < 1e-10)
        return false;
    const QrPoint3 direction = Unit(toEye);
    const QrPoint3 right = Unit(up.Cross(direction));
    if (Dot(right, right) < 0.5)
        return false;
    const QrPoint3 newUp = Unit(direction.Cross(right));
    if (Dot(newUp, newUp) < 0.5)
        return false;

    QrMatrix3 wanted;
    wanted.SetColumn(0, direction);
    wanted.SetColumn(1, newUp);
    wanted.SetColumn(2, right);
    if (parent && parent->GetCurrentInstance())
        wanted = parent->GetCurrentInstance()->m_worldRotate.TransposeTimes(wanted);

    QrMatrix3 local;
    local.SetColumn(0, m_localDirection);
    local.SetColumn(1, m_localUp);
    local.SetColumn(2, GetLocalRight());
    // For orthonormal local axes: the rotation carrying each local axis onto its new one.
    m_rotate = wanted.Multiply(local.Transpose());
    UpdateAllInstances();
    return true;
}

const QrPoint3& QrCamera::GetLocalRight()
{
    if (m_rightStale)
    {
        m_rightStale = 0;
        m_localRight = m_localUp.Cross(m_localDirection);
    }
    return m_localRight;
}

// --- draws and the sorter

uint32_t QrCamera::GetPlaneCount() const
{
    const uint32_t stored = static_cast<uint32_t>(m_planeArray.size());
    const uint32_t count = std::min(m_planeCount, stored);
    return std::min(count, kMaxPlanes);
}

void QrCamera::SendClipPlanes()
{
    if (!m_display)
        return;
    QrRender* renderer = m_display->GetRenderer();
    if (!renderer)
        return;
    const uint32_t planeCount = GetPlaneCount();
    if (planeCount > m_planeScratch.capacity())
        m_planeScratch.reserve(planeCount + kFrustumPlaneCount);
    m_planeScratch.clear();
    uint32_t frustumCount = 0;
    uint32_t frustumMask = 0;
    for (uint32_t i = 0; i < planeCount; ++i)
    {
        if ((m_passedPlaneMask[i >> 5] >> (i & 31)) & 1u)
            continue;
        m_planeScratch.push_back(m_planeArray[i]);
        if (i < kFrustumPlaneCount)
        {
            ++frustumCount;
            frustumMask |= 1u << i;
        }
    }
    renderer->SetClipPlanes(m_planeScratch.data(), static_cast<uint32_t>(m_planeScratch.size()), frustumCount,
                            frustumMask);
}

QrSortedDrawRecord* QrCamera::CreateSortedDrawRecord(QrAVObject* geometry, QrAVInstance* instance)
{
    auto* record = new QrSortedDrawRecord;
    record->m_geometry = geometry;
    record->m_instance = instance;
    if (geometry)
    {
        geometry->SetCurrentInstance(instance);
        record->m_worldBound = geometry->GetWorldBound();
    }
    if (m_display)
    {
        QrProperty* properties[QrSortedDrawRecord::kPropertyCount] = {};
        m_display->GetCurrentProperties(properties);
        record->SetProperties(properties);
        record->SetLights(m_display->GetLightTop(), m_display->GetLights());
    }
    record->m_sortFlag = m_sortFlag;
    std::memcpy(record->m_passedPlaneMask, m_passedPlaneMask, sizeof(m_passedPlaneMask));
    return record;
}

void QrCamera::DrawSortedRecord(QrSortedDrawRecord* record)
{
    if (!record || !m_display)
        return;
    const uint8_t sortFlag = m_sortFlag;
    uint32_t mask[kPlaneMaskWords];
    std::memcpy(mask, m_passedPlaneMask, sizeof(mask));
    m_sortFlag = record->m_sortFlag;
    std::memcpy(m_passedPlaneMask, record->m_passedPlaneMask, sizeof(m_passedPlaneMask));
    QrPointer<QrDisplay> display(m_display);
    display->DrawWithRecordState(this, record);
    m_sortFlag = sortFlag;
    std::memcpy(m_passedPlaneMask, mask, sizeof(m_passedPlaneMask));
}

void QrCamera::GetScreenBox(const QrBound& bound, QrPoint3& boxMin, QrPoint3& boxMax) const
{
    const QrPoint3& centre = bound.GetCenter();
    const float radius = bound.GetRadius();
    const QrPoint3 c = centre - m_worldLocation;
    const double depth = -Dot(c, m_worldDirection) - m_frustum[kNear];
    const double range = double(m_frustum[kFar]) - m_frustum[kNear];
    const double invRange = Reciprocal(range);
    double zMin = (depth - radius) * invRange;
    double zMax = (depth + radius) * invRange;

    // Points on the sphere's rim across and up the screen.
    const QrPoint3 across = Unit(c.Cross(m_worldUp));
    const QrPoint3 upward = Unit(m_worldRight.Cross(c));
    const QrPoint3 points[4] = {centre - across * radius, centre + across * radius, centre - upward * radius,
                                centre + upward * radius};
    double w[4];
    for (int i = 0; i < 4; ++i)
        w[i] = ApplyRow(m_clip[3], points[i]);

    double xMin = -1.0, xMax = 1.0, yMin = -1.0, yMax = 1.0;
    const bool behindEye = w[0] <= 1e-5 || w[1] <= 1e-5 || w[2] <= 1e-5 || w[3] <= 1e-5;
    if (!behindEye)
    {
        xMin = std::clamp(ApplyRow(m_clip[0], points[0]) / w[0], -1.0, 1.0);
        xMax = std::clamp(ApplyRow(m_clip[0], points[1]) / w[1], -1.0, 1.0);
        yMin = std::clamp(ApplyRow(m_clip[1], points[2]) / w[2], -1.0, 1.0);
        yMax = std::clamp(ApplyRow(m_clip[1], points[3]) / w[3], -1.0, 1.0);
    }
    zMin = std::clamp(zMin, 0.0, 1.0);
    zMax = std::clamp(zMax, 0.0, 1.0);
    boxMin = QrPoint3(static_cast<float>(xMin), static_cast<float>(yMin), static_cast<float>(zMin));
    boxMax = QrPoint3(static_cast<float>(xMax), static_cast<float>(yMax), static_cast<float>(zMax));
}

// --- screen polygons, actions, references

void QrCamera::AttachScreenPolygon(QrScreenPolygon* polygon)
{
    m_screenPolygons.Add(polygon);
}

void QrCamera::AttachObject(QrCameraAction* action)
{
    if (action && !m_actions.Contains(action))
        m_actions.AddHead(action);
}

bool QrCamera::DetachObject(QrCameraAction* action)
{
    if (!action || !m_actions.Contains(action))
        return false;
    m_actions.Remove(action);
    return true;
}

void QrCamera::SetDisplay(QrDisplay* display)
{
    m_display = display;
}

void QrCamera::SetSceneRoot(QrAVObject* root)
{
    m_sceneRoot = root;
}

void QrCamera::ReleaseLinks()
{
    QrAVObject::ReleaseLinks();
    m_sceneRoot = nullptr;
    m_display = nullptr;
}

void QrCamera::AppendDescendLinks(std::vector<QrAVObject*>& out) const
{
    if (m_sceneRoot)
        out.push_back(m_sceneRoot.Get());
}

// --- clone

QrPointer<QrAVObject> QrCamera::CreateClone()
{
    QrPointer<QrCamera> clone(new QrCamera);
    CopyMembers(clone.Get());
    return clone;
}

void QrCamera::CopyMembers(QrCamera* clone)
{
    QrAVObject::CopyMembers(clone);
    std::memcpy(clone->m_clip, m_clip, sizeof(m_clip));
    clone->m_imageDistance = m_imageDistance;
    clone->m_xScale = m_xScale;
    clone->m_yScale = m_yScale;
    clone->m_worldLocation = m_worldLocation;
    clone->m_worldRotation = m_worldRotation;
    clone->m_localFocus = m_localFocus;
    clone->m_worldFocus = m_worldFocus;
    clone->m_localDirection = m_localDirection;
    clone->m_worldDirection = m_worldDirection;
    clone->m_localUp = m_localUp;
    clone->m_worldUp = m_worldUp;
    clone->m_localRight = m_localRight;
    clone->m_worldRight = m_worldRight;
    clone->m_rightStale = m_rightStale;
    std::memcpy(clone->m_frustum, m_frustum, sizeof(m_frustum));
    std::memcpy(clone->m_viewport, m_viewport, sizeof(m_viewport));
    clone->m_displayPass = m_displayPass;
    clone->m_sortFlag = m_sortFlag;
    clone->m_scaleValue = m_scaleValue;
    clone->m_frameTime = m_frameTime;
    clone->m_frameElapsed = m_frameElapsed;
    for (uint32_t i = 0; i < kFrustumPlaneCount; ++i)
        clone->m_frustumPlanes[i] = m_frustumPlanes[i];
    // Every polygon at its own index, also beyond the new array's first capacity.
    for (uint32_t i = 0; i < m_screenPolygons.GetUsedSize(); ++i)
        if (QrScreenPolygon* polygon = m_screenPolygons.GetAtChecked(i))
            clone->m_screenPolygons.SetAtAndGrow(i, polygon->Clone().Get());
}

// --- scene file

void QrCamera::LoadBinary(QrStream& stream)
{
    QrAVObject::LoadBinary(stream);
    m_localFocus.LoadBinary(stream);
    m_localDirection.LoadBinary(stream);
    m_localUp.LoadBinary(stream);
    m_localRight.LoadBinary(stream);
    for (float& value : m_frustum)
        value = stream.LoadF32();
    for (float& value : m_viewport)
        value = stream.LoadF32();
    if (!std::all_of(std::begin(m_viewport), std::end(m_viewport), [](float v) { return std::isfinite(v); }))
    {
        stream.Fail("camera viewport is not finite");
        return;
    }
    m_displayPass = stream.LoadU8();
    m_sortFlag = stream.LoadU8();
    m_scaleValue = stream.LoadF32();
    // Files up to "2.16" carry one more byte here.
    if (stream.CompareVersion("2.16") <= 0)
        stream.LoadU8();
    stream.LoadLinkID(this);
    stream.LoadLinkID(this);
    LoadCountedLinks(stream, this, "screen polygons");
    LoadCountedLinks(stream, this, "camera actions");
}

void QrCamera::LinkObject(QrStream& stream)
{
    QrAVObject::LinkObject(stream);
    m_sceneRoot = stream.ResolveLinkID<QrAVObject>(this);
    m_display = stream.ResolveLinkID<QrDisplay>(this);
    const uint32_t polygons = TakeLoadCount(this);
    for (uint32_t i = 0; i < polygons; ++i)
        m_screenPolygons.Add(stream.ResolveLinkID<QrScreenPolygon>(this));
    const uint32_t count = TakeLoadCount(this);
    std::vector<QrCameraAction*> actions;
    actions.reserve(count);
    for (uint32_t i = 0; i < count; ++i)
        actions.push_back(stream.ResolveLinkID<QrCameraAction>(this));
    // Head insertion from the last: the list reads in file order.
    for (auto it = actions.rbegin(); it != actions.rend(); ++it)
        if (*it)
            m_actions.AddHead(*it);
}

bool QrCamera::RegisterStreamables(QrStream& stream)
{
    if (!QrAVObject::RegisterStreamables(stream))
        return false;
    if (m_sceneRoot)
        m_sceneRoot->RegisterStreamables(stream);
    if (m_display)
        m_display->RegisterStreamables(stream);
    for (uint32_t i = 0; i < m_screenPolygons.GetUsedSize(); ++i)
        if (QrScreenPolygon* polygon = m_screenPolygons.GetAtChecked(i))
            polygon->RegisterStreamables(stream);
    for (QrCameraAction* action : m_actions)
        action->RegisterStreamables(stream);
    return true;
}

void QrCamera::SaveBinary(QrStream& stream)
{
    QrAVObject::SaveBinary(stream);
    m_localFocus.SaveBinary(stream);
    m_localDirection.SaveBinary(stream);
    m_localUp.SaveBinary(stream);
    m_localRight.SaveBinary(stream);
    for (float value : m_frustum)
        stream.SaveF32(value);
    for (float value : m_viewport)
        stream.SaveF32(value);
    stream.SaveU8(m_displayPass);
    stream.SaveU8(m_sortFlag);
    stream.SaveF32(m_scaleValue);
    stream.SaveLinkID(m_sceneRoot.Get());
    stream.SaveLinkID(m_display.Get());
    stream.SaveU32(m_screenPolygons.GetUsedSize());
    for (uint32_t i = 0; i < m_screenPolygons.GetUsedSize(); ++i)
        stream.SaveLinkID(m_screenPolygons.GetAtChecked(i));
    stream.SaveU32(m_actions.GetCount());
    for (QrCameraAction* action : m_actions)
        stream.SaveLinkID(action);
}

bool QrCamera::IsEqual(const QrObject* object) const
{
    if (!QrAVObject::IsEqual(object))
        return false;
    const QrCamera* other = static_cast<const QrCamera*>(object);
    if (!m_localFocus.IsEqual(other->m_localFocus) || !m_localDirection.IsEqual(other->m_localDirection) ||
        !m_localUp.IsEqual(other->m_localUp) || !m_localRight.IsEqual(other->m_localRight))
        return false;
    for (int i = 0; i < 6; ++i)
        if (m_frustum[i] != other->m_frustum[i])
            return false;
    for (int i = 0; i < 4; ++i)
        if (m_viewport[i] != other->m_viewport[i])
            return false;
    if (m_displayPass != other->m_displayPass || m_sortFlag != other->m_sortFlag || m_scaleValue != other->m_scaleValue)
        return false;
    return QrObjectArraysEqual(m_screenPolygons, other->m_screenPolygons) &&
           QrObjectListsEqual(m_actions, other->m_actions);
}
