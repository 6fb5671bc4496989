#include "DebugOutput.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

TEST(DebugOutput, DefaultSinkWritesWholeLinesToStderr)
{
    ASSERT_NE(dynamic_cast<plat::StderrDebugSink*>(&plat::GetDebugSink()), nullptr);
    testing::internal::CaptureStderr();
    plat::DebugOutput("node moved to a new parent");
    plat::DebugOutput("already ended\n");
    plat::DebugOutput(nullptr);
    plat::DebugOutput("");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "node moved to a new parent\nalready ended\n\n");
}

TEST(DebugOutput, InstalledRecorderCapturesLinesUntilRemoved)
{
    plat::RecordingDebugSink recorder;
    plat::SetDebugSink(&recorder);
    testing::internal::CaptureStderr();
    plat::DebugOutput("first");
    plat::DebugOutput("second\n");
    plat::DebugOutput(nullptr);
    plat::SetDebugSink(nullptr);
    plat::DebugOutput("after");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "after\n");
    EXPECT_EQ(recorder.Lines(), (std::vector<std::string>{"first", "second\n"}));
    recorder.Clear();
    EXPECT_TRUE(recorder.Lines().empty());
}

TEST(DebugOutput, RecorderKeepsEveryLineFromConcurrentWriters)
{
    plat::RecordingDebugSink recorder;
    plat::SetDebugSink(&recorder);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back(
            []
            {
                for (int i = 0; i < 250; ++i)
                    plat::DebugOutput("line");
            });
    for (std::thread& t : threads)
        t.join();
    plat::SetDebugSink(nullptr);
    EXPECT_EQ(recorder.Lines().size(), 1000u);
}
