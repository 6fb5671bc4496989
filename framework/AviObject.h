#pragma once
// Plays a video clip into a rectangle of the screen: each frame lands in the shared scratch
// image and is blitted opaque at the clip's position; the sound plays through the sound
// manager. Stepped once a frame as an idle object; its end action runs once per clip.

#include "SoundRecord.h"
#include "qrxIdleObject.h"
#include "qrxScratchImage.h"

#include "PixelView.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace plat
{
class VideoClip;
}

class AviObject : public qrxScratchImage, public qrxIdleObject
{
public:
    static constexpr int32_t kFailed = int32_t(0x80004005);

    AviObject();
    ~AviObject() override;

    // 0, or kFailed with nothing left open (no end action will come).
    int32_t Play(const char* path, int32_t x, int32_t y);
    // Ends the clip; the end action runs only when the clip was still playing.
    void Stop();
    void UpdateFrame();
    void Update(double now, double elapsed) override;

    void SetEndCallback(SoundEndCallback callback, uintptr_t arg);
    bool IsPlaying() const { return m_playing; }
    // The last decoded frame (24-bit, blue first), for tests and redraws.
    const plat::PixelView& GetFrame() const { return m_view; }

private:
    void Finish();
    void Release();
    void Present();

    bool m_playing = false;
    std::unique_ptr<plat::VideoClip> m_clip;
    int32_t m_left = 0;
    int32_t m_top = 0;
    int32_t m_right = 0;
    int32_t m_bottom = 0;
    SoundEndCallback m_onEnd = nullptr;
    uintptr_t m_onEndArg = 0;
    uint32_t m_startMs = 0;
    uint32_t m_framesShown = 0;
    std::vector<uint8_t> m_pixels;
    plat::PixelView m_view;
    std::vector<int16_t> m_sound;
    SoundHandle m_soundHandle = 0;
};
