#include "SoundManager.h"

#include "SoundSlot.h"

#include "Waitable.h"

#include <algorithm>

namespace
{

constexpr int64_t kWorkerStopWaitMs = 20000;
constexpr const char* kInitFailedTitle = "Error";
constexpr const char* kInitFailedText = "Sound Initialization failed, do you wish to continue?";

// The first free slot, taken and locked; null when all are in use.
SoundSlot* TakeSlot(uint16_t kind, SoundHandle* handle, SoundEndCallback onEnd, uintptr_t arg, bool loop,
                    std::unique_lock<std::mutex>& lock)
{
    SoundState& state = Sound();
    for (SoundSlot& slot : state.slots)
    {
        if (slot.inUse)
            continue;
        lock = std::unique_lock<std::mutex>(slot.lock);
        slot.inUse = true;
        slot.kind = kind;
        slot.owner = handle;
        slot.handle = (state.nextSerial++ << 4) | SoundHandle(&slot - state.slots);
        slot.onEnd = onEnd;
        slot.callbackArg = arg;
        slot.loop = loop;
        slot.ended = false;
        slot.silenceCountdown = slot.progress = slot.nextWrite = 0;
        if (handle)
            *handle = slot.handle;
        return &slot;
    }
    return nullptr;
}

// Undoes a play that failed half-way: nothing is left playing and the handle word is zero.
int16_t FailPlay(SoundSlot& slot, int16_t code)
{
    SoundEndReport report = FreeSoundSlot(slot);
    if (report.owner && *report.owner == report.handle)
        *report.owner = 0;
    return code;
}

plat::Mixer& MixerOf()
{
    return Sound().output->GetMixer();
}

template <class Match> void StopMatching(Match match)
{
    SoundState& state = Sound();
    if (!state.output)
        return;
    for (SoundSlot& slot : state.slots)
    {
        std::unique_lock<std::mutex> lock(slot.lock);
        if (!slot.inUse || !match(slot))
            continue;
        const SoundEndReport report = FreeSoundSlot(slot);
        lock.unlock();
        DeliverSoundEnd(report);
    }
}

} // namespace

SoundState::~SoundState()
{
    if (worker.IsRunning())
    {
        events[0]->Set();
        worker.Join();
    }
    if (output)
        output->Close();
}

SoundState& Sound()
{
    static SoundState state;
    return state;
}

SoundEndReport FreeSoundSlot(SoundSlot& slot)
{
    SoundState& state = Sound();
    if (slot.buffer && state.output)
    {
        MixerOf().Stop(slot.buffer);
        MixerOf().ReleaseBuffer(slot.buffer);
    }
    slot.buffer = nullptr;
    slot.reader.Close();
    const SoundEndReport report{slot.owner, slot.handle, slot.onEnd, slot.callbackArg};
    slot.owner = nullptr;
    slot.onEnd = nullptr;
    slot.handle = 0;
    slot.inUse = false;
    return report;
}

void DeliverSoundEnd(const SoundEndReport& report)
{
    if (report.owner && *report.owner == report.handle)
        *report.owner = 0;
    if (report.onEnd)
        report.onEnd(report.callbackArg);
}

void QueueSoundEnd(const SoundEndReport& report)
{
    SoundState& state = Sound();
    std::lock_guard<std::mutex> lock(state.endLock);
    state.ends.push_back(report);
}

void DeliverSoundEnds()
{
    SoundState& state = Sound();
    std::vector<SoundEndReport> ends;
    {
        std::lock_guard<std::mutex> lock(state.endLock);
        ends.swap(state.ends);
    }
    for (const SoundEndReport& report : ends)
        DeliverSoundEnd(report);
}

void SetSoundOutputFactory(plat::AudioOutputFactory factory)
{
    Sound().factory = std::move(factory);
}

void SetSoundInitQuestion(SoundQuestion question)
{
    Sound().question = question;
}

plat::AudioOutput* GetSoundOutput()
{
    return Sound().output.get();
}

int16_t InitSoundManager(plat::WindowBackend* mainWindow)
{
    SoundState& state = Sound();
    state.on = state.ready = state.effectsAllowed = state.streamsAllowed = true;
    const int16_t code = CreateSoundManager(mainWindow);
    if (code == kSoundOk)
        return kSoundOk;
    state.on = false;
    // Without a way to ask, the program goes on without sound, as most players would choose.
    if (!state.question || state.question(mainWindow, kInitFailedTitle, kInitFailedText))
    {
        state.ready = false;
        return kSoundOk;
    }
    return code;
}

int16_t CreateSoundManager(plat::WindowBackend*)
{
    SoundState& state = Sound();
    state.output = state.factory ? state.factory() : nullptr;
    if (!state.output || !state.output->Open())
    {
        state.output.reset();
        return kSoundCreateFailed;
    }
    state.events[0] = std::make_unique<plat::Event>(plat::Event::Reset::kManual);
    for (int i = 1; i <= kSoundSlotCount; ++i)
        state.events[i] = std::make_unique<plat::Event>(plat::Event::Reset::kAuto);
    if (!state.manualWorker && !state.worker.Start(&SoundWorkerThread))
    {
        StopSoundManager();
        return kSoundSystemFailed;
    }
    return kSoundOk;
}

void SetSoundWorkerManual(bool manual)
{
    Sound().manualWorker = manual;
}

void ServiceSoundWorker()
{
    SoundState& state = Sound();
    if (!state.output || !state.manualWorker)
        return;
    plat::Waitable* handles[kSoundSlotCount];
    for (int i = 0; i < kSoundSlotCount; ++i)
        handles[i] = state.events[i + 1].get();
    // Each service may signal again (a stream's refill); a pass per slot and signal is plenty.
    for (int pass = 0; pass < kSoundSlotCount * 4; ++pass)
    {
        const int which = plat::WaitAny(handles, kSoundSlotCount, 0);
        if (which == plat::kWaitTimedOut)
            return;
        ServiceSoundEvent(which + 1);
    }
}

void StopSoundManager()
{
    SoundState& state = Sound();
    if (!state.output)
        return;
    StopMatching([](const SoundSlot&) { return true; });
    if (state.worker.IsRunning())
    {
        state.events[0]->Set();
        state.worker.Join(kWorkerStopWaitMs);
    }
    for (auto& event : state.events)
        event.reset();
    state.output->Close();
    state.output.reset();
    // Nothing may reach the closed device later: every play now does nothing.
    state.on = state.ready = false;
    DeliverSoundEnds();
}

void SetSoundEnabled(bool on)
{
    SoundState& state = Sound();
    if (on && state.ready)
    {
        state.on = true;
        return;
    }
    StopEverySound();
    state.on = false;
}

bool IsSoundOn()
{
    return Sound().on && Sound().output;
}

int16_t PlaySoundBuffer(const plat::WaveFormat& format, const uint8_t* data, uint32_t size, bool loop,
                        SoundEndCallback onEnd, uintptr_t callbackArg, SoundHandle* handle, int32_t volume)
{
    SoundState& state = Sound();
    if (!state.on || !state.effectsAllowed || !state.output)
        return kSoundOk;
    std::unique_lock<std::mutex> lock;
    SoundSlot* slot = TakeSlot(SoundSlot::kStatic, handle, onEnd, callbackArg, loop, lock);
    if (!slot)
        return kSoundNoFreeSlot;
    // A trailing partial frame cannot be played; it is dropped.
    const uint32_t playable = format.blockAlign ? size - size % format.blockAlign : 0;
    slot->buffer = data ? MixerOf().CreateBuffer(format, playable) : nullptr;
    if (!slot->buffer)
        return FailPlay(*slot, kSoundBufferFailed);
    if (!MixerOf().SetVolume(slot->buffer, volume))
        return FailPlay(*slot, kSoundVolumeFailed);
    if (!MixerOf().Write(slot->buffer, 0, data, playable))
        return FailPlay(*slot, kSoundLockFailed);
    plat::Event* event = state.events[1 + (slot - state.slots)].get();
    if (!MixerOf().SetNotifications(slot->buffer, {{plat::Mixer::kStopOffset, event}}))
        return FailPlay(*slot, kSoundNotifyFailed);
    if (!MixerOf().Play(slot->buffer, loop))
        return FailPlay(*slot, kSoundPlayFailed);
    return kSoundOk;
}

int16_t PlaySoundStream(const char* path, bool loop, SoundEndCallback onEnd, uintptr_t callbackArg, SoundHandle* handle,
                        int32_t volume)
{
    SoundState& state = Sound();
    if (!state.on || !state.streamsAllowed || !state.output)
        return kSoundOk;
    std::unique_lock<std::mutex> lock;
    SoundSlot* slot = TakeSlot(SoundSlot::kStream, handle, onEnd, callbackArg, loop, lock);
    if (!slot)
        return kSoundNoFreeSlot;
    const uint16_t opened = path ? slot->reader.Open(path) : uint16_t(kSoundOpenFailed);
    if (opened != 0)
        return FailPlay(*slot, int16_t(opened));
    const plat::WaveFormat& format = slot->reader.Format();
    if (!format.IsPlayablePcm())
        return FailPlay(*slot, kSoundBufferFailed);
    // One and a half seconds per chunk, in whole frames; the buffer holds two.
    const uint32_t align = format.blockAlign;
    slot->chunkSize = (align * format.samplesPerSecond * 3 / 2 + align - 1) / align * align;
    slot->bufferSize = 2 * slot->chunkSize;
    slot->buffer = MixerOf().CreateBuffer(format, slot->bufferSize);
    if (!slot->buffer)
        return FailPlay(*slot, kSoundBufferFailed);
    if (!MixerOf().SetVolume(slot->buffer, volume))
        return FailPlay(*slot, kSoundVolumeFailed);
    // A file shorter than the buffer plays once, padded with silence: refused, it would be lost
    // while the caller heard success and waited for an end that never comes.
    if (!FillStream(*slot, 0, slot->bufferSize, 0))
        return FailPlay(*slot, kSoundReadFailed);
    plat::Event* event = state.events[1 + (slot - state.slots)].get();
    if (!MixerOf().SetNotifications(slot->buffer, {{slot->bufferSize - 1, event}, {slot->chunkSize / 2, event}}))
        return FailPlay(*slot, kSoundNotifyFailed);
    if (!MixerOf().Play(slot->buffer, true))
        return FailPlay(*slot, kSoundPlayFailed);
    return kSoundOk;
}

void StopSound(SoundHandle handle)
{
    if (!Sound().on || handle == 0)
        return;
    StopMatching([handle](const SoundSlot& slot) { return slot.handle == handle; });
}

void SetSoundVolume(SoundHandle handle, int32_t volume)
{
    SoundState& state = Sound();
    if (!state.on || handle == 0 || !state.output)
        return;
    for (SoundSlot& slot : state.slots)
    {
        std::lock_guard<std::mutex> lock(slot.lock);
        if (slot.inUse && slot.handle == handle)
            MixerOf().SetVolume(slot.buffer, volume);
    }
}

void StopEffectSounds()
{
    if (Sound().on && Sound().effectsAllowed)
        StopMatching([](const SoundSlot& slot) { return slot.kind == SoundSlot::kStatic; });
}

void StopEverySound()
{
    if (Sound().on && (Sound().effectsAllowed || Sound().streamsAllowed))
        StopMatching([](const SoundSlot&) { return true; });
}

void StopOwnedSounds(const SoundHandle* owner)
{
    if (!owner)
        return;
    StopMatching([owner](const SoundSlot& slot) { return slot.owner == owner; });
    // Ends already queued for the word must not write it after its owner is gone.
    SoundState& state = Sound();
    std::lock_guard<std::mutex> lock(state.endLock);
    for (SoundEndReport& report : state.ends)
    {
        if (report.owner == owner)
            report.owner = nullptr;
    }
}

void SetOwnedSoundsVolume(const SoundHandle* owner, int32_t volume)
{
    SoundState& state = Sound();
    if (!owner || !state.on || !state.output)
        return;
    for (SoundSlot& slot : state.slots)
    {
        std::lock_guard<std::mutex> lock(slot.lock);
        if (slot.inUse && slot.owner == owner)
            MixerOf().SetVolume(slot.buffer, volume);
    }
}

int OwnedSoundCount(const SoundHandle* owner)
{
    int count = 0;
    for (SoundSlot& slot : Sound().slots)
    {
        std::lock_guard<std::mutex> lock(slot.lock);
        count += (owner && slot.inUse && slot.owner == owner) ? 1 : 0;
    }
    return count;
}
