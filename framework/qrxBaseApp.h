#pragma once
// Base of the program's one application object: owns the main window's procedure, runs the
// message loop with frame timing, steps the current screen every frame, keeps the screens by
// id and draws the program's own mouse cursor. The game's application fills in the hooks;
// the base does no game work. The application is itself a keyboard and a mouse.

#include "qrxFramePacer.h"
#include "qrxKeyMapper.h"
#include "qrxMouse.h"

#include "QrImage.h"
#include "QrPointer.h"

#include "Point.h"
#include "WindowMessage.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>

class QrRender;
class qrxInterface;

namespace plat
{
class WindowBackend;
class InputBackend;
} // namespace plat

class qrxBaseApp : public qrxKeyMapper, public qrxMouse
{
public:
    static constexpr int kCursorCount = 5;

    // The window and the input devices are borrowed and outlive the application. Makes this
    // object the current application.
    qrxBaseApp(plat::WindowBackend* window, plat::InputBackend* input, const char* commandLine);
    ~qrxBaseApp() override;

    // The derived application switches to the screen (leave, prepare, exit, enter).
    virtual void SwitchScreen(int32_t id);
    virtual void SetWindowTitle(const char* title);
    // The window's title.
    virtual const char* GetClassName();
    virtual void ParseCommandLine(const char* commandLine);
    // The frame step; runs while a screen is current and the application is active or keeps
    // running without the focus.
    virtual void OnIdle(double now, double elapsed, bool skipInput);
    // True while frames must go on without the focus (others rely on this copy).
    virtual bool RunsWhileInactive() const { return false; }
    virtual intptr_t WindowProc(const plat::WindowMessage& message);
    // The derived application's start-up; false stops Init.
    virtual bool CreateAll();
    // After the screens are deleted on window destruction.
    virtual void Shutdown();
    // The derived application steps its own idle manager here, once per drawn frame.
    virtual void UpdateIdleObjects();
    virtual bool CreateMainWindow();
    virtual void OnKeyDown(uint32_t virtualKey);
    virtual void CreateRenderer(bool fullScreen, int32_t width, int32_t height);

    // Window, start-up, then the input devices. False when CreateAll answered false.
    bool Init();
    // The main loop; answers the exit code of the quit message.
    int32_t Run();
    // Starts the loop's timing; Run then calls RunOnce until it answers false. The headless
    // harness calls these two itself to step frames one by one.
    void BeginRun();
    // One pass: the waiting messages, or one frame when none waits. False once quitting.
    bool RunOnce();
    int32_t GetExitCode() const { return m_exitCode; }
    // How long the loop rests after each frame (no cap unless the program sets one).
    qrxFramePacer& GetPacer() { return m_pacer; }
    // The rest asked for after the last frame, seconds.
    double GetLastPause() const { return m_lastPause; }

    // Seconds since the start time.
    double GetTime() const;
    // The frame being stepped: its time and the time since the last one, in full precision (a
    // screen's Update gets them cut to float, whose rounding depends on how long the run is).
    double GetFrameTime() const { return m_frameTime; }
    double GetFrameElapsed() const { return m_frameElapsed; }
    // The first screen registered under an id stays; the application owns the screens it keeps
    // (false: the caller keeps this one).
    bool AddInterface(qrxInterface* screen, int32_t id);
    qrxInterface* GetInterface(int32_t id) const;
    qrxInterface* GetCurrentScreen() const { return m_currentScreen; }
    int32_t GetCurrentScreenId() const { return m_currentScreenId; }
    int32_t GetFramesPerSecond() const { return m_framesPerSecond; }

    void SetDrawnCursor(bool on) { m_drawnCursor = on ? 1 : 0; }
    // Indices 5 and above are ignored.
    void SetCursorBitmap(int32_t index, QrImage* image);
    void SetCursorVisible(bool visible);
    void SelectCursor(int32_t index, bool visible);
    int32_t GetCursorIndex() const { return m_cursorIndex; }
    bool IsCursorVisible() const { return m_cursorVisible != 0; }
    // Steps the idle objects, then blits the drawn cursor with its hot spot at the pointer.
    void DrawCursor(QrRender* renderer);
    // Centres the main window on the desktop, a third of the way down.
    void PlaceWindow();

    plat::WindowBackend* GetWindow() const { return m_window; }
    bool IsActive() const { return m_active != 0; }

    static qrxBaseApp* GetCurrentApp();
    // Set when the loop has seen the quit message; a Run that finds it set returns at once.
    static void SetQuitFlag(bool on);
    static bool GetQuitFlag();

    // Hot spot of each cursor image: offset from its top-left corner to the pointing spot.
    plat::Point m_hotSpots[kCursorCount];
    // Held for the derived application (the text editor's caret).
    QrPointer<QrImage> m_spareImage;
    int32_t m_clientWidth = 640;
    int32_t m_clientHeight = 480;
    uint8_t m_rendererPreference = 1;
    uint8_t m_fullScreen = 1;

protected:
    // Makes the registered screen current (null when the id is unknown).
    void SetCurrentScreen(int32_t id);
    // On window destruction: releases the cursors, deletes the screens (no screen is current
    // afterwards), then Shutdown.
    void Cleanup();

    plat::WindowBackend* m_window;
    plat::InputBackend* m_input;

private:
    void UpdateRate(double now);

    uint32_t m_startTime;
    std::string m_commandLine;
    int32_t m_framesPerSecond = 0;
    qrxInterface* m_currentScreen = nullptr;
    int32_t m_currentScreenId = 0;
    std::map<int32_t, std::unique_ptr<qrxInterface>> m_screens;
    uint8_t m_active = 1;
    uint8_t m_drawnCursor = 0;
    uint8_t m_cursorVisible = 0;
    QrPointer<QrImage> m_cursorImages[kCursorCount];
    int32_t m_cursorIndex = 0;
    // Loop timing.
    double m_lastFrameTime = 0.0;
    double m_frameTime = 0.0;
    double m_frameElapsed = 0.0;
    double m_lastRateTime = 0.0;
    uint32_t m_frameCounter = 0;
    uint32_t m_counterAtRate = 0;
    int32_t m_exitCode = 0;
    qrxFramePacer m_pacer;
    double m_lastPause = 0.0;
};

// The pointer in client coordinates plus the current cursor's hot spot: the position every
// screen and button works with. (0, 0) without an application.
plat::Point GetCursorPoint();
void SetAppCursorVisible(bool visible);
