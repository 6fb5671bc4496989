#pragma once
// The game's own message box, raised over the current screen (which stays current and gets no
// clicks and no keys meanwhile) and served by every screen's update. The box is the screen
// registered as id 21 in the current application. Main thread only.

#include <cstdint>

// Gets the answer (0: the first button, OK or yes; 1: the second) and the caller's argument.
using tovMessageCallback = bool (*)(int32_t answer, uintptr_t argument);

enum tovMessageMode : int32_t
{
    kMessageOk = 0,
    kMessageTwoAnswers = 1,
};

constexpr int32_t kMessageScreenId = 21;

// Gives the box its mode, callback (may be null), argument and text (copied), and raises it.
void ShowMessage(int32_t mode, tovMessageCallback callback, uintptr_t argument, const char* text);
// Keys that answer the message just shown as its first and second buttons do.
void SetMessageAnswerKeys(uint8_t first, uint8_t second);
// Raising runs the box's prepare and enter, lowering its leave and exit; the current screen
// stays current.
void ShowMessageScreen(bool raise);
bool IsMessageBoxRaised();
// Serves a raised box with input switched on for it alone, then draws the cursor.
void UpdateMessageScreen(float time, float elapsed);
// A panel drawn over whatever screen is current, before the message box (the network game's
// chat panel); null for none. Its layer installs and removes it.
using OverlayPanel = void (*)(float time, float elapsed);
void SetOverlayPanel(OverlayPanel panel);
OverlayPanel GetOverlayPanel();
// The program's cursor over the back buffer.
void DrawAppCursor();
