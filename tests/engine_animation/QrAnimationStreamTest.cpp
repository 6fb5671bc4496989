#include "AnimationTestFixture.h"
#include "KeyTestHelpers.h"
#include "SceneFileBuilder.h"
#include "StreamTestHelpers.h"

#include "Qr3dsAlphaAnimator.h"
#include "Qr3dsAnimationNode.h"
#include "Qr3dsBone.h"
#include "Qr3dsMorphShape.h"
#include "Qr3dsParticleSystem.h"
#include "Qr3dsPathController.h"
#include "Qr3dsSkin.h"
#include "Qr3dsSkinAndBone.h"
#include "QrBezierFloatKey.h"
#include "QrBezierPosKey.h"
#include "QrBezierRotKey.h"
#include "QrEulerRotKey.h"
#include "QrGravity.h"
#include "QrKeyIO.h"
#include "QrLinearFloatKey.h"
#include "QrLinearPosKey.h"
#include "QrLinearRotKey.h"
#include "QrMaterialProperty.h"
#include "QrMeshCollider.h"
#include "QrMorphTargetKey.h"
#include "QrMorphWeightsKey.h"
#include "QrParticleBomb.h"
#include "QrParticles.h"
#include "QrPlanarCollider.h"
#include "QrSphericalCollider.h"
#include "QrStream.h"
#include "QrTCBFloatKey.h"
#include "QrTCBPosKey.h"
#include "QrTCBRotKey.h"

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

// Holds key arrays exactly as loaded (no installation), so that tests see what a key's
// LoadBinary made of each file version: rotation keys, then float keys.
class TestKeyHolder : public QrObject
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    void LoadBinary(QrStream& stream) override
    {
        QrObject::LoadBinary(stream);
        const int32_t rotCount = stream.LoadI32();
        if (rotCount > 0)
            QrKeyIO<QrRotKey>::Load(stream, rotCount, m_rotKeys, "test rotation keys");
        const int32_t floatCount = stream.LoadI32();
        if (floatCount > 0)
            QrKeyIO<QrFloatKey>::Load(stream, floatCount, m_floatKeys, "test float keys");
    }
    void SaveBinary(QrStream& stream) override
    {
        QrObject::SaveBinary(stream);
        stream.SaveI32(int32_t(m_rotKeys.size()));
        if (!m_rotKeys.empty())
            QrKeyIO<QrRotKey>::Save(stream, QrKeyIO<QrRotKey>::Pointers(m_rotKeys).data(), int32_t(m_rotKeys.size()));
        stream.SaveI32(int32_t(m_floatKeys.size()));
        if (!m_floatKeys.empty())
            QrKeyIO<QrFloatKey>::Save(stream, QrKeyIO<QrFloatKey>::Pointers(m_floatKeys).data(),
                                      int32_t(m_floatKeys.size()));
    }
    bool IsEqual(const QrObject* other) const override
    {
        if (!QrObject::IsEqual(other))
            return false;
        const auto* o = static_cast<const TestKeyHolder*>(other);
        if (m_rotKeys.size() != o->m_rotKeys.size() || m_floatKeys.size() != o->m_floatKeys.size())
            return false;
        for (size_t i = 0; i < m_rotKeys.size(); ++i)
            if (m_rotKeys[i]->IsNotEqual(*o->m_rotKeys[i]))
                return false;
        for (size_t i = 0; i < m_floatKeys.size(); ++i)
            if (m_floatKeys[i]->IsNotEqual(*o->m_floatKeys[i]))
                return false;
        return true;
    }

    std::vector<std::unique_ptr<QrRotKey>> m_rotKeys;
    std::vector<std::unique_ptr<QrFloatKey>> m_floatKeys;

protected:
    ~TestKeyHolder() override = default;
};

QR_IMPLEMENT_RTTI(TestKeyHolder, QrObject)
QR_IMPLEMENT_CREATE(TestKeyHolder)

namespace
{

using Bytes = std::vector<uint8_t>;

const QrPoint3 kX{1.0f, 0.0f, 0.0f};
const QrPoint3 kZ{0.0f, 0.0f, 1.0f};

std::string Raw(std::initializer_list<uint8_t> bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

class QrAnimationStreamTest : public QrAnimationTest
{
protected:
    void SetUp() override
    {
        QrAnimationTest::SetUp();
        TestKeyHolder::RegisterCreateFunction();
    }

    static Bytes Save(const std::vector<QrObject*>& topLevel) { return streamtest::Save(topLevel); }

    static bool Load(QrStream& stream, const Bytes& bytes) { return stream.LoadFromMemory(bytes.data(), bytes.size()); }

    // Save, load, compare every top-level object, save again: the same bytes.
    static void ExpectRoundTrip(const std::vector<QrObject*>& topLevel)
    {
        const Bytes first = Save(topLevel);
        QrStream stream;
        ASSERT_TRUE(Load(stream, first)) << QrStream::LastErrorContext;
        ASSERT_EQ(stream.GetTopLevelCount(), topLevel.size());
        std::vector<QrObject*> loaded;
        for (uint32_t i = 0; i < stream.GetTopLevelCount(); ++i)
        {
            loaded.push_back(stream.GetTopLevelAt(i));
            EXPECT_TRUE(topLevel[i]->IsEqual(loaded.back()))
                << "object " << i << " " << topLevel[i]->GetRTTI()->GetName();
        }
        EXPECT_EQ(Save(loaded), first);
    }

    static void ExpectCorrupt(const Bytes& bytes)
    {
        QrStream stream;
        EXPECT_FALSE(Load(stream, bytes));
        EXPECT_EQ(QrStream::LastErrorCode, 2u) << QrStream::LastErrorContext;
        EXPECT_EQ(stream.GetTopLevelCount(), 0u);
    }

    // The same records under another version's header (valid where the records read alike).
    static Bytes WithVersion(const Bytes& file, const std::string& version)
    {
        const Bytes header = SceneFileBuilder("2.2").Data();
        EXPECT_TRUE(std::equal(header.begin(), header.end(), file.begin()));
        Bytes out = SceneFileBuilder(version).Data();
        out.insert(out.end(), file.begin() + std::ptrdiff_t(header.size()), file.end());
        return out;
    }

    // A saved node without keys, its three key counts replaced by the given bytes.
    static Bytes NodeWithKeyBytes(const std::string& version, const std::string& keyBytes)
    {
        QrPointer<Qr3dsAnimationNode> node(new Qr3dsAnimationNode);
        Bytes file = Save({node.Get()});
        // The node's record ends with three zero counts, before the end marker.
        const size_t endMarker = 4 + std::strlen("End Of File");
        const size_t counts = file.size() - endMarker - 12;
        Bytes out(file.begin(), file.begin() + std::ptrdiff_t(counts));
        out.insert(out.end(), keyBytes.begin(), keyBytes.end());
        out.insert(out.end(), file.end() - std::ptrdiff_t(endMarker), file.end());
        return WithVersion(out, version);
    }
};

// --- builders of objects with every field away from its default

void SetTiming(QrAnimTiming& timing, uint32_t seed)
{
    timing.SetMode(seed % 3);
    timing.SetPending(uint8_t(seed & 1));
    timing.SetRunning(uint8_t((seed >> 1) & 1));
    timing.SetRestartPending(uint8_t((seed >> 2) & 1));
    timing.SetUpdateWorld(uint8_t((seed >> 3) & 1));
    timing.SetCycleType(seed % 4);
    timing.SetPendingTime(0.125f * float(seed));
    timing.SetFrequency(1.5f + float(seed));
    timing.SetPhase(-0.25f * float(seed));
}

template <class K> std::unique_ptr<K> RotKey(float time, float angle, const QrPoint3& axis)
{
    return std::make_unique<K>(time, angle, axis);
}

QrPointer<Qr3dsAnimationNode> MakeEulerNode()
{
    QrPointer<Qr3dsAnimationNode> node(new Qr3dsAnimationNode);
    node->SetName("euler");
    QrEulerRotKey euler;
    euler.m_axisOrder = 4;
    std::vector<std::unique_ptr<QrFloatKey>> x, y, z;
    for (int i = 0; i < 3; ++i)
    {
        auto tcb = std::make_unique<QrTCBFloatKey>(float(i), 0.3f * float(i));
        tcb->m_continuity = 0.25f;
        x.push_back(std::move(tcb));
        auto bezier = std::make_unique<QrBezierFloatKey>(float(i), -0.2f * float(i));
        bezier->m_inTangent = 0.5f;
        bezier->m_outTangent = -0.5f;
        y.push_back(std::move(bezier));
    }
    z.push_back(std::make_unique<QrLinearFloatKey>(0.0f, 1.0f));
    euler.SetKeys(QrEulerRotKey::kAxisX, std::move(x));
    euler.SetKeys(QrEulerRotKey::kAxisY, std::move(y));
    euler.SetKeys(QrEulerRotKey::kAxisZ, std::move(z));
    QrRotKey* keys[1] = {&euler};
    node->SetRotKeys(keys, 1);
    KeyList<QrAnimKey> positions;
    positions.Add(std::make_unique<QrLinearPosKey>(0.0f, QrPoint3(1.0f, 2.0f, 3.0f)));
    node->SetPosKeys(positions.Data(), positions.Count());
    return node;
}

QrPointer<Qr3dsAnimationNode> MakeRichNode()
{
    QrPointer<Qr3dsAnimationNode> node(new Qr3dsAnimationNode);
    node->SetName("hip");
    SetTiming(*node, 5);
    node->SetTranslate(1.0f, 2.0f, 3.0f);

    KeyList<QrRotKey> rotations;
    for (int i = 0; i < 3; ++i)
    {
        auto* key = rotations.Add(RotKey<QrTCBRotKey>(float(i), 1.3f * float(i) * float(i), i == 2 ? kX : kZ));
        key->m_tension = 0.1f * float(i);
        key->m_bias = -0.2f;
    }
    node->SetRotKeys(rotations.Data(), rotations.Count());
    KeyList<QrAnimKey> positions;
    for (int i = 0; i < 3; ++i)
    {
        auto* key = positions.Add(std::make_unique<QrBezierPosKey>(float(i), QrPoint3(float(i), 1.0f, -float(i))));
        key->m_inTangent = {0.5f, 0.0f, float(i)};
        key->m_outTangent = {1.0f, 0.25f, 0.0f};
    }
    node->SetPosKeys(positions.Data(), positions.Count());
    KeyList<QrVisibilityKey> visibility;
    visibility.Add(std::make_unique<QrVisibilityKey>(0.0f, 1));
    visibility.Add(std::make_unique<QrVisibilityKey>(1.5f, 0));
    node->SetVisibilityKeys(visibility.Data(), visibility.Count());

    QrPointer<Qr3dsAnimationNode> knee(new Qr3dsAnimationNode);
    knee->SetName("knee");
    KeyList<QrRotKey> kneeRotations;
    kneeRotations.Add(RotKey<QrLinearRotKey>(0.0f, 0.0f, kX));
    kneeRotations.Add(RotKey<QrLinearRotKey>(2.0f, 7.0f, kX));
    knee->SetRotKeys(kneeRotations.Data(), kneeRotations.Count());
    KeyList<QrAnimKey> kneePositions;
    for (int i = 0; i < 4; ++i)
        kneePositions.Add(std::make_unique<QrTCBPosKey>(float(i), QrPoint3(float(i * i), 0.0f, 1.0f)));
    knee->SetPosKeys(kneePositions.Data(), kneePositions.Count());
    node->AttachChild(knee.Get());
    knee->AttachChild(MakeEulerNode().Get());

    QrPointer<Qr3dsAnimationNode> foot(new Qr3dsAnimationNode);
    KeyList<QrRotKey> footRotations;
    footRotations.Add(RotKey<QrBezierRotKey>(0.0f, 0.5f, kZ));
    footRotations.Add(RotKey<QrBezierRotKey>(1.0f, 9.0f, kX));
    foot->SetRotKeys(footRotations.Data(), footRotations.Count());
    node->AttachChild(foot.Get());
    return node;
}

QrPointer<Qr3dsBone> MakeBone(QrObject* linked)
{
    QrPointer<Qr3dsBone> bone(new Qr3dsBone);
    bone->SetName("spine");
    bone->m_skinRotation.MakeFromKind(5, 0.3f, 0.0f, 0.0f, 0.0f);
    bone->m_skinTranslation = {1.0f, -2.0f, 0.5f};
    bone->m_skinScale = 1.25f;
    bone->m_skinChanged = 1;
    bone->SetLinkedObject(linked);
    KeyList<QrAnimKey> positions;
    positions.Add(std::make_unique<QrLinearPosKey>(0.0f, QrPoint3(0.0f, 1.0f, 0.0f)));
    positions.Add(std::make_unique<QrLinearPosKey>(1.0f, QrPoint3(0.0f, 2.0f, 0.0f)));
    bone->SetPosKeys(positions.Data(), positions.Count());
    QrPointer<Qr3dsBone> child(new Qr3dsBone);
    child->SetName("neck");
    bone->AttachChild(child.Get());
    return bone;
}

QrPointer<Qr3dsPathController> MakePath(bool closed)
{
    QrPointer<Qr3dsPathController> path(new Qr3dsPathController);
    path->SetName(closed ? "loop" : "line");
    SetTiming(*path, 6);
    path->m_constantSpeed = 1;
    path->m_followEnabled = 1;
    path->m_bankEnabled = 1;
    path->m_curveFrame = 1;
    path->m_bankSign = -1;
    path->m_bankAmount = 0.4f;
    path->m_smoothing = 0.15f;
    path->m_followAxis = 1;
    KeyList<QrAnimKey> keys;
    const QrPoint3 points[4] = {{0, 0, 0}, {4, 0, 0}, {4, 3, 1}, {closed ? 0.0f : 1.0f, 0, 0}};
    for (int i = 0; i < 4; ++i)
    {
        auto* key = keys.Add(std::make_unique<QrTCBPosKey>(float(i), points[i]));
        key->m_tension = 0.2f;
    }
    path->SetPathKeys(keys.Data(), keys.Count());
    KeyList<QrFloatKey> percent;
    percent.Add(std::make_unique<QrBezierFloatKey>(0.0f, 0.0f));
    percent.Add(std::make_unique<QrBezierFloatKey>(10.0f, 1.0f));
    path->SetPercentKeys(percent.Data(), percent.Count());
    return path;
}

QrPointer<Qr3dsAlphaAnimator> MakeAlpha(uint32_t type, QrProperty* target)
{
    QrPointer<Qr3dsAlphaAnimator> animator(new Qr3dsAlphaAnimator);
    SetTiming(*animator, type);
    animator->SetTarget(target);
    KeyList<QrFloatKey> keys;
    for (int i = 0; i < 3; ++i)
    {
        const float t = float(i);
        switch (type)
        {
        case QrFloatKey::kTypeLinear:
            keys.Add(std::make_unique<QrLinearFloatKey>(t, 1.0f - 0.5f * t));
            break;
        case QrFloatKey::kTypeBezier:
            keys.Add(std::make_unique<QrBezierFloatKey>(t, 0.5f * t))->m_outTangent = 0.25f;
            break;
        default:
            keys.Add(std::make_unique<QrTCBFloatKey>(t, 0.1f * t))->m_bias = 0.5f;
            break;
        }
    }
    animator->SetKeys(keys.Data(), keys.Count());
    return animator;
}

TEST_F(QrAnimationStreamTest, EveryAnimationClassRoundTrips)
{
    QrPointer<QrMaterialProperty> material(new QrMaterialProperty);
    material->m_alpha = 0.75f;
    QrPointer<Qr3dsAnimationNode> node = MakeRichNode();
    QrPointer<Qr3dsBone> bone = MakeBone(material.Get());
    QrPointer<Qr3dsBone> plainBone(new Qr3dsBone);
    QrPointer<Qr3dsPathController> closed = MakePath(true);
    QrPointer<Qr3dsPathController> open = MakePath(false);
    QrPointer<Qr3dsPathController> empty(new Qr3dsPathController);
    QrPointer<Qr3dsAlphaAnimator> linear = MakeAlpha(QrFloatKey::kTypeLinear, material.Get());
    QrPointer<Qr3dsAlphaAnimator> bezier = MakeAlpha(QrFloatKey::kTypeBezier, material.Get());
    QrPointer<Qr3dsAlphaAnimator> tcb = MakeAlpha(QrFloatKey::kTypeTCB, nullptr);
    QrPointer<Qr3dsAlphaAnimator> keyless(new Qr3dsAlphaAnimator);
    ASSERT_FALSE(closed->IsOpenPath());
    ASSERT_TRUE(open->IsOpenPath());
    ExpectRoundTrip({node.Get(), bone.Get(), plainBone.Get(), closed.Get(), open.Get(), empty.Get(), linear.Get(),
                     bezier.Get(), tcb.Get(), keyless.Get()});
}

TEST_F(QrAnimationStreamTest, EveryKeyClassRoundTripsAsLoaded)
{
    QrPointer<TestKeyHolder> holder(new TestKeyHolder);
    auto tcb = RotKey<QrTCBRotKey>(1.0f, 2.0f, kX);
    tcb->m_quatA = {0.5f, 0.5f, 0.5f, 0.5f};
    tcb->m_angleB = 3.0f;
    tcb->m_turns = 2;
    tcb->m_interpClass = 3;
    holder->m_rotKeys.push_back(std::move(tcb));
    holder->m_rotKeys.push_back(RotKey<QrTCBRotKey>(2.0f, -1.0f, kZ));
    QrPointer<TestKeyHolder> morph(new TestKeyHolder);
    auto weights = std::make_unique<QrMorphWeightsKey>(0.5f, std::vector<float>{0.25f, 0.5f, 0.25f});
    weights->m_inTangents = {1.0f, 2.0f, 3.0f};
    weights->m_tension = 0.75f;
    morph->m_floatKeys.push_back(std::move(weights));
    morph->m_floatKeys.push_back(std::make_unique<QrMorphWeightsKey>(1.5f, std::vector<float>{0.0f, 1.0f, 0.0f}));
    QrPointer<TestKeyHolder> targets(new TestKeyHolder);
    targets->m_floatKeys.push_back(std::make_unique<QrMorphTargetKey>(0.0f, 2, 4));
    targets->m_floatKeys.push_back(std::make_unique<QrMorphTargetKey>(1.0f, 3, 4));
    QrPointer<TestKeyHolder> euler(new TestKeyHolder);
    auto eulerKey = std::make_unique<QrEulerRotKey>();
    eulerKey->m_time = 3.0f;
    eulerKey->m_axisOrder = 5;
    std::vector<std::unique_ptr<QrFloatKey>> y;
    y.push_back(std::make_unique<QrMorphTargetKey>(0.0f, 1, 2));
    eulerKey->SetKeys(QrEulerRotKey::kAxisY, std::move(y));
    euler->m_rotKeys.push_back(std::move(eulerKey));
    ExpectRoundTrip({holder.Get(), morph.Get(), targets.Get(), euler.Get()});
}

TEST_F(QrAnimationStreamTest, HandMadeAnimatorRecordHasTheTimingLayout)
{
    const Bytes file = SceneFileBuilder()
                           .TopLevel()
                           .Object("Qr3dsAlphaAnimator", 1, "fade")
                           .U32(1)
                           .Bytes(Raw({1, 0, 1, 0, 1}))
                           .U32(0)
                           .F32(0.5f)
                           .F32(2.0f)
                           .F32(-1.0f)
                           .F32(1.0f)
                           .F32(3.0f)
                           .U32(0)
                           .I32(2)
                           .U32(QrFloatKey::kTypeLinear)
                           .F32(1.0f)
                           .F32(0.0f)
                           .F32(3.0f)
                           .F32(1.0f)
                           .End()
                           .Data();
    QrStream stream;
    ASSERT_TRUE(Load(stream, file)) << QrStream::LastErrorContext;
    auto* animator = QrDynamicCast<Qr3dsAlphaAnimator>(stream.GetTopLevelAt(0));
    ASSERT_NE(animator, nullptr);
    EXPECT_EQ(animator->GetMode(), 1u);
    EXPECT_EQ(animator->GetPending(), 1);
    EXPECT_EQ(animator->GetRunning(), 0);
    EXPECT_EQ(animator->GetRestartPending(), 1);
    EXPECT_EQ(animator->GetUpdateWorld(), 0);
    EXPECT_EQ(animator->GetActive(), 1);
    EXPECT_EQ(animator->GetCycleType(), QrAnimTiming::kCycleLoop);
    EXPECT_EQ(animator->GetPendingTime(), 0.5f);
    EXPECT_EQ(animator->GetFrequency(), 2.0f);
    EXPECT_EQ(animator->GetPhase(), -1.0f);
    EXPECT_EQ(animator->GetKeyCount(), 2);
    EXPECT_EQ(animator->GetTarget(), nullptr);
    std::vector<QrObject*> top{animator};
    EXPECT_EQ(Save(top), file);
}

TEST_F(QrAnimationStreamTest, LoadedAnimatorTakesItsKeysRange)
{
    QrPointer<Qr3dsAlphaAnimator> animator = MakeAlpha(QrFloatKey::kTypeLinear, nullptr);
    animator->SetBeginTime(-4.0f);
    animator->SetEndTime(40.0f);
    QrStream stream;
    ASSERT_TRUE(Load(stream, Save({animator.Get()})));
    auto* loaded = static_cast<Qr3dsAlphaAnimator*>(stream.GetTopLevelAt(0));
    EXPECT_EQ(loaded->GetBeginTime(), 0.0f);
    EXPECT_EQ(loaded->GetEndTime(), 2.0f);
}

TEST_F(QrAnimationStreamTest, LoadedNodeOnlyWidensItsStoredRange)
{
    QrPointer<Qr3dsAnimationNode> node(new Qr3dsAnimationNode);
    KeyList<QrAnimKey> positions;
    positions.Add(std::make_unique<QrLinearPosKey>(2.0f, QrPoint3()));
    positions.Add(std::make_unique<QrLinearPosKey>(5.0f, QrPoint3()));
    node->SetPosKeys(positions.Data(), positions.Count());
    node->SetBeginTime(0.0f);
    node->SetEndTime(10.0f);
    node->SetRotate(0.7f, 0.0f, 1.0f, 0.0f);
    QrStream stream;
    ASSERT_TRUE(Load(stream, Save({node.Get()})));
    auto* loaded = static_cast<Qr3dsAnimationNode*>(stream.GetTopLevelAt(0));
    EXPECT_EQ(loaded->GetBeginTime(), 0.0f);
    EXPECT_EQ(loaded->GetEndTime(), 10.0f);
    EXPECT_EQ(loaded->GetRotArraySize(), 0);
    loaded->ApplyAtTime(3.0f);
    EXPECT_EQ(loaded->GetRotate(), node->GetRotate()) << "no rotation keys: the stored rotation stays";
}

TEST_F(QrAnimationStreamTest, VisibilityRecordsAreFiveBytes)
{
    QrPointer<Qr3dsAnimationNode> none(new Qr3dsAnimationNode);
    QrPointer<Qr3dsAnimationNode> three(new Qr3dsAnimationNode);
    KeyList<QrVisibilityKey> keys;
    for (int i = 0; i < 3; ++i)
        keys.Add(std::make_unique<QrVisibilityKey>(float(i), uint8_t(i & 1)));
    three->SetVisibilityKeys(keys.Data(), keys.Count());
    EXPECT_EQ(Save({three.Get()}).size() - Save({none.Get()}).size(), 15u);
}

TEST_F(QrAnimationStreamTest, BoneLinksItsObjectByClassFreeReference)
{
    QrPointer<Qr3dsAnimationNode> controller(new Qr3dsAnimationNode);
    controller->SetName("controller");
    QrPointer<Qr3dsBone> bone = MakeBone(controller.Get());
    QrStream stream;
    ASSERT_TRUE(Load(stream, Save({bone.Get()})));
    auto* loaded = static_cast<Qr3dsBone*>(stream.GetTopLevelAt(0));
    ASSERT_NE(loaded->GetLinkedObject(), nullptr);
    EXPECT_STREQ(loaded->GetLinkedObject()->GetName(), "controller");
    EXPECT_EQ(loaded->GetActive(), 0);
    EXPECT_EQ(loaded->GetUpdateWorld(), 0);
}

// --- older files

TEST_F(QrAnimationStreamTest, RotationKeysOfVersion214HaveAnExtraByteAndTheOppositeSense)
{
    const QrQuaternion q = QrQuaternion::FromAngleAxis(0.5f, kZ);
    SceneFileBuilder file("2.14");
    file.TopLevel().Object("TestKeyHolder", 1).I32(2).U32(QrRotKey::kTypeLinear);
    for (float time : {0.0f, 1.0f})
        file.Bytes(Raw({0xEE})).F32(time).F32(0.5f).F32(0.0f).F32(0.0f).F32(1.0f).F32(q.w).F32(q.x).F32(q.y).F32(q.z);
    file.I32(0).End();
    QrStream stream;
    ASSERT_TRUE(Load(stream, file.Data())) << QrStream::LastErrorContext;
    const auto* holder = static_cast<TestKeyHolder*>(stream.GetTopLevelAt(0));
    ASSERT_EQ(holder->m_rotKeys.size(), 2u);
    const QrRotKey& key = *holder->m_rotKeys[1];
    EXPECT_EQ(key.GetType(), QrRotKey::kTypeLinear);
    EXPECT_EQ(key.m_time, 1.0f);
    EXPECT_EQ(key.m_angle, -0.5f);
    EXPECT_TRUE(key.m_quat.IsEqual(QrQuaternion::Inverse(q)));
    EXPECT_EQ(key.m_turns, 0);
    EXPECT_EQ(key.m_axis, kZ);
}

TEST_F(QrAnimationStreamTest, RotationSenseFlipsUpToVersion215Only)
{
    const QrQuaternion q = QrQuaternion::FromAngleAxis(0.5f, kZ);
    for (const char* version : {"2.15", "2.16"})
    {
        SceneFileBuilder file(version);
        file.TopLevel().Object("TestKeyHolder", 1).I32(1).U32(QrRotKey::kTypeLinear);
        file.F32(2.0f).F32(0.5f).F32(0.0f).F32(0.0f).F32(1.0f).F32(q.w).F32(q.x).F32(q.y).F32(q.z).I32(3).I32(2);
        file.I32(0).End();
        QrStream stream;
        ASSERT_TRUE(Load(stream, file.Data())) << version << ": " << QrStream::LastErrorContext;
        const QrRotKey& key = *static_cast<TestKeyHolder*>(stream.GetTopLevelAt(0))->m_rotKeys[0];
        const bool flipped = std::string(version) == "2.15";
        EXPECT_EQ(key.m_angle, flipped ? -0.5f : 0.5f) << version;
        EXPECT_TRUE(key.m_quat.IsEqual(flipped ? QrQuaternion::Inverse(q) : q)) << version;
        EXPECT_EQ(key.m_turns, 3);
        EXPECT_EQ(key.m_interpClass, 2);
    }
}

TEST_F(QrAnimationStreamTest, OldSquadKeysDeriveTheirControlAngles)
{
    const QrQuaternion control = QrQuaternion::FromAngleAxis(0.8f, kX);
    const QrQuaternion a = QrQuaternion::FromAngleAxis(0.2f, kZ);
    const QrQuaternion b = QrQuaternion::FromAngleAxis(1.4f, kZ);
    SceneFileBuilder file("2.14");
    file.TopLevel().Object("TestKeyHolder", 1).I32(1).U32(QrRotKey::kTypeBezier);
    file.Bytes(Raw({0})).F32(0.0f).F32(0.0f).F32(1.0f).F32(0.0f).F32(0.0f).F32(1.0f).F32(0.0f).F32(0.0f).F32(0.0f);
    file.F32(control.w).F32(control.x).F32(control.y).F32(control.z);
    file.I32(0).End();
    SceneFileBuilder tcbFile("2.13");
    tcbFile.TopLevel().Object("TestKeyHolder", 1).I32(1).U32(QrRotKey::kTypeTCB);
    tcbFile.Bytes(Raw({0})).F32(0.0f).F32(0.0f).F32(1.0f).F32(0.0f).F32(0.0f).F32(1.0f).F32(0.0f).F32(0.0f).F32(0.0f);
    tcbFile.F32(0.1f).F32(0.2f).F32(0.3f);
    tcbFile.F32(a.w).F32(a.x).F32(a.y).F32(a.z).F32(b.w).F32(b.x).F32(b.y).F32(b.z);
    tcbFile.I32(0).End();

    QrStream stream;
    ASSERT_TRUE(Load(stream, file.Data())) << QrStream::LastErrorContext;
    const auto& bezier =
        static_cast<const QrBezierRotKey&>(*static_cast<TestKeyHolder*>(stream.GetTopLevelAt(0))->m_rotKeys[0]);
    EXPECT_NEAR(bezier.m_controlAngle, 0.8f, 1e-5f);
    EXPECT_TRUE(bezier.m_controlQuat.IsEqual(control));

    QrStream tcbStream;
    ASSERT_TRUE(Load(tcbStream, tcbFile.Data())) << QrStream::LastErrorContext;
    const auto& tcb =
        static_cast<const QrTCBRotKey&>(*static_cast<TestKeyHolder*>(tcbStream.GetTopLevelAt(0))->m_rotKeys[0]);
    EXPECT_EQ(tcb.m_continuity, 0.2f);
    EXPECT_NEAR(tcb.m_angleA, 0.2f, 1e-5f);
    EXPECT_NEAR(tcb.m_angleB, 1.4f, 1e-5f);
}

TEST_F(QrAnimationStreamTest, OldNodeFilesTurnTheOtherWay)
{
    // Two linear keys at 0.5 and 1.0 rad about z, as a node record stores them.
    std::string keyBytes;
    plat::ByteWriter writer;
    writer.I32(2);
    writer.U32(QrRotKey::kTypeLinear);
    for (float angle : {0.5f, 1.0f})
    {
        const QrQuaternion q = QrQuaternion::FromAngleAxis(angle, kZ);
        for (float f : {angle * 2.0f - 1.0f, angle, 0.0f, 0.0f, 1.0f, q.w, q.x, q.y, q.z})
            writer.F32(f);
        writer.I32(0);
        writer.I32(0);
    }
    writer.I32(0);
    writer.I32(0);
    keyBytes.assign(writer.Buffer().begin(), writer.Buffer().end());

    for (const char* version : {"2.15", "2.16"})
    {
        QrStream stream;
        ASSERT_TRUE(Load(stream, NodeWithKeyBytes(version, keyBytes))) << version << ": " << QrStream::LastErrorContext;
        auto* node = QrDynamicCast<Qr3dsAnimationNode>(stream.GetTopLevelAt(0));
        ASSERT_NE(node, nullptr);
        node->ApplyAtTime(0.0f);
        const float sense = std::string(version) == "2.15" ? -1.0f : 1.0f;
        EXPECT_NEAR(node->GetRotate().m[1][0], sense * std::sin(0.5f), 1e-6f) << version;
        node->ApplyAtTime(0.5f);
        EXPECT_NEAR(node->GetRotate().m[1][0], sense * std::sin(0.75f), 1e-6f) << version;
    }
}

// --- damaged files

TEST_F(QrAnimationStreamTest, KeyTypesWithoutAClassAreRefused)
{
    const auto withRotation = [](uint32_t count, uint32_t type)
    {
        plat::ByteWriter w;
        w.I32(int32_t(count));
        w.U32(type);
        for (int i = 0; i < 44; ++i)
            w.U8(0);
        w.I32(0);
        w.I32(0);
        return std::string(w.Buffer().begin(), w.Buffer().end());
    };
    for (uint32_t type : {0u, 5u, 6u, 0x80000001u})
        ExpectCorrupt(NodeWithKeyBytes("2.2", withRotation(1, type)));
    {
        plat::ByteWriter w;
        w.I32(0);
        w.I32(1);
        w.U32(4); // no position key class has code 4
        for (int i = 0; i < 16; ++i)
            w.U8(0);
        w.I32(0);
        ExpectCorrupt(NodeWithKeyBytes("2.2", std::string(w.Buffer().begin(), w.Buffer().end())));
    }
    for (uint32_t type : {0u, 4u, 7u})
        ExpectCorrupt(SceneFileBuilder()
                          .TopLevel()
                          .Object("TestKeyHolder", 1)
                          .I32(0)
                          .I32(1)
                          .U32(type)
                          .F32(0.0f)
                          .F32(0.0f)
                          .End()
                          .Data());
}

TEST_F(QrAnimationStreamTest, AbstractRecordsHaveNoCreateFunction)
{
    for (const char* abstract : {"Qr3dsPropertyAnimator", "QrForce"})
    {
        QrStream stream;
        EXPECT_FALSE(Load(stream, SceneFileBuilder().TopLevel().Object(abstract, 1).End().Data()));
        EXPECT_EQ(QrStream::LastErrorCode, QrStream::kErrorNoCreateFunction) << abstract;
    }
}

TEST_F(QrAnimationStreamTest, AbsurdCountsFailBeforeAnythingIsMade)
{
    for (int32_t count : {0x7FFFFFFF, 1000})
    {
        plat::ByteWriter w;
        w.I32(count);
        w.U32(QrRotKey::kTypeLinear);
        ExpectCorrupt(NodeWithKeyBytes("2.2", std::string(w.Buffer().begin(), w.Buffer().end())));
        plat::ByteWriter v;
        v.I32(0);
        v.I32(0);
        v.I32(count);
        ExpectCorrupt(NodeWithKeyBytes("2.2", std::string(v.Buffer().begin(), v.Buffer().end())));
    }
    // A morph weights key whose target count the file cannot hold.
    ExpectCorrupt(SceneFileBuilder()
                      .TopLevel()
                      .Object("TestKeyHolder", 1)
                      .I32(0)
                      .I32(1)
                      .U32(QrFloatKey::kTypeMorphWeights)
                      .F32(0.0f)
                      .F32(0.0f)
                      .F32(0.0f)
                      .F32(0.0f)
                      .F32(0.0f)
                      .F32(0.0f)
                      .F32(0.0f)
                      .I32(0x10000000)
                      .End()
                      .Data());
}

TEST_F(QrAnimationStreamTest, DamagedKeyBytesNeverBreakTheLoader)
{
    // Damage stays within the timing and key data: child and light link ids are the node's
    // own concern.
    QrPointer<Qr3dsAnimationNode> keyless(new Qr3dsAnimationNode);
    const size_t endMarker = 4 + std::strlen("End Of File");
    const size_t keysStart = Save({keyless.Get()}).size() - endMarker - 12 - QrAnimTiming::kRecordSize;

    // The same record shape: no name, no children.
    QrPointer<Qr3dsAnimationNode> rich = MakeRichNode()->CloneWithoutChildren();
    QrPointer<Qr3dsAnimationNode> euler = MakeEulerNode()->CloneWithoutChildren();
    std::mt19937 random(1234);
    for (Qr3dsAnimationNode* node : {rich.Get(), euler.Get()})
    {
        const Bytes file = Save({node});
        std::uniform_int_distribution<size_t> offset(keysStart, file.size() - endMarker - 1);
        std::uniform_int_distribution<int> value(0, 255);
        for (int round = 0; round < 300; ++round)
        {
            Bytes damaged = file;
            for (int i = 0; i < 1 + round % 4; ++i)
                damaged[offset(random)] = uint8_t(value(random));
            QrStream stream;
            if (!Load(stream, damaged))
                continue;
            // Whatever loaded can be posed and written again.
            auto* loaded = static_cast<Qr3dsAnimationNode*>(stream.GetTopLevelAt(0));
            for (float t : {-1.0f, 0.0f, 0.7f, 1.5f, 9.0f})
                loaded->ApplyAtTime(t);
            Save({loaded});
        }
    }
}

// --- skins, morph shapes, particle systems, forces

// Every field of every force kind away from its default.
std::vector<QrPointer<QrForce>> MakeForces(QrObject* mesh)
{
    QrPointer<QrGravity> gravity(new QrGravity);
    gravity->SetName("pull");
    gravity->m_decay = 0.25f;
    gravity->m_strength = 2.0f;
    gravity->m_type = QrGravity::kTypePoint;
    gravity->m_position = {1.0f, 2.0f, 3.0f};
    gravity->m_direction = {0.0f, 0.6f, 0.8f};
    QrPointer<QrParticleBomb> bomb(new QrParticleBomb);
    bomb->m_range = 5.0f;
    bomb->m_duration = 0.5f;
    bomb->m_strength = 7.0f;
    bomb->m_startTime = 1.5f;
    bomb->m_falloff = QrParticleBomb::kFalloffExponential;
    bomb->m_symmetry = QrParticleBomb::kSymmetryPlanar;
    bomb->m_position = {-1.0f, 0.0f, 4.0f};
    bomb->m_axis = {0.0f, 0.0f, 1.0f};
    QrPointer<QrSphericalCollider> sphere(new QrSphericalCollider);
    sphere->m_radius = 2.0f;
    sphere->m_squaredRadius = 4.5f;
    sphere->m_bounce = 0.7f;
    sphere->m_reserved[0] = 3;
    sphere->m_reserved[1] = 0xDEADBEEF;
    sphere->m_center = {0.0f, 1.0f, 2.5f};
    QrPointer<QrPlanarCollider> plane(new QrPlanarCollider);
    plane->m_distance = 0.5f;
    plane->m_width = 3.0f;
    plane->m_height = 4.0f;
    plane->m_bounce = 0.4f;
    plane->m_position = {0.0f, 0.0f, -0.5f};
    plane->m_heightAxis = {0.0f, 1.0f, 0.0f};
    plane->m_widthAxis = {1.0f, 0.0f, 0.0f};
    plane->m_normal = {0.0f, 0.0f, 1.0f};
    QrPointer<QrMeshCollider> meshCollider(new QrMeshCollider);
    meshCollider->m_bounce = 0.3f;
    meshCollider->m_reserved[2] = 9;
    meshCollider->SetMesh(mesh);
    return {gravity, bomb, sphere, plane, meshCollider};
}

// A skeleton of two bones naming their binding, and a binding of two skins; one vertex has no
// influence at all, one is rigid, the others blend.
QrPointer<Qr3dsSkinAndBone> MakeSkinnedModel()
{
    QrPointer<Qr3dsBone> root(new Qr3dsBone);
    root->SetName("pelvis");
    QrPointer<Qr3dsBone> child(new Qr3dsBone);
    child->SetName("thigh");
    child->SetTranslate(0.0f, -1.0f, 0.0f);
    root->AttachChild(child.Get());
    std::vector<Qr3dsSkin::Influence> influences(4);
    influences[0] = Qr3dsSkin::Influence(Qr3dsSkin::kRigid, {0.5f, 0.0f, 0.0f}, root.Get());
    influences[1] = Qr3dsSkin::Influence(0.25f, {0.0f, 1.0f, 0.0f}, root.Get());
    influences[1].Append(0.75f, {0.0f, 0.5f, 0.25f}, child.Get());
    influences[2] = Qr3dsSkin::Influence(1.0f, {1.0f, 1.0f, 0.0f}, child.Get());
    const QrPoint3 vertices[4] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}};
    const QrPoint3 normals[4] = {{0, 0, 1}, {0, 0, 1}, {0, 0, 1}, {0, 0, 1}};
    const QrPoint3 uv[4] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}};
    const uint16_t indices[6] = {0, 1, 2, 1, 3, 2};
    QrPointer<Qr3dsSkin> skin(new Qr3dsSkin(4, vertices, normals, 2, indices, uv, nullptr, influences.data()));
    skin->SetName("legs");
    QrPointer<Qr3dsSkin> flat(new Qr3dsSkin(4, vertices, nullptr, 2, indices, nullptr, nullptr, influences.data()));
    flat->SetRecomputeNormals(0);
    QrPointer<Qr3dsSkinAndBone> binding(new Qr3dsSkinAndBone);
    SetTiming(*binding, 9);
    binding->SetRootBone(root.Get());
    binding->AddSkin(skin.Get());
    binding->AddSkin(flat.Get());
    root->SetLinkedObject(binding.Get());
    child->SetLinkedObject(binding.Get());
    binding->ApplyAtTime(0.0f);
    return binding;
}

// Weights keys with their targets turned into offsets (posed at the last key, where a loaded
// shape is left), target keys with normals, and a shape without keys.
std::vector<QrPointer<Qr3dsMorphShape>> MakeMorphShapes()
{
    const QrPoint3 base[3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    const QrPoint3 lifted[3] = {{0, 0, 1}, {1, 0, 1}, {0, 1, 2}};
    const QrPoint3 wide[3] = {{-1, 0, 0}, {2, 0, 0}, {0, 2, 0}};
    const QrPoint3* targets[3] = {base, lifted, wide};
    const uint16_t indices[3] = {0, 1, 2};
    QrPointer<Qr3dsMorphShape> weights(new Qr3dsMorphShape(3, base, nullptr, 1, indices, nullptr, nullptr));
    weights->SetName("face");
    KeyList<QrFloatKey> weightKeys;
    weightKeys.Add(std::make_unique<QrMorphWeightsKey>(0.0f, std::vector<float>{0.0f, 0.0f, 0.0f}));
    weightKeys.Add(std::make_unique<QrMorphWeightsKey>(1.0f, std::vector<float>{0.0f, 1.0f, 0.5f}))->m_tension = 0.5f;
    weightKeys.Add(std::make_unique<QrMorphWeightsKey>(2.0f, std::vector<float>{0.0f, 0.0f, 1.0f}));
    weights->SetKeys(weightKeys.Data(), weightKeys.Count());
    weights->SetTargets(targets, 3, 3);
    weights->ApplyAtTime(2.0f);

    const QrPoint3 normals[3] = {{0, 0, 1}, {0, 0, 1}, {0, 0, 1}};
    QrPointer<Qr3dsMorphShape> blend(new Qr3dsMorphShape(3, base, normals, 1, indices, nullptr, nullptr));
    blend->SetRecomputeNormals(1);
    SetTiming(*blend, 4);
    KeyList<QrFloatKey> targetKeys;
    targetKeys.Add(std::make_unique<QrMorphTargetKey>(0.0f, 0, 3));
    targetKeys.Add(std::make_unique<QrMorphTargetKey>(0.5f, 2, 3));
    targetKeys.Add(std::make_unique<QrMorphTargetKey>(1.5f, 1, 3))->m_continuity = -0.5f;
    blend->SetKeys(targetKeys.Data(), targetKeys.Count());
    blend->SetTargets(targets, 3, 3);

    QrPointer<Qr3dsMorphShape> still(new Qr3dsMorphShape(3, base, nullptr, 1, indices, nullptr, nullptr));
    still->SetRelative(0);
    return {weights, blend, still};
}

// Every parameter away from its default, with a template, generation templates, stored records
// (one carrying its own object), a particle geometry, two forces and three colliders.
QrPointer<Qr3dsParticleSystem> MakeParticleSystem(const std::vector<QrPointer<QrForce>>& forces)
{
    QrPointer<Qr3dsParticleSystem> system(new Qr3dsParticleSystem);
    system->SetName("sparks");
    SetTiming(*system, 7);
    system->SetMaxParticles(6);
    system->m_useTotal = 1;
    system->m_reservedA = 2.0f;
    system->m_speed = 3.0f;
    system->m_speedVariation = 0.5f;
    system->m_lifeSpan = 1.5f;
    system->m_birthRate = 12.0f;
    system->m_emitterWidth = 2.0f;
    system->m_emitterHeight = 0.5f;
    system->m_reservedB = 1;
    system->m_reservedC = 2;
    system->m_reservedD = 3;
    system->m_reservedE = 4;
    system->m_emitterType = Qr3dsParticleSystem::kEmitterBox;
    system->m_directionJitter = 1.0f;
    system->SetDirection({1.0f, 0.0f, 1.0f});
    system->m_maxGeneration = 2;
    system->m_collisionAction = Qr3dsParticleSystem::kCollideDieAndContinue;
    system->m_spinPeriod = 0.75f;
    system->m_spinPeriodVariation = 0.25f;
    system->m_fixedSpinAxis = 1;
    system->m_reservedF = 5;
    system->m_spinAxis = {0.0f, 1.0f, 0.0f};
    system->m_preRollTime = 0.4f;
    system->m_emissionStopTime = 8.0f;
    system->m_polarSpread = 0.1f;
    system->m_polarCenter = 0.2f;
    system->m_azimuthSpread = 0.3f;
    system->m_azimuthCenter = 0.4f;
    system->m_launchMode = Qr3dsParticleSystem::kLaunchSpherical;

    QrPointer<QrNode> ember(new QrNode);
    ember->SetName("ember");
    QrPointer<QrNode> ash(new QrNode);
    ash->SetName("ash");
    system->SetTemplate(ember.Get());
    system->SetGenerationTemplateCount(2);
    system->SetGenerationTemplate(ash.Get(), 1);
    Qr3dsParticleSystem::SpawnRecord record;
    record.m_spinRate = 1.0f;
    record.m_age = 0.25f;
    record.m_generation = 1;
    record.m_position = {1.0f, 2.0f, 3.0f};
    record.m_velocity = {0.0f, 0.0f, 1.0f};
    record.m_angle = 0.5f;
    record.m_axis = {1.0f, 0.0f, 0.0f};
    system->AddStoredRecord(record);
    record.m_object = ash;
    system->AddStoredRecord(record);
    record.m_object = nullptr;
    record.m_position = {-1.0f, 0.0f, 0.0f};
    system->AddStoredRecord(record);

    const std::vector<QrPoint3> zeros(6, QrPoint3());
    QrPointer<QrParticles> cloud(new QrParticles(6, zeros.data(), nullptr, nullptr));
    system->AttachChild(cloud.Get());
    system->SetGeometry(cloud.Get());
    system->AddForce(forces[0].Get());
    system->AddForce(forces[1].Get());
    for (size_t i = 2; i < forces.size(); ++i)
        system->AddCollider(forces[i].Get());
    return system;
}

TEST_F(QrAnimationStreamTest, SkinsMorphsParticlesAndForcesRoundTrip)
{
    QrPointer<QrNode> mesh(new QrNode);
    const std::vector<QrPointer<QrForce>> forces = MakeForces(mesh.Get());
    QrPointer<Qr3dsParticleSystem> system = MakeParticleSystem(forces);
    QrPointer<Qr3dsParticleSystem> plain(new Qr3dsParticleSystem);
    QrPointer<Qr3dsSkinAndBone> binding = MakeSkinnedModel();
    const std::vector<QrPointer<Qr3dsMorphShape>> morphs = MakeMorphShapes();
    ASSERT_EQ(morphs[0]->GetRelative(), 0);
    // In file order: the system enters its forces and colliders from each chain's head.
    const std::vector<QrObject*> topLevel = {system.Get(),    forces[1].Get(), forces[0].Get(), forces[4].Get(),
                                             forces[3].Get(), forces[2].Get(), plain.Get(),     binding.Get(),
                                             morphs[0].Get(), morphs[1].Get(), morphs[2].Get()};
    ExpectRoundTrip(topLevel);

    QrStream stream;
    ASSERT_TRUE(Load(stream, Save(topLevel)));
    auto* loaded = static_cast<Qr3dsParticleSystem*>(stream.GetTopLevelAt(0));
    EXPECT_EQ(loaded->GetStoredRecordCount(), 3u) << "not every slot of the block";
    EXPECT_EQ(loaded->GetStoredRecord(1)->m_object->GetName(), std::string("ash"));
    EXPECT_STREQ(loaded->GetTemplate()->GetName(), "ember");
    EXPECT_EQ(loaded->GetGenerationTemplate(0), nullptr);
    EXPECT_STREQ(loaded->GetGenerationTemplate(1)->GetName(), "ash");
    EXPECT_EQ(loaded->GetGeometry(), loaded->GetChildAt(0));
    // The chains come back in the order they had.
    std::vector<const QrRTTI*> before, after;
    for (QrForce* f : {system->GetForces(), system->GetColliders()})
        for (; f; f = f->GetNext())
            before.push_back(f->GetRTTI());
    for (QrForce* f : {loaded->GetForces(), loaded->GetColliders()})
        for (; f; f = f->GetNext())
            after.push_back(f->GetRTTI());
    EXPECT_EQ(after, before);
    EXPECT_EQ(static_cast<QrMeshCollider*>(loaded->GetColliders())->GetMesh()->GetRTTI(), &QrNode::ms_RTTI);

    auto* skinned = static_cast<Qr3dsSkinAndBone*>(stream.GetTopLevelAt(7));
    ASSERT_EQ(skinned->GetSkinCount(), 2u);
    Qr3dsBone* root = skinned->GetRootBone();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->GetLinkedObject(), skinned);
    const Qr3dsSkin::Influence* influences = skinned->GetSkinAt(0)->GetInfluences();
    EXPECT_EQ(influences[0].m_bone, root);
    EXPECT_EQ(influences[1].m_next->m_bone, root->GetChildAt(0));
    EXPECT_EQ(influences[3].m_bone, nullptr) << "the vertex without influence";
}

TEST_F(QrAnimationStreamTest, StoredRecordBlocksOfOlderWritersAreReadWhole)
{
    // Older writers put any non-zero word in front of the block: then every slot is a record.
    QrPointer<Qr3dsParticleSystem> system(new Qr3dsParticleSystem);
    system->SetMaxParticles(4);
    Qr3dsParticleSystem::SpawnRecord record;
    record.m_position = {1.0f, 1.0f, 1.0f};
    system->AddStoredRecord(record);
    system->AddStoredRecord(record);
    Bytes file = Save({system.Get()});
    // From the end: the end marker, the three empty links and counts, the block, the word.
    const size_t word = file.size() - (4 + std::strlen("End Of File")) - 12 - 4 * 56 - 4;
    ASSERT_EQ(file[word], 2u);
    const uint8_t address[4] = {0xC0, 0xF2, 0xA3, 0x00};
    std::copy(address, address + 4, file.begin() + std::ptrdiff_t(word));
    QrStream stream;
    ASSERT_TRUE(Load(stream, file)) << QrStream::LastErrorContext;
    EXPECT_EQ(static_cast<Qr3dsParticleSystem*>(stream.GetTopLevelAt(0))->GetStoredRecordCount(), 4u);
}

TEST_F(QrAnimationStreamTest, BrokenParticleSkinAndMorphRecordsAreRefused)
{
    const size_t endMarker = 4 + std::strlen("End Of File");
    const auto u32At = [](Bytes& file, size_t at, uint32_t value)
    {
        for (int i = 0; i < 4; ++i)
            file[at + size_t(i)] = uint8_t(value >> (8 * i));
    };

    // More particles than a geometry can hold.
    QrPointer<Qr3dsParticleSystem> system(new Qr3dsParticleSystem);
    system->SetMaxParticles(1);
    {
        // The same node part under a longer class name, then the timing part.
        QrPointer<QrNode> probe(new QrNode);
        const size_t nodeAndTiming = Save({probe.Get()}).size() - endMarker +
                                     (std::strlen("Qr3dsParticleSystem") - std::strlen("QrNode")) +
                                     QrAnimTiming::kRecordSize;
        Bytes file = Save({system.Get()});
        ASSERT_EQ(file[nodeAndTiming], 1u);
        u32At(file, nodeAndTiming, 0x10000);
        ExpectCorrupt(file);
    }
    // One force listed twice would close its chain into a loop. (The force first, so that the
    // system's record ends the file.)
    QrPointer<QrGravity> gravity(new QrGravity);
    system->AddForce(gravity.Get());
    {
        Bytes file = Save({gravity.Get(), system.Get()});
        const size_t tail = file.size() - endMarker - 4;
        Bytes twice(file.begin(), file.begin() + std::ptrdiff_t(tail - 8));
        const uint32_t id = uint32_t(file[tail - 4]);
        for (uint32_t v : {2u, id, id, 0u})
            for (int i = 0; i < 4; ++i)
                twice.push_back(uint8_t(v >> (8 * i)));
        twice.insert(twice.end(), file.end() - std::ptrdiff_t(endMarker), file.end());
        ExpectCorrupt(twice);
    }
    // A vertex claiming more influences than the file holds. (Influences of 1, 2, 1 and 0 per
    // vertex, without bones so that the skin's record ends the file.)
    {
        std::vector<Qr3dsSkin::Influence> influences(4);
        influences[0] = Qr3dsSkin::Influence(Qr3dsSkin::kRigid, {}, nullptr);
        influences[1] = Qr3dsSkin::Influence(0.5f, {}, nullptr);
        influences[1].Append(0.5f, {}, nullptr);
        influences[2] = Qr3dsSkin::Influence(1.0f, {1.0f, 0.0f, 0.0f}, nullptr);
        const QrPoint3 vertices[4] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}};
        const uint16_t indices[3] = {0, 1, 2};
        QrPointer<Qr3dsSkin> skin(new Qr3dsSkin(4, vertices, nullptr, 1, indices, nullptr, nullptr, influences.data()));
        Bytes file = Save({skin.Get()});
        const size_t firstCount = file.size() - endMarker - (2 + 20 + 2 + 40 + 2 + 20 + 2);
        ASSERT_EQ(file[firstCount], 1u);
        file[firstCount] = 0xFF;
        file[firstCount + 1] = 0xFF;
        ExpectCorrupt(file);
    }
    // Morph keys that are plain float keys, and counts below zero.
    {
        const std::vector<QrPointer<Qr3dsMorphShape>> morphs = MakeMorphShapes();
        Bytes file = Save({morphs[1].Get()});
        const size_t type = file.size() - endMarker - 3 * 36 - 3 * 36 - 4;
        ASSERT_EQ(file[type], QrFloatKey::kTypeMorphTarget);
        Bytes plainKeys = file;
        plainKeys[type] = QrFloatKey::kTypeTCB;
        ExpectCorrupt(plainKeys);
        Bytes negative = file;
        u32At(negative, type - 16 - 4, 0xFFFFFFFFu);
        ExpectCorrupt(negative);
        Bytes huge = file;
        u32At(huge, type - 16 - 8, 0x01000000u);
        ExpectCorrupt(huge);
    }
}

TEST_F(QrAnimationStreamTest, DamagedParticleSkinAndMorphBytesNeverBreakTheLoader)
{
    QrPointer<QrNode> mesh(new QrNode);
    const std::vector<QrPointer<QrForce>> forces = MakeForces(mesh.Get());
    QrPointer<Qr3dsParticleSystem> system = MakeParticleSystem(forces);
    QrPointer<Qr3dsSkinAndBone> binding = MakeSkinnedModel();
    const std::vector<QrPointer<Qr3dsMorphShape>> morphs = MakeMorphShapes();
    const size_t header = SceneFileBuilder("2.2").Data().size();
    std::mt19937 random(77);
    for (QrObject* object : std::vector<QrObject*>{system.Get(), binding.Get(), morphs[0].Get(), morphs[1].Get()})
    {
        const Bytes file = Save({object});
        std::uniform_int_distribution<size_t> offset(header, file.size() - 1);
        std::uniform_int_distribution<int> value(0, 255);
        for (int round = 0; round < 200; ++round)
        {
            Bytes damaged = file;
            for (int i = 0; i < 1 + round % 3; ++i)
                damaged[offset(random)] = uint8_t(value(random));
            QrStream stream;
            if (!Load(stream, damaged))
                continue;
            // Whatever loaded can be animated and written again.
            for (uint32_t i = 0; i < stream.GetLoadedCount(); ++i)
                if (QrAnimTiming* timing = QrAnimTiming::GetTimingPart(stream.GetLoadedAt(i)))
                    for (float t : {0.5f, 0.75f, 2.0f, 1.0f})
                        timing->ApplyAtTime(t);
            std::vector<QrObject*> top;
            for (uint32_t i = 0; i < stream.GetTopLevelCount(); ++i)
                top.push_back(stream.GetTopLevelAt(i));
            Save(top);
        }
    }
}

} // namespace
