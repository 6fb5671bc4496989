#include "QrCameraTestHelpers.h"

#include "QrAlphaProperty.h"
#include "QrAlphaSorter.h"
#include "QrBound.h"
#include "QrBoundSorter.h"
#include "QrCamera.h"
#include "QrDisplay.h"
#include "QrLight.h"
#include "QrNode.h"
#include "QrPrecedenceSort.h"
#include "QrSortBox.h"
#include "QrSortedDrawRecord.h"
#include "QrSorter.h"

#include <cstring>
#include <string>
#include <vector>

using namespace camtest;

namespace
{

using Names = std::vector<std::string>;

class QrSorterTest : public CameraTest
{
protected:
    void SetUp() override
    {
        CameraTest::SetUp();
        m_display = MakeDisplay();
        m_camera = new QrCamera;
        m_camera->SetDisplay(m_display.Get());
    }

    void TearDown() override
    {
        m_camera = nullptr;
        m_display = nullptr;
        m_balls.clear();
        CameraTest::TearDown();
    }

    QrTestBall* Ball(const char* name, float x, float y, float z, float radius)
    {
        m_balls.emplace_back(new QrTestBall(name, x, y, z, radius));
        return m_balls.back().Get();
    }

    // Defers the balls in the given order through a fresh alpha sorter and finishes the pass.
    Names DrawSorted(const std::vector<QrTestBall*>& balls)
    {
        QrTestBall::ms_drawLog.clear();
        QrAlphaSorter sorter;
        sorter.StartSorting(m_camera.Get());
        for (QrTestBall* ball : balls)
            EXPECT_TRUE(sorter.AddObject(ball, ball->GetCurrentInstance()));
        EXPECT_EQ(sorter.GetRecordCount(), balls.size());
        EXPECT_TRUE(QrTestBall::ms_drawLog.empty()) << "nothing is drawn while the pass runs";
        sorter.FinishSorting();
        EXPECT_EQ(sorter.GetRecordCount(), 0u);
        return QrTestBall::ms_drawLog;
    }

    QrPointer<QrDisplay> m_display;
    QrPointer<QrCamera> m_camera;
    std::vector<QrPointer<QrTestBall>> m_balls;
};

// The default camera looks along +x from the origin: depth grows with x, screen x with z.

TEST_F(QrSorterTest, BallsApartInDepthAreDrawnFarthestFirst)
{
    QrTestBall* nearBall = Ball("near", 1.2f, 0.0f, 0.0f, 0.05f);
    QrTestBall* middle = Ball("middle", 1.5f, 0.0f, 0.3f, 0.05f);
    QrTestBall* farBall = Ball("far", 1.8f, -0.4f, -0.5f, 0.05f);
    EXPECT_EQ(DrawSorted({nearBall, middle, farBall}), (Names{"far", "middle", "near"}));
    EXPECT_EQ(DrawSorted({farBall, nearBall, middle}), (Names{"far", "middle", "near"}));
    EXPECT_EQ(DrawSorted({middle}), (Names{"middle"}));
    EXPECT_EQ(DrawSorted({}), (Names{}));
}

TEST_F(QrSorterTest, EqualBallsKeepTheOrderTheyWereAddedIn)
{
    QrTestBall* a = Ball("a", 1.5f, 0.0f, 0.0f, 0.1f);
    QrTestBall* b = Ball("b", 1.5f, 0.0f, 0.0f, 0.1f);
    QrTestBall* c = Ball("c", 1.5f, 0.0f, 0.0f, 0.1f);
    EXPECT_EQ(DrawSorted({a, b}), (Names{"a", "b"}));
    EXPECT_EQ(DrawSorted({b, a}), (Names{"b", "a"}));
    EXPECT_EQ(DrawSorted({a, b, c}), (Names{"a", "b", "c"}));
    EXPECT_EQ(DrawSorted({c, a, b}), (Names{"c", "a", "b"}));
}

TEST_F(QrSorterTest, EqualDepthApartOnScreenDrawsTheSameWayEveryFrame)
{
    // Same depth range, apart across the screen: no order between them, so the sweep decides
    // (the run with the larger minimum comes first), whatever the order they came in.
    QrTestBall* left = Ball("left", 1.5f, 0.0f, -0.3f, 0.1f);
    QrTestBall* right = Ball("right", 1.5f, 0.0f, 0.3f, 0.1f);
    EXPECT_EQ(DrawSorted({left, right}), (Names{"right", "left"}));
    EXPECT_EQ(DrawSorted({right, left}), (Names{"right", "left"}));
}

TEST_F(QrSorterTest, OverlappingBallsAreOrderedByTheSideTheEyeIsOn)
{
    // Overlapping on screen and in depth; a is nearer the eye, so it is drawn last.
    QrTestBall* a = Ball("a", 1.45f, 0.0f, 0.0f, 0.2f);
    QrTestBall* b = Ball("b", 1.6f, 0.05f, 0.05f, 0.2f);
    EXPECT_EQ(DrawSorted({a, b}), (Names{"b", "a"}));
    EXPECT_EQ(DrawSorted({b, a}), (Names{"b", "a"}));
    // Seen from beyond them, the order turns.
    m_camera->SetTranslate(3.0f, 0.0f, 0.0f);
    m_camera->UpdateAllInstances();
    ASSERT_TRUE(m_camera->LookAt({0.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}));
    EXPECT_EQ(DrawSorted({a, b}), (Names{"a", "b"}));
}

TEST_F(QrSorterTest, CompareByViewNeedsOverlapOnScreenBeforeDepth)
{
    QrPointer<QrTestBall> ball(new QrTestBall("ball", 1.5f, 0.0f, 0.0f, 0.1f));
    QrSortedDrawRecord record;
    record.m_worldBound = ball->GetWorldBound();
    QrSortBox a, b;
    a.m_record = b.m_record = &record;
    const float aMin[3] = {-0.5f, -0.5f, 0.1f}, aMax[3] = {0.0f, 0.0f, 0.2f};
    std::memcpy(a.m_min, aMin, sizeof(aMin));
    std::memcpy(a.m_max, aMax, sizeof(aMax));
    const float bMin[3] = {0.1f, -0.5f, 0.5f}, bMax[3] = {0.5f, 0.0f, 0.6f};
    std::memcpy(b.m_min, bMin, sizeof(bMin));
    std::memcpy(b.m_max, bMax, sizeof(bMax));
    const QrPoint3 eye;
    EXPECT_EQ(QrBoundSorter::CompareByView(&a, &b, eye), 0) << "apart across the screen";
    b.m_min[0] = 0.0f; // touching counts as overlap
    EXPECT_EQ(QrBoundSorter::CompareByView(&a, &b, eye), -1) << "a wholly nearer";
    EXPECT_EQ(QrBoundSorter::CompareByView(&b, &a, eye), 1);
    b.m_min[1] = 0.01f;
    b.m_max[1] = 0.5f;
    EXPECT_EQ(QrBoundSorter::CompareByView(&a, &b, eye), 0) << "apart up the screen";
}

// Precedence given by table: g_order[i][j] is compare(i, j) for i < j.
int g_order[4][4] = {};

int CompareByTable(const QrSortBox* a, const QrSortBox* b, const QrPoint3&)
{
    return g_order[static_cast<int>(a->m_min[0])][static_cast<int>(b->m_min[0])];
}

TEST(QrPrecedenceSortTest, CycleIsBrokenAtTheFewestPredecessorsThenTheMostSuccessors)
{
    // Edges 0 -> 1 -> 2 -> 0 (a cycle) and 1 -> 3. Every item has one predecessor; 1 has two
    // successors, so it is drawn first; then the order follows the edges.
    std::memset(g_order, 0, sizeof(g_order));
    g_order[0][1] = 1;
    g_order[1][2] = 1;
    g_order[0][2] = -1;
    g_order[1][3] = 1;
    QrSortBox boxes[4];
    QrSortBox* items[4];
    for (int i = 0; i < 4; ++i)
    {
        boxes[i].m_min[0] = static_cast<float>(i);
        items[i] = &boxes[i];
    }
    QrPrecedenceSort sort(2);
    EXPECT_TRUE(sort.Sort(items, 4, &CompareByTable, QrPoint3()));
    EXPECT_GE(sort.GetCapacity(), 4u);
    // Drawn from the last position to the first.
    const QrSortBox* drawn[4] = {items[3], items[2], items[1], items[0]};
    EXPECT_EQ(drawn[0], &boxes[1]);
    EXPECT_EQ(drawn[1], &boxes[2]);
    EXPECT_EQ(drawn[2], &boxes[0]);
    EXPECT_EQ(drawn[3], &boxes[3]);

    // Without a cycle: a plain chain 2 -> 0 -> 1 and no answer.
    std::memset(g_order, 0, sizeof(g_order));
    g_order[0][1] = 1;
    g_order[0][2] = -1;
    for (int i = 0; i < 3; ++i)
        items[i] = &boxes[i];
    EXPECT_FALSE(sort.Sort(items, 3, &CompareByTable, QrPoint3()));
    EXPECT_EQ(items[2], &boxes[2]);
    EXPECT_EQ(items[1], &boxes[0]);
    EXPECT_EQ(items[0], &boxes[1]);
}

TEST_F(QrSorterTest, ScreenBoxOfASphere)
{
    QrBound bound;
    bound.Set(QrPoint3(1.5f, 0.0f, 0.0f), 0.1f);
    QrPoint3 boxMin, boxMax;
    m_camera->GetScreenBox(bound, boxMin, boxMax);
    const float across = 0.2f / 1.5f;
    EXPECT_NEAR(boxMin.x, -across, 1e-6f);
    EXPECT_NEAR(boxMax.x, across, 1e-6f);
    EXPECT_NEAR(boxMin.y, -across, 1e-6f);
    EXPECT_NEAR(boxMax.y, across, 1e-6f);
    EXPECT_NEAR(boxMin.z, 0.4f, 1e-6f);
    EXPECT_NEAR(boxMax.z, 0.6f, 1e-6f);

    // Off to the side: clamped to the screen.
    bound.Set(QrPoint3(1.5f, 0.0f, 1.4f), 0.1f);
    m_camera->GetScreenBox(bound, boxMin, boxMax);
    EXPECT_FLOAT_EQ(boxMax.x, 1.0f);
    EXPECT_GT(boxMin.x, 0.0f);

    // A sphere reaching behind the eye covers the whole screen; depth is clamped.
    bound.Set(QrPoint3(-0.5f, 0.0f, 0.0f), 2.0f);
    m_camera->GetScreenBox(bound, boxMin, boxMax);
    EXPECT_TRUE(boxMin.IsEqual({-1.0f, -1.0f, 0.0f}));
    EXPECT_FLOAT_EQ(boxMax.x, 1.0f);
    EXPECT_FLOAT_EQ(boxMax.y, 1.0f);
    EXPECT_NEAR(boxMax.z, 0.5f, 1e-6f);
}

TEST_F(QrSorterTest, InactiveSorterLeavesObjectsToBeDrawnNow)
{
    QrTestBall* ball = Ball("ball", 1.5f, 0.0f, 0.0f, 0.1f);
    QrAlphaSorter sorter;
    EXPECT_FALSE(sorter.AddObject(ball, ball->GetCurrentInstance()));
    EXPECT_EQ(sorter.GetRecordCount(), 0u);
    sorter.FinishSorting();
    EXPECT_TRUE(QrTestBall::ms_drawLog.empty());

    // The pass holds the camera only while it runs.
    const uint32_t references = m_camera->GetRefCount();
    sorter.StartSorting(m_camera.Get());
    sorter.StartSorting(nullptr);
    EXPECT_TRUE(sorter.IsActive());
    EXPECT_TRUE(sorter.AddObject(ball, ball->GetCurrentInstance()));
    EXPECT_GT(m_camera->GetRefCount(), references);
    sorter.FinishSorting();
    EXPECT_EQ(QrTestBall::ms_drawLog, (Names{"ball"}));
    EXPECT_EQ(m_camera->GetRefCount(), references);
}

TEST_F(QrSorterTest, RecordIsDrawnWithItsCapturedStateAndTheCameraRestored)
{
    QrTestBall* ball = Ball("ball", 1.5f, 0.0f, 0.0f, 0.1f);
    QrPointer<QrAlphaProperty> blend(new QrAlphaProperty);
    blend->m_enabled = 1;
    ball->AttachProperty(blend.Get());

    // Captured while the ball's properties and a light are pushed and the subtree has passed
    // all planes.
    QrPointer<QrLight> light(new QrLight);
    m_display->PushLight(light.Get());
    m_display->PushProperties(ball->GetPropertyList());
    m_camera->GetPassedPlaneMask()[0] = 0x3F;
    m_camera->SetSortFlag(0);
    QrSortedDrawRecord* record = m_camera->CreateSortedDrawRecord(ball, ball->GetCurrentInstance());
    m_display->PopProperties(ball->GetPropertyList());
    m_display->PopLight();
    EXPECT_EQ(record->m_properties[QrProperty::kAlpha], blend.Get());
    EXPECT_EQ(record->m_lightTop, 0);
    EXPECT_EQ(record->m_lights[0], light.Get());
    EXPECT_EQ(record->m_lights[1], nullptr);
    EXPECT_TRUE(record->m_worldBound.IsEqual(ball->GetWorldBound()));
    EXPECT_EQ(blend->GetRefCount(), 2u) << "the record does not count properties";
    EXPECT_EQ(ball->GetRefCount(), 2u) << "but it holds its object";

    m_camera->GetPassedPlaneMask()[0] = 0;
    m_camera->SetSortFlag(1);
    Render()->ClearLog();
    m_camera->DrawSortedRecord(record);
    EXPECT_EQ(QrTestBall::ms_maskLog, (std::vector<uint32_t>{0x3Fu}));
    EXPECT_EQ(Render()->Calls({"UpdateLight", "SetAlphaBlending", "SetClipPlanes", "RenderPoints"}),
              (Names{"UpdateLight", "SetClipPlanes", "SetAlphaBlending", "RenderPoints", "UpdateLight"}));
    EXPECT_EQ(Render()->m_clipSets.back().count, 0u);
    EXPECT_EQ(m_camera->GetPassedPlaneMask()[0], 0u);
    EXPECT_EQ(m_camera->GetSortFlag(), 1);
    EXPECT_NE(m_display->GetCurrent(QrProperty::kAlpha), blend.Get()) << "the display's own state is back";
    delete record;
    EXPECT_EQ(ball->GetRefCount(), 1u);
}

// A factory of the kind a game installs: its sorter defers only blended objects.
class BlendOnlySorter : public QrAlphaSorter
{
public:
    static int ms_made;
    static QrSorter* Create()
    {
        ++ms_made;
        return new BlendOnlySorter;
    }
    bool AddObject(QrAVObject* object, QrAVInstance* instance) override
    {
        QrDisplay* display = m_camera ? m_camera->GetDisplay() : nullptr;
        auto* alpha = display ? static_cast<QrAlphaProperty*>(display->GetCurrent(QrProperty::kAlpha)) : nullptr;
        if (!alpha || !alpha->m_enabled)
            return false;
        return DeferObject(object, instance);
    }
};

int BlendOnlySorter::ms_made = 0;

TEST_F(QrSorterTest, NodesMakeTheirSortersThroughTheInstalledFactory)
{
    QrPointer<QrAlphaProperty> blend(new QrAlphaProperty);
    blend->m_enabled = 1;
    QrPointer<QrNode> root(new QrNode);
    root->SetSortMode(QrNode::kSortOn);
    QrTestBall* nearGlass = Ball("near glass", 1.2f, 0.0f, 0.0f, 0.05f);
    QrTestBall* solid = Ball("solid", 1.5f, 0.0f, 0.0f, 0.05f);
    QrTestBall* farGlass = Ball("far glass", 1.8f, 0.0f, 0.0f, 0.05f);
    nearGlass->AttachProperty(blend.Get());
    farGlass->AttachProperty(blend.Get());
    for (QrTestBall* ball : {nearGlass, solid, farGlass})
        root->AttachChild(ball);
    root->UpdateAllInstances();
    m_camera->SetSceneRoot(root.Get());
    m_camera->SetDisplayPassFlag(1);

    const QrSorterFactory old = QrSorter::SetFactory(&BlendOnlySorter::Create);
    BlendOnlySorter::ms_made = 0;
    m_camera->RenderFrame(0.0f, 0.0f);
    m_camera->RenderFrame(0.0f, 0.0f);
    QrSorter::SetFactory(old);
    EXPECT_EQ(QrSorter::GetFactory(), &QrAlphaSorter::Create);

    EXPECT_EQ(BlendOnlySorter::ms_made, 1) << "the node keeps the sorter it made";
    EXPECT_EQ(QrTestBall::ms_drawLog, (Names{"solid", "far glass", "near glass", "solid", "far glass", "near glass"}));
    EXPECT_EQ(m_camera->GetSortFlag(), 1);
    m_camera->SetSceneRoot(nullptr);
}

TEST_F(QrSorterTest, AlphaSorterDefersEveryObjectOfTheSortedSubtree)
{
    QrPointer<QrNode> root(new QrNode);
    QrPointer<QrNode> sorted(new QrNode);
    sorted->SetSortMode(QrNode::kSortOn);
    root->SetSortMode(QrNode::kSortOff);
    root->AttachChild(Ball("before", 1.3f, 0.0f, 0.0f, 0.05f));
    root->AttachChild(sorted.Get());
    sorted->AttachChild(Ball("near", 1.2f, 0.1f, 0.0f, 0.05f));
    sorted->AttachChild(Ball("far", 1.8f, 0.1f, 0.0f, 0.05f));
    root->AttachChild(Ball("after", 1.9f, 0.0f, 0.0f, 0.05f));
    root->UpdateAllInstances();
    m_camera->SetSceneRoot(root.Get());
    m_camera->SetDisplayPassFlag(1);
    m_camera->RenderFrame(0.0f, 0.0f);
    // The sorted node draws its deferred objects when its own pass ends.
    EXPECT_EQ(QrTestBall::ms_drawLog, (Names{"before", "far", "near", "after"}));
    for (uint32_t w = 0; w < QrAVObject::kPlaneMaskWords; ++w)
        EXPECT_EQ(m_camera->GetPassedPlaneMask()[w], 0u);
    m_camera->SetSceneRoot(nullptr);
}

TEST_F(QrSorterTest, PoolsStopGrowingOnceWarm)
{
    std::vector<QrTestBall*> balls;
    for (int i = 0; i < 9; ++i)
        balls.push_back(Ball("ball", 1.1f + 0.08f * static_cast<float>(i), 0.0f, 0.0f, 0.03f));
    DrawSorted(balls);
    const uint32_t boxBlocks = QrTPool<QrSortBox>::GetBlockCount();
    const uint32_t recordBlocks = QrTPool<QrSortedDrawRecord>::GetBlockCount();
    for (int frame = 0; frame < 3; ++frame)
        DrawSorted(balls);
    EXPECT_EQ(QrTPool<QrSortBox>::GetBlockCount(), boxBlocks);
    EXPECT_EQ(QrTPool<QrSortedDrawRecord>::GetBlockCount(), recordBlocks);
    EXPECT_EQ(QrTestBall::ms_drawLog.size(), 9u);
}

} // namespace
