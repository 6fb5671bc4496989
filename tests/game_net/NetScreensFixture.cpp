#include "NetScreensFixture.h"

#include "tovChatIFace.h"
#include "tovChatPanel.h"
#include "tovDayStartIFace.h"
#include "tovNetFacade.h"

#include <cstring>

bool ScriptedSession::GetPlayerName(int32_t slot, char* buffer, size_t n)
{
    if (slot < 0 || slot >= 5 || m_names[static_cast<size_t>(slot)].empty())
        return false;
    std::strncpy(buffer, m_names[static_cast<size_t>(slot)].c_str(), n);
    return true;
}

void ScriptedSession::SendChatText(const char* text, bool noLocalEcho, const tovAnglerRigBase* rig)
{
    if (!noLocalEcho && rig == nullptr)
        m_sent.emplace_back(text);
}

bool ScriptedSession::GetRigBoatState(const tovBoat*, tovBoatState& out, double& age)
{
    if (m_boatStates.empty())
        return false;
    out = m_boatStates.front();
    m_boatStates.erase(m_boatStates.begin());
    age = 0.0;
    return true;
}

bool ScriptedSession::GetRigPlayerState(const tovAnglerRigBase*, tovPlayerState& out)
{
    if (m_playerStates.empty())
        return false;
    out.CopyPlayerState(m_playerStates.front());
    m_playerStates.erase(m_playerStates.begin());
    return true;
}

void NetScreensTest::SetUp()
{
    SetNetworkPlay(&m_net);
    ShellScreenTest::SetUp();
    // Each test begins a new game's set-up: no final or day left by an earlier test.
    NetResetPlayers(0);
    m_net.m_localPhases.clear();
}

void NetScreensTest::TearDown()
{
    LowerChatPanel();
    ShellScreenTest::TearDown();
    SetNetworkLaunch(false);
    SetNetworkPlay(nullptr);
}

void NetScreensTest::AddMoreScreens()
{
    m_app->AddInterface(new tovChatIFace, 18);
    m_app->AddInterface(new tovDayStartIFace, 19);
    // The help picture, to look aside from a screen and come back.
    m_app->AddInterface(new StandInScreen, 22);
}
