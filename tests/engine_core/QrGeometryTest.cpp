// The geometry base: lazy per-instance world arrays, bounds, baked transforms, the oriented box,
// property sharing and the scene-file record (through the indexed shape, the concrete class).

#include "GeometryTestHelpers.h"
#include "QrMathTestHelpers.h"

#include "QrNode.h"
#include "SceneFileBuilder.h"

#include <cmath>

using namespace geomtest;

namespace
{

class QrGeometryTest : public QrEngineTest
{
};

// Root node with two children, each holding the same shape: one shape, two instances.
struct SharedScene
{
    QrPointer<QrNode> root{new QrNode};
    QrPointer<QrNode> left{new QrNode};
    QrPointer<QrNode> right{new QrNode};
    QrPointer<OpenShape> shape = MakeSquare();

    SharedScene()
    {
        root->AttachChild(left.Get());
        root->AttachChild(right.Get());
        left->AttachChild(shape.Get());
        right->AttachChild(shape.Get());
        left->SetTranslate(10, 0, 0);
        right->SetTranslate(0, 0, -5);
        right->SetScale(2);
        root->UpdateAllInstances();
    }

    QrAVInstance* Left() const { return shape->FindInstance(left.Get()); }
    QrAVInstance* Right() const { return shape->FindInstance(right.Get()); }
};

} // namespace

TEST_F(QrGeometryTest, WorldArraysAreMadePerInstanceOnlyWhenUsed)
{
    SharedScene scene;
    ASSERT_EQ(scene.shape->GetInstanceCount(), 2u);
    // The world update only marks them; nothing is computed until an instance is used.
    EXPECT_EQ(scene.shape->m_rebuilds, 0);
    EXPECT_EQ(GeometryInstance(scene.Left())->GetWorldVertices(), nullptr);
    EXPECT_EQ(GeometryInstance(scene.Right())->GetWorldVertices(), nullptr);

    scene.shape->PushState(nullptr, scene.Left());
    EXPECT_EQ(scene.shape->m_rebuilds, 1);
    EXPECT_EQ(scene.Left()->m_stale, 0);
    EXPECT_EQ(GeometryInstance(scene.Right())->GetWorldVertices(), nullptr);
    const QrPoint3* left = GeometryInstance(scene.Left())->GetWorldVertices();
    ASSERT_NE(left, nullptr);
    EXPECT_EQ(left[2], QrPoint3(11, 1, 0));

    // The getters work on the current instance and rebuild it when stale.
    scene.shape->SetCurrentInstance(scene.Right());
    const QrPoint3* right = scene.shape->GetWorldVertices();
    ASSERT_NE(right, nullptr);
    EXPECT_EQ(right[2], QrPoint3(2, 2, -5));                         // scale 2, then translation
    EXPECT_EQ(scene.shape->GetWorldNormals()[2], QrPoint3(0, 0, 1)); // normals are not scaled
    EXPECT_EQ(scene.shape->m_rebuilds, 2);
}

TEST_F(QrGeometryTest, WorldArraysFollowRotationScaleAndTranslation)
{
    QrPointer<QrNode> root(new QrNode);
    QrPointer<OpenShape> shape = MakeSquare();
    root->AttachChild(shape.Get());
    root->SetRotate(float(M_PI / 2), 0, 0, 1);
    root->SetTranslate(1, 2, 3);
    shape->SetScale(3);
    root->UpdateAllInstances();

    const QrPoint3* vertices = shape->GetWorldVertices();
    const QrPoint3* normals = shape->GetWorldNormals();
    // w = t + s R v: scaled by 3, turned a quarter about z (x onto -y), then moved.
    EXPECT_TRUE(Near(vertices[1], QrPoint3(1, -1, 3)));
    EXPECT_TRUE(Near(vertices[3], QrPoint3(4, 2, 3)));
    EXPECT_TRUE(Near(normals[0], QrPoint3(0, 0, 1)));
}

TEST_F(QrGeometryTest, RepeatedWorldUpdatesRebuildOnceAtTheNextUse)
{
    SharedScene scene;
    scene.shape->PushState(nullptr, scene.Left());
    ASSERT_EQ(scene.shape->m_rebuilds, 1);

    scene.left->SetTranslate(20, 0, 0);
    scene.root->UpdateAllInstances();
    scene.root->UpdateAllInstances();
    EXPECT_EQ(scene.shape->m_rebuilds, 1);
    scene.shape->PushState(nullptr, scene.Left());
    scene.shape->PushState(nullptr, scene.Left());
    EXPECT_EQ(scene.shape->m_rebuilds, 2);
    EXPECT_EQ(GeometryInstance(scene.Left())->GetWorldVertices()[0], QrPoint3(20, 0, 0));
}

TEST_F(QrGeometryTest, MarkVerticesChangedRebuildsEveryInstanceAndTheBound)
{
    SharedScene scene;
    scene.shape->PushState(nullptr, scene.Left());
    scene.shape->PushState(nullptr, scene.Right());
    const QrBound before = scene.shape->GetModelBound();

    // An in-place edit alone changes nothing the renderer sees: the copies are current.
    scene.shape->GetVertices()[2] = QrPoint3(4, 1, 0);
    scene.shape->PushState(nullptr, scene.Left());
    EXPECT_EQ(GeometryInstance(scene.Left())->GetWorldVertices()[2], QrPoint3(11, 1, 0));

    scene.shape->MarkVerticesChanged();
    EXPECT_EQ(scene.Left()->m_stale, 1);
    EXPECT_EQ(scene.Right()->m_stale, 1);
    EXPECT_EQ(scene.shape->GetModelBound().GetFlag(), 1);
    scene.shape->PushState(nullptr, scene.Left());
    EXPECT_EQ(GeometryInstance(scene.Left())->GetWorldVertices()[2], QrPoint3(14, 1, 0));
    scene.shape->SetCurrentInstance(scene.Right());
    EXPECT_EQ(scene.shape->GetWorldVertices()[2], QrPoint3(8, 2, -5));

    // The next world update takes the bound from the new vertices.
    scene.root->UpdateAllInstances();
    EXPECT_NE(scene.shape->GetModelBound(), before);
    EXPECT_EQ(scene.shape->GetModelBound().GetCenter(), QrPoint3(2, 0.5f, 0));
    scene.shape->SetCurrentInstance(scene.Left());
    EXPECT_EQ(scene.shape->GetWorldBound().GetCenter(), QrPoint3(12, 0.5f, 0));
}

TEST_F(QrGeometryTest, OnlyThePresentArraysGetWorldCopies)
{
    QrPointer<OpenShape> shape = MakeSquare(false);
    shape->Update(shape->GetCurrentInstance());
    EXPECT_NE(shape->GetWorldVertices(), nullptr);
    EXPECT_EQ(shape->GetWorldNormals(), nullptr);
    EXPECT_EQ(GeometryInstance(shape->GetCurrentInstance())->GetWorldNormals(), nullptr);

    // Normals without vertices: the shape holds no triangle it could draw.
    const QrPoint3 normals[] = {{0, 1, 0}, {1, 0, 0}};
    QrPointer<OpenShape> normalsOnly(new OpenShape(2, nullptr, normals, 0, nullptr, nullptr, nullptr));
    normalsOnly->Update(normalsOnly->GetCurrentInstance());
    EXPECT_EQ(normalsOnly->GetWorldVertices(), nullptr);
    ASSERT_NE(normalsOnly->GetWorldNormals(), nullptr);
    EXPECT_EQ(normalsOnly->GetWorldNormals()[1], QrPoint3(1, 0, 0));
    EXPECT_EQ(normalsOnly->GetWorldBound().GetRadius(), 0.0f);
}

TEST_F(QrGeometryTest, LoadedBoundIsReplacedByTheVerticesAtTheFirstUpdate)
{
    QrPointer<OpenShape> shape = MakeSquare();
    shape->GetModelBound().Set(QrPoint3(100, 100, 100), 1.0f);
    shape->SetTranslate(0, 0, 7);
    std::vector<QrPointer<QrObject>> loaded = Load(Save({shape.Get()}));
    ASSERT_EQ(loaded.size(), 1u);
    auto* copy = QrDynamicCast<QrTriShape>(loaded[0].Get());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->GetModelBound().GetCenter(), QrPoint3(100, 100, 100));
    EXPECT_EQ(copy->GetModelBound().GetFlag(), 1);

    copy->Update(copy->GetCurrentInstance());
    EXPECT_EQ(copy->GetModelBound().GetCenter(), QrPoint3(0.5f, 0.5f, 0));
    EXPECT_EQ(copy->GetWorldBound().GetCenter(), QrPoint3(0.5f, 0.5f, 7));
    EXPECT_FLOAT_EQ(copy->GetWorldBound().GetRadius(), std::sqrt(0.5f));
}

TEST_F(QrGeometryTest, ApplyTransformKeepsNormalsPerpendicularUnderNonUniformScale)
{
    // A slanted triangle with its true face normal at every vertex.
    const QrPoint3 vertices[] = {{0, 0, 0}, {1, 0, 1}, {0, 1, 0}};
    const uint16_t indices[] = {0, 1, 2};
    QrPointer<OpenShape> shape(new OpenShape(3, vertices, nullptr, 1, indices, nullptr, nullptr));
    shape->CalculateNormals();

    const QrMatrix3 stretch(4, 0, 0, 0, 1, 0, 0, 0, 0.5f);
    shape->ApplyTransform(stretch, QrPoint3(1, 2, 3), false);
    const QrPoint3* v = shape->GetVertices();
    EXPECT_EQ(v[1], QrPoint3(5, 2, 3.5f));
    const QrPoint3 n = shape->GetNormals()[0];
    EXPECT_NEAR(n.Dot(v[1] - v[0]), 0.0, 1e-5);
    EXPECT_NEAR(n.Dot(v[2] - v[0]), 0.0, 1e-5);
    EXPECT_GT(std::fabs(n.Length() - 1.0f), 0.01f); // carried, not renormalised
    // The planes and the bound follow the new vertices.
    EXPECT_EQ(shape->GetPlanes()[0].GetNormal(), (v[1] - v[0]).Cross(v[2] - v[1]));
    EXPECT_EQ(shape->GetModelBound().GetFlag(), 0);
    EXPECT_TRUE(Near(shape->GetModelBound().GetCenter(), QrPoint3(3, 2.5f, 3.25f)));
}

TEST_F(QrGeometryTest, ApplyTransformInParentFrameMatchesMovingTheObjectInItsParent)
{
    QrPointer<QrNode> parent(new QrNode);
    QrPointer<OpenShape> shape = MakeSquare();
    parent->AttachChild(shape.Get());
    shape->SetTranslate(3, -1, 2);
    shape->SetScale(2);
    shape->SetRotate(0.7f, 0, 1, 0);
    parent->UpdateAllInstances();

    QrMatrix3 m;
    m.MakeRotation(1.1f, 1, 0, 0);
    const QrPoint3 u(0.5f, 4, -2);
    // Where each vertex should end up in the parent's frame: M x + u.
    std::vector<QrPoint3> expected;
    for (uint16_t i = 0; i < shape->GetVertexCount(); ++i)
        expected.push_back(m.TimesPoint(shape->GetWorldVertices()[i]) + u);

    shape->ApplyTransform(m, u, true);
    EXPECT_EQ(shape->GetTranslate(), QrPoint3(3, -1, 2)); // the local transform stays
    parent->UpdateAllInstances();
    for (uint16_t i = 0; i < shape->GetVertexCount(); ++i)
        EXPECT_TRUE(Near(shape->GetWorldVertices()[i], expected[i], 1e-4)) << "vertex " << i;
}

TEST_F(QrGeometryTest, OrientedBoxOfCollinearPointsLiesAlongTheLine)
{
    const QrPoint3 vertices[] = {{1, 1, 1}, {3, 3, 3}, {2, 2, 2}, {7, 7, 7}};
    QrPointer<OpenShape> shape(new OpenShape(4, vertices, nullptr, 0, nullptr, nullptr, nullptr));
    QrPoint3 center, axes[3];
    float extents[3];
    shape->FitOrientedBox(center, axes, extents);

    EXPECT_EQ(center, QrPoint3(3.25f, 3.25f, 3.25f)); // the mean, not the middle of the box
    const float farthest = (QrPoint3(7, 7, 7) - center).Length();
    int along = -1;
    for (int k = 0; k < 3; ++k)
    {
        if (std::fabs(std::fabs(axes[k].Dot(QrPoint3(1, 1, 1))) - std::sqrt(3.0f)) < 1e-4f)
            along = k;
        else
            EXPECT_NEAR(extents[k], 0.0f, 1e-5f) << "axis " << k;
    }
    ASSERT_NE(along, -1);
    EXPECT_NEAR(extents[along], farthest, 1e-4f);

    // No vertices: a point box at the origin.
    QrPointer<OpenShape> empty(new OpenShape(0, nullptr, nullptr, 0, nullptr, nullptr, nullptr));
    empty->FitOrientedBox(center, axes, extents);
    EXPECT_EQ(center, QrPoint3::ZERO);
    EXPECT_EQ(extents[0] + extents[1] + extents[2], 0.0f);
}

TEST_F(QrGeometryTest, SharingPropertiesNeedsGeometryWithTheSameArrays)
{
    QrPointer<OpenShape> a = MakeSquare();
    QrPointer<OpenShape> b = MakeSquare();
    QrPointer<OpenShape> noNormals = MakeSquare(false);
    QrPointer<QrNode> node(new QrNode);
    EXPECT_TRUE(a->SharesProperties(b.Get(), 0));
    EXPECT_FALSE(a->SharesProperties(noNormals.Get(), 0));
    EXPECT_FALSE(noNormals->SharesProperties(a.Get(), 0));
    // Both property lists are empty, yet a node is no geometry.
    EXPECT_FALSE(a->SharesProperties(node.Get(), 0));
    EXPECT_FALSE(a->SharesProperties(nullptr, 0));
}

TEST_F(QrGeometryTest, ArraysRoundTripPresentOrAbsent)
{
    QrPointer<OpenShape> full = MakeSquare();
    full->SetName("full");
    full->SetTranslate(1, 2, 3);
    QrPointer<QrTriShape> copy = RoundTrip<QrTriShape>(full.Get());
    ASSERT_TRUE(copy);
    EXPECT_NE(copy->GetNormals(), nullptr);

    QrPointer<OpenShape> bare(new OpenShape(0, nullptr, nullptr, 0, nullptr, nullptr, nullptr));
    copy = RoundTrip<QrTriShape>(bare.Get());
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->GetVertices(), nullptr);
    EXPECT_EQ(copy->GetNormals(), nullptr);

    // Objects that differ in one array do not compare equal.
    QrPointer<OpenShape> other = MakeSquare();
    other->GetNormals()[3].z = -1;
    EXPECT_FALSE(full->IsEqual(other.Get()));
    other = MakeSquare(false);
    EXPECT_FALSE(full->IsEqual(other.Get()));
}

TEST_F(QrGeometryTest, OversizedVertexCountFailsBeforeAllocating)
{
    QrPointer<OpenShape> shape = MakeSquare();
    std::vector<uint8_t> bytes = Save({shape.Get()});
    // The vertex count follows the positioned-object part; find it by its value and the
    // presence word after it.
    const uint8_t pattern[] = {4, 0, 1, 0, 0, 0};
    auto at = std::search(bytes.begin(), bytes.end(), std::begin(pattern), std::end(pattern));
    ASSERT_NE(at, bytes.end());
    at[0] = 0xFF;
    at[1] = 0xFF;
    EXPECT_TRUE(Load(bytes).empty());
    EXPECT_EQ(QrStream::LastErrorCode, 2u);
    EXPECT_NE(QrStream::LastErrorContext.find("vertices"), std::string::npos) << QrStream::LastErrorContext;
}

TEST_F(QrGeometryTest, ACloneOfATreeSharesItsShapesWithOwnWorldArrays)
{
    QrPointer<QrNode> node(new QrNode);
    QrPointer<OpenShape> shape = MakeSquare();
    node->AttachChild(shape.Get());
    QrPointer<QrNode> copy = QrDynamicCast<QrNode>(node->CreateClone().Get());
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->GetChildAt(0), shape.Get());
    ASSERT_EQ(shape->GetInstanceCount(), 2u);

    node->SetTranslate(1, 0, 0);
    copy->SetTranslate(0, 3, 0);
    node->UpdateAllInstances();
    copy->UpdateAllInstances();
    shape->PushState(nullptr, shape->FindInstance(node.Get()));
    shape->PushState(nullptr, shape->FindInstance(copy.Get()));
    EXPECT_EQ(GeometryInstance(shape->FindInstance(node.Get()))->GetWorldVertices()[2], QrPoint3(2, 1, 0));
    EXPECT_EQ(GeometryInstance(shape->FindInstance(copy.Get()))->GetWorldVertices()[2], QrPoint3(1, 4, 0));
}

TEST_F(QrGeometryTest, AbstractGeometryClassesInAFileFailWithCode5)
{
    for (const char* name : {"QrGeometry", "QrTriBasedGeom"})
    {
        SCOPED_TRACE(name);
        EXPECT_TRUE(Load(SceneFileBuilder().Object(name, 1).End().Data()).empty());
        EXPECT_EQ(QrStream::LastErrorCode, 5u);
    }
}
