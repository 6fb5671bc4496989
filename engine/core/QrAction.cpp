#include "QrAction.h"

#include "QrStream.h"

#include <algorithm>
#include <vector>

QR_IMPLEMENT_RTTI(QrAction, QrObject)
QR_IMPLEMENT_ABSTRACT_CREATE(QrAction)

namespace
{
// Front is the head of the list.
std::vector<QrPointer<QrAction>>& ActionList()
{
    static auto* list = new std::vector<QrPointer<QrAction>>;
    return *list;
}
} // namespace

void QrAction::AddAction(QrAction* action)
{
    if (action)
        ActionList().insert(ActionList().begin(), QrPointer<QrAction>(action));
}

void QrAction::UpdateAll(double time, double elapsed)
{
    // Walk a snapshot so that actions added or removed during the walk neither run twice
    // nor shift the walk; a finished action is removed by identity.
    std::vector<QrPointer<QrAction>> snapshot = ActionList();
    for (QrPointer<QrAction>& action : snapshot)
    {
        if (!action || !IsRunning(action.Get()))
            continue;
        if (!action->Update(time, elapsed))
        {
            auto& list = ActionList();
            auto it = std::find(list.begin(), list.end(), action);
            if (it != list.end())
                list.erase(it);
        }
    }
}

void QrAction::RegisterAllForSave(QrStream& stream)
{
    for (QrPointer<QrAction>& action : ActionList())
        if (action)
            action->RegisterStreamables(stream);
}

void QrAction::RemoveAll()
{
    std::vector<QrPointer<QrAction>> old;
    old.swap(ActionList());
}

uint32_t QrAction::GetActionCount()
{
    return static_cast<uint32_t>(ActionList().size());
}

bool QrAction::IsRunning(const QrAction* action)
{
    auto& list = ActionList();
    return std::find(list.begin(), list.end(), action) != list.end();
}

void QrAction::LinkObject(QrStream& stream)
{
    QrObject::LinkObject(stream);
    stream.AddLinkedAction(this);
}
