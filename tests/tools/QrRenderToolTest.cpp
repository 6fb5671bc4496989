// The scene renderer as a user runs it: the frame it writes is what the window was shown.

#include "GoldenImage.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace
{

int RunTool(const std::string& arguments, std::string& output)
{
    const std::string command = std::string(QRRENDER_PATH) + " " + arguments + " 2>&1";
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return -1;
    for (int c; (c = std::fgetc(pipe)) != EOF;)
        output.push_back(static_cast<char>(c));
    const int raw = pclose(pipe);
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

TEST(QrRenderToolTest, EmptySceneFrameIsTheBackgroundColourEverywhere)
{
    testfiles::TempDir dir;
    const std::string out = dir.File("frame.png");
    std::string output;
    ASSERT_EQ(RunTool(testfiles::DataDir() + "/Data/Engine/lights.qrf --out " + out + " --background 1,0.5,0", output),
              0)
        << output;
    golden::RgbImage frame;
    ASSERT_TRUE(golden::ReadPng(out, frame));
    ASSERT_EQ(frame.width, 640u);
    ASSERT_EQ(frame.height, 480u);
    // 0.5 x 255 truncates to 127, which RGB565 keeps as 6 bits (124) and widens to 125.
    for (size_t i = 0; i < frame.rgb.size(); i += 3)
    {
        ASSERT_EQ(frame.rgb[i], 255) << i / 3;
        ASSERT_EQ(frame.rgb[i + 1], 125) << i / 3;
        ASSERT_EQ(frame.rgb[i + 2], 0) << i / 3;
    }
}

TEST(QrRenderToolTest, LitSampleSceneThroughItsOwnCamera)
{
    // Textured ground and crate under four kinds of light and fog, a colour-keyed fence and a
    // glass box blended over the rest.
    testfiles::TempDir dir;
    const std::string out = dir.File("lit.png");
    std::string output;
    ASSERT_EQ(
        RunTool(testfiles::DataDir() + "/Data/Engine/Render/lit_scene.qrf --out " + out + " --background 0.55,0.6,0.7",
                output),
        0)
        << output;
    golden::RgbImage frame;
    ASSERT_TRUE(golden::ReadPng(out, frame));
    EXPECT_TRUE(golden::MatchesGoldenImage("render_lit_scene.png", frame));
}

TEST(QrRenderToolTest, BadBackgroundIsAUsageError)
{
    std::string output;
    EXPECT_EQ(RunTool("scene.qrf --out x.png --background 1,2", output), 64);
    EXPECT_NE(output.find("usage"), std::string::npos);
}

} // namespace
