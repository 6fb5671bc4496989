// Triangle lists: flat normals, active and allocated triangles, what a draw hands the renderer,
// collision and picking over the list, lists naming vertices they lack, files.

#include "GeometryFamilyTestHelpers.h"
#include "QrMathTestHelpers.h"

#include "QrPick.h"
#include "QrPickResult.h"
#include "QrTriangles.h"

#include <cmath>

using namespace familytest;
using geomtest::Load;
using geomtest::RoundTrip;
using geomtest::Save;

namespace
{

class OpenTriangles : public QrTriangles
{
public:
    using QrTriangles::QrTriangles;

    // Fewer vertices than the triangles name, as a damaged file may have.
    void ShrinkVertexCount(uint16_t count) { m_vertexCount = count; }
};

// count triangles in z = 0, triangle i with its right angle at (i, 0), facing +z.
std::vector<QrPoint3> RowOfTriangles(int count)
{
    std::vector<QrPoint3> vertices;
    for (int i = 0; i < count; ++i)
    {
        const float x = float(i);
        vertices.insert(vertices.end(), {{x, 0, 0}, {x + 1, 0, 0}, {x, 1, 0}});
    }
    return vertices;
}

class QrTrianglesTest : public QrEngineTest
{
};

class QrTrianglesDrawTest : public DrawTest
{
};

} // namespace

TEST_F(QrTrianglesTest, ActiveTrianglesAreDrawnAndBoundedWhileEveryTriangleGetsNormalsAndPlanes)
{
    std::vector<QrPoint3> vertices = RowOfTriangles(10);
    // Triangle 9 stands upright, facing -y.
    vertices[27] = {9, 0, 0};
    vertices[28] = {10, 0, 0};
    vertices[29] = {9, 0, 1};
    QrPointer<OpenTriangles> list(new OpenTriangles(10, vertices.data(), nullptr, nullptr, nullptr));
    list->SetActiveTriangleCount(4);
    EXPECT_EQ(list->GetTriangleCount(), 4);
    list->GetModelBound().SetFlag(1);
    list->Update(list->GetCurrentInstance());
    // Twelve vertices: [0, 4] x [0, 1].
    EXPECT_TRUE(Near(list->GetModelBound().GetCenter(), QrPoint3(2, 0.5f, 0)));
    EXPECT_NEAR(list->GetModelBound().GetRadius(), std::sqrt(4.25f), 1e-6f);

    list->CalculateNormals();
    for (int i = 0; i < 27; ++i)
        ASSERT_EQ(list->GetNormals()[i], QrPoint3(0, 0, 1)) << "vertex " << i;
    for (int i = 27; i < 30; ++i)
        EXPECT_EQ(list->GetNormals()[i], QrPoint3(0, -1, 0)) << "vertex " << i;
    EXPECT_EQ(list->GetPlanes()[9], QrPlane(QrPoint3(0, -1, 0), 0.0f));
    EXPECT_EQ(list->GetPlanes()[5], QrPlane(QrPoint3(0, 0, 1), 0.0f));
}

TEST_F(QrTrianglesTest, NormalsAreFlatSoCoincidentCornersOfTwoFacesDiffer)
{
    // Two faces of a cube meeting at the corner (0, 0, 0): the bottom facing -z, a side -y.
    const QrPoint3 vertices[] = {{0, 0, 0}, {0, 1, 0}, {1, 0, 0}, {0, 0, 0}, {1, 0, 0}, {0, 0, 1}};
    QrPointer<OpenTriangles> list(new OpenTriangles(2, vertices, nullptr, nullptr, nullptr));
    list->CalculateNormals();
    EXPECT_EQ(list->GetNormals()[0], QrPoint3(0, 0, -1));
    EXPECT_EQ(list->GetNormals()[3], QrPoint3(0, -1, 0));
    EXPECT_EQ(list->GetPlanes()[1], QrPlane(QrPoint3(0, -1, 0), 0.0f));

    // From planes: each plane's unit normal on its three vertices; a zero plane gives zero.
    list->ApplyTransform(QrMatrix3(2, 0, 0, 0, 2, 0, 0, 0, 2), QrPoint3(), false);
    EXPECT_EQ(list->GetPlanes()[0], QrPlane(QrPoint3(0, 0, -4), 0.0f));
    list->CalculateNormalsFromPlanes();
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(list->GetNormals()[i], QrPoint3(0, 0, -1)) << "vertex " << i;
    const QrPoint3 flat[] = {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}};
    QrPointer<OpenTriangles> line(new OpenTriangles(1, flat, nullptr, nullptr, nullptr));
    line->CalculateNormalsFromPlanes();
    EXPECT_EQ(line->GetNormals()[1], QrPoint3::ZERO);
}

TEST_F(QrTrianglesTest, CollisionDataCoversEveryAllocatedTriangle)
{
    std::vector<QrPoint3> vertices = RowOfTriangles(3);
    QrPointer<OpenTriangles> list(new OpenTriangles(3, vertices.data(), nullptr, nullptr, nullptr));
    list->SetActiveTriangleCount(1);
    list->CreateCollisionData(nullptr, 0);
    EXPECT_EQ(SortedLeafTriangles(DataOf(list->GetCurrentInstance())),
              (std::vector<std::array<uint16_t, 3>>{{0, 1, 2}, {3, 4, 5}, {6, 7, 8}}));

    // A triangle standing across the row's second triangle meets it.
    const QrPoint3 upright[] = {{1.2f, 0.2f, -1}, {1.2f, 0.2f, 1}, {1.3f, 0.5f, 0}};
    QrPointer<OpenTriangles> post(new OpenTriangles(1, upright, nullptr, nullptr, nullptr));
    list->SetActiveTriangleCount(3);
    list->Update(list->GetCurrentInstance());
    post->Update(post->GetCurrentInstance());
    QrCollisionRecord rl = RecordFor(list.Get(), list->GetCurrentInstance());
    QrCollisionRecord rp = RecordFor(post.Get(), post->GetCurrentInstance());
    EXPECT_TRUE(post->TestCollisions(0.0f, rp, rl));
    ASSERT_NE(DataOf(post->GetCurrentInstance()), nullptr);
    EXPECT_TRUE(DataOf(post->GetCurrentInstance())->GetRoot()->IsLeaf());
}

TEST_F(QrTrianglesTest, AListNamingMissingVerticesIsReadSafely)
{
    std::vector<QrPoint3> vertices = RowOfTriangles(2);
    QrPointer<OpenTriangles> source(new OpenTriangles(2, vertices.data(), nullptr, nullptr, nullptr));
    source->ShrinkVertexCount(4); // triangle 1 names vertices 3 to 5
    std::vector<QrPointer<QrObject>> loaded = Load(Save({source.Get()}));
    ASSERT_EQ(loaded.size(), 1u);
    auto* list = QrDynamicCast<QrTriangles>(loaded[0].Get());
    EXPECT_EQ(list->GetTriangleCount(), 1);
    uint16_t a, b, c;
    EXPECT_EQ(list->GetTriangle(1, a, b, c), nullptr);
    list->CreateCollisionData(nullptr, 0);
    EXPECT_EQ(DataOf(list->GetCurrentInstance()), nullptr);
    list->CalculateNormals();
    EXPECT_EQ(list->GetNormals()[2], QrPoint3(0, 0, 1));
    EXPECT_EQ(list->GetNormals()[3], QrPoint3::ZERO);
    // Bounded by the four vertices there are.
    list->UpdateAllInstances();
    EXPECT_TRUE(Near(list->GetModelBound().GetCenter(), QrPoint3(0.5f, 0.5f, 0)));
}

TEST_F(QrTrianglesTest, PickingSeesOnlyTheActiveTriangles)
{
    std::vector<QrPoint3> vertices = RowOfTriangles(3);
    QrPointer<OpenTriangles> list(new OpenTriangles(3, vertices.data(), nullptr, nullptr, nullptr));
    list->SetTranslate(0, 0, -2);
    list->Update(list->GetCurrentInstance());
    QrPick pick;
    pick.m_intersectionLevel = 1;
    pick.m_wantNormal = 1;
    list->FindIntersections(QrPoint3(2.25f, 0.25f, 5), QrPoint3(0, 0, -1), pick, nullptr);
    ASSERT_EQ(pick.GetResultCount(), 1u);
    EXPECT_EQ(pick.GetResultAt(0)->m_triangle, 2);
    EXPECT_FLOAT_EQ(pick.GetResultAt(0)->m_distance, 7.0f);
    EXPECT_TRUE(Near(pick.GetResultAt(0)->m_point, QrPoint3(2.25f, 0.25f, 0)));

    pick.ClearResults();
    list->SetActiveTriangleCount(2);
    list->FindIntersections(QrPoint3(2.25f, 0.25f, 5), QrPoint3(0, 0, -1), pick, nullptr);
    EXPECT_EQ(pick.GetResultCount(), 0u);
}

TEST_F(QrTrianglesTest, SceneFilesKeepEveryField)
{
    std::vector<QrPoint3> vertices = RowOfTriangles(2);
    std::vector<QrPoint3> uv(vertices);
    std::vector<QrColorA> colors(6, QrColorA(0.25f, 0.5f, 0.75f, 1.0f));
    QrPointer<OpenTriangles> list(new OpenTriangles(2, vertices.data(), nullptr, uv.data(), colors.data()));
    list->CalculateNormals();
    list->SetActiveTriangleCount(1);
    list->SetScale(3);
    QrPointer<QrTriangles> loaded = RoundTrip<QrTriangles>(list.Get());
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->GetActiveTriangleCount(), 1);
    list->SetActiveTriangleCount(2);
    EXPECT_FALSE(loaded->IsEqual(list.Get()));
}

TEST_F(QrTrianglesDrawTest, DrawHandsTheRendererTheActiveTrianglesAfterTheTransform)
{
    std::vector<QrPoint3> vertices = RowOfTriangles(10);
    std::vector<QrColorA> colors(30, QrColorA(1, 1, 1, 1));
    QrPointer<OpenTriangles> list(new OpenTriangles(10, vertices.data(), nullptr, nullptr, colors.data()));
    list->SetActiveTriangleCount(4);
    list->SetTranslate(5, 0, 0);
    list->SetRotate(float(M_PI / 2), 0, 1, 0);
    m_root->AttachChild(list.Get());

    const std::vector<std::string> names = DrawFrame();
    ASSERT_EQ(m_render->m_calls.size(), 1u);
    EXPECT_EQ(CallBefore(names, "RenderTriangles"), "SetWorldTransform");
    const DrawCall& call = m_render->m_calls[0];
    EXPECT_EQ(call.kind, "RenderTriangles");
    EXPECT_EQ(call.count, 4);
    ASSERT_EQ(call.vertices.size(), 12u);
    EXPECT_TRUE(Near(call.vertices[10], QrPoint3(5, 0, 4)));
    EXPECT_TRUE(call.normals.empty());
    EXPECT_EQ(call.planes, list->GetPlanes());
    EXPECT_EQ(call.sets, 0);
    EXPECT_EQ(call.textureCoords, nullptr);
    EXPECT_EQ(call.colors, list->GetColors());
    EXPECT_EQ(call.bound, list->GetWorldBound());
    EXPECT_TRUE(Near(call.eye, QrPoint3(0, 0, 5)));
}
