#include "QrTestFixture.h"

#include "NodeVariantTestHelpers.h"
#include "QrFltAnimationNode.h"

#include <cmath>
#include <limits>

using specialnodes::ProbeLeaf;

class QrFltAnimationNodeTest : public QrEngineTest
{
protected:
    void SetUp() override
    {
        QrEngineTest::SetUp();
        SceneTestLeaf::RegisterCreateFunction();
        m_flip = new QrFltAnimationNode;
        m_flip->SetPeriod(2.0);
        for (int i = 0; i < 4; ++i)
        {
            m_frames[i] = new ProbeLeaf(&m_log, std::to_string(i).c_str(), QrPoint3(float(i), 0.0f, 0.0f), 0.5f);
            m_flip->AttachChild(m_frames[i].Get());
        }
    }

    void TearDown() override
    {
        m_flip = nullptr;
        for (QrPointer<ProbeLeaf>& frame : m_frames)
            frame = nullptr;
        QrEngineTest::TearDown();
    }

    int32_t FrameAt(double time)
    {
        m_flip->SetActiveIndex(-1);
        m_flip->SelectFrame(time);
        return m_flip->GetActiveIndex();
    }

    std::vector<std::string> m_log;
    QrPointer<QrFltAnimationNode> m_flip;
    QrPointer<ProbeLeaf> m_frames[4];
};

TEST_F(QrFltAnimationNodeTest, CyclingRunsThroughTheFramesOncePerPeriod)
{
    EXPECT_EQ(FrameAt(0.0), 0);
    EXPECT_EQ(FrameAt(0.5), 1);
    EXPECT_EQ(FrameAt(0.4999), 0);
    EXPECT_EQ(FrameAt(double(1.99f)), 3);
    EXPECT_EQ(FrameAt(2.0), 0);
    EXPECT_EQ(FrameAt(-0.5), 3);
    EXPECT_EQ(FrameAt(-2.0), 0);
    EXPECT_EQ(FrameAt(1000.5), 1);
}

TEST_F(QrFltAnimationNodeTest, SwingingRunsForwardThenBack)
{
    m_flip->SetSwing(1);
    const double times[] = {0.0, 0.25, 0.5, 0.75, 1.0, 1.25, 1.5, 1.75, 2.0};
    const int32_t frames[] = {0, 1, 2, 3, 3, 3, 2, 1, 0};
    for (size_t i = 0; i < std::size(times); ++i)
        EXPECT_EQ(FrameAt(times[i]), frames[i]) << times[i];
}

TEST_F(QrFltAnimationNodeTest, NothingIsChosenWithoutAPeriodFramesOrAUsableTime)
{
    for (double period : {0.0, -1.0, std::numeric_limits<double>::quiet_NaN()})
    {
        m_flip->SetPeriod(period);
        EXPECT_EQ(FrameAt(0.5), -1) << period;
    }
    m_flip->SetPeriod(2.0);
    EXPECT_EQ(FrameAt(std::numeric_limits<double>::infinity()), -1);
    EXPECT_EQ(FrameAt(std::numeric_limits<double>::quiet_NaN()), -1);

    QrPointer<QrFltAnimationNode> empty = new QrFltAnimationNode;
    empty->SelectFrame(0.5);
    EXPECT_EQ(empty->GetActiveIndex(), -1);
}

TEST_F(QrFltAnimationNodeTest, EmptyFramesAreCountedAsFrames)
{
    QrPointer<QrAVObject> taken = m_flip->DetachChildAt(1);
    EXPECT_EQ(FrameAt(0.5), 1);
    EXPECT_EQ(m_flip->GetActiveChild(), nullptr);
}

TEST_F(QrFltAnimationNodeTest, ALazyFlipBookStillPlacesItsBoundOutsideADraw)
{
    m_flip->SetUpdateActiveOnly(1);
    m_flip->SetTranslate(10.0f, 0.0f, 0.0f);
    ASSERT_EQ(m_flip->GetActiveIndex(), -1);
    m_flip->Update(m_flip->GetCurrentInstance());
    // Frames at x = 0 .. 3 with radius 0.5, all inside the bound though none is active.
    for (const QrPointer<ProbeLeaf>& frame : m_frames)
    {
        EXPECT_EQ(frame->m_updates, 1);
        EXPECT_TRUE(frame->GetWorldBound().IsInside(m_flip->GetWorldBound()));
    }
    EXPECT_TRUE(m_flip->IsDisplayable());

    m_flip->SetTranslate(0.0f, 10.0f, 0.0f);
    m_flip->Update(m_flip->GetCurrentInstance());
    EXPECT_EQ(m_frames[0]->m_updates, 1) << "frames wait for their draw";
    EXPECT_NEAR(m_flip->GetWorldBound().GetCenter().x, 1.5f, 1e-5f);
    EXPECT_NEAR(m_flip->GetWorldBound().GetCenter().y, 10.0f, 1e-5f);
}

TEST_F(QrFltAnimationNodeTest, CloneAndRoundTripKeepPeriodAndSwing)
{
    m_flip->SetPeriod(0.125);
    m_flip->SetSwing(1);
    m_flip->SetUpdateActiveOnly(1);
    QrPointer<QrAVObject> copy = m_flip->CreateClone();
    QrFltAnimationNode* clone = QrDynamicCast<QrFltAnimationNode>(copy.Get());
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(clone->GetPeriod(), 0.125);
    EXPECT_EQ(clone->GetSwing(), 1u);
    EXPECT_TRUE(clone->IsEqual(m_flip.Get()));

    // The period is kept to all 64 bits.
    m_flip->SetPeriod(1.0 / 3.0);
    QrStream loader;
    QrFltAnimationNode* loaded = specialnodes::RoundTrip(m_flip.Get(), loader);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->GetPeriod(), 1.0 / 3.0);
    EXPECT_EQ(loaded->GetSwing(), 1u);
    EXPECT_EQ(loaded->GetChildCount(), 4u);
    loaded->SetPeriod(double(float(1.0 / 3.0)));
    EXPECT_FALSE(loaded->IsEqual(m_flip.Get()));
}

// --- drawing

TEST_F(QrFltAnimationNodeTest, EachDrawShowsTheFrameOfTheCamerasTime)
{
    m_flip->Update(m_flip->GetCurrentInstance());
    const float times[] = {0.0f, 0.5f, 1.99f, 2.0f, -0.5f};
    const char* const frames[] = {"0", "1", "3", "0", "3"};
    for (size_t i = 0; i < std::size(times); ++i)
    {
        for (bool displayPass : {false, true})
        {
            m_log.clear();
            QrPointer<QrCamera> camera = specialnodes::CameraLookingAt(
                QrPoint3(1.5f, 0.0f, 20.0f), QrPoint3(1.5f, 0.0f, 0.0f), QrPoint3(0.0f, 1.0f, 0.0f), times[i]);
            camera->SetSortFlag(0);
            specialnodes::DrawThrough(camera.Get(), m_flip.Get(), displayPass);
            EXPECT_EQ(m_log, (std::vector<std::string>{frames[i]})) << times[i];
            EXPECT_EQ(m_flip->GetActiveIndex(), -1) << "chosen for the draw only";
        }
    }

    m_log.clear();
    m_flip->SetPeriod(0.0);
    QrPointer<QrCamera> camera = specialnodes::CameraLookingAt(QrPoint3(1.5f, 0.0f, 20.0f), QrPoint3(1.5f, 0.0f, 0.0f),
                                                               QrPoint3(0.0f, 1.0f, 0.0f), 0.5f);
    specialnodes::DrawThrough(camera.Get(), m_flip.Get());
    EXPECT_TRUE(m_log.empty());
    EXPECT_EQ(m_flip->GetActiveIndex(), -1);
}

TEST_F(QrFltAnimationNodeTest, ALazyFlipBookUpdatesTheFrameItDraws)
{
    m_flip->SetUpdateActiveOnly(1);
    m_flip->Update(m_flip->GetCurrentInstance());
    m_flip->SetTranslate(0.0f, 1.0f, 0.0f);
    m_flip->Update(m_flip->GetCurrentInstance());
    QrPointer<QrCamera> camera = specialnodes::CameraLookingAt(QrPoint3(1.5f, 0.0f, 20.0f), QrPoint3(1.5f, 0.0f, 0.0f),
                                                               QrPoint3(0.0f, 1.0f, 0.0f), 0.5f);
    specialnodes::DrawThrough(camera.Get(), m_flip.Get());
    specialnodes::DrawThrough(camera.Get(), m_flip.Get());
    EXPECT_EQ(m_log, (std::vector<std::string>{"1", "1"}));
    EXPECT_EQ(m_frames[1]->m_updates, 2) << "brought up to date once, at its first draw";
    EXPECT_TRUE(m_frames[1]->GetCurrentInstance()->m_worldTranslate.IsEqual(QrPoint3(0.0f, 1.0f, 0.0f)));
    EXPECT_EQ(m_frames[0]->m_updates, 1);
    EXPECT_EQ(m_frames[2]->m_updates, 1);
}
