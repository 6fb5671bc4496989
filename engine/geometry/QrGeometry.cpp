#include "QrGeometry.h"

#include "QrCamera.h"
#include "QrCollisionData.h"
#include "QrColorA.h"
#include "QrDisplay.h"
#include "QrGeometryInstance.h"
#include "QrMatrix3.h"
#include "QrPlane.h"
#include "QrRender.h"
#include "QrStream.h"

#include "Format.h"

#include <algorithm>
#include <cmath>

QR_IMPLEMENT_RTTI(QrGeometry, QrAVObject)
QR_IMPLEMENT_ABSTRACT_CREATE(QrGeometry)

QrGeometry::QrGeometry()
{
    ResetRootInstance();
}

QrGeometry::QrGeometry(uint16_t vertexCount, const QrPoint3* vertices, const QrPoint3* normals)
    : m_vertexCount(vertexCount)
{
    if (vertices)
    {
        m_vertices = std::make_unique<QrPoint3[]>(vertexCount);
        std::copy(vertices, vertices + vertexCount, m_vertices.get());
    }
    if (normals)
    {
        m_normals = std::make_unique<QrPoint3[]>(vertexCount);
        std::copy(normals, normals + vertexCount, m_normals.get());
    }
    m_modelBound.SetFromPoints(vertices ? vertexCount : 0, m_vertices.get());
    ResetRootInstance();
}

QrGeometry::~QrGeometry() = default;

QrAVInstance* QrGeometry::CreateInstance()
{
    return new QrGeometryInstance;
}

QrGeometryInstance* QrGeometry::AsGeometryInstance(QrAVInstance* instance)
{
    // Every record of a geometry comes from its CreateInstance, and the constructor replaced
    // the plain root record.
    return static_cast<QrGeometryInstance*>(instance);
}

// --- world data

void QrGeometry::UpdateWorldData(QrAVInstance* instance)
{
    QrAVObject::UpdateWorldData(instance);
    m_currentInstance->m_stale = 1;
}

bool QrGeometry::UpdateWorldBound(QrAVInstance* instance)
{
    return UpdateWorldBoundFrom(instance, m_vertexCount);
}

bool QrGeometry::UpdateWorldBoundFrom(QrAVInstance* instance, uint16_t activeCount)
{
    SetCurrentInstance(instance);
    activeCount = std::min(activeCount, m_vertexCount);
    if (m_modelBound.GetFlag())
        m_modelBound.SetFromPoints(m_vertices ? activeCount : 0, m_vertices.get());
    QrAVInstance* self = m_currentInstance;
    self->m_worldBound.Transform(m_modelBound, self->m_worldRotate, self->m_worldTranslate, self->m_worldScale);
    return true;
}

void QrGeometry::UpdateWorldNormals(QrAVInstance* instance)
{
    UpdateWorldArrays(instance, m_vertexCount);
}

void QrGeometry::UpdateWorldArrays(QrAVInstance* instance, uint16_t activeCount)
{
    SetCurrentInstance(instance);
    activeCount = std::min(activeCount, m_vertexCount);
    QrGeometryInstance* self = AsGeometryInstance(m_currentInstance);
    const QrMatrix3& r = self->m_worldRotate;
    if (m_vertices)
    {
        // s R formed once; w = (s R) v + t.
        QrMatrix3 sr = r;
        for (auto& row : sr.m)
            for (float& value : row)
                value *= self->m_worldScale;
        const QrPoint3& t = self->m_worldTranslate;
        QrPoint3* world = self->ReserveWorldVertices(m_vertexCount);
        for (uint32_t i = 0; i < activeCount; ++i)
            world[i] = sr.TimesPoint(m_vertices[i]) + t;
    }
    if (m_normals)
    {
        // Rotation only: no scale, no translation, not renormalised.
        QrPoint3* world = self->ReserveWorldNormals(m_vertexCount);
        for (uint32_t i = 0; i < activeCount; ++i)
            world[i] = r.TimesPoint(m_normals[i]);
    }
    self->m_stale = 0;
}

void QrGeometry::MarkWorldArraysStale()
{
    for (uint32_t i = 0; i < GetInstanceCount(); ++i)
        if (QrAVInstance* record = GetInstanceAt(i))
            record->m_stale = 1;
}

void QrGeometry::MarkVerticesChanged()
{
    MarkWorldArraysStale();
    m_modelBound.SetFlag(1);
}

const QrPoint3* QrGeometry::GetWorldVertices()
{
    if (m_currentInstance->m_stale)
        UpdateWorldNormals(m_currentInstance);
    return m_vertices ? AsGeometryInstance(m_currentInstance)->GetWorldVertices() : nullptr;
}

const QrPoint3* QrGeometry::GetWorldNormals()
{
    if (m_currentInstance->m_stale)
        UpdateWorldNormals(m_currentInstance);
    return m_normals ? AsGeometryInstance(m_currentInstance)->GetWorldNormals() : nullptr;
}

void QrGeometry::ApplyTransform(const QrMatrix3& rotation, const QrPoint3& translation, bool inParentFrame)
{
    QrMatrix3 b = rotation;
    QrPoint3 u = translation;
    if (inParentFrame)
    {
        // Carry (M, u) into model space: B = R^T M R, u' = R^T (M T + u - T) / s.
        b = m_rotate.TransposeTimes(rotation).Multiply(m_rotate);
        const QrPoint3 moved = rotation.TimesPoint(m_translate) + translation - m_translate;
        u = m_rotate.Transpose().TimesPoint(moved);
        if (m_scale != 0.0f)
            u.DivideScalar(m_scale);
    }
    if (m_vertices)
        for (uint32_t i = 0; i < m_vertexCount; ++i)
            m_vertices[i] = b.TimesPoint(m_vertices[i]) + u;
    if (m_normals)
    {
        // Normals go through the inverse transpose so that they stay perpendicular to the surface.
        QrMatrix3 inverse;
        b.Inverse(inverse);
        for (uint32_t i = 0; i < m_vertexCount; ++i)
            m_normals[i] = m_normals[i].TimesMatrix(inverse);
    }
    MarkVerticesChanged();
    m_modelBound.SetFromPoints(m_vertices ? m_vertexCount : 0, m_vertices.get());
}

// --- drawing

void QrGeometry::PushState(QrCamera* camera, QrAVInstance* instance)
{
    QrAVObject::PushState(camera, instance);
    if (m_currentInstance->m_stale)
        UpdateWorldNormals(m_currentInstance);
}

QrRender* QrGeometry::BeginDraw(QrCamera* camera, QrAVInstance* instance, bool sendTransform)
{
    QrDisplay* display = camera ? camera->GetDisplay() : nullptr;
    QrRender* renderer = display ? display->GetRenderer() : nullptr;
    if (!renderer)
        return nullptr;
    camera->SendClipPlanes();
    display->ApplyCurrentState();
    SetCurrentInstance(instance);
    // A deferred draw may come without the push that refreshes the arrays.
    if (m_currentInstance->m_stale)
        UpdateWorldNormals(m_currentInstance);
    if (sendTransform)
    {
        const QrAVInstance* self = m_currentInstance;
        renderer->SetWorldTransform(self->m_worldTranslate, self->m_worldRotate, self->m_worldScale);
    }
    return renderer;
}

QrPoint3 QrGeometry::GetEyeInModelSpace(QrCamera* camera) const
{
    // p = R^T (c - t) / s
    const QrAVInstance* self = m_currentInstance;
    const QrPoint3& location = camera->GetWorldLocation();
    QrPoint3 eye = self->m_worldRotate.Transpose().TimesPoint(location - self->m_worldTranslate);
    if (self->m_worldScale != 0.0f)
        eye.DivideScalar(self->m_worldScale);
    return eye;
}

// --- collision

void QrGeometry::DeleteCollisionData(QrAVInstance* instance)
{
    if (instance)
    {
        AsGeometryInstance(instance)->SetCollisionData(nullptr);
        return;
    }
    for (uint32_t i = 0; i < GetInstanceCount(); ++i)
        if (QrAVInstance* record = GetInstanceAt(i))
            AsGeometryInstance(record)->SetCollisionData(nullptr);
}

bool QrGeometry::TestCollisions(float time, QrCollisionRecord& self, QrCollisionRecord& other)
{
    return QrCollisionData::QueryGeometry(*this, time, self, other, false) != 0;
}

int32_t QrGeometry::FindCollisions(float time, QrCollisionRecord& self, QrCollisionRecord& other)
{
    return QrCollisionData::QueryGeometry(*this, time, self, other, true);
}

// --- tree services

bool QrGeometry::SharesProperties(QrAVObject* other, uint32_t typeMask)
{
    if (other && !other->IsKindOf(&QrGeometry::ms_RTTI))
        return false;
    if (!QrAVObject::SharesProperties(other, typeMask) || !other)
        return false;
    const QrGeometry* geometry = static_cast<const QrGeometry*>(other);
    return !m_vertices == !geometry->m_vertices && !m_normals == !geometry->m_normals;
}

void QrGeometry::FitOrientedBox(QrPoint3& center, QrPoint3 axes[3], float extents[3]) const
{
    center = QrPoint3::ZERO;
    for (int k = 0; k < 3; ++k)
        extents[k] = 0.0f;
    axes[0] = {1, 0, 0};
    axes[1] = {0, 1, 0};
    axes[2] = {0, 0, 1};
    if (!m_vertices || m_vertexCount == 0)
        return;

    double sum[3] = {};
    for (uint32_t i = 0; i < m_vertexCount; ++i)
    {
        sum[0] += m_vertices[i].x;
        sum[1] += m_vertices[i].y;
        sum[2] += m_vertices[i].z;
    }
    const double inv = 1.0 / m_vertexCount;
    center = {float(sum[0] * inv), float(sum[1] * inv), float(sum[2] * inv)};

    // Covariance: the six distinct entries, the lower triangle mirrored.
    double c[6] = {};
    for (uint32_t i = 0; i < m_vertexCount; ++i)
    {
        const double dx = double(m_vertices[i].x) - center.x;
        const double dy = double(m_vertices[i].y) - center.y;
        const double dz = double(m_vertices[i].z) - center.z;
        c[0] += dx * dx;
        c[1] += dx * dy;
        c[2] += dx * dz;
        c[3] += dy * dy;
        c[4] += dy * dz;
        c[5] += dz * dz;
    }
    const QrMatrix3 covariance(float(c[0] * inv), float(c[1] * inv), float(c[2] * inv), float(c[1] * inv),
                               float(c[3] * inv), float(c[4] * inv), float(c[2] * inv), float(c[4] * inv),
                               float(c[5] * inv));
    float values[3];
    QrMatrix3 vectors;
    covariance.SymmetricEigen(values, vectors);
    for (int k = 0; k < 3; ++k)
    {
        axes[k] = vectors.GetRow(k);
        for (uint32_t i = 0; i < m_vertexCount; ++i)
        {
            const float along = std::fabs((m_vertices[i] - center).Dot(axes[k]));
            if (along > extents[k])
                extents[k] = along;
        }
    }
}

// --- scene file

bool QrGeometry::CanLoad(QrStream& stream, uint64_t count, size_t itemBytes, const char* what)
{
    if (stream.Failed())
        return false;
    if (count * itemBytes > stream.GetRemaining())
    {
        stream.Fail(plat::Format("%llu %s need %llu bytes, %zu left", static_cast<unsigned long long>(count), what,
                                 static_cast<unsigned long long>(count * itemBytes), stream.GetRemaining()));
        return false;
    }
    return true;
}

namespace
{
// Bytes each item takes in a file.
template <class T> constexpr size_t kFileBytes = 0;
template <> constexpr size_t kFileBytes<QrPoint3> = 12;
template <> constexpr size_t kFileBytes<QrColorA> = 16;
template <> constexpr size_t kFileBytes<QrPlane> = 16;
} // namespace

template <class T>
void QrGeometry::LoadOptionalArray(QrStream& stream, std::unique_ptr<T[]>& array, uint64_t count, const char* what)
{
    array.reset();
    // Writers stored an address here: only zero versus non-zero carries meaning.
    if (stream.LoadU32() == 0 || !CanLoad(stream, count, kFileBytes<T>, what))
        return;
    array = std::make_unique<T[]>(count);
    for (uint64_t i = 0; i < count; ++i)
        array[i].LoadBinary(stream);
}

template <class T> void QrGeometry::SaveOptionalArray(QrStream& stream, const T* array, uint64_t count)
{
    stream.SaveU32(array ? 1 : 0);
    if (array)
        for (uint64_t i = 0; i < count; ++i)
            array[i].SaveBinary(stream);
}

template <class T> bool QrGeometry::ArraysEqual(const T* a, const T* b, uint64_t count)
{
    if (!a || !b)
        return !a && !b;
    for (uint64_t i = 0; i < count; ++i)
        if (!a[i].IsEqual(b[i]))
            return false;
    return true;
}

template void QrGeometry::LoadOptionalArray(QrStream&, std::unique_ptr<QrPoint3[]>&, uint64_t, const char*);
template void QrGeometry::LoadOptionalArray(QrStream&, std::unique_ptr<QrColorA[]>&, uint64_t, const char*);
template void QrGeometry::LoadOptionalArray(QrStream&, std::unique_ptr<QrPlane[]>&, uint64_t, const char*);
template void QrGeometry::SaveOptionalArray(QrStream&, const QrPoint3*, uint64_t);
template void QrGeometry::SaveOptionalArray(QrStream&, const QrColorA*, uint64_t);
template void QrGeometry::SaveOptionalArray(QrStream&, const QrPlane*, uint64_t);
template bool QrGeometry::ArraysEqual(const QrPoint3*, const QrPoint3*, uint64_t);
template bool QrGeometry::ArraysEqual(const QrColorA*, const QrColorA*, uint64_t);
template bool QrGeometry::ArraysEqual(const QrPlane*, const QrPlane*, uint64_t);

void QrGeometry::LoadBinary(QrStream& stream)
{
    QrAVObject::LoadBinary(stream);
    m_vertexCount = stream.LoadU16();
    LoadOptionalArray(stream, m_vertices, m_vertexCount, "vertices");
    LoadOptionalArray(stream, m_normals, m_vertexCount, "normals");
    // The flag is not stored: the bound stays stale and is recomputed from the vertices.
    m_modelBound.LoadBinary(stream);
}

void QrGeometry::LinkObject(QrStream& stream)
{
    QrAVObject::LinkObject(stream);
}

bool QrGeometry::RegisterStreamables(QrStream& stream)
{
    return QrAVObject::RegisterStreamables(stream);
}

void QrGeometry::SaveBinary(QrStream& stream)
{
    QrAVObject::SaveBinary(stream);
    stream.SaveU16(m_vertexCount);
    SaveOptionalArray(stream, m_vertices.get(), m_vertexCount);
    SaveOptionalArray(stream, m_normals.get(), m_vertexCount);
    m_modelBound.SaveBinary(stream);
}

bool QrGeometry::IsEqual(const QrObject* object) const
{
    if (!QrAVObject::IsEqual(object))
        return false;
    const QrGeometry* other = static_cast<const QrGeometry*>(object);
    return m_vertexCount == other->m_vertexCount &&
           ArraysEqual(m_vertices.get(), other->m_vertices.get(), m_vertexCount) &&
           ArraysEqual(m_normals.get(), other->m_normals.get(), m_vertexCount) &&
           m_modelBound.IsEqual(other->m_modelBound);
}
