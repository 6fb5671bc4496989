// The scene renderer as a user runs it: the frame it writes is what the window was shown, and
// with the defaults every sample scene that holds shapes shows them.

#include "GccWarnings.h"
#include "GoldenImage.h"
#include "TestFiles.h"
#include "ToolRun.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

namespace
{

toolrun::Result Render(const std::string& arguments)
{
    return toolrun::Run(QRRENDER_PATH, arguments);
}

std::string Sample(const std::string& name)
{
    return testfiles::DataDir() + "/Data/Engine/" + name;
}

// Pixels that differ from the one in the top-left corner.
size_t CountDrawn(const golden::RgbImage& frame)
{
    size_t drawn = 0;
    for (size_t i = 0; i < frame.rgb.size(); i += 3)
        drawn += frame.rgb[i] != frame.rgb[0] || frame.rgb[i + 1] != frame.rgb[1] || frame.rgb[i + 2] != frame.rgb[2];
    return drawn;
}

TEST(QrRenderToolTest, EmptySceneFrameIsTheBackgroundColourEverywhere)
{
    testfiles::TempDir dir;
    const std::string out = dir.File("frame.png");
    const toolrun::Result r = Render(Sample("lights.qrf") + " --out " + out + " --background 1,0.5,0");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("nothing was drawn"), std::string::npos) << r.err;
    golden::RgbImage frame;
    ASSERT_TRUE(golden::ReadPng(out, frame));
    ASSERT_EQ(frame.width, 640u);
    ASSERT_EQ(frame.height, 480u);
    // 0.5 x 255 truncates to 127, which RGB565 keeps as 6 bits (124) and widens to 125.
    ASSERT_EQ(CountDrawn(frame), 0u);
    EXPECT_EQ(frame.rgb[0], 255);
    EXPECT_EQ(frame.rgb[1], 125);
    EXPECT_EQ(frame.rgb[2], 0);
}

TEST(QrRenderToolTest, LitSampleSceneThroughItsOwnCamera)
{
    // Textured ground and crate under four kinds of light and fog, a colour-keyed fence and a
    // glass box blended over the rest.
    testfiles::TempDir dir;
    const std::string out = dir.File("lit.png");
    const toolrun::Result r = Render(Sample("Render/lit_scene.qrf") + " --out " + out + " --background 0.55,0.6,0.7");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "") << "the file has its own lights";
    golden::RgbImage frame;
    ASSERT_TRUE(golden::ReadPng(out, frame));
    EXPECT_TRUE(golden::MatchesGoldenImage("render_lit_scene.png", frame));
}

TEST(QrRenderToolTest, EverySampleWithShapesShowsThemWithTheDefaults)
{
    // Files the engine draws nothing of: lines are stored, never drawn; terrain pages are
    // built from height files at run time; the dart is a clip of keys for the bass's nodes;
    // the rest hold no shapes.
    const std::set<std::string> nothingDrawn = {
        "Engine/Geometry/lines.qrf", "Engine/Terrain/block.qrf",   "Engine/Images/raw_indexed.qrf",
        "Engine/Images/raw_rgb.qrf", "Engine/Images/raw_rgba.qrf", "Engine/lights.qrf",
        "Engine/properties.qrf",     "Engine/users.qrf",           "Framework/Bass/bass_dart.qrf"};
    const std::set<std::string> ownLights = {"Engine/Render/large_scene.qrf", "Engine/Render/lit_scene.qrf",
                                             "Engine/kitchen_sink.qrf", "Engine/scenegraph.qrf",
                                             "Framework/Bass/bass.qrf"};
    const std::filesystem::path root = testfiles::DataDir() + "/Data";
    testfiles::TempDir dir;
    const std::string out = dir.File("frame.png");
    size_t files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root))
    {
        if (entry.path().extension() != ".qrf")
            continue;
        ++files;
        const std::string name = entry.path().lexically_relative(root).generic_string();
        SCOPED_TRACE(name);
        const toolrun::Result r = Render(entry.path().string() + " --out " + out);
        ASSERT_EQ(r.status, 0) << r.err;
        const bool drawn = !nothingDrawn.contains(name);
        EXPECT_EQ(r.err.find("nothing was drawn") == std::string::npos, drawn) << r.err;
        if (!drawn)
            continue;
        EXPECT_EQ(r.err.find("added a headlight") == std::string::npos, ownLights.contains(name)) << r.err;
        golden::RgbImage frame;
        ASSERT_TRUE(golden::ReadPng(out, frame));
        // Visible: more than a speck of the frame.
        EXPECT_GT(CountDrawn(frame), frame.rgb.size() / 3 / 100);
    }
    EXPECT_GE(files, 36u);
}

TEST(QrRenderToolTest, TimeRunsTheAnimationsBeforeTheFrame)
{
    // The fountain has no drops in the air at 0; the fade is opaque at 0 and half gone at 1.
    testfiles::TempDir dir;
    for (const char* file : {"Animation/fountain.qrf", "Animation/alpha_fade.qrf", "Animation/skinned_model.qrf"})
    {
        SCOPED_TRACE(file);
        golden::RgbImage frames[2];
        for (int i = 0; i < 2; ++i)
        {
            // GCC 12 at -O3 takes the inlined string copy here for one past its object: it is not.
            QR_GCC_STRING_BOUNDS_OFF
            const std::string out = dir.File("t" + std::to_string(i) + ".png");
            QR_GCC_STRING_BOUNDS_ON
            const toolrun::Result r = Render(Sample(file) + " --out " + out + (i == 0 ? " --time 0" : ""));
            ASSERT_EQ(r.status, 0) << r.err;
            ASSERT_TRUE(golden::ReadPng(out, frames[i]));
        }
        EXPECT_NE(frames[0].rgb, frames[1].rgb) << "the default time shows the motion";
    }
}

TEST(QrRenderToolTest, SizeSetsTheFrameAndBadValuesAreUsageErrors)
{
    testfiles::TempDir dir;
    const std::string out = dir.File("small.png");
    ASSERT_EQ(Render(Sample("shapes.qrf") + " --out " + out + " --size 320x200").status, 0);
    golden::RgbImage frame;
    ASSERT_TRUE(golden::ReadPng(out, frame));
    EXPECT_EQ(frame.width, 320u);
    EXPECT_EQ(frame.height, 200u);
    EXPECT_GT(CountDrawn(frame), 0u);

    for (const char* bad : {"--size 8x8", "--size 5000x10", "--size 64x", "--time -1", "--time 601", "--time soon",
                            "--time nan", "--background 1,2", "--background 1,0,2", "--background 1,0,0,0"})
    {
        const toolrun::Result r = Render(Sample("shapes.qrf") + " --out " + out + " " + bad);
        EXPECT_EQ(r.status, 2) << bad;
        EXPECT_NE(r.err.find("usage"), std::string::npos) << bad;
    }
}

} // namespace
