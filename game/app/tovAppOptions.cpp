#include "tovAppOptions.h"

#include "EnetSession.h"
#include "qrxFramePacer.h"

#include <charconv>
#include <cstring>
#include <string_view>

namespace
{

template <class T> bool ParseNumber(std::string_view text, T low, T high, T& out)
{
    T value{};
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || value < low || value > high)
        return false;
    out = value;
    return true;
}

struct Parser
{
    int argc;
    const char* const* argv;
    int index = 1;
    std::string& error;

    // The value after the flag at `index`, stepping over it.
    const char* Value(const char* flag)
    {
        if (index + 1 >= argc)
        {
            error = std::string(flag) + " needs a value";
            return nullptr;
        }
        return argv[++index];
    }

    template <class T> bool Number(const char* flag, T low, T high, T& out)
    {
        const char* text = Value(flag);
        if (!text)
            return false;
        if (ParseNumber<T>(text, low, high, out))
            return true;
        error = std::string(flag) + ": expected a number from " + std::to_string(low) + " to " + std::to_string(high) +
                ", got \"" + text + "\"";
        return false;
    }

    bool Text(const char* flag, std::string& out)
    {
        const char* text = Value(flag);
        if (!text)
            return false;
        if (!*text)
        {
            error = std::string(flag) + " needs a non-empty value";
            return false;
        }
        out = text;
        return true;
    }

    // "HOST:PORT" with a port other than 0.
    bool Address(const char* flag, std::string& out)
    {
        std::string host;
        uint16_t port = 0;
        if (!Text(flag, out))
            return false;
        if (out.find(':') != std::string::npos && plat::SplitHostPort(out, host, port, 0) && port != 0)
            return true;
        error = std::string(flag) + ": expected HOST:PORT, got \"" + out + "\"";
        return false;
    }
};

bool ParseOne(Parser& p, tovAppOptions& o, bool& harnessFlag)
{
    const std::string_view arg = p.argv[p.index];
    if (arg == "--help" || arg == "-h")
        return o.help = true;
    if (arg == "--headless")
        return o.headless = true;
    if (arg == "--network")
        return o.network = true;
    if (arg == "--no-frame-cap")
        return o.noFrameCap = true;
    if (arg == "--join")
        return p.Address("--join", o.joinAddress) && (o.network = true);
    if (arg == "--net-timeout-ms")
        return p.Number<int32_t>("--net-timeout-ms", tovAppOptions::kMinNetTimeoutMs, tovAppOptions::kMaxNetTimeoutMs,
                                 o.netTimeoutMs);
    if (arg == "--data")
        return p.Text("--data", o.dataDir);
    if (arg == "--user-dir")
        return p.Text("--user-dir", o.userDir);
    if (arg == "--screen")
        return p.Number<int32_t>("--screen", 1, tovAppOptions::kMaxScreenId, o.screen);
    if (arg == "--seed")
    {
        int32_t seed = 0;
        if (!p.Number<int32_t>("--seed", INT32_MIN, INT32_MAX, seed))
            return false;
        o.seed = seed;
        return true;
    }
    harnessFlag = true;
    if (arg == "--script")
        return p.Text("--script", o.scriptPath);
    if (arg == "--frames")
        return p.Number<uint32_t>("--frames", 1, tovAppOptions::kMaxFrames, o.frames);
    if (arg == "--step-ms")
        return p.Number<uint32_t>("--step-ms", 1, tovAppOptions::kMaxStepMs, o.stepMs);
    if (arg == "--screenshot-every")
        return p.Number<uint32_t>("--screenshot-every", 1, tovAppOptions::kMaxFrames, o.screenshotEvery);
    if (arg == "--out")
        return p.Text("--out", o.outDir);
    if (arg == "--digest")
        return p.Text("--digest", o.digestPath);
    if (arg == "--calendar-time")
    {
        int64_t seconds = 0;
        if (!p.Number<int64_t>("--calendar-time", 0, INT64_C(253402300799), seconds))
            return false;
        o.calendarTime = seconds;
        return true;
    }
    if (arg == "--host")
        return p.Address("--host", o.hostAddress) && (o.network = true);
    p.error = "unknown option \"" + std::string(arg) + "\"";
    return false;
}

} // namespace

bool ParseAppOptions(int argc, const char* const* argv, tovAppOptions& out, std::string& error)
{
    tovAppOptions options;
    Parser parser{argc, argv, 1, error};
    bool harness = false;
    for (; parser.index < argc; ++parser.index)
        if (!ParseOne(parser, options, harness))
            return false;
    if (harness && !options.headless)
    {
        error = "--script, --frames, --step-ms, --screenshot-every, --out, --digest, --host and --calendar-time "
                "need --headless";
        return false;
    }
    if (options.screenshotEvery != 0 && options.outDir.empty())
    {
        error = "--screenshot-every needs --out DIR";
        return false;
    }
    out = std::move(options);
    return true;
}

const char* AppUsage()
{
    return "usage: tarnholm [--data DIR] [--user-dir DIR] [--screen ID] [--seed N] [--network]\n"
           "                [--join HOST:PORT] [--net-timeout-ms MS] [--no-frame-cap]\n"
           "       tarnholm --headless [--script FILE] [--frames N] [--step-ms MS] [--seed N]\n"
           "                [--screenshot-every K --out DIR] [--digest FILE] [--data DIR] [--user-dir DIR]\n"
           "                [--screen ID] [--network] [--join HOST:PORT | --host HOST:PORT]\n"
           "                [--net-timeout-ms MS] [--calendar-time SECONDS]\n"
           "  --data DIR            the data tree (Data, Lakes, Ambient, ...); default: the program's folder\n"
           "  --user-dir DIR        profiles, saved games, settings and the lock file; default: profiles and\n"
           "                        saved games under $XDG_DATA_HOME/tov, settings in $XDG_CONFIG_HOME/tov\n"
           "  --screen ID           open screen ID (1 to 25) instead of the intro\n"
           "  --network             a start for network play, to host or to join: the set-up dialog (unless\n"
           "                        --join), and a day that waits for every player\n"
           "  --join HOST:PORT      network play joins the session at that address\n"
           "  --net-timeout-ms MS   a network player silent this long is gone (500 to 600000, default 10000)\n"
           "  --no-frame-cap        the window draws as many frames as it can (default: at most 60 a second)\n"
           "  --headless            no window, no sound device, a manual clock\n"
           "  --script FILE         input events by frame (see README)\n"
           "  --frames N            frames to run (default 600)\n"
           "  --step-ms MS          milliseconds per frame on the manual clock (default 33)\n"
           "  --seed N              the random generator's seed (default: the clock's start)\n"
           "  --screenshot-every K  write every K-th frame as a PNG into --out DIR\n"
           "  --digest FILE         write the game's state at the end as text\n"
           "  --host HOST:PORT      network play hosts the session at that address\n"
           "  --calendar-time SECONDS  the calendar (seconds since 1970) the weather and ambient sound\n"
           "                        seed from (default: noon, 1 June 2026 UTC)\n";
}

int32_t FrameCapOf(const tovAppOptions& options)
{
    return options.headless || options.noFrameCap ? 0 : qrxFramePacer::kWindowFramesPerSecond;
}
