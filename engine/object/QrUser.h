#pragma once
// Passes an event on to its user actions when it listens to the event's id. The user holds a
// counted reference to each of its actions; whoever builds the user fills both lists. Its
// scene-file record is the plain object part: the lists are not saved.

#include "QrObject.h"
#include "QrTList.h"
#include "QrUserAction.h"

class QrUser : public QrObject
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    QrUser() = default;

    // Calls HandleEvent of every user action, in list order, when the id is one this user
    // listens to; true when at least one of them handled it. The caller keeps the user alive.
    virtual bool HandleEvent(uint32_t eventId, uint32_t a, uint32_t b, uint32_t c);

    // Null is ignored.
    void AddUserAction(QrUserAction* action);
    void AddEventId(uint32_t eventId);
    uint32_t GetUserActionCount() const { return m_userActions.GetCount(); }
    uint32_t GetEventIdCount() const { return m_eventIds.GetCount(); }

protected:
    // Releases the user actions front to back before the object part goes.
    ~QrUser() override;

private:
    using ActionList = QrTList<QrPointer<QrUserAction>>;

    ActionList m_userActions{2};
    // The next node HandleEvent visits.
    ActionList::Node* m_cursor = nullptr;
    QrTList<uint32_t> m_eventIds{2};
};
