// Video clips under video/: a spinning reel over the water with its sound, written as an
// AVI of uncompressed frames and PCM sound.

#include "SampleData.h"

#include "GenSounds.h"

#include "AviWriter.h"

#include <cmath>

namespace gen
{

namespace
{

constexpr double kPi = 3.14159265358979323846;

void Put(QrImagePixels& p, int x, int y, uint8_t r, uint8_t g, uint8_t b)
{
    if (x < 0 || y < 0 || uint32_t(x) >= p.GetWidth() || uint32_t(y) >= p.GetHeight())
        return;
    uint8_t* px = p.GetRow(uint32_t(y)) + x * 3;
    px[0] = r;
    px[1] = g;
    px[2] = b;
}

QrImagePixels ReelFrame(uint32_t width, uint32_t height, double angle, double t)
{
    QrImagePixels p;
    p.Allocate(QrImagePixels::kFormatRGB, width, height);
    // Sky over rippling water.
    for (uint32_t y = 0; y < height; ++y)
    {
        for (uint32_t x = 0; x < width; ++x)
        {
            const bool water = y > height / 3;
            const double ripple = water ? 12.0 * std::sin(x * 0.15 + y * 0.4 + t * 6.0) : 0.0;
            Put(p, int(x), int(y), uint8_t(water ? 30 + ripple : 150 + y / 2), uint8_t(water ? 80 + ripple : 190),
                uint8_t(water ? 130 + ripple : 235));
        }
    }
    // The reel: a dark spool with a bright rim and four turning spokes, a handle, the line.
    const int cx = int(width) / 2;
    const int cy = int(height) / 2;
    const int radius = int(std::min(width, height)) / 3;
    for (int y = -radius; y <= radius; ++y)
    {
        for (int x = -radius; x <= radius; ++x)
        {
            const double d = std::sqrt(double(x * x + y * y));
            if (d <= radius)
                Put(p, cx + x, cy + y, d > radius - 3 ? 210 : 60, d > radius - 3 ? 210 : 60, d > radius - 3 ? 200 : 70);
        }
    }
    for (int spoke = 0; spoke < 4; ++spoke)
    {
        const double a = angle + spoke * kPi / 2.0;
        for (int r = 0; r < radius - 3; ++r)
            Put(p, cx + int(r * std::cos(a)), cy + int(r * std::sin(a)), 230, 180, 40);
    }
    const int hx = cx + int((radius + 6) * std::cos(angle));
    const int hy = cy + int((radius + 6) * std::sin(angle));
    for (int y = -3; y <= 3; ++y)
        for (int x = -3; x <= 3; ++x)
            Put(p, hx + x, hy + y, 240, 240, 240);
    for (int y = 0; y < cy - radius; ++y)
        Put(p, cx + radius / 2, y, 250, 250, 250);
    return p;
}

} // namespace

std::vector<uint8_t> MakeReelClip(double seconds, uint32_t width, uint32_t height, uint32_t fps)
{
    tools::AviClip clip;
    clip.framesPerSecond = fps;
    const uint32_t frames = uint32_t(seconds * fps);
    for (uint32_t f = 0; f < frames; ++f)
    {
        const double t = double(f) / fps;
        clip.frames.push_back(ReelFrame(width, height, t * 2.0 * kPi * 1.5, t));
    }
    clip.sound = MakeReelSpin(seconds);
    clip.soundRate = kSoundRate;
    clip.soundChannels = 1;
    return tools::WriteAVI(clip);
}

void GenerateClips(Context& context)
{
    context.WriteBytes("video/Spin.avi", MakeReelClip(2.0, 160, 120, 15));
}

} // namespace gen
