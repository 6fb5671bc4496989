#pragma once
// Measures the frame rate over the last twenty frames and shows it as three digits drawn as
// textured screen polygons over the 3D view. The fishing mode owns one, builds its digits
// when a game begins and decides when to sample and draw it. Times come from the counter of
// the installed clock, so tests drive it with a manual one.

#include "QrAlphaProperty.h"
#include "QrPointer.h"
#include "QrRawImageData.h"
#include "QrScreenPolygon.h"
#include "QrTextureModeProperty.h"
#include "QrTextureProperty.h"

#include <array>
#include <cstdint>

class QrCamera;

class FrameRateMeter
{
public:
    static constexpr int kDigits = 3;
    static constexpr int kGlyphs = 11; // 0 to 9, then a blank
    static constexpr int kBlank = 10;
    static constexpr int kRing = 20;
    static constexpr uint32_t kGlyphWidth = 8;
    static constexpr uint32_t kGlyphHeight = 16;

    FrameRateMeter();
    ~FrameRateMeter();
    FrameRateMeter(const FrameRateMeter&) = delete;
    FrameRateMeter& operator=(const FrameRateMeter&) = delete;

    // Makes fresh digits; with show clear, nothing is drawn. The glyph textures are made once
    // and kept until Destroy, so repeated games do not fill the texture cache.
    void Create(bool show);
    // Screen polygons are drawn by the camera that holds them.
    void AttachTo(QrCamera* camera);
    // Once per frame.
    void Sample();
    // Puts the current rate's glyphs on the digits.
    void Draw();
    void Reset();
    void Destroy();

    void SetLayout(float x, float y, float width, float height, float gap);
    void SetColor(float r, float g, float b, float a);

    int32_t GetFramesPerSecond() const { return m_framesPerSecond; }
    bool IsShown() const { return m_shown != 0; }
    QrScreenPolygon* GetDigit(int i) const { return m_digits[i].Get(); }
    QrTextureProperty* GetGlyph(int i) const { return m_glyphTextures[i].Get(); }
    // The glyph's 8 x 16 picture (RGBA, set pixels opaque white).
    static QrPointer<QrRawImageData> MakeGlyphImage(int glyph);

private:
    void BuildGlyphs();
    void BuildDigits();

    std::array<QrPointer<QrScreenPolygon>, kDigits> m_digits;
    std::array<QrPointer<QrTextureProperty>, kGlyphs> m_glyphTextures;
    std::array<QrPointer<QrRawImageData>, kGlyphs> m_glyphImages;
    QrPointer<QrAlphaProperty> m_alpha;
    QrPointer<QrTextureModeProperty> m_textureMode;
    uint8_t m_shown = 0;
    double m_secondsPerCount = 0.0;
    int32_t m_frameCount = 0;
    int32_t m_firstSample = 1;
    double m_lastTime = 0.0;
    std::array<double, kRing> m_ring{};
    int32_t m_ringIndex = 0;
    int32_t m_framesPerSecond = 0;
    float m_x = 0.9f;
    float m_y = 0.935f;
    float m_width = 0.025f;
    float m_height = 0.05f;
    float m_gap = 0.005f;
    float m_color[4] = {1.0f, 1.0f, 1.0f, 1.0f};
};
