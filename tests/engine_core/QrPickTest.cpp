#include "QrTestFixture.h"

#include "CollisionTestHelpers.h"
#include "GeometryTestHelpers.h"
#include "QrNode.h"
#include "QrPick.h"
#include "QrPickResult.h"
#include "QrTriShape.h"
#include "QrTrianglePick.h"

#include <cmath>

using geomtest::MakeSquare;
using geomtest::OpenShape;

namespace
{

void ExpectColor(const QrColorA& actual, const QrColorA& expected)
{
    EXPECT_NEAR(actual.r, expected.r, 1e-6f);
    EXPECT_NEAR(actual.g, expected.g, 1e-6f);
    EXPECT_NEAR(actual.b, expected.b, 1e-6f);
    EXPECT_NEAR(actual.a, expected.a, 1e-6f);
}

} // namespace

class QrPickTest : public QrEngineTest
{
protected:
    void SetUp() override
    {
        QrEngineTest::SetUp();
        m_square = MakeSquare();
        m_square->Update(m_square->GetCurrentInstance());
        m_pick.m_intersectionLevel = 1;
    }
    void TearDown() override
    {
        m_pick.ClearResults();
        m_square = nullptr;
        QrEngineTest::TearDown();
    }
    bool Pick(QrAVObject* object, const QrPoint3& origin, const QrPoint3& direction)
    {
        return object->FindIntersections(origin, direction, m_pick, nullptr);
    }

    QrPointer<OpenShape> m_square;
    QrPick m_pick;
};

TEST_F(QrPickTest, AHitCarriesTheTriangleThePointAndBlendedAttributes)
{
    m_pick.m_wantTextureCoordinate = 1;
    m_pick.m_wantNormal = 1;
    m_pick.m_wantColor = 1;
    EXPECT_FALSE(Pick(m_square.Get(), QrPoint3(0.25f, 0.5f, 5), QrPoint3(0, 0, -1)));
    ASSERT_EQ(m_pick.GetResultCount(), 1u);
    const QrPickResult& hit = *m_pick.GetResultAt(0);
    EXPECT_EQ(hit.m_object.Get(), m_square.Get());
    EXPECT_EQ(hit.m_instance, m_square->GetCurrentInstance());
    // Triangle 1 is (0, 2, 3): weights 0.5, 0.25, 0.25.
    EXPECT_EQ(hit.m_triangle, 1);
    ExpectNear(hit.m_point, QrPoint3(0.25f, 0.5f, 0));
    EXPECT_FLOAT_EQ(hit.m_distance, 5.0f);
    ExpectNear(hit.m_textureCoordinate, QrPoint3(0.25f, 0.5f, 0));
    ExpectColor(hit.m_color, QrColorA(0.75f, 0.25f, 0.5f, 0.875f));
    // Flat: the stored plane normal.
    ExpectNear(hit.m_normal, m_square->GetPlanes()[1].GetNormal());
}

TEST_F(QrPickTest, AttributesNotAskedForOrAbsentKeepTheirDefaults)
{
    EXPECT_FALSE(Pick(m_square.Get(), QrPoint3(0.25f, 0.5f, 5), QrPoint3(0, 0, -1)));
    ASSERT_EQ(m_pick.GetResultCount(), 1u);
    ExpectNear(m_pick.GetResultAt(0)->m_textureCoordinate, QrPoint3());
    ExpectNear(m_pick.GetResultAt(0)->m_normal, QrPoint3());
    ExpectColor(m_pick.GetResultAt(0)->m_color, QrColorA(1, 1, 1, 1));

    // Asked for, on a shape without them.
    const QrPoint3 vertices[] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    const uint16_t indices[] = {0, 1, 2};
    QrPointer<QrTriShape> bare(new QrTriShape(3, vertices, nullptr, 1, indices, nullptr, nullptr));
    bare->Update(bare->GetCurrentInstance());
    m_pick.ClearResults();
    m_pick.m_wantTextureCoordinate = m_pick.m_wantColor = m_pick.m_wantNormal = m_pick.m_smoothNormal = 1;
    EXPECT_FALSE(Pick(bare.Get(), QrPoint3(0.2f, 0.2f, 1), QrPoint3(0, 0, -1)));
    ASSERT_EQ(m_pick.GetResultCount(), 1u);
    ExpectNear(m_pick.GetResultAt(0)->m_textureCoordinate, QrPoint3());
    ExpectColor(m_pick.GetResultAt(0)->m_color, QrColorA(1, 1, 1, 1));
    ExpectNear(m_pick.GetResultAt(0)->m_normal, bare->GetPlanes()[0].GetNormal());
}

TEST_F(QrPickTest, SmoothNormalsBlendTheVertexNormals)
{
    const QrPoint3 vertices[] = {{0, 0, 0}, {3, 0, 0}, {0, 3, 0}};
    const QrPoint3 normals[] = {{0, 0, 2}, {1, 0, 0}, {0, 1, 0}};
    const uint16_t indices[] = {0, 1, 2};
    QrPointer<QrTriShape> shape(new QrTriShape(3, vertices, normals, 1, indices, nullptr, nullptr));
    shape->Update(shape->GetCurrentInstance());
    m_pick.m_wantNormal = 1;
    m_pick.m_smoothNormal = 1;

    // At a vertex (a ray from inside the bound: the vertex lies on it): its normal, made unit.
    EXPECT_FALSE(Pick(shape.Get(), QrPoint3(1, 1, 1), QrPoint3(-1, -1, -1)));
    ASSERT_EQ(m_pick.GetResultCount(), 1u);
    ExpectNear(m_pick.GetResultAt(0)->m_normal, QrPoint3(0, 0, 1));
    // At the centroid: the unit mean of the three.
    m_pick.ClearResults();
    EXPECT_FALSE(Pick(shape.Get(), QrPoint3(1, 1, 1), QrPoint3(0, 0, -1)));
    ASSERT_EQ(m_pick.GetResultCount(), 1u);
    const float k = 1.0f / std::sqrt(6.0f);
    ExpectNear(m_pick.GetResultAt(0)->m_normal, QrPoint3(k, k, 2 * k));
}

TEST_F(QrPickTest, BackFacesAreSkippedOnlyWhenAskedTo)
{
    // From below, starting inside the square's bound.
    EXPECT_FALSE(Pick(m_square.Get(), QrPoint3(0.25f, 0.5f, -0.1f), QrPoint3(0, 0, 1)));
    ASSERT_EQ(m_pick.GetResultCount(), 1u);
    EXPECT_FLOAT_EQ(m_pick.GetResultAt(0)->m_distance, 0.1f);
    m_pick.ClearResults();
    m_pick.m_frontFacesOnly = 1;
    EXPECT_FALSE(Pick(m_square.Get(), QrPoint3(0.25f, 0.5f, -0.1f), QrPoint3(0, 0, 1)));
    EXPECT_EQ(m_pick.GetResultCount(), 0u);
    // Front faces still hit, and nothing behind the origin or along the plane does.
    EXPECT_FALSE(Pick(m_square.Get(), QrPoint3(0.25f, 0.5f, 0.1f), QrPoint3(0, 0, -1)));
    EXPECT_EQ(m_pick.GetResultCount(), 1u);
    m_pick.m_frontFacesOnly = 0;
    EXPECT_FALSE(Pick(m_square.Get(), QrPoint3(0.25f, 0.5f, 0.1f), QrPoint3(0, 0, 1)));
    EXPECT_FALSE(Pick(m_square.Get(), QrPoint3(-0.5f, 0.5f, 0), QrPoint3(1, 0, 0)));
    EXPECT_EQ(m_pick.GetResultCount(), 1u);
}

TEST_F(QrPickTest, ASharedEdgeIsHitTwiceUnlessTheFirstHitStops)
{
    EXPECT_FALSE(Pick(m_square.Get(), QrPoint3(0.5f, 0.5f, 1), QrPoint3(0, 0, -1)));
    ASSERT_EQ(m_pick.GetResultCount(), 2u);
    EXPECT_EQ(m_pick.GetResultAt(0)->m_triangle, 0);
    EXPECT_EQ(m_pick.GetResultAt(1)->m_triangle, 1);

    m_pick.ClearResults();
    m_pick.m_pickType = 1;
    m_pick.m_secondMode = 1;
    EXPECT_TRUE(Pick(m_square.Get(), QrPoint3(0.5f, 0.5f, 1), QrPoint3(0, 0, -1)));
    ASSERT_EQ(m_pick.GetResultCount(), 1u);
    EXPECT_EQ(m_pick.GetResultAt(0)->m_triangle, 0);
}

TEST_F(QrPickTest, TheRayIsCarriedIntoModelSpace)
{
    // Turned a quarter about z, doubled and moved: model (x, y) is world (10 - 2y, 2x).
    QrPointer<OpenShape> square = MakeSquare();
    square->GetRotate() = collisiontest::Rotation(1.5707964f, 0, 0, 1);
    square->SetScale(2.0f);
    square->SetTranslate(10, 0, 0);
    square->Update(square->GetCurrentInstance());
    const QrPoint3 world = square->GetRotate().TimesPoint(QrPoint3(0.25f, 0.5f, 0)) * 2.0f + QrPoint3(10, 0, 0);
    EXPECT_FALSE(Pick(square.Get(), world + QrPoint3(0, 0, 6), QrPoint3(0, 0, -1)));
    ASSERT_EQ(m_pick.GetResultCount(), 1u);
    ExpectNear(m_pick.GetResultAt(0)->m_point, QrPoint3(0.25f, 0.5f, 0));
    // The parameter of the model-space ray: the direction is not scaled, the origin is.
    EXPECT_NEAR(m_pick.GetResultAt(0)->m_distance, 3.0f, 1e-5f);
    EXPECT_EQ(m_pick.GetResultAt(0)->m_triangle, 1);
}

TEST_F(QrPickTest, LevelZeroRecordsEachInstanceWhoseBoundTheRayMeets)
{
    QrPointer<QrNode> left(new QrNode), right(new QrNode), away(new QrNode);
    right->SetTranslate(0, 0, -3);
    away->SetTranslate(50, 0, 0);
    left->AttachChild(m_square.Get());
    right->AttachChild(m_square.Get());
    away->AttachChild(m_square.Get());
    for (QrNode* node : {left.Get(), right.Get(), away.Get()})
        node->UpdateAllInstances();
    m_pick.m_intersectionLevel = 0;
    EXPECT_FALSE(Pick(m_square.Get(), QrPoint3(0.5f, 0.5f, 5), QrPoint3(0, 0, -1)));
    ASSERT_EQ(m_pick.GetResultCount(), 2u);
    EXPECT_EQ(m_pick.GetResultAt(0)->m_instance, m_square->FindInstance(left.Get()));
    EXPECT_EQ(m_pick.GetResultAt(1)->m_instance, m_square->FindInstance(right.Get()));
    EXPECT_EQ(m_pick.GetResultAt(0)->m_triangle, 0);
    ExpectNear(m_pick.GetResultAt(0)->m_point, QrPoint3());

    // Pick type 1 is satisfied by the first.
    m_pick.ClearResults();
    m_pick.m_pickType = 1;
    EXPECT_TRUE(Pick(m_square.Get(), QrPoint3(0.5f, 0.5f, 5), QrPoint3(0, 0, -1)));
    EXPECT_EQ(m_pick.GetResultCount(), 1u);

    // A ray past every bound records nothing.
    m_pick.ClearResults();
    EXPECT_FALSE(Pick(m_square.Get(), QrPoint3(0.5f, 30, 5), QrPoint3(0, 0, -1)));
    EXPECT_EQ(m_pick.GetResultCount(), 0u);
    for (QrNode* node : {left.Get(), right.Get(), away.Get()})
        node->DetachChild(m_square.Get());
}

TEST_F(QrPickTest, TrianglesPast21845AreFound)
{
    const collisiontest::Mesh grid = collisiontest::GridMesh(110, 110, 1.0f);
    QrPointer<QrTriShape> shape(new QrTriShape(uint16_t(grid.vertices.size()), grid.vertices.data(), nullptr,
                                               grid.TriangleCount(), grid.indices.data(), nullptr, nullptr));
    shape->Update(shape->GetCurrentInstance());
    m_pick.m_pickType = 1;
    m_pick.m_secondMode = 1;
    // Cell (100, 105), lower triangle: number 2 x (105 x 110 + 100) = 23,300.
    EXPECT_TRUE(Pick(shape.Get(), QrPoint3(100.75f, 105.25f, 1), QrPoint3(0, 0, -1)));
    ASSERT_EQ(m_pick.GetResultCount(), 1u);
    EXPECT_EQ(m_pick.GetResultAt(0)->m_triangle, 23300);
    ExpectNear(m_pick.GetResultAt(0)->m_point, QrPoint3(100.75f, 105.25f, 0));
}

TEST(QrTrianglePickTest, RayTriangleWeightsAndRejections)
{
    const QrPoint3 p0(0, 0, 0), p1(2, 0, 0), p2(0, 2, 0);
    const QrPlane plane((p1 - p0).Cross(p2 - p1), p0);
    QrPoint3 point;
    float t = -1, b1 = -1, b2 = -1;
    ASSERT_TRUE(QrTrianglePick::IntersectTriangle(QrPoint3(0.5f, 1, 4), QrPoint3(0, 0, -2), plane, p0, p1, p2, true,
                                                  point, t, b1, b2));
    EXPECT_FLOAT_EQ(t, 2.0f);
    EXPECT_FLOAT_EQ(b1, 0.25f);
    EXPECT_FLOAT_EQ(b2, 0.5f);
    ExpectNear(point, QrPoint3(0.5f, 1, 0));
    // Outside across each edge, behind the origin, parallel, and a collapsed triangle.
    EXPECT_FALSE(QrTrianglePick::IntersectTriangle(QrPoint3(-0.1f, 1, 4), QrPoint3(0, 0, -1), plane, p0, p1, p2, false,
                                                   point, t, b1, b2));
    EXPECT_FALSE(QrTrianglePick::IntersectTriangle(QrPoint3(1, -0.1f, 4), QrPoint3(0, 0, -1), plane, p0, p1, p2, false,
                                                   point, t, b1, b2));
    EXPECT_FALSE(QrTrianglePick::IntersectTriangle(QrPoint3(1.1f, 1, 4), QrPoint3(0, 0, -1), plane, p0, p1, p2, false,
                                                   point, t, b1, b2));
    EXPECT_FALSE(QrTrianglePick::IntersectTriangle(QrPoint3(0.5f, 1, 4), QrPoint3(0, 0, 1), plane, p0, p1, p2, false,
                                                   point, t, b1, b2));
    EXPECT_FALSE(QrTrianglePick::IntersectTriangle(QrPoint3(0.5f, 1, 0), QrPoint3(1, 0, 0), plane, p0, p1, p2, false,
                                                   point, t, b1, b2));
    const QrPoint3 line(1, 0, 0);
    EXPECT_FALSE(QrTrianglePick::IntersectTriangle(QrPoint3(0.5f, 0, 4), QrPoint3(0, 0, -1), plane, p0, p1, line, false,
                                                   point, t, b1, b2));
}
