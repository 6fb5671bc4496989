#pragma once
// Base of every screen: a keyboard and a mouse itself, with the buttons it owns in a map by
// id. The application switches screens in and out (leave, prepare, exit, enter) and steps
// the current one every frame with PreUpdate and Update; a non-zero Update result is the id
// of the next screen.

#include "qrxKeyMapper.h"
#include "qrxMouse.h"

#include "Point.h"

#include <cstdint>
#include <map>
#include <memory>

class ButtonObj;
class QrRender;

class qrxInterface : public qrxKeyMapper, public qrxMouse
{
public:
    // Mouse messages routed to buttons.
    enum : int32_t
    {
        kMouseMove = 512,
        kLeftDown = 513,
        kLeftUp = 514,
        kRightDown = 516,
        kRightUp = 517,
    };
    // Capture bits: a press is in progress on one of the screen's buttons.
    static constexpr uint32_t kCaptureRight = 1;
    static constexpr uint32_t kCaptureLeft = 2;

    // Connects the keyboard and the mouse to what SetInputWindow stored (throws when that fails).
    qrxInterface();
    // Deletes every button of the map.
    ~qrxInterface() override;

    virtual void PreUpdate(float elapsed);
    virtual void Prepare(int32_t previousId) = 0;
    virtual void Enter(int32_t previousId) = 0;
    virtual void Leave(int32_t ownId) = 0;
    virtual void Exit(int32_t nextId) = 0;
    // The base polls the keyboard and mouse parts and stays.
    virtual int32_t Update(float now, float elapsed);
    // Turns the frame's left-button edges into one message for every button of the map.
    virtual void HandleMouse(QrRender* renderer);
    virtual void ClearButtons();
    // Hands the message to the button and draws it; a null button answers false.
    virtual bool RouteMouseMessage(int32_t message, int32_t x, int32_t y, ButtonObj* button, QrRender* renderer);
    // Window messages of the screen's text editors come here first; true consumes them.
    virtual bool OnEditorMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);
    virtual bool OnPaint(uint32_t message, uintptr_t wParam, intptr_t lParam);
    // Whether Escape may leave the screen. A screen may act on the key here.
    virtual bool AllowsEscape();
    // Whether Escape is the screen's own key now (a page's click, a done button) rather than the
    // way to the main menu; only asks.
    virtual bool KeepsEscape() const;
    virtual void Activate();
    virtual void Deactivate();

    // Takes ownership and answers true; an id already present keeps its first button and the
    // caller keeps this one.
    bool AddButton(ButtonObj* button, int32_t id);
    // Null when the id is not in the map.
    ButtonObj* GetButton(int32_t id) const;
    // The pointer in client pixels, at the current cursor's hot spot.
    plat::Point GetMousePos() const;

    bool IsActive() const { return m_active != 0; }
    uint32_t GetCaptureBits() const { return m_capture; }

    // Where every screen connects its input; the game stores it before building a screen.
    static void SetInputWindow(plat::InputBackend* input, plat::WindowBackend* window);

    // Read and written by the screens: the next screen (0 = stay), the screen to return to
    // and whether the screen's content is built.
    int32_t m_nextScreen = 0;
    int32_t m_returnScreen = 0;
    uint8_t m_built = 0;

protected:
    std::map<int32_t, std::unique_ptr<ButtonObj>> m_buttons;
    uint8_t m_active = 0;
    uint32_t m_capture = 0;
};
