#pragma once
// The game without a display: the headless window, input and sound sink, a manual clock that
// moves a fixed step per frame and a fixed calendar, so that one script, seed and step give the
// same frames and the same digest on every run. Feeds the script's events frame by frame,
// writes every K-th frame as a PNG and keeps the state digest of the last frame stepped.
// Runs inside a tovProgramEnvironment.

#include "tovAppOptions.h"

#include "Clock.h"
#include "HeadlessAudioOutput.h"
#include "HeadlessInputBackend.h"
#include "HeadlessWindowBackend.h"
#include "InputScript.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class tovApp;

class tovHeadlessRun
{
public:
    // The digest line of a frame that a blocking network wait holds; a script waits for it to
    // press keys at the waiting picture.
    static constexpr const char* kWaitingLine = "net.waiting 1";
    // The clock starts here, so that tick arithmetic never sits at zero.
    static constexpr uint64_t kStartNs = 1000000000ull;
    // Noon, 1 June 2026 UTC: the calendar every headless run sees.
    static constexpr int64_t kCalendarSeconds = 1780315200;

    explicit tovHeadlessRun(const tovAppOptions& options);
    ~tovHeadlessRun();
    tovHeadlessRun(const tovHeadlessRun&) = delete;
    tovHeadlessRun& operator=(const tovHeadlessRun&) = delete;

    // Reads the script named by the options. False with the reason.
    bool LoadScript(std::string& error);
    // Adds events in code (tests).
    plat::InputScript& Script() { return m_script; }
    // Called with the application after each frame stepped (tests look at it here).
    void SetFrameHook(std::function<void(tovApp&, uint32_t frame)> hook) { m_hook = std::move(hook); }

    // Starts the game, steps the frames (or until it quits) and ends it. The program's exit
    // code; a run that failed (its start-up, say) and failures to write screenshots or the
    // digest are reported in `error` and give 1.
    int Run(std::string& error);

    plat::HeadlessWindowBackend& Window() { return m_window; }
    plat::HeadlessInputBackend& Input() { return m_input; }
    uint32_t FramesRun() const { return m_frames; }
    bool Quit() const { return m_quit; }
    // The digest of the last frame stepped, with how the run ended.
    const std::string& Digest() const { return m_digest; }
    const std::vector<std::string>& Screenshots() const { return m_screenshots; }

private:
    int Loop(tovApp& app, std::string& error);
    void PlayScript();
    bool StepFrame(tovApp& app);
    // A frame's end: counts it, mixes its sound, keeps its digest, steps the clock, then the
    // test's hook and the screenshot.
    void EndFrame(tovApp& app);
    // The end of a frame the set-up dialog showed (it runs its own loop inside a frame).
    void EndDialogFrame(tovApp& app);
    // One pass of a blocking network wait inside the frame.
    void WaitFrame(tovApp& app);
    bool WriteScreenshot(std::string& error);
    bool WriteDigest(std::string& error) const;
    void WriteLiveDigest() const;
    // The last frame's digest beside the digest file, under a script's keep name.
    void KeepDigest(const std::string& name) const;
    void WriteDigestFile(const std::string& path) const;

    tovAppOptions m_options;
    plat::ManualClock m_clock{kStartNs};
    plat::HeadlessWindowBackend m_window;
    plat::HeadlessInputBackend m_input{m_window};
    plat::InputScript m_script;
    plat::HeadlessAudioOutput* m_audio = nullptr;
    std::function<void(tovApp&, uint32_t)> m_hook;
    uint32_t m_frames = 0;
    uint32_t m_stepMs = 0;
    double m_audioSeconds = 0.0;
    bool m_quit = false;
    // What stopped the run early (a screenshot not written).
    std::string m_error;
    // The script has passed its wait for kWaitingLine in this frame's wait.
    bool m_inWait = false;
    std::string m_digest;
    std::vector<std::string> m_screenshots;
};
