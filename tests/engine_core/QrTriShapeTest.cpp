// The indexed triangle shape: planes and normals, texture sets, borrowed arrays, the exact-class
// sharing rule, the scene-file record (files without planes or with bad indices) and what a draw
// hands the renderer.

#include "GeometryTestHelpers.h"
#include "QrMathTestHelpers.h"

#include "QrCamera.h"
#include "QrDisplay.h"
#include "QrNode.h"
#include "RecordingRender.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

using namespace geomtest;

namespace
{

class QrTriShapeTest : public QrEngineTest
{
};

// A subclass with its own class record, standing for the shapes derived from the plain one.
class DerivedShape : public QrTriShape
{
    QR_DECLARE_RTTI

public:
    using QrTriShape::QrTriShape;
};
QR_IMPLEMENT_RTTI(DerivedShape, QrTriShape)

// A big triangle and a tiny one sharing vertex 0, facing +z and +x.
QrPointer<OpenShape> MakeUnevenPair()
{
    const QrPoint3 vertices[] = {{0, 0, 0}, {100, 0, 0}, {0, 100, 0}, {0, 0.01f, 0}, {0, 0, 0.01f}};
    const uint16_t indices[] = {0, 1, 2, 0, 3, 4};
    return QrPointer<OpenShape>(new OpenShape(5, vertices, nullptr, 2, indices, nullptr, nullptr));
}

} // namespace

TEST_F(QrTriShapeTest, PlanesAreUnnormalisedFaceNormalsThroughTheFirstVertex)
{
    QrPointer<OpenShape> shape = MakeSquare();
    const QrPlane* planes = shape->GetPlanes();
    ASSERT_NE(planes, nullptr);
    EXPECT_EQ(planes[0], QrPlane(QrPoint3(0, 0, 1), 0.0f));

    const QrPoint3 vertices[] = {{0, 0, 2}, {3, 0, 2}, {0, 3, 2}};
    const uint16_t indices[] = {0, 1, 2};
    QrPointer<OpenShape> big(new OpenShape(3, vertices, nullptr, 1, indices, nullptr, nullptr));
    EXPECT_EQ(big->GetPlanes()[0], QrPlane(QrPoint3(0, 0, 9), 18.0f));
}

TEST_F(QrTriShapeTest, VertexNormalsAverageUnitFaceNormalsWhateverTheArea)
{
    QrPointer<OpenShape> shape = MakeUnevenPair();
    shape->CalculateNormals();
    const QrPoint3* normals = shape->GetNormals();
    ASSERT_NE(normals, nullptr);
    const float half = float(1.0 / std::sqrt(2.0));
    EXPECT_TRUE(Near(normals[0], QrPoint3(half, 0, half)));
    EXPECT_TRUE(Near(normals[1], QrPoint3(0, 0, 1)));
    EXPECT_TRUE(Near(normals[4], QrPoint3(1, 0, 0)));
    // The planes now carry unit normals.
    EXPECT_TRUE(Near(shape->GetPlanes()[1].GetNormal(), QrPoint3(1, 0, 0)));
    EXPECT_FLOAT_EQ(shape->GetPlanes()[0].GetConstant(), 0.0f);

    // From the unnormalised planes the result is the same.
    QrPointer<OpenShape> viaPlanes = MakeUnevenPair();
    viaPlanes->UpdateTrianglePlanes();
    viaPlanes->CalculateNormalsFromPlanes();
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(Near(viaPlanes->GetNormals()[i], normals[i])) << "vertex " << i;
    EXPECT_EQ(viaPlanes->GetPlanes()[0].GetNormal(), QrPoint3(0, 0, 10000)); // planes untouched
}

TEST_F(QrTriShapeTest, DegenerateTrianglesAddNothingToTheNormals)
{
    const QrPoint3 vertices[] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {2, 2, 2}, {4, 4, 4}, {6, 6, 6}};
    const uint16_t indices[] = {0, 1, 2, 3, 4, 5, 3, 3, 4};
    QrPointer<OpenShape> shape(new OpenShape(6, vertices, nullptr, 3, indices, nullptr, nullptr));
    shape->CalculateNormals();
    EXPECT_EQ(shape->GetNormals()[2], QrPoint3(0, 0, 1));
    EXPECT_EQ(shape->GetNormals()[3], QrPoint3::ZERO); // only in degenerate triangles
    EXPECT_EQ(shape->GetNormals()[5], QrPoint3::ZERO);
    EXPECT_EQ(shape->GetPlanes()[1], QrPlane());
    EXPECT_EQ(shape->GetPlanes()[2], QrPlane());
}

namespace
{

// The accumulation written out in one plain pass, every step in the arithmetic the engine
// promises (double products and sums, one rounding to float, 1 / length then a product).
struct ReferenceNormals
{
    std::vector<QrPoint3> normals;
    std::vector<QrPlane> planes;
};

QrPoint3 ReferenceUnit(QrPoint3 n)
{
    const double length = std::sqrt(double(n.x) * n.x + double(n.y) * n.y + double(n.z) * n.z);
    if (length <= 1e-6)
        return QrPoint3::ZERO;
    const double inv = 1.0 / length;
    return {float(n.x * inv), float(n.y * inv), float(n.z * inv)};
}

ReferenceNormals AccumulateReference(const std::vector<QrPoint3>& v, const std::vector<uint16_t>& indices,
                                     const QrPlane* fromPlanes)
{
    const size_t triangles = indices.size() / 3;
    ReferenceNormals out{std::vector<QrPoint3>(v.size()), std::vector<QrPlane>(triangles)};
    for (size_t t = 0; t < triangles; ++t)
    {
        const uint16_t i0 = indices[3 * t], i1 = indices[3 * t + 1], i2 = indices[3 * t + 2];
        if (i0 >= v.size() || i1 >= v.size() || i2 >= v.size())
            continue;
        QrPoint3 n;
        if (fromPlanes)
        {
            n = ReferenceUnit(fromPlanes[t].GetNormal());
        }
        else
        {
            const QrPoint3 a(v[i1].x - v[i0].x, v[i1].y - v[i0].y, v[i1].z - v[i0].z);
            const QrPoint3 b(v[i2].x - v[i1].x, v[i2].y - v[i1].y, v[i2].z - v[i1].z);
            n = ReferenceUnit({float(double(a.y) * b.z - double(a.z) * b.y),
                               float(double(a.z) * b.x - double(a.x) * b.z),
                               float(double(a.x) * b.y - double(a.y) * b.x)});
            out.planes[t].Set(n, float(double(n.x) * v[i0].x + double(n.y) * v[i0].y + double(n.z) * v[i0].z));
        }
        for (const uint16_t i : {i0, i1, i2})
            out.normals[i] = {out.normals[i].x + n.x, out.normals[i].y + n.y, out.normals[i].z + n.z};
    }
    for (QrPoint3& n : out.normals)
        n = ReferenceUnit(n);
    return out;
}

// Bit patterns, so that -0 against +0 or a changed last bit shows.
bool SameBits(const QrPoint3& a, const QrPoint3& b)
{
    return std::bit_cast<uint32_t>(a.x) == std::bit_cast<uint32_t>(b.x) &&
           std::bit_cast<uint32_t>(a.y) == std::bit_cast<uint32_t>(b.y) &&
           std::bit_cast<uint32_t>(a.z) == std::bit_cast<uint32_t>(b.z);
}

} // namespace

TEST_F(QrTriShapeTest, NormalsAndPlanesMatchAPlainAccumulationBitForBit)
{
    // Random vertices over a wide range of scales, random triangles among them: shared
    // vertices, repeated indices, slivers below the length threshold and indices past the end.
    std::mt19937 random(1234);
    std::uniform_real_distribution<float> coordinate(-50.0f, 50.0f);
    std::uniform_int_distribution<int> pick(0, 299);
    std::vector<QrPoint3> vertices(300);
    for (size_t i = 0; i < vertices.size(); ++i)
    {
        const float scale = i % 10 == 0 ? 1e-4f : 1.0f;
        vertices[i] = QrPoint3(coordinate(random) * scale, coordinate(random) * scale, coordinate(random) * scale);
    }
    vertices[1] = QrPoint3(vertices[0].x + 1e-7f, vertices[0].y, vertices[0].z);
    std::vector<uint16_t> indices;
    for (int t = 0; t < 900; ++t)
        for (int k = 0; k < 3; ++k)
            indices.push_back(uint16_t(pick(random)));
    indices.insert(indices.end(), {0, 1, 2, 5, 5, 6, 7, 8, 300});
    const uint16_t triangles = uint16_t(indices.size() / 3);

    QrPointer<OpenShape> shape(new OpenShape(uint16_t(vertices.size()), vertices.data(), nullptr, triangles,
                                             indices.data(), nullptr, nullptr));
    shape->CalculateNormals();
    const ReferenceNormals expected = AccumulateReference(vertices, indices, nullptr);
    for (size_t i = 0; i < vertices.size(); ++i)
        ASSERT_TRUE(SameBits(shape->GetNormals()[i], expected.normals[i])) << "vertex " << i;
    for (size_t t = 0; t < triangles; ++t)
    {
        ASSERT_TRUE(SameBits(shape->GetPlanes()[t].GetNormal(), expected.planes[t].GetNormal())) << "triangle " << t;
        ASSERT_EQ(std::bit_cast<uint32_t>(shape->GetPlanes()[t].GetConstant()),
                  std::bit_cast<uint32_t>(expected.planes[t].GetConstant()))
            << "triangle " << t;
    }

    // From the unnormalised planes of the same mesh.
    QrPointer<OpenShape> viaPlanes(new OpenShape(uint16_t(vertices.size()), vertices.data(), nullptr, triangles,
                                                 indices.data(), nullptr, nullptr));
    const std::vector<QrPlane> raw(viaPlanes->GetPlanes(), viaPlanes->GetPlanes() + triangles);
    viaPlanes->CalculateNormalsFromPlanes();
    const ReferenceNormals fromPlanes = AccumulateReference(vertices, indices, raw.data());
    for (size_t i = 0; i < vertices.size(); ++i)
        ASSERT_TRUE(SameBits(viaPlanes->GetNormals()[i], fromPlanes.normals[i])) << "vertex " << i;
}

TEST_F(QrTriShapeTest, NewNormalsReachTheWorldCopies)
{
    QrPointer<OpenShape> shape = MakeUnevenPair();
    shape->Update(shape->GetCurrentInstance());
    EXPECT_EQ(shape->GetWorldNormals(), nullptr);
    shape->CalculateNormals();
    ASSERT_NE(shape->GetWorldNormals(), nullptr);
    EXPECT_TRUE(Near(shape->GetWorldNormals()[1], QrPoint3(0, 0, 1)));
}

TEST_F(QrTriShapeTest, TrianglesBeyondTheSixteenBitIndexRangeAreFound)
{
    // 30,000 triangles: the index list runs past 65,535 entries.
    const uint16_t triangles = 30000;
    std::vector<QrPoint3> vertices(3 * 1000);
    for (size_t i = 0; i < vertices.size(); ++i)
        vertices[i] = QrPoint3(float(i), float(i % 7), 0);
    std::vector<uint16_t> indices(3u * triangles);
    for (uint32_t t = 0; t < triangles; ++t)
        for (uint32_t k = 0; k < 3; ++k)
            indices[3 * t + k] = static_cast<uint16_t>((t + k * 11) % vertices.size());
    QrPointer<OpenShape> shape(new OpenShape(static_cast<uint16_t>(vertices.size()), vertices.data(), nullptr,
                                             triangles, indices.data(), nullptr, nullptr));
    uint16_t i0, i1, i2;
    const QrPlane* plane = shape->GetTriangle(29999, i0, i1, i2);
    ASSERT_EQ(plane, shape->GetPlanes() + 29999);
    EXPECT_EQ(i0, 29999 % 3000);
    EXPECT_EQ(i1, (29999 + 11) % 3000);
    EXPECT_EQ(i2, (29999 + 22) % 3000);
    EXPECT_EQ(shape->GetTriangle(triangles, i0, i1, i2), nullptr);
}

TEST_F(QrTriShapeTest, AddTextureSetAppendsAfterTheExistingSets)
{
    QrPointer<OpenShape> shape = MakeSquare();
    const QrPoint3 second[] = {{5, 5, 0}, {6, 5, 0}, {6, 6, 0}, {5, 6, 0}};
    const QrPoint3 third[] = {{9, 0, 1}, {9, 1, 1}, {9, 2, 1}, {9, 3, 1}};
    shape->AddTextureSet(second);
    shape->AddTextureSet(third);
    ASSERT_EQ(shape->GetTextureSetCount(), 3);
    const QrPoint3* coords = shape->GetTextureCoords();
    EXPECT_EQ(coords[2], QrPoint3(1, 1, 0));
    EXPECT_EQ(coords[4 + 3], QrPoint3(5, 6, 0));
    EXPECT_EQ(coords[8 + 1], QrPoint3(9, 1, 1));
    QrPointer<QrTriShape> copy = RoundTrip<QrTriShape>(shape.Get());
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->GetTextureSetCount(), 3);

    QrPointer<OpenShape> none(new OpenShape(4, shape->GetVertices(), nullptr, 0, nullptr, nullptr, nullptr));
    none->AddTextureSet(third);
    EXPECT_EQ(none->GetTextureSetCount(), 1);
    EXPECT_EQ(none->GetTextureCoords()[3], QrPoint3(9, 3, 1));
}

TEST_F(QrTriShapeTest, BorrowedArraysStayWithTheirOwner)
{
    std::vector<QrColorA> colors(4, QrColorA(0.5f, 0.5f, 0.5f, 1));
    std::vector<QrPoint3> coords(4, QrPoint3(0.25f, 0.75f, 0));
    {
        QrPointer<OpenShape> shape = MakeSquare();
        shape->BorrowColors(colors.data());
        shape->BorrowTextureCoords(coords.data(), 1);
        EXPECT_EQ(shape->GetBorrowedFlags(), 3u);
        // Adding a set makes an own block and leaves the borrowed one alone.
        shape->AddTextureSet(coords.data());
        EXPECT_EQ(shape->GetBorrowedFlags(), uint32_t{QrTriBasedGeom::kBorrowedColors});
        EXPECT_NE(shape->GetTextureCoords(), coords.data());
    }
    // The shape is gone and freed neither vector's storage (the sanitizer would object).
    EXPECT_EQ(colors[3], QrColorA(0.5f, 0.5f, 0.5f, 1));
    EXPECT_EQ(coords[3], QrPoint3(0.25f, 0.75f, 0));
}

TEST_F(QrTriShapeTest, OnlyPlainShapesWithTheSameTextureLayoutShareProperties)
{
    QrPointer<OpenShape> a = MakeSquare();
    QrPointer<OpenShape> b = MakeSquare();
    EXPECT_TRUE(a->SharesProperties(b.Get(), 0));

    // A subclass never merges with a plain shape, in either direction.
    const uint16_t indices[] = {0, 1, 2, 0, 2, 3};
    QrPointer<DerivedShape> derived(
        new DerivedShape(4, a->GetVertices(), a->GetNormals(), 2, indices, a->GetTextureCoords(), a->GetColors()));
    EXPECT_FALSE(a->SharesProperties(derived.Get(), 0));
    EXPECT_FALSE(derived->SharesProperties(a.Get(), 0));

    b->AddTextureSet(a->GetTextureCoords());
    EXPECT_FALSE(a->SharesProperties(b.Get(), 0));
    QrPointer<OpenShape> untextured(new OpenShape(4, a->GetVertices(), a->GetNormals(), 2, indices, nullptr, nullptr));
    EXPECT_FALSE(a->SharesProperties(untextured.Get(), 0));
}

TEST_F(QrTriShapeTest, AFileWithoutPlanesGetsThemComputed)
{
    QrPointer<OpenShape> shape = MakeSquare();
    shape->DropPlanes();
    std::vector<QrPointer<QrObject>> loaded = Load(Save({shape.Get()}));
    ASSERT_EQ(loaded.size(), 1u) << QrStream::LastErrorContext;
    auto* copy = QrDynamicCast<QrTriShape>(loaded[0].Get());
    ASSERT_NE(copy, nullptr);
    ASSERT_NE(copy->GetPlanes(), nullptr);
    EXPECT_EQ(copy->GetPlanes()[1], QrPlane(QrPoint3(0, 0, 1), 0.0f));
    EXPECT_EQ(copy->GetPlanes()[0], MakeSquare()->GetPlanes()[0]);
    // Saved again, the file carries them.
    QrPointer<OpenShape> reference = MakeSquare();
    EXPECT_EQ(Save({copy}), Save({reference.Get()}));
}

TEST_F(QrTriShapeTest, AShapeWithoutTrianglesReadsNoIndices)
{
    QrPointer<OpenShape> square = MakeSquare();
    const QrPoint3* vertices = square->GetVertices();
    const uint16_t indices[] = {0, 1, 2, 0, 2, 3};
    QrPointer<OpenShape> none(new OpenShape(4, vertices, nullptr, 0, nullptr, nullptr, nullptr));
    QrPointer<OpenShape> two(new OpenShape(4, vertices, nullptr, 2, indices, nullptr, nullptr));
    QrPointer<QrTriShape> copy = RoundTrip<QrTriShape>(none.Get());
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->GetIndexCount(), 0u);
    EXPECT_EQ(copy->GetIndices(), nullptr);
    // Two triangles add exactly their planes (16 bytes each) and indices (2 bytes each).
    EXPECT_EQ(Save({two.Get()}).size(), Save({none.Get()}).size() + 2 * 16 + 6 * 2);
}

TEST_F(QrTriShapeTest, IndicesBeyondTheVerticesFailTheLoad)
{
    QrPointer<OpenShape> shape = MakeSquare();
    shape->Indices()[4] = 4;
    EXPECT_TRUE(Load(Save({shape.Get()})).empty());
    EXPECT_EQ(QrStream::LastErrorCode, 2u);
    EXPECT_NE(QrStream::LastErrorContext.find("triangle index 4 is 4"), std::string::npos)
        << QrStream::LastErrorContext;

    // Triangles over a shape that has no vertex array at all.
    const uint16_t indices[] = {0, 0, 0};
    QrPointer<OpenShape> hollow(new OpenShape(1, nullptr, nullptr, 1, indices, nullptr, nullptr));
    EXPECT_TRUE(Load(Save({hollow.Get()})).empty());
    EXPECT_EQ(QrStream::LastErrorCode, 2u);
}

TEST_F(QrTriShapeTest, EveryFieldTakesPartInTheComparison)
{
    QrPointer<OpenShape> a = MakeSquare();
    QrPointer<OpenShape> b = MakeSquare();
    ASSERT_TRUE(a->IsEqual(b.Get()));
    b->Indices()[5] = 1;
    EXPECT_FALSE(a->IsEqual(b.Get()));
    b = MakeSquare();
    b->GetColors()[1].a = 0.25f;
    EXPECT_FALSE(a->IsEqual(b.Get()));
    b = MakeSquare();
    b->GetTextureCoords()[0].z = 1;
    EXPECT_FALSE(a->IsEqual(b.Get()));
    b = MakeSquare();
    b->DropPlanes();
    EXPECT_FALSE(a->IsEqual(b.Get()));
    b = MakeSquare();
    b->GetModelBound().Set(QrPoint3(0, 0, 0), 9);
    EXPECT_FALSE(a->IsEqual(b.Get()));
}

namespace
{

// Keeps the arguments of every RenderShape besides the logged line.
class CapturingRender : public RecordingRender
{
public:
    struct Shape
    {
        uint16_t triangles;
        uint16_t vertices;
        std::vector<QrPoint3> positions;
        std::vector<QrPoint3> normals;
        const QrPlane* planes;
        uint16_t sets;
        const QrPoint3* textureCoords;
        const QrColorA* colors;
        const uint16_t* indices;
        QrBound bound;
        QrPoint3 eye;
    };

    uint32_t RenderShape(uint16_t triangleCount, uint16_t vertexCount, const QrPoint3* vertices,
                         const QrPoint3* normals, const QrPlane* planes, uint16_t textureSetCount,
                         const QrPoint3* textureCoords, const QrColorA* colors, const uint16_t* indices,
                         const QrBound& worldBound, const QrPoint3& eye) override
    {
        Shape shape{triangleCount, vertexCount, {},      {},         planes, textureSetCount,
                    textureCoords, colors,      indices, worldBound, eye};
        if (vertices)
            shape.positions.assign(vertices, vertices + vertexCount);
        if (normals)
            shape.normals.assign(normals, normals + vertexCount);
        m_shapes.push_back(shape);
        return RecordingRender::RenderShape(triangleCount, vertexCount, vertices, normals, planes, textureSetCount,
                                            textureCoords, colors, indices, worldBound, eye);
    }

    void ClearCaptures() { m_shapes.clear(); }

    std::vector<Shape> m_shapes;
};

// A camera at the origin looking down +x (far plane at 100) drawing into a recording renderer.
class QrTriShapeDrawTest : public CameraDrawTest<CapturingRender>
{
};

std::ptrdiff_t IndexOf(const std::vector<std::string>& names, const char* name)
{
    auto it = std::find(names.begin(), names.end(), name);
    return it == names.end() ? -1 : it - names.begin();
}

} // namespace

TEST_F(QrTriShapeDrawTest, DrawSendsClipPlanesStateAndTransformThenTheShape)
{
    QrPointer<OpenShape> shape = MakeSquare();
    shape->SetTranslate(5, 0, 0);
    shape->SetScale(2);
    shape->SetRotate(float(M_PI / 2), 0, 1, 0);
    m_root->AttachChild(shape.Get());

    const std::vector<std::string> names = DrawFrame();
    ASSERT_EQ(m_render->m_shapes.size(), 1u);
    const std::ptrdiff_t clip = IndexOf(names, "SetClipPlanes");
    const std::ptrdiff_t draw = IndexOf(names, "RenderShape");
    ASSERT_GE(clip, 0);
    ASSERT_GT(draw, clip);
    EXPECT_EQ(names[size_t(draw - 1)], "SetWorldTransform");

    const CapturingRender::Shape& drawn = m_render->m_shapes[0];
    EXPECT_EQ(drawn.triangles, 2);
    EXPECT_EQ(drawn.vertices, 4);
    // World positions: the model scaled, turned and moved; model-space attribute arrays.
    ASSERT_EQ(drawn.positions.size(), 4u);
    shape->SetCurrentInstance(shape->GetInstanceAt(0));
    const QrPoint3* world = shape->GetWorldVertices();
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(drawn.positions[size_t(i)], world[i]) << "vertex " << i;
    EXPECT_TRUE(Near(drawn.positions[1], QrPoint3(5, 0, 2)));
    EXPECT_TRUE(Near(drawn.normals[0], QrPoint3(-1, 0, 0)));
    EXPECT_EQ(drawn.planes, shape->GetPlanes());
    EXPECT_EQ(drawn.sets, 1);
    EXPECT_EQ(drawn.textureCoords, shape->GetTextureCoords());
    EXPECT_EQ(drawn.colors, shape->GetColors());
    EXPECT_EQ(drawn.indices, shape->GetIndices());
    EXPECT_EQ(drawn.bound, shape->GetWorldBound());
    // The eye (the origin) in model space: R^T (0 - t) / s, t = (5, 0, 0), s = 2, R taking x to z.
    EXPECT_TRUE(Near(drawn.eye, QrPoint3(0, 0, 2.5f)));
}

TEST_F(QrTriShapeDrawTest, ASharedShapeDrawsOncePerInstance)
{
    QrPointer<OpenShape> shape = MakeSquare();
    QrPointer<QrNode> near(new QrNode);
    QrPointer<QrNode> far(new QrNode);
    near->SetTranslate(5, 0, 0);
    far->SetTranslate(50, 0, 0);
    near->AttachChild(shape.Get());
    far->AttachChild(shape.Get());
    m_root->AttachChild(near.Get());
    m_root->AttachChild(far.Get());

    DrawFrame();
    ASSERT_EQ(m_render->m_shapes.size(), 2u);
    EXPECT_EQ(m_render->m_shapes[0].positions[2], QrPoint3(6, 1, 0));
    EXPECT_EQ(m_render->m_shapes[1].positions[2], QrPoint3(51, 1, 0));
    EXPECT_EQ(m_render->m_shapes[0].eye, QrPoint3(-5, 0, 0));
    EXPECT_EQ(m_render->m_shapes[1].eye, QrPoint3(-50, 0, 0));
    EXPECT_EQ(shape->m_rebuilds, 2);

    // Moved vertices reach the next frame through MarkVerticesChanged alone.
    shape->GetVertices()[2] = QrPoint3(2, 2, 0);
    shape->MarkVerticesChanged();
    DrawFrame();
    ASSERT_EQ(m_render->m_shapes.size(), 2u);
    EXPECT_EQ(m_render->m_shapes[0].positions[2], QrPoint3(7, 2, 0));
    EXPECT_EQ(m_render->m_shapes[1].positions[2], QrPoint3(52, 2, 0));
}

TEST_F(QrTriShapeDrawTest, AShapeLoadedWithoutPlanesDrawsWithComputedOnes)
{
    QrPointer<OpenShape> source = MakeSquare();
    source->DropPlanes();
    source->SetTranslate(5, 0, 0);
    std::vector<QrPointer<QrObject>> loaded = Load(Save({source.Get()}));
    ASSERT_EQ(loaded.size(), 1u);
    auto* shape = QrDynamicCast<QrTriShape>(loaded[0].Get());
    m_root->AttachChild(shape);

    DrawFrame();
    ASSERT_EQ(m_render->m_shapes.size(), 1u);
    ASSERT_NE(m_render->m_shapes[0].planes, nullptr);
    EXPECT_EQ(m_render->m_shapes[0].planes[1], QrPlane(QrPoint3(0, 0, 1), 0.0f));
}

TEST_F(QrTriShapeDrawTest, AShapeWithoutTrianglesStillCallsTheRenderer)
{
    QrPointer<OpenShape> square = MakeSquare();
    QrPointer<OpenShape> empty(new OpenShape(4, square->GetVertices(), nullptr, 0, nullptr, nullptr, nullptr));
    empty->SetTranslate(5, 0, 0);
    m_root->AttachChild(empty.Get());
    DrawFrame();
    ASSERT_EQ(m_render->m_shapes.size(), 1u);
    EXPECT_EQ(m_render->m_shapes[0].triangles, 0);
    EXPECT_EQ(m_render->m_shapes[0].sets, 0);
    EXPECT_TRUE(m_render->m_shapes[0].normals.empty());
}

TEST_F(QrTriShapeDrawTest, NothingIsDrawnWithoutARendererOrOutsideTheView)
{
    QrPointer<OpenShape> shape = MakeSquare();
    shape->SetTranslate(-5, 0, 0); // behind the camera
    m_root->AttachChild(shape.Get());
    DrawFrame();
    EXPECT_TRUE(m_render->m_shapes.empty());

    shape->SetTranslate(5, 0, 0);
    m_display->SetRenderer(nullptr);
    DrawFrame();
    EXPECT_TRUE(m_render->m_shapes.empty());
    // A direct draw without a renderer is harmless too.
    shape->Draw(m_camera.Get(), shape->GetCurrentInstance());
    EXPECT_TRUE(m_render->GetLog().empty());
}
