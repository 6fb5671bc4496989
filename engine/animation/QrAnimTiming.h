#pragma once
// The timing part every animated engine object carries as its second base: it maps an
// application time to the object's local time (frequency, phase, begin/end range and a cycle
// rule) and enrols the object in one program-wide list, through which UpdateAll reaches every
// animated object. Owners implement ApplyAtTime; the list never owns what it holds.

#include "QrTList.h"

#include <cstdint>

class QrObject;
class QrStream;

class QrAnimTiming
{
public:
    // Who drives the object.
    enum : uint32_t
    {
        kModeNone = 0,    // only a pending apply runs
        kModeUpdate = 1,  // driven by Update(time)
        kModeFreeRun = 2, // Start/Stop on the program clock
    };

    // Cycle rules; any other value clamps.
    enum : uint32_t
    {
        kCycleLoop = 0,
        kCycleReverse = 1,
        kCycleClamp = 2,
    };

    static constexpr uint32_t kRecordSize = 33;

    QrAnimTiming(const QrAnimTiming&) = delete;
    QrAnimTiming& operator=(const QrAnimTiming&) = delete;

    virtual ~QrAnimTiming();

    // Mode 1: clears running and applies at time; otherwise nothing.
    virtual void Update(float time);
    // Mode 2: applies at the program clock's time and re-bases the phase so that this moment
    // maps to beginTime; otherwise nothing.
    virtual void Start();
    // Mode 2: clears running.
    virtual void Stop();
    // Application time to local time.
    virtual float ComputeScaledTime(float time);
    // Evaluates the owner's keys at ComputeScaledTime(time) and applies them.
    virtual void ApplyAtTime(float time) = 0;

    // Applies every active object on the list: the pending apply when one is due, otherwise
    // Update(time). Objects may be destroyed or made from inside an apply: destroyed ones are
    // skipped, and objects made during the walk wait for the next call.
    static void UpdateAll(float time);
    // Objects on the list now.
    static uint32_t GetListCount();
    // The timing part of an engine object, null when it has none.
    static QrAnimTiming* GetTimingPart(QrObject* object);

    // Copies the settings (not the list membership) into a clone's timing part.
    void CopyTimingTo(QrAnimTiming& clone) const;
    void LoadTiming(QrStream& stream);
    void SaveTiming(QrStream& stream) const;
    bool IsTimingEqual(const QrAnimTiming& other) const;

    uint32_t GetMode() const { return m_mode; }
    void SetMode(uint32_t mode) { m_mode = mode; }
    uint8_t GetPending() const { return m_pending; }
    void SetPending(uint8_t pending) { m_pending = pending; }
    uint8_t GetRunning() const { return m_running; }
    void SetRunning(uint8_t running) { m_running = running; }
    uint8_t GetRestartPending() const { return m_restartPending; }
    void SetRestartPending(uint8_t restart) { m_restartPending = restart; }
    uint8_t GetUpdateWorld() const { return m_updateWorld; }
    void SetUpdateWorld(uint8_t updateWorld) { m_updateWorld = updateWorld; }
    uint8_t GetActive() const { return m_active; }
    void SetActive(uint8_t active) { m_active = active; }
    uint32_t GetCycleType() const { return m_cycleType; }
    void SetCycleType(uint32_t cycleType) { m_cycleType = cycleType; }
    float GetPendingTime() const { return m_pendingTime; }
    void SetPendingTime(float time) { m_pendingTime = time; }
    float GetFrequency() const { return m_frequency; }
    void SetFrequency(float frequency) { m_frequency = frequency; }
    float GetPhase() const { return m_phase; }
    void SetPhase(float phase) { m_phase = phase; }
    float GetBeginTime() const { return m_beginTime; }
    void SetBeginTime(float time) { m_beginTime = time; }
    float GetEndTime() const { return m_endTime; }
    void SetEndTime(float time) { m_endTime = time; }

    // Lowers begin and raises end to take in [first, last]; never narrows the range.
    void WidenTimeRange(float first, float last);
    // The empty range (begin FLT_MAX, end -FLT_MAX) that any key widens.
    void ResetTimeRange();

protected:
    // Enrols the object at the tail of the list.
    QrAnimTiming();

private:
    using List = QrTList<QrAnimTiming*>;
    struct Walk;

    static List& GetList();
    static void Unlink(List::Node* node);

    // Made on first use and never destroyed: objects held by static pointers may unlink
    // themselves during exit.
    static inline List* ms_list = nullptr;
    static inline uint64_t ms_nextSerial = 0;
    static inline Walk* ms_walks = nullptr;

    uint32_t m_mode = kModeNone;
    uint8_t m_pending = 1;
    uint8_t m_running = 1;
    uint8_t m_restartPending = 0;
    uint8_t m_updateWorld = 1;
    uint8_t m_active = 1;
    uint32_t m_cycleType = kCycleClamp;
    float m_pendingTime = 0.0f;
    float m_frequency = 1.0f;
    float m_phase = 0.0f;
    float m_beginTime;
    float m_endTime;

    // This object's node on the list, and its place in construction order.
    List::Node* m_listNode = nullptr;
    uint64_t m_serial = 0;
};
