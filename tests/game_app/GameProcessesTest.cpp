// What the multi-copy scenarios stand on: the port leases (one holder per port while held, and no
// lock file left behind) and the wait's rule for a hang.

#include "GameProcesses.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace
{

bool Exists(const std::string& path)
{
    struct stat info = {};
    return stat(path.c_str(), &info) == 0;
}

// A lease asked for a port another lease holds, its own or one of its joiners', gets ports apart
// from it; the held ports' files are there while they are held and gone once their lease ends.
TEST(LoopbackPortLeaseTest, APortHasOneLeaseAndItsFileGoesWithIt)
{
    auto first = std::make_unique<LoopbackPortLease>();
    ASSERT_NE(first->Port(), 0);
    const int span = LoopbackPortLease::kSpan;
    const std::string path = LoopbackPortLease::LockPath(first->Port());
    const std::string last = LoopbackPortLease::LockPath(static_cast<uint16_t>(first->Port() + span - 1));
    EXPECT_TRUE(Exists(path));
    EXPECT_TRUE(Exists(last));
    for (const int asked : {0, span - 1, 1 - span})
    {
        const LoopbackPortLease second(static_cast<uint16_t>(first->Port() + asked));
        ASSERT_NE(second.Port(), 0);
        EXPECT_GE(std::abs(second.Port() - first->Port()), span) << "asked " << asked;
    }
    first.reset();
    EXPECT_FALSE(Exists(path)) << path;
    EXPECT_FALSE(Exists(last)) << last;
}

// Opened while another lease held the port and locked once it had ended: the file locked is no
// longer the one its name gives, so it is refused, and the next open takes a fresh file.
TEST(LoopbackPortLeaseTest, ALockTakenAfterTheHolderRemovedItsFileIsRefused)
{
    auto holder = std::make_unique<LoopbackPortLease>();
    ASSERT_NE(holder->Port(), 0);
    const std::string path = LoopbackPortLease::LockPath(holder->Port());
    const int early = open(path.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(early, 0);
    EXPECT_FALSE(LoopbackPortLease::LockedAndStillNamed(early, path)) << "taken while the holder holds it";
    holder.reset();
    EXPECT_FALSE(LoopbackPortLease::LockedAndStillNamed(early, path)) << "the holder's removed file";
    close(early);

    const int fresh = LoopbackPortLease::LockFile(path);
    ASSERT_GE(fresh, 0);
    EXPECT_TRUE(Exists(path));
    unlink(path.c_str());
    close(fresh);
}

// A line that changes once a minute on the copy waited on, the lines the wait names, and whether
// that change is movement.
struct Movement
{
    const char* line;
    std::vector<std::string> named;
    bool moves;
};

void PrintTo(const Movement& row, std::ostream* out)
{
    *out << row.line << (row.named.empty() ? "" : ", named") << (row.moves ? ": moves" : ": stands");
}

// The wait's rule for a hang, on digests the test writes itself and on a clock of its own: the
// watch's rest between looks moves that clock on, so two minutes of standing take no real time.
class MultiCopyScenarioWaitTest : public MultiCopyScenario, public ::testing::WithParamInterface<Movement>
{
protected:
    std::vector<std::string> Evidence() const override { return {}; }
    void SetUp() override
    {
        MultiCopyScenario::SetUp();
        m_deadline = std::chrono::steady_clock::time_point::max();
        m_now = [this] { return m_time; };
        m_rest = [this](std::chrono::milliseconds rest) { m_time += rest; };
        Watch("host");
        Watch("guest");
        Write("host", {});
        Write("guest", {});
    }
    // A copy's digest: a state standing on the day's start screen with any lines of `changed` in
    // place of its own, and a new frame at every write, as a copy draws them.
    void Write(const std::string& who, const std::map<std::string, std::string>& changed)
    {
        std::map<std::string, std::string> lines = {{"screen", "19"},     {"session.day", "1"},
                                                    {"net.phase", "2"},   {"clock.game_seconds", "0.000"},
                                                    {"net.players", "2"}, {"boat.position", "1.0 2.0 3.0"}};
        for (const auto& [name, value] : changed)
            lines[name] = value;
        lines["frames"] = std::to_string(++m_frames[who]);
        std::ofstream out(DigestPath(who));
        for (const auto& [name, value] : lines)
            out << name << " " << value << "\n";
    }
    struct Outcome
    {
        std::vector<std::string> failures;
        // How long the wait ran on the test's clock.
        std::chrono::seconds ran;
    };
    // Waits on `who` (or, without it, on nothing but `look`'s own end) until `until` has passed on
    // the test's clock, `look` run once a second of it (the watch looks that often); what it
    // reported and how long it ran. The bound ends the wait should the rule never fire.
    Outcome Wait(const char* who, std::chrono::seconds until, const std::function<void()>& look,
                 const std::vector<std::string>& lines = {})
    {
        const auto start = m_time;
        auto looked = start - std::chrono::seconds(1);
        ::testing::TestPartResultArray results;
        {
            ::testing::ScopedFakeTestPartResultReporter reporter(
                ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &results);
            const auto over = [&]
            {
                if (m_time - looked >= std::chrono::seconds(1))
                {
                    looked = m_time;
                    look();
                }
                return m_time - start >= until;
            };
            if (who != nullptr)
                WaitForDigestWhile(
                    who, [] { return true; }, [&](const Digest&) { return over(); }, nullptr, lines);
            else
                WaitFor(over);
        }
        Outcome outcome{{}, std::chrono::duration_cast<std::chrono::seconds>(m_time - start)};
        for (int i = 0; i < results.size(); ++i)
            outcome.failures.push_back(results.GetTestPartResult(i).message());
        return outcome;
    }

    std::chrono::steady_clock::time_point m_time{std::chrono::hours(1)};
    std::map<std::string, int> m_frames;
};

// A copy moves when its screen, day, phase or game clock changes, or a line the wait names; its
// frames, and a line nobody waits on, move nothing. The copy waited on changes one line a minute
// while both draw frames at every look: the wait fails after two minutes exactly when that line
// is no movement.
TEST_P(MultiCopyScenarioWaitTest, OnlyTheStateMovesACopyNeverAFrameAlone)
{
    const Movement& row = GetParam();
    const auto start = m_time;
    const Outcome outcome = Wait(
        "host", std::chrono::seconds(300),
        [&]
        {
            const auto minutes = std::chrono::duration_cast<std::chrono::minutes>(m_time - start).count();
            Write("host", {{row.line, std::to_string(minutes)}});
            Write("guest", {});
        },
        row.named);
    if (row.moves)
    {
        EXPECT_EQ(outcome.failures, std::vector<std::string>{});
        EXPECT_EQ(outcome.ran.count(), 300);
        return;
    }
    ASSERT_EQ(outcome.failures.size(), 1u);
    const std::string& failure = outcome.failures[0];
    EXPECT_NE(failure.find("the copy waited on has stood still"), std::string::npos) << failure;
    // Told at the first look after the limit, each copy's last digest with it.
    EXPECT_GE(outcome.ran.count(), 120);
    EXPECT_LE(outcome.ran.count(), 122);
    EXPECT_NE(failure.find("==== guest: frame "), std::string::npos) << failure;
    EXPECT_NE(failure.find("boat.position 1.0 2.0 3.0"), std::string::npos) << failure;
}

INSTANTIATE_TEST_SUITE_P(Lines, MultiCopyScenarioWaitTest,
                         ::testing::Values(Movement{"frames", {}, false}, Movement{"screen", {}, true},
                                           Movement{"session.day", {}, true}, Movement{"net.phase", {}, true},
                                           Movement{"clock.game_seconds", {}, true},
                                           Movement{"net.players", {"net.players"}, true},
                                           Movement{"net.players", {}, false},
                                           Movement{"boat.position", {"net.players"}, false}),
                         [](const ::testing::TestParamInfo<Movement>& row)
                         {
                             std::string name = std::to_string(row.index) + "_" + row.param.line;
                             std::replace(name.begin(), name.end(), '.', '_');
                             return name + (row.param.named.empty() ? "" : "_named");
                         });

// A copy that stood before the wait on it began (held by a peer the test has only now let go)
// has two whole minutes from the wait's start, not what was left of them.
TEST_F(MultiCopyScenarioWaitTest, ACopyThatStoodBeforeTheWaitHasTheWholeLimit)
{
    // The host stands five minutes while the guest's clock runs.
    int second = 0;
    EXPECT_EQ(Wait("guest", std::chrono::seconds(300),
                   [&] {
                       Write("guest", {{"clock.game_seconds", std::to_string(++second)}});
                   })
                  .failures,
              std::vector<std::string>{});
    const Outcome outcome = Wait("host", std::chrono::seconds(600), [] {});
    ASSERT_EQ(outcome.failures.size(), 1u);
    EXPECT_GE(outcome.ran.count(), 120);
    EXPECT_LE(outcome.ran.count(), 122);
}

// A wait on one copy goes on while it moves, however long another stands; once no copy moves, a
// wait on none of them fails, with each copy's frame, screen and digest.
TEST_F(MultiCopyScenarioWaitTest, AWaitFailsOnTheCopyItWaitsOnOrOnceNoCopyMoves)
{
    int second = 0;
    const auto hostClock = [&] { Write("host", {{"clock.game_seconds", std::to_string(++second)}}); };
    EXPECT_EQ(Wait("host", std::chrono::seconds(300), hostClock).failures, std::vector<std::string>{});
    EXPECT_EQ(Wait(nullptr, std::chrono::seconds(300), hostClock).failures, std::vector<std::string>{});

    const Outcome outcome = Wait(nullptr, std::chrono::seconds(600), [] {});
    ASSERT_EQ(outcome.failures.size(), 1u);
    EXPECT_GE(outcome.ran.count(), 120);
    EXPECT_LE(outcome.ran.count(), 122);
    const std::string& failure = outcome.failures[0];
    EXPECT_NE(failure.find("no copy has moved"), std::string::npos) << failure;
    EXPECT_NE(failure.find("==== host: frame " + std::to_string(m_frames["host"]) + ", screen 19"), std::string::npos)
        << failure;
    EXPECT_NE(failure.find("==== guest: frame 1, screen 19"), std::string::npos) << failure;
    EXPECT_NE(failure.find("clock.game_seconds " + std::to_string(second)), std::string::npos) << failure;
}

} // namespace
