// The sound worker: wakes when a slot's buffer passes a notification point, refills streams
// and frees slots whose sound has ended. Its ends go to the main thread through the queue.

#include "SoundSlot.h"

#include <algorithm>

namespace
{

uint32_t Distance(uint32_t from, uint32_t to, uint32_t size)
{
    return to >= from ? to - from : size - from + to;
}

// Under the slot's lock: true when the slot ended and must be freed.
bool ServiceStaticSlot(SoundSlot& slot, plat::Mixer& mixer)
{
    plat::Mixer::Status status;
    if (!mixer.GetStatus(slot.buffer, status))
        return true;
    return !status.playing && !slot.loop;
}

// Under the slot's lock: true when the stream ended or failed and must be freed.
bool ServiceStreamSlot(SoundSlot& slot, plat::Mixer& mixer)
{
    plat::Mixer::Status status;
    uint32_t cursor = 0;
    if (!mixer.GetStatus(slot.buffer, status) || !status.playing || !mixer.GetPlayCursor(slot.buffer, cursor))
        return true;
    if (cursor == slot.nextWrite)
        return false;
    if (slot.ended && slot.silenceCountdown == 0)
        return true;
    const uint32_t toFill = Distance(slot.nextWrite, cursor, slot.bufferSize);
    slot.progress += toFill;
    if (slot.ended)
    {
        slot.silenceCountdown -= std::min(slot.silenceCountdown, toFill);
        if (!mixer.WriteSilence(slot.buffer, slot.nextWrite, toFill))
            return true;
    }
    else if (!FillStream(slot, slot.nextWrite, toFill, cursor))
        return true;
    slot.nextWrite = (slot.nextWrite + toFill) % slot.bufferSize;
    return false;
}

} // namespace

bool FillStream(SoundSlot& slot, uint32_t offset, uint32_t size, uint32_t playCursor)
{
    std::vector<uint8_t> bytes(size);
    uint32_t filled = 0;
    bool restarted = false;
    while (filled < size)
    {
        uint32_t got = 0;
        if (slot.reader.Read(bytes.data() + filled, size - filled, got) == plat::WaveFile::kReadFailed)
            return false;
        filled += got;
        if (filled == size)
            break;
        // The data ended inside the region. A loop starts over (an empty file would loop
        // forever, so a second restart without data ends it); otherwise the rest is silence.
        if (slot.loop && !(restarted && got == 0))
        {
            restarted = true;
            slot.progress = 0;
            if (slot.reader.StartDataRead() != plat::WaveFile::kOk)
                return false;
            continue;
        }
        std::fill(bytes.begin() + filled, bytes.end(), slot.reader.Format().bitsPerSample == 8 ? 0x80 : 0);
        slot.ended = true;
        // What is still to be heard: from the play cursor to the end of the real data.
        slot.silenceCountdown = Distance(playCursor, (offset + filled) % slot.bufferSize, slot.bufferSize);
        break;
    }
    return Sound().output->GetMixer().Write(slot.buffer, offset, bytes.data(), size);
}

void ServiceSoundEvent(int which)
{
    SoundState& state = Sound();
    SoundSlot& slot = state.slots[which - 1];
    std::unique_lock<std::mutex> lock(slot.lock);
    if (!slot.inUse || !slot.buffer)
        return;
    plat::Mixer& mixer = state.output->GetMixer();
    const bool finished =
        slot.kind == SoundSlot::kStatic ? ServiceStaticSlot(slot, mixer) : ServiceStreamSlot(slot, mixer);
    if (!finished)
        return;
    // Freed and queued in one step under the slot's lock: an unload that stops its sounds
    // either finds the slot playing or the report queued, never neither.
    QueueSoundEnd(FreeSoundSlot(slot));
}

void SoundWorkerThread()
{
    SoundState& state = Sound();
    plat::Waitable* handles[kSoundSlotCount + 1];
    for (int i = 0; i <= kSoundSlotCount; ++i)
        handles[i] = state.events[i].get();
    for (;;)
    {
        const int which = plat::WaitAny(handles, kSoundSlotCount + 1);
        if (which <= 0)
            return;
        ServiceSoundEvent(which);
    }
}
