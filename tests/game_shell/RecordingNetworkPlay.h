#pragma once
// A network session for tests: logs every call that acts or asks for a value, one line each
// with its arguments, and answers fixed non-default values. The open and host flags are the
// test's; asking them is not logged.

#include "QrPoint3.h"
#include "tovNetworkPlay.h"

#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

class RecordingNetworkPlay : public tovNetworkPlay
{
public:
    // Stand-ins for the boat (never dereferenced) and a rig the session knows.
    static tovBoat* Boat()
    {
        alignas(16) static char storage[16];
        return reinterpret_cast<tovBoat*>(storage);
    }

    template <typename... Args> void Log(const char* name, const Args&... args)
    {
        std::ostringstream line;
        line << name;
        if constexpr (sizeof...(args) > 0)
        {
            line << '(';
            const char* sep = "";
            ((line << sep << args, sep = ","), ...);
            line << ')';
        }
        log.push_back(line.str());
    }
    std::string Joined() const
    {
        std::string s;
        for (const std::string& l : log)
            s += (s.empty() ? "" : ";") + l;
        return s;
    }
    static const char* Name(const tovBoat* boat) { return boat == Boat() ? "boat" : "other"; }
    const char* Name(const tovAnglerRigBase* r) const { return r == nullptr ? "none" : r == rig ? "rig" : "other"; }

    bool Open(plat::WindowBackend* /*window*/) override { return Log("Open"), true; }
    void Close() override { Log("Close"); }
    bool IsSessionOpen() override { return open; }
    bool IsHost() override { return host; }
    void ResetPlayerStates(int32_t phase) override { Log("ResetPlayerStates", phase); }
    void DisableJoining() override { Log("DisableJoining"); }
    void EnableJoining() override { Log("EnableJoining"); }

    void SetLakeId(int32_t id, bool broadcast) override { Log("SetLakeId", id, broadcast); }
    void SetPlayerIndex(int32_t index, bool broadcast) override { Log("SetPlayerIndex", index, broadcast); }
    void SetDay(int32_t day, bool broadcast) override { Log("SetDay", day, broadcast); }
    void SetSetting0(int32_t value, bool broadcast) override { Log("SetSetting0", value, broadcast); }
    void SetSetting1(int32_t value, bool broadcast) override { Log("SetSetting1", value, broadcast); }
    int32_t GetPlayerIndex() override { return Log("GetPlayerIndex"), 2; }
    int32_t GetSetting0() override { return Log("GetSetting0"), 1; }
    int32_t GetSetting1() override { return Log("GetSetting1"), 3; }
    void BroadcastGameParams() override { Log("BroadcastGameParams"); }
    uint32_t GetElapsedMs() override { return Log("GetElapsedMs"), elapsedMs; }

    bool SyncPhase(int32_t phase, bool announce) override { return Log("SyncPhase", phase, announce), true; }
    void SetLocalPhase(int32_t phase) override { Log("SetLocalPhase", phase); }
    bool IsPlayerInPhase(int32_t phase, int32_t slot) override { return Log("IsPlayerInPhase", phase, slot), true; }
    bool WaitForPhase(int32_t first, int32_t second, int32_t third, int32_t fourth) override
    {
        return Log("WaitForPhase", first, second, third, fourth), true;
    }
    bool WaitForHostPhase(int32_t phase) override { return Log("WaitForHostPhase", phase), true; }

    int32_t GetLocalSlot() override { return Log("GetLocalSlot"), 3; }
    bool GetPlayerAnglerState(int32_t slot, AnglerSnapshot& out) override
    {
        Log("GetPlayerAnglerState", slot);
        out[0] = 4;
        return true;
    }
    bool GetPlayerResults(int32_t slot, int32_t& a, int32_t& b) override
    {
        Log("GetPlayerResults", slot);
        a = 7;
        b = 9;
        return true;
    }
    bool AddPlayerResults(int32_t slot, int32_t a, int32_t b) override
    {
        return Log("AddPlayerResults", slot, a, b), true;
    }
    void ClearPlayerResults() override { Log("ClearPlayerResults"); }
    uint32_t GetCommonLakeMask() override { return Log("GetCommonLakeMask"), 5; }
    bool GetPlayerName(int32_t slot, char* buffer, size_t n) override
    {
        Log("GetPlayerName", slot, n);
        // Fills the whole buffer without a terminator: the facade must end the text.
        std::memset(buffer, 'R', n);
        return true;
    }
    void ChangePlayerName(const char* name) override { Log("ChangePlayerName", name); }

    int32_t FindRigSlot(const tovBoat* boat) override
    {
        return Log("FindRigSlot", Name(boat)), boat == Boat() ? 2 : -1;
    }
    bool GetRigBoatState(const tovBoat* boat, tovBoatState& /*out*/, double& age) override
    {
        Log("GetRigBoatState", Name(boat));
        age = 1.5;
        return true;
    }
    bool GetRigPlayerState(const tovAnglerRigBase* r, tovPlayerState& /*out*/) override
    {
        return Log("GetRigPlayerState", Name(r)), true;
    }
    void ApplyPlayerStates() override { Log("ApplyPlayerStates"); }

    void Ping(int32_t slot) override { Log("Ping", slot); }
    void SendChatText(const char* text, bool noLocalEcho, const tovAnglerRigBase* r) override
    {
        Log("SendChatText", text, noLocalEcho, Name(r));
    }
    void SendOwnPlayerState() override { Log("SendOwnPlayerState"); }
    void SendLeftFishing() override { Log("SendLeftFishing"); }
    void SendThrottle(float value) override { Log("SendThrottle", value); }
    void SendSteering(float value) override { Log("SendSteering", value); }
    void SendRangeControl(float value) override { Log("SendRangeControl", value); }
    void SendTackleChoice(int32_t first, int32_t second) override { Log("SendTackleChoice", first, second); }
    void SendAnglerPhase0() override { Log("SendAnglerPhase0"); }
    void SendAnglerPhase1() override { Log("SendAnglerPhase1"); }
    void SendAnglerPhase1Via45() override { Log("SendAnglerPhase1Via45"); }
    void SendCastTarget(const QrPoint3& p) override { Log("SendCastTarget", p.x, p.y, p.z); }
    void SendAnglerFlagsA() override { Log("SendAnglerFlagsA"); }
    void SendAnglerFlagsAB() override { Log("SendAnglerFlagsAB"); }
    void SendAnglerFlagsOff() override { Log("SendAnglerFlagsOff"); }

    void DrainMainThreadQueue() override { Log("DrainMainThreadQueue"); }

    bool open = false;
    bool host = false;
    uint32_t elapsedMs = 0;
    const tovAnglerRigBase* rig = nullptr;
    std::vector<std::string> log;
};
