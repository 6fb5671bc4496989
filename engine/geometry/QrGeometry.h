#pragma once
// Abstract leaf of the scene graph that carries vertex data: model-space vertices and normals
// (owned, vertex count at most 65,535) and a model-space bound. A geometry hung under several
// parents keeps one QrGeometryInstance per parent, with world-space copies of its arrays that are
// rebuilt lazily: only for instances that are drawn or queried, and only after the instance's
// world transform or the model vertices changed.
//
// Code that edits the model vertices or normals in place (skins, morphs, particles, water) must
// call MarkVerticesChanged() afterwards; otherwise the world copies keep the old positions until
// the object happens to move.

#include "QrAVObject.h"
#include "QrBound.h"
#include "QrPoint3.h"

#include <cstdint>
#include <memory>

class QrGeometryInstance;
class QrRender;

class QrGeometry : public QrAVObject
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    void LoadBinary(QrStream& stream) override;
    void LinkObject(QrStream& stream) override;
    bool RegisterStreamables(QrStream& stream) override;
    void SaveBinary(QrStream& stream) override;
    bool IsEqual(const QrObject* other) const override;

    QrAVInstance* CreateInstance() override;
    // Bakes the transform into the model data; the local transform is left alone. With
    // inParentFrame the transform is given in the parent's frame.
    void ApplyTransform(const QrMatrix3& rotation, const QrPoint3& translation, bool inParentFrame) override;
    // Pushes the properties, then brings the instance's world arrays up to date.
    void PushState(QrCamera* camera, QrAVInstance* instance) override;
    // Collision data lives in the instance records; null drops it from every instance.
    void DeleteCollisionData(QrAVInstance* instance) override;
    // The swept-bound gate, then the box trees of both instances (QrCollisionData::QueryGeometry).
    bool TestCollisions(float time, QrCollisionRecord& self, QrCollisionRecord& other) override;
    int32_t FindCollisions(float time, QrCollisionRecord& self, QrCollisionRecord& other) override;
    bool SharesProperties(QrAVObject* other, uint32_t typeMask) override;
    // Marks the instance's world arrays stale after the world transform update.
    void UpdateWorldData(QrAVInstance* instance) override;
    // World bound = the model bound (recomputed from the vertices when stale) under the
    // instance's world transform.
    bool UpdateWorldBound(QrAVInstance* instance) override;

    // Recomputes the model normals from the vertex data.
    virtual void CalculateNormals() = 0;
    // Rebuilds the instance's world vertices and normals and clears its stale flag.
    virtual void UpdateWorldNormals(QrAVInstance* instance);

    // The one entry point after an in-place edit of the model vertices or normals: every
    // instance rebuilds its world arrays at its next use, and the model bound is recomputed
    // at the next UpdateWorldBound (call Update or UpdateAllInstances to move the world bound).
    void MarkVerticesChanged();

    // World arrays of the current instance, rebuilt first when stale; null when the geometry
    // has no such model array.
    const QrPoint3* GetWorldVertices();
    const QrPoint3* GetWorldNormals();

    // Oriented box of the model vertices: centre at their mean, axes the eigenvectors of their
    // covariance, extents the largest distance from the centre along each axis.
    void FitOrientedBox(QrPoint3& center, QrPoint3 axes[3], float extents[3]) const;

    uint16_t GetVertexCount() const { return m_vertexCount; }
    // Model arrays; callers that write through them call MarkVerticesChanged afterwards.
    QrPoint3* GetVertices() { return m_vertices.get(); }
    const QrPoint3* GetVertices() const { return m_vertices.get(); }
    QrPoint3* GetNormals() { return m_normals.get(); }
    const QrPoint3* GetNormals() const { return m_normals.get(); }
    QrBound& GetModelBound() { return m_modelBound; }
    const QrBound& GetModelBound() const { return m_modelBound; }

protected:
    // Empty: no vertices, a stale bound.
    QrGeometry();
    // Copies the arrays (normals may be null; vertices are required when count is non-zero).
    QrGeometry(uint16_t vertexCount, const QrPoint3* vertices, const QrPoint3* normals);
    ~QrGeometry() override;

    // The record of an instance of this object (every record comes from CreateInstance).
    static QrGeometryInstance* AsGeometryInstance(QrAVInstance* instance);

    // World arrays and bound over the first activeCount vertices only (particles, triangle lists).
    void UpdateWorldArrays(QrAVInstance* instance, uint16_t activeCount);
    bool UpdateWorldBoundFrom(QrAVInstance* instance, uint16_t activeCount);
    // Rebuilds the world arrays of every instance at its next use (the model bound stays).
    void MarkWorldArraysStale();

    // Draw steps every kind shares: clip planes and render state sent, the instance made
    // current, and with sendTransform the world transform handed over. Returns the display's
    // renderer (borrowed), null when there is nothing to draw on.
    QrRender* BeginDraw(QrCamera* camera, QrAVInstance* instance, bool sendTransform);
    // The camera's world location in the model space of the current instance.
    QrPoint3 GetEyeInModelSpace(QrCamera* camera) const;

    // Stream helpers for the optional arrays: a u32 presence word, then count items. The
    // loader checks the bytes left before it allocates.
    template <class T>
    static void LoadOptionalArray(QrStream& stream, std::unique_ptr<T[]>& array, uint64_t count, const char* what);
    template <class T> static void SaveOptionalArray(QrStream& stream, const T* array, uint64_t count);
    template <class T> static bool ArraysEqual(const T* a, const T* b, uint64_t count);
    // False (and the load failed) when count items of itemBytes do not fit in what is left.
    static bool CanLoad(QrStream& stream, uint64_t count, size_t itemBytes, const char* what);

    uint16_t m_vertexCount = 0;
    std::unique_ptr<QrPoint3[]> m_vertices;
    std::unique_ptr<QrPoint3[]> m_normals;
    QrBound m_modelBound;
};
