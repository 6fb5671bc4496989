#include "QrTestFixture.h"

#include "QrAVObject.h"
#include "QrAlphaProperty.h"
#include "QrMaterialProperty.h"
#include "QrNode.h"
#include "QrPlane.h"
#include "QrWireframeProperty.h"
#include "QrZBufferProperty.h"
#include "SceneTestObjects.h"

#include <cmath>

namespace
{
constexpr float kHalfPi = 1.57079632679f;

void ExpectNear(const QrPoint3& actual, const QrPoint3& expected, float tolerance = 1e-5f)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

// Maps a point of the object's frame into its parent's frame.
QrPoint3 ToParent(const QrAVObject& object, const QrPoint3& p)
{
    return object.GetTranslate() + object.GetRotate().TimesPoint(p) * object.GetScale();
}

// Maps a point of the instance's object frame into the world.
QrPoint3 ToWorld(const QrAVInstance& instance, const QrPoint3& p)
{
    return instance.m_worldTranslate + instance.m_worldRotate.TimesPoint(p) * instance.m_worldScale;
}
} // namespace

class QrAVObjectTest : public QrEngineTest
{
protected:
    void SetUp() override
    {
        QrEngineTest::SetUp();
        SceneTestLeaf::RegisterCreateFunction();
    }
};

// --- instances per parent

TEST_F(QrAVObjectTest, FirstParentTakesOverTheRootRecordAndLaterParentsAddRecords)
{
    QrPointer<SceneTestLeaf> leaf = new SceneTestLeaf;
    QrPointer<QrNode> a = new QrNode;
    QrPointer<QrNode> b = new QrNode;
    QrPointer<QrNode> c = new QrNode;

    ASSERT_EQ(leaf->GetInstanceCount(), 1u);
    QrAVInstance* root = leaf->GetCurrentInstance();
    EXPECT_EQ(root->GetId(), nullptr);
    root->m_worldTranslate = QrPoint3(7.0f, 8.0f, 9.0f);

    a->AttachChild(leaf.Get());
    EXPECT_EQ(leaf->GetInstanceCount(), 1u);
    EXPECT_EQ(leaf->FindInstance(a.Get()), root) << "the root record is reused with its world data";
    EXPECT_EQ(root->m_worldTranslate, QrPoint3(7.0f, 8.0f, 9.0f));

    b->AttachChild(leaf.Get());
    c->AttachChild(leaf.Get());
    EXPECT_EQ(leaf->GetInstanceCount(), 3u);
    EXPECT_NE(leaf->FindInstance(b.Get()), leaf->FindInstance(c.Get()));

    b->DetachChild(leaf.Get());
    EXPECT_EQ(leaf->GetInstanceCount(), 2u);
    EXPECT_EQ(leaf->FindInstance(b.Get()), nullptr);
    a->DetachChild(leaf.Get());
    c->DetachChild(leaf.Get());
    ASSERT_EQ(leaf->GetInstanceCount(), 1u);
    EXPECT_EQ(leaf->GetInstanceAt(0)->GetId(), nullptr);
    EXPECT_EQ(leaf->GetParent(), nullptr);
}

TEST_F(QrAVObjectTest, DetachingTheCurrentInstancesParentLeavesAValidCurrentInstance)
{
    QrPointer<SceneTestLeaf> leaf = new SceneTestLeaf(QrPoint3(0.0f, 0.0f, 0.0f), 1.0f);
    QrPointer<QrNode> a = new QrNode;
    QrPointer<QrNode> b = new QrNode;
    b->GetTranslate() = QrPoint3(10.0f, 0.0f, 0.0f);
    a->AttachChild(leaf.Get());
    b->AttachChild(leaf.Get());
    a->Update(a->GetCurrentInstance());
    b->Update(b->GetCurrentInstance());

    // The record under b is made current last, then b lets go of the leaf.
    leaf->SetCurrentInstance(leaf->FindInstance(b.Get()));
    b->DetachChild(leaf.Get());

    ASSERT_EQ(leaf->GetInstanceCount(), 1u);
    EXPECT_EQ(leaf->GetCurrentInstance(), leaf->FindInstance(a.Get()));
    EXPECT_EQ(leaf->GetParent(), a.Get());
    EXPECT_EQ(leaf->GetWorldBound().GetCenter(), QrPoint3(0.0f, 0.0f, 0.0f));
    // a's bound merge reads the leaf's current instance again.
    a->PropagateBoundUp();
    EXPECT_FLOAT_EQ(a->GetWorldBound().GetRadius(), 1.0f);
}

TEST_F(QrAVObjectTest, DetachingFromANodeThatIsNotAParentChangesNothing)
{
    QrPointer<SceneTestLeaf> leaf = new SceneTestLeaf;
    QrPointer<QrNode> a = new QrNode;
    QrPointer<QrNode> stranger = new QrNode;
    a->AttachChild(leaf.Get());
    leaf->DetachParent(stranger.Get());
    EXPECT_EQ(leaf->GetParent(), a.Get());
    EXPECT_EQ(leaf->FindInstance(a.Get()), leaf->GetCurrentInstance());
}

namespace
{
class TestInstance : public QrAVInstance
{
public:
    int m_extra = 42;
};

// Like geometry: its own instance type, installed at the end of its constructor.
class LeafWithOwnInstances : public SceneTestLeaf
{
public:
    LeafWithOwnInstances() { ResetRootInstance(); }
    QrAVInstance* CreateInstance() override { return new TestInstance; }
};
} // namespace

TEST_F(QrAVObjectTest, ResetRootInstanceMakesTheRootRecordOfTheDerivedType)
{
    QrPointer<LeafWithOwnInstances> leaf = new LeafWithOwnInstances;
    ASSERT_EQ(leaf->GetInstanceCount(), 1u);
    EXPECT_NE(dynamic_cast<TestInstance*>(leaf->GetCurrentInstance()), nullptr);
    EXPECT_EQ(leaf->GetCurrentInstance(), leaf->GetInstanceAt(0));

    QrPointer<QrNode> a = new QrNode;
    QrPointer<QrNode> b = new QrNode;
    a->AttachChild(leaf.Get());
    b->AttachChild(leaf.Get());
    EXPECT_NE(dynamic_cast<TestInstance*>(leaf->FindInstance(b.Get())), nullptr);
}

// --- world data

TEST_F(QrAVObjectTest, ChildOfAScaledRotatedParentIsScaledAndRotatedButItsVelocityOnlyRotated)
{
    QrPointer<QrNode> parent = new QrNode;
    QrPointer<SceneTestLeaf> child = new SceneTestLeaf;
    parent->SetTranslate(1.0f, 2.0f, 3.0f);
    parent->SetRotate(kHalfPi, 0.0f, 1.0f, 0.0f);
    parent->SetScale(2.0f);
    parent->GetVelocity() = QrPoint3(0.0f, 5.0f, 0.0f);
    child->SetTranslate(1.0f, 0.0f, 0.0f);
    child->GetVelocity() = QrPoint3(1.0f, 0.0f, 0.0f);
    parent->AttachChild(child.Get());
    parent->Update(parent->GetCurrentInstance());

    const QrAVInstance& world = *child->GetCurrentInstance();
    const QrPoint3 rotatedX = parent->GetRotate().TimesPoint(QrPoint3(1.0f, 0.0f, 0.0f));
    // The quarter turn about the vertical takes x off the x axis.
    EXPECT_NEAR(rotatedX.x, 0.0f, 1e-6f);
    EXPECT_NEAR(std::fabs(rotatedX.z), 1.0f, 1e-6f);
    ExpectNear(world.m_worldTranslate, QrPoint3(1.0f, 2.0f, 3.0f) + rotatedX * 2.0f);
    ExpectNear(world.m_worldVelocity, rotatedX + QrPoint3(0.0f, 5.0f, 0.0f));
    EXPECT_FLOAT_EQ(world.m_worldScale, 2.0f);
}

TEST_F(QrAVObjectTest, NestedWorldTransformsComposeTheLocalTransforms)
{
    QrPointer<QrNode> top = new QrNode;
    QrPointer<QrNode> middle = new QrNode;
    QrPointer<SceneTestLeaf> leaf = new SceneTestLeaf;
    top->SetTranslate(-3.0f, 1.0f, 0.5f);
    top->SetRotate(0.3f, 0.0f, 0.0f, 1.0f);
    top->SetScale(1.5f);
    middle->SetTranslate(2.0f, -1.0f, 4.0f);
    middle->SetRotate(1.1f, 0.6f, 0.0f, 0.8f);
    middle->SetScale(0.5f);
    leaf->SetTranslate(0.25f, 3.0f, -2.0f);
    leaf->SetRotate(-0.7f, 1.0f, 0.0f, 0.0f);
    leaf->SetScale(3.0f);
    top->AttachChild(middle.Get());
    middle->AttachChild(leaf.Get());
    top->Update(top->GetCurrentInstance());

    for (const QrPoint3& p : {QrPoint3(0.0f, 0.0f, 0.0f), QrPoint3(1.0f, 0.0f, 0.0f), QrPoint3(-2.0f, 0.5f, 3.0f)})
    {
        const QrPoint3 expected = ToParent(*top, ToParent(*middle, ToParent(*leaf, p)));
        ExpectNear(ToWorld(*leaf->GetCurrentInstance(), p), expected, 1e-4f);
    }
}

TEST_F(QrAVObjectTest, ReparentedSubtreeTakesTheNewParentsFrame)
{
    QrPointer<QrNode> first = new QrNode;
    QrPointer<QrNode> second = new QrNode;
    QrPointer<QrNode> subtree = new QrNode;
    QrPointer<SceneTestLeaf> leaf = new SceneTestLeaf;
    first->SetTranslate(100.0f, 0.0f, 0.0f);
    second->SetTranslate(0.0f, 0.0f, -50.0f);
    second->SetScale(2.0f);
    leaf->SetTranslate(1.0f, 1.0f, 1.0f);
    subtree->AttachChild(leaf.Get());
    first->AttachChild(subtree.Get());
    first->Update(first->GetCurrentInstance());
    ExpectNear(leaf->GetCurrentInstance()->m_worldTranslate, QrPoint3(101.0f, 1.0f, 1.0f));

    second->AttachChild(subtree.Get());
    second->Update(second->GetCurrentInstance());
    EXPECT_EQ(first->GetChildCount(), 0u);
    ExpectNear(leaf->GetCurrentInstance()->m_worldTranslate, QrPoint3(2.0f, 2.0f, -48.0f));
    EXPECT_FLOAT_EQ(leaf->GetCurrentInstance()->m_worldScale, 2.0f);
}

// --- frustum test on explicit planes

class QrAVObjectCullTest : public QrAVObjectTest
{
protected:
    // Six planes x >= -10 .. and so on: a box of half size 10 around the origin, normals inward.
    void SetUp() override
    {
        QrAVObjectTest::SetUp();
        const QrPoint3 normals[6] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
        for (int i = 0; i < 6; ++i)
        {
            m_planes[i] = QrPlane(normals[i], -10.0f);
            m_planePointers[i] = &m_planes[i];
        }
        m_leaf = new SceneTestLeaf;
    }

    void TearDown() override
    {
        m_leaf = nullptr;
        QrAVObjectTest::TearDown();
    }

    void Place(const QrPoint3& center, float radius)
    {
        m_leaf->m_model.Set(QrPoint3(0.0f, 0.0f, 0.0f), radius);
        m_leaf->GetTranslate() = center;
        m_leaf->Update(m_leaf->GetCurrentInstance());
    }

    bool Cull() { return m_leaf->IsCulledByPlanes(6, m_planePointers, m_passed, m_local); }

    static bool Bit(const uint32_t* mask, uint32_t i) { return (mask[i / 32] >> (i % 32)) & 1u; }

    QrPlane m_planes[6];
    const QrPlane* m_planePointers[6] = {};
    uint32_t m_passed[QrAVObject::kPlaneMaskWords] = {};
    uint32_t m_local[QrAVObject::kPlaneMaskWords] = {};
    QrPointer<SceneTestLeaf> m_leaf;
};

TEST_F(QrAVObjectCullTest, WhollyInsideMarksEveryPlaneInBothMasks)
{
    Place(QrPoint3(0.0f, 0.0f, 0.0f), 1.0f);
    EXPECT_FALSE(Cull());
    EXPECT_EQ(m_passed[0], 0x3Fu);
    EXPECT_EQ(m_local[0], 0x3Fu);
}

TEST_F(QrAVObjectCullTest, TouchingFromBehindCullsAndTouchingFromInsidePasses)
{
    // Centre at x = -11, radius 1: touches plane 0 (x = -10) from outside.
    Place(QrPoint3(-11.0f, 0.0f, 0.0f), 1.0f);
    EXPECT_TRUE(Cull());

    std::fill(std::begin(m_passed), std::end(m_passed), 0u);
    std::fill(std::begin(m_local), std::end(m_local), 0u);
    // Centre at x = -9, radius 1: touches plane 0 from inside, which counts as wholly inside.
    Place(QrPoint3(-9.0f, 0.0f, 0.0f), 1.0f);
    EXPECT_FALSE(Cull());
    EXPECT_TRUE(Bit(m_local, 0));
}

TEST_F(QrAVObjectCullTest, CrossingAPlaneLeavesItsBitClear)
{
    Place(QrPoint3(0.0f, 9.5f, 0.0f), 1.0f); // crosses plane 3 (y = 10)
    EXPECT_FALSE(Cull());
    EXPECT_FALSE(Bit(m_passed, 3));
    EXPECT_TRUE(Bit(m_passed, 2));
}

TEST_F(QrAVObjectCullTest, PlanesAreTestedFromTheLastAndACullKeepsTheBitsMarkedBeforeIt)
{
    // Inside planes 5 and 4, crossing 3 and 2 and 1, behind plane 0.
    m_planes[1] = QrPlane(QrPoint3(-1.0f, 0.0f, 0.0f), 100.0f);
    m_planes[2] = QrPlane(QrPoint3(0.0f, 1.0f, 0.0f), 0.0f);
    m_planes[3] = QrPlane(QrPoint3(0.0f, -1.0f, 0.0f), 0.0f);
    m_planes[0] = QrPlane(QrPoint3(1.0f, 0.0f, 0.0f), 50.0f);
    Place(QrPoint3(0.0f, 0.0f, 0.0f), 1.0f);
    EXPECT_TRUE(Cull());
    // The caller gives back exactly these bits after the step.
    EXPECT_EQ(m_local[0], (1u << 5) | (1u << 4));
    EXPECT_EQ(m_passed[0], m_local[0]);
}

TEST_F(QrAVObjectCullTest, PlanesAlreadyPassedAreNotTestedAgain)
{
    Place(QrPoint3(-30.0f, 0.0f, 0.0f), 1.0f); // behind plane 0
    m_passed[0] = 1u;                          // an ancestor lay wholly inside plane 0
    EXPECT_FALSE(Cull());
    EXPECT_FALSE(Bit(m_local, 0));
}

TEST_F(QrAVObjectCullTest, MaskBitsBeyondTheFirstWordFollowThePlaneIndex)
{
    QrPlane planes[40];
    const QrPlane* pointers[40] = {};
    for (int i = 0; i < 40; ++i)
    {
        planes[i] = QrPlane(QrPoint3(1.0f, 0.0f, 0.0f), -100.0f); // everything passes
        pointers[i] = &planes[i];
    }
    planes[37] = QrPlane(QrPoint3(0.0f, 1.0f, 0.0f), 0.0f); // crossing
    Place(QrPoint3(0.0f, 0.0f, 0.0f), 1.0f);
    EXPECT_FALSE(m_leaf->IsCulledByPlanes(40, pointers, m_passed, m_local));
    EXPECT_EQ(m_local[0], 0xFFFFFFFFu);
    EXPECT_EQ(m_local[1], 0xFFu & ~(1u << 5));
    EXPECT_EQ(m_local[2], 0u);
}

// --- ray against the world bound

TEST_F(QrAVObjectTest, RayAgainstTheWorldBound)
{
    QrPointer<SceneTestLeaf> leaf = new SceneTestLeaf(QrPoint3(0.0f, 0.0f, 0.0f), 2.0f);
    leaf->SetTranslate(10.0f, 0.0f, 0.0f);
    leaf->Update(leaf->GetCurrentInstance());

    // Origin inside: a hit whatever the direction.
    EXPECT_TRUE(leaf->RayIntersectsWorldBound(QrPoint3(11.0f, 0.0f, 0.0f), QrPoint3(1.0f, 0.0f, 0.0f)));
    // Outside and pointing away.
    EXPECT_FALSE(leaf->RayIntersectsWorldBound(QrPoint3(0.0f, 0.0f, 0.0f), QrPoint3(-1.0f, 0.0f, 0.0f)));
    // Towards it, with a direction of any length.
    EXPECT_TRUE(leaf->RayIntersectsWorldBound(QrPoint3(0.0f, 0.0f, 0.0f), QrPoint3(0.001f, 0.0f, 0.0f)));
    // Grazing the sphere counts; passing beside it does not.
    EXPECT_TRUE(leaf->RayIntersectsWorldBound(QrPoint3(0.0f, 2.0f, 0.0f), QrPoint3(4.0f, 0.0f, 0.0f)));
    EXPECT_FALSE(leaf->RayIntersectsWorldBound(QrPoint3(0.0f, 2.01f, 0.0f), QrPoint3(4.0f, 0.0f, 0.0f)));
    // Moving towards the sphere's plane but missing it sideways.
    EXPECT_FALSE(leaf->RayIntersectsWorldBound(QrPoint3(0.0f, 0.0f, 0.0f), QrPoint3(1.0f, 1.0f, 0.0f)));
}

// --- properties

TEST_F(QrAVObjectTest, PropertiesGoToTheHeadAndDetachReleasesThem)
{
    QrPointer<SceneTestLeaf> leaf = new SceneTestLeaf;
    QrPointer<QrAlphaProperty> alpha = new QrAlphaProperty;
    QrPointer<QrZBufferProperty> zbuffer = new QrZBufferProperty;
    leaf->AttachProperty(nullptr);
    EXPECT_TRUE(leaf->GetPropertyList().IsEmpty());
    leaf->AttachProperty(alpha.Get());
    leaf->AttachProperty(zbuffer.Get());
    EXPECT_EQ(*leaf->GetPropertyList().begin(), zbuffer.Get());
    EXPECT_EQ(alpha->GetRefCount(), 2u);

    EXPECT_TRUE(leaf->DetachProperty(alpha.Get()));
    EXPECT_FALSE(leaf->DetachProperty(alpha.Get()));
    EXPECT_EQ(alpha->GetRefCount(), 1u);
    EXPECT_EQ(leaf->GetPropertyList().GetCount(), 1u);
}

TEST_F(QrAVObjectTest, DetachPropertiesIfRemovesEveryMatch)
{
    QrPointer<SceneTestLeaf> leaf = new SceneTestLeaf;
    QrPointer<QrAlphaProperty> a1 = new QrAlphaProperty;
    QrPointer<QrWireframeProperty> a2 = new QrWireframeProperty;
    QrPointer<QrZBufferProperty> z = new QrZBufferProperty;
    leaf->AttachProperty(a1.Get());
    leaf->AttachProperty(z.Get());
    leaf->AttachProperty(a2.Get());
    const uint32_t removed = leaf->DetachPropertiesIf([](QrProperty* p) { return p->Type() != QrProperty::kZBuffer; });
    EXPECT_EQ(removed, 2u);
    ASSERT_EQ(leaf->GetPropertyList().GetCount(), 1u);
    EXPECT_EQ(*leaf->GetPropertyList().begin(), z.Get());
    EXPECT_EQ(a1->GetRefCount(), 1u);
}

TEST_F(QrAVObjectTest, SharesPropertiesComparesTheSetsAndHonoursTheTypeMask)
{
    QrPointer<SceneTestLeaf> a = new SceneTestLeaf;
    QrPointer<SceneTestLeaf> b = new SceneTestLeaf;
    EXPECT_TRUE(a->SharesProperties(b.Get(), 0)) << "two empty lists";

    QrPointer<QrAlphaProperty> alpha = new QrAlphaProperty;
    QrPointer<QrZBufferProperty> zbuffer = new QrZBufferProperty;
    a->AttachProperty(alpha.Get());
    a->AttachProperty(zbuffer.Get());
    b->AttachProperty(zbuffer.Get());
    EXPECT_FALSE(a->SharesProperties(b.Get(), 0)) << "different counts";
    b->AttachProperty(alpha.Get());
    EXPECT_TRUE(a->SharesProperties(b.Get(), 0)) << "same objects in another order";
    EXPECT_FALSE(a->SharesProperties(b.Get(), 1u << QrProperty::kAlpha));
    EXPECT_TRUE(a->SharesProperties(b.Get(), 1u << QrProperty::kMaterial));

    // Equal values are not enough: the same objects are required.
    QrPointer<SceneTestLeaf> c = new SceneTestLeaf;
    QrPointer<QrAlphaProperty> otherAlpha = new QrAlphaProperty;
    c->AttachProperty(otherAlpha.Get());
    c->AttachProperty(zbuffer.Get());
    EXPECT_FALSE(a->SharesProperties(c.Get(), 0));
}

// --- comparison and clone

TEST_F(QrAVObjectTest, CloneSharesPropertiesInTheSameOrderAndComparesEqual)
{
    QrPointer<QrNode> node = new QrNode;
    node->SetName("original");
    node->SetTranslate(1.0f, 2.0f, 3.0f);
    node->SetRotate(0.5f, 0.0f, 0.0f, 1.0f);
    node->SetScale(4.0f);
    node->GetVelocity() = QrPoint3(0.0f, -1.0f, 0.0f);
    node->SetAppCulled(1);
    QrPointer<QrAlphaProperty> alpha = new QrAlphaProperty;
    QrPointer<QrMaterialProperty> material = new QrMaterialProperty;
    QrPointer<QrZBufferProperty> zbuffer = new QrZBufferProperty;
    node->AttachProperty(alpha.Get());
    node->AttachProperty(material.Get());
    node->AttachProperty(zbuffer.Get());

    QrPointer<QrAVObject> clone = node->CreateClone();
    ASSERT_NE(clone.Get(), node.Get());
    EXPECT_EQ(clone->GetName(), nullptr);
    clone->SetName("original");
    EXPECT_TRUE(clone->IsEqual(node.Get()));
    auto theirs = node->GetPropertyList().begin();
    for (QrProperty* mine : clone->GetPropertyList())
    {
        EXPECT_EQ(mine, *theirs) << "shared, in the same order";
        ++theirs;
    }
    EXPECT_EQ(alpha->GetRefCount(), 3u);
    EXPECT_NE(clone->GetCurrentInstance(), node->GetCurrentInstance());
}

TEST_F(QrAVObjectTest, IsEqualComparesEveryLocalValueExactly)
{
    QrPointer<SceneTestLeaf> a = new SceneTestLeaf;
    QrPointer<SceneTestLeaf> b = new SceneTestLeaf;
    EXPECT_TRUE(a->IsEqual(b.Get()));
    b->GetRotate().m[2][1] = 1e-7f;
    EXPECT_FALSE(a->IsEqual(b.Get()));
    b->GetRotate().m[2][1] = 0.0f;
    b->GetVelocity().z = 1.0f;
    EXPECT_FALSE(a->IsEqual(b.Get()));
    b->GetVelocity().z = 0.0f;
    b->SetAppCulled(1);
    EXPECT_FALSE(a->IsEqual(b.Get()));
    b->SetAppCulled(0);

    QrPointer<QrAlphaProperty> p1 = new QrAlphaProperty;
    QrPointer<QrAlphaProperty> p2 = new QrAlphaProperty;
    a->AttachProperty(p1.Get());
    b->AttachProperty(p2.Get());
    EXPECT_TRUE(a->IsEqual(b.Get())) << "properties compare by value";
    p2->m_enabled = 1;
    EXPECT_FALSE(a->IsEqual(b.Get()));
}
