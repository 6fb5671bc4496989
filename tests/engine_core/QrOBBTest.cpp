#include "QrTestFixture.h"

#include "CollisionTestHelpers.h"
#include "QrCollisionData.h"
#include "QrOBBNode.h"
#include "SceneTestObjects.h"

#include <cmath>
#include <memory>

using namespace collisiontest;

namespace
{
const float kHalfRoot2 = std::sqrt(0.5f);
} // namespace

// Two boxes with their own owners (motion over the interval) and their own objects (callbacks).
class QrOBBTest : public QrEngineTest
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
        m_ownerA.SetTimeInterval(1.0f);
        m_ownerB.SetTimeInterval(1.0f);
    }
    void TearDown() override
    {
        m_objectA = nullptr;
        m_objectB = nullptr;
        QrEngineTest::TearDown();
    }

    // A unit cube (or box of the given half sizes) placed by rotation and centre.
    static std::unique_ptr<QrOBBNode> Box(QrCollisionData& owner, const QrPoint3& center,
                                          const QrMatrix3& rotation = Identity(),
                                          const QrPoint3& halfSizes = QrPoint3(0.5f, 0.5f, 0.5f))
    {
        auto box = std::make_unique<QrOBBNode>(&owner);
        box->m_modelAxes[0] = QrPoint3(1, 0, 0);
        box->m_modelAxes[1] = QrPoint3(0, 1, 0);
        box->m_modelAxes[2] = QrPoint3(0, 0, 1);
        box->m_modelExtents = halfSizes;
        box->Transform(rotation, center, 1.0f);
        return box;
    }

    QrCollisionData m_ownerA{0, nullptr, nullptr, nullptr, 0};
    QrCollisionData m_ownerB{0, nullptr, nullptr, nullptr, 0};
    QrPointer<SceneTestLeaf> m_objectA;
    QrPointer<SceneTestLeaf> m_objectB;
};

TEST_F(QrOBBTest, CubesApproachingAlongXTouchWhenTheFacesMeet)
{
    auto a = Box(m_ownerA, QrPoint3(0, 0, 0));
    auto b = Box(m_ownerB, QrPoint3(3, 0, 0));
    m_ownerB.SetVelocity(QrPoint3(-4, 0, 0));

    EXPECT_TRUE(a->OverlapsMoving(*b));
    float time = -1.0f;
    QrPoint3 point;
    ASSERT_TRUE(a->SeparatingAxisTest(*b, time, point));
    EXPECT_FLOAT_EQ(time, 0.5f); // gap 2 closed at speed 4
    ExpectNear(point, QrPoint3(0.5f, 0, 0));

    EXPECT_EQ(a->BoxContact(*b, m_objectA.Get(), m_objectB.Get()), 0);
    ASSERT_EQ(g_contacts.size(), 2u);
    const QrContact& seenByA = g_contacts[0].contact;
    EXPECT_EQ(g_contacts[0].who, 'A');
    EXPECT_EQ(seenByA.m_objectA, m_objectA.Get());
    EXPECT_EQ(seenByA.m_objectB, m_objectB.Get());
    EXPECT_FLOAT_EQ(seenByA.m_time, 0.5f);
    ExpectNear(seenByA.m_point, QrPoint3(0.5f, 0, 0));
    ExpectNear(seenByA.m_normalA, QrPoint3(1, 0, 0));
    ExpectNear(seenByA.m_normalB, QrPoint3(-1, 0, 0));

    // B is told the same contact from its side.
    const QrContact& seenByB = g_contacts[1].contact;
    EXPECT_EQ(g_contacts[1].who, 'B');
    EXPECT_EQ(seenByB.m_objectA, m_objectB.Get());
    EXPECT_EQ(seenByB.m_objectB, m_objectA.Get());
    EXPECT_FLOAT_EQ(seenByB.m_time, 0.5f);
    ExpectNear(seenByB.m_normalA, QrPoint3(-1, 0, 0));
    ExpectNear(seenByB.m_normalB, QrPoint3(1, 0, 0));
}

TEST_F(QrOBBTest, TheMovingSideAndTheIntervalDecideTheTime)
{
    // The same approach made by A, and over a longer interval at a lower speed.
    auto a = Box(m_ownerA, QrPoint3(0, 0, 0));
    auto b = Box(m_ownerB, QrPoint3(3, 0, 0));
    m_ownerA.SetVelocity(QrPoint3(1, 0, 0));
    m_ownerA.SetTimeInterval(4.0f);
    float time = -1.0f;
    QrPoint3 point;
    ASSERT_TRUE(a->SeparatingAxisTest(*b, time, point));
    EXPECT_FLOAT_EQ(time, 2.0f);
    // A's x face comes first (B's ties it): the face of B nearest to A.
    ExpectNear(point, QrPoint3(2.5f, 0, 0));

    // Too short an interval: apart at both ends on the same side.
    m_ownerA.SetTimeInterval(1.5f);
    EXPECT_FALSE(a->OverlapsMoving(*b));
    EXPECT_FALSE(a->SeparatingAxisTest(*b, time, point));
    EXPECT_EQ(a->BoxContact(*b, m_objectA.Get(), m_objectB.Get()), 0);
    EXPECT_TRUE(g_contacts.empty());
}

TEST_F(QrOBBTest, BoxesMovingApartOrPassingByDoNotOverlap)
{
    auto a = Box(m_ownerA, QrPoint3(0, 0, 0));
    auto b = Box(m_ownerB, QrPoint3(3, 0, 0));
    m_ownerB.SetVelocity(QrPoint3(1, 0, 0));
    EXPECT_FALSE(a->OverlapsMoving(*b));

    // Crossing over A's x range but 0.001 above it.
    auto c = Box(m_ownerB, QrPoint3(3, 1.001f, 0));
    m_ownerB.SetVelocity(QrPoint3(-6, 0, 0));
    EXPECT_FALSE(a->OverlapsMoving(*c));
    float time;
    QrPoint3 point;
    EXPECT_FALSE(a->SeparatingAxisTest(*c, time, point));
}

TEST_F(QrOBBTest, GrazingBoxesTouchAtTheLeadingEdge)
{
    // Faces y = 0.5 of A and y = 0.5 of B coincide during the whole pass: touching counts.
    auto a = Box(m_ownerA, QrPoint3(0, 0, 0));
    auto b = Box(m_ownerB, QrPoint3(3, 1, 0));
    m_ownerB.SetVelocity(QrPoint3(-6, 0, 0));
    EXPECT_TRUE(a->OverlapsMoving(*b));
    float time;
    QrPoint3 point;
    ASSERT_TRUE(a->SeparatingAxisTest(*b, time, point));
    EXPECT_FLOAT_EQ(time, 1.0f / 3.0f);
    ExpectNear(point, QrPoint3(0.5f, 1, 0));

    ASSERT_EQ(a->BoxContact(*b, m_objectA.Get(), m_objectB.Get()), 0);
    ASSERT_FALSE(g_contacts.empty());
    // A answers with its ellipsoid gradient at the edge; B where it is at that time: its face.
    const QrContact& contact = g_contacts[0].contact;
    ExpectNear(contact.m_normalA, QrPoint3(1, 2, 0) * (1.0f / std::sqrt(5.0f)));
    ExpectNear(contact.m_normalB, QrPoint3(-1, 0, 0));
}

TEST_F(QrOBBTest, RestingOverlappingBoxesMeetAtTimeZeroAtTheMidpoint)
{
    auto a = Box(m_ownerA, QrPoint3(0, 0, 0));
    auto b = Box(m_ownerB, QrPoint3(0.8f, 0, 0));
    EXPECT_EQ(a->BoxContact(*b, m_objectA.Get(), m_objectB.Get()), 0);
    ASSERT_EQ(g_contacts.size(), 2u);
    const QrContact& contact = g_contacts[0].contact;
    EXPECT_EQ(contact.m_time, 0.0f);
    ExpectNear(contact.m_point, QrPoint3(0.4f, 0, 0));
    // Each normal faces the other box.
    ExpectNear(contact.m_normalA, QrPoint3(1, 0, 0));
    ExpectNear(contact.m_normalB, QrPoint3(-1, 0, 0));
}

TEST_F(QrOBBTest, MovingBoxesOverlappingAtTheStartMeetAtTimeZeroAtTheMidpoint)
{
    auto a = Box(m_ownerA, QrPoint3(0, 0, 0));
    auto b = Box(m_ownerB, QrPoint3(0.8f, 0, 0));
    m_ownerB.SetVelocity(QrPoint3(1, 0, 0));
    float time = -1.0f;
    QrPoint3 point(9, 9, 9);
    ASSERT_TRUE(a->SeparatingAxisTest(*b, time, point));
    EXPECT_EQ(time, 0.0f);
    ExpectNear(point, QrPoint3(0.4f, 0, 0));
    EXPECT_EQ(a->BoxContact(*b, m_objectA.Get(), m_objectB.Get()), 0);
    ASSERT_EQ(g_contacts.size(), 2u);
    ExpectNear(g_contacts[0].contact.m_point, QrPoint3(0.4f, 0, 0));
}

TEST_F(QrOBBTest, RotatedCornerTouchesAFace)
{
    // B turned 45 degrees about z leads with a corner.
    auto a = Box(m_ownerA, QrPoint3(0, 0, 0));
    auto b = Box(m_ownerB, QrPoint3(3, 0, 0), Rotation(0.785398163f, 0, 0, 1));
    m_ownerB.SetVelocity(QrPoint3(-4, 0, 0));
    ASSERT_EQ(a->BoxContact(*b, m_objectA.Get(), m_objectB.Get()), 0);
    ASSERT_EQ(g_contacts.size(), 2u);
    const QrContact& contact = g_contacts[0].contact;
    EXPECT_NEAR(contact.m_time, (3.0f - kHalfRoot2 - 0.5f) / 4.0f, 1e-6f);
    ExpectNear(contact.m_point, QrPoint3(0.5f, 0, 0));
    ExpectNear(contact.m_normalA, QrPoint3(1, 0, 0));
    // The gradient at B's corner, in world axes: straight back along x.
    ExpectNear(contact.m_normalB, QrPoint3(-1, 0, 0));
}

TEST_F(QrOBBTest, CrossedEdgesMeetAtTheClosestPointOfTheEdgeLines)
{
    // A's top edge runs along z, B's bottom edge along x; B comes down onto A.
    auto a = Box(m_ownerA, QrPoint3(0, 0, 0), Rotation(0.785398163f, 0, 0, 1));
    auto b = Box(m_ownerB, QrPoint3(0, 3, 0), Rotation(0.785398163f, 1, 0, 0));
    m_ownerB.SetVelocity(QrPoint3(0, -4, 0));
    float time;
    QrPoint3 point;
    ASSERT_TRUE(a->SeparatingAxisTest(*b, time, point));
    EXPECT_NEAR(time, (3.0f - 2.0f * kHalfRoot2) / 4.0f, 1e-6f);
    ExpectNear(point, QrPoint3(0, kHalfRoot2, 0));

    ASSERT_EQ(a->BoxContact(*b, m_objectA.Get(), m_objectB.Get()), 0);
    ASSERT_FALSE(g_contacts.empty());
    ExpectNear(g_contacts[0].contact.m_normalA, QrPoint3(0, 1, 0));
    ExpectNear(g_contacts[0].contact.m_normalB, QrPoint3(0, -1, 0));
}

TEST_F(QrOBBTest, ContactNormalIsInWorldAxes)
{
    const QrMatrix3 turn = Rotation(0.5235988f, 0, 0, 1);
    auto box = Box(m_ownerA, QrPoint3(2, 1, 0), turn, QrPoint3(1.0f, 0.5f, 0.5f));
    QrPoint3 normal;
    // Centre of the +x face and of the -y face.
    box->ContactNormal(QrPoint3(2, 1, 0) + turn.GetColumn(0), normal);
    ExpectNear(normal, turn.GetColumn(0));
    box->ContactNormal(QrPoint3(2, 1, 0) - turn.GetColumn(1) * 0.5f, normal);
    ExpectNear(normal, -turn.GetColumn(1));

    // Flat boxes answer with the axis they are flat across, whatever the point.
    auto flat = Box(m_ownerA, QrPoint3(0, 0, 0), turn, QrPoint3(1.0f, 0.0f, 0.5f));
    flat->ContactNormal(QrPoint3(5, 5, 5), normal);
    ExpectNear(normal, turn.GetColumn(1));
    auto point = Box(m_ownerA, QrPoint3(0, 0, 0), turn, QrPoint3(0, 0, 0));
    point->ContactNormal(QrPoint3(5, 5, 5), normal);
    ExpectNear(normal, turn.GetColumn(0));
    // At the centre the gradient vanishes.
    box->ContactNormal(QrPoint3(2, 1, 0), normal);
    ExpectNear(normal, QrPoint3(0, 0, 0));
}

TEST_F(QrOBBTest, EitherCallbackCanStopTheSearch)
{
    auto a = Box(m_ownerA, QrPoint3(0, 0, 0));
    auto b = Box(m_ownerB, QrPoint3(0.5f, 0, 0));
    g_answerB = 7;
    EXPECT_EQ(a->BoxContact(*b, m_objectA.Get(), m_objectB.Get()), 1);
    ResetLog();
    g_answerA = 1;
    EXPECT_EQ(a->BoxContact(*b, m_objectA.Get(), m_objectB.Get()), 1);
    EXPECT_EQ(g_contacts.size(), 2u) << "B is told even when A asked to stop";

    // Objects whose current instance has no callback are not told; without objects nothing is.
    ResetLog();
    m_objectA->GetCurrentInstance()->m_collisionCallback = nullptr;
    g_answerA = 1;
    EXPECT_EQ(a->BoxContact(*b, m_objectA.Get(), m_objectB.Get()), 0);
    ASSERT_EQ(g_contacts.size(), 1u);
    EXPECT_EQ(g_contacts[0].who, 'B');
    EXPECT_EQ(g_contacts[0].contact.m_objectA, m_objectB.Get());
    EXPECT_EQ(a->BoxContact(*b, nullptr, nullptr), 0);
    EXPECT_EQ(g_contacts.size(), 1u);
}

TEST_F(QrOBBTest, WorldBoxesFollowRotationScaleAndTranslation)
{
    QrOBBNode box(&m_ownerA);
    box.m_modelCenter = QrPoint3(1, 0, 0);
    box.m_modelAxes[0] = QrPoint3(1, 0, 0);
    box.m_modelAxes[1] = QrPoint3(0, 1, 0);
    box.m_modelAxes[2] = QrPoint3(0, 0, 1);
    box.m_modelExtents = QrPoint3(1, 2, 3);
    const QrMatrix3 turn = Rotation(1.5707964f, 0, 0, 1);
    box.UpdateWorldBoxes(turn, QrPoint3(10, 0, 0), 2.0f);
    ExpectNear(box.m_worldCenter, QrPoint3(10, 0, 0) + turn.GetColumn(0) * 2.0f);
    ExpectNear(box.m_worldAxes[1], turn.GetColumn(1));
    ExpectNear(box.m_worldExtents, QrPoint3(2, 4, 6));
    // The model box is kept for the next placement.
    ExpectNear(box.m_modelCenter, QrPoint3(1, 0, 0));
}
