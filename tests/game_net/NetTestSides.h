#pragma once
// What the network tests over real sessions share: one side of a session over ENet on the
// loopback interface, its shown lines kept; the installed manual clock and kept debug output.

#include "Clock.h"
#include "DebugOutput.h"
#include "EnetSession.h"
#include "tovDirectPlay.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct EnetSide
{
    plat::EnetSession* transport;
    std::vector<std::string> lines;
    std::unique_ptr<tovDirectPlay> session;

    // timeoutMs: how long the peer's silence is borne (real time); clock: the session's (null:
    // the steady clock).
    EnetSide(const std::string& name, int32_t timeoutMs, const plat::Clock* clock = nullptr)
    {
        auto owned = std::make_unique<plat::EnetSession>(timeoutMs, clock);
        transport = owned.get();
        session = std::make_unique<tovDirectPlay>(std::move(owned));
        session->SetLocalName(name);
        session->SetMessageSink([this](const std::string& line) { lines.push_back(line); });
    }
    bool Shown(const std::string& line) const { return std::find(lines.begin(), lines.end(), line) != lines.end(); }
};

// The installed clock is a manual one and the debug output is kept, for the holder's life
// (declared first in a test, it goes last).
struct ClockAndDebug
{
    plat::ManualClock clock;
    plat::RecordingDebugSink debug;
    explicit ClockAndDebug(uint64_t startNs) : clock(startNs)
    {
        plat::SetCurrentClock(&clock);
        plat::SetDebugSink(&debug);
    }
    ~ClockAndDebug()
    {
        plat::SetDebugSink(nullptr);
        plat::SetCurrentClock(nullptr);
    }
    ClockAndDebug(const ClockAndDebug&) = delete;
    ClockAndDebug& operator=(const ClockAndDebug&) = delete;
};
