// The walkers on a small tree whose box leaf hangs under two parents: walk order and stops,
// finding by name, assigning and detaching properties on the first named object, stripping or
// only looking for a property class, and adjusting or erasing the animation nodes' keys.
#include "qrxAnimAdjuster.h"
#include "qrxAnimEraser.h"
#include "qrxAnimatedTextureProperty.h"
#include "qrxGraphSearcher.h"
#include "qrxPropertyAssigner.h"
#include "qrxPropertyFilter.h"

#include "QrTestFixture.h"

#include "gen/SampleShapes.h"

#include "Qr3dsAnimationNode.h"
#include "QrAlphaProperty.h"
#include "QrColorA.h"
#include "QrLinearPosKey.h"
#include "QrMaterialProperty.h"
#include "QrNode.h"
#include "QrTextureProperty.h"

#include <string>
#include <utility>
#include <vector>

namespace
{

class NameRecorder : public qrxGraphWalker
{
public:
    explicit NameRecorder(const char* stopAt = nullptr) : m_stopAt(stopAt ? stopAt : "") {}
    bool Visit(QrObject* object) override
    {
        const char* name = object && object->GetName() ? object->GetName() : "-";
        m_visits.emplace_back(name, GetDepth());
        return m_stopAt != name;
    }
    std::vector<std::pair<std::string, int>> m_visits;

private:
    std::string m_stopAt;
};

uint32_t CountProperties(QrAVObject* object)
{
    uint32_t n = 0;
    for (QrProperty* p : object->GetPropertyList())
        n += p ? 1 : 0;
    return n;
}

// Root
//   Arm
//     Shared (box)
//     (empty slot)
//     Fin (animation node)
//       Twin (box)
//   Twin (node)
//   Leg (animation node)
//     Shared (the same box)
class qrxGraphWalkerTest : public QrEngineTest
{
protected:
    void SetUp() override
    {
        QrEngineTest::SetUp();
        m_root = Node<QrNode>("Root");
        m_arm = Node<QrNode>("Arm");
        m_fin = Node<Qr3dsAnimationNode>("Fin");
        m_twinNode = Node<QrNode>("Twin");
        m_leg = Node<Qr3dsAnimationNode>("Leg");
        m_shared = gen::MakeBox("Shared", 1, 1, 1, QrColorA(1, 1, 1, 1));
        m_twinLeaf = gen::MakeBox("Twin", 1, 1, 1, QrColorA(1, 1, 1, 1));
        m_root->AttachChild(m_arm.Get());
        m_root->AttachChild(m_twinNode.Get());
        m_root->AttachChild(m_leg.Get());
        m_arm->AttachChild(m_shared.Get());
        m_arm->SetAt(2, m_fin.Get());
        m_fin->AttachChild(m_twinLeaf.Get());
        m_leg->AttachChild(m_shared.Get());
        for (Qr3dsAnimationNode* node : {m_fin.Get(), m_leg.Get()})
        {
            QrLinearPosKey a(0.0f, QrPoint3(0, 0, 0)), b(1.0f, QrPoint3(1, 0, 0));
            QrAnimKey* keys[2] = {&a, &b};
            node->SetPosKeys(keys, 2);
        }
    }

    void TearDown() override
    {
        m_root = m_arm = m_twinNode = nullptr;
        m_fin = m_leg = nullptr;
        m_shared = m_twinLeaf = nullptr;
        QrEngineTest::TearDown();
    }

    template <class T> static QrPointer<T> Node(const char* name)
    {
        QrPointer<T> node(new T);
        node->SetName(name);
        return node;
    }

    QrPointer<QrNode> m_root, m_arm, m_twinNode;
    QrPointer<Qr3dsAnimationNode> m_fin, m_leg;
    QrPointer<QrTriShape> m_shared, m_twinLeaf;
};

TEST_F(qrxGraphWalkerTest, WalkVisitsEachNodeBeforeItsChildrenAndStopsWhereAsked)
{
    NameRecorder all;
    EXPECT_TRUE(all.Walk(m_root.Get()));
    const std::vector<std::pair<std::string, int>> order = {{"Root", 0}, {"Arm", 1},  {"Shared", 2}, {"Fin", 2},
                                                            {"Twin", 3}, {"Twin", 1}, {"Leg", 1},    {"Shared", 2}};
    EXPECT_EQ(all.m_visits, order);
    EXPECT_EQ(all.GetDepth(), 0);

    NameRecorder stopAtFin("Fin");
    EXPECT_FALSE(stopAtFin.Walk(m_root.Get()));
    EXPECT_EQ(stopAtFin.m_visits.size(), 4u);
    EXPECT_EQ(stopAtFin.GetDepth(), 0) << "depth unwinds after a stop";

    NameRecorder stopAtRoot("Root");
    EXPECT_FALSE(stopAtRoot.Walk(m_root.Get()));
    EXPECT_EQ(stopAtRoot.m_visits.size(), 1u);

    NameRecorder leaf;
    EXPECT_TRUE(leaf.Walk(m_shared.Get()));
    EXPECT_EQ(leaf.m_visits, (std::vector<std::pair<std::string, int>>{{"Shared", 0}}));
}

TEST_F(qrxGraphWalkerTest, SearcherAnswersTheFirstMatchInWalkOrder)
{
    qrxGraphSearcher searcher;
    const struct
    {
        QrObject* root;
        const char* name;
        QrObject* found;
    } cases[] = {
        {m_root.Get(), "Twin", m_twinLeaf.Get()},
        {m_root.Get(), "Shared", m_shared.Get()},
        {m_root.Get(), "Root", m_root.Get()},
        {m_root.Get(), "twin", nullptr},
        {m_root.Get(), "", nullptr},
        {m_root.Get(), nullptr, nullptr},
        {nullptr, "Twin", nullptr},
        {m_shared.Get(), "Shared", m_shared.Get()},
        {m_leg.Get(), "Shared", m_shared.Get()},
        {m_twinNode.Get(), "Fin", nullptr},
    };
    for (const auto& c : cases)
        EXPECT_EQ(searcher.Find(c.root, c.name), c.found) << (c.name ? c.name : "(null)");
}

TEST_F(qrxGraphWalkerTest, AssignerChangesOnlyTheFirstObjectOfTheName)
{
    QrPointer<QrTextureProperty> old(new QrTextureProperty), fresh(new QrTextureProperty);
    QrPointer<QrMaterialProperty> material(new QrMaterialProperty);
    m_twinLeaf->AttachProperty(old.Get());
    m_twinLeaf->AttachProperty(material.Get());
    m_twinNode->AttachProperty(old.Get());

    qrxPropertyAssigner assigner;
    assigner.Assign(m_root.Get(), "Twin", fresh.Get());
    EXPECT_EQ(*m_twinLeaf->GetPropertyList().begin(), fresh.Get()) << "the new property goes to the head";
    EXPECT_EQ(CountProperties(m_twinLeaf.Get()), 2u) << "the old texture went, the material stays";
    EXPECT_EQ(*m_twinNode->GetPropertyList().begin(), old.Get());
    EXPECT_EQ(CountProperties(m_twinNode.Get()), 1u);

    // The first Twin no longer holds old: nothing changes and the walk still stops there.
    assigner.Detach(m_root.Get(), "Twin", old.Get());
    EXPECT_EQ(CountProperties(m_twinLeaf.Get()), 2u);
    EXPECT_EQ(CountProperties(m_twinNode.Get()), 1u);
    assigner.Detach(m_root.Get(), "Twin", fresh.Get());
    EXPECT_EQ(CountProperties(m_twinLeaf.Get()), 1u);
    EXPECT_EQ(fresh->GetRefCount(), 1u) << "the assigner keeps no reference";
}

TEST_F(qrxGraphWalkerTest, FilterStripsOneExactClassButFindOnlyLooks)
{
    QrPointer<QrTextureProperty> plain(new QrTextureProperty);
    QrPointer<qrxAnimatedTextureProperty> animated(new qrxAnimatedTextureProperty);
    m_arm->AttachProperty(plain.Get());
    m_shared->AttachProperty(plain.Get());
    m_leg->AttachProperty(animated.Get());

    qrxPropertyFilter textures(&QrTextureProperty::ms_RTTI);
    EXPECT_TRUE(textures.Find(m_root.Get()));
    EXPECT_EQ(CountProperties(m_arm.Get()) + CountProperties(m_shared.Get()) + CountProperties(m_leg.Get()), 3u)
        << "a search removes nothing";
    EXPECT_FALSE(qrxPropertyFilter(&QrAlphaProperty::ms_RTTI).Find(m_root.Get()));
    EXPECT_FALSE(textures.Find(m_twinNode.Get()));
    EXPECT_FALSE(textures.Find(nullptr));

    qrxPropertyFilter filter;
    filter.RemoveClass(m_root.Get(), plain.Get());
    EXPECT_EQ(CountProperties(m_arm.Get()), 0u);
    EXPECT_EQ(CountProperties(m_shared.Get()), 0u);
    EXPECT_EQ(CountProperties(m_leg.Get()), 1u) << "a derived class is not the filter's class";
    EXPECT_TRUE(textures.Find(m_root.Get())) << "Find matches derived classes";
}

TEST_F(qrxGraphWalkerTest, AdjusterAndEraserReachEveryAnimationNode)
{
    // The running flag follows the cycle type: set for loop, cleared for reverse and clamp.
    const struct
    {
        uint32_t cycle;
        uint8_t running;
    } cases[] = {{0, 1}, {1, 0}, {2, 0}, {7, 1}};
    for (const auto& c : cases)
    {
        m_fin->SetRunning(1);
        m_leg->SetRunning(1);
        qrxAnimAdjuster adjuster;
        adjuster.m_cycleType = c.cycle;
        adjuster.m_frequency = 4800.0f;
        adjuster.m_phase = 0.5f;
        adjuster.Apply(m_root.Get());
        for (Qr3dsAnimationNode* node : {m_fin.Get(), m_leg.Get()})
        {
            EXPECT_EQ(node->GetCycleType(), c.cycle);
            EXPECT_EQ(node->GetRunning(), c.running) << c.cycle;
            EXPECT_EQ(node->GetFrequency(), 4800.0f);
            EXPECT_EQ(node->GetPhase(), 0.5f);
        }
    }
    qrxAnimEraser eraser;
    EXPECT_TRUE(eraser.Walk(m_root.Get()));
    EXPECT_EQ(m_fin->GetPosCount(), 0);
    EXPECT_EQ(m_leg->GetPosCount(), 0);
}

} // namespace
