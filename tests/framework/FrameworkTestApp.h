#pragma once
// A small application and screen for tests: screens record their calls and answer a scripted
// next-screen id; the application switches screens in the order the game does (leave,
// prepare, exit, enter) and draws each frame through an optional renderer.

#include "ButtonObj.h"
#include "qrxBaseApp.h"
#include "qrxInterface.h"
#include "qrxTextEditor.h"

#include <string>
#include <vector>

class TestScreen : public qrxInterface
{
public:
    TestScreen(std::string name, std::vector<std::string>& log) : m_name(std::move(name)), m_log(log) {}

    void PreUpdate(float) override { m_log.push_back(m_name + ".PreUpdate"); }
    void Prepare(int32_t id) override { m_log.push_back(m_name + ".Prepare " + std::to_string(id)); }
    void Enter(int32_t id) override { m_log.push_back(m_name + ".Enter " + std::to_string(id)); }
    void Leave(int32_t id) override { m_log.push_back(m_name + ".Leave " + std::to_string(id)); }
    void Exit(int32_t id) override { m_log.push_back(m_name + ".Exit " + std::to_string(id)); }
    int32_t Update(float, float) override
    {
        m_log.push_back(m_name + ".Update");
        HandleMouse(m_renderer);
        const int32_t next = m_nextScreen;
        m_nextScreen = 0;
        return next;
    }
    bool OnPaint(uint32_t, uintptr_t, intptr_t) override
    {
        m_log.push_back(m_name + ".OnPaint");
        return true;
    }

    QrRender* m_renderer = nullptr;

private:
    std::string m_name;
    std::vector<std::string>& m_log;
};

// A button whose click sets its screen's next screen.
class GoButton : public ButtonObj
{
public:
    explicit GoButton(int32_t target) : m_target(target) {}
    bool OnClick(int32_t, int32_t, uintptr_t userValue) override
    {
        reinterpret_cast<qrxInterface*>(userValue)->m_nextScreen = m_target;
        ++m_clicks;
        return true;
    }
    int32_t m_target;
    int m_clicks = 0;
};

class TestApp : public qrxBaseApp
{
public:
    TestApp(plat::WindowBackend* window, plat::InputBackend* input, std::vector<std::string>& log)
        : qrxBaseApp(window, input, ""), m_log(log)
    {
        m_fullScreen = 0;
    }

    void SwitchScreen(int32_t id) override
    {
        qrxInterface* next = GetInterface(id);
        if (!next)
            return;
        const int32_t old = GetCurrentScreenId();
        qrxInterface* current = GetCurrentScreen();
        if (current)
            current->Leave(old);
        next->Prepare(old);
        if (current)
            current->Exit(id);
        SetCurrentScreen(id);
        next->Enter(old);
    }
    // As the game does: the focused text field sees characters and key presses first.
    intptr_t WindowProc(const plat::WindowMessage& message) override
    {
        qrxTextEditor* editor = qrxTextEditor::GetFocusedEditor();
        if (editor && (message.message == plat::kMsgChar || message.message == plat::kMsgKeyDown))
            editor->HandleMessage(message.message, message.wParam, message.lParam);
        return qrxBaseApp::WindowProc(message);
    }
    void Shutdown() override { m_log.push_back("Shutdown"); }
    void OnKeyDown(uint32_t key) override { m_log.push_back("OnKeyDown " + std::to_string(key)); }
    void UpdateIdleObjects() override { ++m_idleSteps; }
    void CleanupForTest() { Cleanup(); }
    bool RunsWhileInactive() const override { return m_runsWhileInactive; }

    int m_idleSteps = 0;
    bool m_runsWhileInactive = false;

private:
    std::vector<std::string>& m_log;
};
