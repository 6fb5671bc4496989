#include "QrTestFixture.h"

#include "NodeVariantTestHelpers.h"
#include "QrCollisionSwitch.h"
#include "QrPick.h"
#include "QrPickResult.h"

using specialnodes::ProbeLeaf;

namespace
{
// What the three queries report for a subtree root.
struct QueryAnswers
{
    uint32_t picked = 0;
    bool tested = false;
    int32_t found = 0;
    size_t leafQueries = 0;
};
} // namespace

class QrCollisionSwitchTest : public QrEngineTest
{
protected:
    void SetUp() override
    {
        QrEngineTest::SetUp();
        SceneTestLeaf::RegisterCreateFunction();
        m_other = new ProbeLeaf(nullptr, "other");
        m_other->Update(m_other->GetCurrentInstance());
    }

    void TearDown() override
    {
        m_other = nullptr;
        QrEngineTest::TearDown();
    }

    // Two leaves on the x axis under root, both touching the other object and the ray.
    QueryAnswers Ask(QrNode* root)
    {
        QrPointer<ProbeLeaf> a = new ProbeLeaf(nullptr, "a", QrPoint3(0.0f, 0.0f, 0.0f), 1.0f);
        QrPointer<ProbeLeaf> b = new ProbeLeaf(nullptr, "b", QrPoint3(0.5f, 0.0f, 0.0f), 1.0f);
        a->m_collides = true;
        a->m_findAnswer = 1;
        root->AttachChild(a.Get());
        root->AttachChild(b.Get());
        root->Update(root->GetCurrentInstance());

        QueryAnswers answers;
        QrPick pick;
        pick.m_intersectionLevel = 1;
        root->FindIntersections(QrPoint3(-5.0f, 0.0f, 0.0f), QrPoint3(1.0f, 0.0f, 0.0f), pick,
                                root->GetCurrentInstance());
        answers.picked = pick.GetResultCount();

        QrCollisionRecord mine;
        mine.m_object = root;
        mine.m_instance = root->GetCurrentInstance();
        QrCollisionRecord theirs;
        theirs.m_object = m_other.Get();
        theirs.m_instance = m_other->GetCurrentInstance();
        answers.tested = root->TestCollisions(0.5f, mine, theirs);
        answers.found = root->FindCollisions(0.5f, mine, theirs);
        answers.leafQueries = a->m_collisionRecords.size() + b->m_collisionRecords.size() +
                              a->m_pickedInstances.size() + b->m_pickedInstances.size();
        root->DetachChild(a.Get());
        root->DetachChild(b.Get());
        return answers;
    }

    QrPointer<ProbeLeaf> m_other;
};

TEST_F(QrCollisionSwitchTest, WithCollideOffQueriesDoNotSeeTheSubtree)
{
    QrPointer<QrCollisionSwitch> gate = new QrCollisionSwitch;
    gate->SetCollide(0);
    const QueryAnswers answers = Ask(gate.Get());
    EXPECT_EQ(answers.picked, 0u);
    EXPECT_FALSE(answers.tested);
    EXPECT_EQ(answers.found, 0);
    EXPECT_EQ(answers.leafQueries, 0u);
    EXPECT_TRUE(gate->IsDisplayable()) << "still drawn";
}

TEST_F(QrCollisionSwitchTest, WithCollideOnItAnswersExactlyAsAPlainNode)
{
    QrPointer<QrCollisionSwitch> gate = new QrCollisionSwitch;
    QrPointer<QrNode> plain = new QrNode;
    const QueryAnswers mine = Ask(gate.Get());
    const QueryAnswers reference = Ask(plain.Get());
    EXPECT_EQ(mine.picked, 2u);
    EXPECT_EQ(mine.picked, reference.picked);
    EXPECT_TRUE(mine.tested);
    EXPECT_EQ(mine.tested, reference.tested);
    EXPECT_EQ(mine.found, reference.found);
    EXPECT_EQ(mine.leafQueries, reference.leafQueries);
}

TEST_F(QrCollisionSwitchTest, CloneAndRoundTripKeepTheFlag)
{
    QrPointer<QrCollisionSwitch> gate = new QrCollisionSwitch;
    gate->SetCollide(0);
    gate->AttachChild(new ProbeLeaf(nullptr, "leaf"));
    QrPointer<QrAVObject> copy = gate->CreateClone();
    QrCollisionSwitch* clone = QrDynamicCast<QrCollisionSwitch>(copy.Get());
    ASSERT_NE(clone, nullptr) << "a clone is a collision switch, not a plain node";
    EXPECT_EQ(clone->GetCollide(), 0u);
    EXPECT_TRUE(clone->IsEqual(gate.Get()));

    QrStream loader;
    QrCollisionSwitch* loaded = specialnodes::RoundTrip(gate.Get(), loader);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->GetCollide(), 0u);
    loaded->SetCollide(1);
    EXPECT_FALSE(loaded->IsEqual(gate.Get()));
}

TEST_F(QrCollisionSwitchTest, ASwitchedOffSubtreeIsStillDrawn)
{
    std::vector<std::string> log;
    QrPointer<QrCollisionSwitch> gate = new QrCollisionSwitch;
    gate->SetCollide(0);
    gate->AttachChild(new ProbeLeaf(&log, "weed"));
    gate->Update(gate->GetCurrentInstance());
    QrPointer<QrCamera> camera = specialnodes::CameraLookingAt(QrPoint3(0.0f, 0.0f, 10.0f), QrPoint3());
    specialnodes::DrawThrough(camera.Get(), gate.Get());
    EXPECT_EQ(log, (std::vector<std::string>{"weed"}));
}
