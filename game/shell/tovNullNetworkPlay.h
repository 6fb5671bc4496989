#pragma once
// The session that is not there: every operation does nothing and answers what the game
// expects without a network game (no session, no slot, no player, nothing in any phase).

#include "tovNetworkPlay.h"

class tovNullNetworkPlay : public tovNetworkPlay
{
public:
    bool Open(plat::WindowBackend* /*window*/) override { return false; }
    void Close() override {}
    bool IsSessionOpen() override { return false; }
    bool IsHost() override { return false; }
    void ResetPlayerStates(int32_t /*phase*/) override {}
    void DisableJoining() override {}
    void EnableJoining() override {}

    void SetLakeId(int32_t /*id*/, bool /*broadcast*/) override {}
    void SetPlayerIndex(int32_t /*index*/, bool /*broadcast*/) override {}
    void SetDay(int32_t /*day*/, bool /*broadcast*/) override {}
    void SetSetting0(int32_t /*value*/, bool /*broadcast*/) override {}
    void SetSetting1(int32_t /*value*/, bool /*broadcast*/) override {}
    int32_t GetPlayerIndex() override { return 0; }
    int32_t GetSetting0() override { return 0; }
    int32_t GetSetting1() override { return 0; }
    void BroadcastGameParams() override {}
    uint32_t GetElapsedMs() override { return 0; }

    bool SyncPhase(int32_t /*phase*/, bool /*announce*/) override { return false; }
    void SetLocalPhase(int32_t /*phase*/) override {}
    bool IsPlayerInPhase(int32_t /*phase*/, int32_t /*slot*/) override { return false; }
    bool WaitForPhase(int32_t /*first*/, int32_t /*second*/, int32_t /*third*/, int32_t /*fourth*/) override
    {
        return false;
    }
    bool WaitForHostPhase(int32_t /*phase*/) override { return false; }

    int32_t GetLocalSlot() override { return -1; }
    bool GetPlayerAnglerState(int32_t /*slot*/, AnglerSnapshot& /*out*/) override { return false; }
    bool GetPlayerResults(int32_t /*slot*/, int32_t& /*a*/, int32_t& /*b*/) override { return false; }
    bool AddPlayerResults(int32_t /*slot*/, int32_t /*a*/, int32_t /*b*/) override { return false; }
    void ClearPlayerResults() override {}
    uint32_t GetCommonLakeMask() override { return 0; }
    bool GetPlayerName(int32_t slot, char* buffer, size_t n) override;
    void ChangePlayerName(const char* /*name*/) override {}

    int32_t FindRigSlot(const tovBoat* /*boat*/) override { return -1; }
    bool GetRigBoatState(const tovBoat* /*boat*/, tovBoatState& /*out*/, double& /*age*/) override { return false; }
    bool GetRigPlayerState(const tovAnglerRigBase* /*rig*/, tovPlayerState& /*out*/) override { return false; }
    void ApplyPlayerStates() override {}

    void Ping(int32_t /*slot*/) override {}
    void SendChatText(const char* /*text*/, bool /*noLocalEcho*/, const tovAnglerRigBase* /*rig*/) override {}
    void SendOwnPlayerState() override {}
    void SendLeftFishing() override {}
    void SendThrottle(float /*value*/) override {}
    void SendSteering(float /*value*/) override {}
    void SendRangeControl(float /*value*/) override {}
    void SendTackleChoice(int32_t /*first*/, int32_t /*second*/) override {}
    void SendAnglerPhase0() override {}
    void SendAnglerPhase1() override {}
    void SendAnglerPhase1Via45() override {}
    void SendCastTarget(const QrPoint3& /*point*/) override {}
    void SendAnglerFlagsA() override {}
    void SendAnglerFlagsAB() override {}
    void SendAnglerFlagsOff() override {}

    void DrainMainThreadQueue() override {}
};
