#pragma once
// Shared by the tests of the triangle lists and strips, particles, lines and the
// environment-mapped shape: a camera and display drawing into a renderer that keeps the
// arguments of every geometry draw, and the every-prefix check of a scene file.

#include "GeometryTestHelpers.h"

#include "QrBound.h"
#include "QrCamera.h"
#include "QrCollisionRecord.h"
#include "QrDisplay.h"
#include "QrGeometryInstance.h"
#include "QrNode.h"
#include "QrOBBLeaf.h"
#include "QrProperty.h"
#include "RecordingRender.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

namespace familytest
{

// One draw call with its arrays copied (vertex-sized arrays over the vertices the call names).
struct DrawCall
{
    std::string kind;
    uint16_t count = 0;
    std::vector<QrPoint3> vertices;
    std::vector<QrPoint3> normals;
    const QrPoint3* normalArray = nullptr;
    const QrPlane* planes = nullptr;
    uint16_t sets = 0;
    const QrPoint3* textureCoords = nullptr;
    std::vector<QrPoint3> firstSet;
    const QrColorA* colors = nullptr;
    float pointSize = 0.0f;
    QrBound bound;
    QrPoint3 eye;
};

class CapturingRender : public RecordingRender
{
public:
    CapturingRender() { SetLogQueries(false); }

    uint32_t RenderShape(uint16_t triangleCount, uint16_t vertexCount, const QrPoint3* vertices,
                         const QrPoint3* normals, const QrPlane* planes, uint16_t textureSetCount,
                         const QrPoint3* textureCoords, const QrColorA* colors, const uint16_t* indices,
                         const QrBound& worldBound, const QrPoint3& eye) override
    {
        Capture("RenderShape", triangleCount, vertexCount, vertices, normals, planes, textureSetCount, textureCoords,
                colors, worldBound, eye);
        return RecordingRender::RenderShape(triangleCount, vertexCount, vertices, normals, planes, textureSetCount,
                                            textureCoords, colors, indices, worldBound, eye);
    }
    uint32_t RenderTriangles(uint16_t triangleCount, const QrPoint3* vertices, const QrPoint3* normals,
                             const QrPlane* planes, uint16_t textureSetCount, const QrPoint3* textureCoords,
                             const QrColorA* colors, const QrBound& worldBound, const QrPoint3& eye) override
    {
        Capture("RenderTriangles", triangleCount, uint32_t(3) * triangleCount, vertices, normals, planes,
                textureSetCount, textureCoords, colors, worldBound, eye);
        return RecordingRender::RenderTriangles(triangleCount, vertices, normals, planes, textureSetCount,
                                                textureCoords, colors, worldBound, eye);
    }
    uint32_t RenderTristrips(uint16_t triangleCount, const QrPoint3* vertices, const QrPoint3* normals,
                             const QrPlane* planes, uint16_t textureSetCount, const QrPoint3* textureCoords,
                             const QrColorA* colors, const QrBound& worldBound, const QrPoint3& eye) override
    {
        Capture("RenderTristrips", triangleCount, triangleCount > 0 ? triangleCount + 2u : 0u, vertices, normals,
                planes, textureSetCount, textureCoords, colors, worldBound, eye);
        return RecordingRender::RenderTristrips(triangleCount, vertices, normals, planes, textureSetCount,
                                                textureCoords, colors, worldBound, eye);
    }
    uint32_t RenderPoints(uint16_t count, const QrPoint3* vertices, const QrPoint3* normals, const QrColorA* colors,
                          float pointSize, const QrBound& worldBound) override
    {
        Capture("RenderPoints", count, count, vertices, normals, nullptr, 0, nullptr, colors, worldBound, QrPoint3());
        m_calls.back().pointSize = pointSize;
        return RecordingRender::RenderPoints(count, vertices, normals, colors, pointSize, worldBound);
    }

    void ClearCaptures() { m_calls.clear(); }

    std::vector<DrawCall> m_calls;

protected:
    ~CapturingRender() override = default;

private:
    void Capture(const char* kind, uint16_t count, uint32_t vertexCount, const QrPoint3* vertices,
                 const QrPoint3* normals, const QrPlane* planes, uint16_t sets, const QrPoint3* textureCoords,
                 const QrColorA* colors, const QrBound& bound, const QrPoint3& eye)
    {
        DrawCall call;
        call.kind = kind;
        call.count = count;
        if (vertices)
            call.vertices.assign(vertices, vertices + vertexCount);
        if (normals)
            call.normals.assign(normals, normals + vertexCount);
        call.normalArray = normals;
        call.planes = planes;
        call.sets = sets;
        call.textureCoords = textureCoords;
        if (textureCoords && sets > 0)
            call.firstSet.assign(textureCoords, textureCoords + vertexCount);
        call.colors = colors;
        call.bound = bound;
        call.eye = eye;
        m_calls.push_back(call);
    }
};

// A camera at the origin looking down +x (far plane at 100) drawing into the capturing renderer.
class DrawTest : public geomtest::CameraDrawTest<CapturingRender>
{
protected:
    // Moves the camera (world location) and brings its world data up to date.
    void MoveCamera(float x, float y, float z)
    {
        m_camera->SetTranslate(x, y, z);
        m_camera->Update(m_camera->GetCurrentInstance());
    }
};

// The call just before the first call named name, or "" when there is none.
inline std::string CallBefore(const std::vector<std::string>& names, const char* name)
{
    auto it = std::find(names.begin(), names.end(), name);
    return it == names.end() || it == names.begin() ? std::string() : *(it - 1);
}

// --- collision

inline QrCollisionData* DataOf(QrAVInstance* instance)
{
    return static_cast<QrGeometryInstance*>(instance)->GetCollisionData();
}

inline QrCollisionRecord RecordFor(QrAVObject* object, QrAVInstance* instance)
{
    QrCollisionRecord record;
    record.m_reportedObject = object;
    record.m_object = object;
    record.m_instance = instance;
    return record;
}

// The vertex triples of the leaves of a collision tree, depth first.
inline void CollectLeafTriangles(const QrOBB* box, std::vector<std::array<uint16_t, 3>>& out)
{
    if (!box)
        return;
    if (box->IsLeaf())
    {
        const auto* leaf = static_cast<const QrOBBLeaf*>(box);
        out.push_back({leaf->m_vertexIndices[0], leaf->m_vertexIndices[1], leaf->m_vertexIndices[2]});
        return;
    }
    CollectLeafTriangles(box->GetFirstChild(), out);
    CollectLeafTriangles(box->GetSecondChild(), out);
}

inline std::vector<std::array<uint16_t, 3>> SortedLeafTriangles(const QrCollisionData* data)
{
    std::vector<std::array<uint16_t, 3>> out;
    if (data)
        CollectLeafTriangles(data->GetRoot(), out);
    std::sort(out.begin(), out.end());
    return out;
}

} // namespace familytest
