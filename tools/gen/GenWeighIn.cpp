// The weigh-in's sample content: the crowd at the stage and the results board (group 21 of
// the main pack), its crowd, announcer and applause sounds, and the ceremony's short clips
// under video/ (the angler stepping up to the scale, the winner with the trophy).

#include "SampleData.h"

#include "GenSounds.h"
#include "LabelFont.h"

#include "AviWriter.h"
#include "ImageWriters.h"
#include "PackWriter.h"

#include <cmath>
#include <cstdint>
#include <string>

namespace gen
{

namespace
{

constexpr uint32_t kPicture = 0x80000010;
constexpr uint32_t kSound = 0x80000004;
constexpr uint32_t kGroup = 21;
constexpr double kPi = 3.14159265358979323846;

struct Rgb
{
    uint8_t r, g, b;
};

void Put(QrImagePixels& p, int x, int y, Rgb c)
{
    if (x < 0 || y < 0 || uint32_t(x) >= p.GetWidth() || uint32_t(y) >= p.GetHeight())
        return;
    uint8_t* px = p.GetRow(uint32_t(y)) + x * 3;
    px[0] = c.r;
    px[1] = c.g;
    px[2] = c.b;
}

void Box(QrImagePixels& p, int x0, int y0, int x1, int y1, Rgb c)
{
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            Put(p, x, y, c);
}

void Disc(QrImagePixels& p, int cx, int cy, int r, Rgb c)
{
    for (int y = -r; y <= r; ++y)
        for (int x = -r; x <= r; ++x)
            if (x * x + y * y <= r * r)
                Put(p, cx + x, cy + y, c);
}

uint32_t Hash(uint32_t v)
{
    v ^= v >> 16;
    v *= 0x7feb352dU;
    v ^= v >> 15;
    v *= 0x846ca68bU;
    v ^= v >> 16;
    return v;
}

// A person seen from the front: head, shoulders and body, scaled.
void Person(QrImagePixels& p, int x, int y, int s, Rgb shirt, Rgb skin)
{
    Disc(p, x, y, s, skin);
    Box(p, x - s * 2, y + s, x + s * 2, y + s * 6, shirt);
}

// The stage under a banner, a scale with its hanging board, and rows of the crowd; the seed
// turns heads and shirts so that the eight pictures differ.
QrImagePixels CrowdPicture(uint32_t seed)
{
    QrImagePixels p;
    p.Allocate(QrImagePixels::kFormatRGB, 640, 480);
    for (int y = 0; y < 480; ++y)
        Box(p, 0, y, 640, y + 1, Rgb{uint8_t(20 + y / 12), uint8_t(30 + y / 10), uint8_t(70 + y / 8)});
    Box(p, 60, 40, 580, 100, Rgb{150, 20, 25});
    DrawLabel(p, 150, 56, "BASS CLASSIC WEIGH-IN", 3, 250, 230, 120);
    Box(p, 0, 260, 640, 300, Rgb{110, 80, 50});
    // The scale on its stand.
    Box(p, 300, 180, 340, 260, Rgb{90, 90, 100});
    Box(p, 270, 150, 370, 190, Rgb{20, 20, 20});
    DrawLabel(p, 282, 162, "00.00", 2, 90, 250, 90);
    const Rgb shirts[] = {{200, 40, 40},   {40, 90, 200},  {230, 200, 60}, {40, 150, 70},
                          {220, 220, 220}, {120, 60, 150}, {230, 120, 40}};
    const Rgb skins[] = {{230, 190, 150}, {190, 140, 100}, {140, 95, 60}, {250, 215, 180}};
    for (int row = 0; row < 4; ++row)
    {
        const int y = 300 + row * 45;
        const int size = 9 + row * 3;
        for (int k = 0; k < 14 + row; ++k)
        {
            const uint32_t h = Hash(seed * 977u + uint32_t(row * 61 + k));
            const int x = (k * 640) / (13 + row) + int(h % 17) - 8;
            // Some of the crowd raise an arm to cheer.
            Person(p, x, y + int(h >> 8) % 6, size, shirts[h % 7], skins[(h >> 4) % 4]);
            if ((h >> 12) % 3 == 0)
                Box(p, x + size * 2, y - size * 2, x + size * 2 + size / 2 + 2, y + size * 2, skins[(h >> 4) % 4]);
        }
    }
    return p;
}

// The results board: lake and day titles, column heads and five row bands, blank for the
// screen's own text.
QrImagePixels BoardPicture()
{
    QrImagePixels p;
    p.Allocate(QrImagePixels::kFormatRGB, 640, 480);
    for (int y = 0; y < 480; ++y)
        Box(p, 0, y, 640, y + 1, Rgb{uint8_t(12 + y / 20), uint8_t(40 + y / 16), uint8_t(30 + y / 24)});
    Box(p, 8, 4, 632, 48, Rgb{25, 70, 45});
    Box(p, 12, 80, 130, 130, Rgb{130, 30, 30});
    DrawLabel(p, 160, 92, "TOURNAMENT RESULTS", 3, 240, 220, 110);
    DrawLabel(p, 96, 150, "PLACE  ANGLER", 2, 240, 220, 110);
    DrawLabel(p, 446, 150, "FISH", 2, 240, 220, 110);
    DrawLabel(p, 512, 150, "WEIGHT", 2, 240, 220, 110);
    // No column rules across the rows: the season page writes its long lines over this board.
    for (int row = 0; row < 5; ++row)
    {
        const int y = 182 + row * 48;
        Box(p, 8, y, 632, y + 40, row % 2 == 0 ? Rgb{20, 55, 40} : Rgb{28, 68, 50});
    }
    Box(p, 0, 440, 640, 480, Rgb{10, 25, 20});
    return p;
}

// The crowd's applause and murmur and an announcer's line play together: their sum stays under
// full scale, the line above the crowd.
constexpr double kCrowdScale = 12000.0;
constexpr double kLineScale = 16000.0;

std::vector<int16_t> Pcm(const std::vector<float>& wave, double scale)
{
    std::vector<int16_t> samples(wave.size());
    for (size_t i = 0; i < wave.size(); ++i)
        samples[i] = int16_t(std::lround(std::fmax(-1.0, std::fmin(1.0, wave[i])) * scale));
    return samples;
}

// Crowd murmur or applause: filtered noise with a swell, claps as short bursts.
std::vector<float> Crowd(uint32_t seed, double seconds, bool applause)
{
    std::vector<float> w(size_t(seconds * kSoundRate));
    float low = 0.0f;
    for (size_t i = 0; i < w.size(); ++i)
    {
        const float noise = float(int32_t(Hash(seed * 7919u + uint32_t(i)) % 2001) - 1000) / 1000.0f;
        low += (noise - low) * (applause ? 0.6f : 0.08f);
        const double t = double(i) / kSoundRate;
        double env = std::sin(kPi * t / seconds);
        if (applause)
            env *= 0.4 + 0.6 * ((Hash(seed + uint32_t(i / 400)) % 3) == 0 ? 1.0 : 0.3);
        w[i] = float(low * env * (applause ? 0.8 : 1.6));
    }
    return w;
}

// An announcer-like line: voiced syllables with formant-like overtones, pitch by id.
std::vector<float> Line(uint32_t id, double seconds)
{
    std::vector<float> w(size_t(seconds * kSoundRate));
    const double pitch = 95.0 + double(Hash(id) % 40);
    const double syllable = 0.11 + double(Hash(id * 3) % 5) * 0.01;
    for (size_t i = 0; i < w.size(); ++i)
    {
        const double t = double(i) / kSoundRate;
        const uint32_t s = uint32_t(t / syllable);
        const double f1 = 400.0 + double(Hash(id * 31 + s) % 500);
        const double phase = std::fmod(t, syllable) / syllable;
        const double env = std::sin(kPi * phase) * (s % 5 == 4 ? 0.1 : 1.0);
        const double f0 = pitch * (1.0 + 0.1 * std::sin(t * 3.0));
        w[i] = float(
            env * (0.5 * std::sin(2 * kPi * f0 * t) + 0.3 * std::sin(2 * kPi * f1 * t) * std::sin(2 * kPi * f0 * t)));
    }
    return w;
}

void AddSound(tools::PackContents& pack, const PackSound& sound)
{
    tools::PackItem item;
    item.type = kSound;
    item.id = sound.id;
    item.info = tools::PcmFormatRecord(kSoundRate, 1, 16);
    item.data.resize(sound.samples.size() * 2);
    for (size_t i = 0; i < sound.samples.size(); ++i)
    {
        item.data[i * 2] = uint8_t(sound.samples[i] & 0xFF);
        item.data[i * 2 + 1] = uint8_t(uint16_t(sound.samples[i]) >> 8);
    }
    pack.Add(std::move(item), {kGroup});
}

// A figure stepping up to the scale (frame by frame closer), or the winner holding the
// trophy high, sitting or standing; female figures wear a brighter shirt and longer hair.
QrImagePixels ClipFrame(bool winner, bool female, bool sitting, uint32_t variant, uint32_t frame)
{
    QrImagePixels p;
    p.Allocate(QrImagePixels::kFormatRGB, 96, 72);
    Box(p, 0, 0, 96, 72, Rgb{30, 40, 80});
    Box(p, 0, 50, 96, 72, Rgb{110, 80, 50});
    const Rgb shirt = female ? Rgb{220, 80, 150} : Rgb{50, 90, 200};
    const Rgb skin{230, 190, 150};
    const int x = winner ? 48 : 10 + int(frame) * 6 + int(variant) * 3;
    const int y = sitting ? 30 : 20;
    if (female)
        Box(p, x - 6, y - 6, x + 7, y + 8, Rgb{120, 70, 30});
    Person(p, x, y, 5, shirt, skin);
    if (winner)
    {
        // The trophy raised and lowered.
        const int lift = int(frame % 4) * 2;
        Box(p, x + 10, y - 12 - lift, x + 12, y + 6, skin);
        Box(p, x + 6, y - 22 - lift, x + 16, y - 12 - lift, Rgb{240, 200, 40});
    }
    else
    {
        Box(p, 70, 30, 78, 50, Rgb{90, 90, 100});
        Box(p, 64, 22, 84, 30, Rgb{20, 20, 20});
    }
    return p;
}

std::vector<uint8_t> Clip(bool winner, bool female, bool sitting, uint32_t variant)
{
    tools::AviClip clip;
    clip.framesPerSecond = 8;
    for (uint32_t f = 0; f < 8; ++f)
        clip.frames.push_back(ClipFrame(winner, female, sitting, variant, f));
    return tools::WriteAVI(clip);
}

} // namespace

void AddWeighInItems(tools::PackContents& pack)
{
    const tools::BmpOptions rgb{24, false, 0};
    for (uint32_t k = 0; k < 8; ++k)
    {
        tools::PackItem item;
        item.type = kPicture;
        item.id = 833 + k;
        item.data = tools::WriteBMP(CrowdPicture(k), rgb);
        pack.Add(std::move(item), {kGroup});
    }
    tools::PackItem board;
    board.type = kPicture;
    board.id = 844;
    board.data = tools::WriteBMP(BoardPicture(), rgb);
    pack.Add(std::move(board), {kGroup});

    for (const PackSound& sound : MakeWeighInSounds())
        AddSound(pack, sound);
}

std::vector<PackSound> MakeWeighInSounds()
{
    std::vector<PackSound> sounds;
    sounds.push_back({6071, Pcm(Crowd(1, 0.6, true), kCrowdScale)});
    sounds.push_back({6072, Pcm(Crowd(2, 0.5, false), kCrowdScale)});
    for (uint32_t id : {6129u, 6130u, 6131u, 6132u, 6137u})
        sounds.push_back({id, Pcm(Line(id, 0.5), kLineScale)});
    for (uint32_t id = 6140; id <= 6182; ++id)
        sounds.push_back({id, Pcm(Line(id, 0.4), kLineScale)});
    for (uint32_t id = 6190; id <= 6195; ++id)
        sounds.push_back({id, Pcm(Crowd(id, 0.5, id == 6195), kCrowdScale)});
    return sounds;
}

void GenerateWeighInClips(Context& context)
{
    const char* const getUp[2][3] = {{"GetupM", "GetupM02", "GetupM03"}, {"GetupF", "GetupF02", "GetupF03"}};
    for (uint32_t g = 0; g < 2; ++g)
        for (uint32_t v = 0; v < 3; ++v)
            context.WriteBytes(std::string("video/") + getUp[g][v] + ".avi", Clip(false, g == 1, false, v));
    context.WriteBytes("video/winsitM.avi", Clip(true, false, true, 0));
    context.WriteBytes("video/winstndM.avi", Clip(true, false, false, 0));
    context.WriteBytes("video/winsitF.avi", Clip(true, true, true, 0));
    context.WriteBytes("video/winstndF.avi", Clip(true, true, false, 0));
}

} // namespace gen
