// A copy that becomes host on the tournament set-up takes up the choice there: the arrows it held
// for the host come back to it, and only those (a season under way keeps its own held).

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

TEST_F(tovHostMoveSetUp, TheArrowsComeBackToACopyThatBecomesHost)
{
    using Setup = tovTournamentSetupIFace;
    const int32_t arrows[] = {Setup::kLakePrev,    Setup::kLakeNext, Setup::kDayLengthDown,
                              Setup::kDayLengthUp, Setup::kDaysDown, Setup::kDaysUp};
    SetNetworkLaunch(true);
    SwitchTo(kSetUpScreen);
    Frame();
    for (int32_t id : arrows)
        EXPECT_TRUE(Disabled(id)) << "a player's arrow while another hosts: " << id;
    m_net.m_host = true;
    Frame();
    for (int32_t id : arrows)
        EXPECT_FALSE(Disabled(id)) << "the new host's arrow: " << id;
    EXPECT_FALSE(Disabled(Setup::kAccept));
}

} // namespace
