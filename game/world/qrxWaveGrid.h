#pragma once
// The animated water mesh: a flat grid of cols x rows cells whose vertices each run round a
// small vertical circle at their own phase and height factor, so the surface ripples. The far
// edges always repeat the near edges, so copies laid side by side join without seams. Built
// in code by Create; a scene file can only hold it as a still triangle shape.
//
// Vertex order: the inner points, then the first half-ring (the edge x = 0, then the edge
// z = 0 without its corners), then the second half-ring (the edges x = cols dx and z = rows dz
// in the same order). Only the inner points and the first half-ring move on their own.

#include "QrPointer.h"
#include "QrTriShape.h"

#include <cstdint>
#include <memory>

class QrAlphaProperty;

class qrxWaveGrid : public QrTriShape
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    // Points on one turn of the wave circle.
    static constexpr int32_t kTableSize = 90;

    // Null for a spacing that is zero, negative or not finite, a count below 1, or a grid
    // past 65,535 vertices or triangles (the indices are 16-bit).
    static QrPointer<qrxWaveGrid> Create(int32_t cols, int32_t rows, float dx, float dz, float amplitude);

    // Empty, for loading: no waves, only the triangle shape.
    qrxWaveGrid();

    // The wave step: turns the phases by the time, rebuilds the positions and normals.
    void UpdateWaves(double elapsed);
    // Rebuilds the wave table when the radius changes; the next step puts every vertex on it.
    void SetWaveAmount(float amplitude);
    float GetWaveAmount() const { return m_amplitude; }
    // Seconds for one turn; zero, negative and not finite are ignored.
    void SetWavePeriod(double seconds);
    double GetWavePeriod() const { return m_period; }
    void SetAlphaFlag(bool on);
    bool GetAlphaFlag() const;
    QrAlphaProperty* GetAlphaProperty() const { return m_alpha.Get(); }

    // Reverses every triangle (the surface then faces down), with planes and normals.
    void FlipWinding();
    // The grid vertex nearest (x, z) in the grid's own frame, after wrapping the point into
    // one grid; 0 for an empty grid or a point that is not finite.
    uint16_t GetVertexIndexAt(float x, float y, float z) const;
    // Vertex normals from the triangle planes; the far edges copy the near ones.
    void UpdateNormals();

    // What the boat reads to bob on the waves.
    const QrPoint3* GetWaveTable() const { return m_table.get(); }
    const int32_t* GetPhases() const { return m_phases.get(); }
    const float* GetHeightFactors() const { return m_heights.get(); }
    const QrPoint3* GetRestPositions() const { return m_rest.get(); }
    int32_t GetMovingCount() const { return m_innerCount + m_halfRing; }
    int32_t GetHalfRingCount() const { return m_halfRing; }
    int32_t GetCellsX() const { return m_cols; }
    int32_t GetCellsZ() const { return m_rows; }
    float GetCellSizeX() const { return m_dx; }
    float GetCellSizeZ() const { return m_dz; }
    // Vertex of grid point (i, j), i = 0..cols along x, j = 0..rows along z.
    uint16_t GetGridVertex(int32_t i, int32_t j) const;

protected:
    ~qrxWaveGrid() override;

private:
    qrxWaveGrid(uint16_t vertexCount, const QrPoint3* vertices, uint16_t triangleCount, const uint16_t* indices,
                const QrPoint3* textureCoords, const QrColorA* colors, int32_t cols, int32_t rows, float dx, float dz,
                float amplitude);

    void BuildTable();
    void PlaceVertices();
    void TurnPhases(int64_t steps);
    int32_t DrawHeightIndex() const;

    std::unique_ptr<QrPoint3[]> m_table;
    float m_amplitude = 0.0f;
    std::unique_ptr<QrPoint3[]> m_rest;
    std::unique_ptr<int32_t[]> m_phases;
    std::unique_ptr<float[]> m_heights;
    float m_dx = 0.0f;
    float m_dz = 0.0f;
    int32_t m_cols = 0;
    int32_t m_rows = 0;
    int32_t m_innerCount = 0;
    int32_t m_halfRing = 0;
    QrPointer<QrAlphaProperty> m_alpha;
    double m_period = double(kTableSize);
    double m_accumulator = 0.0;
    // (rows + 1) x i + j gives the vertex of grid point (i, j).
    std::unique_ptr<uint16_t[]> m_gridMap;
    // Set when the table changed after the positions were last placed: a flattened or
    // rescaled wave must show even when no phase step is due.
    bool m_tableChanged = false;
};
