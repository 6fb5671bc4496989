#include "QrTestFixture.h"

#include "QrStream.h"
#include "QrStringExtraData.h"
#include "QrUser.h"
#include "QrUserAction.h"

#include "Files.h"

#include <functional>
#include <string>
#include <vector>

namespace
{

std::vector<std::string> g_calls;

// Answers events as told and logs each call as "name:event:a,b,c".
class TestUserAction : public QrUserAction
{
public:
    TestUserAction(const char* name, bool answer) : m_answer(answer) { SetName(name); }

    std::function<void(uint32_t)> m_onEvent;

    bool Update(double, double) override { return true; }
    bool HandleEvent(uint32_t eventId, uint32_t a, uint32_t b, uint32_t c) override
    {
        g_calls.push_back(std::string(GetName()) + ":" + std::to_string(eventId) + ":" + std::to_string(a) + "," +
                          std::to_string(b) + "," + std::to_string(c));
        if (m_onEvent)
            m_onEvent(eventId);
        return m_answer;
    }

protected:
    ~TestUserAction() override { g_calls.push_back(std::string("~") + GetName()); }

private:
    bool m_answer;
};

class QrUserTest : public QrEngineTest
{
protected:
    void SetUp() override
    {
        QrEngineTest::SetUp();
        g_calls.clear();
    }
};

TEST_F(QrUserTest, DispatchesOnlyEventsItListensTo)
{
    QrPointer<QrUser> user(new QrUser);
    user->AddEventId(3);
    user->AddEventId(7);
    user->AddUserAction(new TestUserAction("no", false));
    user->AddUserAction(new TestUserAction("yes", true));
    user->AddUserAction(nullptr);
    EXPECT_EQ(user->GetUserActionCount(), 2u);

    EXPECT_TRUE(user->HandleEvent(7, 1, 2, 3));
    EXPECT_EQ(g_calls, (std::vector<std::string>{"no:7:1,2,3", "yes:7:1,2,3"}));

    g_calls.clear();
    EXPECT_FALSE(user->HandleEvent(8, 1, 2, 3));
    EXPECT_TRUE(g_calls.empty()) << "no action is asked about an event the user ignores";

    QrPointer<QrUser> unanswered(new QrUser);
    unanswered->AddEventId(7);
    EXPECT_FALSE(unanswered->HandleEvent(7, 0, 0, 0)) << "no actions";
    unanswered->AddUserAction(new TestUserAction("other", false));
    EXPECT_FALSE(unanswered->HandleEvent(7, 0, 0, 0));
}

TEST_F(QrUserTest, EventPassedOnDuringDispatchDoesNotCutTheOuterWalkShort)
{
    QrPointer<QrUser> user(new QrUser);
    user->AddEventId(7);
    user->AddEventId(9);
    auto* first = new TestUserAction("x", false);
    first->m_onEvent = [&user](uint32_t id)
    {
        if (id == 7)
            user->HandleEvent(9, 0, 0, 0);
    };
    user->AddUserAction(first);
    user->AddUserAction(new TestUserAction("y", true));

    EXPECT_TRUE(user->HandleEvent(7, 0, 0, 0));
    EXPECT_EQ(g_calls, (std::vector<std::string>{"x:7:0,0,0", "x:9:0,0,0", "y:9:0,0,0", "y:7:0,0,0"}));
}

TEST_F(QrUserTest, DestructionReleasesActionsFrontToBack)
{
    QrPointer<TestUserAction> kept(new TestUserAction("kept", true));
    {
        QrPointer<QrUser> user(new QrUser);
        user->AddUserAction(new TestUserAction("first", true));
        user->AddUserAction(kept.Get());
        user->AddUserAction(new TestUserAction("last", true));
        EXPECT_EQ(kept->GetRefCount(), 2u);
    }
    EXPECT_EQ(g_calls, (std::vector<std::string>{"~first", "~last"}));
    EXPECT_EQ(kept->GetRefCount(), 1u);
}

TEST_F(QrUserTest, SavedUserKeepsNameAndExtraDataButNotItsLists)
{
    std::vector<uint8_t> bytes;
    {
        QrPointer<QrUser> user(new QrUser);
        user->SetName("Player");
        auto* note = new QrStringExtraData;
        note->SetString("seat: bow");
        user->AddExtraData(note);
        user->AddEventId(7);
        user->AddUserAction(new TestUserAction("a", true));
        QrStream stream;
        stream.InsertTopLevelObject(user.Get());
        ASSERT_TRUE(stream.SaveToMemory(bytes));
    }
    QrStream stream;
    ASSERT_TRUE(stream.LoadFromMemory(bytes.data(), bytes.size())) << QrStream::LastErrorContext;
    ASSERT_EQ(stream.GetTopLevelCount(), 1u);
    QrUser* loaded = QrDynamicCast<QrUser>(stream.GetTopLevelAt(0));
    ASSERT_NE(loaded, nullptr);
    EXPECT_STREQ(loaded->GetName(), "Player");
    auto* note = dynamic_cast<QrStringExtraData*>(loaded->GetExtraData());
    ASSERT_NE(note, nullptr);
    EXPECT_STREQ(note->GetString(), "seat: bow");
    EXPECT_EQ(loaded->GetUserActionCount(), 0u);
    EXPECT_FALSE(loaded->HandleEvent(7, 0, 0, 0));
}

} // namespace
