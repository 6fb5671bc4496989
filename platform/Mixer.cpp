#include "Mixer.h"

#include "Event.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace plat
{

class Mixer::Buffer
{
public:
    WaveFormat format;
    std::vector<uint8_t> bytes;
    uint32_t frameCount = 0;
    // Position in source frames, 32.32 fixed point.
    uint64_t position = 0;
    float gain = 1.0f;
    bool playing = false;
    bool looping = false;
    std::vector<Notification> notifications;

    uint32_t CursorBytes() const { return uint32_t(position >> 32) * format.blockAlign; }
    // One source frame as two floats in -1..1.
    void Frame(uint32_t index, float& left, float& right) const
    {
        const uint8_t* at = bytes.data() + size_t(index) * format.blockAlign;
        if (format.bitsPerSample == 8)
        {
            left = (int(at[0]) - 128) / 128.0f;
            right = format.channels == 2 ? (int(at[1]) - 128) / 128.0f : left;
            return;
        }
        int16_t l = 0;
        int16_t r = 0;
        std::memcpy(&l, at, 2);
        if (format.channels == 2)
            std::memcpy(&r, at + 2, 2);
        else
            r = l;
        left = l / 32768.0f;
        right = r / 32768.0f;
    }
};

Mixer::Mixer() = default;
Mixer::~Mixer() = default;

float Mixer::GainOf(int32_t volume)
{
    if (volume >= 0)
        return 1.0f;
    if (volume <= kSilentVolume)
        return 0.0f;
    return std::pow(10.0f, float(volume) / 2000.0f);
}

Mixer::Buffer* Mixer::Find(Buffer* buffer)
{
    for (const auto& owned : m_buffers)
    {
        if (owned.get() == buffer)
            return buffer;
    }
    return nullptr;
}

Mixer::Buffer* Mixer::CreateBuffer(const WaveFormat& format, uint32_t size)
{
    if (!format.IsPlayablePcm() || size == 0 || size % format.blockAlign != 0)
        return nullptr;
    auto buffer = std::make_unique<Buffer>();
    buffer->format = format;
    buffer->bytes.assign(size, format.bitsPerSample == 8 ? 0x80 : 0);
    buffer->frameCount = size / format.blockAlign;
    std::lock_guard<std::mutex> lock(m_lock);
    m_buffers.push_back(std::move(buffer));
    return m_buffers.back().get();
}

void Mixer::ReleaseBuffer(Buffer* buffer)
{
    std::lock_guard<std::mutex> lock(m_lock);
    std::erase_if(m_buffers, [buffer](const std::unique_ptr<Buffer>& owned) { return owned.get() == buffer; });
}

bool Mixer::Write(Buffer* buffer, uint32_t offset, const void* data, uint32_t size)
{
    std::lock_guard<std::mutex> lock(m_lock);
    Buffer* target = Find(buffer);
    if (!target || offset >= target->bytes.size() || size > target->bytes.size())
        return false;
    const uint32_t first = std::min<uint32_t>(size, uint32_t(target->bytes.size()) - offset);
    const auto* source = static_cast<const uint8_t*>(data);
    std::memcpy(target->bytes.data() + offset, source, first);
    std::memcpy(target->bytes.data(), source + first, size - first);
    return true;
}

bool Mixer::WriteSilence(Buffer* buffer, uint32_t offset, uint32_t size)
{
    std::lock_guard<std::mutex> lock(m_lock);
    Buffer* target = Find(buffer);
    if (!target || offset >= target->bytes.size() || size > target->bytes.size())
        return false;
    const uint8_t silence = target->format.bitsPerSample == 8 ? 0x80 : 0;
    const uint32_t first = std::min<uint32_t>(size, uint32_t(target->bytes.size()) - offset);
    std::memset(target->bytes.data() + offset, silence, first);
    std::memset(target->bytes.data(), silence, size - first);
    return true;
}

bool Mixer::SetVolume(Buffer* buffer, int32_t volume)
{
    std::lock_guard<std::mutex> lock(m_lock);
    Buffer* target = Find(buffer);
    if (!target || volume > 0 || volume < kSilentVolume)
        return false;
    target->gain = GainOf(volume);
    return true;
}

bool Mixer::SetNotifications(Buffer* buffer, const std::vector<Notification>& notifications)
{
    std::lock_guard<std::mutex> lock(m_lock);
    Buffer* target = Find(buffer);
    if (!target || target->playing)
        return false;
    for (const Notification& n : notifications)
    {
        if (!n.event || (n.offset != kStopOffset && n.offset >= target->bytes.size()))
            return false;
    }
    target->notifications = notifications;
    return true;
}

bool Mixer::Play(Buffer* buffer, bool loop)
{
    std::lock_guard<std::mutex> lock(m_lock);
    Buffer* target = Find(buffer);
    if (!target)
        return false;
    target->playing = true;
    target->looping = loop;
    return true;
}

bool Mixer::Stop(Buffer* buffer)
{
    std::lock_guard<std::mutex> lock(m_lock);
    Buffer* target = Find(buffer);
    if (!target)
        return false;
    target->playing = false;
    return true;
}

bool Mixer::GetStatus(Buffer* buffer, Status& status)
{
    std::lock_guard<std::mutex> lock(m_lock);
    Buffer* target = Find(buffer);
    if (!target)
        return false;
    status.playing = target->playing;
    status.looping = target->playing && target->looping;
    return true;
}

bool Mixer::GetPlayCursor(Buffer* buffer, uint32_t& cursor)
{
    std::lock_guard<std::mutex> lock(m_lock);
    Buffer* target = Find(buffer);
    if (!target)
        return false;
    cursor = target->CursorBytes();
    return true;
}

size_t Mixer::BufferCount()
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_buffers.size();
}

void Mixer::Mix(int16_t* out, uint32_t frames)
{
    std::vector<Event*> fired;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_mix.assign(size_t(frames) * kChannels, 0.0f);
        for (const auto& buffer : m_buffers)
        {
            if (buffer->playing)
                MixBuffer(*buffer, m_mix, frames, fired);
        }
        for (size_t i = 0; i < m_mix.size(); ++i)
            out[i] = int16_t(std::clamp(std::lround(m_mix[i] * 32767.0f), -32768l, 32767l));
    }
    // Signalled outside the lock: a woken worker's first act is to ask the mixer.
    for (Event* event : fired)
        event->Set();
}

// Linear interpolation between source frames; the cursor passes notification offsets as it
// moves, and a buffer played once stops after its last frame.
void Mixer::MixBuffer(Buffer& buffer, std::vector<float>& mix, uint32_t frames, std::vector<Event*>& fired)
{
    const uint64_t step = (uint64_t(buffer.format.samplesPerSecond) << 32) / kRate;
    const uint64_t end = uint64_t(buffer.frameCount) << 32;
    const uint32_t startByte = buffer.CursorBytes();
    bool wrapped = false;
    bool stopped = false;
    for (uint32_t f = 0; f < frames; ++f)
    {
        const auto index = uint32_t(buffer.position >> 32);
        const float t = float(buffer.position & 0xFFFFFFFFu) / 4294967296.0f;
        uint32_t next = index + 1;
        if (next >= buffer.frameCount)
            next = buffer.looping ? 0 : index;
        float l0, r0, l1, r1;
        buffer.Frame(index, l0, r0);
        buffer.Frame(next, l1, r1);
        mix[f * 2] += (l0 + (l1 - l0) * t) * buffer.gain;
        mix[f * 2 + 1] += (r0 + (r1 - r0) * t) * buffer.gain;
        buffer.position += step;
        if (buffer.position >= end)
        {
            if (buffer.looping)
            {
                // A buffer shorter than one step would otherwise run ever further past its end.
                buffer.position %= end;
                wrapped = true;
            }
            else
            {
                buffer.position = 0;
                buffer.playing = false;
                stopped = true;
                break;
            }
        }
    }
    const uint32_t endByte = stopped ? uint32_t(buffer.bytes.size()) : buffer.CursorBytes();
    for (const Notification& n : buffer.notifications)
    {
        bool passed = false;
        if (n.offset == kStopOffset)
            passed = stopped;
        else if (stopped)
            passed = n.offset >= startByte;
        else if (wrapped)
            passed = endByte > startByte || n.offset >= startByte || n.offset < endByte;
        else
            passed = n.offset >= startByte && n.offset < endByte;
        if (passed)
            fired.push_back(n.event);
    }
}

} // namespace plat
