#pragma once
// The sound manager's state, shared by its main-thread operations and its worker. Every
// change of a slot happens under the slot's lock; the in-use flag is also read without it by
// the free-slot search, which only the main thread runs.

#include "Event.h"
#include "SoundManager.h"
#include "Thread.h"
#include "WaveFile.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

struct SoundSlot
{
    enum Kind : uint16_t
    {
        kStatic = 10,
        kStream = 20,
    };

    uint16_t kind = 0;
    SoundHandle* owner = nullptr;
    // The value written into the owner's word: unique per play, so a late end report of an
    // earlier play never clears the word of a later one.
    SoundHandle handle = 0;
    SoundEndCallback onEnd = nullptr;
    uintptr_t callbackArg = 0;

    plat::WaveFile reader;
    uint32_t bufferSize = 0;
    uint32_t chunkSize = 0;
    uint32_t nextWrite = 0;
    uint32_t silenceCountdown = 0;
    uint32_t progress = 0;
    bool ended = false;
    bool loop = false;
    plat::Mixer::Buffer* buffer = nullptr;

    std::atomic<bool> inUse{false};
    std::mutex lock;
};

struct SoundEndReport
{
    SoundHandle* owner;
    SoundHandle handle;
    SoundEndCallback onEnd;
    uintptr_t callbackArg;
};

struct SoundState
{
    SoundState() = default;
    SoundState(const SoundState&) = delete;
    SoundState& operator=(const SoundState&) = delete;
    // At exit: stops and joins the worker, then closes the device, so neither outlives the
    // slots and events they use. End callbacks are not run.
    ~SoundState();

    std::atomic<bool> on{false};
    std::atomic<bool> ready{false};
    std::atomic<bool> effectsAllowed{false};
    std::atomic<bool> streamsAllowed{false};

    plat::AudioOutputFactory factory;
    SoundQuestion question = nullptr;
    std::unique_ptr<plat::AudioOutput> output;

    // The stop event first, then one auto-reset event per slot.
    std::unique_ptr<plat::Event> events[kSoundSlotCount + 1];
    plat::Thread worker;
    // No worker thread: the owner services the events itself (ServiceSoundWorker).
    bool manualWorker = false;
    SoundSlot slots[kSoundSlotCount];
    uint64_t nextSerial = 1;

    std::mutex endLock;
    std::vector<SoundEndReport> ends;
};

SoundState& Sound();

// Frees a slot whose lock is held: stops and releases its buffer, closes its reader and
// returns what its end must do. The caller delivers it after releasing the lock.
SoundEndReport FreeSoundSlot(SoundSlot& slot);
// Main thread: clears the handle word (when it still names this play) and runs the callback.
void DeliverSoundEnd(const SoundEndReport& report);
// Worker: queues the end for the main thread.
void QueueSoundEnd(const SoundEndReport& report);
// Fills size bytes of a stream's buffer at offset from its file, looping or padding with
// silence at the data's end. False on a read error.
bool FillStream(SoundSlot& slot, uint32_t offset, uint32_t size, uint32_t playCursor);
void SoundWorkerThread();
// One signalled slot event (1 to kSoundSlotCount) handled as the worker thread handles it.
void ServiceSoundEvent(int which);
