#pragma once
// Input for a headless run, stamped by frame: keys, typed text, pointer moves, buttons, the
// wheel, focus changes and closing the window. Read from a text file of one event a line:
//
//   <frame> key <name or number> down|up     key state, and on down the key-down message
//   <frame> text <characters to end of line>  character messages
//   <frame> move <x> <y>                      pointer to client position, relative motion
//   <frame> button <0-3> down|up
//   <frame> wheel <steps>                     120 per step
//   <frame> focus on|off
//   <frame> close
//   <frame> step <milliseconds>                the run's clock step from this frame on
//   <frame> wait <line>                       holds the script until the run's state has that
//                                             line (a final * stands for the rest of a line);
//                                             later events keep their distance from it
//   <frame> keep <name>                       the run keeps its last frame's state under the
//                                             name (letters, digits, - and _)
//
// Blank lines and lines starting with # are skipped. Frames must not decrease.

#include "Point.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace plat
{

class HeadlessInputBackend;
class HeadlessWindowBackend;

enum class InputEventKind : uint8_t
{
    Key,
    Text,
    Move,
    Button,
    Wheel,
    Focus,
    Close,
    Step,
    Wait,
    Keep,
};

struct InputEvent
{
    uint32_t frame = 0;
    InputEventKind kind = InputEventKind::Key;
    int32_t code = 0;  // key number, button, wheel steps, clock step
    bool down = false; // key and button: pressed; focus: gained
    Point position;    // move
    std::string text;  // text; wait: the line waited for; keep: the name
};

class InputScript
{
public:
    // False on the first bad line, with its number and the reason in `error`; the script is
    // then empty. Bounded: at most kMaxEvents events and kMaxLineLength per line.
    bool Parse(std::string_view source, std::string& error);
    bool Load(const std::string& path, std::string& error);
    void Add(InputEvent event);

    // Whether the run's state has the line a wait names.
    using StateCheck = std::function<bool(const std::string& line)>;
    // Takes a keep event's name.
    using StateKeeper = std::function<void(const std::string& name)>;
    // Applies every event due by `frame` that was not applied yet, in order. A wait that the
    // check does not pass (or any wait without a check) stops the script there until a later
    // call passes it; the events after it are then due that many frames later.
    void PlayUntil(uint32_t frame, HeadlessWindowBackend& window, HeadlessInputBackend& input,
                   const StateCheck& check = {}, const StateKeeper& keep = {});
    bool Finished() const { return m_next >= m_events.size(); }
    // The clock step the last step event applied asked for; 0 before any.
    uint32_t StepMs() const { return m_stepMs; }
    const std::vector<InputEvent>& Events() const { return m_events; }

    static constexpr size_t kMaxEvents = 1u << 20;
    static constexpr size_t kMaxLineLength = 4096;
    // An hour a frame: the longest fishing day in a few frames.
    static constexpr int32_t kMaxStepMs = 3600000;

private:
    void Apply(const InputEvent& event, HeadlessWindowBackend& window, HeadlessInputBackend& input);

    std::vector<InputEvent> m_events;
    size_t m_next = 0;
    uint32_t m_stepMs = 0;
    // Frames the waits passed so far held the script.
    uint64_t m_delay = 0;
};

} // namespace plat
