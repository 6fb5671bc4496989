// How long a newcomer waits for a first strike and a first landed fish: seeded quick-fish starts
// over the sample lakes, each played through the headless harness by one fixed policy with
// tenth-second frames and no drawing. The policy: stand, cast straight ahead from the start at
// the cast's own aim, reel at the usual speed until the lure is in, cast again; on a strike set
// the hook and reel with the drag as it comes. Real minutes run from the first cast; a start
// without a strike (or without a fish landed) within the cap counts as the cap. Ends with the
// lines "strike_minutes_median X" and "landed_minutes_median Y".

#include "tovApp.h"
#include "tovAppOptions.h"
#include "tovBoat.h"
#include "tovCastController.h"
#include "tovChurnApp.h"
#include "tovFishModels.h"
#include "tovFishSpecies.h"
#include "tovFishingHooks.h"
#include "tovFishingWorld.h"
#include "tovHeadlessRun.h"
#include "tovLocalRig.h"
#include "tovProgramEnvironment.h"
#include "tovShellIFace.h"
#include "tovStateDigest.h"

#include "DebugOutput.h"
#include "InputScript.h"
#include "KeyNumbers.h"
#include "qrxCutout.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <unistd.h>

namespace
{

constexpr uint32_t kFrameMs = 100;
constexpr double kCapMinutes = 15.0;
constexpr uint32_t kCapFrames = static_cast<uint32_t>(kCapMinutes * 60000.0 / kFrameMs);
// Frames for the start-up and the game-mode screen's quick-fish click, at the usual step.
constexpr uint32_t kStartFrames = 40;
constexpr int32_t kStarts = 24;

struct StartResult
{
    std::string lake;
    double strikeMinutes = kCapMinutes;
    double landedMinutes = kCapMinutes;
    int32_t casts = 0;
    int32_t strikes = 0;
    double fightSeconds = -1.0; // of the fish landed; -1 without one
    std::string landedFish;
    int32_t seed = 0;
};

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : 0.5 * (values[n / 2 - 1] + values[n / 2]);
}

std::string Field(const std::string& digest, const std::string& name)
{
    const std::string key = "\n" + name + " ";
    const size_t at = ("\n" + digest).find(key);
    if (at == std::string::npos)
        return {};
    const size_t from = at + key.size() - 1;
    return digest.substr(from, digest.find('\n', from) - from);
}

// One start: the policy reads the rod each frame and schedules its input for the next.
class Player
{
public:
    Player(tovHeadlessRun& run) : m_run(run) {}

    void OnFrame(tovApp& app, uint32_t frame)
    {
        if (m_done)
            return;
        tovChurnApp* screen = tovChurnApp::GetInstance();
        tovCastController* rod = screen ? screen->GetCastController() : nullptr;
        if (app.GetCurrentScreenId() != tovChurnApp::kId || !rod)
            return;
        if (m_lake.empty())
        {
            m_lake = Field(MakeStateDigest(app), "lake.name");
            // The measurement needs no pictures from here on.
            tovShellIFace::SetDrawingSkipped(true);
            // The drawn first frame has given the rod its screen; tenth-second frames from here.
            Add(frame + 1, plat::InputEventKind::Step, kFrameMs, false);
            // Stand up from the wheel.
            Add(frame + 1, plat::InputEventKind::Key, plat::kKeyS, true);
            Add(frame + 2, plat::InputEventKind::Key, plat::kKeyS, false);
            m_standFrame = frame + 3;
            return;
        }
        if (frame < m_standFrame)
            return;
        // Events stamped with this frame are played as the next frame begins.
        const uint32_t next = frame;
        const double minutes = m_firstCast ? (frame - m_firstCast) * kFrameMs / 60000.0 : 0.0;
        if (m_firstCast && frame - m_firstCast >= kCapFrames)
        {
            Finish(next);
            return;
        }
        if (std::getenv("QR_FIRST_FISH_DEBUG") && frame % 300 == 0)
            Trace(frame, *rod);
        switch (rod->GetPhase())
        {
        case tovCastController::kIdle:
            // Stand, aim and let go: the press on the sky keeps the cast's own aim, off the bow.
            if (m_held)
                Button(next, false);
            else
            {
                Move(next, 320, 120);
                Button(next, true);
            }
            break;
        case tovCastController::kAiming:
            if (m_held)
            {
                Button(next, false);
                ++m_casts;
                if (!m_firstCast)
                    m_firstCast = frame;
            }
            break;
        case tovCastController::kRetrieve:
            if (rod->HasStrike())
            {
                if (m_strike < 0)
                    m_strike = minutes;
                if (!m_striking)
                    ++m_strikes;
                m_striking = true;
                // A fresh press sets the hook; held, it reels.
                if (m_held)
                    Button(next, false);
                else
                    Button(next, true);
            }
            else
            {
                m_striking = false;
                if (!m_held)
                    Button(next, true);
            }
            break;
        case tovCastController::kFighting:
            if (!m_fighting)
                m_hookFrame = frame;
            m_fighting = true;
            m_striking = false;
            if (!m_held)
                Button(next, true);
            break;
        case tovCastController::kCatchBox:
        case tovCastController::kOverLimit:
            m_landed = minutes;
            m_fightSeconds = (frame - m_hookFrame) * kFrameMs / 1000.0;
            m_landedFish = std::to_string(rod->GetCatch().weight).substr(0, 4) + " lb " +
                           GetFishSpeciesName(rod->GetCatch().species);
            Finish(next);
            break;
        default:
            break;
        }
        if (rod->GetPhase() != tovCastController::kFighting)
            m_fighting = false;
    }

    StartResult Result() const
    {
        StartResult r;
        r.lake = m_lake;
        r.casts = m_casts;
        r.strikes = m_strikes;
        r.fightSeconds = m_fightSeconds;
        r.landedFish = m_landedFish;
        if (m_strike >= 0)
            r.strikeMinutes = std::min(m_strike, kCapMinutes);
        if (m_landed >= 0)
            r.landedMinutes = std::min(m_landed, kCapMinutes);
        return r;
    }

private:
    void Trace(uint32_t frame, const tovCastController& rod)
    {
        tovFishingWorld* world = GetFishingWorld();
        if (!world || !world->GetFish())
            return;
        const tovFishPopulation& fish = world->GetFish()->GetPopulation();
        const QrPoint3 lure = rod.GetLure();
        const QrPoint3 boat = world->GetPlayerBoat()->GetPosition();
        int32_t nearLure = 0, nearBoat = 0;
        float nearest = 1e9f;
        for (int32_t i = 0; i < fish.GetCount(); ++i)
        {
            const QrPoint3 at = world->MapToWorld(fish.GetFish(i).map);
            const float dl = std::hypot(at.x - lure.x, at.z - lure.z);
            const float db = std::hypot(at.x - boat.x, at.z - boat.z);
            nearLure += dl < 0.3f;
            nearBoat += db < 1.0f;
            nearest = std::min(nearest, db);
        }
        std::printf("  frame %u phase %d casts %d lure-boat %.2f fish %d near-boat %d near-lure %d nearest %.2f "
                    "attracted %d strike %d flee %d\n",
                    frame, rod.GetPhase(), m_casts, std::hypot(lure.x - boat.x, lure.z - boat.z), fish.GetCount(),
                    nearBoat, nearLure, nearest, fish.CountInState(1), fish.CountInState(2), fish.CountInState(4));
    }
    void Add(uint32_t frame, plat::InputEventKind kind, int32_t code, bool down)
    {
        plat::InputEvent event;
        event.frame = frame;
        event.kind = kind;
        event.code = code;
        event.down = down;
        m_run.Script().Add(event);
    }
    void Move(uint32_t frame, int32_t x, int32_t y)
    {
        plat::InputEvent event;
        event.frame = frame;
        event.kind = plat::InputEventKind::Move;
        event.position = {x, y};
        m_run.Script().Add(event);
    }
    void Button(uint32_t frame, bool down)
    {
        Add(frame, plat::InputEventKind::Button, 0, down);
        m_held = down;
    }
    void Finish(uint32_t frame)
    {
        m_done = true;
        Add(frame, plat::InputEventKind::Close, 0, false);
    }

    tovHeadlessRun& m_run;
    std::string m_lake;
    uint32_t m_firstCast = 0;
    double m_strike = -1.0;
    double m_landed = -1.0;
    bool m_held = false;
    uint32_t m_standFrame = 0;
    int32_t m_casts = 0;
    int32_t m_strikes = 0;
    bool m_striking = false;
    bool m_fighting = false;
    uint32_t m_hookFrame = 0;
    double m_fightSeconds = -1.0;
    std::string m_landedFish;
    bool m_done = false;
};

StartResult RunStart(int32_t seed, const std::string& userDir)
{
    tovAppOptions options;
    options.headless = true;
    options.dataDir = QR_DATA_DIR;
    options.userDir = userDir;
    options.screen = 1;
    options.seed = seed;
    options.frames = kStartFrames + kCapFrames + 200;
    options.stepMs = 33;
    tovProgramEnvironment environment(options);
    if (!environment.OwnsInstance())
        return {};
    tovHeadlessRun run(options);
    // Quick fish on the game-mode screen.
    plat::InputEvent move;
    move.frame = 15;
    move.kind = plat::InputEventKind::Move;
    move.position = {531, 211};
    run.Script().Add(move);
    for (uint32_t frame : {16u, 17u})
    {
        plat::InputEvent button;
        button.frame = frame;
        button.kind = plat::InputEventKind::Button;
        button.down = frame == 16;
        run.Script().Add(button);
    }
    Player player(run);
    run.SetFrameHook([&player](tovApp& app, uint32_t frame) { player.OnFrame(app, frame); });
    std::string error;
    run.Run(error);
    tovShellIFace::SetDrawingSkipped(false);
    StartResult result = player.Result();
    result.seed = seed;
    return result;
}

std::vector<StartResult> g_results;

void BM_FirstFish(benchmark::State& state)
{
    plat::RecordingDebugSink quiet;
    plat::SetDebugSink(&quiet);
    qrxCutout::CreateSharedProperties();
    // One folder per process: several may run at once.
    const std::string root =
        (std::filesystem::temp_directory_path() / ("first_fish_bench." + std::to_string(getpid()))).string();
    for (auto _ : state)
    {
        g_results.clear();
        // QR_FIRST_FISH_STARTS asks for fewer (or more) starts, QR_FIRST_FISH_FIRST_SEED for
        // another first seed: runs in several processes share the starts out.
        const char* asked = std::getenv("QR_FIRST_FISH_STARTS");
        const char* first = std::getenv("QR_FIRST_FISH_FIRST_SEED");
        const int32_t starts = asked ? std::clamp(std::atoi(asked), 1, 1000) : kStarts;
        const int32_t from = first ? std::clamp(std::atoi(first), 1, 1000000) : 1;
        for (int32_t seed = from; seed < from + starts; ++seed)
        {
            std::filesystem::remove_all(root);
            g_results.push_back(RunStart(seed, root));
        }
    }
    std::filesystem::remove_all(root);
    plat::SetDebugSink(nullptr);
    std::vector<double> strikes, landed;
    for (const StartResult& r : g_results)
    {
        strikes.push_back(r.strikeMinutes);
        landed.push_back(r.landedMinutes);
    }
    state.counters["strike_minutes_median"] = Median(strikes);
    state.counters["landed_minutes_median"] = Median(landed);
}
BENCHMARK(BM_FirstFish)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::map<std::string, int32_t> lakes;
    std::vector<double> strikes, landed, fights;
    int32_t casts = 0, struck = 0;
    for (size_t i = 0; i < g_results.size(); ++i)
    {
        const StartResult& r = g_results[i];
        ++lakes[r.lake];
        strikes.push_back(r.strikeMinutes);
        landed.push_back(r.landedMinutes);
        casts += r.casts;
        struck += r.strikes;
        if (r.fightSeconds >= 0.0)
            fights.push_back(r.fightSeconds);
        std::printf("start %zu seed %d %s: %d casts, %d strikes, strike %.2f, landed %.2f, fight %.1f s %s\n", i + 1,
                    r.seed, r.lake.c_str(), r.casts, r.strikes, r.strikeMinutes, r.landedMinutes, r.fightSeconds,
                    r.landedFish.c_str());
    }
    // How often a cast is rewarded, and how long the landed fish fought, in real seconds.
    std::printf("strikes_per_cast %.2f\n", casts ? double(struck) / casts : 0.0);
    std::printf("fight_seconds_median %.1f\n", Median(fights));
    for (const auto& [lake, count] : lakes)
        std::printf("lake %s: %d starts\n", lake.c_str(), count);
    std::printf("strike_minutes_median %.2f\n", Median(strikes));
    std::printf("landed_minutes_median %.2f\n", Median(landed));
    return 0;
}
