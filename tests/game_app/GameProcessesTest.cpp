// What the multi-copy scenarios stand on: the port leases (one holder per port while held, and no
// lock file left behind) and the wait's rule for a hang.

#include "GameProcesses.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <memory>
#include <string>

namespace
{

bool Exists(const std::string& path)
{
    struct stat info = {};
    return stat(path.c_str(), &info) == 0;
}

// A lease asked for a port another lease holds gets another one; the held port's file is there
// while it is held and gone once its lease ends.
TEST(LoopbackPortLeaseTest, APortHasOneLeaseAndItsFileGoesWithIt)
{
    auto first = std::make_unique<LoopbackPortLease>();
    ASSERT_NE(first->Port(), 0);
    const std::string path = LoopbackPortLease::LockPath(first->Port());
    EXPECT_TRUE(Exists(path));
    {
        const LoopbackPortLease second(first->Port());
        ASSERT_NE(second.Port(), 0);
        EXPECT_NE(second.Port(), first->Port());
    }
    first.reset();
    EXPECT_FALSE(Exists(path)) << path;
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

// The wait's rule for a hang, on digests the test writes itself, with a limit of a second.
class MultiCopyScenarioWaitTest : public MultiCopyScenario
{
protected:
    std::vector<std::string> Evidence() const override { return {}; }
    void SetUp() override
    {
        MultiCopyScenario::SetUp();
        m_stallLimit = std::chrono::seconds(1);
        Watch("host");
        Watch("guest");
        Write("host", 7);
        Write("guest", 3);
    }
    void Write(const std::string& who, int frame) const
    {
        std::ofstream(DigestPath(who)) << "screen 19\nframes " << frame << "\n";
    }
    // Runs a wait that is done once `until` has passed; the failures it reported.
    std::vector<std::string> Failures(std::chrono::steady_clock::duration until, const std::function<void()>& look)
    {
        const auto end = std::chrono::steady_clock::now() + until;
        ::testing::TestPartResultArray results;
        {
            ::testing::ScopedFakeTestPartResultReporter reporter(
                ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &results);
            WaitFor(
                [&]
                {
                    look();
                    return std::chrono::steady_clock::now() >= end;
                });
        }
        std::vector<std::string> messages;
        for (int i = 0; i < results.size(); ++i)
            messages.push_back(results.GetTestPartResult(i).message());
        return messages;
    }
};

// One copy drawing frames keeps a wait going while the other stands; once neither moves, the wait
// fails, with each copy's frame, screen and digest.
TEST_F(MultiCopyScenarioWaitTest, AWaitFailsOnlyOnceNoCopyMoves)
{
    int frame = 7;
    EXPECT_EQ(Failures(std::chrono::seconds(3), [&] { Write("host", ++frame); }), std::vector<std::string>{});

    // The bound only ends the test should the rule never fire.
    const std::vector<std::string> failures = Failures(std::chrono::seconds(60), [] {});
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_NE(failures[0].find("no copy has moved"), std::string::npos) << failures[0];
    EXPECT_NE(failures[0].find("host: frame " + std::to_string(frame) + ", screen 19"), std::string::npos)
        << failures[0];
    EXPECT_NE(failures[0].find("guest: frame 3, screen 19"), std::string::npos) << failures[0];
}

} // namespace
