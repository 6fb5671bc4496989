#include "QrTestFixture.h"

#include "NodeVariantTestHelpers.h"
#include "QrBSPNode.h"

using specialnodes::ProbeLeaf;

namespace
{
// A quarter turn about z: x goes to y.
const QrMatrix3 kXToY(0.0f, -1.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f);
const QrPlane kGround(QrPoint3(0.0f, 1.0f, 0.0f), 0.0f);
} // namespace

class QrBSPNodeTest : public QrEngineTest
{
protected:
    void SetUp() override
    {
        QrEngineTest::SetUp();
        SceneTestLeaf::RegisterCreateFunction();
        m_bsp = new QrBSPNode;
        m_front = new ProbeLeaf(&m_log, "front", QrPoint3(0.0f, 1.0f, 0.0f), 0.5f);
        m_back = new ProbeLeaf(&m_log, "back", QrPoint3(0.0f, -1.0f, 0.0f), 0.5f);
        m_bsp->AttachChild(m_front.Get());
        m_bsp->AttachChild(m_back.Get());
        m_bsp->SetModelPlane(kGround);
    }

    void TearDown() override
    {
        m_bsp = nullptr;
        m_front = nullptr;
        m_back = nullptr;
        QrEngineTest::TearDown();
    }

    void UpdateBsp() { m_bsp->Update(m_bsp->GetCurrentInstance()); }

    std::vector<std::string> m_log;
    QrPointer<QrBSPNode> m_bsp;
    QrPointer<ProbeLeaf> m_front;
    QrPointer<ProbeLeaf> m_back;
};

TEST_F(QrBSPNodeTest, TheNodeStartsWithItsTwoSlots)
{
    QrPointer<QrBSPNode> fresh = new QrBSPNode;
    QrPointer<ProbeLeaf> only = new ProbeLeaf(nullptr, "only");
    fresh->SetAt(1, only.Get());
    EXPECT_EQ(fresh->GetChildCount(), 2u);
    EXPECT_EQ(fresh->GetChildAt(0), nullptr);
    EXPECT_EQ(fresh->GetChildInstanceAt(1), only->FindInstance(fresh.Get()));
    EXPECT_EQ(m_bsp->GetChildAt(0), m_front.Get());
    EXPECT_EQ(m_bsp->GetChildAt(1), m_back.Get());
}

TEST_F(QrBSPNodeTest, TheWorldPlaneFollowsTheNodesTransform)
{
    m_bsp->SetModelPlane(QrPlane(QrPoint3(1.0f, 0.0f, 0.0f), 1.0f));
    m_bsp->SetTranslate(0.0f, 3.0f, 0.0f);
    m_bsp->GetRotate() = kXToY;
    m_bsp->SetScale(2.0f);
    UpdateBsp();
    // The model plane x = 1 becomes y = 2 * 1 + 3.
    EXPECT_TRUE(m_bsp->GetWorldPlane().IsEqual(QrPlane(QrPoint3(0.0f, 1.0f, 0.0f), 5.0f)));
    EXPECT_TRUE(m_bsp->GetModelPlane().IsEqual(QrPlane(QrPoint3(1.0f, 0.0f, 0.0f), 1.0f)));
}

TEST_F(QrBSPNodeTest, TheEyesSideOfThePlaneDecidesWhichChildComesFirst)
{
    UpdateBsp();
    const QrPoint3 forward(1.0f, 0.0f, 0.0f);
    EXPECT_TRUE(m_bsp->DrawsFrontFirst(QrPoint3(0.0f, 5.0f, 0.0f), forward));
    EXPECT_FALSE(m_bsp->DrawsFrontFirst(QrPoint3(0.0f, -5.0f, 0.0f), forward));
    // On the plane the view axis decides; along the plane counts as front.
    EXPECT_TRUE(m_bsp->DrawsFrontFirst(QrPoint3(3.0f, 0.0f, 0.0f), QrPoint3(0.0f, 1.0f, 0.0f)));
    EXPECT_FALSE(m_bsp->DrawsFrontFirst(QrPoint3(3.0f, 0.0f, 0.0f), QrPoint3(0.0f, -1.0f, 0.0f)));
    EXPECT_TRUE(m_bsp->DrawsFrontFirst(QrPoint3(3.0f, 0.0f, 0.0f), forward));

    // A node lifted by 10: an eye at y = 5 is now behind its plane.
    m_bsp->SetTranslate(0.0f, 10.0f, 0.0f);
    UpdateBsp();
    EXPECT_FALSE(m_bsp->DrawsFrontFirst(QrPoint3(0.0f, 5.0f, 0.0f), forward));
}

TEST_F(QrBSPNodeTest, APushedTransformMovesThePlaneWithTheChildren)
{
    // In the parent's frame the node's children are handed the transform unchanged.
    m_bsp->ApplyTransform(kXToY, QrPoint3(0.0f, 0.0f, 2.0f), false);
    // y = 0 turned about z becomes x = 0 (normal -x), then moved along z: still x = 0.
    EXPECT_TRUE(m_bsp->GetModelPlane().IsEqual(QrPlane(QrPoint3(-1.0f, 0.0f, 0.0f), 0.0f)));
    ASSERT_EQ(m_front->m_transforms.size(), 1u);
    EXPECT_TRUE(m_front->m_transforms[0].rotation.IsEqual(kXToY));
    EXPECT_TRUE(m_front->m_transforms[0].translation.IsEqual(QrPoint3(0.0f, 0.0f, 2.0f)));
    EXPECT_TRUE(m_front->m_transforms[0].inParentFrame);

    // In the node's frame: with the node at (1, 0, 0) the children get (R, R T + t - T).
    m_bsp->SetModelPlane(QrPlane(QrPoint3(1.0f, 0.0f, 0.0f), 1.0f));
    m_bsp->SetTranslate(1.0f, 0.0f, 0.0f);
    m_bsp->ApplyTransform(kXToY, QrPoint3(0.0f, 2.0f, 0.0f), true);
    ASSERT_EQ(m_back->m_transforms.size(), 2u);
    EXPECT_TRUE(m_back->m_transforms[1].translation.IsEqual(QrPoint3(-1.0f, 3.0f, 0.0f)));
    // The point (1, 0, 0) of the plane x = 1 goes to (-1, 3, 0) + (0, 1, 0): the plane y = 4.
    EXPECT_TRUE(m_bsp->GetModelPlane().IsEqual(QrPlane(QrPoint3(0.0f, 1.0f, 0.0f), 4.0f)));
}

TEST_F(QrBSPNodeTest, OptimizeNeverMovesTheTwoChildren)
{
    QrPointer<QrNode> passThrough = new QrNode;
    passThrough->AttachChild(new ProbeLeaf(nullptr, "deep"));
    QrPointer<QrAVObject> old = m_bsp->SetAt(0, passThrough.Get());
    QrPointer<QrAVObject> gone = m_bsp->DetachChildAt(1);
    EXPECT_FALSE(m_bsp->Optimize(QrNode::kOptimizeRemoveEmpty | QrNode::kOptimizeDissolvePassThrough));
    EXPECT_EQ(m_bsp->GetChildAt(0), passThrough.Get());
    EXPECT_EQ(m_bsp->GetChildAt(1), nullptr);
    EXPECT_EQ(passThrough->GetNonEmptyChildCount(), 1u);
}

TEST_F(QrBSPNodeTest, CloneAndRoundTripKeepThePlaneAndTheSlots)
{
    m_bsp->SetModelPlane(QrPlane(QrPoint3(0.0f, 0.6f, 0.8f), -2.5f));
    QrPointer<QrAVObject> copy = m_bsp->CreateClone();
    QrBSPNode* clone = QrDynamicCast<QrBSPNode>(copy.Get());
    ASSERT_NE(clone, nullptr);
    EXPECT_TRUE(clone->IsEqual(m_bsp.Get()));
    EXPECT_TRUE(clone->GetModelPlane().IsEqual(m_bsp->GetModelPlane()));

    QrPointer<QrAVObject> front = m_bsp->DetachChildAt(0);
    QrStream loader;
    QrBSPNode* loaded = specialnodes::RoundTrip(m_bsp.Get(), loader);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->GetChildCount(), 2u);
    EXPECT_EQ(loaded->GetChildAt(0), nullptr);
    EXPECT_NE(loaded->GetChildAt(1), nullptr);
    EXPECT_FALSE(loaded->IsEqual(clone)) << "the clone still has its front child";
}

// --- drawing

TEST_F(QrBSPNodeTest, TheCamerasSideOfThePlaneOrdersTheTwoDraws)
{
    UpdateBsp();
    using Log = std::vector<std::string>;
    for (bool displayPass : {false, true})
    {
        SCOPED_TRACE(displayPass ? "display pass" : "draw pass");
        QrPointer<QrCamera> above = specialnodes::CameraLookingAt(QrPoint3(0.0f, 5.0f, 10.0f), QrPoint3());
        QrPointer<QrCamera> below = specialnodes::CameraLookingAt(QrPoint3(0.0f, -5.0f, 10.0f), QrPoint3());
        above->SetSortFlag(0);
        below->SetSortFlag(0);
        m_log.clear();
        specialnodes::DrawThrough(above.Get(), m_bsp.Get(), displayPass);
        EXPECT_EQ(m_log, (Log{"front", "back"}));
        m_log.clear();
        specialnodes::DrawThrough(below.Get(), m_bsp.Get(), displayPass);
        EXPECT_EQ(m_log, (Log{"back", "front"}));
    }

    // An empty slot is skipped.
    QrPointer<QrAVObject> front = m_bsp->DetachChildAt(0);
    m_log.clear();
    QrPointer<QrCamera> above = specialnodes::CameraLookingAt(QrPoint3(0.0f, 5.0f, 10.0f), QrPoint3());
    specialnodes::DrawThrough(above.Get(), m_bsp.Get());
    EXPECT_EQ(m_log, (Log{"back"}));
}
