#include "HeadlessWindowBackend.h"

#include "KeyNumbers.h"

#include <png.h>

#include <cstring>

namespace plat
{

bool HeadlessWindowBackend::Open(const WindowDesc& desc)
{
    if (desc.width == 0 || desc.height == 0)
        return false;
    m_open = true;
    m_title = desc.title;
    m_width = desc.width;
    m_height = desc.height;
    m_fullScreen = desc.fullScreen;
    m_focus = true;
    return true;
}

void HeadlessWindowBackend::Close()
{
    m_open = false;
}

bool HeadlessWindowBackend::SetFullScreen(bool fullScreen)
{
    if (!m_open)
        return false;
    m_fullScreen = fullScreen;
    return true;
}

Rect HeadlessWindowBackend::FrameRect() const
{
    const Point origin = m_fullScreen ? Point{} : m_frameOrigin;
    return {origin.x, origin.y, origin.x + static_cast<int32_t>(m_width), origin.y + static_cast<int32_t>(m_height)};
}

bool HeadlessWindowBackend::MoveFrameTo(Point topLeft)
{
    if (!m_open)
        return false;
    m_frameOrigin = topLeft;
    return true;
}

bool HeadlessWindowBackend::SetIcon(const PixelView& picture)
{
    const bool usable = picture.pixels && picture.width > 0 && picture.height > 0 &&
                        picture.format != PixelFormat::Pal8 && !IsDepthFormat(picture.format) &&
                        picture.format != PixelFormat::Unknown;
    m_hasIcon = m_hasIcon || usable;
    return usable;
}

MessageBoxAnswer HeadlessWindowBackend::ShowMessageBox(const std::string& title, const std::string& text,
                                                       MessageBoxButtons buttons, MessageBoxIcon icon)
{
    MessageBoxAnswer answer = buttons == MessageBoxButtons::Ok      ? MessageBoxAnswer::Ok
                              : buttons == MessageBoxButtons::YesNo ? MessageBoxAnswer::Yes
                                                                    : MessageBoxAnswer::Cancel;
    if (!m_answers.empty())
    {
        answer = m_answers.front();
        m_answers.pop_front();
    }
    m_boxes.push_back({title, text, buttons, icon, answer});
    return answer;
}

void HeadlessWindowBackend::InjectKeyDown(uint8_t key, bool repeat)
{
    const uint32_t virtualKey = VirtualKeyOfKey(key);
    if (virtualKey == 0)
        return;
    WindowMessage message;
    message.message = kMsgKeyDown;
    message.wParam = virtualKey;
    message.lParam = KeyDownParam(key, repeat);
    PostMessage(std::move(message));
    // As the real window does: Return and keypad Enter are character 13 too.
    if (virtualKey == kVkReturn)
    {
        WindowMessage enter;
        enter.message = kMsgChar;
        enter.wParam = 13;
        enter.lParam = 1;
        PostMessage(std::move(enter));
    }
}

void HeadlessWindowBackend::InjectText(std::string_view text)
{
    for (const char c : text)
    {
        if (c < 0x20 || c > 0x7E)
            continue;
        WindowMessage message;
        message.message = kMsgChar;
        message.wParam = static_cast<uintptr_t>(c);
        message.lParam = 1;
        PostMessage(std::move(message));
    }
}

void HeadlessWindowBackend::SetFocus(bool focus)
{
    if (focus == m_focus)
        return;
    m_focus = focus;
    if (!focus)
        ++m_focusLosses;
    WindowMessage message;
    message.message = kMsgActivateApp;
    message.wParam = focus ? 1 : 0;
    PostMessage(std::move(message));
}

void HeadlessWindowBackend::MoveCursor(Point position)
{
    m_cursor = position;
    if (position.x < 0 || position.y < 0 || position.x >= static_cast<int32_t>(m_width) ||
        position.y >= static_cast<int32_t>(m_height))
        return;
    WindowMessage message;
    message.message = kMsgSetCursor;
    PostMessage(std::move(message));
}

void HeadlessWindowBackend::RequestClose()
{
    WindowMessage message;
    message.message = kMsgDestroy;
    PostMessage(std::move(message));
}

void HeadlessWindowBackend::RequestPaint()
{
    WindowMessage message;
    message.message = kMsgPaint;
    PostMessage(std::move(message));
}

bool HeadlessWindowBackend::Present(const PixelView& frame)
{
    if (!m_open || frame.format != PixelFormat::Rgb565 || !frame.pixels || frame.width == 0 || frame.height == 0)
        return false;
    m_frameWidth = frame.width;
    m_frameHeight = frame.height;
    m_frame.resize(static_cast<size_t>(frame.width) * frame.height);
    for (uint32_t y = 0; y < frame.height; ++y)
        std::memcpy(&m_frame[static_cast<size_t>(y) * frame.width], frame.Row(y), size_t{frame.width} * 2);
    ++m_presentCount;
    return true;
}

bool HeadlessWindowBackend::WritePng(const std::string& path) const
{
    if (m_frame.empty())
        return false;
    std::vector<uint8_t> rgb(m_frame.size() * 3);
    for (size_t i = 0; i < m_frame.size(); ++i)
    {
        const uint32_t argb = ExpandColor(PixelFormat::Rgb565, m_frame[i]);
        rgb[i * 3 + 0] = static_cast<uint8_t>(argb >> 16);
        rgb[i * 3 + 1] = static_cast<uint8_t>(argb >> 8);
        rgb[i * 3 + 2] = static_cast<uint8_t>(argb);
    }
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = m_frameWidth;
    image.height = m_frameHeight;
    image.format = PNG_FORMAT_RGB;
    const bool ok = png_image_write_to_file(&image, path.c_str(), 0, rgb.data(),
                                            static_cast<png_int_32>(m_frameWidth * 3), nullptr) != 0;
    png_image_free(&image);
    return ok;
}

} // namespace plat
