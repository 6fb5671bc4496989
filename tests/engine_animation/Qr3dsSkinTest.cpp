#include "AnimationTestFixture.h"
#include "KeyTestHelpers.h"

#include "Qr3dsBone.h"
#include "Qr3dsSkin.h"
#include "Qr3dsSkinAndBone.h"
#include "QrLinearPosKey.h"
#include "QrNode.h"
#include "QrPlane.h"

#include <bit>
#include <cstdint>
#include <random>
#include <vector>

namespace
{

using Influence = Qr3dsSkin::Influence;

// A quarter turn about z, exact in floats.
const QrMatrix3 kSkinQuarterTurnZ{0.0f, -1.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f};

class Qr3dsSkinTest : public QrAnimationTest
{
protected:
    // Root bone at (1, 0, 0) with scale 2; its child at (0, 1, 0) turned a quarter about z
    // with scale 0.5. Composed: child at (1, 2, 0) with scale 1.
    void SetUp() override
    {
        QrAnimationTest::SetUp();
        m_root = new Qr3dsBone;
        m_root->SetName("root");
        m_root->SetTranslate(1.0f, 0.0f, 0.0f);
        m_root->SetScale(2.0f);
        m_child = new Qr3dsBone;
        m_child->SetName("child");
        m_child->SetTranslate(0.0f, 1.0f, 0.0f);
        m_child->GetRotate() = kSkinQuarterTurnZ;
        m_child->SetScale(0.5f);
        m_root->AttachChild(m_child.Get());
    }
    void TearDown() override
    {
        m_root = nullptr;
        m_child = nullptr;
        QrAnimationTest::TearDown();
    }

    // Four vertices at (9, 9, 9): rigid on the root, rigid on the child, half and half, and
    // twice the same influence on the root.
    std::vector<Influence> MakeInfluences() const
    {
        std::vector<Influence> influences(4);
        influences[0] = Influence(Qr3dsSkin::kRigid, {1.0f, 1.0f, 1.0f}, m_root.Get());
        influences[1] = Influence(Qr3dsSkin::kRigid, {1.0f, 0.0f, 0.0f}, m_child.Get());
        influences[2] = Influence(0.5f, {0.0f, 0.0f, 1.0f}, m_root.Get());
        influences[2].Append(0.5f, {1.0f, 0.0f, 0.0f}, m_child.Get());
        influences[3] = Influence(1.0f, {0.0f, 0.0f, 1.0f}, m_root.Get());
        influences[3].Append(1.0f, {0.0f, 0.0f, 1.0f}, m_root.Get());
        return influences;
    }

    static QrPointer<Qr3dsSkin> MakeSkin(const std::vector<Influence>& influences, bool withNormals)
    {
        const uint16_t n = uint16_t(influences.size());
        const std::vector<QrPoint3> vertices(n, QrPoint3(9.0f, 9.0f, 9.0f));
        const std::vector<QrPoint3> normals(n, QrPoint3());
        const uint16_t indices[6] = {0, 1, 2, 1, 3, 2};
        return QrPointer<Qr3dsSkin>(new Qr3dsSkin(n, vertices.data(), withNormals ? normals.data() : nullptr,
                                                  n >= 4 ? 2 : 0, indices, nullptr, nullptr, influences.data()));
    }

    QrPointer<Qr3dsSkinAndBone> Bind(Qr3dsSkin* skin) const
    {
        QrPointer<Qr3dsSkinAndBone> binding(new Qr3dsSkinAndBone);
        binding->SetRootBone(m_root.Get());
        binding->AddSkin(skin);
        return binding;
    }

    QrPointer<Qr3dsBone> m_root;
    QrPointer<Qr3dsBone> m_child;
};

TEST_F(Qr3dsSkinTest, VerticesFollowScaledBones)
{
    QrPointer<Qr3dsSkin> skin = MakeSkin(MakeInfluences(), true);
    QrPointer<Qr3dsSkinAndBone> binding = Bind(skin.Get());
    binding->ApplyAtTime(0.0f);

    EXPECT_EQ(m_root->m_skinTranslation, QrPoint3(1.0f, 0.0f, 0.0f));
    EXPECT_EQ(m_root->m_skinScale, 2.0f);
    // The parent's scale counts the child's translation twice and multiplies its scale.
    EXPECT_EQ(m_child->m_skinTranslation, QrPoint3(1.0f, 2.0f, 0.0f));
    EXPECT_EQ(m_child->m_skinScale, 1.0f);
    EXPECT_EQ(m_child->m_skinRotation, kSkinQuarterTurnZ);

    const QrPoint3* v = skin->GetVertices();
    // translation + scale * (rotation * offset): the bone's origin stays where the bone is.
    EXPECT_EQ(v[0], QrPoint3(3.0f, 2.0f, 2.0f));
    EXPECT_EQ(v[1], QrPoint3(1.0f, 3.0f, 0.0f));
    EXPECT_EQ(v[2], QrPoint3(1.0f, 1.5f, 1.0f));
    EXPECT_EQ(v[3], QrPoint3(2.0f, 0.0f, 4.0f)) << "weights are never normalised";
}

TEST_F(Qr3dsSkinTest, PositionsRoundAsTheTransformOperationsDo)
{
    // Inexact rotations and scales, and vertices that hop between the bones (within a chain too),
    // so that any change of rounding order or a bone transform carried over to the wrong vertex
    // shows in the last bit.
    m_root->GetRotate().MakeRotation(0.7f, 0.6f, 0.0f, 0.8f);
    m_root->SetScale(1.37f);
    m_child->GetRotate().MakeRotation(-1.1f, 0.0f, 0.28f, 0.96f);
    m_child->SetTranslate(0.3f, 1.7f, -0.9f);
    m_child->SetScale(0.61f);
    Qr3dsBone* bones[2] = {m_root.Get(), m_child.Get()};

    std::mt19937 random(99);
    std::uniform_real_distribution<float> value(-3.0f, 3.0f);
    std::vector<Influence> influences(60);
    for (size_t i = 0; i < influences.size(); ++i)
    {
        const auto offset = [&] { return QrPoint3(value(random), value(random), value(random)); };
        Qr3dsBone* bone = bones[(i / 2) % 2];
        if (i % 3 == 0)
        {
            influences[i] = Influence(Qr3dsSkin::kRigid, offset(), bone);
            continue;
        }
        influences[i] = Influence(value(random), offset(), bone);
        influences[i].Append(value(random), offset(), bones[1] == bone ? bones[0] : bones[1]);
        if (i % 3 == 2)
            influences[i].Append(value(random), offset(), bone);
    }
    QrPointer<Qr3dsSkin> skin = MakeSkin(influences, false);
    Bind(skin.Get())->ApplyAtTime(0.0f);

    const auto place = [](const Influence& g)
    {
        const Qr3dsBone& b = *g.m_bone;
        return b.m_skinTranslation + b.m_skinRotation.TimesPoint(g.m_offset) * b.m_skinScale;
    };
    for (size_t i = 0; i < influences.size(); ++i)
    {
        QrPoint3 expected;
        if (influences[i].m_weight == Qr3dsSkin::kRigid)
            expected = place(influences[i]);
        else
            for (const Influence* g = &influences[i]; g; g = g->m_next.get())
                expected += place(*g) * g->m_weight;
        const QrPoint3& got = skin->GetVertices()[i];
        EXPECT_EQ(std::bit_cast<uint32_t>(got.x), std::bit_cast<uint32_t>(expected.x)) << "vertex " << i;
        EXPECT_EQ(std::bit_cast<uint32_t>(got.y), std::bit_cast<uint32_t>(expected.y)) << "vertex " << i;
        EXPECT_EQ(std::bit_cast<uint32_t>(got.z), std::bit_cast<uint32_t>(expected.z)) << "vertex " << i;
    }
}

TEST_F(Qr3dsSkinTest, HalfWeightsOnOneBoneReproduceTheRigidPosition)
{
    std::vector<Influence> influences = MakeInfluences();
    influences[3] = Influence(0.5f, {1.0f, 1.0f, 1.0f}, m_root.Get());
    influences[3].Append(0.5f, {1.0f, 1.0f, 1.0f}, m_root.Get());
    QrPointer<Qr3dsSkin> skin = MakeSkin(influences, false);
    Bind(skin.Get())->ApplyAtTime(0.0f);
    EXPECT_EQ(skin->GetVertices()[3], skin->GetVertices()[0]);
}

TEST_F(Qr3dsSkinTest, RigidVerticesWaitForTheirBoneToMove)
{
    QrPointer<Qr3dsSkin> skin = MakeSkin(MakeInfluences(), false);
    std::vector<Influence> rigidOnly = MakeInfluences();
    rigidOnly.resize(2);
    QrPointer<Qr3dsSkin> rigid = MakeSkin(rigidOnly, false);
    QrPointer<Qr3dsSkinAndBone> binding = Bind(skin.Get());
    binding->AddSkin(rigid.Get());
    binding->ApplyAtTime(0.0f);
    EXPECT_EQ(m_root->m_skinChanged, 1);
    EXPECT_EQ(rigid->GetVertices()[1], QrPoint3(1.0f, 3.0f, 0.0f));

    // Nothing moved: every flag is clear, rigid vertices keep whatever they hold, blended
    // ones are recomputed.
    const QrPoint3 marker{-7.0f, -7.0f, -7.0f};
    skin->GetVertices()[0] = marker;
    skin->GetVertices()[2] = marker;
    rigid->GetVertices()[0] = marker;
    binding->ApplyAtTime(0.0f);
    EXPECT_EQ(m_root->m_skinChanged, 0);
    EXPECT_EQ(m_child->m_skinChanged, 0);
    EXPECT_EQ(skin->GetVertices()[0], marker);
    EXPECT_EQ(skin->GetVertices()[2], QrPoint3(1.0f, 1.5f, 1.0f));
    EXPECT_EQ(rigid->GetVertices()[0], marker);
    EXPECT_FALSE(rigid->Deform()) << "only rigid vertices on still bones";
    EXPECT_TRUE(skin->Deform());

    // Moving the child alone rewrites only its rigid vertex.
    m_child->SetTranslate(0.0f, 2.0f, 0.0f);
    binding->ApplyAtTime(0.0f);
    EXPECT_EQ(m_root->m_skinChanged, 0);
    EXPECT_EQ(m_child->m_skinChanged, 1);
    EXPECT_EQ(rigid->GetVertices()[0], marker);
    EXPECT_EQ(rigid->GetVertices()[1], QrPoint3(1.0f, 5.0f, 0.0f));
}

TEST_F(Qr3dsSkinTest, BonesTakeTheirKeysAtTheBindingsTime)
{
    KeyList<QrAnimKey> keys;
    keys.Add(std::make_unique<QrLinearPosKey>(0.0f, QrPoint3(1.0f, 0.0f, 0.0f)));
    keys.Add(std::make_unique<QrLinearPosKey>(2.0f, QrPoint3(1.0f, 0.0f, 4.0f)));
    m_root->SetPosKeys(keys.Data(), keys.Count());
    QrPointer<Qr3dsSkin> skin = MakeSkin(MakeInfluences(), false);
    QrPointer<Qr3dsSkinAndBone> binding = Bind(skin.Get());
    binding->ApplyAtTime(1.0f);
    EXPECT_EQ(m_root->m_skinTranslation, QrPoint3(1.0f, 0.0f, 2.0f));
    EXPECT_EQ(m_child->m_skinTranslation, QrPoint3(1.0f, 2.0f, 2.0f));
    EXPECT_EQ(skin->GetVertices()[1], QrPoint3(1.0f, 3.0f, 2.0f));
}

TEST_F(Qr3dsSkinTest, APlainNodeEndsTheWalkOnItsBranch)
{
    QrPointer<QrNode> plain(new QrNode);
    QrPointer<Qr3dsBone> below(new Qr3dsBone);
    below->SetTranslate(5.0f, 0.0f, 0.0f);
    plain->AttachChild(below.Get());
    m_child->AttachChild(plain.Get());
    std::vector<Influence> influences = MakeInfluences();
    influences[0] = Influence(Qr3dsSkin::kRigid, {0.0f, 0.0f, 0.0f}, below.Get());
    QrPointer<Qr3dsSkin> skin = MakeSkin(influences, false);
    Bind(skin.Get())->ApplyAtTime(0.0f);
    EXPECT_EQ(below->m_skinTranslation, QrPoint3());
    EXPECT_EQ(below->m_skinChanged, 0);
    EXPECT_EQ(skin->GetVertices()[0], QrPoint3(9.0f, 9.0f, 9.0f));
    EXPECT_EQ(skin->GetVertices()[1], QrPoint3(1.0f, 3.0f, 0.0f));
}

TEST_F(Qr3dsSkinTest, VerticesWithoutABoneKeepTheirPlace)
{
    std::vector<Influence> influences = MakeInfluences();
    influences[0] = Influence();                                               // no influence at all
    influences[1] = Influence(Qr3dsSkin::kRigid, {1.0f, 0.0f, 0.0f}, nullptr); // unresolved bone
    influences[2].m_next->m_bone = nullptr;                                    // a blend missing one bone
    QrPointer<Qr3dsSkin> skin = MakeSkin(influences, false);
    Bind(skin.Get())->ApplyAtTime(0.0f);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(skin->GetVertices()[i], QrPoint3(9.0f, 9.0f, 9.0f)) << "vertex " << i;
    EXPECT_EQ(skin->GetVertices()[3], QrPoint3(2.0f, 0.0f, 4.0f));
}

TEST_F(Qr3dsSkinTest, NormalsOrPlanesFollowTheDeformation)
{
    QrPointer<Qr3dsSkin> smooth = MakeSkin(MakeInfluences(), true);
    QrPointer<Qr3dsSkin> flat = MakeSkin(MakeInfluences(), false);
    QrPointer<Qr3dsSkin> keep = MakeSkin(MakeInfluences(), true);
    keep->SetRecomputeNormals(0);
    QrPointer<Qr3dsSkinAndBone> binding = Bind(smooth.Get());
    binding->AddSkin(flat.Get());
    binding->AddSkin(keep.Get());
    binding->ApplyAtTime(0.0f);

    // Triangle (0, 1, 2) after the deformation, plane normal (p1 - p0) x (p2 - p1).
    const QrPoint3* v = flat->GetVertices();
    const QrPoint3 normal = (v[1] - v[0]).Cross(v[2] - v[1]);
    const float length = normal.Length();
    ASSERT_GT(length, 0.0f);
    EXPECT_EQ(flat->GetNormals(), nullptr) << "a skin without normals gets none";
    ExpectPointNear(flat->GetPlanes()[0].GetNormal() / flat->GetPlanes()[0].GetNormal().Length(), normal / length);
    ExpectPointNear(smooth->GetPlanes()[0].GetNormal(), normal / length);
    EXPECT_NEAR(smooth->GetNormals()[0].Length(), 1.0f, 1e-6f);
    EXPECT_EQ(keep->GetNormals()[0], QrPoint3()) << "flag clear: the normals stay";
    ExpectPointNear(keep->GetPlanes()[0].GetNormal() / keep->GetPlanes()[0].GetNormal().Length(), normal / length);
}

TEST_F(Qr3dsSkinTest, WorldCopiesAndBoundFollowWithoutAWorldUpdate)
{
    QrPointer<QrNode> parent(new QrNode);
    parent->SetTranslate(10.0f, 0.0f, 0.0f);
    QrPointer<Qr3dsSkin> skin = MakeSkin(MakeInfluences(), false);
    parent->AttachChild(skin.Get());
    parent->UpdateAllInstances();
    EXPECT_EQ(skin->GetWorldVertices()[0], QrPoint3(19.0f, 9.0f, 9.0f));
    skin->GetModelBound().SetFlag(0);

    Bind(skin.Get())->ApplyAtTime(0.0f);
    EXPECT_EQ(skin->GetWorldVertices()[0], QrPoint3(13.0f, 2.0f, 2.0f));
    EXPECT_EQ(skin->GetModelBound().GetFlag(), 1) << "the model bound is recomputed at the next update";
}

TEST_F(Qr3dsSkinTest, ClonesCopyTheInfluencesAndShareTheBones)
{
    QrPointer<Qr3dsSkin> skin = MakeSkin(MakeInfluences(), true);
    skin->SetRecomputeNormals(0);
    QrPointer<QrAVObject> copy = skin->CreateClone();
    auto* clone = QrDynamicCast<Qr3dsSkin>(copy.Get());
    ASSERT_NE(clone, nullptr);
    ASSERT_NE(clone, skin.Get());
    EXPECT_TRUE(skin->IsEqual(clone));
    EXPECT_EQ(clone->GetRecomputeNormals(), 0);
    ASSERT_NE(clone->GetInfluences(), skin->GetInfluences());
    EXPECT_NE(clone->GetInfluences()[2].m_next.get(), skin->GetInfluences()[2].m_next.get());
    EXPECT_EQ(clone->GetInfluences()[2].m_next->m_bone, m_child.Get());

    QrPointer<Qr3dsSkinAndBone> binding = Bind(skin.Get());
    binding->AddSkin(clone);
    binding->ApplyAtTime(0.0f);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(clone->GetVertices()[i], skin->GetVertices()[i]);
}

TEST_F(Qr3dsSkinTest, CleanUpAndMergeLeaveSkinsAlone)
{
    // Vertices 0 and 3 are equal in every attribute and triangle 1 is degenerate: a plain
    // shape would be welded and trimmed, renumbering the vertices the influences belong to.
    const QrPoint3 vertices[4] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 0}};
    const uint16_t indices[6] = {0, 1, 2, 1, 1, 3};
    std::vector<Influence> influences = MakeInfluences();
    QrPointer<Qr3dsSkin> skin(new Qr3dsSkin(4, vertices, nullptr, 2, indices, nullptr, nullptr, influences.data()));
    QrPointer<Qr3dsSkin> other(new Qr3dsSkin(4, vertices, nullptr, 2, indices, nullptr, nullptr, influences.data()));
    QrPointer<QrTriShape> plain(new QrTriShape(4, vertices, nullptr, 2, indices, nullptr, nullptr));

    EXPECT_FALSE(skin->Optimize(0));
    EXPECT_FALSE(plain->Optimize(0));
    EXPECT_EQ(plain->GetTriangleCount(), 1u) << "the plain shape is cleaned";
    EXPECT_EQ(skin->GetVertexCount(), 4u);
    EXPECT_EQ(skin->GetTriangleCount(), 2u);
    EXPECT_TRUE(skin->IsEqual(other.Get()));

    QrPointer<QrNode> node(new QrNode);
    node->AttachChild(skin.Get());
    node->AttachChild(other.Get());
    node->Optimize(QrNode::kOptimizeRemoveEmpty);
    EXPECT_EQ(node->GetNonEmptyChildCount(), 2u);
    EXPECT_EQ(node->GetChildAt(0), skin.Get());
    EXPECT_EQ(node->GetChildAt(1), other.Get());
    QrTArray<QrAVObject> group;
    group.Add(skin.Get());
    group.Add(other.Get());
    QrPointer<QrAVObject> merged;
    skin->CreateMerged(merged, group);
    EXPECT_EQ(merged.Get(), nullptr);
}

// --- the program-wide list

TEST_F(Qr3dsSkinTest, TheListKeepsBindingsUntilItIsReleased)
{
    const uint32_t live = QrObject::GetLiveCount();
    const uint32_t timing = QrAnimTiming::GetListCount();
    {
        QrPointer<Qr3dsSkin> skin = MakeSkin(MakeInfluences(), false);
        QrPointer<Qr3dsSkinAndBone> binding = Bind(skin.Get());
        // The bones name their controller: a cycle through the root bone.
        m_root->SetLinkedObject(binding.Get());
        m_child->SetLinkedObject(binding.Get());
        EXPECT_EQ(Qr3dsSkinAndBone::GetSharedCount(), 1u);
    }
    m_root = nullptr;
    m_child = nullptr;
    EXPECT_GT(QrObject::GetLiveCount(), live) << "held by the list";
    Qr3dsSkinAndBone::FreeSharedBuffers();
    EXPECT_EQ(Qr3dsSkinAndBone::GetSharedCount(), 0u);
    EXPECT_EQ(QrObject::GetLiveCount(), live - 2) << "binding, skin and both bones are gone";
    EXPECT_EQ(QrAnimTiming::GetListCount(), timing - 2);
    Qr3dsSkinAndBone::FreeSharedBuffers();

    QrPointer<Qr3dsSkinAndBone> next(new Qr3dsSkinAndBone);
    EXPECT_EQ(Qr3dsSkinAndBone::GetSharedCount(), 1u) << "a new list after the release";
}

TEST_F(Qr3dsSkinTest, ABindingHeldElsewhereOutlivesTheRelease)
{
    QrPointer<Qr3dsSkin> skin = MakeSkin(MakeInfluences(), false);
    QrPointer<Qr3dsSkinAndBone> binding = Bind(skin.Get());
    m_child->SetLinkedObject(binding.Get());
    Qr3dsSkinAndBone::FreeSharedBuffers();
    EXPECT_EQ(binding->GetRefCount(), 1u);
    EXPECT_EQ(m_child->GetLinkedObject(), nullptr) << "the cycle is opened";
    binding->ApplyAtTime(0.0f);
    EXPECT_EQ(skin->GetVertices()[1], QrPoint3(1.0f, 3.0f, 0.0f));
}

} // namespace
