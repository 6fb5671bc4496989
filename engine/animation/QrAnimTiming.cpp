#include "QrAnimTiming.h"

#include "QrObject.h"
#include "QrStream.h"

#include "Clock.h"

#include <cfloat>
#include <cmath>

// One walk of UpdateAll in progress. Walks nest when an apply calls UpdateAll; unlinking a
// node moves every walk that was about to visit it on to the node after it.
struct QrAnimTiming::Walk
{
    List::Node* m_next = nullptr;
    Walk* m_outer = nullptr;
};

QrAnimTiming::List& QrAnimTiming::GetList()
{
    if (!ms_list)
        ms_list = new List(2);
    return *ms_list;
}

QrAnimTiming::QrAnimTiming() : m_beginTime(FLT_MAX), m_endTime(-FLT_MAX)
{
    m_serial = ++ms_nextSerial;
    m_listNode = GetList().AddTail(this);
}

QrAnimTiming::~QrAnimTiming()
{
    Unlink(m_listNode);
    m_listNode = nullptr;
}

void QrAnimTiming::Unlink(List::Node* node)
{
    if (!node)
        return;
    for (Walk* walk = ms_walks; walk; walk = walk->m_outer)
        if (walk->m_next == node)
            walk->m_next = node->m_next;
    GetList().Remove(node);
}

uint32_t QrAnimTiming::GetListCount()
{
    return ms_list ? ms_list->GetCount() : 0;
}

QrAnimTiming* QrAnimTiming::GetTimingPart(QrObject* object)
{
    return dynamic_cast<QrAnimTiming*>(object);
}

void QrAnimTiming::UpdateAll(float time)
{
    if (!ms_list || ms_list->GetCount() == 0)
        return;
    // Objects made during the walk have later serials and are left for the next call.
    const uint64_t lastSerial = ms_nextSerial;
    Walk walk;
    walk.m_next = ms_list->GetHead();
    walk.m_outer = ms_walks;
    ms_walks = &walk;
    while (List::Node* node = walk.m_next)
    {
        QrAnimTiming* item = node->m_value;
        if (item && item->m_serial > lastSerial)
            break;
        walk.m_next = node->m_next;
        if (!item || !item->m_active)
            continue;
        if (item->m_pending)
        {
            item->m_pending = 0;
            item->ApplyAtTime(item->m_pendingTime);
        }
        else
        {
            item->Update(time);
        }
    }
    ms_walks = walk.m_outer;
}

void QrAnimTiming::Update(float time)
{
    if (m_mode != kModeUpdate)
        return;
    m_running = 0;
    ApplyAtTime(time);
}

void QrAnimTiming::Start()
{
    if (m_mode != kModeFreeRun)
        return;
    // A 32-bit millisecond counter: the local time wraps with it.
    const uint32_t counter = plat::CurrentClock().TickMs();
    const uint32_t frequency = 1000;
    const float now = float(double(counter) * (1.0 / double(frequency)));
    m_running = 1;
    m_restartPending = 1;
    ApplyAtTime(now);
}

void QrAnimTiming::Stop()
{
    if (m_mode == kModeFreeRun)
        m_running = 0;
}

float QrAnimTiming::ComputeScaledTime(float time)
{
    if (m_restartPending && m_mode == kModeFreeRun)
    {
        m_phase = m_beginTime - time * m_frequency;
        m_restartPending = 0;
    }
    float t = time * m_frequency + m_phase;
    const float span = m_endTime - m_beginTime;
    if (m_cycleType == kCycleLoop || m_cycleType == kCycleReverse)
    {
        if (span == 0.0f)
        {
            t = m_beginTime;
        }
        else
        {
            // Cycles count from time 0, not from beginTime: stored animations are authored for it.
            const float r = std::fmod(t, span);
            if (m_cycleType == kCycleLoop)
            {
                t = m_beginTime + r;
            }
            else
            {
                const float cycles = std::trunc(t / span);
                const bool odd = std::fabs(std::fmod(cycles, 2.0f)) == 1.0f;
                t = odd ? m_endTime - r : m_beginTime + r;
            }
        }
    }
    if (!(t <= m_endTime))
        return m_endTime;
    if (t < m_beginTime)
        return m_beginTime;
    return t;
}

void QrAnimTiming::CopyTimingTo(QrAnimTiming& clone) const
{
    clone.m_mode = m_mode;
    clone.m_pending = m_pending;
    clone.m_running = m_running;
    clone.m_restartPending = m_restartPending;
    clone.m_updateWorld = m_updateWorld;
    clone.m_active = m_active;
    clone.m_cycleType = m_cycleType;
    clone.m_pendingTime = m_pendingTime;
    clone.m_frequency = m_frequency;
    clone.m_phase = m_phase;
    clone.m_beginTime = m_beginTime;
    clone.m_endTime = m_endTime;
}

void QrAnimTiming::LoadTiming(QrStream& stream)
{
    m_mode = stream.LoadU32();
    m_pending = stream.LoadU8();
    m_running = stream.LoadU8();
    m_restartPending = stream.LoadU8();
    m_updateWorld = stream.LoadU8();
    m_active = stream.LoadU8();
    m_cycleType = stream.LoadU32();
    m_pendingTime = stream.LoadF32();
    m_frequency = stream.LoadF32();
    m_phase = stream.LoadF32();
    m_beginTime = stream.LoadF32();
    m_endTime = stream.LoadF32();
}

void QrAnimTiming::SaveTiming(QrStream& stream) const
{
    stream.SaveU32(m_mode);
    stream.SaveU8(m_pending);
    stream.SaveU8(m_running);
    stream.SaveU8(m_restartPending);
    stream.SaveU8(m_updateWorld);
    stream.SaveU8(m_active);
    stream.SaveU32(m_cycleType);
    stream.SaveF32(m_pendingTime);
    stream.SaveF32(m_frequency);
    stream.SaveF32(m_phase);
    stream.SaveF32(m_beginTime);
    stream.SaveF32(m_endTime);
}

bool QrAnimTiming::IsTimingEqual(const QrAnimTiming& o) const
{
    return m_mode == o.m_mode && m_pending == o.m_pending && m_running == o.m_running &&
           m_restartPending == o.m_restartPending && m_updateWorld == o.m_updateWorld && m_active == o.m_active &&
           m_cycleType == o.m_cycleType && m_pendingTime == o.m_pendingTime && m_frequency == o.m_frequency &&
           m_phase == o.m_phase && m_beginTime == o.m_beginTime && m_endTime == o.m_endTime;
}

void QrAnimTiming::WidenTimeRange(float first, float last)
{
    if (first < m_beginTime)
        m_beginTime = first;
    if (last > m_endTime)
        m_endTime = last;
}

void QrAnimTiming::ResetTimeRange()
{
    m_beginTime = FLT_MAX;
    m_endTime = -FLT_MAX;
}
