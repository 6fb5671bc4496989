#pragma once
// One square patch of a height field: N x N 16-bit samples (N = 2^k + 1, at most 129) in the
// model x-y plane with height along z. Grid vertex (column c, row r) has index r * N + c in every
// grid array. The page keeps a block tree over the grid whose cut is refined from the eye each
// frame, turns the active vertices into an indexed triangle list at every PushState, and carries
// per-vertex normals and pre-lit colours computed once per light.
//
// Ownership: the height samples belong to the caller and must outlive the page; grid normals and
// colours are the page's. The draw arrays are either the program's shared set (CreateSharedArrays,
// for pages drawn one after the other) or the page's own. The page adds nothing to a scene file:
// one read from a file is empty.

#include "QrAVObject.h"
#include "QrBound.h"
#include "QrColorA.h"
#include "QrPlane.h"
#include "QrPoint3.h"
#include "QrTerrainNode.h"
#include "QrTerrainVertexLink.h"

#include <cstdint>
#include <memory>

class QrLight;
class QrMaterialProperty;
class QrRender;
class QrTerrainDebugTarget;

class QrTerrainPage : public QrAVObject
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    static constexpr uint16_t kMaxSize = 129;
    // Vertex remap value of a grid vertex that is not in the draw list.
    static constexpr uint16_t kNotInList = 0xFFFF;
    // Order of a neighbour block (four pages, any of them null).
    enum : uint32_t
    {
        kNeighbourMinusY = 0, // its last row is this page's row 0
        kNeighbourPlusX = 1,  // its column 0 is this page's column N - 1
        kNeighbourPlusY = 2,  // its row 0 is this page's row N - 1
        kNeighbourMinusX = 3, // its last column is this page's column 0
        kNeighbourCount = 4,
    };

    // One set of draw arrays for every page of this size built while the set exists. A page of
    // another size, or one whose set is deleted or replaced, uses arrays of its own.
    static void CreateSharedArrays(uint16_t size);
    static void DeleteSharedArrays();
    static uint16_t GetSharedSize();
    // True for 3, 5, 9, 17, 33, 65 and 129.
    static bool IsValidSize(uint16_t size);

    // An empty page (the class registry's).
    QrTerrainPage();
    // A size that IsValidSize refuses, or no samples, gives an empty page.
    QrTerrainPage(uint16_t size, float originX, float originY, float minHeight, float maxHeight, float spacing,
                  const uint16_t* heights, bool hasTextureCoords, std::unique_ptr<QrPoint3[]> normals = nullptr,
                  std::unique_ptr<QrColorA[]> colors = nullptr);

    // --- queries (model frame)
    // Height of the drawn surface where fully refined; 0 outside the page.
    float GetHeight(float x, float y) const;
    // Inside when both grid coordinates lie in [0, N - 1).
    bool ContainsPoint(float x, float y) const;

    // --- positioned object
    // One parent at most: a new parent takes the page from the old one.
    QrAVInstance* AttachParent(QrNode* parent) override;
    void DetachParent(QrNode* parent) override;
    // Pushes the properties, then builds the draw list in world space from the cut.
    void PushState(QrCamera* camera, QrAVInstance* instance) override;
    void Draw(QrCamera* camera, QrAVInstance* instance) override;
    bool UpdateWorldBound(QrAVInstance* instance) override;
    bool SharesProperties(QrAVObject* other, uint32_t typeMask) override;

    // --- level of detail (the eye is always in the page's model frame)
    // Stores the tolerance (pixels) and derives the squared angular error threshold from the
    // camera's frustum and display width; no display or width 0 gives an infinite threshold.
    void SetPixelTolerance(QrCamera* camera, float tolerance);
    float GetPixelTolerance() const { return m_pixelTolerance; }
    float GetErrorThreshold() const { return m_errorThreshold; }
    // Frustum test of the whole page.
    bool IsVisible(QrCamera* camera);
    // First step of every frame, on every page of a linked group before any is refined.
    void ResetLOD();
    // Moves the cut towards what the eye needs, then activates the vertices of visible blocks.
    void UpdateLOD(QrCamera* camera, const QrPoint3& eye);
    // Join this page's last column to the first column of the page along +x (or its last row to
    // the first row of the page along +y), once, after both are built. Corners stay unlinked.
    void LinkColumnEdge(QrTerrainPage* neighbour);
    void LinkRowEdge(QrTerrainPage* neighbour);

    // --- normals and lighting; neighbours: kNeighbourCount pages (entries may be null) or null
    // Fills normals (N * N), or with null the page's grid normals (made when missing). A border
    // sample missing on a side without a neighbour is extrapolated from the inside.
    void ComputeNormals(QrTerrainPage* const* neighbours, QrPoint3* normals);
    // Replaces every grid colour with the light's on this page (material null: the default).
    void LightVertices(QrLight* light, QrMaterialProperty* material, QrTerrainPage* const* neighbours);

    // --- debug map: the draw triangles as lines, world x and y times scale, rows counted from
    // the top of a target height pixels high. Nothing is drawn while no target is set.
    void SetDebugMap(QrTerrainDebugTarget* target, float scale, int32_t height);
    void DrawDebugMap();

    // --- grid
    uint16_t GetSize() const { return m_size; }
    uint16_t GetCellCount() const { return m_cellCount; }
    float GetOriginX() const { return m_originX; }
    float GetOriginY() const { return m_originY; }
    float GetSpacing() const { return m_spacing; }
    // Texture coordinate per grid step; 1 / (N - 1) until set.
    float GetTextureStep() const { return m_textureStep; }
    void SetTextureStep(float step) { m_textureStep = step; }
    const uint16_t* GetHeights() const { return m_heights; }
    // Height of a grid vertex: sample * height scale + minimum height.
    float GetSampleHeight(uint32_t column, uint32_t row) const;
    const QrPoint3* GetGridNormals() const { return m_gridNormals.get(); }
    const QrColorA* GetGridColors() const { return m_gridColors.get(); }
    const QrBound& GetModelBound() const { return m_modelBound; }

    // --- what the last PushState built (valid until the next page using the same arrays builds)
    uint16_t GetDrawVertexCount() const { return m_drawVertexCount; }
    uint16_t GetDrawTriangleCount() const { return m_drawTriangleCount; }
    uint32_t GetDrawIndexCount() const { return m_drawIndexCount; }
    const QrPoint3* GetDrawPositions() const { return m_drawPositions; }
    const QrPoint3* GetDrawNormals() const { return m_drawNormals; }
    const QrPoint3* GetDrawTextureCoords() const { return m_drawTextureCoords; }
    const QrColorA* GetDrawColors() const { return m_drawColors; }
    const QrPlane* GetDrawPlanes() const { return m_drawPlanes; }
    const uint16_t* GetDrawIndices() const { return m_drawIndices; }
    // Draw vertex number of a grid vertex, kNotInList when absent.
    const uint16_t* GetVertexRemap() const { return m_vertexRemap; }
    bool UsesSharedArrays() const { return m_usesShared; }

    // --- level-of-detail state
    const QrTerrainVertexLink* GetVertexLinks() const { return m_links.get(); }
    bool IsVertexActive(uint32_t column, uint32_t row) const;
    uint16_t GetNodeCount() const { return m_nodeCount; }
    const QrTerrainNode* GetNodes() const { return m_nodes.get(); }
    uint16_t GetQueuedCount() const { return m_queuedCount; }
    // Node number k entries after the head of the cut (k below GetQueuedCount()).
    uint16_t PeekNode(uint16_t k) const;

protected:
    ~QrTerrainPage() override;

private:
    // --- construction
    void BuildNode(uint16_t index, uint8_t column, uint8_t row, uint8_t halfSize, uint8_t diagonal);
    void AllocateOwnDrawArrays();
    void FreeOwnDrawArrays();
    // Points the draw arrays at the shared set or at own arrays, by the page's attributes.
    void BindDrawArrays();
    // Own arrays in place of a shared set that was deleted or replaced since the page bound it.
    void EnsureDrawArrays();
    // Draw normals and colours for grid normals and colours that were made after construction.
    void BindAttributeArrays();
    // Clears the links that neighbouring pages hold to this page's border vertices.
    void UnlinkEdges();

    // --- draw list
    void BuildDrawList();
    void EmitNode(const QrTerrainNode& node);
    // splits: bisections left before the triangle's legs are one grid step along the axes.
    void EmitTriangle(uint32_t apex, uint32_t b, uint32_t c, uint32_t splits);
    uint16_t AddDrawVertex(uint32_t gridIndex);
    QrPoint3 GridPosition(uint32_t gridIndex) const;

    // --- level of detail
    // The nine grid indices of a block: corners, edge midpoints and centre, row by row from the
    // lower corner.
    void GetNodeVertexLinks(const QrTerrainNode& node, uint32_t out[9]) const;
    void ComputeNodeErrorBounds(QrTerrainNode& node, const QrPoint3& eye) const;
    // The camera's six frustum planes in this page's model frame.
    bool GetModelPlanes(QrCamera* camera, QrPlane out[6]) const;
    void TestNodeVisibility(QrTerrainNode& node, const QrPlane planes[6]) const;
    void RefineCut(QrCamera* camera, const QrPoint3& eye);
    void ActivateVertices(const QrPoint3& eye);
    void ActivateNodeVertices(const QrTerrainNode& node, const QrPoint3& eye);
    void DeactivateNodeVertices(const QrTerrainNode& node);
    bool PassesErrorTest(uint32_t gridIndex, float error, const QrPoint3& eye) const;
    void PushNode(uint16_t index);
    uint16_t PopNode();
    // Entries in the ring by head and tail (equal positions: full).
    uint16_t CountQueued() const;

    // --- lighting kernels: by the light's type, on every grid vertex
    void LightAmbient(const QrColorA& base);
    void LightDirectional(const QrColorA& base, const QrColorA& diffuse, const QrPoint3& direction,
                          const QrPoint3* normals);
    void LightPoint(const QrColorA& base, const QrColorA& diffuse, const QrPoint3& position, const QrPoint3* normals);
    void LightSpot(const QrColorA& base, const QrColorA& diffuse, const QrPoint3& position, const QrPoint3& direction,
                   float spotAngle, const QrPoint3* normals);
    // Grid colours made on first lighting, with draw colours to match.
    void EnsureGridColors();
    // Height across a border: from the neighbour on that side, else extrapolated from inside.
    float NeighbourHeight(QrTerrainPage* const* neighbours, int32_t column, int32_t row, uint32_t side) const;

    uint16_t m_size = 0;
    uint16_t m_cellCount = 0;
    uint16_t m_gridVertexCount = 0;
    // 2 (N - 1)^2 triangles at full refinement.
    uint16_t m_triangleCapacity = 0;
    float m_originX = 0.0f;
    float m_originY = 0.0f;
    float m_minHeight = 0.0f;
    float m_maxHeight = 0.0f;
    float m_spacing = 0.0f;
    float m_inverseSpacing = 0.0f;
    float m_heightScale = 0.0f;
    float m_textureStep = 0.0f;
    const uint16_t* m_heights = nullptr;
    std::unique_ptr<QrPoint3[]> m_gridNormals;
    std::unique_ptr<QrColorA[]> m_gridColors;
    QrBound m_modelBound;
    float m_pixelTolerance = 0.0f;
    // -1 until derived from a camera.
    float m_errorThreshold = 0.0f;

    uint16_t m_drawVertexCount = 0;
    uint16_t m_drawTriangleCount = 0;
    // 32 bits: a fully refined 129-sample page has 98,304 indices.
    uint32_t m_drawIndexCount = 0;
    bool m_hasTextureCoords = false;
    // Borrowed from the shared set or from the own arrays below.
    QrPoint3* m_drawPositions = nullptr;
    QrPoint3* m_drawNormals = nullptr;
    QrPoint3* m_drawTextureCoords = nullptr;
    QrColorA* m_drawColors = nullptr;
    QrPlane* m_drawPlanes = nullptr;
    uint16_t* m_drawIndices = nullptr;
    uint16_t* m_vertexRemap = nullptr;
    bool m_usesShared = false;
    uint32_t m_sharedGeneration = 0;
    std::unique_ptr<QrPoint3[]> m_ownPositions;
    std::unique_ptr<QrPoint3[]> m_ownNormals;
    std::unique_ptr<QrPoint3[]> m_ownTextureCoords;
    std::unique_ptr<QrColorA[]> m_ownColors;
    std::unique_ptr<QrPlane[]> m_ownPlanes;
    std::unique_ptr<uint16_t[]> m_ownIndices;
    std::unique_ptr<uint16_t[]> m_ownRemap;

    std::unique_ptr<QrTerrainVertexLink[]> m_links;
    uint16_t m_nodeCount = 0;
    std::unique_ptr<QrTerrainNode[]> m_nodes;
    // Ring of node numbers: the blocks of the current cut.
    std::unique_ptr<uint16_t[]> m_queue;
    uint16_t m_queueCapacity = 0;
    uint16_t m_queueHead = 0;
    uint16_t m_queueTail = 0;
    // Entries still to examine in the running refinement pass.
    uint16_t m_passCount = 0;
    uint16_t m_queuedCount = 0;

    QrTerrainDebugTarget* m_debugTarget = nullptr;
    float m_debugScale = 0.0f;
    int32_t m_debugHeight = 0;
};
