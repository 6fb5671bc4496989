#include "QrTestFixture.h"

#include "CollisionTestHelpers.h"
#include "QrCollisionData.h"
#include "QrCollisionRecord.h"
#include "QrGeometryInstance.h"
#include "QrNode.h"
#include "QrOBBLeaf.h"
#include "QrOBBNode.h"
#include "QrStream.h"
#include "QrTriShape.h"
#include "SceneTestObjects.h"
#include "TestFiles.h"

#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace collisiontest;

namespace
{

using Triple = std::array<uint16_t, 3>;

// Every leaf of the tree, depth first, first child first.
void CollectLeaves(const QrOBB* box, std::vector<const QrOBBLeaf*>& leaves)
{
    if (!box)
        return;
    if (box->IsLeaf())
    {
        leaves.push_back(static_cast<const QrOBBLeaf*>(box));
        return;
    }
    CollectLeaves(box->GetFirstChild(), leaves);
    CollectLeaves(box->GetSecondChild(), leaves);
}

std::vector<Triple> SortedTriangles(const Mesh& mesh)
{
    std::vector<Triple> triangles;
    for (size_t t = 0; t < mesh.indices.size(); t += 3)
        triangles.push_back({mesh.indices[t], mesh.indices[t + 1], mesh.indices[t + 2]});
    std::sort(triangles.begin(), triangles.end());
    return triangles;
}

// Every pair of triangles that meets reports its own first contact: the earliest is the
// meshes' first contact, the others come later within the interval.
float EarliestTime(float interval)
{
    float earliest = interval + 1.0f;
    for (const LoggedContact& logged : g_contacts)
    {
        EXPECT_GE(logged.contact.m_time, 0.0f);
        EXPECT_LE(logged.contact.m_time, interval);
        earliest = std::min(earliest, logged.contact.m_time);
    }
    return earliest;
}

} // namespace

// A mesh with its placement and collision data, as one side of a query.
struct Side
{
    Side(Mesh meshIn, uint32_t splitSize, const QrMatrix3& rotation = Identity(),
         const QrPoint3& translation = QrPoint3(), float scale = 1.0f)
        : mesh(std::move(meshIn))
    {
        for (const QrPoint3& v : mesh.vertices)
            world.push_back(rotation.TimesPoint(v) * scale + translation);
        data = std::make_unique<QrCollisionData>(mesh.TriangleCount(), mesh.indices.data(), mesh.vertices.data(),
                                                 world.data(), splitSize);
        data->SetWorldTransform(rotation, translation, scale);
        data->SetTimeInterval(1.0f);
    }
    Mesh mesh;
    std::vector<QrPoint3> world;
    std::unique_ptr<QrCollisionData> data;
};

class QrCollisionDataTest : public QrEngineTest
{
protected:
    void SetUp() override
    {
        QrEngineTest::SetUp();
        ResetLog();
        m_objectA = new SceneTestLeaf;
        m_objectB = new SceneTestLeaf;
        m_objectA->GetCurrentInstance()->m_collisionCallback = CallbackA;
        m_objectB->GetCurrentInstance()->m_collisionCallback = CallbackB;
    }
    void TearDown() override
    {
        m_objectA = nullptr;
        m_objectB = nullptr;
        QrEngineTest::TearDown();
    }
    uint32_t Find(Side& a, Side& b, int32_t budgetA, int32_t budgetB)
    {
        return a.data->FindCollisions(b.data.get(), m_objectA.Get(), m_objectB.Get(), budgetA, budgetB);
    }

    QrPointer<SceneTestLeaf> m_objectA;
    QrPointer<SceneTestLeaf> m_objectB;
};

TEST_F(QrCollisionDataTest, OneTriangleMakesALeafAndMoreMakeATree)
{
    const Mesh box = BoxMesh(QrPoint3(), 1.0f, 0.5f, 0.25f);
    Mesh one;
    one.vertices = box.vertices;
    one.indices.assign(box.indices.begin(), box.indices.begin() + 3);
    Side single(one, 0);
    ASSERT_NE(single.data->GetRoot(), nullptr);
    EXPECT_TRUE(single.data->GetRoot()->IsLeaf());
    // The leaf box is flat across the triangle and holds its three corners.
    const QrOBB& leaf = *single.data->GetRoot();
    EXPECT_NEAR(leaf.m_modelExtents.z, 0.0f, 1e-6f);
    for (uint16_t k : {one.indices[0], one.indices[1], one.indices[2]})
    {
        const QrPoint3 q = one.vertices[k] - leaf.m_modelCenter;
        for (int i = 0; i < 3; ++i)
            EXPECT_LE(std::fabs(q.Dot(leaf.m_modelAxes[i])), (&leaf.m_modelExtents.x)[i] + 1e-5f);
    }

    Side tree(box, 0);
    ASSERT_NE(tree.data->GetRoot(), nullptr);
    EXPECT_FALSE(tree.data->GetRoot()->IsLeaf());
    std::vector<const QrOBBLeaf*> leaves;
    CollectLeaves(tree.data->GetRoot(), leaves);
    EXPECT_EQ(leaves.size(), 12u);
    // The root box of an axis-aligned box mesh is that box.
    const QrOBB& root = *tree.data->GetRoot();
    std::vector<float> extents = {root.m_modelExtents.x, root.m_modelExtents.y, root.m_modelExtents.z};
    std::sort(extents.begin(), extents.end());
    EXPECT_NEAR(extents[0], 0.25f, 1e-5f);
    EXPECT_NEAR(extents[1], 0.5f, 1e-5f);
    EXPECT_NEAR(extents[2], 1.0f, 1e-5f);
    ExpectNear(root.m_modelCenter, QrPoint3());

    // No triangles: no tree, and no contact with anything.
    Side empty(Mesh{}, 0);
    EXPECT_EQ(empty.data->GetRoot(), nullptr);
    EXPECT_EQ(empty.data->TestCollision(tree.data.get(), -1, -1), 0u);
    EXPECT_EQ(tree.data->TestCollision(empty.data.get(), -1, -1), 0u);
}

TEST_F(QrCollisionDataTest, TreeOverMoreThan21845TrianglesKeepsEveryTriangle)
{
    // 24,200 triangles: 3 x index passes 65,535 past triangle 21,845.
    Side grid(GridMesh(110, 110, 1.0f), 0);
    ASSERT_GT(grid.mesh.TriangleCount(), 21845);
    std::vector<const QrOBBLeaf*> leaves;
    CollectLeaves(grid.data->GetRoot(), leaves);
    std::vector<Triple> found;
    for (const QrOBBLeaf* leaf : leaves)
        found.push_back({leaf->m_vertexIndices[0], leaf->m_vertexIndices[1], leaf->m_vertexIndices[2]});
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, SortedTriangles(grid.mesh));

    // A small box dropped onto the far corner (the last triangles) meets the grid there.
    Side box(BoxMesh(QrPoint3(109.5f, 109.5f, 1.0f), 0.25f, 0.25f, 0.25f), 0);
    box.data->SetVelocity(QrPoint3(0, 0, -1.5f));
    EXPECT_EQ(grid.data->TestCollision(box.data.get(), -1, -1), 1u);
    EXPECT_EQ(Find(box, grid, -1, -1), 0u);
    ASSERT_FALSE(g_contacts.empty());
    EXPECT_NEAR(EarliestTime(1.0f), 0.5f, 1e-5f);
    for (const LoggedContact& logged : g_contacts)
    {
        EXPECT_NEAR(logged.contact.m_point.z, 0.0f, 1e-5f);
        EXPECT_GE(logged.contact.m_point.x, 109.25f - 1e-4f);
        EXPECT_GE(logged.contact.m_point.y, 109.25f - 1e-4f);
    }
}

TEST_F(QrCollisionDataTest, RangesOnOneSideOfEveryAxisSplitInTheMiddle)
{
    // Three triangles whose centroids lie on the same side of the root box's centre along
    // each of its axes: no axis separates them.
    Mesh mesh;
    mesh.vertices = {QrPoint3(0, 1, 0), QrPoint3(4, 3, 2), QrPoint3(3, 2, 2), QrPoint3(1, 4, 1), QrPoint3(2, 3, 3),
                     QrPoint3(4, 0, 0), QrPoint3(2, 0, 3), QrPoint3(1, 3, 2), QrPoint3(3, 3, 1)};
    mesh.indices = {0, 1, 2, 3, 4, 5, 6, 7, 8};
    Side side(mesh, 0);
    const QrOBB* root = side.data->GetRoot();
    for (const QrPoint3& axis : root->m_modelAxes)
    {
        int positive = 0;
        for (int t = 0; t < 3; ++t)
        {
            const QrPoint3 centroid =
                (mesh.vertices[3 * t] + mesh.vertices[3 * t + 1] + mesh.vertices[3 * t + 2]) * 0.33333334f;
            positive += (centroid - root->m_modelCenter).Dot(axis) > 0.0f ? 1 : 0;
        }
        ASSERT_TRUE(positive == 0 || positive == 3) << "the data no longer sets up the one-sided case";
    }
    // Middle of [0, 2] is 1: triangles 0 and 1 to the left, 2 to the right, order kept.
    const QrOBB* left = root->GetFirstChild();
    const QrOBB* right = root->GetSecondChild();
    ASSERT_TRUE(left && right);
    ASSERT_FALSE(left->IsLeaf());
    ASSERT_TRUE(right->IsLeaf());
    EXPECT_EQ(static_cast<const QrOBBLeaf*>(right)->m_vertexIndices[0], 6);
    ASSERT_TRUE(left->GetFirstChild() && left->GetFirstChild()->IsLeaf());
    ASSERT_TRUE(left->GetSecondChild() && left->GetSecondChild()->IsLeaf());
    std::vector<int> firsts = {static_cast<const QrOBBLeaf*>(left->GetFirstChild())->m_vertexIndices[0],
                               static_cast<const QrOBBLeaf*>(left->GetSecondChild())->m_vertexIndices[0]};
    std::sort(firsts.begin(), firsts.end());
    EXPECT_EQ(firsts, (std::vector<int>{0, 3}));
}

TEST_F(QrCollisionDataTest, SplitSizeLargerThanTheRangeLeavesAChildlessBoxThatStandsForTheContact)
{
    Side a(BoxMesh(QrPoint3(), 1.0f, 0.5f, 0.25f), 20);
    Side b(BoxMesh(QrPoint3(1.5f, 0, 0), 1.0f, 0.5f, 0.25f), 20);
    ASSERT_FALSE(a.data->GetRoot()->IsLeaf());
    EXPECT_FALSE(a.data->GetRoot()->HasChildren());
    // Resting and overlapping: even with unlimited budgets the root boxes give the contact.
    EXPECT_EQ(Find(a, b, -1, -1), 0u);
    ASSERT_EQ(g_contacts.size(), 2u);
    EXPECT_EQ(g_contacts[0].contact.m_time, 0.0f);
    ExpectNear(g_contacts[0].contact.m_point, QrPoint3(0.75f, 0, 0));
}

TEST_F(QrCollisionDataTest, BudgetsDecideHowDeepTheTreesAreSearched)
{
    // A small box inside a large hollow one: the root boxes overlap, no triangles meet.
    Side outer(BoxMesh(QrPoint3(), 5.0f, 4.0f, 3.0f), 0);
    Side inner(BoxMesh(QrPoint3(0.5f, 0, 0), 0.5f, 0.4f, 0.3f), 0);
    EXPECT_EQ(outer.data->TestCollision(inner.data.get(), 0, 0), 1u);
    EXPECT_EQ(outer.data->TestCollision(inner.data.get(), -1, -1), 0u);
    EXPECT_EQ(inner.data->TestCollision(outer.data.get(), -1, -1), 0u);

    EXPECT_EQ(Find(outer, inner, -1, -1), 0u);
    EXPECT_TRUE(g_contacts.empty());
    // Budget 0 on either side stops at the roots: the midpoint of the two root centres.
    EXPECT_EQ(Find(outer, inner, 0, -1), 0u);
    ASSERT_EQ(g_contacts.size(), 2u);
    EXPECT_EQ(g_contacts[0].contact.m_time, 0.0f);
    ExpectNear(g_contacts[0].contact.m_point, QrPoint3(0.25f, 0, 0));
    ResetLog();
    EXPECT_EQ(Find(outer, inner, -1, 0), 0u);
    EXPECT_EQ(g_contacts.size(), 2u);
}

TEST_F(QrCollisionDataTest, MovingMeshesMeetTriangleAgainstTriangle)
{
    Side a(BoxMesh(QrPoint3(), 0.5f, 0.5f, 0.5f), 0);
    Side b(BoxMesh(QrPoint3(3, 0, 0), 0.5f, 0.5f, 0.5f), 0);
    b.data->SetVelocity(QrPoint3(-4, 0, 0));
    EXPECT_EQ(a.data->TestCollision(b.data.get(), -1, -1), 1u);
    EXPECT_EQ(Find(a, b, -1, -1), 0u);
    ASSERT_FALSE(g_contacts.empty());
    EXPECT_NEAR(EarliestTime(1.0f), 0.5f, 1e-5f);
    for (const LoggedContact& logged : g_contacts)
    {
        const QrContact& contact = logged.contact;
        const bool seenByA = logged.who == 'A';
        EXPECT_EQ(contact.m_objectA, seenByA ? m_objectA.Get() : m_objectB.Get());
        if (contact.m_time > 0.5f + 1e-5f)
            continue; // B goes on through A: later pairs meet further in
        // In the world, on A's face, where B is at that time.
        EXPECT_NEAR(contact.m_point.x, 0.5f, 1e-5f);
        EXPECT_LE(std::fabs(contact.m_point.y), 0.5f + 1e-5f);
        EXPECT_LE(std::fabs(contact.m_point.z), 0.5f + 1e-5f);
    }

    // A callback that asks to stop ends the search at the first contact.
    ResetLog();
    g_answerA = 1;
    EXPECT_EQ(Find(a, b, -1, -1), 1u);
    EXPECT_EQ(g_contacts.size(), 2u);

    // Falling short within the interval: nothing.
    ResetLog();
    b.data->SetTimeInterval(0.25f);
    a.data->SetTimeInterval(0.25f);
    EXPECT_EQ(a.data->TestCollision(b.data.get(), -1, -1), 0u);
    EXPECT_EQ(Find(a, b, -1, -1), 0u);
    EXPECT_TRUE(g_contacts.empty());
}

TEST_F(QrCollisionDataTest, TrianglesCrossingAtRestMeetAtTimeZero)
{
    // A vertical triangle pierces a horizontal one; nothing moves, the interval is empty.
    Mesh floor;
    floor.vertices = {QrPoint3(-2, -2, 0), QrPoint3(2, -2, 0), QrPoint3(0, 2, 0)};
    floor.indices = {0, 1, 2};
    Mesh blade;
    blade.vertices = {QrPoint3(0, 0, -1), QrPoint3(0, 1, 1), QrPoint3(0, -1, 1)};
    blade.indices = {0, 1, 2};
    Side a(floor, 0);
    Side b(blade, 0);
    a.data->SetTimeInterval(0.0f);
    b.data->SetTimeInterval(0.0f);
    EXPECT_EQ(Find(a, b, -1, -1), 0u);
    ASSERT_EQ(g_contacts.size(), 2u);
    const QrContact& contact = g_contacts[0].contact;
    EXPECT_EQ(contact.m_time, 0.0f);
    EXPECT_NEAR(contact.m_point.z, 0.0f, 1e-6f);
    EXPECT_NEAR(contact.m_point.x, 0.0f, 1e-6f);
    EXPECT_LE(std::fabs(contact.m_point.y), 0.5f + 1e-6f);
    // Flat leaves answer with their triangles' normals.
    EXPECT_NEAR(std::fabs(contact.m_normalA.z), 1.0f, 1e-6f);
    EXPECT_NEAR(std::fabs(contact.m_normalB.x), 1.0f, 1e-6f);

    // Moved apart along x, the same pair no longer meets.
    Mesh aside = blade;
    for (QrPoint3& v : aside.vertices)
        v.x += 3.0f;
    Side c(aside, 0);
    ResetLog();
    EXPECT_EQ(a.data->FindCollisions(c.data.get(), m_objectA.Get(), m_objectB.Get(), -1, -1), 0u);
    EXPECT_TRUE(g_contacts.empty());
}

TEST_F(QrCollisionDataTest, NormalsAndPointsAreInTheWorldUnderAPlacedMesh)
{
    // A's box mesh turned 30 degrees about z, doubled and moved; B comes in along A's turned x axis.
    const QrMatrix3 turn = Rotation(0.5235988f, 0, 0, 1);
    Side a(BoxMesh(QrPoint3(), 0.5f, 0.4f, 0.3f), 0, turn, QrPoint3(10, 5, 0), 2.0f);
    const QrPoint3 axis = turn.GetColumn(0);
    const QrPoint3 start = QrPoint3(10, 5, 0) + axis * 4.0f;
    Side b(BoxMesh(QrPoint3(), 0.1f, 0.15f, 0.2f), 0, turn, start);
    b.data->SetVelocity(axis * -4.0f);

    // Box level: the face of A's root box that B reaches, in world axes.
    EXPECT_EQ(Find(a, b, 0, 0), 0u);
    ASSERT_FALSE(g_contacts.empty());
    const QrContact& boxes = g_contacts[0].contact;
    EXPECT_NEAR(boxes.m_time, (4.0f - 1.0f - 0.1f) / 4.0f, 1e-5f);
    EXPECT_NEAR((boxes.m_point - QrPoint3(10, 5, 0)).Dot(axis), 1.0f, 1e-4f);
    ExpectNear(boxes.m_normalA, axis, 1e-4f);
    ExpectNear(boxes.m_normalB, -axis, 1e-4f);

    // Triangle level: the face triangles' normals, turned into the world.
    ResetLog();
    EXPECT_EQ(Find(a, b, -1, -1), 0u);
    ASSERT_FALSE(g_contacts.empty());
    EXPECT_NEAR(EarliestTime(1.0f), (4.0f - 1.0f - 0.1f) / 4.0f, 1e-5f);
    for (const LoggedContact& logged : g_contacts)
    {
        EXPECT_NEAR((logged.contact.m_point - QrPoint3(10, 5, 0)).Dot(axis), 1.0f, 1e-4f);
        const QrPoint3& normal = logged.who == 'A' ? logged.contact.m_normalA : logged.contact.m_normalB;
        EXPECT_NEAR(std::fabs(normal.Dot(axis)), 1.0f, 1e-4f) << "A's normal lies along its turned x axis";
    }
}

TEST_F(QrCollisionDataTest, PlacementIsAppliedBeforeTheNextQueryAndSameDataNeverCollides)
{
    Side a(BoxMesh(QrPoint3(), 0.5f, 0.5f, 0.5f), 0);
    Side b(BoxMesh(QrPoint3(), 0.5f, 0.5f, 0.5f), 0);
    EXPECT_EQ(a.data->TestCollision(a.data.get(), -1, -1), 0u);
    EXPECT_EQ(a.data->FindCollisions(a.data.get(), m_objectA.Get(), m_objectA.Get(), -1, -1), 0u);

    // Move B away: the world boxes follow the new placement at the next query.
    b.data->SetWorldTransform(Identity(), QrPoint3(5, 0, 0), 1.0f);
    EXPECT_TRUE(b.data->IsPlacementStale());
    EXPECT_EQ(a.data->TestCollision(b.data.get(), 0, 0), 0u);
    EXPECT_FALSE(b.data->IsPlacementStale());
    ExpectNear(b.data->GetRoot()->m_worldCenter, QrPoint3(5, 0, 0));
    b.data->SetWorldTransform(Identity(), QrPoint3(0.9f, 0, 0), 1.0f);
    EXPECT_EQ(b.data->TestCollision(a.data.get(), 0, 0), 1u);
}

// --- through triangle shapes: the geometry entry points

namespace
{

QrPointer<QrTriShape> MakeShape(const Mesh& mesh)
{
    return QrPointer<QrTriShape>(new QrTriShape(uint16_t(mesh.vertices.size()), mesh.vertices.data(), nullptr,
                                                mesh.TriangleCount(), mesh.indices.data(), nullptr, nullptr));
}

QrCollisionData* DataOf(QrAVInstance* instance)
{
    return static_cast<QrGeometryInstance*>(instance)->GetCollisionData();
}

QrCollisionRecord RecordFor(QrAVObject* object, QrAVInstance* instance, int32_t budget = -1)
{
    QrCollisionRecord record;
    record.m_reportedObject = object;
    record.m_object = object;
    record.m_budget = budget;
    record.m_splitSize = 0;
    record.m_instance = instance;
    return record;
}

} // namespace

class QrGeometryCollisionTest : public QrEngineTest
{
protected:
    void SetUp() override
    {
        QrEngineTest::SetUp();
        ResetLog();
    }
    // A shape at the root, placed by its local transform, moving with velocity.
    static QrPointer<QrTriShape> Place(const Mesh& mesh, const QrPoint3& translation, const QrPoint3& velocity,
                                       const QrMatrix3& rotation = Identity(), float scale = 1.0f)
    {
        QrPointer<QrTriShape> shape = MakeShape(mesh);
        shape->GetTranslate() = translation;
        shape->GetRotate() = rotation;
        shape->SetScale(scale);
        shape->GetVelocity() = velocity;
        shape->Update(shape->GetCurrentInstance());
        return shape;
    }
};

TEST_F(QrGeometryCollisionTest, FarApartShapesBuildNothingAndMeetingShapesBuildOnce)
{
    auto a = Place(BoxMesh(QrPoint3(), 0.5f, 0.5f, 0.5f), QrPoint3(0, 0, 0), QrPoint3());
    auto b = Place(BoxMesh(QrPoint3(), 0.5f, 0.5f, 0.5f), QrPoint3(10, 0, 0), QrPoint3(-1, 0, 0));
    QrCollisionRecord ra = RecordFor(a.Get(), a->GetCurrentInstance());
    QrCollisionRecord rb = RecordFor(b.Get(), b->GetCurrentInstance());
    EXPECT_FALSE(a->TestCollisions(1.0f, ra, rb));
    EXPECT_EQ(DataOf(a->GetCurrentInstance()), nullptr);
    EXPECT_EQ(DataOf(b->GetCurrentInstance()), nullptr);

    // Coming fast enough to arrive within the step.
    b->GetVelocity() = QrPoint3(-10, 0, 0);
    b->Update(b->GetCurrentInstance());
    EXPECT_TRUE(a->TestCollisions(1.0f, ra, rb));
    QrCollisionData* built = DataOf(a->GetCurrentInstance());
    ASSERT_NE(built, nullptr);
    ASSERT_NE(DataOf(b->GetCurrentInstance()), nullptr);
    // The query placed both sides: time, velocity and world placement of the instance.
    EXPECT_EQ(DataOf(b->GetCurrentInstance())->GetTimeInterval(), 1.0f);
    ExpectNear(DataOf(b->GetCurrentInstance())->GetVelocity(), QrPoint3(-10, 0, 0));
    ExpectNear(DataOf(b->GetCurrentInstance())->GetRoot()->m_worldCenter, QrPoint3(10, 0, 0));
    EXPECT_TRUE(b->TestCollisions(1.0f, rb, ra));
    EXPECT_EQ(DataOf(a->GetCurrentInstance()), built) << "made once, not rebuilt";

    a->DeleteCollisionData(nullptr);
    EXPECT_EQ(DataOf(a->GetCurrentInstance()), nullptr);
    EXPECT_NE(DataOf(b->GetCurrentInstance()), nullptr);
    b->DeleteCollisionData(b->GetCurrentInstance());
    EXPECT_EQ(DataOf(b->GetCurrentInstance()), nullptr);
}

TEST_F(QrGeometryCollisionTest, ContactsAreReportedInTheWorldUnderARotatedScaledMovedInstance)
{
    const QrMatrix3 turn = Rotation(0.5235988f, 0, 0, 1);
    const QrPoint3 axis = turn.GetColumn(0);
    // A: a box of half size 0.5 doubled, turned and moved; B comes in along A's turned x axis.
    auto a = Place(BoxMesh(QrPoint3(), 0.5f, 0.4f, 0.3f), QrPoint3(10, 5, 0), QrPoint3(), turn, 2.0f);
    auto b = Place(BoxMesh(QrPoint3(), 0.1f, 0.15f, 0.2f), QrPoint3(10, 5, 0) + axis * 4.0f, axis * -4.0f, turn);
    a->GetCurrentInstance()->m_collisionCallback = CallbackA;
    b->GetCurrentInstance()->m_collisionCallback = CallbackB;
    QrCollisionRecord ra = RecordFor(a.Get(), a->GetCurrentInstance(), 0);
    QrCollisionRecord rb = RecordFor(b.Get(), b->GetCurrentInstance(), 0);

    EXPECT_EQ(a->FindCollisions(1.0f, ra, rb), 0);
    ASSERT_EQ(g_contacts.size(), 2u);
    const QrContact& contact = g_contacts[0].contact;
    EXPECT_EQ(contact.m_objectA, a.Get());
    EXPECT_NEAR(contact.m_time, (4.0f - 1.0f - 0.1f) / 4.0f, 1e-5f);
    ExpectNear(contact.m_point, QrPoint3(10, 5, 0) + axis, 1e-4f);
    ExpectNear(contact.m_normalA, axis, 1e-4f);
    ExpectNear(contact.m_normalB, -axis, 1e-4f);

    // Down to the triangles: the same first contact, the face normals in world axes.
    ResetLog();
    ra.m_budget = rb.m_budget = -1;
    EXPECT_EQ(a->FindCollisions(1.0f, ra, rb), 0);
    ASSERT_FALSE(g_contacts.empty());
    EXPECT_NEAR(EarliestTime(1.0f), (4.0f - 1.0f - 0.1f) / 4.0f, 1e-5f);
    for (const LoggedContact& logged : g_contacts)
    {
        const QrPoint3& normal = logged.who == 'A' ? logged.contact.m_normalA : logged.contact.m_normalB;
        EXPECT_NEAR(std::fabs(normal.Dot(axis)), 1.0f, 1e-4f);
    }

    // A callback that stops the search makes FindCollisions answer 1.
    ResetLog();
    g_answerB = 1;
    EXPECT_EQ(a->FindCollisions(1.0f, ra, rb), 1);
}

TEST_F(QrGeometryCollisionTest, AShapeAgainstANodeHandsThePairOverWithTheRolesExchanged)
{
    auto a = Place(BoxMesh(QrPoint3(), 0.5f, 0.5f, 0.5f), QrPoint3(0, 0, 0), QrPoint3());
    QrPointer<QrNode> node(new QrNode);
    QrPointer<QrTriShape> far = MakeShape(BoxMesh(QrPoint3(), 0.5f, 0.5f, 0.5f));
    QrPointer<QrTriShape> near = MakeShape(BoxMesh(QrPoint3(), 0.5f, 0.5f, 0.5f));
    far->SetTranslate(0, 50, 0);
    near->SetTranslate(0.9f, 0, 0);
    node->AttachChild(far.Get());
    node->AttachChild(near.Get());
    node->UpdateAllInstances();
    QrAVInstance* nearInstance = near->FindInstance(node.Get());
    // Contacts go to the reported objects: the node, not the child that was hit.
    node->GetCurrentInstance()->m_collisionCallback = CallbackB;
    nearInstance->m_collisionCallback = CallbackA;

    QrCollisionRecord ra = RecordFor(a.Get(), a->GetCurrentInstance());
    QrCollisionRecord rn = RecordFor(node.Get(), node->GetCurrentInstance());
    EXPECT_TRUE(a->TestCollisions(0.0f, ra, rn));
    EXPECT_NE(DataOf(a->GetCurrentInstance()), nullptr);
    EXPECT_NE(DataOf(nearInstance), nullptr);
    EXPECT_EQ(DataOf(far->FindInstance(node.Get())), nullptr) << "the far child fails the gate";

    // The node's side is A in the records: its callback is called first.
    EXPECT_EQ(a->FindCollisions(0.0f, ra, rn), 0);
    ASSERT_FALSE(g_contacts.empty());
    for (const LoggedContact& logged : g_contacts)
    {
        EXPECT_EQ(logged.who, 'B');
        EXPECT_EQ(logged.contact.m_objectA, node.Get());
        EXPECT_EQ(logged.contact.m_objectB, a.Get());
    }
}

TEST_F(QrGeometryCollisionTest, ShapesThatCannotBuildDataAnswerNoContact)
{
    auto a = Place(BoxMesh(QrPoint3(), 0.5f, 0.5f, 0.5f), QrPoint3(), QrPoint3());
    QrCollisionRecord ra = RecordFor(a.Get(), a->GetCurrentInstance());
    // The same instance on both sides.
    EXPECT_FALSE(a->TestCollisions(1.0f, ra, ra));

    // A shape without triangles and one whose indices point past its vertices.
    Mesh none = BoxMesh(QrPoint3(), 0.5f, 0.5f, 0.5f);
    none.indices.clear();
    auto empty = Place(none, QrPoint3(0.5f, 0, 0), QrPoint3());
    Mesh broken = BoxMesh(QrPoint3(), 0.5f, 0.5f, 0.5f);
    auto bad = Place(broken, QrPoint3(0.5f, 0, 0), QrPoint3());
    const_cast<uint16_t*>(bad->GetIndices())[4] = 200;
    QrCollisionRecord re = RecordFor(empty.Get(), empty->GetCurrentInstance());
    QrCollisionRecord rb = RecordFor(bad.Get(), bad->GetCurrentInstance());
    EXPECT_FALSE(a->TestCollisions(1.0f, ra, re));
    EXPECT_FALSE(a->TestCollisions(1.0f, ra, rb));
    EXPECT_EQ(DataOf(bad->GetCurrentInstance()), nullptr);
    EXPECT_FALSE(bad->TestCollisions(1.0f, rb, ra));
}

TEST_F(QrGeometryCollisionTest, TheSampleHullMeetsTheSampleRockHalfWayThroughTheStep)
{
    QrStream stream;
    ASSERT_TRUE(stream.Load((testfiles::DataDir() + "/Data/Engine/Collision/collide.qrf").c_str()));
    QrPointer<QrTriShape> rock, hull;
    for (uint32_t i = 0; i < stream.GetTopLevelCount(); ++i)
        if (QrTriShape* shape = QrDynamicCast<QrTriShape>(stream.GetTopLevelAt(i)))
            (std::string(shape->GetName()) == "Rock" ? rock : hull) = shape;
    ASSERT_TRUE(rock && hull);
    for (QrTriShape* shape : {rock.Get(), hull.Get()})
        shape->Update(shape->GetCurrentInstance());
    rock->GetCurrentInstance()->m_collisionCallback = CallbackA;
    QrCollisionRecord rr = RecordFor(rock.Get(), rock->GetCurrentInstance());
    QrCollisionRecord rh = RecordFor(hull.Get(), hull->GetCurrentInstance());

    EXPECT_FALSE(rock->TestCollisions(0.45f, rr, rh));
    EXPECT_EQ(rock->FindCollisions(0.45f, rr, rh), 0);
    EXPECT_TRUE(g_contacts.empty());
    EXPECT_TRUE(rock->TestCollisions(1.0f, rr, rh));
    EXPECT_EQ(rock->FindCollisions(1.0f, rr, rh), 0);
    ASSERT_FALSE(g_contacts.empty());
    const float first = EarliestTime(1.0f);
    EXPECT_GE(first, 0.5f - 1e-4f);
    EXPECT_LE(first, 0.55f);
}
