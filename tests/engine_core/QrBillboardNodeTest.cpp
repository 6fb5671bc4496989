#include "QrTestFixture.h"

#include "NodeVariantTestHelpers.h"
#include "QrBillboardNode.h"

#include <cmath>

using specialnodes::ProbeLeaf;

namespace
{
// A quarter turn about y: x goes to -z, z to x.
const QrMatrix3 kQuarterTurnAboutY(0.0f, 0.0f, 1.0f, 0.0f, 1.0f, 0.0f, -1.0f, 0.0f, 0.0f);

QrMatrix3 FromColumns(const QrPoint3& x, const QrPoint3& y, const QrPoint3& z)
{
    QrMatrix3 m;
    m.SetColumn(0, x);
    m.SetColumn(1, y);
    m.SetColumn(2, z);
    return m;
}

// A camera frame with world axes x (the view axis), y (up) and z (right), at location.
QrBillboardNode::CameraFrame Camera(const QrPoint3& location, const QrPoint3& x, const QrPoint3& y, const QrPoint3& z)
{
    QrBillboardNode::CameraFrame frame;
    frame.m_location = location;
    frame.m_rotation = FromColumns(x, y, z).Transpose();
    frame.m_direction = -x;
    frame.m_up = y;
    frame.m_right = z;
    return frame;
}

QrBillboardNode::CameraFrame CameraAt(const QrPoint3& location)
{
    return Camera(location, QrPoint3(1.0f, 0.0f, 0.0f), QrPoint3(0.0f, 1.0f, 0.0f), QrPoint3(0.0f, 0.0f, 1.0f));
}

void ExpectMatrixNear(const QrMatrix3& actual, const QrMatrix3& expected, float tolerance = 1e-6f)
{
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            EXPECT_NEAR(actual.m[i][j], expected.m[i][j], tolerance) << "row " << i << " column " << j;
}
} // namespace

class QrBillboardNodeTest : public QrEngineTest
{
protected:
    void SetUp() override
    {
        QrEngineTest::SetUp();
        SceneTestLeaf::RegisterCreateFunction();
        m_parent = new QrNode;
        m_board = new QrBillboardNode;
        m_leaf = new ProbeLeaf(nullptr, "leaf");
        m_leaf->SetTranslate(0.0f, 0.0f, 2.0f);
        m_board->AttachChild(m_leaf.Get());
        m_parent->AttachChild(m_board.Get());
    }

    void TearDown() override
    {
        m_parent = nullptr;
        m_board = nullptr;
        m_leaf = nullptr;
        QrEngineTest::TearDown();
    }

    void UpdateAll() { m_parent->Update(m_parent->GetCurrentInstance()); }
    void Face(const QrBillboardNode::CameraFrame& camera)
    {
        m_board->FaceCamera(camera, m_board->GetCurrentInstance());
    }
    const QrMatrix3& BoardRotation() const { return m_board->GetCurrentInstance()->m_worldRotate; }

    QrPointer<QrNode> m_parent;
    QrPointer<QrBillboardNode> m_board;
    QrPointer<ProbeLeaf> m_leaf;
};

// --- turning about the up axis

TEST_F(QrBillboardNodeTest, TurningAboutUpPointsTheZAxisAtTheCamerasHorizontalPosition)
{
    UpdateAll();
    Face(CameraAt(QrPoint3(10.0f, 5.0f, 0.0f)));
    EXPECT_TRUE(BoardRotation().IsEqual(QrMatrix3(0.0f, 0.0f, 1.0f, 0.0f, 1.0f, 0.0f, -1.0f, 0.0f, 0.0f)));
    EXPECT_TRUE(BoardRotation().GetColumn(2).IsEqual(QrPoint3(1.0f, 0.0f, 0.0f)));

    // The children follow: the leaf two units along the node's z axis now sits on +x.
    EXPECT_EQ(m_leaf->m_updates, 2);
    const QrAVInstance* leaf = m_leaf->GetCurrentInstance();
    EXPECT_TRUE(leaf->m_worldTranslate.IsEqual(QrPoint3(2.0f, 0.0f, 0.0f)));
    EXPECT_TRUE(leaf->m_worldRotate.IsEqual(BoardRotation()));
}

TEST_F(QrBillboardNodeTest, TurningAboutUpWorksInTheNodesOwnFrame)
{
    // The parent turns a quarter about y; the node sits 5 along the parent's z, at world (5, 0, 0).
    m_parent->GetRotate() = kQuarterTurnAboutY;
    m_board->SetTranslate(0.0f, 0.0f, 5.0f);
    UpdateAll();
    ASSERT_TRUE(m_board->GetCurrentInstance()->m_worldTranslate.IsEqual(QrPoint3(5.0f, 0.0f, 0.0f)));

    // A camera at (5, 0, -10) lies along the node's own +x: the turn is a quarter about y again,
    // and the world z axis points from the node to the camera.
    Face(CameraAt(QrPoint3(5.0f, 0.0f, -10.0f)));
    EXPECT_TRUE(BoardRotation().IsEqual(QrMatrix3(-1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, -1.0f)));
    EXPECT_TRUE(m_board->GetCurrentInstance()->m_worldTranslate.IsEqual(QrPoint3(5.0f, 0.0f, 0.0f)));

    // Straight above: no horizontal direction, the ordinary world rotation stays.
    Face(CameraAt(QrPoint3(5.0f, 20.0f, 0.0f)));
    EXPECT_TRUE(BoardRotation().IsEqual(kQuarterTurnAboutY));
}

// --- screen aligned

// --- facing the view plane

TEST_F(QrBillboardNodeTest, FacingTheViewPlaneIgnoresTheCamerasRoll)
{
    m_board->SetMode(QrBillboardNode::kFaceViewPlane);
    UpdateAll();
    // Rolled by 30 degrees about its view axis +x.
    const float c = std::cos(0.5235988f);
    const float s = std::sin(0.5235988f);
    Face(Camera(QrPoint3(-10.0f, 0.0f, 0.0f), QrPoint3(1.0f, 0.0f, 0.0f), QrPoint3(0.0f, c, s), QrPoint3(0.0f, -s, c)));
    // Upright, facing back along the view axis.
    ExpectMatrixNear(BoardRotation(),
                     FromColumns(QrPoint3(0.0f, 0.0f, 1.0f), QrPoint3(0.0f, 1.0f, 0.0f), QrPoint3(-1.0f, 0.0f, 0.0f)));
}

TEST_F(QrBillboardNodeTest, FacingTheViewPlaneTiltsWithThePitchButKeepsXLevel)
{
    m_board->SetMode(QrBillboardNode::kFaceViewPlane);
    UpdateAll();
    // Pitched down by 30 degrees about its right axis +z.
    const float c = std::cos(0.5235988f);
    const float s = std::sin(0.5235988f);
    Face(Camera(QrPoint3(-10.0f, 5.0f, 0.0f), QrPoint3(c, -s, 0.0f), QrPoint3(s, c, 0.0f), QrPoint3(0.0f, 0.0f, 1.0f)));
    ExpectMatrixNear(BoardRotation(),
                     FromColumns(QrPoint3(0.0f, 0.0f, 1.0f), QrPoint3(s, c, 0.0f), QrPoint3(-c, s, 0.0f)));
    EXPECT_EQ(BoardRotation().GetColumn(0).y, 0.0f);
}

TEST_F(QrBillboardNodeTest, FacingTheViewPlaneStraightDownKeepsTheOrdinaryRotation)
{
    m_board->SetMode(QrBillboardNode::kFaceViewPlane);
    m_board->GetRotate() = kQuarterTurnAboutY;
    UpdateAll();
    Face(Camera(QrPoint3(0.0f, 10.0f, 0.0f), QrPoint3(0.0f, -1.0f, 0.0f), QrPoint3(1.0f, 0.0f, 0.0f),
                QrPoint3(0.0f, 0.0f, 1.0f)));
    EXPECT_TRUE(BoardRotation().IsEqual(kQuarterTurnAboutY));
}

// --- bound

TEST_F(QrBillboardNodeTest, TheBoundHoldsTheSubtreeInEveryOrientation)
{
    m_board->SetTranslate(4.0f, 0.0f, 0.0f);
    UpdateAll();
    // The leaf's radius-1 sphere two units from the node: radius 3 about the node.
    const QrBound& bound = m_board->GetWorldBound();
    EXPECT_TRUE(bound.GetCenter().IsEqual(QrPoint3(4.0f, 0.0f, 0.0f)));
    EXPECT_EQ(bound.GetRadius(), 3.0f);
    for (float x : {-30.0f, 30.0f})
    {
        Face(CameraAt(QrPoint3(x, 0.0f, 1.0f)));
        EXPECT_TRUE(m_leaf->GetWorldBound().IsInside(bound)) << x;
    }

    // Without children the bound is the node's point.
    QrPointer<QrAVObject> taken = m_board->DetachChildAt(0);
    m_board->Update(m_board->GetCurrentInstance());
    EXPECT_TRUE(m_board->GetWorldBound().GetCenter().IsEqual(QrPoint3(4.0f, 0.0f, 0.0f)));
    EXPECT_EQ(m_board->GetWorldBound().GetRadius(), 0.0f);
    EXPECT_FALSE(m_board->IsDisplayable());
}

// --- clone and scene file

TEST_F(QrBillboardNodeTest, CloneAndRoundTripKeepTheMode)
{
    m_board->SetMode(QrBillboardNode::kAlignToScreen);
    m_board->SetName("board");
    QrPointer<QrAVObject> copy = m_board->CreateClone();
    QrBillboardNode* clone = QrDynamicCast<QrBillboardNode>(copy.Get());
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(clone->GetMode(), QrBillboardNode::kAlignToScreen);
    EXPECT_EQ(clone->GetChildAt(0), m_leaf.Get());
    EXPECT_FALSE(clone->IsEqual(m_board.Get())) << "a clone has no name";

    QrStream loader;
    QrBillboardNode* loaded = specialnodes::RoundTrip(m_board.Get(), loader);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->GetMode(), QrBillboardNode::kAlignToScreen);
    loaded->SetMode(QrBillboardNode::kTurnAboutUp);
    EXPECT_FALSE(loaded->IsEqual(m_board.Get()));
}

// --- drawing

TEST_F(QrBillboardNodeTest, ADrawTurnsTheNodeTowardTheCamera)
{
    UpdateAll();
    QrPointer<QrCamera> camera = specialnodes::CameraLookingAt(QrPoint3(10.0f, 5.0f, 0.0f), QrPoint3());
    specialnodes::DrawThrough(camera.Get(), m_parent.Get());
    ASSERT_EQ(m_leaf->m_drawnRotations.size(), 1u);
    EXPECT_TRUE(m_leaf->m_drawnRotations[0].IsEqual(QrMatrix3(0.0f, 0.0f, 1.0f, 0.0f, 1.0f, 0.0f, -1.0f, 0.0f, 0.0f)));

    // The display pass turns it as well.
    camera = specialnodes::CameraLookingAt(QrPoint3(0.0f, 5.0f, -10.0f), QrPoint3());
    camera->SetSortFlag(0);
    specialnodes::DrawThrough(camera.Get(), m_parent.Get(), true);
    ASSERT_EQ(m_leaf->m_drawnRotations.size(), 2u);
    EXPECT_TRUE(m_leaf->m_drawnRotations[1].GetColumn(2).IsEqual(QrPoint3(0.0f, 0.0f, -1.0f)));
}

TEST_F(QrBillboardNodeTest, AScreenAlignedNodeDrawsWithTheCamerasAxes)
{
    m_board->SetMode(QrBillboardNode::kAlignToScreen);
    m_parent->GetRotate() = kQuarterTurnAboutY;
    UpdateAll();
    QrPointer<QrCamera> camera =
        specialnodes::CameraLookingAt(QrPoint3(3.0f, 8.0f, 12.0f), QrPoint3(), QrPoint3(0.0f, 1.0f, 0.0f));
    specialnodes::DrawThrough(camera.Get(), m_parent.Get());
    ASSERT_EQ(m_leaf->m_drawnRotations.size(), 1u);
    const QrMatrix3 expected = FromColumns(camera->GetWorldRight(), camera->GetWorldUp(), camera->GetWorldDirection());
    ExpectMatrixNear(m_leaf->m_drawnRotations[0], expected, 1e-6f);
}
