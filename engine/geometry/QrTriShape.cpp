#include "QrTriShape.h"

#include "QrCollisionData.h"
#include "QrPlane.h"
#include "QrRender.h"
#include "QrStream.h"
#include "QrTriMesh.h"

#include "Format.h"

#include <algorithm>
#include <memory>
#include <type_traits>

QR_IMPLEMENT_RTTI(QrTriShape, QrTriBasedGeom)
QR_IMPLEMENT_CREATE(QrTriShape)

QrTriShape::QrTriShape() = default;

QrTriShape::QrTriShape(uint16_t vertexCount, const QrPoint3* vertices, const QrPoint3* normals, uint16_t triangleCount,
                       const uint16_t* indices, const QrPoint3* textureCoords, const QrColorA* colors)
    : QrTriBasedGeom(vertexCount, vertices, normals, triangleCount, textureCoords, colors),
      m_indexCount(3u * triangleCount)
{
    if (m_indexCount > 0)
        m_indices = std::make_unique<uint16_t[]>(m_indexCount);
    if (indices && m_indices)
        std::copy(indices, indices + m_indexCount, m_indices.get());
    UpdateTrianglePlanes();
}

QrTriShape::~QrTriShape() = default;

// --- triangles

uint16_t QrTriShape::GetTriangleCount()
{
    return m_triangleCount;
}

QrPlane* QrTriShape::GetTriangle(uint16_t index, uint16_t& i0, uint16_t& i1, uint16_t& i2)
{
    // Positions in 32 bits: 3 x index passes 65,535 beyond 21,845 triangles.
    const uint32_t at = 3u * index;
    if (index >= m_triangleCount || !m_indices || at + 2 >= m_indexCount)
    {
        i0 = i1 = i2 = 0;
        return nullptr;
    }
    i0 = m_indices[at];
    i1 = m_indices[at + 1];
    i2 = m_indices[at + 2];
    return m_planes ? &m_planes[index] : nullptr;
}

void QrTriShape::UpdateTrianglePlanes()
{
    QrPlane* planes = EnsurePlanes();
    for (uint32_t t = 0; t < m_triangleCount; ++t)
    {
        uint16_t i0, i1, i2;
        GetTriangle(static_cast<uint16_t>(t), i0, i1, i2);
        planes[t] = MakePlane(i0, i1, i2);
    }
}

void QrTriShape::CalculateNormals()
{
    AccumulateNormals(false, m_indices.get(), GetListedTriangleCount());
}

void QrTriShape::CalculateNormalsFromPlanes()
{
    AccumulateNormals(true, m_indices.get(), GetListedTriangleCount());
}

uint32_t QrTriShape::GetListedTriangleCount() const
{
    // The triangles GetTriangle finds: those whose three indices are all in the list.
    return m_indices ? std::min<uint32_t>(m_triangleCount, m_indexCount / 3) : 0;
}

bool QrTriShape::SharesProperties(QrAVObject* other, uint32_t typeMask)
{
    // Merging makes a plain shape: a subclass on either side would lose what it adds.
    if (!other || !IsExactly(&QrTriShape::ms_RTTI) || !other->IsExactly(&QrTriShape::ms_RTTI))
        return false;
    return QrTriBasedGeom::SharesProperties(other, typeMask);
}

void QrTriShape::ReverseWinding()
{
    for (uint32_t at = 0; m_indices && at + 2 < m_indexCount; at += 3)
        std::swap(m_indices[at], m_indices[at + 2]);
    UpdateTrianglePlanes();
}

// --- collision, clean-up and merging

void QrTriShape::CreateCollisionData(QrAVInstance* instance, uint32_t splitSize)
{
    QrCollisionData::CreateForInstances(*this, instance, m_triangleCount, m_indices.get(), splitSize);
}

bool QrTriShape::Optimize(uint32_t)
{
    return RemoveDegenerateTriangles();
}

bool QrTriShape::RemoveDegenerateTriangles()
{
    if (!IsExactly(&QrTriShape::ms_RTTI))
        return false;
    if (m_triangleCount == 0)
        return true;
    QrTriMesh mesh(*this);
    if (mesh.RemoveDegenerateTriangles())
        return true;
    if (mesh.Changed())
    {
        auto copy = [](const auto* from, uint32_t count)
        {
            using T = std::remove_cv_t<std::remove_pointer_t<decltype(from)>>;
            std::unique_ptr<T[]> to;
            if (from)
            {
                to = std::make_unique<T[]>(count);
                std::copy(from, from + count, to.get());
            }
            return to;
        };
        const uint32_t vertexCount = mesh.GetVertexCount();
        const uint16_t sets = mesh.GetTextureSetCount();
        m_vertexCount = uint16_t(vertexCount);
        m_vertices = copy(mesh.GetVertices(), vertexCount);
        m_normals = copy(mesh.GetNormals(), vertexCount);
        SetColors(copy(mesh.GetColors(), vertexCount).release(), false);
        SetTextureCoords(copy(mesh.GetTextureSet(0), uint32_t(sets) * vertexCount).release(), sets, false);
        m_triangleCount = uint16_t(mesh.GetTriangleCount());
        m_indexCount = 3u * m_triangleCount;
        m_indices = copy(mesh.GetIndices(), m_indexCount);
        m_planes.reset();
        // The old boxes and world copies describe the old vertex numbering.
        DeleteCollisionData(nullptr);
        MarkVerticesChanged();
    }
    UpdateTrianglePlanes();
    return false;
}

void QrTriShape::CreateMerged(QrPointer<QrAVObject>& out, QrTArray<QrAVObject>& group)
{
    out = nullptr;
    QrTriMesh joined;
    if (!IsExactly(&QrTriShape::ms_RTTI) || !joined.Join(*this, group))
        return;
    QrPointer<QrTriShape> shape(new QrTriShape(uint16_t(joined.GetVertexCount()), joined.GetVertices(),
                                               joined.GetNormals(), uint16_t(joined.GetTriangleCount()),
                                               joined.GetIndices(), joined.GetTextureSet(0), joined.GetColors()));
    for (uint16_t set = 1; set < joined.GetTextureSetCount(); ++set)
        shape->AddTextureSet(joined.GetTextureSet(set));
    shape->RemoveDegenerateTriangles();
    // Shared, not copied; added at the head, so the new list runs in reverse.
    for (QrProperty* property : m_properties)
        shape->AttachProperty(property);
    out = shape;
}

// --- drawing

void QrTriShape::Draw(QrCamera* camera, QrAVInstance* instance)
{
    QrRender* renderer = BeginDraw(camera, instance, true);
    if (!renderer)
        return;
    const QrPoint3 eye = GetEyeInModelSpace(camera);
    // A set count without coordinates would send the renderer reading through null.
    const uint16_t setCount = m_textureCoords ? m_textureSetCount : 0;
    renderer->RenderShape(m_triangleCount, m_vertexCount, GetWorldVertices(), GetWorldNormals(), m_planes.get(),
                          setCount, m_textureCoords, m_colors, m_indices.get(), GetWorldBound(), eye);
}

// --- scene file

void QrTriShape::LoadBinary(QrStream& stream)
{
    QrTriBasedGeom::LoadBinary(stream);
    // The index list has no count of its own: three per triangle.
    m_indexCount = 3u * m_triangleCount;
    m_indices.reset();
    if (m_indexCount == 0 || !CanLoad(stream, m_indexCount, 2, "triangle indices"))
        return;
    m_indices = std::make_unique<uint16_t[]>(m_indexCount);
    const uint32_t usable = m_vertices ? m_vertexCount : 0;
    for (uint32_t i = 0; i < m_indexCount; ++i)
    {
        m_indices[i] = stream.LoadU16();
        if (m_indices[i] >= usable && !stream.Failed())
            stream.Fail(plat::Format("triangle index %u is %u, beyond the %u vertices", i, m_indices[i], usable));
    }
}

void QrTriShape::LinkObject(QrStream& stream)
{
    QrTriBasedGeom::LinkObject(stream);
}

bool QrTriShape::RegisterStreamables(QrStream& stream)
{
    return QrTriBasedGeom::RegisterStreamables(stream);
}

void QrTriShape::SaveBinary(QrStream& stream)
{
    QrTriBasedGeom::SaveBinary(stream);
    for (uint32_t i = 0; i < m_indexCount; ++i)
        stream.SaveU16(m_indices ? m_indices[i] : 0);
}

bool QrTriShape::IsEqual(const QrObject* object) const
{
    if (!QrTriBasedGeom::IsEqual(object))
        return false;
    const QrTriShape* other = static_cast<const QrTriShape*>(object);
    if (m_indexCount != other->m_indexCount)
        return false;
    // An empty list equals an absent one: files do not tell them apart.
    if (!m_indices || !other->m_indices)
        return m_indexCount == 0 || (!m_indices && !other->m_indices);
    return std::equal(m_indices.get(), m_indices.get() + m_indexCount, other->m_indices.get());
}
