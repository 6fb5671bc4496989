#pragma once
// The shell fixture with the network screens in place and a scripted session standing in for
// the transport: its players' names, whether the day's phase is reached, and what was sent.

#include "ShellScreenFixture.h"

#include "tovNullNetworkPlay.h"
#include "tovPlayerState.h"

#include <array>
#include <string>
#include <vector>

class ScriptedSession : public tovNullNetworkPlay
{
public:
    bool IsSessionOpen() override { return m_open; }
    void Close() override { m_open = false; }
    bool GetPlayerName(int32_t slot, char* buffer, size_t n) override;
    bool SyncPhase(int32_t phase, bool) override { return phase == m_reachedPhase; }
    bool IsHost() override { return m_host; }
    bool IsEveryoneAtDayStart() override { return m_everyoneAtStart; }
    std::vector<int32_t> SlotsNotAtDayStart() override { return m_notAtStart; }
    // The phase last set, else the one the copy stood in before.
    int32_t GetLocalPhase() override { return m_localPhases.empty() ? m_phaseBefore : m_localPhases.back(); }
    HostGame GetHostGame() override { return m_hostGame; }
    uint16_t GetGameNumber() const override { return m_game; }
    void SetDay(int32_t day, bool) override { m_days.push_back(day); }
    void SetLocalPhase(int32_t phase) override { m_localPhases.push_back(phase); }
    void SendChatText(const char* text, bool noLocalEcho, const tovAnglerRigBase* rig) override;
    // Each queued record is delivered once, as a newly received one.
    bool GetRigBoatState(const tovBoat* boat, tovBoatState& out, double& age) override;
    bool GetRigPlayerState(const tovAnglerRigBase* rig, tovPlayerState& out) override;

    bool m_open = true;
    std::array<std::string, 5> m_names;
    int32_t m_reachedPhase = -1;
    bool m_host = false;
    bool m_everyoneAtStart = true;
    std::vector<int32_t> m_notAtStart;
    int32_t m_phaseBefore = 0;
    HostGame m_hostGame = HostGame::kNotBegun;
    uint16_t m_game = 0;
    // The days told to the others.
    std::vector<int32_t> m_days;
    std::vector<int32_t> m_localPhases;
    std::vector<std::string> m_sent;
    std::vector<tovBoatState> m_boatStates;
    std::vector<tovPlayerState> m_playerStates;
};

class NetScreensTest : public ShellScreenTest
{
protected:
    void SetUp() override;
    void TearDown() override;
    void AddMoreScreens() override;

    ScriptedSession m_net;
};
