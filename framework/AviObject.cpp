#include "AviObject.h"

#include "PixelFormat.h"

#include "SoundManager.h"
#include "qrxClock.h"

#include "QrDDImage.h"
#include "QrRect.h"
#include "QrRender.h"
#include "Surface.h"
#include "VideoClip.h"
#include "WaveFormat.h"

#include <cmath>
#include <cstring>

AviObject::AviObject() = default;

AviObject::~AviObject()
{
    Stop();
}

void AviObject::SetEndCallback(SoundEndCallback callback, uintptr_t arg)
{
    m_onEnd = callback;
    m_onEndArg = arg;
}

int32_t AviObject::Play(const char* path, int32_t x, int32_t y)
{
    Release();
    auto clip = std::make_unique<plat::VideoClip>();
    if (!path || !clip->Open(path))
        return kFailed;
    const uint32_t width = clip->Width();
    const uint32_t height = clip->Height();
    m_pixels.assign(size_t(width) * height * 3, 0);
    m_view = {m_pixels.data(), int32_t(width * 3), width, height, plat::PixelFormat::Rgb888};
    uint32_t rate = 0;
    uint16_t channels = 0;
    if (clip->DecodeSound(m_sound, rate, channels))
    {
        const uint16_t align = uint16_t(channels * 2);
        const plat::WaveFormat format{plat::WaveFormat::kTagPcm, channels, rate, rate * align, align, 16, 0};
        // A clip without a free sound slot still plays, silently.
        PlaySoundBuffer(format, reinterpret_cast<const uint8_t*>(m_sound.data()), uint32_t(m_sound.size() * 2), false,
                        nullptr, 0, &m_soundHandle, 0);
    }
    m_clip = std::move(clip);
    m_left = x;
    m_top = y;
    m_right = x + int32_t(width);
    m_bottom = y + int32_t(height);
    m_startMs = GetTimeMs();
    m_framesShown = 0;
    m_playing = true;
    return 0;
}

void AviObject::Update(double, double)
{
    UpdateFrame();
}

// Frames are taken at the clip's rate against the program clock; a slow frame skips ahead.
void AviObject::UpdateFrame()
{
    if (!m_clip || !m_playing)
        return;
    const double elapsed = double(GetTimeMs() - m_startMs) / 1000.0;
    const auto due = uint32_t(std::floor(elapsed * m_clip->FrameRate())) + 1;
    while (m_framesShown < due)
    {
        if (m_clip->DecodeNext(m_view) != plat::VideoClip::Frame::kDelivered)
        {
            Finish();
            return;
        }
        ++m_framesShown;
    }
    Present();
}

void AviObject::Present()
{
    QrRender* renderer = GetRenderer();
    plat::Surface* surface = GetSurface(int32_t(m_view.width), int32_t(m_view.height));
    plat::PixelView target;
    if (!renderer || !surface || QrDDImage::LockSurface(surface, target) != plat::Result::Ok)
        return;
    const uint32_t width = std::min(m_view.width, target.width);
    const uint32_t bytes = plat::BytesPerPixel(target.format);
    for (uint32_t row = 0; row < m_view.height && row < target.height; ++row)
    {
        if (target.format == plat::PixelFormat::Rgb888)
        {
            std::memcpy(target.Row(row), m_view.Row(row), width * 3);
            continue;
        }
        // The scratch surface takes the display's format when it cannot be 24-bit.
        const uint8_t* from = m_view.Row(row);
        uint8_t* to = target.Row(row);
        for (uint32_t x = 0; x < width; ++x, from += 3, to += bytes)
        {
            const uint32_t argb = 0xFF000000u | uint32_t(from[2]) << 16 | uint32_t(from[1]) << 8 | from[0];
            plat::WritePixel(to, bytes, plat::PackColor(target.format, argb));
        }
    }
    QrDDImage::UnlockSurface(surface);
    QrImage* image = GetSharedImage();
    image->RaisePixelRevision();
    QrRect source;
    source.right = int32_t(m_view.width);
    source.bottom = int32_t(m_view.height);
    renderer->BlitImage(image, &source, m_left, m_top, 0);
}

void AviObject::Finish()
{
    if (!m_playing)
        return;
    m_playing = false;
    StopSound(m_soundHandle);
    if (m_onEnd)
        m_onEnd(m_onEndArg);
}

void AviObject::Stop()
{
    Finish();
    Release();
}

void AviObject::Release()
{
    m_playing = false;
    StopSound(m_soundHandle);
    m_soundHandle = 0;
    m_clip.reset();
    m_sound.clear();
}
