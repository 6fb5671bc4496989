#pragma once
// The window's message queue: messages in the order they were posted, then the quit message
// once nothing else waits. Main thread only, like the window.

#include "WindowMessage.h"

#include <cstdint>
#include <deque>

namespace plat
{

class MessageQueue
{
public:
    void Post(WindowMessage message);
    // Asks for a quit message carrying the exit code. It is delivered after every message
    // already waiting or posted later; a second request replaces the code.
    void PostQuit(int32_t exitCode);
    // Removes and returns the next message; false when none waits.
    bool Take(WindowMessage& out);
    bool Empty() const { return m_messages.empty() && !m_quitPending; }
    size_t Size() const { return m_messages.size() + (m_quitPending ? 1 : 0); }
    void Clear();

private:
    std::deque<WindowMessage> m_messages;
    bool m_quitPending = false;
    int32_t m_exitCode = 0;
};

} // namespace plat
