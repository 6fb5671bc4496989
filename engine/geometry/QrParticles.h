#pragma once
// A cloud of points drawn by the renderer as camera-facing squares of one size. The positions
// are the geometry's vertices and the optional colours the base's; only the leading
// active-count vertices are live (drawn, bounded, transformed), the arrays stay sized by the
// vertex count. A particle system animates the positions and the active count; after moving
// vertices it calls MarkVerticesChanged. The triangle fields of the base are carried in the
// file but unused: a cloud has no triangles, no normals to compute and no collision data.

#include "QrTriBasedGeom.h"

#include <cstdint>

class QrRender;

class QrParticles : public QrTriBasedGeom
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    // Empty cloud: size 1.0, no particles.
    QrParticles();
    // Copies the arrays (normals and colours may be null); no particle is active yet. For
    // particle systems, tools and tests: files make clouds through the loader.
    QrParticles(uint16_t vertexCount, const QrPoint3* vertices, const QrPoint3* normals, const QrColorA* colors);

    void LoadBinary(QrStream& stream) override;
    void LinkObject(QrStream& stream) override;
    bool RegisterStreamables(QrStream& stream) override;
    void SaveBinary(QrStream& stream) override;
    bool IsEqual(const QrObject* other) const override;

    // RenderPoints with the world arrays; the point size follows the world scale.
    void Draw(QrCamera* camera, QrAVInstance* instance) override;
    // From the active vertices only.
    bool UpdateWorldBound(QrAVInstance* instance) override;
    void UpdateWorldNormals(QrAVInstance* instance) override;
    // A cloud has none of these.
    void CreateCollisionData(QrAVInstance* instance, uint32_t splitSize) override;
    void CalculateNormals() override;
    void UpdateTrianglePlanes() override;
    void CalculateNormalsFromPlanes() override;

    // Model units.
    float GetParticleSize() const { return m_particleSize; }
    void SetParticleSize(float size) { m_particleSize = size; }
    // The number of leading vertices that are live; values beyond the vertex count draw only
    // the vertices there are.
    uint16_t GetActiveCount() const { return m_activeCount; }
    void SetActiveCount(uint16_t count) { m_activeCount = count; }

protected:
    ~QrParticles() override;

    // The active count limited to the vertices present.
    uint16_t GetLiveCount() const;
    // The RenderPoints call of the current instance, with the normals given.
    void RenderLive(QrRender* renderer, const QrPoint3* normals);

    float m_particleSize = 1.0f;
    uint16_t m_activeCount = 0;
};
