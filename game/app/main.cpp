// The program entry: the command line into one record, the run's environment (settings, user
// folder, single-instance lock), then the game in a window through SDL, or headless.

#include "tovApp.h"
#include "tovAppOptions.h"
#include "tovHeadlessRun.h"
#include "tovProgramEnvironment.h"

#include "SoundManager.h"
#include "qrxProgramEntry.h"

#include "SdlAudioOutput.h"
#include "SdlInputBackend.h"
#include "SdlWindowBackend.h"

#include <cstdio>
#include <memory>
#include <string>

namespace
{

constexpr int kUsageExit = 2;

int RunHeadless(const tovAppOptions& options)
{
    tovHeadlessRun run(options);
    std::string error;
    if (!run.LoadScript(error))
    {
        std::fprintf(stderr, "tarnholm: %s: %s\n", options.scriptPath.c_str(), error.c_str());
        return kUsageExit;
    }
    const int code = run.Run(error);
    if (!error.empty())
        std::fprintf(stderr, "tarnholm: %s\n", error.c_str());
    return code;
}

int RunWindowed(const tovAppOptions& options)
{
    plat::SdlWindowBackend window;
    plat::SdlInputBackend input(window);
    SetSoundOutputFactory([] { return std::unique_ptr<plat::AudioOutput>(std::make_unique<plat::SdlAudioOutput>()); });
    int code = 0;
    {
        tovApp app(&window, &input);
        app.SetSeed(options.seed);
        app.SetDataFolder(options.dataDir);
        app.SetFirstScreen(options.screen);
        app.SetNetworkLaunch(options.network);
        code = RunGuarded(&window, [&] { return app.Init() ? app.Run() : 0; });
    }
    SetSoundOutputFactory(nullptr);
    return code;
}

} // namespace

int main(int argc, char** argv)
{
    tovAppOptions options;
    std::string error;
    if (!ParseAppOptions(argc, argv, options, error))
    {
        std::fprintf(stderr, "tarnholm: %s\n%s", error.c_str(), AppUsage());
        return kUsageExit;
    }
    if (options.help)
    {
        std::fputs(AppUsage(), stdout);
        return 0;
    }
    tovProgramEnvironment environment(options);
    // A second copy on the same user folder leaves the first alone.
    if (!environment.OwnsInstance())
        return 0;
    return options.headless ? RunHeadless(options) : RunWindowed(options);
}
