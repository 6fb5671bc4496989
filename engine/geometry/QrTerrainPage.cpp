#include "QrTerrainPage.h"

#include "QrCamera.h"
#include "QrDisplay.h"
#include "QrNode.h"
#include "QrRender.h"
#include "QrTerrainDebugTarget.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

QR_IMPLEMENT_RTTI(QrTerrainPage, QrAVObject)
QR_IMPLEMENT_CREATE(QrTerrainPage)

namespace
{

// The program's one set of draw arrays. The generation moves at every create and delete, so a
// page can tell that the set it bound is gone; the owner is the page whose list the set holds.
struct SharedDrawArrays
{
    uint16_t size = 0;
    uint32_t generation = 0;
    const QrTerrainPage* owner = nullptr;
    std::unique_ptr<QrPoint3[]> positions;
    std::unique_ptr<QrPoint3[]> normals;
    std::unique_ptr<QrPoint3[]> textureCoords;
    std::unique_ptr<QrColorA[]> colors;
    std::unique_ptr<QrPlane[]> planes;
    std::unique_ptr<uint16_t[]> indices;
    std::unique_ptr<uint16_t[]> remap;
};

SharedDrawArrays& Shared()
{
    static SharedDrawArrays shared;
    return shared;
}

uint32_t GridVertexCount(uint32_t size)
{
    return size * size;
}

uint32_t TriangleCapacity(uint32_t size)
{
    return 2u * (size - 1) * (size - 1);
}

// Splits from a block's triangles (legs 2h along the axes) down to legs of one grid step:
// two per halving of the leg.
uint32_t SplitsForHalfSize(uint32_t halfSize)
{
    uint32_t splits = 2;
    for (uint32_t h = halfSize; h > 1; h >>= 1)
        splits += 2;
    return splits;
}

// Truncation, held inside a range where the row flip cannot overflow.
int32_t ToPixel(float value)
{
    const float limit = 1.0e9f;
    return static_cast<int32_t>(std::clamp(value, -limit, limit));
}

int32_t FlipRow(int32_t height, int32_t row)
{
    const int64_t flipped = int64_t(height) - row - 1;
    return int32_t(
        std::clamp<int64_t>(flipped, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

} // namespace

// --- shared arrays

void QrTerrainPage::CreateSharedArrays(uint16_t size)
{
    DeleteSharedArrays();
    if (!IsValidSize(size))
        return;
    SharedDrawArrays& shared = Shared();
    const uint32_t vertices = GridVertexCount(size);
    const uint32_t triangles = TriangleCapacity(size);
    shared.size = size;
    shared.positions = std::make_unique<QrPoint3[]>(vertices);
    shared.normals = std::make_unique<QrPoint3[]>(vertices);
    shared.textureCoords = std::make_unique<QrPoint3[]>(vertices);
    shared.colors = std::make_unique<QrColorA[]>(vertices);
    shared.planes = std::make_unique<QrPlane[]>(triangles);
    shared.indices = std::make_unique<uint16_t[]>(3u * triangles);
    shared.remap = std::make_unique<uint16_t[]>(vertices);
}

void QrTerrainPage::DeleteSharedArrays()
{
    SharedDrawArrays& shared = Shared();
    shared.positions.reset();
    shared.normals.reset();
    shared.textureCoords.reset();
    shared.colors.reset();
    shared.planes.reset();
    shared.indices.reset();
    shared.remap.reset();
    shared.size = 0;
    shared.owner = nullptr;
    ++shared.generation;
}

uint16_t QrTerrainPage::GetSharedSize()
{
    return Shared().size;
}

bool QrTerrainPage::IsValidSize(uint16_t size)
{
    // 2^k + 1: the block tree halves evenly; at most 129 so that block coordinates fit a byte.
    if (size < 3 || size > kMaxSize)
        return false;
    const uint32_t cells = size - 1u;
    return (cells & (cells - 1)) == 0;
}

// --- construction

QrTerrainPage::QrTerrainPage()
{
    m_modelBound.Set(QrPoint3(), 0.0f);
}

QrTerrainPage::QrTerrainPage(uint16_t size, float originX, float originY, float minHeight, float maxHeight,
                             float spacing, const uint16_t* heights, bool hasTextureCoords,
                             std::unique_ptr<QrPoint3[]> normals, std::unique_ptr<QrColorA[]> colors)
{
    m_modelBound.Set(QrPoint3(), 0.0f);
    if (!IsValidSize(size) || !heights)
        return;
    m_size = size;
    m_cellCount = uint16_t(size - 1);
    m_gridVertexCount = uint16_t(GridVertexCount(size));
    m_triangleCapacity = uint16_t(TriangleCapacity(size));
    m_originX = originX;
    m_originY = originY;
    m_minHeight = minHeight;
    m_maxHeight = maxHeight;
    m_spacing = spacing;
    m_inverseSpacing = spacing != 0.0f ? 1.0f / spacing : 0.0f;
    m_heightScale = float((maxHeight - minHeight) / 65535.0);
    m_textureStep = 1.0f / float(m_cellCount);
    m_heights = heights;
    m_gridNormals = std::move(normals);
    m_gridColors = std::move(colors);
    m_pixelTolerance = 1.0f;
    m_errorThreshold = -1.0f;
    m_hasTextureCoords = hasTextureCoords;
    BindDrawArrays();

    m_links = std::make_unique<QrTerrainVertexLink[]>(m_gridVertexCount);
    m_nodeCount = uint16_t((uint32_t(size) - 2) * size / 3);
    m_nodes = std::make_unique<QrTerrainNode[]>(m_nodeCount);
    BuildNode(0, 0, 0, uint8_t(m_cellCount / 2), QrTerrainNode::kDiagonal);

    const QrTerrainNode& root = m_nodes[0];
    const QrPoint3 low(root.m_boxMin[0], root.m_boxMin[1], root.m_boxMin[2]);
    const QrPoint3 high(root.m_boxMax[0], root.m_boxMax[1], root.m_boxMax[2]);
    m_modelBound.Set((low + high) * 0.5f, ((high - low) * 0.5f).Length());

    // The cut starts as the root alone. The tail wraps like every push: with one block the
    // ring holds one entry and the tail is back at 0.
    m_queueCapacity = uint16_t(m_nodeCount - m_nodeCount / 4);
    m_queue = std::make_unique<uint16_t[]>(m_queueCapacity);
    m_queue[0] = 0;
    m_queueHead = 0;
    m_queueTail = uint16_t(1 % m_queueCapacity);
    m_queuedCount = 1;
}

QrTerrainPage::~QrTerrainPage()
{
    UnlinkEdges();
    if (Shared().owner == this)
        Shared().owner = nullptr;
}

void QrTerrainPage::BindDrawArrays()
{
    SharedDrawArrays& shared = Shared();
    m_usesShared = shared.size != 0 && shared.size == m_size;
    m_sharedGeneration = shared.generation;
    if (!m_usesShared)
    {
        AllocateOwnDrawArrays();
        return;
    }
    FreeOwnDrawArrays();
    m_drawPositions = shared.positions.get();
    m_drawPlanes = shared.planes.get();
    m_drawIndices = shared.indices.get();
    m_vertexRemap = shared.remap.get();
    m_drawTextureCoords = m_hasTextureCoords ? shared.textureCoords.get() : nullptr;
    m_drawNormals = m_gridNormals ? shared.normals.get() : nullptr;
    m_drawColors = m_gridColors ? shared.colors.get() : nullptr;
}

void QrTerrainPage::AllocateOwnDrawArrays()
{
    const uint32_t vertices = m_gridVertexCount;
    const uint32_t triangles = m_triangleCapacity;
    m_ownPositions = std::make_unique<QrPoint3[]>(vertices);
    m_ownPlanes = std::make_unique<QrPlane[]>(triangles);
    m_ownIndices = std::make_unique<uint16_t[]>(3u * triangles);
    m_ownRemap = std::make_unique<uint16_t[]>(vertices);
    m_ownTextureCoords = m_hasTextureCoords ? std::make_unique<QrPoint3[]>(vertices) : nullptr;
    m_ownNormals = m_gridNormals ? std::make_unique<QrPoint3[]>(vertices) : nullptr;
    m_ownColors = m_gridColors ? std::make_unique<QrColorA[]>(vertices) : nullptr;
    m_drawPositions = m_ownPositions.get();
    m_drawPlanes = m_ownPlanes.get();
    m_drawIndices = m_ownIndices.get();
    m_vertexRemap = m_ownRemap.get();
    m_drawTextureCoords = m_ownTextureCoords.get();
    m_drawNormals = m_ownNormals.get();
    m_drawColors = m_ownColors.get();
}

void QrTerrainPage::FreeOwnDrawArrays()
{
    m_ownPositions.reset();
    m_ownNormals.reset();
    m_ownTextureCoords.reset();
    m_ownColors.reset();
    m_ownPlanes.reset();
    m_ownIndices.reset();
    m_ownRemap.reset();
}

void QrTerrainPage::EnsureDrawArrays()
{
    if (!m_usesShared || m_sharedGeneration == Shared().generation)
        return;
    // The shared set this page bound is gone: nothing may point into it any more.
    m_usesShared = false;
    m_drawVertexCount = 0;
    m_drawTriangleCount = 0;
    m_drawIndexCount = 0;
    AllocateOwnDrawArrays();
}

void QrTerrainPage::BindAttributeArrays()
{
    EnsureDrawArrays();
    if (m_usesShared)
    {
        m_drawNormals = m_gridNormals ? Shared().normals.get() : nullptr;
        m_drawColors = m_gridColors ? Shared().colors.get() : nullptr;
        return;
    }
    if (m_gridNormals && !m_ownNormals)
        m_ownNormals = std::make_unique<QrPoint3[]>(m_gridVertexCount);
    if (m_gridColors && !m_ownColors)
        m_ownColors = std::make_unique<QrColorA[]>(m_gridVertexCount);
    m_drawNormals = m_ownNormals.get();
    m_drawColors = m_ownColors.get();
}

// --- queries

float QrTerrainPage::GetSampleHeight(uint32_t column, uint32_t row) const
{
    return float(m_heights[row * m_size + column]) * m_heightScale + m_minHeight;
}

bool QrTerrainPage::ContainsPoint(float x, float y) const
{
    if (m_size == 0)
        return false;
    const float fx = (x - m_originX) * m_inverseSpacing;
    const float fy = (y - m_originY) * m_inverseSpacing;
    const float last = float(m_cellCount);
    return fx >= 0.0f && fx < last && fy >= 0.0f && fy < last;
}

float QrTerrainPage::GetHeight(float x, float y) const
{
    if (!ContainsPoint(x, y))
        return 0.0f;
    const float fx = (x - m_originX) * m_inverseSpacing;
    const float fy = (y - m_originY) * m_inverseSpacing;
    const uint32_t i = uint32_t(fx);
    const uint32_t j = uint32_t(fy);
    const float tx = fx - float(i);
    const float ty = fy - float(j);
    const float h00 = GetSampleHeight(i, j);
    const float h10 = GetSampleHeight(i + 1, j);
    const float h01 = GetSampleHeight(i, j + 1);
    const float h11 = GetSampleHeight(i + 1, j + 1);
    // The cell's diagonal is the one the finest draw triangles use.
    if ((i ^ j) & 1u)
    {
        if (tx + ty > 1.0f)
            return h11 * (tx + ty - 1.0f) + h01 * (1.0f - tx) + h10 * (1.0f - ty);
        return h00 * (1.0f - tx - ty) + h01 * ty + h10 * tx;
    }
    if (tx <= ty)
        return h00 * (1.0f - ty) + h01 * (ty - tx) + h11 * tx;
    return h00 * (1.0f - tx) + h10 * (tx - ty) + h11 * ty;
}

bool QrTerrainPage::IsVertexActive(uint32_t column, uint32_t row) const
{
    if (column >= m_size || row >= m_size)
        return false;
    return m_links[row * m_size + column].IsActive();
}

// --- positioned object

QrAVInstance* QrTerrainPage::AttachParent(QrNode* parent)
{
    // Callers hold a reference to the page, so the old parent's release cannot destroy it.
    if (QrNode* old = GetParent())
        old->DetachChild(this);
    return m_instances.ReplaceId(nullptr, parent);
}

void QrTerrainPage::DetachParent(QrNode* parent)
{
    m_instances.ReplaceId(parent, nullptr);
}

bool QrTerrainPage::UpdateWorldBound(QrAVInstance* instance)
{
    SetCurrentInstance(instance);
    QrAVInstance* self = m_currentInstance;
    self->m_worldBound.Transform(m_modelBound, self->m_worldRotate, self->m_worldTranslate, self->m_worldScale);
    return true;
}

bool QrTerrainPage::SharesProperties(QrAVObject*, uint32_t)
{
    return false;
}

void QrTerrainPage::PushState(QrCamera* camera, QrAVInstance* instance)
{
    QrAVObject::PushState(camera, instance);
    BuildDrawList();
}

// --- draw list

void QrTerrainPage::BuildDrawList()
{
    m_drawVertexCount = 0;
    m_drawTriangleCount = 0;
    m_drawIndexCount = 0;
    if (m_size == 0)
        return;
    EnsureDrawArrays();
    if (m_usesShared)
        Shared().owner = this;
    std::fill(m_vertexRemap, m_vertexRemap + m_gridVertexCount, kNotInList);

    uint16_t at = m_queueHead;
    for (uint16_t k = 0; k < m_queuedCount; ++k)
    {
        const QrTerrainNode& node = m_nodes[m_queue[at]];
        if (node.m_flags & QrTerrainNode::kVisible)
            EmitNode(node);
        if (++at == m_queueCapacity)
            at = 0;
    }

    // Planes stay in model space (the renderer culls against the model-space eye).
    const QrAVInstance* self = m_currentInstance;
    QrMatrix3 scaled = self->m_worldRotate;
    for (auto& row : scaled.m)
        for (float& value : row)
            value *= self->m_worldScale;
    for (uint32_t v = 0; v < m_drawVertexCount; ++v)
        m_drawPositions[v] = scaled.TimesPoint(m_drawPositions[v]) + self->m_worldTranslate;
}

void QrTerrainPage::EmitNode(const QrTerrainNode& node)
{
    const uint32_t h = node.m_halfSize;
    const uint32_t c00 = uint32_t(node.m_row) * m_size + node.m_column;
    const uint32_t c10 = c00 + 2 * h;
    const uint32_t c01 = c00 + 2 * h * m_size;
    const uint32_t c11 = c01 + 2 * h;
    const uint32_t splits = SplitsForHalfSize(h);
    if (node.m_flags & QrTerrainNode::kDiagonal)
    {
        EmitTriangle(c00, c01, c10, splits);
        EmitTriangle(c11, c10, c01, splits);
    }
    else
    {
        EmitTriangle(c10, c00, c11, splits);
        EmitTriangle(c01, c11, c00, splits);
    }
}

void QrTerrainPage::EmitTriangle(uint32_t apex, uint32_t b, uint32_t c, uint32_t splits)
{
    // b and c end the hypotenuse. Bisect while its midpoint is active; the second half goes
    // round the loop instead of recursing.
    while (splits > 0)
    {
        const uint32_t mid = (b + c) / 2;
        if (!m_links[mid].IsActive())
            break;
        EmitTriangle(mid, apex, b, splits - 1);
        const uint32_t oldApex = apex;
        apex = mid;
        b = c;
        c = oldApex;
        --splits;
    }
    if (m_drawTriangleCount >= m_triangleCapacity)
        return;
    const uint16_t da = AddDrawVertex(apex);
    const uint16_t dc = AddDrawVertex(c);
    const uint16_t db = AddDrawVertex(b);
    uint16_t* indices = m_drawIndices + m_drawIndexCount;
    indices[0] = da;
    indices[1] = dc;
    indices[2] = db;
    m_drawIndexCount += 3;

    const QrPoint3& pa = m_drawPositions[da];
    const QrPoint3 normal = (m_drawPositions[dc] - pa).Cross(m_drawPositions[db] - pa);
    m_drawPlanes[m_drawTriangleCount].Set(normal, normal.Dot(pa));
    ++m_drawTriangleCount;
}

uint16_t QrTerrainPage::AddDrawVertex(uint32_t gridIndex)
{
    uint16_t& slot = m_vertexRemap[gridIndex];
    if (slot != kNotInList)
        return slot;
    const uint16_t at = m_drawVertexCount++;
    slot = at;
    m_drawPositions[at] = GridPosition(gridIndex);
    if (m_drawTextureCoords)
    {
        const uint32_t column = gridIndex % m_size;
        const uint32_t row = gridIndex / m_size;
        m_drawTextureCoords[at] = QrPoint3(float(column) * m_textureStep, float(row) * m_textureStep, 0.0f);
    }
    if (m_drawNormals && m_gridNormals)
        m_drawNormals[at] = m_currentInstance->m_worldRotate.TimesPoint(m_gridNormals[gridIndex]);
    if (m_drawColors && m_gridColors)
        m_drawColors[at] = m_gridColors[gridIndex];
    return at;
}

QrPoint3 QrTerrainPage::GridPosition(uint32_t gridIndex) const
{
    const uint32_t column = gridIndex % m_size;
    const uint32_t row = gridIndex / m_size;
    return QrPoint3(float(column) * m_spacing + m_originX, float(row) * m_spacing + m_originY,
                    float(m_heights[gridIndex]) * m_heightScale + m_minHeight);
}

// --- drawing

void QrTerrainPage::Draw(QrCamera* camera, QrAVInstance* instance)
{
    QrDisplay* display = camera ? camera->GetDisplay() : nullptr;
    QrRender* renderer = display ? display->GetRenderer() : nullptr;
    if (!renderer || m_size == 0)
        return;
    camera->SendClipPlanes();
    display->ApplyCurrentState();
    SetCurrentInstance(instance);
    // A draw that did not follow this page's own push (deferred by a sorter) would find another
    // page's list in the shared arrays: build this page's again.
    if (m_usesShared && Shared().owner != this)
        BuildDrawList();
    const QrAVInstance* self = m_currentInstance;
    renderer->SetWorldTransform(self->m_worldTranslate, self->m_worldRotate, self->m_worldScale);
    QrPoint3 eye = self->m_worldRotate.Transpose().TimesPoint(camera->GetWorldLocation() - self->m_worldTranslate);
    if (self->m_worldScale != 0.0f)
        eye.DivideScalar(self->m_worldScale);
    // One texture set when the page has coordinates; none rather than a set without data.
    renderer->RenderShape(m_drawTriangleCount, m_drawVertexCount, m_drawPositions, m_drawNormals, m_drawPlanes,
                          m_drawTextureCoords ? 1 : 0, m_drawTextureCoords, m_drawColors, m_drawIndices,
                          GetWorldBound(), eye);
    if (m_debugTarget)
        DrawDebugMap();
}

void QrTerrainPage::SetDebugMap(QrTerrainDebugTarget* target, float scale, int32_t height)
{
    m_debugTarget = target;
    m_debugScale = scale;
    m_debugHeight = height;
}

void QrTerrainPage::DrawDebugMap()
{
    if (!m_debugTarget || !m_debugTarget->BeginLines())
        return;
    const auto px = [this](const QrPoint3& p) { return ToPixel(p.x * m_debugScale); };
    const auto py = [this](const QrPoint3& p) { return FlipRow(m_debugHeight, ToPixel(p.y * m_debugScale)); };
    for (uint32_t t = 0; t < m_drawTriangleCount; ++t)
    {
        const QrPoint3& a = m_drawPositions[m_drawIndices[3 * t]];
        const QrPoint3& b = m_drawPositions[m_drawIndices[3 * t + 1]];
        const QrPoint3& c = m_drawPositions[m_drawIndices[3 * t + 2]];
        m_debugTarget->MoveTo(px(a), py(a));
        m_debugTarget->LineTo(px(b), py(b));
        m_debugTarget->LineTo(px(c), py(c));
        m_debugTarget->LineTo(px(a), py(a));
    }
    m_debugTarget->EndLines();
}
