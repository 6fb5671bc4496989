#include "AnimationTestFixture.h"
#include "KeyTestHelpers.h"

#include "Qr3dsMorphShape.h"
#include "QrLinearFloatKey.h"
#include "QrMorphTargetKey.h"
#include "QrMorphWeightsKey.h"
#include "QrNode.h"

#include <vector>

namespace
{

using Points = std::vector<QrPoint3>;

// Three targets of a triangle: a base, the base lifted by 2 and the base moved along x by 2.
const Points kBase = {{10, 0, 0}, {11, 0, 0}, {10, 1, 0}};
const Points kLifted = {{10, 0, 2}, {11, 0, 2}, {10, 1, 2}};
const Points kMoved = {{12, 0, 0}, {13, 0, 0}, {12, 1, 0}};
const Points kStart = {{0, 0, 0}, {0, 0, 5}, {0, 5, 0}};

class Qr3dsMorphShapeTest : public QrAnimationTest
{
protected:
    static QrPointer<Qr3dsMorphShape> MakeShape(bool withNormals = false)
    {
        const uint16_t indices[3] = {0, 1, 2};
        const Points normals(3, QrPoint3());
        return QrPointer<Qr3dsMorphShape>(new Qr3dsMorphShape(3, kStart.data(), withNormals ? normals.data() : nullptr,
                                                              1, indices, nullptr, nullptr));
    }

    static void SetTargets(Qr3dsMorphShape& shape, std::vector<const Points*> targets)
    {
        std::vector<const QrPoint3*> pointers;
        for (const Points* t : targets)
            pointers.push_back(t->data());
        shape.SetTargets(pointers.data(), int32_t(pointers.size()), 3);
    }

    static void SetWeightsKeys(Qr3dsMorphShape& shape, const std::vector<std::pair<float, std::vector<float>>>& keys)
    {
        KeyList<QrFloatKey> list;
        for (const auto& [time, weights] : keys)
            list.Add(std::make_unique<QrMorphWeightsKey>(time, weights));
        shape.SetKeys(list.Data(), list.Count());
    }

    static void SetTargetKeys(Qr3dsMorphShape& shape, const std::vector<std::pair<float, uint32_t>>& keys,
                              uint32_t targetCount)
    {
        KeyList<QrFloatKey> list;
        for (const auto& [time, target] : keys)
            list.Add(std::make_unique<QrMorphTargetKey>(time, target, targetCount));
        shape.SetKeys(list.Data(), list.Count());
    }

    // Weights keys at 0, 1 and 2 showing the base, the lifted and the moved target.
    static QrPointer<Qr3dsMorphShape> MakeWeightsShape()
    {
        QrPointer<Qr3dsMorphShape> shape = MakeShape();
        SetWeightsKeys(*shape, {{0.0f, {0, 0, 0}}, {1.0f, {0, 1, 0}}, {2.0f, {0, 0, 1}}});
        SetTargets(*shape, {&kBase, &kLifted, &kMoved});
        return shape;
    }

    static void ExpectVertices(const Qr3dsMorphShape& shape, const Points& expected, float tolerance = 0.0f)
    {
        for (size_t i = 0; i < expected.size(); ++i)
        {
            if (tolerance == 0.0f)
                EXPECT_EQ(shape.GetVertices()[i], expected[i]) << "vertex " << i;
            else
                ExpectPointNear(shape.GetVertices()[i], expected[i], tolerance);
        }
    }

    static Points Offset(const Points& points, const QrPoint3& by)
    {
        Points out;
        for (const QrPoint3& p : points)
            out.push_back(p + by);
        return out;
    }
};

TEST_F(Qr3dsMorphShapeTest, WeightsKeysShowEachTargetAsLoadedAtItsKey)
{
    QrPointer<Qr3dsMorphShape> shape = MakeWeightsShape();
    EXPECT_EQ(shape->GetBeginTime(), 0.0f);
    EXPECT_EQ(shape->GetEndTime(), 2.0f);
    shape->ApplyAtTime(0.0f);
    EXPECT_EQ(shape->GetRelative(), 0) << "the targets became offsets";
    EXPECT_EQ(shape->GetTarget(1)[0], QrPoint3(0.0f, 0.0f, 2.0f));
    ExpectVertices(*shape, kBase);
    shape->ApplyAtTime(1.0f);
    ExpectVertices(*shape, kLifted);
    shape->ApplyAtTime(2.0f);
    ExpectVertices(*shape, kMoved);
    EXPECT_EQ(shape->GetTarget(1)[0], QrPoint3(0.0f, 0.0f, 2.0f)) << "converted once only";
}

TEST_F(Qr3dsMorphShapeTest, WeightsBlendBetweenTwoKeysAndExtrapolateOutside)
{
    QrPointer<Qr3dsMorphShape> shape = MakeShape();
    SetWeightsKeys(*shape, {{0.0f, {0, 0}}, {2.0f, {0, 1}}});
    SetTargets(*shape, {&kBase, &kLifted});
    // Two keys: the weight runs in a straight line, and on beyond the ends.
    shape->ApplyAtTime(1.0f);
    ExpectVertices(*shape, Offset(kBase, {0.0f, 0.0f, 1.0f}));
    shape->Blend(-1.0f);
    ExpectVertices(*shape, Offset(kBase, {0.0f, 0.0f, -1.0f}), 1e-5f);
    shape->Blend(3.0f);
    ExpectVertices(*shape, Offset(kBase, {0.0f, 0.0f, 3.0f}), 1e-5f);
}

TEST_F(Qr3dsMorphShapeTest, ATimeOnAKeyUsesThatKeyAndTheNext)
{
    QrPointer<Qr3dsMorphShape> shape = MakeWeightsShape();
    shape->ApplyAtTime(0.0f);
    // Key 1 against key 2 at u = 0; a pair (0, 1) at u = 1 would give the same only if the
    // tangents agreed, so look at a point just after as well.
    shape->Blend(1.0f);
    ExpectVertices(*shape, kLifted);
    shape->Blend(1.5f);
    const QrPoint3 forward = shape->GetVertices()[0];
    EXPECT_GT(forward.x, 10.0f);
    EXPECT_LT(forward.z, 2.0f);
}

TEST_F(Qr3dsMorphShapeTest, ABackwardJumpFindsItsPairAgain)
{
    QrPointer<Qr3dsMorphShape> jumped = MakeWeightsShape();
    QrPointer<Qr3dsMorphShape> fresh = MakeWeightsShape();
    jumped->ApplyAtTime(0.0f);
    fresh->ApplyAtTime(0.0f);
    jumped->Blend(1.5f);
    jumped->Blend(0.5f);
    fresh->Blend(0.5f);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(jumped->GetVertices()[i], fresh->GetVertices()[i]);
    EXPECT_GT(jumped->GetVertices()[0].z, 0.0f);
}

TEST_F(Qr3dsMorphShapeTest, TargetKeysBlendFromZero)
{
    QrPointer<Qr3dsMorphShape> shape = MakeShape();
    SetTargetKeys(*shape, {{0.0f, 0}, {1.0f, 2}}, 3);
    SetTargets(*shape, {&kBase, &kLifted, &kMoved});
    shape->ApplyAtTime(0.5f);
    EXPECT_EQ(shape->GetRelative(), 1) << "target keys keep absolute targets";
    ExpectVertices(*shape, {{11, 0, 0}, {12, 0, 0}, {11, 1, 0}});
    shape->ApplyAtTime(0.0f);
    ExpectVertices(*shape, kBase);
}

TEST_F(Qr3dsMorphShapeTest, KeysNamingTargetsTheShapeLacksOnlyLoseWeight)
{
    // A target index beyond the keys' own count, and counts beyond the shape's targets: the
    // blend reads and writes only what exists, so the shape shrinks towards the origin.
    QrPointer<Qr3dsMorphShape> shape = MakeShape();
    SetTargetKeys(*shape, {{0.0f, 0}, {1.0f, 5}}, 3);
    SetTargets(*shape, {&kBase, &kLifted, &kMoved});
    shape->ApplyAtTime(0.5f);
    ExpectVertices(*shape, {{5, 0, 0}, {5.5f, 0, 0}, {5, 0.5f, 0}});

    QrPointer<Qr3dsMorphShape> wide = MakeShape();
    SetTargetKeys(*wide, {{0.0f, 0}, {1.0f, 4}}, 6);
    SetTargets(*wide, {&kBase, &kLifted});
    wide->ApplyAtTime(0.5f);
    ExpectVertices(*wide, {{5, 0, 0}, {5.5f, 0, 0}, {5, 0.5f, 0}});

    QrPointer<Qr3dsMorphShape> weights = MakeShape();
    SetWeightsKeys(*weights, {{0.0f, {0, 1, 1, 1, 1}}, {1.0f, {0}}});
    SetTargets(*weights, {&kBase, &kLifted});
    weights->ApplyAtTime(0.0f);
    ExpectVertices(*weights, kLifted);
}

TEST_F(Qr3dsMorphShapeTest, OneKeyOrNoTargetsLeaveTheVertices)
{
    QrPointer<Qr3dsMorphShape> one = MakeShape();
    SetWeightsKeys(*one, {{0.0f, {1, 1}}});
    SetTargets(*one, {&kBase, &kLifted});
    for (float t : {0.0f, 1.0f, -3.0f})
    {
        one->ApplyAtTime(t);
        ExpectVertices(*one, kStart);
    }
    QrPointer<Qr3dsMorphShape> bare = MakeShape();
    SetWeightsKeys(*bare, {{0.0f, {0, 1}}, {1.0f, {1, 0}}});
    bare->ApplyAtTime(0.5f);
    ExpectVertices(*bare, kStart);
}

TEST_F(Qr3dsMorphShapeTest, KeysOfOtherKindsAreNotTaken)
{
    QrPointer<Qr3dsMorphShape> shape = MakeShape();
    KeyList<QrFloatKey> mixed;
    mixed.Add(std::make_unique<QrMorphWeightsKey>(0.0f, std::vector<float>{1.0f}));
    mixed.Add(std::make_unique<QrMorphTargetKey>(1.0f, 0, 1));
    shape->SetKeys(mixed.Data(), mixed.Count());
    EXPECT_EQ(shape->GetKeyCount(), 0);
    KeyList<QrFloatKey> plain;
    plain.Add(std::make_unique<QrLinearFloatKey>(0.0f, 1.0f));
    plain.Add(std::make_unique<QrLinearFloatKey>(1.0f, 2.0f));
    shape->SetKeys(plain.Data(), plain.Count());
    EXPECT_EQ(shape->GetKeyCount(), 0);
}

TEST_F(Qr3dsMorphShapeTest, TheModelBoundIsTheUnionOfEveryKey)
{
    QrPointer<Qr3dsMorphShape> shape = MakeWeightsShape();
    shape->ApplyAtTime(0.5f);
    ASSERT_NE(shape->GetUnionBound(), nullptr);
    const QrBound& bound = *shape->GetUnionBound();
    EXPECT_TRUE(shape->GetModelBound().IsEqual(bound));
    EXPECT_EQ(shape->GetModelBound().GetFlag(), 0) << "not recomputed from the blend";
    for (const Points* shown : {&kBase, &kLifted, &kMoved})
        for (const QrPoint3& p : *shown)
            EXPECT_LE((p - bound.GetCenter()).Length(), bound.GetRadius() + 1e-5f);
    // Made from the offsets, not from the targets read as offsets before they were.
    EXPECT_LT(bound.GetRadius(), 3.0f);
}

TEST_F(Qr3dsMorphShapeTest, NormalsOrPlanesAndWorldCopiesFollowTheBlend)
{
    QrPointer<Qr3dsMorphShape> shape = MakeShape(true);
    SetTargetKeys(*shape, {{0.0f, 0}, {1.0f, 1}}, 2);
    SetTargets(*shape, {&kBase, &kLifted});
    shape->SetRecomputeNormals(1);
    QrPointer<QrNode> parent(new QrNode);
    parent->SetTranslate(0.0f, 0.0f, 100.0f);
    parent->AttachChild(shape.Get());
    parent->UpdateAllInstances();
    EXPECT_EQ(shape->GetWorldVertices()[1], QrPoint3(11.0f, 0.0f, 102.0f)) << "left at the last key";
    shape->SetUpdateWorld(0);
    shape->ApplyAtTime(0.0f);
    EXPECT_EQ(shape->GetWorldVertices()[1], QrPoint3(11.0f, 0.0f, 100.0f));
    EXPECT_EQ(shape->GetNormals()[0], QrPoint3(0.0f, 0.0f, 1.0f));
}

TEST_F(Qr3dsMorphShapeTest, CleanUpLeavesMorphShapesAlone)
{
    const Points vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 0}};
    const uint16_t indices[6] = {0, 1, 2, 1, 1, 3};
    QrPointer<Qr3dsMorphShape> shape(new Qr3dsMorphShape(4, vertices.data(), nullptr, 2, indices, nullptr, nullptr));
    const Points lifted = Offset(vertices, {0.0f, 0.0f, 1.0f});
    std::vector<const QrPoint3*> targets = {vertices.data(), lifted.data()};
    shape->SetTargets(targets.data(), 2, 4);
    EXPECT_FALSE(shape->Optimize(0));
    EXPECT_EQ(shape->GetVertexCount(), 4u);
    EXPECT_EQ(shape->GetTriangleCount(), 2u);
    QrTArray<QrAVObject> group;
    group.Add(shape.Get());
    group.Add(shape.Get());
    QrPointer<QrAVObject> merged;
    shape->CreateMerged(merged, group);
    EXPECT_EQ(merged.Get(), nullptr);
    EXPECT_EQ(shape->CreateClone().Get(), shape.Get()) << "clones share the shape";
}

} // namespace
