// One video clip per input, opened and decoded as the clip player does: every picture
// converted into a surface format, the sound decoded whole.
#include "FuzzSupport.h"

#include "PixelView.h"
#include "VideoClip.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string path = fuzzsupport::WriteInput("input.avi", data, size);
    plat::VideoClip clip;
    if (!clip.Open(path))
        return 0;
    // Pictures into a surface of the clip's size, in two formats, at most a few hundred.
    const uint32_t width = clip.Width();
    const uint32_t height = clip.Height();
    if (width == 0 || height == 0 || width > plat::VideoClip::kMaxSide || height > plat::VideoClip::kMaxSide)
        std::abort();
    std::vector<uint8_t> pixels(size_t(width) * height * 4);
    for (int frame = 0; frame < 300; ++frame)
    {
        const bool wide = frame % 2 == 0;
        const plat::PixelView view{pixels.data(), int32_t(width * (wide ? 4 : 2)), width, height,
                                   wide ? plat::PixelFormat::Xrgb8888 : plat::PixelFormat::Rgb565};
        if (clip.DecodeNext(view) != plat::VideoClip::Frame::kDelivered)
            break;
    }
    std::vector<int16_t> samples;
    uint32_t rate = 0;
    uint16_t channels = 0;
    clip.DecodeSound(samples, rate, channels);
    return 0;
}
