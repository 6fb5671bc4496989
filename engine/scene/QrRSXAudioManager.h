#pragma once
// Program-wide bookkeeping of the optional 3D-audio component: the emitters the application
// registered and the listener state. This build never has the component (nothing probes for it
// or starts it), so the bookkeeping runs on its own and exit releases nothing. The manager is
// made on first use and never destroyed, so emitters released during exit still find it.

#include "QrTList.h"

#include <cstdint>

class QrAudioEmitter;

class QrRSXAudioManager
{
public:
    // A counted interface of the 3D-audio component.
    class Interface
    {
    public:
        virtual uint32_t Release() = 0;

    protected:
        virtual ~Interface() = default;
    };

    // The state handed to the component; its fields mean what the component says they mean.
    struct ListenerState
    {
        uint32_t m_size = 16;
        uint8_t m_mode = 0;
        float m_first = 0.0f;
        float m_second = 0.0f;
    };
    static_assert(sizeof(ListenerState) == 16, "the component takes a 16-byte record");

    static QrRSXAudioManager& Get();

    QrRSXAudioManager(const QrRSXAudioManager&) = delete;
    QrRSXAudioManager& operator=(const QrRSXAudioManager&) = delete;

    // The engine registers no emitter itself; an emitter registered twice is listed once.
    void AddEmitter(QrAudioEmitter* emitter);
    // Called by every emitter's destructor; an emitter not in the list changes nothing.
    void RemoveEmitter(QrAudioEmitter* emitter);
    bool HasEmitter(const QrAudioEmitter* emitter) const;
    uint32_t GetEmitterCount() const { return m_emitters.GetCount(); }

    // Release of a non-null interface.
    static void ReleaseInterface(Interface* audio);

    // The exit teardown: every registered emitter loses its sound-source handles and leaves the
    // list, and the component (when there is one) is released. Emitters may be destroyed after.
    void Shutdown();

    // Always null here: the component is absent.
    Interface* GetComponent() const { return m_component; }
    const ListenerState& GetAppliedListener() const { return m_applied; }
    const ListenerState& GetRequestedListener() const { return m_requested; }
    uint8_t GetChanged() const { return m_changed; }

private:
    QrRSXAudioManager() = default;
    ~QrRSXAudioManager() = default;

    QrTList<QrAudioEmitter*>::Node* FindNode(const QrAudioEmitter* emitter) const;

    uint8_t m_changed = 0;
    QrTList<QrAudioEmitter*> m_emitters;
    ListenerState m_applied;
    ListenerState m_requested;
    Interface* m_component = nullptr;
};
