#include "tovSoundSettings.h"

#include "tovUserProfile.h"

#include <gtest/gtest.h>

namespace
{

class tovSoundSettingsTest : public ::testing::Test
{
protected:
    void SetUp() override { m_saved = TheUserProfile(); }
    void TearDown() override
    {
        SetSoundVolume1(1.0f);
        SetSoundVolume2(1.0f);
        TheUserProfile() = m_saved;
    }
    tovUserProfile m_saved;
};

TEST_F(tovSoundSettingsTest, StepsAndSetsClampAndGiveTheirAttenuations)
{
    struct Step
    {
        bool set;
        float value; // set: the level; step: the step count
        float level;
        int32_t attenuation;
    };
    const Step steps[] = {
        {true, 1.0f, 1.0f, 0},        {false, 3.0f, 1.0f, 0},      {false, -3.0f, 0.8f, -500},
        {false, -20.0f, 0.0f, -2500}, {false, -1.0f, 0.0f, -2500}, {false, 1.0f, 1.0f / 15.0f, -2333},
        {true, 0.5f, 0.5f, -1250},    {true, 1.7f, 1.0f, 0},       {true, -0.25f, 0.0f, -2500},
    };
    for (int which = 1; which <= 2; ++which)
    {
        for (const Step& s : steps)
        {
            SCOPED_TRACE(which * 1000 + s.value);
            if (which == 1)
                s.set ? void(SetSoundVolume1(s.value)) : StepSoundVolume1(static_cast<int32_t>(s.value));
            else
                s.set ? void(SetSoundVolume2(s.value)) : StepSoundVolume2(static_cast<int32_t>(s.value));
            const float level = which == 1 ? GetSoundVolume1() : GetSoundVolume2();
            EXPECT_NEAR(level, s.level, 1e-5f);
            EXPECT_EQ(which == 1 ? GetSoundAttenuation1() : GetSoundAttenuation2(), s.attenuation);
            // The profile keeps the level for the next start.
            EXPECT_EQ(which == 1 ? TheUserProfile().GetVolume1() : TheUserProfile().GetVolume2(), level);
        }
    }
}

TEST_F(tovSoundSettingsTest, LevelsAreApart)
{
    SetSoundVolume1(0.2f);
    SetSoundVolume2(0.6f);
    StepSoundVolume1(-1);
    EXPECT_NEAR(GetSoundVolume2(), 0.6f, 1e-6f);
    EXPECT_NEAR(GetSoundVolume1(), 0.2f - 1.0f / 15.0f, 1e-6f);
}

} // namespace
