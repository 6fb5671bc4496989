#include "FrameRateMeter.h"

#include "qrxAssetCache.h"

#include "QrCamera.h"
#include "QrColorA.h"
#include "QrPoint3.h"

#include "Clock.h"

namespace
{

// An 8 x 16 digit font, '#' set; row 0 at the top.
constexpr const char* kGlyphRows[FrameRateMeter::kGlyphs][16] = {
    {"........", "........", "..####..", ".##..##.", "##....##", "##...###", "##..####", "##.##.##", "####..##",
     "###...##", "##....##", ".##..##.", "..####..", "........", "........", "........"},
    {"........", "........", "...##...", "..###...", ".####...", "...##...", "...##...", "...##...", "...##...",
     "...##...", "...##...", "...##...", ".######.", "........", "........", "........"},
    {"........", "........", ".#####..", "##...##.", ".....##.", ".....##.", "....##..", "...##...", "..##....",
     ".##.....", "##......", "##...##.", "#######.", "........", "........", "........"},
    {"........", "........", ".#####..", "##...##.", ".....##.", ".....##.", "..####..", ".....##.", ".....##.",
     ".....##.", ".....##.", "##...##.", ".#####..", "........", "........", "........"},
    {"........", "........", "....##..", "...###..", "..####..", ".##.##..", "##..##..", "#######.", "....##..",
     "....##..", "....##..", "....##..", "...####.", "........", "........", "........"},
    {"........", "........", "#######.", "##......", "##......", "##......", "######..", ".....##.", ".....##.",
     ".....##.", ".....##.", "##...##.", ".#####..", "........", "........", "........"},
    {"........", "........", "..###...", ".##.....", "##......", "##......", "######..", "##...##.", "##...##.",
     "##...##.", "##...##.", "##...##.", ".#####..", "........", "........", "........"},
    {"........", "........", "#######.", "##...##.", ".....##.", ".....##.", "....##..", "...##...", "..##....",
     "..##....", "..##....", "..##....", "..##....", "........", "........", "........"},
    {"........", "........", ".#####..", "##...##.", "##...##.", "##...##.", ".#####..", "##...##.", "##...##.",
     "##...##.", "##...##.", "##...##.", ".#####..", "........", "........", "........"},
    {"........", "........", ".#####..", "##...##.", "##...##.", "##...##.", "##...##.", ".######.", ".....##.",
     ".....##.", ".....##.", "....##..", ".####...", "........", "........", "........"},
    {"........", "........", "........", "........", "........", "........", "........", "........", "........",
     "........", "........", "........", "........", "........", "........", "........"},
};

} // namespace

FrameRateMeter::FrameRateMeter() = default;

FrameRateMeter::~FrameRateMeter()
{
    Destroy();
}

void FrameRateMeter::SetLayout(float x, float y, float width, float height, float gap)
{
    m_x = x;
    m_y = y;
    m_width = width;
    m_height = height;
    m_gap = gap;
}

void FrameRateMeter::SetColor(float r, float g, float b, float a)
{
    m_color[0] = r;
    m_color[1] = g;
    m_color[2] = b;
    m_color[3] = a;
}

QrPointer<QrRawImageData> FrameRateMeter::MakeGlyphImage(int glyph)
{
    QrPointer<QrRawImageData> raw = new QrRawImageData;
    if (!raw->AllocatePixels(2, kGlyphWidth, kGlyphHeight))
        return nullptr;
    uint8_t* pixels = raw->GetPixels();
    for (uint32_t row = 0; row < kGlyphHeight; ++row)
    {
        for (uint32_t col = 0; col < kGlyphWidth; ++col)
        {
            const uint8_t value = kGlyphRows[glyph][row][col] == '#' ? 255 : 0;
            uint8_t* p = pixels + row * raw->GetRowBytes() + col * 4;
            p[0] = p[1] = p[2] = p[3] = value;
        }
    }
    return raw;
}

void FrameRateMeter::BuildGlyphs()
{
    for (int i = 0; i < kGlyphs; ++i)
    {
        if (!m_glyphImages[i])
            m_glyphImages[i] = MakeGlyphImage(i);
        if (!m_glyphTextures[i])
            m_glyphTextures[i] = qrxAssetCache::Get().LoadTexture(m_glyphImages[i].Get(), 0);
    }
    if (!m_alpha)
    {
        m_alpha = new QrAlphaProperty;
        m_alpha->m_enabled = 1;
        m_alpha->m_source = 6;
        m_alpha->m_destination = 7;
    }
    if (!m_textureMode)
        m_textureMode = new QrTextureModeProperty;
}

void FrameRateMeter::BuildDigits()
{
    // Corners counter-clockwise from the bottom left; texture row 0 is the glyph's top.
    const QrPoint3 uv[4] = {{0.0f, 1.0f, 0.0f}, {1.0f, 1.0f, 0.0f}, {1.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.0f}};
    const QrColorA color(m_color[0], m_color[1], m_color[2], m_color[3]);
    const QrColorA colors[4] = {color, color, color, color};
    for (int i = 0; i < kDigits; ++i)
    {
        const float left = m_x + static_cast<float>(i) * (m_width + m_gap);
        const float right = left + m_width;
        const QrPoint3 corners[4] = {
            {left, m_y, 0.0f}, {right, m_y, 0.0f}, {right, m_y + m_height, 0.0f}, {left, m_y + m_height, 0.0f}};
        m_digits[i] = new QrScreenPolygon(4, corners, uv, colors);
    }
}

void FrameRateMeter::Create(bool show)
{
    Reset();
    if (show)
    {
        BuildGlyphs();
        BuildDigits();
    }
    m_frameCount = 0;
    m_framesPerSecond = 0;
    m_ring.fill(0.0);
    m_ringIndex = 0;
    m_firstSample = 1;
    m_secondsPerCount = 1.0 / static_cast<double>(plat::kCounterFrequency);
    m_shown = show ? 1 : 0;
}

void FrameRateMeter::AttachTo(QrCamera* camera)
{
    if (!m_shown || !camera)
        return;
    for (const QrPointer<QrScreenPolygon>& digit : m_digits)
    {
        if (digit)
            camera->AttachScreenPolygon(digit.Get());
    }
}

void FrameRateMeter::Sample()
{
    const double t = static_cast<double>(plat::ReadCounter()) * m_secondsPerCount;
    if (m_firstSample)
    {
        m_lastTime = t;
        m_firstSample = 0;
        return;
    }
    ++m_frameCount;
    m_ring[m_ringIndex] = t;
    m_ringIndex = (m_ringIndex + 1) % kRing;
    if (m_frameCount >= kRing)
    {
        // ring[index] is now the oldest of the twenty times, 19 frames before t.
        const double span = t - m_ring[m_ringIndex];
        // A clock that stood still for twenty frames gives no rate rather than a division by 0.
        if (span > 0.0)
            m_framesPerSecond = static_cast<int32_t>(19.0 / span + 0.5);
    }
    m_lastTime = t;
}

void FrameRateMeter::Draw()
{
    if (!m_shown)
        return;
    const int32_t fps = m_framesPerSecond;
    const int values[kDigits] = {fps / 100 % 10, fps / 10 % 10, fps % 10};
    bool leading = true;
    for (int i = 0; i < kDigits; ++i)
    {
        // Leading zeros are blank; a rate of 0 shows three blanks.
        int glyph = values[i];
        if (leading && glyph == 0)
            glyph = kBlank;
        else
            leading = false;
        QrScreenPolygon* digit = m_digits[i].Get();
        if (!digit)
            continue;
        digit->RemoveAllProperties();
        digit->AttachProperty(m_glyphTextures[glyph].Get());
        digit->AttachProperty(m_alpha.Get());
        digit->AttachProperty(m_textureMode.Get());
    }
}

void FrameRateMeter::Reset()
{
    for (QrPointer<QrScreenPolygon>& digit : m_digits)
        digit = nullptr;
}

void FrameRateMeter::Destroy()
{
    Reset();
    m_alpha = nullptr;
    m_textureMode = nullptr;
    for (QrPointer<QrTextureProperty>& glyph : m_glyphTextures)
        glyph = nullptr;
    for (QrPointer<QrRawImageData>& image : m_glyphImages)
        image = nullptr;
}
