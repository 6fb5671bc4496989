// Triangle strips: the alternating winding, strips too short to make a triangle, smooth normals,
// what a draw hands the renderer, collision and picking over the strip's triangles, files.

#include "GeometryFamilyTestHelpers.h"
#include "QrMathTestHelpers.h"

#include "QrPick.h"
#include "QrPickResult.h"
#include "QrTriStrip.h"

#include <cmath>

using namespace familytest;
using geomtest::Load;
using geomtest::RoundTrip;
using geomtest::Save;

namespace
{

// A strip whose protected parts a test may reach, saved under "QrTriStrip".
class OpenStrip : public QrTriStrip
{
public:
    using QrTriStrip::QrTriStrip;

    void DropPlanes() { m_planes.reset(); }
    // Fewer vertices than the triangles name, as a damaged file may have.
    void ShrinkVertexCount(uint16_t count) { m_vertexCount = count; }
};

// A zigzag in z = 0: 0 (0,0), 1 (0,1), 2 (1,0), 3 (1,1), 4 (2,0). Texture coordinates equal
// the positions.
QrPointer<OpenStrip> MakeZigzag(uint16_t count = 5)
{
    const QrPoint3 vertices[] = {{0, 0, 0}, {0, 1, 0}, {1, 0, 0}, {1, 1, 0}, {2, 0, 0}};
    return QrPointer<OpenStrip>(new OpenStrip(count, vertices, nullptr, vertices, nullptr));
}

using Triple = std::array<uint16_t, 3>;

Triple TriangleOf(QrTriStrip* strip, uint16_t k)
{
    Triple t{};
    strip->GetTriangle(k, t[0], t[1], t[2]);
    return t;
}

class QrTriStripTest : public QrEngineTest
{
};

class QrTriStripDrawTest : public DrawTest
{
};

} // namespace

TEST_F(QrTriStripTest, OddTrianglesAreTurnedSoEveryTriangleKeepsTheWinding)
{
    QrPointer<OpenStrip> strip = MakeZigzag();
    ASSERT_EQ(strip->GetTriangleCount(), 3);
    EXPECT_EQ(TriangleOf(strip.Get(), 0), (Triple{0, 1, 2}));
    EXPECT_EQ(TriangleOf(strip.Get(), 1), (Triple{1, 3, 2}));
    EXPECT_EQ(TriangleOf(strip.Get(), 2), (Triple{2, 3, 4}));
    // Unturned, triangle 1 would face +z; turned, all three face the same way.
    for (uint16_t k = 0; k < 3; ++k)
        EXPECT_EQ(strip->GetPlanes()[k], QrPlane(QrPoint3(0, 0, -1), 0.0f)) << "triangle " << k;
    uint16_t a, b, c;
    EXPECT_EQ(strip->GetTriangle(1, a, b, c), &strip->GetPlanes()[1]);
    EXPECT_EQ(strip->GetTriangle(3, a, b, c), nullptr) << "past the vertices";
}

TEST_F(QrTriStripTest, StripsOfFewerThanThreeActiveVerticesHaveNoTriangles)
{
    for (uint16_t active : {0, 1, 2})
    {
        QrPointer<OpenStrip> strip = MakeZigzag();
        strip->SetActiveVertexCount(active);
        EXPECT_EQ(strip->GetTriangleCount(), 0) << active << " active";
    }
    QrPointer<OpenStrip> two = MakeZigzag(2);
    EXPECT_EQ(two->GetTriangleCount(), 0);
    two->CalculateNormals();
    EXPECT_EQ(two->GetNormals()[0], QrPoint3::ZERO);
    // More active vertices than there are: only the vertices present count.
    QrPointer<OpenStrip> strip = MakeZigzag();
    strip->SetActiveVertexCount(9);
    EXPECT_EQ(strip->GetTriangleCount(), 3);
}

TEST_F(QrTriStripTest, NormalsAreSmoothAlongTheStripAndPlanesTakeTheUnitNormals)
{
    // The zigzag with its last vertex lifted: triangle 2 then faces +x, the first two -z.
    const QrPoint3 vertices[] = {{0, 0, 0}, {0, 1, 0}, {1, 0, 0}, {1, 1, 0}, {1, 0, 1}};
    QrPointer<OpenStrip> strip(new OpenStrip(5, vertices, nullptr, nullptr, nullptr));
    EXPECT_EQ(strip->GetPlanes()[2], QrPlane(QrPoint3(1, 0, 0), 1.0f));
    strip->CalculateNormals();
    const QrPoint3* n = strip->GetNormals();
    EXPECT_TRUE(Near(n[0], QrPoint3(0, 0, -1)));
    EXPECT_TRUE(Near(n[1], QrPoint3(0, 0, -1)));
    EXPECT_TRUE(Near(n[2], QrPoint3(1, 0, -2) / std::sqrt(5.0f)));
    EXPECT_TRUE(Near(n[3], QrPoint3(1, 0, -1) / std::sqrt(2.0f)));
    EXPECT_TRUE(Near(n[4], QrPoint3(1, 0, 0)));

    // From planes scaled anywhere: the same normals.
    std::vector<QrPoint3> fromVertices(n, n + 5);
    QrPointer<OpenStrip> scaled(new OpenStrip(5, vertices, nullptr, nullptr, nullptr));
    scaled->ApplyTransform(QrMatrix3(3, 0, 0, 0, 3, 0, 0, 0, 3), QrPoint3(), false);
    scaled->CalculateNormalsFromPlanes();
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(Near(scaled->GetNormals()[i], fromVertices[size_t(i)])) << "vertex " << i;
    EXPECT_EQ(scaled->GetPlanes()[2], QrPlane(QrPoint3(9, 0, 0), 27.0f)) << "planes are left as they were";
}

TEST_F(QrTriStripTest, BoundsAndWorldCopiesCoverTheActiveVerticesOnly)
{
    QrPointer<OpenStrip> strip = MakeZigzag();
    strip->SetActiveVertexCount(4);
    strip->SetTranslate(10, 0, 0);
    strip->GetModelBound().SetFlag(1);
    strip->Update(strip->GetCurrentInstance());
    EXPECT_TRUE(Near(strip->GetModelBound().GetCenter(), QrPoint3(0.5f, 0.5f, 0)));
    EXPECT_NEAR(strip->GetModelBound().GetRadius(), std::sqrt(0.5f), 1e-6f);
    EXPECT_TRUE(Near(strip->GetWorldBound().GetCenter(), QrPoint3(10.5f, 0.5f, 0)));
    const QrPoint3* world = strip->GetWorldVertices();
    EXPECT_EQ(world[3], QrPoint3(11, 1, 0));
    EXPECT_NE(world[4], QrPoint3(12, 0, 0)) << "an inactive vertex is not transformed";
}

TEST_F(QrTriStripTest, CollisionDataHoldsEveryTriangleInStripWinding)
{
    QrPointer<OpenStrip> strip = MakeZigzag();
    strip->SetActiveVertexCount(3); // collision covers the allocated triangles
    strip->CreateCollisionData(nullptr, 0);
    const QrCollisionData* data = DataOf(strip->GetCurrentInstance());
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(SortedLeafTriangles(data), (std::vector<Triple>{{0, 1, 2}, {1, 3, 2}, {2, 3, 4}}));

    // A strip standing upright through the zigzag meets it; one far off does not.
    const QrPoint3 upright[] = {{0.5f, 0.5f, -1}, {0.5f, 0.5f, 1}, {1.5f, 0.2f, -1}, {1.5f, 0.2f, 1}};
    QrPointer<OpenStrip> wall(new OpenStrip(4, upright, nullptr, nullptr, nullptr));
    QrCollisionRecord rs = RecordFor(strip.Get(), strip->GetCurrentInstance());
    QrCollisionRecord rw = RecordFor(wall.Get(), wall->GetCurrentInstance());
    strip->Update(strip->GetCurrentInstance());
    wall->Update(wall->GetCurrentInstance());
    EXPECT_TRUE(strip->TestCollisions(0.0f, rs, rw));
    wall->SetTranslate(0, 0, 5);
    wall->Update(wall->GetCurrentInstance());
    EXPECT_FALSE(strip->TestCollisions(0.0f, rs, rw));
}

TEST_F(QrTriStripTest, AStripNamingMissingVerticesBuildsNoCollisionDataAndDrawsWhatItHas)
{
    QrPointer<OpenStrip> source = MakeZigzag();
    source->ShrinkVertexCount(4); // triangle 2 names vertex 4
    std::vector<QrPointer<QrObject>> loaded = Load(Save({source.Get()}));
    ASSERT_EQ(loaded.size(), 1u);
    auto* strip = QrDynamicCast<QrTriStrip>(loaded[0].Get());
    EXPECT_EQ(strip->GetActiveVertexCount(), 5);
    EXPECT_EQ(strip->GetTriangleCount(), 2);
    strip->CreateCollisionData(nullptr, 0);
    EXPECT_EQ(DataOf(strip->GetCurrentInstance()), nullptr);
    strip->CalculateNormals();
    EXPECT_TRUE(Near(strip->GetNormals()[3], QrPoint3(0, 0, -1)));
    QrPick pick;
    pick.m_intersectionLevel = 1;
    strip->Update(strip->GetCurrentInstance());
    strip->FindIntersections(QrPoint3(0.9f, 0.6f, 5), QrPoint3(0, 0, -1), pick, nullptr);
    ASSERT_EQ(pick.GetResultCount(), 1u);
    EXPECT_EQ(pick.GetResultAt(0)->m_triangle, 1);
}

TEST_F(QrTriStripTest, PickingFindsTheTurnedTriangleAndStopsAtTheActiveVertices)
{
    QrPointer<OpenStrip> strip = MakeZigzag();
    strip->Update(strip->GetCurrentInstance());
    QrPick pick;
    pick.m_intersectionLevel = 1;
    pick.m_wantTextureCoordinate = 1;
    pick.m_wantNormal = 1;
    // From below: the strip faces -z, so this ray meets its front.
    pick.m_frontFacesOnly = 1;
    strip->FindIntersections(QrPoint3(0.75f, 0.75f, -5), QrPoint3(0, 0, 1), pick, nullptr);
    ASSERT_EQ(pick.GetResultCount(), 1u);
    const QrPickResult* hit = pick.GetResultAt(0);
    EXPECT_EQ(hit->m_triangle, 1);
    EXPECT_TRUE(Near(hit->m_point, QrPoint3(0.75f, 0.75f, 0)));
    EXPECT_FLOAT_EQ(hit->m_distance, 5.0f);
    EXPECT_TRUE(Near(hit->m_textureCoordinate, QrPoint3(0.75f, 0.75f, 0)));
    EXPECT_TRUE(Near(hit->m_normal, QrPoint3(0, 0, -1)));
    // From above it is a back face.
    pick.ClearResults();
    strip->FindIntersections(QrPoint3(0.75f, 0.75f, 5), QrPoint3(0, 0, -1), pick, nullptr);
    EXPECT_EQ(pick.GetResultCount(), 0u);

    // Triangle 2 needs vertex 4: with four active vertices it is not there to pick.
    pick.m_frontFacesOnly = 0;
    strip->SetActiveVertexCount(4);
    strip->FindIntersections(QrPoint3(1.25f, 0.25f, 5), QrPoint3(0, 0, -1), pick, nullptr);
    EXPECT_EQ(pick.GetResultCount(), 0u);
    strip->SetActiveVertexCount(5);
    strip->FindIntersections(QrPoint3(1.25f, 0.25f, 5), QrPoint3(0, 0, -1), pick, nullptr);
    ASSERT_EQ(pick.GetResultCount(), 1u);
    EXPECT_EQ(pick.GetResultAt(0)->m_triangle, 2);
}

TEST_F(QrTriStripTest, SceneFilesKeepEveryFieldAndComputeMissingPlanesInStripWinding)
{
    const QrPoint3 normals[] = {{0, 0, 1}, {0, 1, 0}, {1, 0, 0}, {0, 0, -1}, {0, -1, 0}};
    const QrColorA colors[] = {{1, 0, 0, 1}, {0, 1, 0, 1}, {0, 0, 1, 1}, {1, 1, 0, 0.5f}, {0, 1, 1, 0.25f}};
    const QrPoint3 vertices[] = {{0, 0, 0}, {0, 1, 0}, {1, 0, 0}, {1, 1, 0}, {2, 0, 0}};
    QrPointer<OpenStrip> strip(new OpenStrip(5, vertices, normals, vertices, colors));
    strip->SetActiveVertexCount(4);
    strip->SetTranslate(1, 2, 3);
    strip->SetName("zigzag");
    QrPointer<QrTriStrip> loaded = RoundTrip<QrTriStrip>(strip.Get());
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->GetActiveVertexCount(), 4);

    QrPointer<OpenStrip> other(new OpenStrip(5, vertices, normals, vertices, colors));
    other->SetTranslate(1, 2, 3);
    other->SetName("zigzag");
    EXPECT_FALSE(other->IsEqual(strip.Get())) << "active counts differ";
    other->SetActiveVertexCount(4);
    EXPECT_TRUE(other->IsEqual(strip.Get()));

    strip->DropPlanes();
    std::vector<QrPointer<QrObject>> withoutPlanes = Load(Save({strip.Get()}));
    ASSERT_EQ(withoutPlanes.size(), 1u);
    auto* computed = QrDynamicCast<QrTriStrip>(withoutPlanes[0].Get());
    ASSERT_NE(computed->GetPlanes(), nullptr);
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(computed->GetPlanes()[k], QrPlane(QrPoint3(0, 0, -1), 0.0f)) << "triangle " << k;
}

TEST_F(QrTriStripDrawTest, DrawHandsTheRendererTheActiveTrianglesAfterTheTransform)
{
    QrPointer<OpenStrip> strip = MakeZigzag();
    strip->SetTranslate(5, 0, 0);
    strip->SetScale(2);
    strip->SetRotate(float(M_PI / 2), 0, 1, 0);
    m_root->AttachChild(strip.Get());

    const std::vector<std::string> names = DrawFrame();
    ASSERT_EQ(m_render->m_calls.size(), 1u);
    EXPECT_EQ(CallBefore(names, "RenderTristrips"), "SetWorldTransform");
    EXPECT_NE(std::find(names.begin(), names.end(), "SetClipPlanes"), names.end());
    const DrawCall& call = m_render->m_calls[0];
    EXPECT_EQ(call.kind, "RenderTristrips");
    EXPECT_EQ(call.count, 3);
    // World positions: turned (x to z), doubled, moved.
    ASSERT_EQ(call.vertices.size(), 5u);
    EXPECT_TRUE(Near(call.vertices[4], QrPoint3(5, 0, 4)));
    EXPECT_TRUE(Near(call.vertices[3], QrPoint3(5, 2, 2)));
    EXPECT_EQ(call.planes, strip->GetPlanes());
    EXPECT_EQ(call.sets, 1);
    EXPECT_EQ(call.textureCoords, strip->GetTextureCoords());
    EXPECT_EQ(call.colors, nullptr);
    EXPECT_EQ(call.bound, strip->GetWorldBound());
    // The eye (the origin) in model space: R^T (0 - (5, 0, 0)) / 2.
    EXPECT_TRUE(Near(call.eye, QrPoint3(0, 0, 2.5f)));
}

TEST_F(QrTriStripDrawTest, AStripTooShortForATriangleDrawsNoneRatherThanAWrappedCount)
{
    QrPointer<OpenStrip> strip = MakeZigzag();
    strip->SetTranslate(5, 0, 0);
    m_root->AttachChild(strip.Get());
    for (uint16_t active : {0, 1, 2, 4})
    {
        strip->SetActiveVertexCount(active);
        strip->GetModelBound().SetFlag(1);
        DrawFrame();
        ASSERT_EQ(m_render->m_calls.size(), 1u) << active << " active";
        EXPECT_EQ(m_render->m_calls[0].count, active >= 3 ? active - 2 : 0) << active << " active";
    }
}
