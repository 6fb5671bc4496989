#include "QrTriMesh.h"

#include "QrAVObject.h"
#include "QrTriShape.h"

#include <algorithm>
#include <cstring>
#include <type_traits>
#include <unordered_map>

namespace
{

constexpr uint32_t kUnreferenced = 0xFFFFFFFFu;
constexpr uint32_t kReferenced = 0xFFFFFFFEu;

double SquaredLength(const QrPoint3& a, const QrPoint3& b)
{
    const double x = double(b.x) - a.x, y = double(b.y) - a.y, z = double(b.z) - a.z;
    return x * x + y * y + z * z;
}

template <class T> std::vector<T> CopyOf(const T* data, size_t count)
{
    return data ? std::vector<T>(data, data + count) : std::vector<T>();
}

// Bits of a float for hashing, with the two zeros made one (they compare equal).
uint32_t HashBits(float f)
{
    if (f == 0.0f)
        f = 0.0f;
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

void Mix(uint64_t& hash, float f)
{
    hash = (hash ^ HashBits(f)) * 0x100000001B3ull;
}

bool Same(const QrPoint3& a, const QrPoint3& b)
{
    return a.x == b.x && a.y == b.y && a.z == b.z;
}

} // namespace

QrTriMesh::QrTriMesh(const QrTriShape& shape)
    : m_vertexCount(shape.GetVertexCount()), m_vertices(CopyOf(shape.GetVertices(), m_vertexCount)),
      m_normals(CopyOf(shape.GetNormals(), m_vertexCount)), m_colors(CopyOf(shape.GetColors(), m_vertexCount)),
      m_textureSetCount(shape.GetTextureCoords() ? shape.GetTextureSetCount() : 0),
      m_textureCoords(CopyOf(shape.GetTextureCoords(), size_t(m_textureSetCount) * m_vertexCount)),
      m_indices(CopyOf(shape.GetIndices(), shape.GetIndices() ? shape.GetIndexCount() : 0))
{
}

bool QrTriMesh::IsValidTriangle(uint16_t i0, uint16_t i1, uint16_t i2, const QrPoint3& p0, const QrPoint3& p1,
                                const QrPoint3& p2)
{
    if (i0 == i1 || i0 == i2 || i1 == i2)
        return false;
    const double e01 = SquaredLength(p0, p1);
    const double e02 = SquaredLength(p0, p2);
    const double e12 = SquaredLength(p1, p2);
    if (e01 < 1e-30 || e02 < 1e-30 || e12 < 1e-30)
        return false;
    const double ratio = e01 / e02;
    if (ratio < 1e-7 || ratio > 1e7)
        return false;
    const QrPoint3 cross = (p1 - p0).Cross(p2 - p0);
    const double area = double(cross.x) * cross.x + double(cross.y) * cross.y + double(cross.z) * cross.z;
    return !(area < 1e-7 * e01 * e02);
}

bool QrTriMesh::SameVertex(uint32_t a, uint32_t b) const
{
    if (!Same(m_vertices[a], m_vertices[b]))
        return false;
    if (!m_normals.empty() && !Same(m_normals[a], m_normals[b]))
        return false;
    if (!m_colors.empty() && !m_colors[a].IsEqual(m_colors[b]))
        return false;
    for (uint32_t set = 0; set < m_textureSetCount; ++set)
        if (!Same(m_textureCoords[size_t(set) * m_vertexCount + a], m_textureCoords[size_t(set) * m_vertexCount + b]))
            return false;
    return true;
}

uint64_t QrTriMesh::HashVertex(uint32_t v) const
{
    uint64_t hash = 0xCBF29CE484222325ull;
    const QrPoint3& p = m_vertices[v];
    Mix(hash, p.x);
    Mix(hash, p.y);
    Mix(hash, p.z);
    if (!m_normals.empty())
    {
        Mix(hash, m_normals[v].x);
        Mix(hash, m_normals[v].y);
        Mix(hash, m_normals[v].z);
    }
    if (!m_colors.empty())
    {
        Mix(hash, m_colors[v].r);
        Mix(hash, m_colors[v].g);
        Mix(hash, m_colors[v].b);
        Mix(hash, m_colors[v].a);
    }
    for (uint32_t set = 0; set < m_textureSetCount; ++set)
    {
        const QrPoint3& t = m_textureCoords[size_t(set) * m_vertexCount + v];
        Mix(hash, t.x);
        Mix(hash, t.y);
        Mix(hash, t.z);
    }
    return hash;
}

bool QrTriMesh::RemoveDegenerateTriangles()
{
    m_changed = false;
    const uint32_t triangleCount = GetTriangleCount();
    if (triangleCount == 0 || m_vertices.empty())
        return true;

    // Keep the usable triangles in order.
    std::vector<uint16_t> kept;
    kept.reserve(m_indices.size());
    for (uint32_t t = 0; t < triangleCount; ++t)
    {
        const uint16_t i0 = m_indices[3 * t], i1 = m_indices[3 * t + 1], i2 = m_indices[3 * t + 2];
        if (i0 >= m_vertexCount || i1 >= m_vertexCount || i2 >= m_vertexCount)
            continue;
        if (IsValidTriangle(i0, i1, i2, m_vertices[i0], m_vertices[i1], m_vertices[i2]))
            kept.insert(kept.end(), {i0, i1, i2});
    }
    if (kept.empty())
        return true;

    // New numbers in vertex order; later copies of a numbered vertex share its number. Buckets
    // by hash keep the search linear; within one the comparison is exact (NaN equals nothing).
    std::vector<uint32_t> map(m_vertexCount, kUnreferenced);
    for (uint16_t index : kept)
        map[index] = kReferenced;
    std::unordered_map<uint64_t, std::vector<uint32_t>> buckets;
    std::vector<uint32_t> firstOf;
    for (uint32_t v = 0; v < m_vertexCount; ++v)
    {
        if (map[v] != kReferenced)
            continue;
        std::vector<uint32_t>& bucket = buckets[HashVertex(v)];
        uint32_t number = uint32_t(firstOf.size());
        for (uint32_t earlier : bucket)
            if (SameVertex(earlier, v))
            {
                number = map[earlier];
                break;
            }
        if (number == firstOf.size())
        {
            bucket.push_back(v);
            firstOf.push_back(v);
        }
        map[v] = number;
    }

    const uint32_t newCount = uint32_t(firstOf.size());
    m_changed = kept.size() != m_indices.size() || newCount != m_vertexCount;
    for (uint32_t k = 0; k < newCount && !m_changed; ++k)
        m_changed = firstOf[k] != k;
    if (!m_changed)
        return false;

    auto gather = [&](const auto& source, uint32_t sets)
    {
        std::remove_cvref_t<decltype(source)> result;
        if (source.empty())
            return result;
        result.resize(size_t(sets) * newCount);
        for (uint32_t set = 0; set < sets; ++set)
            for (uint32_t k = 0; k < newCount; ++k)
                result[size_t(set) * newCount + k] = source[size_t(set) * m_vertexCount + firstOf[k]];
        return result;
    };
    m_vertices = gather(m_vertices, 1);
    m_normals = gather(m_normals, 1);
    m_colors = gather(m_colors, 1);
    m_textureCoords = gather(m_textureCoords, m_textureSetCount);
    for (uint16_t& index : kept)
        index = uint16_t(map[index]);
    m_indices = std::move(kept);
    m_vertexCount = newCount;
    return false;
}

bool QrTriMesh::Join(const QrTriShape& layout, const QrTArray<QrAVObject>& group)
{
    const bool vertices = layout.GetVertices() != nullptr;
    const bool normals = layout.GetNormals() != nullptr;
    const bool colors = layout.GetColors() != nullptr;
    const uint16_t sets = layout.GetTextureCoords() ? layout.GetTextureSetCount() : 0;

    uint32_t vertexTotal = 0;
    uint32_t triangleTotal = 0;
    for (uint32_t i = 0; i < group.GetUsedSize(); ++i)
    {
        const QrAVObject* element = group.GetAtChecked(i);
        if (!element)
            continue;
        if (element->GetRTTI() != &QrTriShape::ms_RTTI)
            return false;
        const QrTriShape& shape = static_cast<const QrTriShape&>(*element);
        const uint16_t shapeSets = shape.GetTextureCoords() ? shape.GetTextureSetCount() : 0;
        if ((shape.GetVertices() != nullptr) != vertices || (shape.GetNormals() != nullptr) != normals ||
            (shape.GetColors() != nullptr) != colors || shapeSets != sets)
            return false;
        if (shape.GetVertexCount() > 0 && !shape.GetVertices())
            return false;
        const uint32_t indexCount = shape.GetIndices() ? shape.GetIndexCount() : 0;
        for (uint32_t k = 0; k < indexCount; ++k)
            if (shape.GetIndices()[k] >= shape.GetVertexCount())
                return false;
        vertexTotal += shape.GetVertexCount();
        triangleTotal += indexCount / 3;
    }
    if (vertexTotal > 0xFFFF || triangleTotal > 0xFFFF)
        return false;

    m_vertexCount = vertexTotal;
    m_textureSetCount = sets;
    m_vertices.assign(vertices ? vertexTotal : 0, QrPoint3());
    m_normals.assign(normals ? vertexTotal : 0, QrPoint3());
    m_colors.assign(colors ? vertexTotal : 0, QrColorA());
    m_textureCoords.assign(size_t(sets) * vertexTotal, QrPoint3());
    m_indices.clear();
    m_indices.reserve(size_t(triangleTotal) * 3);
    uint32_t base = 0;
    for (uint32_t i = 0; i < group.GetUsedSize(); ++i)
    {
        const QrAVObject* element = group.GetAtChecked(i);
        if (!element)
            continue;
        const QrTriShape& shape = static_cast<const QrTriShape&>(*element);
        const uint32_t count = shape.GetVertexCount();
        if (vertices)
            std::copy(shape.GetVertices(), shape.GetVertices() + count, m_vertices.begin() + base);
        if (normals)
            std::copy(shape.GetNormals(), shape.GetNormals() + count, m_normals.begin() + base);
        if (colors)
            std::copy(shape.GetColors(), shape.GetColors() + count, m_colors.begin() + base);
        for (uint32_t set = 0; set < sets; ++set)
        {
            const QrPoint3* from = shape.GetTextureCoords() + size_t(set) * count;
            std::copy(from, from + count, m_textureCoords.begin() + size_t(set) * vertexTotal + base);
        }
        const uint32_t indexCount = shape.GetIndices() ? shape.GetIndexCount() : 0;
        for (uint32_t k = 0; k < indexCount; ++k)
            m_indices.push_back(uint16_t(shape.GetIndices()[k] + base));
        base += count;
    }
    return true;
}
