#pragma once
// Our software mixer in the shape the sound code expects of a sound card: buffers of PCM
// bytes in their own format, played once or looping, with a play cursor, a volume in
// hundredths of a decibel, and events signalled when the cursor passes given offsets or the
// buffer stops at its end. The output pulls mixed 16-bit stereo frames at 44.1 kHz from any
// thread; every operation takes the mixer's lock.

#include "WaveFormat.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace plat
{

class Event;

class Mixer
{
public:
    static constexpr uint32_t kRate = 44100;
    static constexpr uint32_t kChannels = 2;
    // Notification offset meaning "when the buffer stops at its end".
    static constexpr uint32_t kStopOffset = 0xFFFFFFFF;
    static constexpr int32_t kSilentVolume = -10000;

    struct Notification
    {
        uint32_t offset;
        Event* event;
    };
    struct Status
    {
        bool playing = false;
        bool looping = false;
    };
    class Buffer;

    Mixer();
    ~Mixer();
    Mixer(const Mixer&) = delete;
    Mixer& operator=(const Mixer&) = delete;

    // Null when the format is not playable PCM or the size is not a whole number of frames.
    Buffer* CreateBuffer(const WaveFormat& format, uint32_t size);
    void ReleaseBuffer(Buffer* buffer);
    // Writes bytes at offset, wrapping at the buffer's end; false when they do not fit.
    bool Write(Buffer* buffer, uint32_t offset, const void* data, uint32_t size);
    // Fills with the format's silence.
    bool WriteSilence(Buffer* buffer, uint32_t offset, uint32_t size);
    bool SetVolume(Buffer* buffer, int32_t volume);
    bool SetNotifications(Buffer* buffer, const std::vector<Notification>& notifications);
    bool Play(Buffer* buffer, bool loop);
    bool Stop(Buffer* buffer);
    bool GetStatus(Buffer* buffer, Status& status);
    // Byte offset of the next frame to be mixed.
    bool GetPlayCursor(Buffer* buffer, uint32_t& cursor);
    size_t BufferCount();

    // Mixes frames of interleaved 16-bit stereo into out, advancing every playing buffer and
    // signalling the notifications it passes.
    void Mix(int16_t* out, uint32_t frames);

    // Attenuation in hundredths of a decibel to a linear gain (0 gives 1, -10000 nearly 0).
    static float GainOf(int32_t volume);

private:
    Buffer* Find(Buffer* buffer);
    void MixBuffer(Buffer& buffer, std::vector<float>& mix, uint32_t frames, std::vector<Event*>& fired);

    std::mutex m_lock;
    std::vector<std::unique_ptr<Buffer>> m_buffers;
    std::vector<float> m_mix;
};

} // namespace plat
