// The program entry: the command line into one record, the run's environment (settings, user
// folder, single-instance lock), then the game in a window through SDL, or headless.

#include "tovApp.h"
#include "tovAppOptions.h"
#include "tovHeadlessRun.h"
#include "tovProgramEnvironment.h"

#include "tovInstallSettings.h"

#include "SoundManager.h"
#include "qrxProgramEntry.h"

#include "DebugOutput.h"
#include "SdlAudioOutput.h"
#include "SdlInputBackend.h"
#include "SdlWindowBackend.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>

namespace
{

constexpr int kUsageExit = 2;

int RunHeadlessGame(const tovAppOptions& options);

// A headless run with an output folder keeps its diagnostics there, beside its screenshots.
class FileDebugSink : public plat::DebugSink
{
public:
    explicit FileDebugSink(const std::string& path) : m_file(std::fopen(path.c_str(), "w")) {}
    ~FileDebugSink() override
    {
        if (m_file)
            std::fclose(m_file);
    }
    bool IsOpen() const { return m_file != nullptr; }
    void Write(const char* line) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const size_t n = std::strlen(line);
        std::fwrite(line, 1, n, m_file);
        if (n == 0 || line[n - 1] != '\n')
            std::fputc('\n', m_file);
    }

private:
    std::mutex m_mutex;
    std::FILE* m_file;
};

int RunHeadless(const tovAppOptions& options)
{
    std::unique_ptr<FileDebugSink> sink;
    if (!options.outDir.empty())
    {
        std::error_code ec;
        std::filesystem::create_directories(options.outDir, ec);
        sink = std::make_unique<FileDebugSink>(options.outDir + "/debug.log");
        if (sink->IsOpen())
            plat::SetDebugSink(sink.get());
    }
    const int code = RunHeadlessGame(options);
    plat::SetDebugSink(nullptr);
    return code;
}

int RunHeadlessGame(const tovAppOptions& options)
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
        app.SetJoinAddress(options.joinAddress);
        app.SetNetTimeoutMs(options.netTimeoutMs);
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
    {
        std::fprintf(stderr, "tarnholm: the game already runs on %s (or that folder cannot be written)\n",
                     GetWritableRoot().c_str());
        return 0;
    }
    return options.headless ? RunHeadless(options) : RunWindowed(options);
}
