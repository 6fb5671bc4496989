// The environment-mapped shape: texture coordinates from the reflected view vector, worked out
// by hand; what the draw regenerates and what it leaves; its files are the plain shape's.

#include "GeometryFamilyTestHelpers.h"
#include "QrMathTestHelpers.h"

#include "QrEnvMappedTriShape.h"

#include <cmath>

using namespace familytest;
using geomtest::RoundTrip;
using geomtest::Save;

namespace
{

// A unit square in z = 0 (bound centre (0.5, 0.5, 0)) with the normals given, two texture
// sets and third components that the generation must keep.
QrPointer<QrEnvMappedTriShape> MakeSquare(const QrPoint3* normals, bool withCoords = true)
{
    const QrPoint3 vertices[] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    const uint16_t indices[] = {0, 1, 2, 0, 2, 3};
    const QrPoint3 first[] = {{9, 9, 0.1f}, {9, 9, 0.2f}, {9, 9, 0.3f}, {9, 9, 0.4f}};
    const QrPoint3 second[] = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}, {10, 11, 12}};
    QrPointer<QrEnvMappedTriShape> shape(
        new QrEnvMappedTriShape(4, vertices, normals, 2, indices, withCoords ? first : nullptr, nullptr));
    if (withCoords)
        shape->AddTextureSet(second);
    shape->Update(shape->GetCurrentInstance());
    return shape;
}

const QrPoint3 kFacingZ[] = {{0, 0, 1}, {0, 0, 1}, {0, 0, 1}, {0, 0, 1}};

void ExpectCoords(const QrEnvMappedTriShape* shape, int vertex, float s, float t)
{
    const QrPoint3& coords = shape->GetTextureCoords()[vertex];
    EXPECT_NEAR(coords.x, s, 1e-6f) << "vertex " << vertex;
    EXPECT_NEAR(coords.y, t, 1e-6f) << "vertex " << vertex;
}

class QrEnvMappedTriShapeTest : public QrEngineTest
{
};

class QrEnvMappedTriShapeDrawTest : public DrawTest
{
};

} // namespace

TEST_F(QrEnvMappedTriShapeTest, CoordinatesMapTheReflectionOfTheViewAboutEachNormal)
{
    // Seen square on: v = (0, 0, 1), r = (0, 0, -1).
    QrPointer<QrEnvMappedTriShape> square = MakeSquare(kFacingZ);
    square->GenerateEnvironmentCoordinates(QrPoint3(0.5f, 0.5f, 7));
    for (int i = 0; i < 4; ++i)
        ExpectCoords(square.Get(), i, 0.5f, 0.5f);

    // v = (0.6, 0, 0.8) against four normals:
    //   +z:            r = (0.6, 0, -0.8)          -> ((1 + 0.8) / 4, 0.5)
    //   +x:            r = (-0.6, 0, 0.8)          -> ((0.8 + 3) / 4, 0.5)
    //   +y:            r = v                        -> ((1 - 0.8) / 4, 0.5)
    //   (0, 0.6, 0.8): r = (0.6, -0.768, -0.224)    -> ((1 + 0.224) / 4, (1 - 0.768) / 2)
    const QrPoint3 normals[] = {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}, {0, 0.6f, 0.8f}};
    QrPointer<QrEnvMappedTriShape> shape = MakeSquare(normals);
    shape->GenerateEnvironmentCoordinates(QrPoint3(0.5f, 0.5f, 0) + QrPoint3(0.6f, 0, 0.8f) * 5.0f);
    ExpectCoords(shape.Get(), 0, 0.45f, 0.5f);
    ExpectCoords(shape.Get(), 1, 0.95f, 0.5f);
    ExpectCoords(shape.Get(), 2, 0.05f, 0.5f);
    ExpectCoords(shape.Get(), 3, 0.306f, 0.116f);
    // The third components and the second set stay as they were.
    EXPECT_FLOAT_EQ(shape->GetTextureCoords()[3].z, 0.4f);
    EXPECT_EQ(shape->GetTextureCoords()[4 + 2], QrPoint3(7, 8, 9));
}

TEST_F(QrEnvMappedTriShapeTest, WorldNormalsAndTheWorldBoundCentreAreUsed)
{
    // Turned so that x goes to z: the model +z normals face world -x.
    QrPointer<QrEnvMappedTriShape> shape = MakeSquare(kFacingZ);
    shape->SetRotate(float(M_PI / 2), 0, 1, 0);
    shape->SetTranslate(0, 0, 10);
    shape->Update(shape->GetCurrentInstance());
    const QrPoint3 centre = shape->GetWorldBound().GetCenter();
    // Viewed from -x: v = (-1, 0, 0) = n, r = -v = (1, 0, 0) -> ((1 - 0) / 4, 0.5).
    shape->GenerateEnvironmentCoordinates(centre + QrPoint3(-4, 0, 0));
    ExpectCoords(shape.Get(), 0, 0.25f, 0.5f);
    // Viewed from +y: n . v = 0, r = v = (0, 1, 0) -> (0.25, 1).
    shape->GenerateEnvironmentCoordinates(centre + QrPoint3(0, 3, 0));
    ExpectCoords(shape.Get(), 2, 0.25f, 1.0f);
}

TEST_F(QrEnvMappedTriShapeTest, MissingArraysAndAnEyeAtTheCentreStillGiveCoordinates)
{
    // No normals: r = v = (-1, 0, 0) -> ((0 + 3) / 4, 0.5). No coordinates: one set is made.
    QrPointer<QrEnvMappedTriShape> bare = MakeSquare(nullptr, false);
    EXPECT_EQ(bare->GetTextureCoords(), nullptr);
    bare->GenerateEnvironmentCoordinates(QrPoint3(-10, 0.5f, 0));
    ASSERT_NE(bare->GetTextureCoords(), nullptr);
    EXPECT_EQ(bare->GetTextureSetCount(), 1);
    for (int i = 0; i < 4; ++i)
        ExpectCoords(bare.Get(), i, 0.75f, 0.5f);

    // An eye at the bound centre: v = r = 0.
    QrPointer<QrEnvMappedTriShape> shape = MakeSquare(kFacingZ);
    shape->GenerateEnvironmentCoordinates(QrPoint3(0.5f, 0.5f, 0));
    for (int i = 0; i < 4; ++i)
        ExpectCoords(shape.Get(), i, 0.25f, 0.5f);
}

TEST_F(QrEnvMappedTriShapeTest, FilesAreThePlainShapesUnderItsOwnClassName)
{
    QrPointer<QrEnvMappedTriShape> shape = MakeSquare(kFacingZ);
    shape->SetName("chrome");
    QrPointer<QrEnvMappedTriShape> loaded = RoundTrip<QrEnvMappedTriShape>(shape.Get());
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->GetTextureSetCount(), 2);
}

TEST_F(QrEnvMappedTriShapeDrawTest, EachDrawRegeneratesFromTheCameraWithoutAModelTransform)
{
    QrPointer<QrEnvMappedTriShape> shape = MakeSquare(kFacingZ);
    // Standing at x = 5 facing the camera: turned about y so that model +z becomes world -x.
    shape->SetRotate(float(M_PI / 2), 0, 1, 0);
    shape->SetTranslate(5, 0, 0);
    m_root->AttachChild(shape.Get());

    const std::vector<std::string> names = DrawFrame();
    ASSERT_EQ(m_render->m_calls.size(), 1u);
    EXPECT_EQ(std::find(names.begin(), names.end(), "SetWorldTransform"), names.end());
    const DrawCall& call = m_render->m_calls[0];
    EXPECT_EQ(call.kind, "RenderShape");
    EXPECT_EQ(call.sets, 2);
    EXPECT_EQ(call.textureCoords, shape->GetTextureCoords());
    // The eye (origin) from the bound centre, reflected about the normal facing it.
    const QrPoint3 centre = shape->GetWorldBound().GetCenter();
    QrPoint3 v = QrPoint3() - centre;
    v.Unitize();
    const QrPoint3 n = shape->GetWorldNormals()[0];
    EXPECT_TRUE(Near(n, QrPoint3(-1, 0, 0)));
    const QrPoint3 r = v - n * (2.0f * v.Dot(n));
    ASSERT_EQ(call.firstSet.size(), 4u);
    EXPECT_NEAR(call.firstSet[0].x, r.x >= 0 ? (1 - r.z) * 0.25f : (r.z + 3) * 0.25f, 1e-6f);
    EXPECT_NEAR(call.firstSet[0].y, (r.y + 1) * 0.5f, 1e-6f);
    const std::vector<QrPoint3> positions = call.vertices;
    const float firstT = call.firstSet[0].y;

    // A camera moved up changes the coordinates, not the positions.
    MoveCamera(0, 3, 0);
    DrawFrame();
    ASSERT_EQ(m_render->m_calls.size(), 1u);
    EXPECT_EQ(m_render->m_calls[0].vertices, positions);
    EXPECT_GT(m_render->m_calls[0].firstSet[0].y, firstT + 0.1f);
}
