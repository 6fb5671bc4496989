// Which pixels the software rasterizer draws: the fill convention on shared edges and
// vertices, culling, wireframe and lines, the viewport, and vertices it must refuse.
#include "RasterTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>

using namespace plat;
using rastertest::Canvas;
using rastertest::V;

namespace
{

// Every pixel's hit count as rows of digits, for readable failures.
std::string Counts(const Canvas& c)
{
    std::string out;
    for (uint32_t y = 0; y < c.Height(); ++y)
    {
        for (uint32_t x = 0; x < c.Width(); ++x)
            out += static_cast<char>('0' + c.Count(x, y));
        out += '\n';
    }
    return out;
}

std::string Uniform(const Canvas& c, char digit)
{
    std::string out;
    for (uint32_t y = 0; y < c.Height(); ++y)
        out += std::string(c.Width(), digit) + '\n';
    return out;
}

// The rows of a picture where '#' marks a drawn pixel.
std::string Drawn(const Canvas& c)
{
    std::string out;
    for (uint32_t y = 0; y < c.Height(); ++y)
    {
        for (uint32_t x = 0; x < c.Width(); ++x)
            out += c.At(x, y) ? '#' : '.';
        out += '\n';
    }
    return out;
}

} // namespace

TEST(RasterizerCoverage, AJitteredGridCoversEveryPixelExactlyOnce)
{
    Canvas c(40, 30);
    c.Counting();
    // Vertices on pixel centres, on half pixels and in between, triangles of both windings.
    std::mt19937 random(7);
    std::uniform_real_distribution<float> jitter(-1.3f, 1.3f);
    const int columns = 8;
    const int rows = 6;
    std::vector<TlVertex1> vertices;
    for (int r = 0; r <= rows; ++r)
        for (int q = 0; q <= columns; ++q)
        {
            float x = q * 5.0f;
            float y = r * 5.0f;
            const bool inner = q > 0 && q < columns && r > 0 && r < rows;
            if (inner && (q + r) % 3 == 1)
            {
                x += jitter(random);
                y += jitter(random);
            }
            else if (inner && (q + r) % 3 == 2)
            {
                x += 0.5f;
            }
            vertices.push_back(V(x, y, Canvas::kCountColor));
        }
    std::vector<uint16_t> indices;
    for (int r = 0; r < rows; ++r)
        for (int q = 0; q < columns; ++q)
        {
            const uint16_t i = static_cast<uint16_t>(r * (columns + 1) + q);
            const uint16_t below = static_cast<uint16_t>(i + columns + 1);
            if ((q + r) % 2)
                indices.insert(indices.end(), {i, below, static_cast<uint16_t>(i + 1), static_cast<uint16_t>(i + 1),
                                               below, static_cast<uint16_t>(below + 1)});
            else
                indices.insert(indices.end(), {i, static_cast<uint16_t>(i + 1), static_cast<uint16_t>(below + 1), i,
                                               static_cast<uint16_t>(below + 1), below});
        }
    c.Triangles(vertices, indices);
    EXPECT_EQ(Counts(c), Uniform(c, '1'));
}

TEST(RasterizerCoverage, AFanAroundAPixelCentreCoversItOnce)
{
    // Sixteen triangles meet at (7, 6), exactly on a pixel centre, and fill the target.
    Canvas c(14, 12);
    c.Counting();
    const float w = 14.0f;
    const float h = 12.0f;
    const float rim[][2] = {{0, 0},  {3.5f, 0}, {7, 0},     {10.25f, 0}, {w, 0},    {w, 4}, {w, 6}, {w, h},
                            {11, h}, {7, h},    {2.75f, h}, {0, h},      {0, 8.5f}, {0, 6}, {0, 2}};
    const size_t count = sizeof rim / sizeof rim[0];
    std::vector<TlVertex1> vertices;
    for (size_t i = 0; i < count; ++i)
    {
        const auto& a = rim[i];
        const auto& b = rim[(i + 1) % count];
        vertices.push_back(V(7, 6, Canvas::kCountColor));
        vertices.push_back(V(a[0], a[1], Canvas::kCountColor));
        vertices.push_back(V(b[0], b[1], Canvas::kCountColor));
    }
    c.Triangles(vertices);
    EXPECT_EQ(Counts(c), Uniform(c, '1'));
}

TEST(RasterizerCoverage, TopAndLeftEdgesBelongToTheTriangleRightAndBottomDoNot)
{
    Canvas c(8, 7);
    c.Untextured();
    c.Rectangle(2, 1, 6, 4, 0xFFFFFFFF);
    // Pixel centres on a triangle's sloped right edge, such as (4, 5), are left out.
    c.Triangles(std::vector<TlVertex1>{V(2, 4, 0xFFFF0000), V(5, 4, 0xFFFF0000), V(2, 7, 0xFFFF0000)});
    EXPECT_EQ(Drawn(c), "........\n"
                        "..####..\n"
                        "..####..\n"
                        "..####..\n"
                        "..###...\n"
                        "..##....\n"
                        "..#.....\n");
}

TEST(RasterizerCoverage, CullingDropsTheChosenWinding)
{
    // On screen with y down, (0,0) (8,0) (0,8) runs clockwise.
    const std::vector<TlVertex1> clockwise = {V(0, 0), V(8, 0), V(0, 8)};
    const std::vector<TlVertex1> counterClockwise = {V(0, 0), V(0, 8), V(8, 0)};
    struct Case
    {
        CullMode mode;
        bool clockwiseDrawn;
        bool counterClockwiseDrawn;
    };
    for (const Case& k : {Case{CullMode::None, true, true}, Case{CullMode::Clockwise, false, true},
                          Case{CullMode::CounterClockwise, true, false}})
    {
        for (bool cw : {true, false})
        {
            Canvas c(8, 8);
            c.Untextured();
            c.Set(RenderState::CullMode, k.mode);
            c.Triangles(cw ? clockwise : counterClockwise);
            EXPECT_EQ(c.At(1, 1) != 0, cw ? k.clockwiseDrawn : k.counterClockwiseDrawn)
                << "mode " << ToState(k.mode) << (cw ? " clockwise" : " counter-clockwise");
        }
    }
}

TEST(RasterizerCoverage, WireframeDrawsEachEdgeHalfOpenAfterCulling)
{
    Canvas c(10, 10);
    c.Counting();
    c.Set(RenderState::FillMode, FillMode::Wireframe);
    c.Triangles(std::vector<TlVertex1>{V(1, 1, Canvas::kCountColor), V(8, 1, Canvas::kCountColor),
                                       V(1, 8, Canvas::kCountColor)});
    EXPECT_EQ(Counts(c), "0000000000\n"
                         "0111111110\n"
                         "0100000100\n"
                         "0100001000\n"
                         "0100010000\n"
                         "0100100000\n"
                         "0101000000\n"
                         "0110000000\n"
                         "0100000000\n"
                         "0000000000\n");
    c.Set(RenderState::CullMode, CullMode::Clockwise);
    c.Fill(0);
    c.Triangles(std::vector<TlVertex1>{V(1, 1, Canvas::kCountColor), V(8, 1, Canvas::kCountColor),
                                       V(1, 8, Canvas::kCountColor)});
    EXPECT_EQ(Counts(c), Uniform(c, '0'));
}

TEST(RasterizerCoverage, LinesStepAlongTheMajorAxisAndLeaveTheLastPixel)
{
    Canvas c(8, 8);
    c.Counting();
    // x-major: y = 2 + 0.4 (x - 1) rounded; the pixel of the end (6, 4) is left out.
    c.Lines(std::vector<TlVertex1>{V(1, 2, Canvas::kCountColor), V(6, 4, Canvas::kCountColor)});
    // y-major, drawn upwards: from (6.2, 7) to (5.2, 2), x = 6.2 - 0.2 (7 - y) rounded.
    c.Lines(std::vector<TlVertex1>{V(6.2f, 7, Canvas::kCountColor), V(5.2f, 2, Canvas::kCountColor)});
    EXPECT_EQ(Counts(c), "00000000\n"
                         "00000000\n"
                         "01100000\n"
                         "00011100\n"
                         "00000110\n"
                         "00000010\n"
                         "00000010\n"
                         "00000010\n");
}

TEST(RasterizerCoverage, DrawingStaysInsideTheViewport)
{
    Canvas c(12, 10);
    c.Counting();
    c.viewport = {3, 2, 9, 7};
    c.Rectangle(-5, -5, 20, 20, Canvas::kCountColor);
    c.Lines(std::vector<TlVertex1>{V(-4, 4, Canvas::kCountColor), V(30, 4, Canvas::kCountColor),
                                   V(5, -10, Canvas::kCountColor), V(5, 40, Canvas::kCountColor)});
    for (uint32_t y = 0; y < c.Height(); ++y)
        for (uint32_t x = 0; x < c.Width(); ++x)
        {
            const bool inside = x >= 3 && x < 9 && y >= 2 && y < 7;
            const uint32_t expected = !inside ? 0 : (y == 4 && x == 5 ? 3 : (y == 4 || x == 5 ? 2 : 1));
            EXPECT_EQ(c.Count(x, y), expected) << x << "," << y;
        }
    // A viewport reaching past the surface is cut to it.
    Canvas d(6, 6);
    d.Counting();
    d.viewport = {-10, -10, 100, 100};
    d.Rectangle(-50, -50, 50, 50, Canvas::kCountColor);
    EXPECT_EQ(Counts(d), Uniform(d, '1'));
}

TEST(RasterizerCoverage, VerticesBehindTheEyeOrNotANumberAreRefused)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (float bad : {0.0f, -1.0f, -0.0f, nan})
    {
        Canvas c(8, 8);
        c.Untextured();
        c.Triangles(std::vector<TlVertex1>{V(0, 0), V(8, 0, 0xFFFFFFFF, 0.5f, bad), V(0, 8)});
        c.Lines(std::vector<TlVertex1>{V(0, 1, 0xFFFFFFFF, 0.5f, bad), V(8, 1)});
        EXPECT_EQ(Drawn(c), Uniform(c, '.')) << "rhw " << bad;
    }
    for (float bad : {nan, inf, -inf})
    {
        Canvas c(8, 8);
        c.Untextured();
        c.Triangles(std::vector<TlVertex1>{V(0, 0), V(bad, 0), V(0, 8)});
        c.Triangles(std::vector<TlVertex1>{V(0, 0), V(8, 0, 0xFFFFFFFF, bad), V(0, 8)});
        c.Lines(std::vector<TlVertex1>{V(0, 1), V(8, bad)});
        EXPECT_EQ(c.At(1, 1), 0u) << bad;
        EXPECT_EQ(c.At(4, 1), 0u) << bad;
    }
}

TEST(RasterizerCoverage, HugeCoordinatesAreCutToTheGuardBandWithoutGapsOrOverflow)
{
    // Two triangles share an edge along the surface's diagonal, all corners far outside it
    // (pixel centres such as (4, 3) lie on the edge): every pixel is drawn exactly once.
    Canvas c(16, 12);
    c.Counting();
    const float far = 3.0e38f;
    const TlVertex1 a = V(-4.0e8f, -3.0e8f, Canvas::kCountColor);
    const TlVertex1 b = V(2.0e9f, -far, Canvas::kCountColor);
    const TlVertex1 cc = V(4.0e8f, 3.0e8f, Canvas::kCountColor);
    const TlVertex1 d = V(-2.0e9f, far, Canvas::kCountColor);
    c.Triangles(std::vector<TlVertex1>{a, b, cc, a, cc, d});
    EXPECT_EQ(Counts(c), Uniform(c, '1'));

    // A triangle crossing one side of the band keeps its pixels.
    Canvas t(16, 12);
    t.Counting();
    t.Triangles(std::vector<TlVertex1>{V(2, 1, Canvas::kCountColor), V(1.0e6f, 1, Canvas::kCountColor),
                                       V(2, 11, Canvas::kCountColor)});
    for (uint32_t y = 0; y < t.Height(); ++y)
        for (uint32_t x = 0; x < t.Width(); ++x)
            EXPECT_EQ(t.Count(x, y), (y >= 1 && y <= 10 && x >= 2) ? 1u : 0u) << x << "," << y;

    Canvas e(8, 8);
    e.Counting();
    e.Lines(std::vector<TlVertex1>{V(-far, 3, Canvas::kCountColor), V(far, 3, Canvas::kCountColor)});
    for (uint32_t x = 0; x < 8; ++x)
        EXPECT_EQ(e.Count(x, 3), 1u) << x;
}

TEST(RasterizerCoverage, IndicesPickTheVerticesAndDegenerateTrianglesDrawNothing)
{
    Canvas c(8, 8);
    c.Counting();
    const std::vector<TlVertex1> vertices = {V(0, 0, Canvas::kCountColor), V(100, 100, Canvas::kCountColor),
                                             V(4, 0, Canvas::kCountColor), V(0, 4, Canvas::kCountColor)};
    c.Triangles(vertices, {0, 2, 3});
    // No area, or none after snapping to 1/256 pixel.
    c.Triangles(std::vector<TlVertex1>{V(0, 0, Canvas::kCountColor), V(4, 4, Canvas::kCountColor),
                                       V(8, 8, Canvas::kCountColor), V(1, 1, Canvas::kCountColor),
                                       V(6, 1.001f, Canvas::kCountColor), V(6, 1, Canvas::kCountColor)});
    EXPECT_EQ(Counts(c), "11110000\n"
                         "11100000\n"
                         "11000000\n"
                         "10000000\n"
                         "00000000\n"
                         "00000000\n"
                         "00000000\n"
                         "00000000\n");
}
