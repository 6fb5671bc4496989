#include "AnimationTestFixture.h"
#include "KeyTestHelpers.h"

#include "Qr3dsAnimationNode.h"
#include "Qr3dsBone.h"
#include "QrAVInstance.h"
#include "QrBezierPosKey.h"
#include "QrEulerRotKey.h"
#include "QrLinearFloatKey.h"
#include "QrLinearPosKey.h"
#include "QrLinearRotKey.h"
#include "QrTCBFloatKey.h"

#include <cfloat>
#include <cmath>

namespace
{

const QrPoint3 kZ{0.0f, 0.0f, 1.0f};

class Qr3dsAnimationNodeTest : public QrAnimationTest
{
protected:
    static KeyList<QrAnimKey> Positions(std::initializer_list<std::pair<float, QrPoint3>> specs)
    {
        KeyList<QrAnimKey> keys;
        for (const auto& [time, value] : specs)
            keys.Add(std::make_unique<QrLinearPosKey>(time, value));
        return keys;
    }

    static KeyList<QrRotKey> Rotations(std::initializer_list<std::pair<float, float>> specs)
    {
        KeyList<QrRotKey> keys;
        for (const auto& [time, angle] : specs)
            keys.Add(std::make_unique<QrLinearRotKey>(time, angle, kZ));
        return keys;
    }

    static KeyList<QrVisibilityKey> Visibility(std::initializer_list<std::pair<float, uint8_t>> specs)
    {
        KeyList<QrVisibilityKey> keys;
        for (const auto& [time, visible] : specs)
            keys.Add(std::make_unique<QrVisibilityKey>(time, visible));
        return keys;
    }

    static QrPoint3 World(QrAVObject* object) { return object->GetInstanceAt(0)->m_worldTranslate; }
};

TEST_F(Qr3dsAnimationNodeTest, ApplyPosesTheNodeFromItsKeys)
{
    QrPointer<Qr3dsAnimationNode> node(new Qr3dsAnimationNode);
    auto positions = Positions({{0.0f, {0.0f, 0.0f, 0.0f}}, {2.0f, {2.0f, 4.0f, 6.0f}}});
    auto rotations = Rotations({{0.0f, 0.0f}, {2.0f, 1.0f}});
    node->SetPosKeys(positions.Data(), positions.Count());
    node->SetRotKeys(rotations.Data(), rotations.Count());
    EXPECT_EQ(node->GetBeginTime(), 0.0f);
    EXPECT_EQ(node->GetEndTime(), 2.0f);

    node->ApplyAtTime(0.5f);
    EXPECT_EQ(node->GetTranslate(), QrPoint3(0.5f, 1.0f, 1.5f));
    EXPECT_NEAR(node->GetRotate().m[0][0], std::cos(0.25f), 1e-6f);
    EXPECT_NEAR(node->GetRotate().m[1][0], std::sin(0.25f), 1e-6f);
    EXPECT_EQ(World(node.Get()), node->GetTranslate()) << "the world data follows";

    // Before and after the keys: the end keys themselves.
    node->ApplyAtTime(-1.0f);
    EXPECT_EQ(node->GetTranslate(), QrPoint3(0.0f, 0.0f, 0.0f));
    node->ApplyAtTime(3.0f);
    EXPECT_EQ(node->GetTranslate(), QrPoint3(2.0f, 4.0f, 6.0f));
}

TEST_F(Qr3dsAnimationNodeTest, VisibilityKeysToggleAppCulledWithoutAWorldUpdate)
{
    QrPointer<Qr3dsAnimationNode> node(new Qr3dsAnimationNode);
    auto visibility = Visibility({{0.0f, 1}, {1.0f, 0}, {2.0f, 1}});
    node->SetVisibilityKeys(visibility.Data(), visibility.Count());
    node->SetTranslate(5.0f, 0.0f, 0.0f);
    node->SetRotate(0.5f, 0.0f, 0.0f, 1.0f);
    const QrMatrix3 rotation = node->GetRotate();

    const std::pair<float, uint8_t> steps[] = {{-1.0f, 0}, {0.5f, 0}, {1.0f, 1}, {1.99f, 1}, {2.0f, 0}, {9.0f, 0}};
    for (const auto& [time, culled] : steps)
    {
        node->ApplyAtTime(time);
        EXPECT_EQ(node->GetAppCulled(), culled) << "at " << time;
    }
    EXPECT_EQ(World(node.Get()), QrPoint3::ZERO) << "no world update without transform keys";
    EXPECT_EQ(node->GetRotate(), rotation) << "no rotation keys: the local rotation is left alone";
}

TEST_F(Qr3dsAnimationNodeTest, ClearedUpdateWorldFlagLeavesTheWorldData)
{
    QrPointer<Qr3dsAnimationNode> node(new Qr3dsAnimationNode);
    auto positions = Positions({{0.0f, {1.0f, 1.0f, 1.0f}}, {1.0f, {2.0f, 2.0f, 2.0f}}});
    node->SetPosKeys(positions.Data(), positions.Count());
    node->SetUpdateWorld(0);
    node->ApplyAtTime(1.0f);
    EXPECT_EQ(node->GetTranslate(), QrPoint3(2.0f, 2.0f, 2.0f));
    EXPECT_EQ(World(node.Get()), QrPoint3::ZERO);
}

TEST_F(Qr3dsAnimationNodeTest, SetWidensTheRangeAndComputeTimeRangeRecomputesIt)
{
    QrPointer<Qr3dsAnimationNode> node(new Qr3dsAnimationNode);
    node->SetBeginTime(0.0f);
    node->SetEndTime(10.0f);
    auto positions = Positions({{2.0f, {}}, {5.0f, {}}});
    node->SetPosKeys(positions.Data(), positions.Count());
    EXPECT_EQ(node->GetBeginTime(), 0.0f);
    EXPECT_EQ(node->GetEndTime(), 10.0f);

    node->ReplacePosKeys(positions.Data(), positions.Count());
    EXPECT_EQ(node->GetBeginTime(), 2.0f);
    EXPECT_EQ(node->GetEndTime(), 5.0f);

    node->ReplacePosKeys(nullptr, 0);
    node->ReplaceRotKeys(nullptr, 0);
    EXPECT_EQ(node->GetPosCount(), 0);
    EXPECT_EQ(node->GetBeginTime(), FLT_MAX);
    EXPECT_EQ(node->GetEndTime(), -FLT_MAX);
}

TEST_F(Qr3dsAnimationNodeTest, ReplacedArraysStayTheCallers)
{
    auto clip = Positions({{0.0f, {1.0f, 0.0f, 0.0f}}, {1.0f, {3.0f, 0.0f, 0.0f}}});
    auto own = Positions({{0.0f, {7.0f, 0.0f, 0.0f}}});
    {
        QrPointer<Qr3dsAnimationNode> node(new Qr3dsAnimationNode);
        node->SetPosKeys(own.Data(), own.Count());
        // What a gesture does: remember the node's array, swap in a clip, later swap back.
        QrAnimKey* const* saved = node->GetPosKeys();
        std::vector<QrAnimKey*> restore(saved, saved + node->GetPosCount());
        node->ReplacePosKeys(clip.Data(), clip.Count());
        EXPECT_EQ(node->GetPosKeys(), clip.Data()) << "no copy";
        node->ApplyAtTime(0.5f);
        EXPECT_EQ(node->GetTranslate(), QrPoint3(2.0f, 0.0f, 0.0f));
        node->ReplacePosKeys(restore.data(), int32_t(restore.size()));
        node->ApplyAtTime(0.5f);
        EXPECT_EQ(node->GetTranslate(), QrPoint3(7.0f, 0.0f, 0.0f));
        node->ReplacePosKeys(clip.Data(), clip.Count());
    }
    // The node is gone and the caller's keys are intact (a double free shows under ASan).
    EXPECT_EQ(clip[1]->m_value, QrPoint3(3.0f, 0.0f, 0.0f));
}

TEST_F(Qr3dsAnimationNodeTest, SetCopiesEvenFromTheNodesOwnArray)
{
    QrPointer<Qr3dsAnimationNode> node(new Qr3dsAnimationNode);
    auto positions = Positions({{0.0f, {1.0f, 0.0f, 0.0f}}, {1.0f, {2.0f, 0.0f, 0.0f}}});
    node->SetPosKeys(positions.Data(), positions.Count());
    EXPECT_NE(node->GetPosKeys()[0], positions[0]);
    node->SetPosKeys(node->GetPosKeys(), node->GetPosCount());
    node->ApplyAtTime(1.0f);
    EXPECT_EQ(node->GetTranslate(), QrPoint3(2.0f, 0.0f, 0.0f));
    node->SetPosKeys(nullptr, 5);
    EXPECT_EQ(node->GetPosCount(), 0);
}

TEST_F(Qr3dsAnimationNodeTest, EulerKeyIsInstalledAsOneKey)
{
    QrEulerRotKey euler;
    std::vector<std::unique_ptr<QrFloatKey>> z;
    z.push_back(std::make_unique<QrTCBFloatKey>(1.0f, 0.0f));
    z.push_back(std::make_unique<QrTCBFloatKey>(3.0f, 1.0f));
    euler.SetKeys(QrEulerRotKey::kAxisZ, std::move(z));
    QrRotKey* keys[1] = {&euler};

    QrPointer<Qr3dsAnimationNode> node(new Qr3dsAnimationNode);
    node->SetRotKeys(keys, 1);
    ASSERT_TRUE(node->IsEuler());
    EXPECT_EQ(node->GetRotCount(), 2);
    EXPECT_EQ(node->GetBeginTime(), 1.0f);
    EXPECT_EQ(node->GetEndTime(), 3.0f);
    QrEulerRotKey* installed = node->GetEulerKey();
    ASSERT_NE(installed, &euler);
    EXPECT_EQ(static_cast<QrTCBFloatKey*>(installed->GetKeys(QrEulerRotKey::kAxisZ)[0])->m_outTangent, 1.0f)
        << "TCB tracks get their tangents";
    node->ApplyAtTime(2.0f);
    EXPECT_NEAR(node->GetRotate().m[1][0], std::sin(0.5f), 1e-6f);

    // Replacing borrows the caller's Euler key; the node's own copy lives on until the node goes.
    node->ReplaceRotKeys(keys, 1);
    EXPECT_EQ(node->GetEulerKey(), &euler);
    EXPECT_EQ(node->GetRotCount(), 2);
    node->ReplaceRotKeys(nullptr, 0);
    EXPECT_FALSE(node->IsEuler());
}

TEST_F(Qr3dsAnimationNodeTest, ClonesCopyKeysAndOnlyOneKeepsChildren)
{
    QrPointer<Qr3dsAnimationNode> node(new Qr3dsAnimationNode);
    node->SetName("arm");
    auto positions = Positions({{0.0f, {1.0f, 0.0f, 0.0f}}, {4.0f, {2.0f, 0.0f, 0.0f}}});
    auto rotations = Rotations({{0.0f, 0.0f}, {1.0f, 7.0f}});
    auto visibility = Visibility({{0.5f, 1}});
    node->SetPosKeys(positions.Data(), positions.Count());
    node->SetRotKeys(rotations.Data(), rotations.Count());
    node->SetVisibilityKeys(visibility.Data(), visibility.Count());
    node->SetCycleType(QrAnimTiming::kCycleLoop);
    node->AttachChild(QrPointer<QrNode>(new QrNode).Get());
    node->ApplyAtTime(2.5f);

    QrPointer<QrAVObject> clone = node->CreateClone();
    auto* copy = static_cast<Qr3dsAnimationNode*>(clone.Get());
    EXPECT_EQ(copy->GetChildCount(), 1u);
    EXPECT_NE(copy->GetPosKeys()[0], node->GetPosKeys()[0]);
    EXPECT_EQ(copy->GetCycleType(), QrAnimTiming::kCycleLoop);
    copy->SetName("arm");
    EXPECT_TRUE(copy->IsEqual(node.Get()));

    QrPointer<Qr3dsAnimationNode> bare = node->CloneWithoutChildren();
    EXPECT_EQ(bare->GetChildCount(), 0u);
    EXPECT_EQ(bare->GetRotArraySize(), 2);
    EXPECT_EQ(bare->GetTranslate(), node->GetTranslate());
    bare->ApplyAtTime(0.5f);
    node->ApplyAtTime(0.5f);
    EXPECT_EQ(bare->GetRotate(), node->GetRotate());
}

TEST_F(Qr3dsAnimationNodeTest, UpdateAllDrivesNodesButNeverBones)
{
    QrPointer<Qr3dsAnimationNode> node(new Qr3dsAnimationNode);
    QrPointer<Qr3dsBone> bone(new Qr3dsBone);
    auto positions = Positions({{0.0f, {0.0f, 0.0f, 0.0f}}, {1.0f, {1.0f, 0.0f, 0.0f}}});
    node->SetPosKeys(positions.Data(), positions.Count());
    bone->SetPosKeys(positions.Data(), positions.Count());
    node->SetMode(QrAnimTiming::kModeUpdate);
    bone->SetMode(QrAnimTiming::kModeUpdate);
    node->SetPendingTime(1.0f);
    bone->SetPendingTime(1.0f);

    QrAnimTiming::UpdateAll(0.0f);
    EXPECT_EQ(node->GetTranslate(), QrPoint3(1.0f, 0.0f, 0.0f)) << "the pending apply";
    QrAnimTiming::UpdateAll(0.5f);
    EXPECT_EQ(node->GetTranslate(), QrPoint3(0.5f, 0.0f, 0.0f));
    EXPECT_EQ(bone->GetTranslate(), QrPoint3::ZERO);
    EXPECT_EQ(bone->GetPending(), 1);
    // Driven directly, the bone poses itself but leaves the world update to its binding.
    static_cast<QrAnimTiming&>(*bone).Update(1.0f);
    EXPECT_EQ(bone->GetTranslate(), QrPoint3(1.0f, 0.0f, 0.0f));
    EXPECT_EQ(World(bone.Get()), QrPoint3::ZERO);
}

} // namespace
