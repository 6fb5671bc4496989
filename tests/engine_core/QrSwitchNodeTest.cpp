#include "QrTestFixture.h"

#include "NodeVariantTestHelpers.h"
#include "QrSwitchNode.h"

using specialnodes::ProbeLeaf;

class QrSwitchNodeTest : public QrEngineTest
{
protected:
    void SetUp() override
    {
        QrEngineTest::SetUp();
        SceneTestLeaf::RegisterCreateFunction();
        m_switch = new QrSwitchNode;
        m_a = new ProbeLeaf(&m_log, "a", QrPoint3(-3.0f, 0.0f, 0.0f), 1.0f);
        m_b = new ProbeLeaf(&m_log, "b", QrPoint3(3.0f, 0.0f, 0.0f), 1.0f);
        m_switch->AttachChild(m_a.Get());
        m_switch->AttachChild(m_b.Get());
    }

    void TearDown() override
    {
        m_switch = nullptr;
        m_a = nullptr;
        m_b = nullptr;
        QrEngineTest::TearDown();
    }

    void UpdateSwitch() { m_switch->Update(m_switch->GetCurrentInstance()); }
    // The state push of a draw, without a camera.
    void PushAndPop()
    {
        m_switch->PushState(nullptr, m_switch->GetCurrentInstance());
        m_switch->PopState(nullptr, m_switch->GetCurrentInstance());
    }

    std::vector<std::string> m_log;
    QrPointer<QrSwitchNode> m_switch;
    QrPointer<ProbeLeaf> m_a;
    QrPointer<ProbeLeaf> m_b;
};

// --- world update and bound

TEST_F(QrSwitchNodeTest, TheBoundCoversEveryDisplayableChildInTheNodesFrame)
{
    m_switch->SetActiveIndex(0);
    m_switch->SetTranslate(10.0f, 0.0f, 0.0f);
    m_switch->SetRotate(1.5707963f, 0.0f, 1.0f, 0.0f);
    m_switch->SetScale(2.0f);
    UpdateSwitch();
    EXPECT_EQ(m_a->m_updates, 1);
    EXPECT_EQ(m_b->m_updates, 1) << "without the lazy flag every child is updated";

    // Children at x = -3 and 3 with radius 1: a sphere of radius 4 about the node's origin.
    EXPECT_NEAR(m_switch->GetModelBound().GetCenter().x, 0.0f, 1e-5f);
    EXPECT_NEAR(m_switch->GetModelBound().GetRadius(), 4.0f, 1e-5f);
    const QrBound& world = m_switch->GetWorldBound();
    EXPECT_NEAR(world.GetCenter().x, 10.0f, 1e-4f);
    EXPECT_NEAR(world.GetCenter().z, 0.0f, 1e-4f);
    EXPECT_NEAR(world.GetRadius(), 8.0f, 1e-4f);
    EXPECT_TRUE(m_b->GetWorldBound().IsInside(world)) << "the inactive child is inside too";
    EXPECT_TRUE(m_switch->IsDisplayable());
}

TEST_F(QrSwitchNodeTest, WithoutDisplayableChildrenTheSwitchIsNotDisplayable)
{
    m_a->m_displayable = false;
    m_b->m_displayable = false;
    UpdateSwitch();
    EXPECT_FALSE(m_switch->IsDisplayable());
    EXPECT_EQ(m_switch->GetModelBound().GetRadius(), 0.0f);
    EXPECT_EQ(m_switch->GetModelBound().GetFlag(), 0u);
}

TEST_F(QrSwitchNodeTest, ALazyUpdateWithoutAnActiveChildTouchesNothing)
{
    UpdateSwitch();
    const QrBound before = m_switch->GetWorldBound();
    m_switch->SetUpdateActiveOnly(1);
    m_switch->SetTranslate(50.0f, 0.0f, 0.0f);
    UpdateSwitch();
    EXPECT_EQ(m_a->m_updates, 1);
    EXPECT_EQ(m_b->m_updates, 1);
    EXPECT_TRUE(m_switch->GetWorldBound().IsEqual(before));
}

TEST_F(QrSwitchNodeTest, ALazySwitchUpdatesTheActiveChildOnceWhenItIsDrawn)
{
    m_switch->SetUpdateActiveOnly(1);
    m_switch->SetActiveIndex(0);
    UpdateSwitch(); // the first lazy update computes the bound once over every child
    EXPECT_EQ(m_a->m_updates, 1);
    EXPECT_EQ(m_b->m_updates, 1);
    PushAndPop();
    EXPECT_EQ(m_a->m_updates, 1) << "already up to date";

    UpdateSwitch();
    EXPECT_EQ(m_a->m_updates, 1) << "deferred until drawn";
    PushAndPop();
    PushAndPop();
    EXPECT_EQ(m_a->m_updates, 2) << "once per update of the switch";

    m_switch->SetActiveIndex(1);
    PushAndPop();
    PushAndPop();
    EXPECT_EQ(m_b->m_updates, 2);
    EXPECT_EQ(m_a->m_updates, 2);
}

TEST_F(QrSwitchNodeTest, AChildChangeMakesEveryChildStaleAgain)
{
    m_switch->SetUpdateActiveOnly(1);
    m_switch->SetActiveIndex(0);
    UpdateSwitch();
    PushAndPop();
    ASSERT_EQ(m_a->m_updates, 1);

    // Replacing another slot restarts the stamps: the active child is refreshed once more.
    QrPointer<ProbeLeaf> c = new ProbeLeaf(&m_log, "c");
    QrPointer<QrAVObject> previous = m_switch->SetAt(1, c.Get());
    EXPECT_EQ(previous.Get(), m_b.Get());
    PushAndPop();
    PushAndPop();
    EXPECT_EQ(m_a->m_updates, 2);

    m_switch->DetachChildAt(1);
    PushAndPop();
    EXPECT_EQ(m_a->m_updates, 3);
}

TEST_F(QrSwitchNodeTest, AMovedChildReachesTheSwitchAndItsParent)
{
    QrPointer<QrNode> root = new QrNode;
    root->AttachChild(m_switch.Get());
    root->Update(root->GetCurrentInstance());
    m_b->SetTranslate(0.0f, 0.0f, 30.0f);
    m_b->UpdateAllInstances();
    EXPECT_TRUE(m_b->GetWorldBound().IsInside(m_switch->GetWorldBound()));
    EXPECT_TRUE(m_switch->GetWorldBound().IsInside(root->GetWorldBound()));
}

// --- active child

TEST_F(QrSwitchNodeTest, TheActiveChildIsNoneOutsideTheFilledSlots)
{
    m_switch->SetAt(3, m_a.Get());
    m_switch->SetActiveIndex(1);
    EXPECT_EQ(m_switch->GetActiveChild(), m_b.Get());
    for (int32_t index : {-1, 2, 4, 1000})
    {
        m_switch->SetActiveIndex(index);
        EXPECT_EQ(m_switch->GetActiveChild(), nullptr) << index;
    }
    // A lazy push with such an index updates nothing.
    m_switch->SetUpdateActiveOnly(1);
    m_switch->SetActiveIndex(2);
    UpdateSwitch();
    const int before = m_a->m_updates + m_b->m_updates;
    PushAndPop();
    EXPECT_EQ(m_a->m_updates + m_b->m_updates, before);
}

// --- collisions

class QrSwitchNodeCollisionTest : public QrSwitchNodeTest
{
protected:
    void SetUp() override
    {
        QrSwitchNodeTest::SetUp();
        m_other = new ProbeLeaf(nullptr, "other");
        m_other->Update(m_other->GetCurrentInstance());
        m_theirs.m_reportedObject = m_other.Get();
        m_theirs.m_object = m_other.Get();
        m_theirs.m_instance = m_other->GetCurrentInstance();
        m_mine.m_reportedObject = m_switch.Get();
        m_mine.m_object = m_switch.Get();
        m_mine.m_budget = 4;
        m_mine.m_splitSize = 6;
        m_mine.m_instance = m_switch->GetCurrentInstance();
        UpdateSwitch();
    }
    void TearDown() override
    {
        m_other = nullptr;
        QrSwitchNodeTest::TearDown();
    }

    QrPointer<ProbeLeaf> m_other;
    QrCollisionRecord m_theirs;
    QrCollisionRecord m_mine;
};

TEST_F(QrSwitchNodeCollisionTest, ALazySwitchHandsTheActiveChildToTheOtherSide)
{
    m_switch->SetUpdateActiveOnly(1);
    m_switch->SetActiveIndex(1);
    m_other->m_collides = true;
    EXPECT_TRUE(m_switch->TestCollisions(0.25f, m_mine, m_theirs));
    ASSERT_EQ(m_other->m_otherRecords.size(), 1u);
    const QrCollisionRecord& handed = m_other->m_otherRecords[0];
    EXPECT_EQ(handed.m_reportedObject, m_switch.Get());
    EXPECT_EQ(handed.m_object, m_b.Get());
    EXPECT_EQ(handed.m_budget, 4);
    EXPECT_EQ(handed.m_splitSize, 6u);
    EXPECT_EQ(handed.m_instance, m_b->FindInstance(m_switch.Get()));
    EXPECT_EQ(handed.m_index, -1);
    EXPECT_TRUE(m_a->m_collisionRecords.empty());
    EXPECT_TRUE(m_b->m_collisionRecords.empty()) << "asked through the other side, not directly";

    m_other->m_findAnswer = 1;
    EXPECT_EQ(m_switch->FindCollisions(0.25f, m_mine, m_theirs), 1);

    for (int32_t index : {-1, 5})
    {
        m_switch->SetActiveIndex(index);
        EXPECT_FALSE(m_switch->TestCollisions(0.25f, m_mine, m_theirs)) << index;
        EXPECT_EQ(m_switch->FindCollisions(0.25f, m_mine, m_theirs), 0) << index;
    }
    EXPECT_EQ(m_other->m_otherRecords.size(), 2u) << "nothing asked without an active child";
}

TEST_F(QrSwitchNodeCollisionTest, AnEagerSwitchQueriesAllChildrenAsANodeDoes)
{
    m_switch->SetActiveIndex(0);
    m_b->m_collides = true;
    EXPECT_TRUE(m_switch->TestCollisions(0.25f, m_mine, m_theirs));
    EXPECT_EQ(m_a->m_collisionRecords.size(), 1u);
    EXPECT_EQ(m_b->m_collisionRecords.size(), 1u) << "the inactive child takes part";
    EXPECT_TRUE(m_other->m_otherRecords.empty());
}

// --- tree services

TEST_F(QrSwitchNodeTest, OptimizeKeepsEveryChildInItsSlot)
{
    QrPointer<QrNode> branch = new QrNode;
    branch->AttachChild(new QrNode); // empty: removed from the branch
    branch->AttachChild(new ProbeLeaf(nullptr, "kept"));
    m_switch->SetAt(3, branch.Get());
    EXPECT_FALSE(m_switch->Optimize(QrNode::kOptimizeRemoveEmpty | QrNode::kOptimizeDissolvePassThrough));
    EXPECT_EQ(m_switch->GetChildCount(), 4u);
    EXPECT_EQ(m_switch->GetChildAt(0), m_a.Get());
    EXPECT_EQ(m_switch->GetChildAt(2), nullptr);
    EXPECT_EQ(m_switch->GetChildAt(3), branch.Get()) << "a pass-through child is not dissolved here";
    EXPECT_EQ(branch->GetNonEmptyChildCount(), 1u) << "the children are optimised themselves";
}

TEST_F(QrSwitchNodeTest, ACloneIsASwitchWithTheSameChoice)
{
    m_switch->SetActiveIndex(1);
    m_switch->SetUpdateActiveOnly(1);
    QrPointer<QrNode> branch = new QrNode;
    m_switch->AttachChild(branch.Get());
    QrPointer<QrAVObject> copy = m_switch->CreateClone();
    QrSwitchNode* clone = QrDynamicCast<QrSwitchNode>(copy.Get());
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(clone->GetRTTI(), &QrSwitchNode::ms_RTTI);
    EXPECT_EQ(clone->GetActiveIndex(), 1);
    EXPECT_EQ(clone->GetUpdateActiveOnly(), 1u);
    EXPECT_EQ(clone->GetChildAt(1), m_b.Get()) << "leaves are shared";
    EXPECT_NE(clone->GetChildAt(2), branch.Get()) << "nodes are copied";
    EXPECT_TRUE(clone->IsEqual(m_switch.Get()));

    // The clone keeps its own stamps: its first lazy update brings its instance of the shared
    // leaf up to date, and its first draw then leaves it alone.
    const int before = m_b->m_updates;
    clone->Update(clone->GetCurrentInstance());
    EXPECT_EQ(m_b->m_updates, before + 1);
    clone->PushState(nullptr, clone->GetCurrentInstance());
    clone->PopState(nullptr, clone->GetCurrentInstance());
    EXPECT_EQ(m_b->m_updates, before + 1);
}

// --- scene file

TEST_F(QrSwitchNodeTest, RoundTripKeepsTheChoiceAndTheSlots)
{
    m_switch->SetName("switch");
    m_switch->SetActiveIndex(2);
    m_switch->SetUpdateActiveOnly(1);
    m_switch->SetAt(3, new QrNode);
    m_switch->DetachChildAt(0);
    QrStream loader;
    QrSwitchNode* loaded = specialnodes::RoundTrip(m_switch.Get(), loader);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->GetActiveIndex(), 2);
    EXPECT_EQ(loaded->GetUpdateActiveOnly(), 1u);
    EXPECT_EQ(loaded->GetChildCount(), 4u);
    EXPECT_EQ(loaded->GetChildAt(0), nullptr);

    // A loaded lazy switch has never computed its bound: its first update does.
    loaded->SetActiveIndex(1);
    loaded->GetChildAt(1)->SetTranslate(5.0f, 0.0f, 0.0f);
    EXPECT_EQ(loaded->GetModelBound().GetFlag(), 1u);
    loaded->Update(loaded->GetCurrentInstance());
    EXPECT_EQ(loaded->GetModelBound().GetFlag(), 0u);
    EXPECT_TRUE(loaded->IsDisplayable());
    EXPECT_EQ(loaded->GetWorldBound().GetCenter().x, 5.0f);
}

// --- drawing

TEST_F(QrSwitchNodeTest, OnlyTheActiveChildIsDrawn)
{
    QrPointer<QrCamera> camera = specialnodes::CameraLookingAt(QrPoint3(0.0f, 0.0f, 20.0f), QrPoint3());
    UpdateSwitch();
    specialnodes::DrawThrough(camera.Get(), m_switch.Get());
    EXPECT_TRUE(m_log.empty()) << "nothing is active";

    m_switch->SetActiveIndex(1);
    specialnodes::DrawThrough(camera.Get(), m_switch.Get());
    EXPECT_EQ(m_log, (std::vector<std::string>{"b"}));

    // Past the children, and at an empty slot: nothing.
    m_log.clear();
    m_switch->SetActiveIndex(2);
    specialnodes::DrawThrough(camera.Get(), m_switch.Get());
    m_switch->SetAt(3, m_a.Get());
    specialnodes::DrawThrough(camera.Get(), m_switch.Get());
    EXPECT_TRUE(m_log.empty());
    m_switch->SetActiveIndex(3);
    specialnodes::DrawThrough(camera.Get(), m_switch.Get());
    EXPECT_EQ(m_log, (std::vector<std::string>{"a"}));
}

TEST_F(QrSwitchNodeTest, ALazySwitchDrawsTheNewlyActiveChildUpToDate)
{
    QrPointer<QrCamera> camera = specialnodes::CameraLookingAt(QrPoint3(0.0f, 0.0f, 20.0f), QrPoint3());
    m_switch->SetUpdateActiveOnly(1);
    m_switch->SetActiveIndex(0);
    UpdateSwitch();
    m_switch->SetTranslate(0.0f, 2.0f, 0.0f);
    UpdateSwitch();
    ASSERT_EQ(m_b->m_updates, 1);

    m_switch->SetActiveIndex(1);
    specialnodes::DrawThrough(camera.Get(), m_switch.Get());
    specialnodes::DrawThrough(camera.Get(), m_switch.Get());
    EXPECT_EQ(m_log, (std::vector<std::string>{"b", "b"}));
    EXPECT_EQ(m_b->m_updates, 2) << "updated once, at its first draw";
    EXPECT_TRUE(m_b->GetCurrentInstance()->m_worldTranslate.IsEqual(QrPoint3(0.0f, 2.0f, 0.0f)));
    EXPECT_EQ(m_a->m_updates, 1);
}

TEST_F(QrSwitchNodeTest, TheDisplayPassSortsOrDefersOnlyTheActiveChild)
{
    specialnodes::RecordingSorter::Install install(&m_log);
    QrPointer<QrCamera> camera = specialnodes::CameraLookingAt(QrPoint3(0.0f, 0.0f, 20.0f), QrPoint3());
    m_a->SetName("a");
    m_b->SetName("b");
    m_switch->SetActiveIndex(1);
    UpdateSwitch();

    // Sorting on and no sorter yet: the switch makes its own, once, for its active child.
    camera->SetSortFlag(1);
    specialnodes::DrawThrough(camera.Get(), m_switch.Get(), true);
    specialnodes::DrawThrough(camera.Get(), m_switch.Get(), true);
    EXPECT_EQ(m_log, (std::vector<std::string>{"start", "offer b", "b", "finish", "start", "offer b", "b", "finish"}));
    EXPECT_EQ(install.Made(), 1);

    // Sorting off inside a sorted subtree: the whole switch is offered as one object.
    m_log.clear();
    camera->SetSortFlag(0);
    specialnodes::RecordingSorter outer(&m_log);
    outer.m_takes = true;
    m_switch->SetName("switch");
    m_switch->Display(camera.Get(), &outer, m_switch->GetCurrentInstance());
    EXPECT_EQ(m_log, (std::vector<std::string>{"offer switch"}));
    m_log.clear();
    outer.m_takes = false;
    m_switch->Display(camera.Get(), &outer, m_switch->GetCurrentInstance());
    EXPECT_EQ(m_log, (std::vector<std::string>{"offer switch", "b"}));
}
