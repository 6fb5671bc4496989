#include "QrMathTestHelpers.h"
#include "QrTestFixture.h"
#include "StreamTestHelpers.h"

#include "QrAlphaProperty.h"
#include "QrNode.h"
#include "QrPick.h"
#include "QrPickResult.h"
#include "QrStream.h"
#include "QrZBufferProperty.h"
#include "SceneTestObjects.h"

#include "DebugOutput.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace
{

// Counts the upward bound propagations that reach it.
class CountingNode : public QrNode
{
public:
    void PropagateBoundUp() override
    {
        ++m_propagations;
        QrNode::PropagateBoundUp();
    }
    int m_propagations = 0;
};

using streamtest::Save;
} // namespace

class QrNodeTest : public QrEngineTest
{
protected:
    void SetUp() override
    {
        QrEngineTest::SetUp();
        SceneTestLeaf::RegisterCreateFunction();
        plat::SetDebugSink(&m_debug);
    }
    void TearDown() override
    {
        plat::SetDebugSink(nullptr);
        QrEngineTest::TearDown();
    }

    // Child i has instance i under the node, for every slot.
    static void ExpectAligned(const QrNode& node)
    {
        for (uint32_t i = 0; i < node.GetChildCount(); ++i)
        {
            QrAVObject* child = node.GetChildAt(i);
            if (child)
                EXPECT_EQ(node.GetChildInstanceAt(i), child->FindInstance(const_cast<QrNode*>(&node))) << i;
            else
                EXPECT_EQ(node.GetChildInstanceAt(i), nullptr) << i;
        }
    }

    plat::RecordingDebugSink m_debug;
};

// --- child slots

TEST_F(QrNodeTest, DetachingAMiddleSlotLeavesAHoleThatFirstFreeAttachFills)
{
    QrPointer<QrNode> node = new QrNode;
    QrPointer<SceneTestLeaf> a = new SceneTestLeaf;
    QrPointer<SceneTestLeaf> b = new SceneTestLeaf;
    QrPointer<SceneTestLeaf> c = new SceneTestLeaf;
    QrPointer<SceneTestLeaf> d = new SceneTestLeaf;
    node->AttachChild(a.Get());
    node->AttachChild(b.Get());
    node->AttachChild(c.Get());

    QrPointer<QrAVObject> taken = node->DetachChildAt(1);
    EXPECT_EQ(taken.Get(), b.Get());
    EXPECT_EQ(node->GetChildCount(), 3u);
    EXPECT_EQ(node->GetChildAt(1), nullptr);
    EXPECT_EQ(b->GetParent(), nullptr);
    EXPECT_EQ(node->DetachChildAt(1).Get(), nullptr) << "an empty slot";
    EXPECT_EQ(node->DetachChildAt(7).Get(), nullptr) << "past the used size";
    ExpectAligned(*node);

    node->AttachChild(d.Get(), true);
    EXPECT_EQ(node->GetChildAt(1), d.Get());
    EXPECT_EQ(node->GetChildCount(), 3u);
    ExpectAligned(*node);

    node->DetachChildAt(2);
    EXPECT_EQ(node->GetChildCount(), 2u) << "detaching the last slot shortens the used size";
    node->AttachChild(c.Get());
    EXPECT_EQ(node->GetChildAt(2), c.Get());
    ExpectAligned(*node);
    EXPECT_EQ(node->DetachChild(b.Get()).Get(), nullptr) << "not a child";
}

TEST_F(QrNodeTest, ANodeMovesToItsNewParentWithAWarning)
{
    QrPointer<QrNode> first = new QrNode;
    QrPointer<QrNode> second = new QrNode;
    first->AttachChild(new QrNode); // held only by its parent
    QrAVObject* moved = first->GetChildAt(0);
    EXPECT_TRUE(m_debug.Lines().empty());

    second->AttachChild(moved);
    EXPECT_EQ(first->GetChildAt(0), nullptr);
    EXPECT_EQ(second->GetChildAt(0), moved);
    EXPECT_EQ(moved->GetInstanceCount(), 1u);
    EXPECT_EQ(moved->GetParent(), second.Get());
    EXPECT_EQ(moved->GetRefCount(), 1u);
    ASSERT_EQ(m_debug.Lines().size(), 1u);
    EXPECT_EQ(m_debug.Lines()[0], "Warning, RI2.0 child abduction in progress!\n");
    ExpectAligned(*second);
}

TEST_F(QrNodeTest, SetAtReplacesGrowsAndSurvivesTakingANodeFromItsOnlyOwner)
{
    QrPointer<QrNode> node = new QrNode;
    QrPointer<SceneTestLeaf> a = new SceneTestLeaf;
    QrPointer<SceneTestLeaf> b = new SceneTestLeaf;
    EXPECT_EQ(node->SetAt(3, a.Get()).Get(), nullptr);
    EXPECT_EQ(node->GetChildCount(), 4u);
    EXPECT_EQ(node->GetChildAt(3), a.Get());
    ExpectAligned(*node);

    QrPointer<QrAVObject> previous = node->SetAt(3, b.Get());
    EXPECT_EQ(previous.Get(), a.Get());
    EXPECT_EQ(a->GetParent(), nullptr);
    EXPECT_EQ(b->GetParent(), node.Get());
    ExpectAligned(*node);

    // The other node holds the only reference to the child being moved.
    QrPointer<QrNode> owner = new QrNode;
    owner->AttachChild(new QrNode);
    QrAVObject* orphan = owner->GetChildAt(0);
    node->SetAt(0, orphan);
    EXPECT_EQ(node->GetChildAt(0), orphan);
    EXPECT_EQ(orphan->GetParent(), node.Get());
    EXPECT_EQ(owner->GetChildAt(0), nullptr);
}

TEST_F(QrNodeTest, ALeafTwiceUnderOneNodeKeepsItsRecordUntilTheLastSlotGoes)
{
    QrPointer<QrNode> node = new QrNode;
    QrPointer<QrNode> other = new QrNode;
    QrPointer<SceneTestLeaf> leaf = new SceneTestLeaf;
    other->AttachChild(leaf.Get());
    node->AttachChild(leaf.Get());
    node->AttachChild(leaf.Get());
    EXPECT_EQ(leaf->GetInstanceCount(), 2u);
    node->DetachChildAt(0);
    EXPECT_EQ(leaf->GetInstanceCount(), 2u);
    EXPECT_EQ(node->GetChildInstanceAt(1), leaf->FindInstance(node.Get()));
    node->Update(node->GetCurrentInstance()); // reads the surviving slot's record
    node->DetachChildAt(1);
    EXPECT_EQ(leaf->GetInstanceCount(), 1u);
    EXPECT_EQ(leaf->GetParent(), other.Get());
}

TEST_F(QrNodeTest, DestroyingANodeDetachesItsChildren)
{
    QrPointer<SceneTestLeaf> leaf = new SceneTestLeaf;
    QrPointer<QrNode> keep = new QrNode;
    keep->AttachChild(leaf.Get());
    {
        QrPointer<QrNode> doomed = new QrNode;
        doomed->AttachChild(new QrNode);
        doomed->AttachChild(leaf.Get());
        doomed->AttachChild(new QrNode);
        doomed->DetachChildAt(0); // a hole below the last slot
        leaf->SetCurrentInstance(leaf->FindInstance(doomed.Get()));
    }
    EXPECT_EQ(leaf->GetInstanceCount(), 1u);
    EXPECT_EQ(leaf->GetParent(), keep.Get());
    EXPECT_EQ(leaf->GetRefCount(), 2u);
}

// --- world update and bounds

TEST_F(QrNodeTest, ASharedLeafIsUpdatedPerParent)
{
    QrPointer<QrNode> left = new QrNode;
    QrPointer<QrNode> right = new QrNode;
    QrPointer<SceneTestLeaf> leaf = new SceneTestLeaf(QrPoint3(0.0f, 0.0f, 0.0f), 1.0f);
    left->SetTranslate(-10.0f, 0.0f, 0.0f);
    right->SetTranslate(10.0f, 0.0f, 0.0f);
    left->AttachChild(leaf.Get());
    right->AttachChild(leaf.Get());
    ASSERT_EQ(leaf->GetInstanceCount(), 2u);

    left->Update(left->GetCurrentInstance());
    ExpectNear(leaf->FindInstance(left.Get())->m_worldTranslate, QrPoint3(-10.0f, 0.0f, 0.0f));
    ExpectNear(leaf->FindInstance(right.Get())->m_worldTranslate, QrPoint3(0.0f, 0.0f, 0.0f));

    right->Update(right->GetCurrentInstance());
    ExpectNear(leaf->FindInstance(right.Get())->m_worldTranslate, QrPoint3(10.0f, 0.0f, 0.0f));
    // Each node's bound encloses its own instance of the leaf.
    ExpectNear(left->GetWorldBound().GetCenter(), QrPoint3(-10.0f, 0.0f, 0.0f));
    ExpectNear(right->GetWorldBound().GetCenter(), QrPoint3(10.0f, 0.0f, 0.0f));
    left->PropagateBoundUp();
    ExpectNear(left->GetWorldBound().GetCenter(), QrPoint3(-10.0f, 0.0f, 0.0f));
}

TEST_F(QrNodeTest, TheNodeBoundEnclosesItsDisplayableChildren)
{
    QrPointer<QrNode> node = new QrNode;
    QrPointer<SceneTestLeaf> a = new SceneTestLeaf(QrPoint3(0.0f, 0.0f, 0.0f), 1.0f);
    QrPointer<SceneTestLeaf> b = new SceneTestLeaf(QrPoint3(0.0f, 0.0f, 0.0f), 1.0f);
    QrPointer<SceneTestLeaf> hidden = new SceneTestLeaf(QrPoint3(0.0f, 0.0f, 0.0f), 50.0f);
    a->SetTranslate(-4.0f, 0.0f, 0.0f);
    b->SetTranslate(4.0f, 0.0f, 0.0f);
    hidden->m_displayable = false;
    node->AttachChild(a.Get());
    node->AttachChild(hidden.Get());
    node->AttachChild(b.Get());
    node->Update(node->GetCurrentInstance());
    EXPECT_TRUE(node->IsDisplayable());
    ExpectNear(node->GetWorldBound().GetCenter(), QrPoint3(0.0f, 0.0f, 0.0f));
    EXPECT_NEAR(node->GetWorldBound().GetRadius(), 5.0f, 1e-5f);
}

TEST_F(QrNodeTest, ANodeWithoutDisplayableChildrenIsAPointAndIsLeftOutOfItsParentsBound)
{
    QrPointer<QrNode> parent = new QrNode;
    QrPointer<QrNode> empty = new QrNode;
    QrPointer<QrNode> hiddenOnly = new QrNode;
    QrPointer<SceneTestLeaf> hidden = new SceneTestLeaf(QrPoint3(0.0f, 0.0f, 0.0f), 9.0f);
    QrPointer<SceneTestLeaf> shown = new SceneTestLeaf(QrPoint3(0.0f, 0.0f, 0.0f), 1.0f);
    hidden->m_displayable = false;
    parent->SetTranslate(0.0f, 100.0f, 0.0f);
    empty->SetTranslate(3.0f, 0.0f, 0.0f);
    hiddenOnly->AttachChild(hidden.Get());
    parent->AttachChild(empty.Get());
    parent->AttachChild(hiddenOnly.Get());
    parent->AttachChild(shown.Get());
    parent->Update(parent->GetCurrentInstance());

    EXPECT_FALSE(empty->IsDisplayable());
    EXPECT_FALSE(hiddenOnly->IsDisplayable());
    ExpectNear(empty->GetWorldBound().GetCenter(), QrPoint3(3.0f, 100.0f, 0.0f));
    EXPECT_EQ(empty->GetWorldBound().GetRadius(), 0.0f);
    EXPECT_EQ(empty->GetWorldBound().GetFlag(), 0u);
    // Only the shown leaf counts for the parent.
    ExpectNear(parent->GetWorldBound().GetCenter(), QrPoint3(0.0f, 100.0f, 0.0f));
    EXPECT_FLOAT_EQ(parent->GetWorldBound().GetRadius(), 1.0f);
}

TEST_F(QrNodeTest, BoundsPropagateUpwardOnlyWhileTheyChange)
{
    QrPointer<CountingNode> root = new CountingNode;
    QrPointer<QrNode> group = new QrNode;
    QrPointer<SceneTestLeaf> big = new SceneTestLeaf(QrPoint3(0.0f, 0.0f, 0.0f), 10.0f);
    QrPointer<SceneTestLeaf> small = new SceneTestLeaf(QrPoint3(0.0f, 0.0f, 0.0f), 1.0f);
    group->AttachChild(big.Get());
    group->AttachChild(small.Get());
    root->AttachChild(group.Get());
    root->Update(root->GetCurrentInstance());
    EXPECT_FLOAT_EQ(root->GetWorldBound().GetRadius(), 10.0f);

    // Moving the small leaf inside the big one changes no ancestor's bound.
    small->SetTranslate(2.0f, 0.0f, 0.0f);
    small->UpdateAllInstances();
    EXPECT_EQ(root->m_propagations, 0);

    // Moving the big one does, up to the root.
    big->SetTranslate(0.0f, 5.0f, 0.0f);
    big->UpdateAllInstances();
    EXPECT_EQ(root->m_propagations, 1);
    EXPECT_TRUE(small->GetWorldBound().IsInside(root->GetWorldBound()));
    EXPECT_TRUE(big->GetWorldBound().IsInside(root->GetWorldBound()));
    ExpectNear(root->GetWorldBound().GetCenter(), QrPoint3(0.0f, 5.0f, 0.0f));
}

TEST_F(QrNodeTest, UpdateAllInstancesOfASharedLeafRefreshesBothParentsBounds)
{
    QrPointer<QrNode> left = new QrNode;
    QrPointer<QrNode> right = new QrNode;
    QrPointer<SceneTestLeaf> leaf = new SceneTestLeaf(QrPoint3(0.0f, 0.0f, 0.0f), 1.0f);
    right->SetTranslate(0.0f, 0.0f, 20.0f);
    left->AttachChild(leaf.Get());
    right->AttachChild(leaf.Get());
    left->Update(left->GetCurrentInstance());
    right->Update(right->GetCurrentInstance());

    leaf->SetTranslate(0.0f, 7.0f, 0.0f);
    leaf->UpdateAllInstances();
    ExpectNear(left->GetWorldBound().GetCenter(), QrPoint3(0.0f, 7.0f, 0.0f));
    ExpectNear(right->GetWorldBound().GetCenter(), QrPoint3(0.0f, 7.0f, 20.0f));
}

// --- transform push-down

TEST_F(QrNodeTest, APushedTransformReachesTheChildrenInTheNodesFrame)
{
    QrPointer<QrNode> node = new QrNode;
    QrPointer<SceneTestLeaf> leaf = new SceneTestLeaf;
    node->AttachChild(leaf.Get());
    node->SetTranslate(1.0f, -2.0f, 0.5f);
    node->SetRotate(0.9f, 0.0f, 0.6f, 0.8f);
    node->SetScale(2.0f);
    QrMatrix3 rotation;
    rotation.MakeRotation(0.4f, 1.0f, 0.0f, 0.0f);
    const QrPoint3 translation(3.0f, 0.0f, -1.0f);

    node->ApplyTransform(rotation, translation, false);
    ASSERT_EQ(leaf->m_transforms.size(), 1u);
    EXPECT_TRUE(leaf->m_transforms[0].rotation.IsEqual(rotation)) << "handed on unchanged";
    EXPECT_TRUE(leaf->m_transforms[0].inParentFrame);

    node->ApplyTransform(rotation, translation, true);
    ASSERT_EQ(leaf->m_transforms.size(), 2u);
    const SceneTestLeaf::Transform& inside = leaf->m_transforms[1];
    // Moving a point of the node's frame by the child transform and mapping it out equals
    // mapping it out first and moving it by the outer transform.
    auto toParent = [&](const QrPoint3& p) { return node->GetTranslate() + node->GetRotate() * p * 2.0f; };
    for (const QrPoint3& p : {QrPoint3(0.0f, 0.0f, 0.0f), QrPoint3(1.0f, 2.0f, 3.0f), QrPoint3(-4.0f, 0.5f, 1.0f)})
    {
        const QrPoint3 viaChild = toParent(inside.rotation * p + inside.translation);
        const QrPoint3 viaParent = rotation * toParent(p) + translation;
        ExpectNear(viaChild, viaParent, 1e-4f);
    }
}

// --- picking

TEST_F(QrNodeTest, ABoundLevelFirstHitPickRecordsTheNodeAndVisitsNoChild)
{
    QrPointer<QrNode> node = new QrNode;
    QrPointer<SceneTestLeaf> leaf = new SceneTestLeaf(QrPoint3(0.0f, 0.0f, 0.0f), 1.0f);
    node->AttachChild(leaf.Get());
    node->Update(node->GetCurrentInstance());

    QrPick pick;
    pick.m_pickType = 1;
    pick.m_intersectionLevel = 0;
    EXPECT_TRUE(node->FindIntersections(QrPoint3(-5.0f, 0.0f, 0.0f), QrPoint3(1.0f, 0.0f, 0.0f), pick,
                                        node->GetCurrentInstance()));
    ASSERT_EQ(pick.GetResultCount(), 1u);
    EXPECT_EQ(pick.GetResultAt(0)->m_object.Get(), node.Get());
    EXPECT_EQ(pick.GetResultAt(0)->m_instance, node->GetCurrentInstance());
    EXPECT_TRUE(leaf->m_pickedInstances.empty());
}

TEST_F(QrNodeTest, APickVisitsChildrenWithTheirInstancesAndStopsAtTheFirstHitWhenAsked)
{
    QrPointer<QrNode> node = new QrNode;
    QrPointer<SceneTestLeaf> first = new SceneTestLeaf(QrPoint3(0.0f, 0.0f, 0.0f), 1.0f);
    QrPointer<SceneTestLeaf> second = new SceneTestLeaf(QrPoint3(0.0f, 0.0f, 0.0f), 1.0f);
    QrPointer<SceneTestLeaf> third = new SceneTestLeaf(QrPoint3(0.0f, 0.0f, 0.0f), 1.0f);
    QrPointer<QrNode> decoy = new QrNode;
    decoy->AttachChild(second.Get());       // second has two instances; the node must pass its own
    first->SetTranslate(0.0f, 50.0f, 0.0f); // off the ray
    node->AttachChild(first.Get());
    node->AttachChild(second.Get());
    node->AttachChild(third.Get());
    node->Update(node->GetCurrentInstance());

    const QrPoint3 origin(-5.0f, 0.0f, 0.0f);
    const QrPoint3 direction(1.0f, 0.0f, 0.0f);
    {
        QrPick all;
        all.m_intersectionLevel = 1;
        EXPECT_FALSE(node->FindIntersections(origin, direction, all, node->GetCurrentInstance()));
        EXPECT_EQ(all.GetResultCount(), 2u);
        ASSERT_EQ(second->m_pickedInstances.size(), 1u);
        EXPECT_EQ(second->m_pickedInstances[0], second->FindInstance(node.Get()));
    }
    {
        QrPick firstHit;
        firstHit.m_pickType = 1;
        firstHit.m_secondMode = 1;
        firstHit.m_intersectionLevel = 1;
        EXPECT_TRUE(node->FindIntersections(origin, direction, firstHit, node->GetCurrentInstance()));
        ASSERT_EQ(firstHit.GetResultCount(), 1u);
        EXPECT_EQ(firstHit.GetResultAt(0)->m_object.Get(), second.Get());
        EXPECT_EQ(third->m_pickedInstances.size(), 1u) << "visited only by the first pick";
    }
    {
        QrPick miss;
        EXPECT_FALSE(
            node->FindIntersections(QrPoint3(-5.0f, 60.0f, 0.0f), direction, miss, node->GetCurrentInstance()));
        EXPECT_EQ(miss.GetResultCount(), 0u);
        EXPECT_EQ(first->m_pickedInstances.size(), 2u) << "the miss stops at the node's bound";
    }
}

// --- collision descent

class QrNodeCollisionTest : public QrNodeTest
{
protected:
    void SetUp() override
    {
        QrNodeTest::SetUp();
        m_other = new SceneTestLeaf(QrPoint3(0.0f, 0.0f, 0.0f), 1.0f);
        m_other->Update(m_other->GetCurrentInstance());
        m_theirs.m_reportedObject = m_other.Get();
        m_theirs.m_object = m_other.Get();
        m_theirs.m_instance = m_other->GetCurrentInstance();
    }

    void TearDown() override
    {
        m_other = nullptr;
        QrNodeTest::TearDown();
    }

    QrCollisionRecord RecordFor(QrNode* node)
    {
        QrCollisionRecord record;
        record.m_reportedObject = node;
        record.m_object = node;
        record.m_budget = 3;
        record.m_splitSize = 8;
        record.m_instance = node->GetCurrentInstance();
        record.m_index = 17;
        return record;
    }

    QrPointer<SceneTestLeaf> m_other;
    QrCollisionRecord m_theirs;
};

TEST_F(QrNodeCollisionTest, AnOnlyChildIsAskedDirectlyWithoutTheBoundGate)
{
    QrPointer<QrNode> node = new QrNode;
    QrPointer<SceneTestLeaf> child = new SceneTestLeaf(QrPoint3(0.0f, 0.0f, 0.0f), 1.0f);
    node->AttachChild(new QrNode);
    node->AttachChild(child.Get());
    node->DetachChildAt(0);                  // an empty slot below the only child
    node->SetTranslate(1000.0f, 0.0f, 0.0f); // far from the other object
    node->Update(node->GetCurrentInstance());
    child->m_collides = true;

    QrCollisionRecord self = RecordFor(node.Get());
    EXPECT_TRUE(node->TestCollisions(0.5f, self, m_theirs));
    ASSERT_EQ(child->m_collisionRecords.size(), 1u);
    const QrCollisionRecord& passed = child->m_collisionRecords[0];
    EXPECT_EQ(passed.m_reportedObject, node.Get());
    EXPECT_EQ(passed.m_object, child.Get());
    EXPECT_EQ(passed.m_budget, 3);
    EXPECT_EQ(passed.m_splitSize, 8u);
    EXPECT_EQ(passed.m_instance, child->FindInstance(node.Get()));
    EXPECT_EQ(passed.m_index, -1);
}

TEST_F(QrNodeCollisionTest, SeveralChildrenAreAskedInOrderOnlyWhenTheSweptBoundsMeet)
{
    QrPointer<QrNode> node = new QrNode;
    QrPointer<SceneTestLeaf> a = new SceneTestLeaf(QrPoint3(0.0f, 0.0f, 0.0f), 1.0f);
    QrPointer<SceneTestLeaf> b = new SceneTestLeaf(QrPoint3(0.0f, 0.0f, 0.0f), 1.0f);
    QrPointer<SceneTestLeaf> c = new SceneTestLeaf(QrPoint3(0.0f, 0.0f, 0.0f), 1.0f);
    node->AttachChild(a.Get());
    node->AttachChild(b.Get());
    node->AttachChild(c.Get());
    node->SetTranslate(10.0f, 0.0f, 0.0f);
    node->Update(node->GetCurrentInstance());
    b->m_collides = true;

    QrCollisionRecord self = RecordFor(node.Get());
    EXPECT_FALSE(node->TestCollisions(0.5f, self, m_theirs));
    EXPECT_TRUE(a->m_collisionRecords.empty()) << "the gate stops the descent";

    // Moving towards the other object within the step opens the gate.
    node->GetVelocity() = QrPoint3(-10.0f, 0.0f, 0.0f);
    node->Update(node->GetCurrentInstance());
    EXPECT_TRUE(node->TestCollisions(0.5f, self, m_theirs));
    EXPECT_EQ(a->m_collisionRecords.size(), 1u);
    EXPECT_EQ(b->m_collisionRecords.size(), 1u);
    EXPECT_TRUE(c->m_collisionRecords.empty()) << "the first contact ends the search";
}

TEST_F(QrNodeCollisionTest, OnlyAStopRequestEndsAFindBelowANode)
{
    QrPointer<QrNode> node = new QrNode;
    QrPointer<SceneTestLeaf> a = new SceneTestLeaf(QrPoint3(0.0f, 0.0f, 0.0f), 1.0f);
    QrPointer<SceneTestLeaf> b = new SceneTestLeaf(QrPoint3(0.0f, 0.0f, 0.0f), 1.0f);
    node->AttachChild(a.Get());
    node->AttachChild(b.Get());
    node->Update(node->GetCurrentInstance());
    a->m_findAnswer = 2; // anything but 1 lets the search go on
    QrCollisionRecord self = RecordFor(node.Get());
    EXPECT_EQ(node->FindCollisions(0.5f, self, m_theirs), 0);
    EXPECT_EQ(b->m_collisionRecords.size(), 1u);
    b->m_findAnswer = 1;
    EXPECT_EQ(node->FindCollisions(0.5f, self, m_theirs), 1);
}

// --- name search, clone, optimisation

TEST_F(QrNodeTest, NameSearchIsDepthFirstInChildOrder)
{
    QrPointer<QrNode> root = new QrNode;
    QrPointer<QrNode> branch = new QrNode;
    QrPointer<SceneTestLeaf> deep = new SceneTestLeaf;
    QrPointer<SceneTestLeaf> shallow = new SceneTestLeaf;
    deep->SetName("target");
    shallow->SetName("target");
    branch->AttachChild(deep.Get());
    root->AttachChild(branch.Get());
    root->AttachChild(shallow.Get());
    EXPECT_EQ(root->GetObjectByName("target"), deep.Get());
    EXPECT_EQ(root->GetObjectByName("absent"), nullptr);
    root->SetName("target");
    EXPECT_EQ(root->GetObjectByName("target"), root.Get());
}

TEST_F(QrNodeTest, CloneCopiesNodesAndSharesLeaves)
{
    QrPointer<QrNode> root = new QrNode;
    QrPointer<QrNode> branch = new QrNode;
    QrPointer<SceneTestLeaf> leaf = new SceneTestLeaf;
    root->SetSortMode(QrNode::kSortOn);
    branch->SetTranslate(1.0f, 2.0f, 3.0f);
    branch->AttachChild(leaf.Get());
    root->SetAt(1, branch.Get()); // slot 0 stays empty

    QrPointer<QrAVObject> clone = root->CreateClone();
    QrNode* copy = QrDynamicCast<QrNode>(clone.Get());
    ASSERT_NE(copy, nullptr);
    EXPECT_TRUE(copy->IsEqual(root.Get()));
    EXPECT_EQ(copy->GetChildCount(), 2u);
    EXPECT_EQ(copy->GetChildAt(0), nullptr);
    QrNode* branchCopy = QrDynamicCast<QrNode>(copy->GetChildAt(1));
    ASSERT_NE(branchCopy, nullptr);
    EXPECT_NE(branchCopy, branch.Get());
    EXPECT_EQ(branchCopy->GetChildAt(0), leaf.Get());
    EXPECT_EQ(leaf->GetInstanceCount(), 2u);
    ExpectAligned(*copy);
}

TEST_F(QrNodeTest, OptimizeRemovesEmptyNodesAndDissolvesPassThroughNodes)
{
    QrPointer<QrNode> root = new QrNode;
    QrPointer<QrNode> empty = new QrNode;
    QrPointer<QrNode> passThrough = new QrNode;
    QrPointer<QrNode> moved = new QrNode;
    QrPointer<SceneTestLeaf> a = new SceneTestLeaf;
    QrPointer<SceneTestLeaf> b = new SceneTestLeaf;
    QrPointer<QrZBufferProperty> zbuffer = new QrZBufferProperty;
    a->AttachProperty(zbuffer.Get());
    passThrough->AttachChild(a.Get());
    moved->SetTranslate(0.0f, 1.0f, 0.0f); // keeps its transform, so it stays
    moved->AttachChild(b.Get());
    root->AttachChild(empty.Get());
    root->AttachChild(passThrough.Get());
    root->AttachChild(moved.Get());

    EXPECT_FALSE(root->Optimize(0));
    EXPECT_EQ(root->GetChildCount(), 3u);

    EXPECT_FALSE(root->Optimize(QrNode::kOptimizeRemoveEmpty | QrNode::kOptimizeDissolvePassThrough));
    ASSERT_EQ(root->GetChildCount(), 2u);
    // The dissolved node's child takes its place in the order.
    EXPECT_EQ(root->GetChildAt(0), a.Get());
    EXPECT_EQ(root->GetChildAt(1), moved.Get());
    EXPECT_EQ(a->GetParent(), root.Get());
    EXPECT_EQ(a->GetInstanceCount(), 1u);
    EXPECT_EQ(passThrough->GetChildCount(), 0u);
    EXPECT_EQ(empty->GetParent(), nullptr);
    ExpectAligned(*root);
}

TEST_F(QrNodeTest, OptimizeLeavesTransparentSubtreesAloneWhenAsked)
{
    QrPointer<QrNode> root = new QrNode;
    QrPointer<QrNode> transparent = new QrNode;
    QrPointer<QrAlphaProperty> alpha = new QrAlphaProperty;
    transparent->AttachProperty(alpha.Get());
    QrPointer<QrNode> inner = new QrNode;
    transparent->AttachChild(inner.Get());
    root->AttachChild(transparent.Get());

    const uint32_t flags =
        QrNode::kOptimizeRemoveEmpty | QrNode::kOptimizeDissolvePassThrough | QrNode::kOptimizeKeepTransparent;
    EXPECT_FALSE(transparent->Optimize(flags));
    EXPECT_EQ(transparent->GetChildAt(0), inner.Get()) << "an empty child stays under an alpha node";
    root->Optimize(flags);
    EXPECT_EQ(root->GetChildAt(0), transparent.Get());
}

TEST_F(QrNodeTest, AGroupThatCannotBeMergedStaysInTheTree)
{
    QrPointer<QrNode> root = new QrNode;
    QrPointer<SceneTestLeaf> a = new SceneTestLeaf;
    QrPointer<SceneTestLeaf> b = new SceneTestLeaf;
    QrPointer<SceneTestLeaf> c = new SceneTestLeaf;
    QrPointer<QrZBufferProperty> shared = new QrZBufferProperty;
    a->AttachProperty(shared.Get());
    c->AttachProperty(shared.Get());
    root->AttachChild(a.Get());
    root->AttachChild(b.Get());
    root->AttachChild(c.Get());

    EXPECT_FALSE(root->Optimize(QrNode::kOptimizeRemoveEmpty));
    // a and c share their properties, but a leaf of this kind makes no merged object.
    ASSERT_EQ(root->GetChildCount(), 3u);
    EXPECT_EQ(root->GetChildAt(0), a.Get());
    EXPECT_EQ(root->GetChildAt(1), c.Get());
    EXPECT_EQ(root->GetChildAt(2), b.Get());
    ExpectAligned(*root);
}

// --- scene file

class QrNodeStreamTest : public QrNodeTest
{
protected:
    // root { branchA { leaf, <empty>, sub }, branchB { leaf } } with shared properties.
    void SetUp() override
    {
        QrNodeTest::SetUp();
        m_root = new QrNode;
        m_root->SetName("root");
        m_root->SetSortMode(QrNode::kSortOff);
        QrPointer<QrNode> a = new QrNode;
        QrPointer<QrNode> b = new QrNode;
        QrPointer<QrNode> sub = new QrNode;
        QrPointer<SceneTestLeaf> leaf = new SceneTestLeaf;
        a->SetName("A");
        b->SetName("B");
        sub->SetName("sub");
        leaf->SetName("leaf");
        leaf->SetTranslate(1.0f, 2.0f, 3.0f);
        leaf->SetRotate(0.25f, 0.0f, 1.0f, 0.0f);
        leaf->SetScale(0.5f);
        leaf->GetVelocity() = QrPoint3(0.0f, 0.0f, -2.0f);
        leaf->SetAppCulled(1);
        QrPointer<QrAlphaProperty> alpha = new QrAlphaProperty;
        alpha->m_enabled = 1;
        QrPointer<QrZBufferProperty> zbuffer = new QrZBufferProperty;
        zbuffer->m_test = 1;
        leaf->AttachProperty(zbuffer.Get());
        leaf->AttachProperty(alpha.Get());
        b->AttachProperty(zbuffer.Get());
        a->AttachChild(leaf.Get());
        a->SetAt(2, sub.Get());
        b->AttachChild(leaf.Get());
        m_root->AttachChild(a.Get());
        m_root->AttachChild(b.Get());
        m_root->Update(m_root->GetCurrentInstance());
    }

    void TearDown() override
    {
        m_root = nullptr;
        QrNodeTest::TearDown();
    }

    // Link id the saved bytes give the object with this name (or of this class), 0 when none.
    static uint32_t FindLinkId(const std::vector<uint8_t>& bytes, const char* name, const QrRTTI* rtti = nullptr)
    {
        QrStream probe;
        EXPECT_TRUE(probe.LoadFromMemory(bytes.data(), bytes.size()));
        for (uint32_t i = 0; i < probe.GetLoadedCount(); ++i)
        {
            QrObject* object = probe.GetLoadedAt(i);
            if (rtti ? object->IsKindOf(rtti) : (object->GetName() && std::strcmp(object->GetName(), name) == 0))
                return probe.GetLoadedLinkID(i);
        }
        return 0;
    }

    // Makes "B"'s one child slot (sort mode 2, reserved 0, displayable 1, one slot, the leaf) name id.
    static bool PatchChildOfB(std::vector<uint8_t>& bytes, uint32_t id)
    {
        const uint32_t leafId = FindLinkId(bytes, "leaf");
        const uint8_t pattern[] = {2, 0, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 0, uint8_t(leafId), 0, 0, 0};
        auto at = std::search(bytes.begin(), bytes.end(), std::begin(pattern), std::end(pattern));
        if (leafId == 0 || id == 0 || at == bytes.end())
            return false;
        at[13] = uint8_t(id);
        return true;
    }

    QrPointer<QrNode> m_root;
};

TEST_F(QrNodeStreamTest, RoundTripKeepsSharingHolesAndOrderAndSavesTheSameBytes)
{
    const std::vector<uint8_t> first = Save({m_root.Get()});
    QrStream stream;
    ASSERT_TRUE(stream.LoadFromMemory(first.data(), first.size())) << QrStream::LastErrorContext;
    ASSERT_EQ(stream.GetTopLevelCount(), 1u);
    QrNode* loaded = QrDynamicCast<QrNode>(stream.GetTopLevelAt(0));
    ASSERT_NE(loaded, nullptr);
    EXPECT_TRUE(loaded->IsEqual(m_root.Get()));
    EXPECT_EQ(Save({loaded}), first);

    QrNode* a = QrDynamicCast<QrNode>(loaded->GetObjectByName("A"));
    QrNode* b = QrDynamicCast<QrNode>(loaded->GetObjectByName("B"));
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->GetChildCount(), 3u);
    EXPECT_EQ(a->GetChildAt(1), nullptr);
    QrAVObject* leaf = a->GetChildAt(0);
    EXPECT_EQ(b->GetChildAt(0), leaf) << "one shared leaf";
    EXPECT_EQ(leaf->GetInstanceCount(), 2u);
    ExpectAligned(*a);
    ExpectAligned(*b);
    // The property list reads in the saved order, and b shares the leaf's z-buffer property.
    auto it = leaf->GetPropertyList().begin();
    EXPECT_EQ((*it)->Type(), QrProperty::kAlpha);
    ++it;
    EXPECT_EQ(*it, *b->GetPropertyList().begin());
    EXPECT_EQ(a->GetChildAt(2)->GetParent(), a);
}

TEST_F(QrNodeStreamTest, AChildIdNamingAPropertyFailsTheLoad)
{
    std::vector<uint8_t> bytes = Save({m_root.Get()});
    ASSERT_TRUE(PatchChildOfB(bytes, FindLinkId(bytes, nullptr, &QrZBufferProperty::ms_RTTI)));
    QrStream stream;
    EXPECT_FALSE(stream.LoadFromMemory(bytes.data(), bytes.size()));
    EXPECT_EQ(stream.GetTopLevelCount(), 0u);
}

TEST_F(QrNodeStreamTest, AFileListingOneNodeUnderTwoParentsLoadsWithoutLosingIt)
{
    // "B" names "sub" as its child as well: the second attach takes sub from "A".
    std::vector<uint8_t> bytes = Save({m_root.Get()});
    ASSERT_TRUE(PatchChildOfB(bytes, FindLinkId(bytes, "sub")));
    QrStream stream;
    ASSERT_TRUE(stream.LoadFromMemory(bytes.data(), bytes.size()));
    QrNode* root = QrDynamicCast<QrNode>(stream.GetTopLevelAt(0));
    ASSERT_NE(root, nullptr);
    QrNode* a = QrDynamicCast<QrNode>(root->GetObjectByName("A"));
    QrNode* b = QrDynamicCast<QrNode>(root->GetObjectByName("B"));
    ASSERT_TRUE(a && b);
    QrAVObject* sub = b->GetChildAt(0);
    ASSERT_NE(sub, nullptr);
    EXPECT_STREQ(sub->GetName(), "sub");
    EXPECT_EQ(a->GetChildAt(2), nullptr);
    EXPECT_EQ(sub->GetParent(), b);
    EXPECT_FALSE(m_debug.Lines().empty());
}
