#pragma once
// The window of a run without a display: keeps the last presented frame in memory (written
// as a PNG on request), records titles and message boxes, and takes its messages, focus and
// pointer from whoever drives it (an input script, a test). Leaves out real placement: the
// desktop is a fixed size and the frame has no decorations.

#include "WindowBackend.h"

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace plat
{

struct MessageBoxRecord
{
    std::string title;
    std::string text;
    MessageBoxButtons buttons = MessageBoxButtons::Ok;
    MessageBoxIcon icon = MessageBoxIcon::None;
    MessageBoxAnswer answer = MessageBoxAnswer::Ok;
};

class HeadlessWindowBackend : public WindowBackend
{
public:
    bool Open(const WindowDesc& desc) override;
    void Close() override;
    bool IsOpen() const override { return m_open; }
    uint32_t ClientWidth() const override { return m_width; }
    uint32_t ClientHeight() const override { return m_height; }
    bool Present(const PixelView& frame) override;

    void SetTitle(const std::string& title) override { m_title = title; }
    bool SetFullScreen(bool fullScreen) override;
    bool IsFullScreen() const override { return m_fullScreen; }
    bool HasFocus() const override { return m_open && m_focus; }
    Size DesktopSize() const override { return m_desktop; }
    Rect FrameRect() const override;
    bool MoveFrameTo(Point topLeft) override;
    Point CursorPosition() const override { return m_cursor; }
    void ShowSystemCursor(bool visible) override { m_systemCursorVisible = visible; }
    bool SetIcon(const PixelView& picture) override;
    // Recorded, and answered from the queued answers; without one, the first button for
    // OK and Yes/No, Cancel for Retry/Cancel (so a retry loop cannot run forever).
    MessageBoxAnswer ShowMessageBox(const std::string& title, const std::string& text, MessageBoxButtons buttons,
                                    MessageBoxIcon icon) override;
    // Recorded; answers what SetOpenResult chose (true unless told).
    bool OpenWithDesktop(const std::string& path) override
    {
        m_opened.push_back(path);
        return m_openResult;
    }
    void Minimize() override { ++m_minimizeCount; }

    // What a driver does in place of a user.
    void SetDesktopSize(Size size) { m_desktop = size; }
    // Posts the key-down message of a key number (nothing for unknown numbers).
    void InjectKeyDown(uint8_t key, bool repeat = false);
    // Posts one character message per printable ASCII character; others are dropped.
    void InjectText(std::string_view text);
    // Focus changes post the activation message; an unchanged focus posts nothing.
    void SetFocus(bool focus);
    // Moves the pointer (client coordinates); inside the client area this posts the
    // set-cursor message.
    void MoveCursor(Point position);
    // The user closed the window: the destroy message.
    void RequestClose();
    void RequestPaint();
    void QueueMessageBoxAnswer(MessageBoxAnswer answer) { m_answers.push_back(answer); }
    void SetOpenResult(bool opened) { m_openResult = opened; }
    const std::vector<std::string>& OpenedFiles() const { return m_opened; }
    uint32_t MinimizeCount() const { return m_minimizeCount; }

    // How often the window has lost the focus: input devices notice a loss between reads.
    uint32_t FocusLossCount() const { return m_focusLosses; }
    const std::string& Title() const { return m_title; }
    bool SystemCursorVisible() const { return m_systemCursorVisible; }
    bool HasIcon() const { return m_hasIcon; }
    const std::vector<MessageBoxRecord>& MessageBoxes() const { return m_boxes; }
    uint32_t PresentCount() const { return m_presentCount; }
    // The last frame as presented (its own size), RGB565 pixels row after row.
    uint32_t FrameWidth() const { return m_frameWidth; }
    uint32_t FrameHeight() const { return m_frameHeight; }
    const std::vector<uint16_t>& Frame() const { return m_frame; }
    // 8-bit RGB, each channel widened by repeating its top bits. False without a frame or
    // when the file cannot be written.
    bool WritePng(const std::string& path) const;

protected:
    void PumpEvents() override {}

private:
    bool m_open = false;
    std::string m_title;
    uint32_t m_width = 0;
    uint32_t m_height = 0;
    bool m_fullScreen = false;
    bool m_focus = true;
    uint32_t m_focusLosses = 0;
    Size m_desktop{1024, 768};
    Point m_frameOrigin;
    Point m_cursor;
    bool m_systemCursorVisible = true;
    bool m_hasIcon = false;
    std::deque<MessageBoxAnswer> m_answers;
    std::vector<MessageBoxRecord> m_boxes;
    std::vector<std::string> m_opened;
    bool m_openResult = true;
    uint32_t m_minimizeCount = 0;
    uint32_t m_presentCount = 0;
    uint32_t m_frameWidth = 0;
    uint32_t m_frameHeight = 0;
    std::vector<uint16_t> m_frame;
};

} // namespace plat
