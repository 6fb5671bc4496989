#include "QrTestFixture.h"

#include "NodeVariantTestHelpers.h"
#include "QrLODNode.h"

#include <algorithm>
#include <cstring>

using specialnodes::ProbeLeaf;

class QrLODNodeTest : public QrEngineTest
{
protected:
    void SetUp() override
    {
        QrEngineTest::SetUp();
        SceneTestLeaf::RegisterCreateFunction();
        m_lod = new QrLODNode;
        m_near = new ProbeLeaf(nullptr, "near");
        m_far = new ProbeLeaf(nullptr, "far");
        m_lod->AttachChild(m_near.Get());
        m_lod->AttachChild(m_far.Get());
        m_lod->AddRange(0.0f, 10.0f, 0);
        m_lod->AddRange(10.0f, 100.0f, 1);
    }

    void TearDown() override
    {
        m_lod = nullptr;
        m_near = nullptr;
        m_far = nullptr;
        QrEngineTest::TearDown();
    }

    void UpdateLod() { m_lod->Update(m_lod->GetCurrentInstance()); }
    int32_t LevelAt(float x, float scaleValue = 1.0f)
    {
        m_lod->SelectLevel(QrPoint3(x, 0.0f, 0.0f), scaleValue);
        return m_lod->GetActiveIndex();
    }

    QrPointer<QrLODNode> m_lod;
    QrPointer<ProbeLeaf> m_near;
    QrPointer<ProbeLeaf> m_far;
};

// --- level choice

TEST_F(QrLODNodeTest, DistancesRunFromTheFirstLevelsBoundAndScaleWithTheNode)
{
    m_near->m_model.Set(QrPoint3(0.0f, 0.0f, 4.0f), 1.0f);
    m_lod->SetTranslate(100.0f, 0.0f, 0.0f);
    m_lod->SetScale(2.0f);
    UpdateLod();
    // Child 0's bound centre is at (100, 0, 8); the ranges are now [0, 20) and [20, 200).
    EXPECT_EQ(m_lod->GetRange(1).m_worldNear, 20.0f);
    EXPECT_EQ(m_lod->GetRange(1).m_worldFar, 200.0f);
    m_lod->SelectLevel(QrPoint3(100.0f, 0.0f, 27.99f), 1.0f);
    EXPECT_EQ(m_lod->GetActiveIndex(), 0);
    m_lod->SelectLevel(QrPoint3(100.0f, 0.0f, 28.0f), 1.0f);
    EXPECT_EQ(m_lod->GetActiveIndex(), 1);
}

TEST_F(QrLODNodeTest, WhenRangesOverlapTheLastOneWins)
{
    m_lod->AddRange(0.0f, 50.0f, 1);
    UpdateLod();
    EXPECT_EQ(LevelAt(5.0f), 1);
    EXPECT_EQ(LevelAt(49.0f), 1);
    EXPECT_EQ(LevelAt(50.0f), -1);
}

TEST_F(QrLODNodeTest, AChildWithoutARangeIsNeverChosen)
{
    QrPointer<ProbeLeaf> extra = new ProbeLeaf(nullptr, "extra");
    m_lod->AttachChild(extra.Get());
    UpdateLod();
    for (float x : {0.0f, 50.0f, 500.0f, 1e9f})
        EXPECT_NE(LevelAt(x), 2) << x;

    // Ranges past the last child are not chosen either.
    m_lod->AddRange(0.0f, 1e30f, 5);
    EXPECT_EQ(m_lod->GetRangeCount(), 6u);
    EXPECT_EQ(m_lod->GetRange(3).m_far, 0.0f) << "a skipped index holds the empty range";
    EXPECT_EQ(LevelAt(500.0f), -1);
}

TEST_F(QrLODNodeTest, ANegativeNearHoldsFromTheStart)
{
    m_lod->AddRange(-5.0f, 3.0f, 0);
    UpdateLod();
    EXPECT_EQ(LevelAt(0.0f), 0);
    EXPECT_EQ(LevelAt(2.0f), 0);
    EXPECT_EQ(LevelAt(4.0f), -1);
}

TEST_F(QrLODNodeTest, AnEmptyFirstSlotMeasuresFromTheNode)
{
    QrPointer<QrAVObject> taken = m_lod->DetachChildAt(0);
    UpdateLod();
    ASSERT_EQ(m_lod->GetChildAt(0), nullptr);
    EXPECT_EQ(LevelAt(9.0f), 0) << "the empty nearest level is chosen and draws nothing";
    EXPECT_EQ(m_lod->GetActiveChild(), nullptr);
    EXPECT_EQ(LevelAt(30.0f), 1);
    EXPECT_EQ(m_lod->GetActiveChild(), m_far.Get());
}

TEST_F(QrLODNodeTest, PerRangeCentresFollowTheNodesTransform)
{
    m_lod->SetPerRangeCenters(1);
    m_lod->SetRangeCenter(0, QrPoint3(0.0f, 0.0f, 0.0f));
    m_lod->SetRangeCenter(1, QrPoint3(1.0f, 0.0f, 0.0f));
    m_lod->SetTranslate(0.0f, 10.0f, 0.0f);
    m_lod->GetRotate() = QrMatrix3(0.0f, -1.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f); // x turns into y
    m_lod->SetScale(3.0f);
    UpdateLod();
    const QrPoint3& centre = m_lod->GetRange(1).m_worldCenter;
    EXPECT_NEAR(centre.x, 0.0f, 1e-5f);
    EXPECT_NEAR(centre.y, 13.0f, 1e-5f);
    EXPECT_NEAR(centre.z, 0.0f, 1e-5f);
    // Eye at (0, 50, 0): 40 from range 0's centre (near range [0, 30)), 37 from range 1's ([30, 300)).
    m_lod->SelectLevel(QrPoint3(0.0f, 50.0f, 0.0f), 1.0f);
    EXPECT_EQ(m_lod->GetActiveIndex(), 1);
    // Eye at (0, 38, 0): 28 from range 0's centre, 25 from range 1's: only range 0 holds.
    m_lod->SelectLevel(QrPoint3(0.0f, 38.0f, 0.0f), 1.0f);
    EXPECT_EQ(m_lod->GetActiveIndex(), 0);
}

TEST_F(QrLODNodeTest, ALazyLodRefreshesTheFirstLevelBeforeMeasuring)
{
    m_lod->SetUpdateActiveOnly(1);
    m_lod->SetActiveIndex(1);
    UpdateLod();
    const int before = m_near->m_updates;
    m_lod->SetTranslate(0.0f, 0.0f, 60.0f);
    UpdateLod(); // child 0 is stale now and its bound still at the old place
    m_lod->SelectLevel(QrPoint3(0.0f, 0.0f, 65.0f), 1.0f);
    EXPECT_EQ(m_near->m_updates, before + 1);
    EXPECT_EQ(m_lod->GetActiveIndex(), 0) << "measured from the refreshed bound";
    m_lod->SelectLevel(QrPoint3(0.0f, 0.0f, 65.0f), 1.0f);
    EXPECT_EQ(m_near->m_updates, before + 1);
}

// --- collisions

class QrLODNodeCollisionTest : public QrLODNodeTest
{
protected:
    void SetUp() override
    {
        QrLODNodeTest::SetUp();
        m_medium = new ProbeLeaf(nullptr, "medium");
        m_lod->AttachChild(m_medium.Get());
        m_lod->AddRange(-1.0f, 5.0f, 2); // a second detailed level
        UpdateLod();
        m_other = new ProbeLeaf(nullptr, "other");
        m_other->Update(m_other->GetCurrentInstance());
        m_theirs.m_object = m_other.Get();
        m_theirs.m_instance = m_other->GetCurrentInstance();
        m_mine.m_object = m_lod.Get();
        m_mine.m_instance = m_lod->GetCurrentInstance();
    }
    void TearDown() override
    {
        m_other = nullptr;
        m_medium = nullptr;
        QrLODNodeTest::TearDown();
    }

    std::vector<QrAVObject*> HandedObjects() const
    {
        std::vector<QrAVObject*> out;
        for (const QrCollisionRecord& record : m_other->m_otherRecords)
            out.push_back(record.m_object);
        return out;
    }

    QrPointer<ProbeLeaf> m_medium;
    QrPointer<ProbeLeaf> m_other;
    QrCollisionRecord m_theirs;
    QrCollisionRecord m_mine;
};

TEST_F(QrLODNodeCollisionTest, OnlyTheMostDetailedLevelsCollide)
{
    EXPECT_FALSE(m_lod->TestCollisions(0.0f, m_mine, m_theirs));
    EXPECT_EQ(HandedObjects(), (std::vector<QrAVObject*>{m_near.Get(), m_medium.Get()}));
    EXPECT_EQ(m_other->m_otherRecords[1].m_instance, m_medium->FindInstance(m_lod.Get()));

    m_other->m_otherRecords.clear();
    m_other->m_collides = true;
    EXPECT_TRUE(m_lod->TestCollisions(0.0f, m_mine, m_theirs));
    EXPECT_EQ(HandedObjects(), (std::vector<QrAVObject*>{m_near.Get()})) << "the first contact ends it";

    m_other->m_otherRecords.clear();
    m_other->m_findAnswer = 1;
    EXPECT_EQ(m_lod->FindCollisions(0.0f, m_mine, m_theirs), 1);
    EXPECT_EQ(HandedObjects(), (std::vector<QrAVObject*>{m_near.Get()}));

    // An empty detailed slot is skipped.
    m_other->m_otherRecords.clear();
    m_other->m_findAnswer = 0;
    QrPointer<QrAVObject> taken = m_lod->DetachChildAt(0);
    EXPECT_EQ(m_lod->FindCollisions(0.0f, m_mine, m_theirs), 0);
    EXPECT_EQ(HandedObjects(), (std::vector<QrAVObject*>{m_medium.Get()}));
}

TEST_F(QrLODNodeCollisionTest, ALazyLodCollidesThroughItsActiveDetailedLevelOnly)
{
    m_lod->SetUpdateActiveOnly(1);
    m_other->m_collides = true;
    m_lod->SetActiveIndex(1);
    EXPECT_FALSE(m_lod->TestCollisions(0.0f, m_mine, m_theirs)) << "level 1 starts at 10";
    m_lod->SetActiveIndex(-1);
    EXPECT_FALSE(m_lod->TestCollisions(0.0f, m_mine, m_theirs));
    EXPECT_TRUE(m_other->m_otherRecords.empty());
    m_lod->SetActiveIndex(2);
    EXPECT_TRUE(m_lod->TestCollisions(0.0f, m_mine, m_theirs));
    EXPECT_EQ(HandedObjects(), (std::vector<QrAVObject*>{m_medium.Get()}));
}

// --- clone and scene file

TEST_F(QrLODNodeTest, ACloneCopiesTheRanges)
{
    m_lod->SetPerRangeCenters(1);
    m_lod->SetRangeCenter(1, QrPoint3(1.0f, 2.0f, 3.0f));
    QrPointer<QrAVObject> copy = m_lod->CreateClone();
    QrLODNode* clone = QrDynamicCast<QrLODNode>(copy.Get());
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(clone->GetRTTI(), &QrLODNode::ms_RTTI);
    EXPECT_TRUE(clone->IsEqual(m_lod.Get()));
    m_lod->AddRange(10.0f, 90.0f, 1);
    EXPECT_EQ(clone->GetRange(1).m_far, 100.0f) << "the clone has its own records";
    EXPECT_FALSE(clone->IsEqual(m_lod.Get()));
}

TEST_F(QrLODNodeTest, RoundTripKeepsRangesAndCentres)
{
    m_lod->SetName("lod");
    m_lod->SetPerRangeCenters(1);
    m_lod->SetRangeCenter(0, QrPoint3(0.5f, -1.5f, 2.0f));
    m_lod->SetActiveIndex(1);
    QrStream loader;
    QrLODNode* loaded = specialnodes::RoundTrip(m_lod.Get(), loader);
    ASSERT_NE(loaded, nullptr);
    ASSERT_EQ(loaded->GetRangeCount(), 2u);
    EXPECT_EQ(loaded->GetRange(1).m_near, 10.0f);
    EXPECT_EQ(loaded->GetRange(1).m_far, 100.0f);
    EXPECT_TRUE(loaded->GetRange(0).m_center.IsEqual(QrPoint3(0.5f, -1.5f, 2.0f)));
    EXPECT_EQ(loaded->GetPerRangeCenters(), 1u);

    // A loaded node chooses before any update (world values start as the model values).
    loaded->SelectLevel(QrPoint3(0.5f, -1.5f, 5.0f), 1.0f);
    EXPECT_EQ(loaded->GetActiveIndex(), 0);
}

TEST_F(QrLODNodeTest, ACorruptRangeCountFailsTheLoadCleanly)
{
    const std::vector<uint8_t> bytes = specialnodes::SaveScene(m_lod.Get());

    // The range count sits right after the active index and flag: find "2" after "-1, 0".
    const uint8_t pattern[] = {0xFF, 0xFF, 0xFF, 0xFF, 0, 2, 0, 0, 0};
    auto at = std::search(bytes.begin(), bytes.end(), std::begin(pattern), std::end(pattern));
    ASSERT_NE(at, bytes.end());
    const size_t countAt = size_t(at - bytes.begin()) + 5;
    for (uint32_t count : {3u, 0x7FFFFFFFu, 0xFFFFFFFFu})
    {
        std::vector<uint8_t> bad = bytes;
        std::memcpy(&bad[countAt], &count, 4);
        QrStream stream;
        EXPECT_FALSE(stream.LoadFromMemory(bad.data(), bad.size())) << count;
        EXPECT_EQ(stream.GetTopLevelCount(), 0u);
    }
}

// --- drawing

TEST_F(QrLODNodeTest, TheCameraChoosesTheLevelWhenTheNodeIsDrawn)
{
    std::vector<std::string> log;
    m_near->m_drawLog = &log;
    m_far->m_drawLog = &log;
    UpdateLod();
    struct Case
    {
        float distance;
        float scaleValue;
        const char* drawn;
    };
    const Case cases[] = {{9.99f, 1.0f, "near"},   {10.0f, 1.0f, "far"}, {99.0f, 1.0f, "far"},
                          {100.0f, 1.0f, nullptr}, {5.0f, 2.0f, "far"},  {4.99f, 2.0f, "near"}};
    for (const Case& c : cases)
    {
        log.clear();
        QrPointer<QrCamera> camera = specialnodes::CameraLookingAt(QrPoint3(0.0f, 0.0f, c.distance), QrPoint3());
        camera->SetScaleValue(c.scaleValue);
        specialnodes::DrawThrough(camera.Get(), m_lod.Get());
        if (c.drawn)
            EXPECT_EQ(log, (std::vector<std::string>{c.drawn})) << c.distance << " x " << c.scaleValue;
        else
            EXPECT_TRUE(log.empty()) << c.distance;
    }
}

TEST_F(QrLODNodeTest, TheDisplayPassChoosesTooButLeavesTheSortFlagAlone)
{
    std::vector<std::string> log;
    specialnodes::RecordingSorter::Install install(&log);
    m_near->m_drawLog = &log;
    m_lod->SetSortMode(QrNode::kSortOn);
    UpdateLod();
    QrPointer<QrCamera> camera = specialnodes::CameraLookingAt(QrPoint3(0.0f, 0.0f, 3.0f), QrPoint3());
    camera->SetSortFlag(0);
    specialnodes::DrawThrough(camera.Get(), m_lod.Get(), true);
    EXPECT_EQ(log, (std::vector<std::string>{"near"})) << "drawn at once, not sorted";
    EXPECT_EQ(install.Made(), 0);
    EXPECT_EQ(m_lod->GetActiveIndex(), 0);
}
