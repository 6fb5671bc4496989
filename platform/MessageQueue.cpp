#include "MessageQueue.h"

#include <utility>

namespace plat
{

void MessageQueue::Post(WindowMessage message)
{
    m_messages.push_back(std::move(message));
}

void MessageQueue::PostQuit(int32_t exitCode)
{
    m_quitPending = true;
    m_exitCode = exitCode;
}

bool MessageQueue::Take(WindowMessage& out)
{
    if (!m_messages.empty())
    {
        out = std::move(m_messages.front());
        m_messages.pop_front();
        return true;
    }
    if (!m_quitPending)
        return false;
    m_quitPending = false;
    out = WindowMessage{};
    out.message = kMsgQuit;
    out.wParam = static_cast<uintptr_t>(static_cast<intptr_t>(m_exitCode));
    return true;
}

void MessageQueue::Clear()
{
    m_messages.clear();
    m_quitPending = false;
    m_exitCode = 0;
}

} // namespace plat
