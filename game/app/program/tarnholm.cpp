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
constexpr int kFailedExit = tovApp::kFailedExit;

int RunHeadlessGame(const tovAppOptions& options, std::string& error);

// A headless run with an output folder keeps its diagnostics there, beside its screenshots; a
// window run keeps them in the user folder, since nobody reads a window's standard error.
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
        // Whole lines on disk as they come: the log is read while the game runs, or after a crash.
        std::fflush(m_file);
    }

private:
    std::mutex m_mutex;
    std::FILE* m_file;
};

// A run that could not start (or go on) ends here: the reason once on standard error, and in
// the run's debug log when it keeps one; exit code 1.
int Failed(const std::string& reason, FileDebugSink* log = nullptr)
{
    if (log && log->IsOpen())
        log->Write(reason.c_str());
    std::fprintf(stderr, "tarnholm: %s\n", reason.c_str());
    return kFailedExit;
}

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
    std::string error;
    const int code = RunHeadlessGame(options, error);
    plat::SetDebugSink(nullptr);
    return error.empty() ? code : Failed(error, sink.get());
}

int RunHeadlessGame(const tovAppOptions& options, std::string& error)
{
    tovHeadlessRun run(options);
    std::string scriptError;
    if (!run.LoadScript(scriptError))
    {
        std::fprintf(stderr, "tarnholm: %s: %s\n", options.scriptPath.c_str(), scriptError.c_str());
        return kUsageExit;
    }
    return run.Run(error);
}

int RunWindowed(const tovAppOptions& options)
{
    plat::SdlWindowBackend window;
    plat::SdlInputBackend input(window);
    SetSoundOutputFactory([] { return std::unique_ptr<plat::AudioOutput>(std::make_unique<plat::SdlAudioOutput>()); });
    FileDebugSink log(GetWritableRoot() + "/debug.log");
    if (log.IsOpen())
        plat::SetDebugSink(&log);
    int code = 0;
    std::string failure;
    {
        tovApp app(&window, &input);
        app.SetSeed(options.seed);
        app.SetDataFolder(options.dataDir);
        app.SetFirstScreen(options.screen);
        app.SetNetworkLaunch(options.network);
        app.SetJoinAddress(options.joinAddress);
        app.SetNetTimeoutMs(options.netTimeoutMs);
        app.GetPacer().SetCap(FrameCapOf(options));
        // A start that failed ends with 1 (after its box), not with the 0 of a loop that never ran.
        code = app.ExitCode(RunGuarded(&window, [&] { return app.Init() ? app.Run() : 0; }));
        failure = app.FailureReason();
    }
    SetSoundOutputFactory(nullptr);
    plat::SetDebugSink(nullptr);
    return failure.empty() ? code : Failed(failure, &log);
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
    // A second copy on the same user folder leaves the first alone and fails, so that whoever started it knows.
    if (!environment.OwnsInstance())
        return Failed("the game already runs on " + GetWritableRoot() + " (or that folder cannot be written)");
    return options.headless ? RunHeadless(options) : RunWindowed(options);
}
