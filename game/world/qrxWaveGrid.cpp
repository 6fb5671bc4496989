#include "qrxWaveGrid.h"

#include "uRandom.h"

#include "QrAlphaProperty.h"
#include "QrColorA.h"
#include "QrPlane.h"

#include <algorithm>
#include <cmath>
#include <vector>

QR_IMPLEMENT_RTTI(qrxWaveGrid, QrTriShape)
QR_IMPLEMENT_CREATE(qrxWaveGrid)

namespace
{
const QrColorA kGridColor(1.0f, 1.0f, 1.0f, 0.85f);
constexpr float kHeightFactors[] = {0.4f, 0.6f, 0.8f, 0.8f, 1.0f, 1.0f, 1.0f, 1.2f, 1.2f, 1.4f, 1.6f};
constexpr int32_t kHeightFactorCount = int32_t(sizeof kHeightFactors / sizeof kHeightFactors[0]);
// One turn in table steps; not quite 2 pi, so the last entry lands just short of the first.
constexpr double kTurn = 6.28312;
constexpr int32_t kMaxIndex = 65535;

bool IsUsableSpacing(float d)
{
    return std::isfinite(d) && d > 0.0f;
}

// The grid point numbering of the class comment: index map, rest positions.
struct GridLayout
{
    int32_t cols, rows, inner, half;
    std::vector<uint16_t> map;
    std::vector<QrPoint3> rest;

    GridLayout(int32_t c, int32_t r, float dx, float dz)
        : cols(c), rows(r), inner((c - 1) * (r - 1)), half(c + r), map(size_t(c + 1) * size_t(r + 1))
    {
        rest.reserve(map.size());
        for (int32_t i = 1; i < cols; ++i)
            for (int32_t j = 1; j < rows; ++j)
                Add(i, j, dx, dz);
        for (int32_t edge = 0; edge < 2; ++edge)
        {
            const int32_t x = edge == 0 ? 0 : cols;
            const int32_t z = edge == 0 ? 0 : rows;
            for (int32_t j = 0; j <= rows; ++j)
                Add(x, j, dx, dz);
            for (int32_t i = 1; i < cols; ++i)
                Add(i, z, dx, dz);
        }
    }

    void Add(int32_t i, int32_t j, float dx, float dz)
    {
        map[size_t(rows + 1) * size_t(i) + size_t(j)] = uint16_t(rest.size());
        rest.emplace_back(float(i) * dx, 0.0f, float(j) * dz);
    }

    uint16_t At(int32_t i, int32_t j) const { return map[size_t(rows + 1) * size_t(i) + size_t(j)]; }
};

// Grid coordinate of the nearest point along one axis, wrapped into 0..cells - 1.
int32_t WrappedCell(float v, float d, int32_t cells)
{
    const double width = double(cells) * d;
    const double shifted = double(v) + 0.5 * d;
    const double wrapped = shifted - std::floor(shifted / width) * width;
    return std::clamp(int32_t(std::floor(std::clamp(wrapped / d, 0.0, double(cells)))), 0, cells - 1);
}
} // namespace

QrPointer<qrxWaveGrid> qrxWaveGrid::Create(int32_t cols, int32_t rows, float dx, float dz, float amplitude)
{
    if (!IsUsableSpacing(dx) || !IsUsableSpacing(dz) || cols < 1 || rows < 1)
        return nullptr;
    if (int64_t(cols + 1) * int64_t(rows + 1) > kMaxIndex || 2 * int64_t(cols) * int64_t(rows) > kMaxIndex)
        return nullptr;
    const GridLayout layout(cols, rows, dx, dz);
    std::vector<uint16_t> indices;
    indices.reserve(size_t(6) * size_t(cols) * size_t(rows));
    for (int32_t i = 0; i < cols; ++i)
        for (int32_t j = 0; j < rows; ++j)
            indices.insert(indices.end(), {layout.At(i, j + 1), layout.At(i + 1, j), layout.At(i, j),
                                           layout.At(i + 1, j + 1), layout.At(i + 1, j), layout.At(i, j + 1)});
    std::vector<QrPoint3> uv(layout.rest.size());
    for (int32_t i = 0; i <= cols; ++i)
        for (int32_t j = 0; j <= rows; ++j)
            uv[layout.At(i, j)] = QrPoint3(4.0f * float(i) / float(cols), 4.0f * float(j) / float(rows), 0.0f);
    const std::vector<QrColorA> colors(layout.rest.size(), kGridColor);
    QrPointer<qrxWaveGrid> grid(new qrxWaveGrid(uint16_t(layout.rest.size()), layout.rest.data(),
                                                uint16_t(2 * cols * rows), indices.data(), uv.data(), colors.data(),
                                                cols, rows, dx, dz, amplitude));
    grid->m_gridMap = std::make_unique<uint16_t[]>(layout.map.size());
    std::copy(layout.map.begin(), layout.map.end(), grid->m_gridMap.get());
    grid->UpdateNormals();
    return grid;
}

qrxWaveGrid::qrxWaveGrid() = default;

qrxWaveGrid::qrxWaveGrid(uint16_t vertexCount, const QrPoint3* vertices, uint16_t triangleCount,
                         const uint16_t* indices, const QrPoint3* textureCoords, const QrColorA* colors, int32_t cols,
                         int32_t rows, float dx, float dz, float amplitude)
    : QrTriShape(vertexCount, vertices, nullptr, triangleCount, indices, textureCoords, colors), m_amplitude(amplitude),
      m_dx(dx), m_dz(dz), m_cols(cols), m_rows(rows), m_innerCount((cols - 1) * (rows - 1)), m_halfRing(cols + rows)
{
    m_rest = std::make_unique<QrPoint3[]>(vertexCount);
    std::copy(vertices, vertices + vertexCount, m_rest.get());
    m_phases = std::make_unique<int32_t[]>(vertexCount);
    m_heights = std::make_unique<float[]>(vertexCount);
    uRandom& random = SharedRandom();
    for (int32_t k = 0; k < vertexCount; ++k)
    {
        m_phases[k] = random.next() % kTableSize;
        m_heights[k] = 1.0f;
    }
    // The (0, rows) corner meets the (0, 0) corner when copies tile along z.
    m_phases[m_innerCount + m_rows] = m_phases[m_innerCount];
    BuildTable();
    m_alpha = new QrAlphaProperty;
    m_alpha->m_enabled = 0;
    m_alpha->m_source = 6;
    m_alpha->m_destination = 7;
    AttachProperty(m_alpha.Get());
}

qrxWaveGrid::~qrxWaveGrid() = default;

uint16_t qrxWaveGrid::GetGridVertex(int32_t i, int32_t j) const
{
    if (!m_gridMap || i < 0 || i > m_cols || j < 0 || j > m_rows)
        return 0;
    return m_gridMap[size_t(m_rows + 1) * size_t(i) + size_t(j)];
}

void qrxWaveGrid::BuildTable()
{
    // A rotation recurrence round the x axis, starting straight along +z.
    m_table = std::make_unique<QrPoint3[]>(kTableSize);
    const double a = kTurn / double(kTableSize - 1);
    const double c = std::cos(a);
    const double s = std::sin(a);
    m_table[0] = QrPoint3(0.0f, 0.0f, m_amplitude);
    for (int32_t k = 1; k < kTableSize; ++k)
    {
        const QrPoint3& p = m_table[k - 1];
        m_table[k] = QrPoint3(0.0f, float(s * p.z + c * p.y), float(c * p.z - s * p.y));
    }
    m_tableChanged = true;
}

void qrxWaveGrid::SetWaveAmount(float amplitude)
{
    if (!m_table || amplitude == m_amplitude || !std::isfinite(amplitude))
        return;
    m_amplitude = amplitude;
    BuildTable();
}

void qrxWaveGrid::SetWavePeriod(double seconds)
{
    if (std::isfinite(seconds) && seconds > 0.0)
        m_period = seconds;
}

void qrxWaveGrid::SetAlphaFlag(bool on)
{
    if (m_alpha)
        m_alpha->m_enabled = on ? 1 : 0;
}

bool qrxWaveGrid::GetAlphaFlag() const
{
    return m_alpha && m_alpha->m_enabled != 0;
}

void qrxWaveGrid::PlaceVertices()
{
    const int32_t moving = GetMovingCount();
    for (int32_t k = 0; k < int32_t(m_vertexCount); ++k)
    {
        // The second half-ring takes the wave of its opposite point.
        const int32_t m = k < moving ? k : k - m_halfRing;
        const QrPoint3& w = m_table[m_phases[m]];
        m_vertices[k] = m_rest[k] + QrPoint3(w.x, w.y * m_heights[m], w.z);
    }
    m_tableChanged = false;
}

int32_t qrxWaveGrid::DrawHeightIndex() const
{
    return int32_t(uint32_t(SharedRandom().next()) % uint32_t(kHeightFactorCount));
}

void qrxWaveGrid::TurnPhases(int64_t steps)
{
    const int32_t moving = GetMovingCount();
    const int64_t turn = steps % kTableSize;
    for (int32_t k = 0; k < moving; ++k)
    {
        if (int64_t(m_phases[k]) + steps >= kTableSize)
            m_heights[k] = kHeightFactors[DrawHeightIndex()];
        m_phases[k] = int32_t((m_phases[k] + turn) % kTableSize);
    }
    m_heights[m_innerCount + m_rows] = m_heights[m_innerCount];
}

void qrxWaveGrid::UpdateWaves(double elapsed)
{
    if (!m_table || !m_rest || m_vertexCount == 0)
        return;
    if (!std::isfinite(elapsed) || elapsed < 0.0)
        elapsed = 0.0;
    // Positions follow the phases of the last step; a changed table also shows at once.
    if (m_accumulator == 0.0 || m_tableChanged)
        PlaceVertices();
    // Beyond a few turns the count only matters modulo a turn; the bound keeps it an integer.
    const double steps = std::min(double(kTableSize) * (m_accumulator + elapsed) / m_period + 0.5, 1.0e6);
    if (steps < 1.0)
        m_accumulator += elapsed;
    else
    {
        TurnPhases(int64_t(steps));
        m_accumulator = 0.0;
    }
    UpdateTrianglePlanes();
    UpdateNormals();
    MarkVerticesChanged();
    UpdateAllInstances();
}

void qrxWaveGrid::UpdateNormals()
{
    if (m_vertexCount == 0)
        return;
    QrPoint3* normals = ClearNormals();
    const QrPlane* planes = GetPlanes();
    const uint32_t triangles = std::min<uint32_t>(m_triangleCount, m_indexCount / 3);
    for (uint32_t t = 0; planes && m_indices && t < triangles; ++t)
    {
        QrPoint3 n = planes[t].GetNormal();
        n.Unitize();
        for (uint32_t c = 0; c < 3; ++c)
            normals[m_indices[3 * t + c]] += n;
    }
    const int32_t moving = m_rest ? GetMovingCount() : int32_t(m_vertexCount);
    for (int32_t k = 0; k < moving; ++k)
        normals[k].Unitize();
    if (!m_rest)
        return;
    normals[m_innerCount + m_rows] = normals[m_innerCount];
    for (int32_t k = moving; k < int32_t(m_vertexCount); ++k)
        normals[k] = normals[k - m_halfRing];
}

void qrxWaveGrid::FlipWinding()
{
    ReverseWinding();
    UpdateNormals();
    MarkVerticesChanged();
    UpdateAllInstances();
}

uint16_t qrxWaveGrid::GetVertexIndexAt(float x, float, float z) const
{
    if (!m_gridMap || !std::isfinite(x) || !std::isfinite(z))
        return 0;
    const int32_t i = WrappedCell(x, m_dx, m_cols);
    const int32_t j = WrappedCell(z, m_dz, m_rows);
    return m_gridMap[size_t(m_rows + 1) * size_t(i) + size_t(j)];
}
