// Animated textures: which numbered frames load (and in which order), and which frame shows
// after each step with and without frame skipping.
#include "qrxAnimatedTextureProperty.h"

#include "FrameworkTestImages.h"
#include "TestFiles.h"
#include "gen/GenFrameworkModels.h"

#include "Files.h"

#include <string>
#include <vector>

namespace
{

class qrxAnimatedTexturePropertyTest : public FrameworkImageTest
{
protected:
    // The file names of the frames, in frame order.
    static std::vector<std::string> FrameFiles(qrxAnimatedTextureProperty& texture)
    {
        std::vector<std::string> names;
        for (uint32_t i = 0; i < texture.GetImageCount(); ++i)
        {
            const std::string path = texture.GetImage(i)->GetFileName();
            names.push_back(path.substr(path.find_last_of('/') + 1));
        }
        return names;
    }

    QrPointer<qrxAnimatedTextureProperty> Frames(const std::vector<std::string>& present, int first, int last, int step)
    {
        for (const std::string& name : present)
            EXPECT_TRUE(plat::WriteFile(m_dir.File(name), "BM", 2));
        QrPointer<qrxAnimatedTextureProperty> texture(new qrxAnimatedTextureProperty);
        texture->MakeFrameFormat(first, last, step, 2);
        texture->SetFrames(m_dir.File("water.bmp").c_str(), true);
        return texture;
    }

    testfiles::TempDir m_dir;
};

TEST_F(qrxAnimatedTexturePropertyTest, NumberedFramesLoadInOrderAndMissingOnesDropOut)
{
    QrPointer<qrxAnimatedTextureProperty> stepped =
        Frames({"water.bmp", "water01.bmp", "water04.bmp", "water10.bmp", "water02.bmp"}, 1, 10, 3);
    EXPECT_EQ(FrameFiles(*stepped), (std::vector<std::string>{"water01.bmp", "water04.bmp", "water10.bmp"}));
    EXPECT_EQ(stepped->GetFrameCount(), 3);
    EXPECT_EQ(stepped->GetCurrentIndex(), 0);
    EXPECT_FLOAT_EQ(stepped->GetFrameInterval(), 1.0f / 3.0f) << "the one-second cycle spread over the frames";
    EXPECT_EQ(stepped->GetFrameFormat(), "%s%02d");

    QrPointer<qrxAnimatedTextureProperty> noFirst = Frames({}, 0, 10, 3);
    EXPECT_EQ(FrameFiles(*noFirst), (std::vector<std::string>{"water.bmp"}));
    EXPECT_EQ(noFirst->GetFrameCount(), 1);

    QrPointer<qrxAnimatedTextureProperty> nothing(new qrxAnimatedTextureProperty);
    nothing->SetFrames(m_dir.File("missing.bmp").c_str(), true);
    EXPECT_EQ(nothing->GetFrameCount(), 0);
    nothing->Update(0.0, 5.0);
    EXPECT_EQ(nothing->GetCurrentIndex(), 0);

    QrPointer<qrxAnimatedTextureProperty> skin(new qrxAnimatedTextureProperty);
    skin->MakeFrameFormat(0, gen::kBassSkinFrames - 1, 1, 2);
    skin->SetFrames((testfiles::DataDir() + "/" + gen::kBassSkinFile).c_str(), true);
    EXPECT_EQ(skin->GetFrameCount(), gen::kBassSkinFrames);
}

TEST_F(qrxAnimatedTexturePropertyTest, FrameChoiceWithAndWithoutSkipping)
{
    const struct
    {
        bool skipping;
        std::vector<double> steps;
        std::vector<int32_t> frames;
    } cases[] = {
        // An eighth of a second per frame; time gathers until a frame's interval is reached.
        {false, {0.1, 0.05, 0.125, 2.0, 0.0}, {0, 1, 2, 3, 3}},
        {true, {0.1, 0.05, 0.125, 2.0, 0.0}, {0, 1, 2, 2, 2}},
        {true, {0.875, 0.125}, {7, 0}},
        {true, {0.2, 0.1875}, {1, 2}}, // whole frames only: 1.6 and 1.5 frames step one each
        {false, {0.875, 0.125}, {1, 2}},
    };
    for (const auto& c : cases)
    {
        QrPointer<qrxAnimatedTextureProperty> texture(new qrxAnimatedTextureProperty);
        texture->MakeFrameFormat(0, gen::kBassSkinFrames - 1, 1, 2);
        texture->SetFrames((testfiles::DataDir() + "/" + gen::kBassSkinFile).c_str(), true);
        texture->SetFrameSkipping(c.skipping);
        ASSERT_FLOAT_EQ(texture->GetFrameInterval(), 0.125f);
        std::vector<int32_t> frames;
        for (double elapsed : c.steps)
        {
            texture->Update(0.0, elapsed);
            frames.push_back(texture->GetCurrentIndex());
        }
        EXPECT_EQ(frames, c.frames) << "skipping " << c.skipping << ", first step " << c.steps[0];
    }
}

TEST_F(qrxAnimatedTexturePropertyTest, ADirectIntervalSurvivesAReloadAndAStoppedTextureHolds)
{
    QrPointer<qrxAnimatedTextureProperty> texture = Frames({"water00.bmp", "water01.bmp"}, 0, 1, 1);
    texture->SetFrameInterval(0.2f);
    texture->LoadFrames();
    EXPECT_FLOAT_EQ(texture->GetFrameInterval(), 0.2f);
    texture->SetRunning(0);
    texture->Update(0.0, 1.0);
    EXPECT_EQ(texture->GetCurrentIndex(), 0);
}

} // namespace
