// A joiner's arrows on the tournament set-up are held for the host on each of its visits; a copy
// that becomes host there takes up the choice: the arrows it held for the host come back to it,
// and only those (a season under way keeps its own held).

#include "ButtonObj.h"
#include "NetScreensFixture.h"
#include "TestFiles.h"
#include "tovInstallSettings.h"
#include "tovLakeCatalogue.h"
#include "tovNetFacade.h"
#include "tovTournamentSetupIFace.h"

#include <gtest/gtest.h>

namespace
{

constexpr int32_t kSetUpScreen = 4;
constexpr int32_t kMainMenuScreen = 8;

class tovHostMoveSetUp : public NetScreensTest
{
protected:
    // The sample lakes, to step through.
    void SetUp() override
    {
        SetInstallRoot(testfiles::DataDir());
        TheLakeCatalogue().Clear();
        NetScreensTest::SetUp();
    }
    void TearDown() override
    {
        NetScreensTest::TearDown();
        TheLakeCatalogue().Clear();
        SetInstallRoot("");
    }
    void AddMoreScreens() override
    {
        NetScreensTest::AddMoreScreens();
        m_app->AddInterface(new tovTournamentSetupIFace, kSetUpScreen);
    }
    bool Disabled(int32_t id) { return m_app->GetInterface(kSetUpScreen)->GetButton(id)->m_disabled != 0; }
};

// Each step, in order, on one set-up screen: a joiner's arrows are held on every visit (arrows held
// on the last visit would otherwise pass as already held and stay live), and come back to it once
// it hosts.
TEST_F(tovHostMoveSetUp, TheArrowsAreHeldOnEveryJoinersVisitAndComeBackToACopyThatBecomesHost)
{
    using Setup = tovTournamentSetupIFace;
    const int32_t arrows[] = {Setup::kLakePrev,    Setup::kLakeNext, Setup::kDayLengthDown,
                              Setup::kDayLengthUp, Setup::kDaysDown, Setup::kDaysUp};
    const struct
    {
        const char* name;
        // The set-up is entered anew from the main menu.
        bool visit;
        bool host;
    } steps[] = {
        {"a joiner's visit", true, false},
        {"the joiner's next game's visit", true, false},
        {"the joiner becomes host there", false, true},
    };
    SetNetworkLaunch(true);
    for (const auto& step : steps)
    {
        SCOPED_TRACE(step.name);
        if (step.visit)
        {
            SwitchTo(kMainMenuScreen);
            SwitchTo(kSetUpScreen);
        }
        m_net.m_host = step.host;
        Frame();
        for (int32_t id : arrows)
            EXPECT_EQ(Disabled(id), !step.host) << id;
    }
    EXPECT_FALSE(Disabled(Setup::kAccept));
}

} // namespace
