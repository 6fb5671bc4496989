#include "tovHeadlessRun.h"

#include "CRandom.h"

#include "tovApp.h"
#include "tovNetFacade.h"
#include "tovStateDigest.h"

#include "SoundManager.h"
#include "qrxInterface.h"
#include "qrxProgramEntry.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

namespace
{
// A run that does not end by itself is ended through the window; this bounds that ending.
constexpr int kEndingPasses = 64;
// The longest stretch of sound one frame mixes, seconds.
constexpr double kMixedSeconds = 1.0;
} // namespace

tovHeadlessRun::tovHeadlessRun(const tovAppOptions& options) : m_options(options)
{
    plat::SetCurrentClock(&m_clock);
    plat::FixCalendarSeconds(options.calendarTime.value_or(kCalendarSeconds));
    SetSoundWorkerManual(true);
    SetSoundOutputFactory(
        [this]
        {
            auto output = std::make_unique<plat::HeadlessAudioOutput>();
            m_audio = output.get();
            return std::unique_ptr<plat::AudioOutput>(std::move(output));
        });
}

tovHeadlessRun::~tovHeadlessRun()
{
    SetSoundOutputFactory(nullptr);
    SetSoundWorkerManual(false);
    tovApp::SetNetworkLaunch(false);
    qrxInterface::SetInputWindow(nullptr, nullptr);
    plat::UnfixCalendarSeconds();
    plat::SetCurrentClock(nullptr);
}

bool tovHeadlessRun::LoadScript(std::string& error)
{
    if (m_options.scriptPath.empty())
        return true;
    return m_script.Load(m_options.scriptPath, error);
}

int tovHeadlessRun::Run(std::string& error)
{
    m_frames = 0;
    m_quit = false;
    m_stepMs = m_options.stepMs;
    m_audioSeconds = m_clock.Seconds();
    int code = 0;
    {
        tovApp app(&m_window, &m_input);
        app.SetSeed(m_options.seed);
        app.SetDataFolder(m_options.dataDir);
        app.SetFirstScreen(m_options.screen);
        app.SetNetworkLaunch(m_options.network);
        app.SetJoinAddress(m_options.joinAddress);
        app.SetHostAddress(m_options.hostAddress);
        app.SetHeadless(true);
        app.SetNetTimeoutMs(m_options.netTimeoutMs);
        app.GetPacer().SetCap(FrameCapOf(m_options));
        code = RunGuarded(&m_window, [&] { return app.Init() ? Loop(app, error) : 0; });
        code = app.ExitCode(code);
        // A start that failed says why, in place of the digest of a game that never ran.
        if (error.empty() && !app.FailureReason().empty())
            error = app.FailureReason();
        m_audio = nullptr;
    }
    if (!error.empty())
        return 1;
    if (!WriteDigest(error))
        return 1;
    return code;
}

int tovHeadlessRun::Loop(tovApp& app, std::string& error)
{
    app.BeginRun();
    m_digest = MakeStateDigest(app);
    m_error.clear();
    app.SetDialogFrameHook([this, &app] { EndDialogFrame(app); });
    NetSetWaitFrameHook([this, &app] { WaitFrame(app); });
    while (m_frames < m_options.frames && m_error.empty() && StepFrame(app))
    {
    }
    NetSetWaitFrameHook(nullptr);
    if (!m_quit)
    {
        // Ended as the player would: the window goes, the game cleans up and quits.
        m_window.RequestClose();
        for (int pass = 0; pass < kEndingPasses && app.RunOnce(); ++pass)
        {
        }
    }
    app.SetDialogFrameHook(nullptr);
    if (error.empty())
        error = m_error;
    m_digest += "frames " + std::to_string(m_frames) + "\n";
    m_digest += std::string("ended ") + (m_quit ? "by the game" : "by the harness") + "\n";
    return app.GetExitCode();
}

void tovHeadlessRun::PlayScript()
{
    // A wait in the script holds it until the last frame's digest has the line it names.
    m_inWait = false;
    m_script.PlayUntil(
        m_frames, m_window, m_input, [this](const std::string& line) { return DigestHasLine(m_digest, line); },
        [this](const std::string& name) { KeepDigest(name); });
    // A script may fast-forward (or slow) the clock from a frame on.
    if (m_script.StepMs() != 0)
        m_stepMs = m_script.StepMs();
}

// The script's events for this frame and the messages they post, then one frame; false once
// the game has quit or the run's last frame has been counted.
bool tovHeadlessRun::StepFrame(tovApp& app)
{
    PlayScript();
    while (m_window.HasPendingMessages())
        if (!app.RunOnce())
        {
            m_quit = true;
            return false;
        }
    if (!app.RunOnce())
    {
        m_quit = true;
        return false;
    }
    // A set-up dialog inside this frame counted its own frames, perhaps up to the last one.
    if (m_frames >= m_options.frames)
        return false;
    EndFrame(app);
    return true;
}

void tovHeadlessRun::EndDialogFrame(tovApp& app)
{
    // The dialog's closing frame after the last one counts for nothing.
    if (m_frames >= m_options.frames || !m_error.empty())
        return;
    EndFrame(app);
    // The run ends the dialog as a player closing the window would.
    if (m_frames >= m_options.frames || !m_error.empty())
        m_window.RequestClose();
    else
        PlayScript();
}

void tovHeadlessRun::EndFrame(tovApp& app)
{
    ++m_frames;
    // What the frame's time would have played, and the worker's answer to it at once, so
    // that sounds end on the same frame in every run.
    if (m_audio)
    {
        // At most a second of sound a frame: a fast-forward's minutes pass unmixed. Nobody
        // listens to the samples, so none are kept.
        const double now = m_clock.Seconds();
        m_audio->PullUntil(std::min(now, m_audioSeconds + kMixedSeconds));
        m_audio->SkipUntil(now);
        m_audio->TakeSamples();
        m_audioSeconds = now;
        ServiceSoundWorker();
    }
    m_digest = MakeStateDigest(app);
    // A network run is watched from outside while it goes: its digest is kept current.
    if (m_options.network)
        WriteLiveDigest();
    m_clock.AdvanceMs(m_stepMs);
    if (m_hook)
        m_hook(app, m_frames);
    if (m_options.screenshotEvery != 0 && m_frames % m_options.screenshotEvery == 0)
        WriteScreenshot(m_error);
}

void tovHeadlessRun::WaitFrame(tovApp& app)
{
    // The frame stands while the game waits for its peers: the digest shows the wait as it goes
    // (a watcher sees the phase it waits in), and the events of this frame held behind a wait for
    // kWaitingLine play here, their keys reaching the wait. Other waits pass only after that one:
    // a script that names no such wait plays as if the frame had not been interrupted.
    m_digest = MakeStateDigest(app) + kWaitingLine + "\n";
    if (m_options.network)
        WriteLiveDigest();
    m_script.PlayUntil(
        m_frames, m_window, m_input,
        [this](const std::string& line)
        {
            if (line == kWaitingLine)
                m_inWait = true;
            return m_inWait && DigestHasLine(m_digest, line);
        },
        [this](const std::string& name) { KeepDigest(name); });
}

bool tovHeadlessRun::WriteScreenshot(std::string& error)
{
    std::error_code ec;
    std::filesystem::create_directories(m_options.outDir, ec);
    char name[32];
    std::snprintf(name, sizeof name, "frame-%06u.png", m_frames);
    const std::string path = m_options.outDir + "/" + name;
    if (!m_window.WritePng(path))
    {
        error = "cannot write " + path;
        return false;
    }
    m_screenshots.push_back(path);
    return true;
}

bool tovHeadlessRun::WriteDigest(std::string& error) const
{
    if (m_options.digestPath.empty())
        return true;
    std::ofstream out(m_options.digestPath, std::ios::binary | std::ios::trunc);
    out << m_digest;
    out.close();
    if (!out)
    {
        error = "cannot write " + m_options.digestPath;
        return false;
    }
    return true;
}

void tovHeadlessRun::WriteLiveDigest() const
{
    if (!m_options.digestPath.empty())
        WriteDigestFile(m_options.digestPath);
}

void tovHeadlessRun::KeepDigest(const std::string& name) const
{
    if (!m_options.digestPath.empty())
        WriteDigestFile(m_options.digestPath + "." + name);
}

void tovHeadlessRun::WriteDigestFile(const std::string& path) const
{
    // Whole or not at all: a reader never sees half a file.
    const std::string partial = path + ".part";
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        out << m_digest << "frames " << m_frames << "\n";
        if (!out)
            return;
    }
    std::error_code ec;
    std::filesystem::rename(partial, path, ec);
}
