// Crafted scene files that attack the engine through its graph and its loops rather than
// through their bytes: cycles, depth, repeated properties, counts that cost work instead of
// memory. Each one is loaded, stepped, updated and drawn as the game would, and must be
// refused (code 2, with a context naming the object) or run in frame time; either way
// nothing may stay behind. Cases found by fuzzing are added to the same table.
#include "AnimationTestFixture.h"
#include "SceneFileBuilder.h"
#include "SceneRun.h"

#include "Qr3dsBone.h"
#include "Qr3dsMorphShape.h"
#include "Qr3dsParticleSystem.h"
#include "Qr3dsSkin.h"
#include "QrCamera.h"
#include "QrMaterialProperty.h"
#include "QrNode.h"
#include "QrSceneGraphCheck.h"
#include "QrStream.h"
#include "QrTriShape.h"

#include <cctype>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace
{

using Bytes = std::vector<uint8_t>;

// Far above what any case costs when it is handled, far below the stalls they caused. A load
// may take time in proportion to the file.
constexpr double kFrameBudgetSeconds = 3.0;
constexpr double kLoadSecondsPerMegabyte = 1.0;

// A node record as the engine writes it: object part, identity transform, the property ids,
// sort mode "inherit", displayable, the child ids and no lights. The caller adds what a
// node class writes after that.
SceneFileBuilder& Node(SceneFileBuilder& file, const std::string& className, uint32_t id, const std::string& name,
                       const std::vector<uint32_t>& children, const std::vector<uint32_t>& properties = {})
{
    file.Object(className, id, name).U8(0);
    for (float v : {0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 1.0f, 0.0f, 0.0f, 0.0f})
        file.F32(v);
    file.U32(uint32_t(properties.size()));
    for (uint32_t p : properties)
        file.U32(p);
    file.U32(2).U32(0).U8(1).U32(uint32_t(children.size()));
    for (uint32_t c : children)
        file.U32(c);
    return file.U32(0);
}

Bytes NodeCycle(const std::string& className)
{
    // 1 holds 2, 2 holds 3, 3 holds 1 again.
    SceneFileBuilder file;
    file.TopLevel();
    Node(file, "QrNode", 1, "pier", {2});
    Node(file, className, 2, "dock", {3});
    if (className == "QrBSPNode")
        file.F32(0.0f).F32(0.0f).F32(1.0f).F32(0.0f);
    else if (className == "QrBillboardNode")
        file.U32(0);
    Node(file, "QrNode", 3, "cleat", {1});
    return file.End().Data();
}

Bytes NodeOwnChild()
{
    SceneFileBuilder file;
    file.TopLevel();
    Node(file, "QrNode", 1, "buoy", {1});
    return file.End().Data();
}

Bytes NodeChain(uint32_t depth)
{
    SceneFileBuilder file;
    file.TopLevel();
    for (uint32_t id = 1; id < depth; ++id)
        Node(file, "QrNode", id, id == 1 ? "anchor line" : "", {id + 1});
    Node(file, "QrNode", depth, "sinker", {});
    return file.End().Data();
}

// Puts a builder's records (its header dropped, the end marker added) in place of the end
// marker of saved bytes: records the engine's writer would not make next to ones it did.
void AppendRecords(Bytes& saved, SceneFileBuilder& records)
{
    const size_t header = SceneFileBuilder().Data().size();
    const size_t endMarker = SceneFileBuilder().End().Data().size() - header;
    saved.resize(saved.size() - endMarker);
    const Bytes& more = records.End().Data();
    saved.insert(saved.end(), more.begin() + std::ptrdiff_t(header), more.end());
}

Bytes Save(std::initializer_list<QrObject*> topLevel)
{
    QrStream stream;
    for (QrObject* object : topLevel)
        stream.InsertTopLevelObject(object);
    Bytes bytes;
    stream.SaveToMemory(bytes);
    return bytes;
}

QrPointer<QrTriShape> Marker()
{
    const QrPoint3 vertices[3] = {{0.0f, 0.0f, 0.0f}, {1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}};
    const uint16_t indices[3] = {0, 1, 2};
    return QrPointer<QrTriShape>(new QrTriShape(3, vertices, nullptr, 1, indices, nullptr, nullptr));
}

QrPointer<Qr3dsParticleSystem> Emitter(uint32_t maxParticles)
{
    QrPointer<Qr3dsParticleSystem> system(new Qr3dsParticleSystem);
    system->SetName("spray");
    system->SetMode(QrAnimTiming::kModeUpdate);
    system->SetCycleType(QrAnimTiming::kCycleClamp);
    system->SetBeginTime(0.0f);
    system->SetEndTime(100.0f);
    system->SetMaxParticles(maxParticles);
    system->m_birthRate = 1.0e6f;
    system->m_lifeSpan = 1.0e9f;
    return system;
}

Bytes TemplateIsAncestor()
{
    QrPointer<QrNode> boat(new QrNode);
    boat->SetName("boat");
    QrPointer<Qr3dsParticleSystem> wake = Emitter(8);
    boat->AttachChild(wake.Get());
    wake->SetTemplate(boat.Get());
    Bytes bytes = Save({boat.Get()});
    wake->SetTemplate(nullptr);
    return bytes;
}

// Found by fuzzing: a bone whose linked object is the root above it.
Bytes BoneLinkedToItsRoot()
{
    QrPointer<QrNode> rig(new QrNode);
    rig->SetName("rig");
    QrPointer<Qr3dsBone> thigh(new Qr3dsBone);
    rig->AttachChild(thigh.Get());
    thigh->SetLinkedObject(rig.Get());
    Bytes bytes = Save({rig.Get()});
    thigh->SetLinkedObject(nullptr);
    return bytes;
}

Bytes CameraInsideItsScene(bool thenBadLink)
{
    QrPointer<QrNode> lake(new QrNode);
    lake->SetName("lake");
    QrPointer<QrCamera> camera(new QrCamera);
    camera->SetName("angler view");
    lake->AttachChild(camera.Get());
    camera->SetSceneRoot(lake.Get());
    Bytes bytes = Save({lake.Get()});
    camera->SetSceneRoot(nullptr);
    if (!thenBadLink)
        return bytes;
    // A later record whose property id names the camera: the link pass fails after the
    // camera and the lake already hold each other.
    SceneFileBuilder tail;
    Node(tail, "QrNode", 99, "stray", {}, {2});
    AppendRecords(bytes, tail);
    return bytes;
}

Bytes ShortLivesForever()
{
    QrPointer<Qr3dsParticleSystem> system = Emitter(200);
    system->m_birthRate = 400.0f;
    system->m_lifeSpan = 1.0e-6f;
    system->m_maxGeneration = std::numeric_limits<int32_t>::max();
    system->m_collisionAction = Qr3dsParticleSystem::kContinueOnDeath;
    system->SetTemplate(Marker().Get());
    return Save({system.Get()});
}

Bytes LongPreRoll()
{
    QrPointer<Qr3dsParticleSystem> system = Emitter(Qr3dsParticleSystem::kMaxFileParticles);
    system->m_preRollTime = 13107.0f; // 65,535 steps
    return Save({system.Get()});
}

Bytes ManyParticlesOfOneLeaf()
{
    QrPointer<Qr3dsParticleSystem> system = Emitter(Qr3dsParticleSystem::kMaxFileParticles);
    system->SetTemplate(Marker().Get());
    return Save({system.Get()});
}

Bytes EmptyMorphWithManyTargets()
{
    QrPointer<Qr3dsMorphShape> shape(new Qr3dsMorphShape);
    Bytes bytes = Save({shape.Get()});
    // From the end: "End Of File", the key type, the bound, the key count, the target count.
    const size_t at = bytes.size() - 15 - 4 - 16 - 4 - 4;
    int32_t targets = -1;
    std::memcpy(&targets, bytes.data() + at, 4);
    EXPECT_EQ(targets, 0) << "the morph record's layout moved";
    targets = std::numeric_limits<int32_t>::max();
    std::memcpy(bytes.data() + at, &targets, 4);
    return bytes;
}

Bytes CameraViewport(float value)
{
    QrPointer<QrNode> lake(new QrNode);
    lake->AttachChild(Marker().Get());
    QrPointer<QrCamera> camera(new QrCamera);
    camera->SetSceneRoot(lake.Get());
    camera->GetViewport()[1] = value;
    return Save({camera.Get()});
}

// 65,535 influences on one vertex, all on one bone: loading appends them and unloading frees
// them, neither in more than linear time or constant stack.
Bytes SkinVertexOfEveryInfluence()
{
    QrPointer<QrNode> rig(new QrNode);
    rig->SetName("rig");
    QrPointer<Qr3dsBone> spine(new Qr3dsBone);
    rig->AttachChild(spine.Get());
    const QrPoint3 vertices[3] = {{0.0f, 0.0f, 0.0f}, {1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}};
    const uint16_t indices[3] = {0, 1, 2};
    std::vector<Qr3dsSkin::Influence> influences;
    for (const QrPoint3& v : vertices)
        influences.emplace_back(1.0f, v, spine.Get());
    Qr3dsSkin::Influence* last = &influences[0];
    for (uint32_t k = 1; k < 65535; ++k)
        last = last->Append(1.0f / 65535.0f, vertices[0], spine.Get());
    QrPointer<Qr3dsSkin> skin(new Qr3dsSkin(3, vertices, nullptr, 1, indices, nullptr, nullptr, influences.data()));
    rig->AttachChild(skin.Get());
    return Save({rig.Get()});
}

struct HostileCase
{
    const char* name;
    std::function<Bytes()> make;
    // Empty: the file loads and must run; otherwise it is refused with this in the context.
    const char* refusedWith;
};

const HostileCase kCases[] = {
    {"node is its own child", NodeOwnChild, "QrNode \"buoy\" (link id 1)"},
    {"node cycle", [] { return NodeCycle("QrNode"); }, "own subtree"},
    {"BSP node inside its own subtree", [] { return NodeCycle("QrBSPNode"); }, "own subtree"},
    {"billboard inside its own subtree", [] { return NodeCycle("QrBillboardNode"); }, "own subtree"},
    {"particle template is an ancestor", TemplateIsAncestor, "QrNode \"boat\""},
    {"bone linked to its root", BoneLinkedToItsRoot, "QrNode \"rig\""},
    {"camera inside its own scene", [] { return CameraInsideItsScene(false); }, "own subtree"},
    {"link fails after a cycle formed", [] { return CameraInsideItsScene(true); }, "link id 2"},
    {"chain deeper than the limit", [] { return NodeChain(100000); }, "\"anchor line\""},
    {"chain at the limit", [] { return NodeChain(QrSceneGraphCheck::kMaxDepth); }, ""},
    {"tiny life span, endless generations", ShortLivesForever, ""},
    {"pre-roll of 65,535 steps over 65,535 particles", LongPreRoll, ""},
    {"65,535 particles sharing one leaf", ManyParticlesOfOneLeaf, ""},
    {"morph of no vertices with 2^31 targets", EmptyMorphWithManyTargets, "morph targets"},
    {"camera viewport NaN", [] { return CameraViewport(std::nanf("")); }, "viewport"},
    {"camera viewport infinite", [] { return CameraViewport(INFINITY); }, "viewport"},
    {"skin vertex of 65,535 influences", SkinVertexOfEveryInfluence, ""},
};

class QrHostileSceneTest : public QrAnimationTest, public ::testing::WithParamInterface<HostileCase>
{
};

} // namespace

TEST_P(QrHostileSceneTest, IsRefusedOrRunsInFrameTimeAndLeavesNothing)
{
    const HostileCase& hostile = GetParam();
    const Bytes bytes = hostile.make();
    const SceneRun run = RunSceneBytes(bytes);
    if (*hostile.refusedWith == '\0')
    {
        EXPECT_TRUE(run.loaded) << run.errorContext;
        EXPECT_GT(run.framesDrawn, 0u);
    }
    else
    {
        EXPECT_FALSE(run.loaded);
        EXPECT_EQ(run.errorCode, 2u);
        EXPECT_NE(run.errorContext.find(hostile.refusedWith), std::string::npos) << run.errorContext;
    }
    EXPECT_LT(run.slowestFrameSeconds, kFrameBudgetSeconds);
    EXPECT_LT(run.loadSeconds, kFrameBudgetSeconds + kLoadSecondsPerMegabyte * double(bytes.size()) / 1.0e6);
    EXPECT_EQ(run.objectsLeft, 0);
    EXPECT_EQ(run.timedObjectsLeft, 0);
}

namespace
{
std::string CaseName(const ::testing::TestParamInfo<HostileCase>& param)
{
    std::string name;
    for (const char* c = param.param.name; *c; ++c)
        name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
    return name;
}
} // namespace

INSTANTIATE_TEST_SUITE_P(Crafted, QrHostileSceneTest, ::testing::ValuesIn(kCases), CaseName);

// --- the API keeps the tree a tree and one property per type

class QrHostileApiTest : public QrAnimationTest
{
};

TEST_F(QrHostileApiTest, AttachingANodeUnderItselfOrItsDescendantsIsRefused)
{
    QrPointer<QrNode> top(new QrNode);
    QrPointer<QrNode> middle(new QrNode);
    QrPointer<QrNode> bottom(new QrNode);
    top->AttachChild(middle.Get());
    middle->AttachChild(bottom.Get());

    bottom->AttachChild(top.Get());
    bottom->AttachChild(bottom.Get());
    EXPECT_EQ(bottom->SetAt(3, middle.Get()), nullptr);
    EXPECT_EQ(bottom->GetChildCount(), 0u);
    EXPECT_EQ(top->GetParent(), nullptr);
    EXPECT_EQ(middle->GetParent(), top.Get());

    // Across branches is fine: the node moves.
    QrPointer<QrNode> side(new QrNode);
    top->AttachChild(side.Get());
    side->SetAt(0, bottom.Get());
    EXPECT_EQ(bottom->GetParent(), side.Get());
    EXPECT_EQ(middle->GetNonEmptyChildCount(), 0u);
}

TEST_F(QrHostileApiTest, ASecondPropertyOfATypeReplacesTheFirst)
{
    QrPointer<QrMaterialProperty> dull(new QrMaterialProperty);
    QrPointer<QrMaterialProperty> shiny(new QrMaterialProperty);
    QrPointer<QrNode> node(new QrNode);
    node->AttachProperty(dull.Get());
    node->AttachProperty(shiny.Get());
    node->AttachProperty(shiny.Get());
    ASSERT_EQ(node->GetPropertyList().GetCount(), 1u);
    EXPECT_EQ(*node->GetPropertyList().begin(), shiny.Get());
    EXPECT_EQ(dull->GetRefCount(), 1u);
}

TEST_F(QrHostileApiTest, AFileWithTwoPropertiesOfATypeKeepsTheLater)
{
    QrPointer<QrMaterialProperty> dull(new QrMaterialProperty);
    dull->SetName("dull");
    QrPointer<QrMaterialProperty> shiny(new QrMaterialProperty);
    shiny->SetName("shiny");
    // The node's list holds both ids; the file is written from a list the API would not make.
    Bytes bytes = Save({dull.Get(), shiny.Get()});
    SceneFileBuilder file;
    file.TopLevel();
    Node(file, "QrNode", 9, "hull", {}, {1, 2, 1});
    AppendRecords(bytes, file);

    QrStream stream;
    ASSERT_TRUE(stream.LoadFromMemory(bytes.data(), bytes.size())) << QrStream::LastErrorContext;
    QrNode* hull = QrDynamicCast<QrNode>(stream.GetTopLevelAt(2));
    ASSERT_NE(hull, nullptr);
    ASSERT_EQ(hull->GetPropertyList().GetCount(), 1u);
    EXPECT_STREQ((*hull->GetPropertyList().begin())->GetName(), "dull");
}

TEST_F(QrHostileApiTest, DeathsWithinOneStepAreTakenAtOnceUpToTheGenerationLimit)
{
    for (int32_t limit : {1000000, 500})
    {
        QrPointer<Qr3dsParticleSystem> system = Emitter(1);
        system->m_birthRate = 0.0f;
        system->m_lifeSpan = 0.001f;
        system->m_maxGeneration = limit;
        system->m_collisionAction = Qr3dsParticleSystem::kContinueOnDeath;
        Qr3dsParticleSystem::SpawnRecord record;
        system->AddStoredRecord(record);
        system->Prime();
        ASSERT_EQ(system->GetActiveCount(), 1u);
        system->Step(system->GetLastTime() + 1.0f); // about a thousand lives end in this step
        if (limit < 1000)
        {
            EXPECT_EQ(system->GetActiveCount(), 0u) << "the last generation ended within the step";
            continue;
        }
        ASSERT_EQ(system->GetActiveCount(), 1u);
        EXPECT_NEAR(double(system->GetGenerations()[0]), 1000.0, 1.0);
        EXPECT_LE(system->GetAges()[0], system->m_lifeSpan + 1.0f) << "age after the step";
    }
}
