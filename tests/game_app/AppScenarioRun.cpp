#include "AppScenarioRun.h"

#include "tovApp.h"
#include "tovHeadlessRun.h"
#include "tovProgramEnvironment.h"
#include "tovStateDigest.h"

#include "TestFiles.h"

#include "DebugOutput.h"

#include <sstream>

namespace
{

uint64_t HashFrame(const std::vector<uint16_t>& pixels)
{
    uint64_t hash = 1469598103934665603ull;
    for (uint16_t p : pixels)
        hash = (hash ^ p) * 1099511628211ull;
    return hash;
}

} // namespace

tovAppOptions ScenarioOptions(const std::string& userDir, const std::string& script, uint32_t frames, int32_t screen)
{
    tovAppOptions options;
    options.headless = true;
    options.dataDir = testfiles::DataDir();
    options.userDir = userDir;
    options.frames = frames;
    options.screen = screen;
    if (!script.empty())
        options.scriptPath = testfiles::SourceDir() + "/tests/game_app/scripts/" + script;
    return options;
}

AppScenarioResult RunScenario(const tovAppOptions& options, const std::vector<uint32_t>& capture,
                              const std::function<void(tovApp&, uint32_t frame)>& onFrame)
{
    AppScenarioResult result;
    plat::RecordingDebugSink quiet;
    plat::SetDebugSink(&quiet);
    {
        tovProgramEnvironment environment(options);
        if (!environment.OwnsInstance())
        {
            result.error = "instance lock taken";
            plat::SetDebugSink(nullptr);
            return result;
        }
        tovHeadlessRun run(options);
        if (!run.LoadScript(result.error))
        {
            plat::SetDebugSink(nullptr);
            return result;
        }
        plat::HeadlessWindowBackend& window = run.Window();
        run.SetFrameHook(
            [&](tovApp& app, uint32_t frame)
            {
                result.frameHashes.push_back(HashFrame(window.Frame()));
                for (uint32_t wanted : capture)
                    if (wanted == frame)
                    {
                        result.digests[frame] = MakeStateDigest(app);
                        result.pictures[frame] =
                            golden::FromRgb565(window.Frame().data(), window.FrameWidth(), window.FrameHeight());
                    }
                if (onFrame)
                    onFrame(app, frame);
            });
        result.exitCode = run.Run(result.error);
        result.quit = run.Quit();
        result.frames = run.FramesRun();
        result.digest = run.Digest();
    }
    plat::SetDebugSink(nullptr);
    return result;
}

std::string DigestField(const std::string& digest, const std::string& name)
{
    std::istringstream in(digest);
    std::string line;
    const std::string prefix = name + " ";
    while (std::getline(in, line))
        if (line.compare(0, prefix.size(), prefix) == 0)
            return line.substr(prefix.size());
    return {};
}
