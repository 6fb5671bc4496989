#include "QrTestFixture.h"

#include "CollisionTestHelpers.h"
#include "GeometryTestHelpers.h"
#include "QrAlphaProperty.h"
#include "QrGeometryInstance.h"
#include "QrNode.h"
#include "QrTriMesh.h"
#include "QrTriShape.h"
#include "QrZBufferProperty.h"

#include <algorithm>
#include <vector>

// A shape class the clean-up and merge do not know: it may keep per-vertex data of its own.
class MergeTestSkin : public QrTriShape
{
    QR_DECLARE_RTTI

public:
    using QrTriShape::QrTriShape;
};

QR_IMPLEMENT_RTTI(MergeTestSkin, QrTriShape)

namespace
{

// Attributes of one vertex, so that a test can make copies that differ in one of them.
struct Vertex
{
    QrPoint3 position;
    QrPoint3 normal{0, 0, 1};
    QrColorA color{1, 1, 1, 1};
    QrPoint3 uv;
    QrPoint3 uv2;
};

// A shape with normals, colours and two texture sets.
template <class Shape = QrTriShape>
QrPointer<Shape> MakeShape(const std::vector<Vertex>& vertices, const std::vector<uint16_t>& indices)
{
    std::vector<QrPoint3> positions, normals, uv, uv2;
    std::vector<QrColorA> colors;
    for (const Vertex& v : vertices)
    {
        positions.push_back(v.position);
        normals.push_back(v.normal);
        colors.push_back(v.color);
        uv.push_back(v.uv);
        uv2.push_back(v.uv2);
    }
    QrPointer<Shape> shape(new Shape(uint16_t(vertices.size()), positions.data(), normals.data(),
                                     uint16_t(indices.size() / 3), indices.data(), uv.data(), colors.data()));
    shape->AddTextureSet(uv2.data());
    return shape;
}

Vertex At(float x, float y, float z = 0.0f)
{
    Vertex v;
    v.position = QrPoint3(x, y, z);
    v.uv = QrPoint3(x, y, 0);
    v.uv2 = QrPoint3(y, x, 0);
    v.color = QrColorA(x, y, z, 1);
    return v;
}

std::vector<uint16_t> Indices(const QrTriShape& shape)
{
    return std::vector<uint16_t>(shape.GetIndices(), shape.GetIndices() + shape.GetIndexCount());
}

std::vector<QrPoint3> Positions(const QrTriShape& shape)
{
    return std::vector<QrPoint3>(shape.GetVertices(), shape.GetVertices() + shape.GetVertexCount());
}

// A square of two triangles whose seam vertices are stored twice.
std::vector<Vertex> SplitSquare()
{
    return {At(0, 0), At(1, 0), At(1, 1), At(0, 0), At(1, 1), At(0, 1)};
}

} // namespace

using QrCleanUpTest = QrEngineTest;

TEST_F(QrCleanUpTest, SeamCopiesWithEqualAttributesAreWelded)
{
    auto shape = MakeShape(SplitSquare(), {0, 1, 2, 3, 4, 5});
    EXPECT_FALSE(shape->Optimize(0));
    EXPECT_EQ(shape->GetVertexCount(), 4);
    EXPECT_EQ(Indices(*shape), (std::vector<uint16_t>{0, 1, 2, 0, 2, 3}));
    EXPECT_EQ(Positions(*shape), (std::vector<QrPoint3>{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}));
    // Every attribute array follows the renumbering, each texture set on its own.
    ExpectNear(shape->GetTextureCoords()[3], QrPoint3(0, 1, 0));
    ExpectNear(shape->GetTextureCoords()[4 + 3], QrPoint3(1, 0, 0));
    EXPECT_TRUE(shape->GetColors()[3].IsEqual(QrColorA(0, 1, 0, 1)));
    ExpectNear(shape->GetNormals()[3], QrPoint3(0, 0, 1));
    EXPECT_EQ(shape->GetTextureSetCount(), 2);
    // Planes are made again from the new vertices.
    ExpectNear(shape->GetPlanes()[1].GetNormal(), QrPoint3(0, 0, 1));
}

TEST_F(QrCleanUpTest, CopiesThatDifferInAnyAttributeStaySeparate)
{
    for (int attribute = 0; attribute < 4; ++attribute)
    {
        std::vector<Vertex> vertices = SplitSquare();
        Vertex& copy = vertices[3];
        if (attribute == 0)
            copy.normal = QrPoint3(0, 0, -1);
        else if (attribute == 1)
            copy.color.a = 0.5f;
        else if (attribute == 2)
            copy.uv.z = 1;
        else
            copy.uv2 = QrPoint3(9, 9, 9); // the second set only
        auto shape = MakeShape(vertices, {0, 1, 2, 3, 4, 5});
        EXPECT_FALSE(shape->Optimize(0));
        EXPECT_EQ(shape->GetVertexCount(), 5) << "attribute " << attribute;
        EXPECT_EQ(Indices(*shape), (std::vector<uint16_t>{0, 1, 2, 3, 2, 4})) << "attribute " << attribute;
    }
}

TEST_F(QrCleanUpTest, UnusableTrianglesGoAndTheRestKeepTheirOrder)
{
    const std::vector<Vertex> vertices = {
        At(0, 0),    At(1, 0),         At(0, 1),    // 0: kept
        At(5, 5),    At(5.0001f, 5),   At(5, 6),    // sliver: squared edges from p0 differ by 1e8
        At(0, 0, 1), At(1, 0, 1),      At(2, 0, 1), // a straight line
        At(0, 0, 2), At(0.001f, 0, 2), At(0, 1, 2), // squared edges differ by 1e6: kept
        At(3, 3),    At(3, 3),         At(4, 3),    // a zero-length edge
    };
    const std::vector<uint16_t> indices = {0, 1, 2, 3, 4, 5, 0, 0, 1, 6, 7, 8, 9, 10, 11, 12, 13, 14};
    auto shape = MakeShape(vertices, indices);
    EXPECT_FALSE(shape->Optimize(0));
    EXPECT_EQ(shape->GetTriangleCount(), 2);
    EXPECT_EQ(shape->GetIndexCount(), 6u);
    EXPECT_EQ(Indices(*shape), (std::vector<uint16_t>{0, 1, 2, 3, 4, 5}));
    ASSERT_EQ(shape->GetVertexCount(), 6);
    ExpectNear(shape->GetVertices()[4], QrPoint3(0.001f, 0, 2));

    EXPECT_TRUE(QrTriMesh::IsValidTriangle(0, 1, 2, QrPoint3(0, 0, 0), QrPoint3(1, 0, 0), QrPoint3(0, 1, 0)));
    EXPECT_FALSE(QrTriMesh::IsValidTriangle(0, 1, 1, QrPoint3(0, 0, 0), QrPoint3(1, 0, 0), QrPoint3(0, 1, 0)));
    // Ratio 1e8 the other way round.
    EXPECT_FALSE(QrTriMesh::IsValidTriangle(0, 1, 2, QrPoint3(0, 0, 0), QrPoint3(1, 0, 0), QrPoint3(0, 1e-4f, 0)));
    // An angle of about 0.01 degrees at p0.
    EXPECT_FALSE(QrTriMesh::IsValidTriangle(0, 1, 2, QrPoint3(0, 0, 0), QrPoint3(1, 0, 0), QrPoint3(1, 1e-4f, 0)));
}

TEST_F(QrCleanUpTest, AShapeWithNothingUsableIsReportedEmptyAndLeftAsItWas)
{
    auto shape = MakeShape({At(0, 0), At(1, 0), At(2, 0), At(3, 0)}, {0, 1, 2, 1, 2, 3, 0, 0, 3});
    const QrPlane plane = shape->GetPlanes()[0];
    EXPECT_TRUE(shape->Optimize(0));
    EXPECT_EQ(shape->GetVertexCount(), 4);
    EXPECT_EQ(Indices(*shape), (std::vector<uint16_t>{0, 1, 2, 1, 2, 3, 0, 0, 3}));
    EXPECT_TRUE(shape->GetPlanes()[0].IsEqual(plane));

    auto empty = MakeShape({At(0, 0)}, {});
    EXPECT_TRUE(empty->Optimize(0));
}

TEST_F(QrCleanUpTest, CleanUpDropsCollisionDataBuiltOnTheOldVertices)
{
    auto shape = MakeShape(SplitSquare(), {0, 1, 2, 3, 4, 5});
    shape->Update(shape->GetCurrentInstance());
    shape->CreateCollisionData(nullptr, 0);
    auto* instance = static_cast<QrGeometryInstance*>(shape->GetCurrentInstance());
    ASSERT_NE(instance->GetCollisionData(), nullptr);
    EXPECT_FALSE(shape->Optimize(0));
    EXPECT_EQ(instance->GetCollisionData(), nullptr);
    EXPECT_EQ(instance->m_stale, 1) << "world copies are rebuilt from the new vertices";

    // Nothing to remove or weld: the data stays.
    shape->CreateCollisionData(nullptr, 0);
    QrCollisionData* kept = instance->GetCollisionData();
    EXPECT_FALSE(shape->Optimize(0));
    EXPECT_EQ(instance->GetCollisionData(), kept);
}

TEST_F(QrCleanUpTest, ShapesOfOtherClassesAreLeftUntouched)
{
    auto skin = MakeShape<MergeTestSkin>(SplitSquare(), {0, 1, 2, 3, 4, 5, 0, 0, 1});
    EXPECT_FALSE(skin->Optimize(0));
    EXPECT_FALSE(skin->RemoveDegenerateTriangles());
    EXPECT_EQ(skin->GetVertexCount(), 6);
    EXPECT_EQ(skin->GetTriangleCount(), 3);
    EXPECT_EQ(Indices(*skin), (std::vector<uint16_t>{0, 1, 2, 3, 4, 5, 0, 0, 1}));
}

using QrMergeTest = QrEngineTest;

TEST_F(QrMergeTest, JoinedShapesKeepOrderOffsetIndicesAndShareProperties)
{
    auto first = MakeShape({At(0, 0), At(1, 0), At(0, 1)}, {0, 1, 2});
    auto second = MakeShape({At(5, 0), At(6, 0), At(6, 1), At(5, 1)}, {0, 1, 2, 0, 2, 3});
    QrPointer<QrAlphaProperty> alpha(new QrAlphaProperty);
    QrPointer<QrZBufferProperty> zbuffer(new QrZBufferProperty);
    first->AttachProperty(alpha.Get());
    first->AttachProperty(zbuffer.Get());
    first->SetName("first");
    second->AttachProperty(alpha.Get());
    second->AttachProperty(zbuffer.Get());
    ASSERT_TRUE(first->SharesProperties(second.Get(), 0));

    QrTArray<QrAVObject> group(0, 1);
    group.Add(first.Get());
    group.Add(second.Get());
    QrPointer<QrAVObject> out;
    first->CreateMerged(out, group);
    ASSERT_TRUE(out);
    ASSERT_TRUE(out->IsExactly(&QrTriShape::ms_RTTI));
    QrTriShape& merged = static_cast<QrTriShape&>(*out);
    EXPECT_EQ(merged.GetVertexCount(), 7);
    EXPECT_EQ(merged.GetTriangleCount(), 3);
    EXPECT_EQ(Indices(merged), (std::vector<uint16_t>{0, 1, 2, 3, 4, 5, 3, 5, 6}));
    ASSERT_EQ(merged.GetTextureSetCount(), 2);
    for (int k = 0; k < 7; ++k)
    {
        const QrPoint3& p = merged.GetVertices()[k];
        ExpectNear(merged.GetTextureCoords()[k], QrPoint3(p.x, p.y, 0));
        ExpectNear(merged.GetTextureCoords()[7 + k], QrPoint3(p.y, p.x, 0));
        EXPECT_TRUE(merged.GetColors()[k].IsEqual(QrColorA(p.x, p.y, 0, 1)));
    }
    ExpectNear(merged.GetVertices()[3], QrPoint3(5, 0, 0));
    // The same property objects, in reverse order; nothing else is carried over.
    std::vector<QrProperty*> properties;
    for (QrProperty* property : merged.GetPropertyList())
        properties.push_back(property);
    EXPECT_EQ(properties, (std::vector<QrProperty*>{alpha.Get(), zbuffer.Get()}));
    EXPECT_EQ(merged.GetName(), nullptr);
    ExpectNear(merged.GetTranslate(), QrPoint3());
    // The inputs are unchanged.
    EXPECT_EQ(first->GetVertexCount(), 3);
    EXPECT_EQ(Indices(*second), (std::vector<uint16_t>{0, 1, 2, 0, 2, 3}));
}

TEST_F(QrMergeTest, VerticesThatBecomeEqualAcrossShapesAreWelded)
{
    auto first = MakeShape({At(0, 0), At(1, 0), At(1, 1)}, {0, 1, 2});
    auto second = MakeShape({At(0, 0), At(1, 1), At(0, 1)}, {0, 1, 2});
    QrTArray<QrAVObject> group(0, 1);
    group.Add(first.Get());
    group.Add(second.Get());
    QrPointer<QrAVObject> out;
    first->CreateMerged(out, group);
    ASSERT_TRUE(out);
    QrTriShape& merged = static_cast<QrTriShape&>(*out);
    EXPECT_EQ(merged.GetVertexCount(), 4);
    EXPECT_EQ(Indices(merged), (std::vector<uint16_t>{0, 1, 2, 0, 2, 3}));
}

TEST_F(QrMergeTest, GroupsThatCannotBeJoinedGiveNoShape)
{
    auto plain = MakeShape({At(0, 0), At(1, 0), At(0, 1)}, {0, 1, 2});
    auto skin = MakeShape<MergeTestSkin>({At(2, 0), At(3, 0), At(2, 1)}, {0, 1, 2});
    QrPointer<QrTriShape> noColors = []
    {
        const QrPoint3 p[] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
        const uint16_t i[] = {0, 1, 2};
        return QrPointer<QrTriShape>(new QrTriShape(3, p, nullptr, 1, i, nullptr, nullptr));
    }();
    auto attempt = [](QrTriShape& shape, std::vector<QrAVObject*> members)
    {
        QrTArray<QrAVObject> group(0, 1);
        for (QrAVObject* member : members)
            group.Add(member);
        QrPointer<QrAVObject> out(&shape); // overwritten with null
        shape.CreateMerged(out, group);
        return out;
    };
    EXPECT_FALSE(attempt(*plain, {plain.Get(), skin.Get()}));
    EXPECT_FALSE(attempt(*skin, {skin.Get(), plain.Get()}));
    EXPECT_FALSE(attempt(*plain, {plain.Get(), noColors.Get()}));
    EXPECT_EQ(skin->GetVertexCount(), 3);

    // Totals beyond 16 bits.
    std::vector<Vertex> many(40000, At(0, 0));
    many[1] = At(1, 0);
    many[2] = At(0, 1);
    auto big = MakeShape(many, {0, 1, 2});
    auto big2 = MakeShape(many, {0, 1, 2});
    EXPECT_FALSE(attempt(*big, {big.Get(), big2.Get()}));
    EXPECT_TRUE(attempt(*big, {big.Get()}));
}

TEST_F(QrMergeTest, ANodeMergesShapesThatShareTheirPropertiesAndDropsEmptyOnes)
{
    QrPointer<QrNode> node(new QrNode);
    auto a = MakeShape({At(0, 0), At(1, 0), At(0, 1)}, {0, 1, 2});
    auto b = MakeShape({At(5, 0), At(6, 0), At(5, 1)}, {0, 1, 2});
    auto flat = MakeShape({At(0, 0), At(1, 0), At(2, 0)}, {0, 1, 2});
    auto skin = MakeShape<MergeTestSkin>({At(0, 0), At(1, 0), At(2, 0)}, {0, 1, 2});
    for (QrAVObject* child : std::initializer_list<QrAVObject*>{a.Get(), flat.Get(), b.Get(), skin.Get()})
        node->AttachChild(child);
    EXPECT_FALSE(node->Optimize(QrNode::kOptimizeRemoveEmpty));
    ASSERT_EQ(node->GetChildCount(), 2u);
    std::vector<QrAVObject*> children = {node->GetChildAt(0), node->GetChildAt(1)};
    EXPECT_NE(std::find(children.begin(), children.end(), skin.Get()), children.end()) << "kept as it is";
    const QrAVObject* merged = children[0] == skin.Get() ? children[1] : children[0];
    ASSERT_TRUE(merged->IsExactly(&QrTriShape::ms_RTTI));
    EXPECT_EQ(static_cast<const QrTriShape*>(merged)->GetVertexCount(), 6);
}
