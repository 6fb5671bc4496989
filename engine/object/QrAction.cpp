#include "QrAction.h"

#include "QrPointerList.h"
#include "QrStream.h"

#include <vector>

QR_IMPLEMENT_RTTI(QrAction, QrObject)
QR_IMPLEMENT_ABSTRACT_CREATE(QrAction)

namespace
{

// Released at exit with everything on it.
QrPointerList<QrAction>& ActionList()
{
    static QrPointerList<QrAction> list;
    return list;
}

// The frame's walk runs over a copy: additions made by an Update wait for the next frame, and
// a removal never shifts the walk, so no action runs twice. Kept between frames so that a
// steady frame does not allocate; never destroyed, as nothing may step actions at exit.
std::vector<QrPointer<QrAction>>& FrameSnapshot()
{
    static auto* snapshot = new std::vector<QrPointer<QrAction>>;
    return *snapshot;
}

bool g_updating = false;
// The snapshot entry whose Update is running.
size_t g_walkIndex = 0;

} // namespace

void QrAction::AddAction(QrAction* action)
{
    if (action && !ActionList().Contains(action))
        ActionList().AddHead(action);
}

void QrAction::UpdateAll(double time, double elapsed)
{
    if (g_updating)
        return;
    g_updating = true;
    std::vector<QrPointer<QrAction>>& snapshot = FrameSnapshot();
    for (QrAction* action : ActionList())
        snapshot.emplace_back(action);
    for (g_walkIndex = 0; g_walkIndex < snapshot.size(); ++g_walkIndex)
    {
        QrPointer<QrAction>& action = snapshot[g_walkIndex];
        // Null: RemoveAll took it off the list before its turn.
        if (action && !action->Update(time, elapsed))
            ActionList().Remove(action.Get());
        // The copy held it through its call; an ended action dies here.
        action = nullptr;
    }
    snapshot.clear();
    g_updating = false;
}

void QrAction::RegisterAllForSave(QrStream& stream)
{
    for (QrAction* action : ActionList())
        action->RegisterStreamables(stream);
}

void QrAction::RemoveAll()
{
    ActionList().RemoveAll();
    if (!g_updating)
        return;
    // Those still waiting in this frame's walk go too; the running one lives until it returns.
    std::vector<QrPointer<QrAction>>& snapshot = FrameSnapshot();
    for (size_t i = g_walkIndex + 1; i < snapshot.size(); ++i)
        snapshot[i] = nullptr;
}

uint32_t QrAction::GetActionCount()
{
    return ActionList().GetCount();
}

bool QrAction::IsRunning(const QrAction* action)
{
    return ActionList().Contains(action);
}

void QrAction::LinkObject(QrStream& stream)
{
    QrObject::LinkObject(stream);
    // The stream adds it once the whole file has linked, in saved order.
    stream.AddLinkedAction(this);
}
