#include "InputScript.h"

#include "Format.h"
#include "HeadlessInputBackend.h"
#include "HeadlessWindowBackend.h"
#include "KeyNumbers.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace plat
{

namespace
{

constexpr int32_t kMaxCoordinate = 1 << 20;
constexpr int32_t kWheelStep = 120;

std::string_view NextWord(std::string_view& rest)
{
    while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t'))
        rest.remove_prefix(1);
    size_t end = 0;
    while (end < rest.size() && rest[end] != ' ' && rest[end] != '\t')
        ++end;
    const std::string_view word = rest.substr(0, end);
    rest.remove_prefix(end);
    return word;
}

bool ParseInt(std::string_view word, int64_t low, int64_t high, int64_t& out)
{
    const char* end = word.data() + word.size();
    const auto result = std::from_chars(word.data(), end, out);
    return !word.empty() && result.ec == std::errc{} && result.ptr == end && out >= low && out <= high;
}

bool ParseSwitch(std::string_view word, std::string_view on, std::string_view off, bool& out)
{
    if (word == on || word == off)
    {
        out = word == on;
        return true;
    }
    return false;
}

// One line (frame already taken) into an event; the reason on failure.
const char* ParseEvent(std::string_view rest, InputEvent& event)
{
    const std::string_view kind = NextWord(rest);
    int64_t value = 0;
    if (kind == "key")
    {
        event.kind = InputEventKind::Key;
        const std::string_view name = NextWord(rest);
        int64_t number = KeyFromName(name);
        if (number == 0 && !ParseInt(name, 1, 255, number))
            return "unknown key";
        event.code = static_cast<int32_t>(number);
        return ParseSwitch(NextWord(rest), "down", "up", event.down) ? nullptr : "expected down or up";
    }
    if (kind == "text")
    {
        event.kind = InputEventKind::Text;
        if (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t'))
            rest.remove_prefix(1);
        event.text = std::string(rest);
        return nullptr;
    }
    if (kind == "move")
    {
        event.kind = InputEventKind::Move;
        int64_t x = 0, y = 0;
        if (!ParseInt(NextWord(rest), -kMaxCoordinate, kMaxCoordinate, x) ||
            !ParseInt(NextWord(rest), -kMaxCoordinate, kMaxCoordinate, y))
            return "bad position";
        event.position = {static_cast<int32_t>(x), static_cast<int32_t>(y)};
        return nullptr;
    }
    if (kind == "button")
    {
        event.kind = InputEventKind::Button;
        if (!ParseInt(NextWord(rest), 0, 3, value))
            return "bad button";
        event.code = static_cast<int32_t>(value);
        return ParseSwitch(NextWord(rest), "down", "up", event.down) ? nullptr : "expected down or up";
    }
    if (kind == "wheel")
    {
        event.kind = InputEventKind::Wheel;
        if (!ParseInt(NextWord(rest), -1000, 1000, value))
            return "bad wheel steps";
        event.code = static_cast<int32_t>(value);
        return nullptr;
    }
    if (kind == "focus")
    {
        event.kind = InputEventKind::Focus;
        return ParseSwitch(NextWord(rest), "on", "off", event.down) ? nullptr : "expected on or off";
    }
    if (kind == "close")
    {
        event.kind = InputEventKind::Close;
        return nullptr;
    }
    if (kind == "step")
    {
        event.kind = InputEventKind::Step;
        if (!ParseInt(NextWord(rest), 1, InputScript::kMaxStepMs, value))
            return "bad step";
        event.code = static_cast<int32_t>(value);
        return nullptr;
    }
    if (kind == "keep")
    {
        event.kind = InputEventKind::Keep;
        event.text = std::string(NextWord(rest));
        const bool named = !event.text.empty() && std::all_of(event.text.begin(), event.text.end(),
                                                              [](char c) {
                                                                  return (c >= 'a' && c <= 'z') ||
                                                                         (c >= 'A' && c <= 'Z') ||
                                                                         (c >= '0' && c <= '9') || c == '-' || c == '_';
                                                              });
        return named ? nullptr : "keep needs a name of letters, digits, - and _";
    }
    if (kind == "wait")
    {
        event.kind = InputEventKind::Wait;
        while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t'))
            rest.remove_prefix(1);
        event.text = std::string(rest);
        return event.text.empty() ? "wait needs a line" : nullptr;
    }
    return "unknown event";
}

} // namespace

bool InputScript::Parse(std::string_view source, std::string& error)
{
    m_events.clear();
    m_next = 0;
    m_stepMs = 0;
    m_delay = 0;
    uint32_t lineNumber = 0;
    while (!source.empty())
    {
        ++lineNumber;
        const size_t end = source.find('\n');
        std::string_view line = source.substr(0, end);
        source = end == std::string_view::npos ? std::string_view{} : source.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        std::string_view rest = line;
        const std::string_view first = NextWord(rest);
        if (first.empty() || first.front() == '#')
            continue;
        const char* reason = nullptr;
        int64_t frame = 0;
        InputEvent event;
        if (line.size() > kMaxLineLength)
            reason = "line too long";
        else if (m_events.size() >= kMaxEvents)
            reason = "too many events";
        else if (!ParseInt(first, 0, UINT32_MAX, frame))
            reason = "bad frame number";
        else if (!m_events.empty() && frame < m_events.back().frame)
            reason = "frames go back";
        else
            reason = ParseEvent(rest, event);
        if (reason)
        {
            error = Format("line %u: %s", lineNumber, reason);
            m_events.clear();
            return false;
        }
        event.frame = static_cast<uint32_t>(frame);
        m_events.push_back(std::move(event));
    }
    return true;
}

bool InputScript::Load(const std::string& path, std::string& error)
{
    std::error_code ec;
    const uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec || size > kMaxEvents * 32)
    {
        error = ec ? "cannot read " + path : path + " is too large";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    if (!in && !in.eof())
    {
        error = "cannot read " + path;
        return false;
    }
    return Parse(text.str(), error);
}

void InputScript::Add(InputEvent event)
{
    m_events.push_back(std::move(event));
}

void InputScript::PlayUntil(uint32_t frame, HeadlessWindowBackend& window, HeadlessInputBackend& input,
                            const StateCheck& check, const StateKeeper& keep)
{
    while (m_next < m_events.size() && m_events[m_next].frame + m_delay <= frame)
    {
        const InputEvent& event = m_events[m_next];
        if (event.kind == InputEventKind::Wait)
        {
            if (!check || !check(event.text))
                return;
            m_delay = frame - event.frame;
        }
        if (event.kind == InputEventKind::Keep && keep)
            keep(event.text);
        Apply(event, window, input);
        ++m_next;
    }
}

void InputScript::Apply(const InputEvent& event, HeadlessWindowBackend& window, HeadlessInputBackend& input)
{
    switch (event.kind)
    {
    case InputEventKind::Key:
        input.SetKey(static_cast<uint8_t>(event.code), event.down);
        if (event.down)
            window.InjectKeyDown(static_cast<uint8_t>(event.code));
        break;
    case InputEventKind::Text:
        window.InjectText(event.text);
        break;
    case InputEventKind::Move:
    {
        const Point from = window.CursorPosition();
        input.MoveMouse(event.position.x - from.x, event.position.y - from.y);
        window.MoveCursor(event.position);
        break;
    }
    case InputEventKind::Button:
        input.SetButton(event.code, event.down);
        break;
    case InputEventKind::Wheel:
        input.TurnWheel(event.code * kWheelStep);
        break;
    case InputEventKind::Focus:
        window.SetFocus(event.down);
        break;
    case InputEventKind::Close:
        window.RequestClose();
        break;
    case InputEventKind::Step:
        m_stepMs = static_cast<uint32_t>(event.code);
        break;
    case InputEventKind::Wait:
    case InputEventKind::Keep:
        break;
    }
}

} // namespace plat
