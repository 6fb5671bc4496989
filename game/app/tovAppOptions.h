#pragma once
// Everything the program's command line says, parsed into one record before any backend or
// the application exists. The harness flags (script, frames, step, screenshots, digest) drive
// a headless run; they are refused without --headless.

#include <cstdint>
#include <optional>
#include <string>

struct tovAppOptions
{
    bool headless = false;
    bool help = false;
    // Read-only data root (the program's folder when empty) and writable folder ("Users",
    // "Save", the settings and the instance lock; $XDG_DATA_HOME's game folder when empty).
    std::string dataDir;
    std::string userDir;
    // Opens this screen instead of the first one (0: the usual start).
    int32_t screen = 0;
    std::string scriptPath;
    uint32_t frames = kDefaultFrames;
    uint32_t stepMs = kDefaultStepMs;
    std::optional<int32_t> seed;
    // --calendar-time SECONDS (harness): the calendar, seconds since 1970, that the weather and
    // the ambient sound seed from; the run's fixed date when absent.
    std::optional<int64_t> calendarTime;
    uint32_t screenshotEvery = 0;
    std::string outDir;
    std::string digestPath;
    // Started to take part in a network game.
    bool network = false;
    // --join HOST:PORT: the session to join when network play opens (implies network).
    std::string joinAddress;
    // --host HOST:PORT (harness): the session to host when network play opens (implies network).
    std::string hostAddress;
    // --net-timeout-ms MS: how long a silent network player is waited for.
    int32_t netTimeoutMs = kDefaultNetTimeoutMs;
    // --no-frame-cap: the window draws as fast as it can.
    bool noFrameCap = false;

    static constexpr uint32_t kDefaultFrames = 600;
    static constexpr uint32_t kDefaultStepMs = 33;
    static constexpr uint32_t kMaxFrames = 1000000;
    static constexpr uint32_t kMaxStepMs = 1000;
    static constexpr int32_t kMaxScreenId = 25;
    static constexpr int32_t kDefaultNetTimeoutMs = 10000;
    static constexpr int32_t kMinNetTimeoutMs = 500;
    static constexpr int32_t kMaxNetTimeoutMs = 600000;
};

// False with the reason in `error` (an unknown flag, a missing or bad value, a harness flag
// without --headless, screenshots without a folder).
bool ParseAppOptions(int argc, const char* const* argv, tovAppOptions& out, std::string& error);
const char* AppUsage();
// Frames a second the main loop is held to: the window's cap, or 0 (none) for a headless run
// and with --no-frame-cap.
int32_t FrameCapOf(const tovAppOptions& options);
