// Clipping of world-space records: pieces per case, winding, new vertices on the planes with
// their attributes interpolated, several planes, and a clip pool that grows during a draw.

#include "QrClip.h"
#include "QrD3DDriver.h"
#include "QrPlane.h"
#include "QrTransformedVertex.h"
#include "QrTriangleRef.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

namespace
{

using Piece = std::array<QrTransformedVertex, 3>;
std::vector<Piece> g_pieces;

uint32_t Capture(QrD3DDriver&, const QrTriangleRef& triangle)
{
    g_pieces.push_back({*triangle.corner[0], *triangle.corner[1], *triangle.corner[2]});
    return 0;
}

float Area2(const Piece& p)
{
    return (p[1].x - p[0].x) * (p[2].y - p[0].y) - (p[2].x - p[0].x) * (p[1].y - p[0].y);
}

class QrClipTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_pieces.clear();
        m_driver.SetEmitKernels(Capture, nullptr, nullptr);
    }

    // Vertex at (x, y) in the z = 0 plane with attributes that are linear in x and y.
    static QrTransformedVertex At(float x, float y)
    {
        QrTransformedVertex v;
        v.x = x;
        v.y = y;
        v.used = 1;
        v.red = 10.0f * x;
        v.green = 10.0f * y;
        v.tu0 = x + y;
        return v;
    }

    void Clip(std::vector<QrPlane> planes, QrTransformedVertex a, QrTransformedVertex b, QrTransformedVertex c)
    {
        m_planes = std::move(planes);
        m_planePointers.clear();
        for (const QrPlane& p : m_planes)
            m_planePointers.push_back(&p);
        m_driver.SetClipPlanes(m_planePointers.data(), static_cast<uint32_t>(m_planePointers.size()));
        m_driver.ChooseClipInterpolator();
        m_driver.GetWorkBuffer().Reserve(0);
        m_records = {a, b, c};
        QrTriangleRef triangle;
        for (int i = 0; i < 3; ++i)
            triangle.corner[i] = &m_records[i];
        ASSERT_EQ(QrClipPolygon(m_driver, triangle, 0), 0u);
    }

    // Every piece inside every plane, winding as the input's, attributes still linear.
    void ExpectSound(float inputArea2)
    {
        for (const Piece& piece : g_pieces)
        {
            EXPECT_EQ(std::signbit(Area2(piece)), std::signbit(inputArea2));
            for (const QrTransformedVertex& v : piece)
            {
                for (const QrPlane& p : m_planes)
                    EXPECT_GE(p.GetNormal().x * v.x + p.GetNormal().y * v.y - p.GetConstant(), -1e-5f);
                EXPECT_NEAR(v.red, 10.0f * v.x, 1e-4f);
                EXPECT_NEAR(v.green, 10.0f * v.y, 1e-4f);
                EXPECT_NEAR(v.tu0, v.x + v.y, 1e-5f);
                EXPECT_EQ(v.used, 1);
            }
        }
    }

    float TotalArea() const
    {
        float sum = 0.0f;
        for (const Piece& piece : g_pieces)
            sum += std::fabs(Area2(piece)) * 0.5f;
        return sum;
    }

    QrD3DDriver m_driver;
    std::vector<QrPlane> m_planes;
    std::vector<const QrPlane*> m_planePointers;
    std::array<QrTransformedVertex, 3> m_records;
};

TEST_F(QrClipTest, OneCornerInsideLeavesOneTriangleWithItsWinding)
{
    // x <= 1, written as -x > -1; A inside.
    for (int rotation = 0; rotation < 3; ++rotation)
    {
        g_pieces.clear();
        QrTransformedVertex v[3] = {At(0.0f, 0.0f), At(4.0f, 0.0f), At(4.0f, 4.0f)};
        Clip({QrPlane(QrPoint3(-1.0f, 0.0f, 0.0f), -1.0f)}, v[rotation], v[(rotation + 1) % 3], v[(rotation + 2) % 3]);
        ASSERT_EQ(g_pieces.size(), 1u);
        ExpectSound(16.0f);
        EXPECT_FLOAT_EQ(TotalArea(), 0.5f);
        // The corner that stayed leads the piece; the new corners lie on the plane.
        EXPECT_EQ(g_pieces[0][0].x, 0.0f);
        EXPECT_FLOAT_EQ(g_pieces[0][1].x, 1.0f);
        EXPECT_FLOAT_EQ(g_pieces[0][2].x, 1.0f);
    }
}

TEST_F(QrClipTest, TwoCornersInsideLeaveTwoTriangles)
{
    for (int rotation = 0; rotation < 3; ++rotation)
    {
        g_pieces.clear();
        QrTransformedVertex v[3] = {At(0.0f, 0.0f), At(4.0f, 0.0f), At(0.0f, 4.0f)};
        // y <= 2: C outside.
        Clip({QrPlane(QrPoint3(0.0f, -1.0f, 0.0f), -2.0f)}, v[rotation], v[(rotation + 1) % 3], v[(rotation + 2) % 3]);
        ASSERT_EQ(g_pieces.size(), 2u);
        ExpectSound(16.0f);
        EXPECT_FLOAT_EQ(TotalArea(), 8.0f - 2.0f);
    }
}

TEST_F(QrClipTest, CornersOnThePlaneCountAsInside)
{
    Clip({QrPlane(QrPoint3(1.0f, 0.0f, 0.0f), 0.0f)}, At(0.0f, 0.0f), At(4.0f, 0.0f), At(0.0f, 4.0f));
    ASSERT_EQ(g_pieces.size(), 1u);
    EXPECT_EQ(g_pieces[0][0].x, 0.0f);
    EXPECT_EQ(g_pieces[0][2].x, 0.0f);
    g_pieces.clear();
    Clip({QrPlane(QrPoint3(1.0f, 0.0f, 0.0f), 5.0f)}, At(0.0f, 0.0f), At(4.0f, 0.0f), At(0.0f, 4.0f));
    EXPECT_TRUE(g_pieces.empty());
}

TEST_F(QrClipTest, ThreePlanesCutEveryCorner)
{
    // The triangle (0,0) (6,0) (0,6) cut to x >= 1, y >= 1, x + y <= 5 leaves (1,1) (4,1) (1,4).
    Clip({QrPlane(QrPoint3(1.0f, 0.0f, 0.0f), 1.0f), QrPlane(QrPoint3(0.0f, 1.0f, 0.0f), 1.0f),
          QrPlane(QrPoint3(-1.0f, -1.0f, 0.0f), -5.0f)},
         At(0.0f, 0.0f), At(6.0f, 0.0f), At(0.0f, 6.0f));
    EXPECT_GE(g_pieces.size(), 1u);
    EXPECT_LE(g_pieces.size(), 8u);
    ExpectSound(36.0f);
    EXPECT_NEAR(TotalArea(), 4.5f, 1e-4f);

    // A hexagon: each plane clips one corner of a large triangle.
    g_pieces.clear();
    Clip({QrPlane(QrPoint3(0.0f, -1.0f, 0.0f), -8.0f), QrPlane(QrPoint3(1.0f, 1.0f, 0.0f), 1.0f),
          QrPlane(QrPoint3(-1.0f, 1.0f, 0.0f), -11.0f)},
         At(0.0f, 0.0f), At(12.0f, 0.0f), At(6.0f, 10.0f));
    ExpectSound(120.0f);
    EXPECT_LE(g_pieces.size(), 8u);
    // 60, less the corners: above y = 8 (60 x 0.2^2 = 2.4), below x + y = 1 and beyond
    // y - x = -11 (each half of 1 x 0.625).
    EXPECT_NEAR(TotalArea(), 60.0f - 2.4f - 0.3125f - 0.3125f, 1e-3f);
}

TEST_F(QrClipTest, ClipPoolGrowsPastItsFirstBlocks)
{
    // 600 triangles each cut in two take 1200 new records from one pool.
    const QrPlane plane(QrPoint3(0.0f, -1.0f, 0.0f), -2.0f);
    const QrPlane* planes[1] = {&plane};
    m_driver.SetClipPlanes(planes, 1);
    m_driver.ChooseClipInterpolator();
    m_driver.GetWorkBuffer().Reserve(0);
    std::vector<QrTransformedVertex> records;
    records.reserve(1800);
    for (int i = 0; i < 600; ++i)
    {
        records.push_back(At(float(i), 0.0f));
        records.push_back(At(float(i) + 4.0f, 0.0f));
        records.push_back(At(float(i), 4.0f));
        QrTriangleRef triangle;
        for (int k = 0; k < 3; ++k)
            triangle.corner[k] = &records[records.size() - 3 + k];
        ASSERT_EQ(QrClipPolygon(m_driver, triangle, 0), 0u);
    }
    EXPECT_EQ(g_pieces.size(), 1200u);
    EXPECT_EQ(m_driver.GetWorkBuffer().PoolBlockCount(), 16u);
    m_planes = {plane};
    ExpectSound(16.0f);
}

TEST_F(QrClipTest, InterpolatorsCarryOnlyTheFieldsTheDrawUses)
{
    QrTransformedVertex p;
    QrTransformedVertex q;
    p.x = 0.0f;
    q.x = 4.0f;
    p.tu1 = 0.0f;
    q.tu1 = 2.0f;
    p.fog = 255.0f;
    q.fog = 55.0f;
    p.specular = 0.0f;
    q.specular = 100.0f;
    QrTransformedVertex out;
    // Distances -1 at P and 3 at Q: a quarter of the way.
    QrClipLerp2TexFogSpec(-1.0f, 3.0f, p, q, out);
    EXPECT_FLOAT_EQ(out.x, 1.0f);
    EXPECT_FLOAT_EQ(out.tu1, 0.5f);
    EXPECT_FLOAT_EQ(out.fog, 205.0f);
    EXPECT_FLOAT_EQ(out.specular, 25.0f);
    QrTransformedVertex plain;
    QrClipLerp1Tex(-1.0f, 3.0f, p, q, plain);
    EXPECT_FLOAT_EQ(plain.x, 1.0f);
    EXPECT_EQ(plain.tu1, 0.0f);
    EXPECT_EQ(plain.fog, 0.0f);
    EXPECT_EQ(plain.specular, 0.0f);
}

} // namespace
