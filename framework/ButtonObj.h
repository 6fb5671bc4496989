#pragma once
// A clickable rectangle on a screen with up to six pictures for its states, a click sound and
// a click action that each subclass supplies. Its screen owns it (in the button map or as a
// member) and routes the mouse to it; a press and release inside runs the click action.

#include "QrImage.h"
#include "QrObject.h"
#include "QrPointer.h"

#include <cstdint>

class QrRender;
struct SoundRecord;

class ButtonObj
{
public:
    // Picture slots, in this order.
    enum Picture
    {
        kHighlight,
        kPressed,
        kSelectedHighlight,
        kSelected,
        kNormal,
        kDisabled,
        kPictureCount,
    };
    static constexpr int kExtraCount = 6;

    ButtonObj();
    ButtonObj(const ButtonObj&) = delete;
    ButtonObj& operator=(const ButtonObj&) = delete;
    virtual ~ButtonObj();

    // Every input operation answers false while the button is disabled or buttons are off.
    virtual bool OnMouseMove(uint32_t flags, int32_t x, int32_t y);
    virtual bool OnLeftDown(int32_t x, int32_t y);
    virtual bool OnLeftUp(int32_t x, int32_t y);
    virtual bool OnRightMove(uint32_t flags, int32_t x, int32_t y);
    virtual bool OnRightDown(int32_t x, int32_t y);
    virtual bool OnRightUp(int32_t x, int32_t y);
    // The point lies in the rectangle: left and top inclusive, right and bottom exclusive.
    virtual bool HitTest(uint32_t flags, int32_t x, int32_t y);
    virtual bool HitTestDown(int32_t x, int32_t y);
    // The click action; the base only answers the hit test.
    virtual bool OnClick(int32_t x, int32_t y, uintptr_t userValue);
    virtual bool RightHitTest(uint32_t flags, int32_t x, int32_t y);
    virtual bool RightHitTestDown(int32_t x, int32_t y);
    virtual bool OnRightClick(int32_t x, int32_t y);
    // Blits the picture of the current state at the top-left corner; a missing one draws nothing.
    virtual void Draw(QrRender* renderer);

    void PlayClickSound();
    void SetSelected(bool selected) { m_selected = selected ? 1 : 0; }
    // A press and release at the button's own corner, when buttons are on.
    void Click();
    // Draws the button when there is a renderer to show it on.
    void RedrawIfVisible(QrRender* renderer);

    void SetRect(int32_t left, int32_t top, int32_t right, int32_t bottom);
    // Takes a reference; null empties the slot.
    void SetPicture(Picture slot, QrImage* image);
    QrImage* GetPicture(Picture slot) const { return m_pictures[slot].Get(); }
    // The picture Draw would show now, or null.
    QrImage* ChoosePicture() const;

    // The program-wide switch: while off, no button takes input and Click does nothing.
    static void SetButtonsActive(bool on);
    static bool GetButtonsActive();
    // Volume of click sounds, in hundredths of a decibel; the game sets its effects volume.
    static void SetClickVolume(int32_t volume);

    int32_t m_left = 0;
    int32_t m_top = 0;
    int32_t m_right = 0;
    int32_t m_bottom = 0;
    uint8_t m_leftTracking = 0;
    uint8_t m_rightTracking = 0;
    uint8_t m_leftHeld = 0;
    uint8_t m_rightHeld = 0;
    uint8_t m_hover = 0;
    uint8_t m_selected = 0;
    uint8_t m_disabled = 0;
    // Blit colour-keyed on black.
    uint8_t m_transparent = 0;
    // Set on toggles (the skill buttons); the screens read it.
    uint8_t m_toggle = 0;
    // Borrowed from the sound facade; null for silence.
    SoundRecord* m_clickSound = nullptr;
    QrPointer<QrImage> m_pictures[kPictureCount];
    // Handed unchanged to the click action (screens pass themselves).
    uintptr_t m_userValue = 0;
    // Held for subclasses, released with the button.
    QrPointer<QrObject> m_extra[kExtraCount];

private:
    bool Accepts() const;
};
