#include "QrTestFixture.h"

#include "QrAction.h"
#include "QrStream.h"

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

// A scriptable action that logs its updates and its destruction by name. Registered so that
// scene files can hold it.
class QrTestLogAction : public QrAction
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    QrTestLogAction() = default;

    static std::vector<std::string> ms_log;

    // Runs inside Update; its answer is Update's. Unset: keep running.
    std::function<bool()> m_script;
    double m_lastTime = -1.0;
    double m_lastElapsed = -1.0;

    bool Update(double time, double elapsed) override
    {
        m_lastTime = time;
        m_lastElapsed = elapsed;
        ms_log.push_back(GetName() ? GetName() : "?");
        return m_script ? m_script() : true;
    }

protected:
    ~QrTestLogAction() override { ms_log.push_back(std::string("~") + (GetName() ? GetName() : "?")); }
};

QR_IMPLEMENT_RTTI(QrTestLogAction, QrAction)
QR_IMPLEMENT_CREATE(QrTestLogAction)

std::vector<std::string> QrTestLogAction::ms_log;

namespace
{

using Log = std::vector<std::string>;

class QrActionTest : public QrEngineTest
{
protected:
    void SetUp() override
    {
        QrEngineTest::SetUp();
        QrTestLogAction::RegisterCreateFunction();
        QrTestLogAction::ms_log.clear();
    }

    // Made and added; the list holds the only reference.
    static QrTestLogAction* Add(const char* name, std::function<bool()> script = nullptr)
    {
        QrTestLogAction* action = new QrTestLogAction;
        action->SetName(name);
        action->m_script = std::move(script);
        QrAction::AddAction(action);
        return action;
    }

    static Log Frame()
    {
        QrTestLogAction::ms_log.clear();
        QrAction::UpdateAll(10.0, 0.5);
        return QrTestLogAction::ms_log;
    }
};

TEST_F(QrActionTest, NewestActionRunsFirst)
{
    QrTestLogAction* a = Add("A");
    Add("B");
    Add("C");
    EXPECT_EQ(QrAction::GetActionCount(), 3u);
    EXPECT_EQ(Frame(), (Log{"C", "B", "A"}));
    EXPECT_EQ(a->m_lastTime, 10.0);
    EXPECT_EQ(a->m_lastElapsed, 0.5);
    EXPECT_EQ(Frame(), (Log{"C", "B", "A"}));
}

TEST_F(QrActionTest, EndedActionIsReleasedAfterItsCallAndTheRestStillRun)
{
    QrTestLogAction* a = Add("A");
    Add("B", [] { return false; });
    Add("C");
    EXPECT_EQ(Frame(), (Log{"C", "B", "~B", "A"}));
    EXPECT_TRUE(QrAction::IsRunning(a));
    EXPECT_EQ(QrAction::GetActionCount(), 2u);
    EXPECT_EQ(Frame(), (Log{"C", "A"}));
}

TEST_F(QrActionTest, SoleActionEndingEmptiesTheList)
{
    Add("A", [] { return false; });
    EXPECT_EQ(Frame(), (Log{"A", "~A"}));
    EXPECT_EQ(QrAction::GetActionCount(), 0u);
    EXPECT_EQ(Frame(), Log{});
}

TEST_F(QrActionTest, ActionAddedByTheFirstActionRunsNextFrame)
{
    // Each finishing variant: the adder keeps running, or ends in the same call.
    for (bool adderEnds : {false, true})
    {
        SCOPED_TRACE(adderEnds ? "adder ends" : "adder keeps running");
        QrAction::RemoveAll();
        Add("A");
        bool added = false;
        Add("B",
            [&]
            {
                if (!added)
                    Add("N");
                added = true;
                return !adderEnds;
            });
        // B is the newest: it sits in the list's first position when it adds N.
        Log first = Frame();
        if (adderEnds)
            EXPECT_EQ(first, (Log{"B", "~B", "A"}));
        else
            EXPECT_EQ(first, (Log{"B", "A"}));
        if (adderEnds)
            EXPECT_EQ(Frame(), (Log{"N", "A"}));
        else
            EXPECT_EQ(Frame(), (Log{"N", "B", "A"}));
    }
}

TEST_F(QrActionTest, ActionAddedByALaterActionRunsNextFrame)
{
    Add("A");
    bool added = false;
    Add("B",
        [&]
        {
            if (!added)
                Add("N");
            added = true;
            return true;
        });
    Add("C");
    EXPECT_EQ(Frame(), (Log{"C", "B", "A"}));
    EXPECT_EQ(Frame(), (Log{"N", "C", "B", "A"}));
}

TEST_F(QrActionTest, ActionClearingTheListEndsTheWaitingOnesThisFrame)
{
    QrPointer<QrTestLogAction> a(Add("A"));
    Add("B",
        [&]
        {
            QrAction::RemoveAll();
            // Put back during the frame: it waits for the next one.
            QrAction::AddAction(a.Get());
            return false;
        });
    Add("C");
    const Log first = Frame();
    EXPECT_EQ(std::count(first.begin(), first.end(), "A"), 0) << "A was taken off before its turn";
    EXPECT_EQ(std::count(first.begin(), first.end(), "~B"), 1);
    EXPECT_EQ(std::count(first.begin(), first.end(), "~C"), 1);
    EXPECT_LT(std::find(first.begin(), first.end(), "B"), std::find(first.begin(), first.end(), "~B"));
    EXPECT_EQ(QrAction::GetActionCount(), 1u);
    EXPECT_EQ(Frame(), (Log{"A"}));
}

TEST_F(QrActionTest, ActionEndingAnotherBeforeItsTurnKeepsItsOwnCall)
{
    // C ends itself and clears the rest while it is the one running.
    Add("A");
    Add("B");
    Add("C",
        []
        {
            QrAction::RemoveAll();
            return false;
        });
    // The waiting ones go at once, the running one after its call returned.
    EXPECT_EQ(Frame(), (Log{"C", "~B", "~A", "~C"}));
    EXPECT_EQ(QrAction::GetActionCount(), 0u);
}

TEST_F(QrActionTest, AddingARunningActionAgainKeepsOneEntry)
{
    QrPointer<QrTestLogAction> a(Add("A"));
    QrAction::AddAction(a.Get());
    QrAction::AddAction(nullptr);
    EXPECT_EQ(QrAction::GetActionCount(), 1u);
    EXPECT_EQ(a->GetRefCount(), 2u);
    EXPECT_EQ(Frame(), (Log{"A"}));
}

TEST_F(QrActionTest, UpdateAllFromInsideAnUpdateDoesNothing)
{
    Add("A");
    Add("B",
        []
        {
            QrAction::UpdateAll(0.0, 0.0);
            return true;
        });
    EXPECT_EQ(Frame(), (Log{"B", "A"}));
}

// ---------------------------------------------------------------- saved with scene files

std::vector<uint8_t> SaveRunningActions()
{
    std::vector<uint8_t> bytes;
    QrStream stream;
    EXPECT_TRUE(stream.SaveToMemory(bytes));
    return bytes;
}

TEST_F(QrActionTest, SavedActionsRunAgainInTheirSavedOrder)
{
    Add("A");
    Add("B");
    const std::vector<uint8_t> bytes = SaveRunningActions();
    QrAction::RemoveAll();
    ASSERT_EQ(QrAction::GetActionCount(), 0u);

    {
        QrStream stream;
        ASSERT_TRUE(stream.LoadFromMemory(bytes.data(), bytes.size())) << QrStream::LastErrorContext;
        EXPECT_EQ(stream.GetLoadedCount(), 2u);
        EXPECT_EQ(stream.GetTopLevelCount(), 0u) << "actions are not top-level objects";
    }
    EXPECT_EQ(QrAction::GetActionCount(), 2u) << "the list keeps them after the stream is gone";
    EXPECT_EQ(Frame(), (Log{"B", "A"}));

    // And saving them again gives the same file.
    EXPECT_EQ(SaveRunningActions(), bytes);
}

TEST_F(QrActionTest, LoadThatFailsStartsNoAction)
{
    Add("A");
    Add("B");
    const std::vector<uint8_t> bytes = SaveRunningActions();
    QrAction::RemoveAll();
    const uint32_t live = QrObject::GetLiveCount();
    for (size_t length = 0; length < bytes.size(); ++length)
    {
        {
            QrStream stream;
            EXPECT_FALSE(stream.LoadFromMemory(bytes.data(), length)) << length;
        }
        ASSERT_EQ(QrAction::GetActionCount(), 0u) << "prefix of " << length << " bytes";
        ASSERT_EQ(QrObject::GetLiveCount(), live) << "prefix of " << length << " bytes";
    }
}

} // namespace
