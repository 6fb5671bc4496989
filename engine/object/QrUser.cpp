#include "QrUser.h"

QR_IMPLEMENT_RTTI(QrUser, QrObject)
QR_IMPLEMENT_CREATE(QrUser)

QrUser::~QrUser()
{
    while (ActionList::Node* head = m_userActions.GetHead())
        m_userActions.Remove(head);
    m_userActions.RemoveAll();
    m_eventIds.RemoveAll();
}

void QrUser::AddUserAction(QrUserAction* action)
{
    if (action)
        m_userActions.AddTail(QrPointer<QrUserAction>(action));
}

void QrUser::AddEventId(uint32_t eventId)
{
    m_eventIds.AddTail(eventId);
}

bool QrUser::HandleEvent(uint32_t eventId, uint32_t a, uint32_t b, uint32_t c)
{
    bool listens = false;
    for (const QrTList<uint32_t>::Node* node = m_eventIds.GetHead(); node && !listens; node = node->m_next)
        listens = node->m_value == eventId;
    if (!listens)
        return false;

    // An action may pass another event to this user; the outer walk resumes where it was.
    ActionList::Node* const outerCursor = m_cursor;
    uint32_t handled = 0;
    m_cursor = m_userActions.GetHead();
    while (m_cursor)
    {
        const QrPointer<QrUserAction> action = m_cursor->m_value;
        m_cursor = m_cursor->m_next;
        if (action && action->HandleEvent(eventId, a, b, c))
            ++handled;
    }
    m_cursor = outerCursor;
    return handled > 0;
}
