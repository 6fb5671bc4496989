#include "QrPixelConverter.h"

#include "QrPalette.h"

#include <algorithm>
#include <type_traits>

namespace
{

template <uint32_t Bytes> uint32_t Load(const uint8_t* p)
{
    if constexpr (Bytes == 1)
        return p[0];
    else if constexpr (Bytes == 2)
        return static_cast<uint32_t>(p[0] | (p[1] << 8));
    else if constexpr (Bytes == 3)
        return static_cast<uint32_t>(p[0] | (p[1] << 8) | (p[2] << 16));
    else
        return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
               (static_cast<uint32_t>(p[3]) << 24);
}

template <uint32_t Bytes> void Store(uint8_t* p, uint32_t v)
{
    p[0] = static_cast<uint8_t>(v);
    if constexpr (Bytes >= 2)
        p[1] = static_cast<uint8_t>(v >> 8);
    if constexpr (Bytes >= 3)
        p[2] = static_cast<uint8_t>(v >> 16);
    if constexpr (Bytes == 4)
        p[3] = static_cast<uint8_t>(v >> 24);
}

// Calls f with the byte count as a compile-time constant; false for other depths.
template <class F> bool WithBytes(uint32_t bitsPerPixel, F&& f)
{
    switch (bitsPerPixel)
    {
    case 8:
        f(std::integral_constant<uint32_t, 1>{});
        return true;
    case 16:
        f(std::integral_constant<uint32_t, 2>{});
        return true;
    case 24:
        f(std::integral_constant<uint32_t, 3>{});
        return true;
    case 32:
        f(std::integral_constant<uint32_t, 4>{});
        return true;
    default:
        return false;
    }
}

struct Channels
{
    uint32_t red = 0;
    uint32_t green = 0;
    uint32_t blue = 0;
    uint32_t alpha = 0;
};

uint32_t Pack(const QrPixelFormat& f, uint32_t r, uint32_t g, uint32_t b)
{
    return QrPixelConverter::Reduce(r, f.m_redMask, f.m_redLoss, f.m_redShift) |
           QrPixelConverter::Reduce(g, f.m_greenMask, f.m_greenLoss, f.m_greenShift) |
           QrPixelConverter::Reduce(b, f.m_blueMask, f.m_blueLoss, f.m_blueShift);
}

Channels Unpack(const QrPixelFormat& f, uint32_t p)
{
    Channels c;
    c.red = QrPixelConverter::Expand(p, f.m_redMask, f.m_redLoss, f.m_redShift);
    c.green = QrPixelConverter::Expand(p, f.m_greenMask, f.m_greenLoss, f.m_greenShift);
    c.blue = QrPixelConverter::Expand(p, f.m_blueMask, f.m_blueLoss, f.m_blueShift);
    c.alpha = QrPixelConverter::Expand(p, f.m_alphaMask, f.m_alphaLoss, f.m_alphaShift);
    return c;
}

bool IsPalettised8(const QrPixelFormat& f)
{
    return f.IsPalettised() && f.m_bitsPerPixel == 8;
}

// A palette without its lookup table cannot answer: treated as none.
const QrPalette* Usable(const QrPalette* palette)
{
    return palette && !palette->IsEmpty() ? palette : nullptr;
}

uint8_t Nearest(const QrPalette& palette, uint32_t r, uint32_t g, uint32_t b, uint32_t a)
{
    return static_cast<uint8_t>(palette.NearestIndex(static_cast<uint8_t>(r), static_cast<uint8_t>(g),
                                                     static_cast<uint8_t>(b), static_cast<uint8_t>(a)));
}

// Index 0 stays 0 (transparent); every other index goes to the entry nearest its colour.
void BuildRemapTable(const uint8_t* sourcePalette, const QrPalette& target, uint32_t table[256])
{
    table[0] = 0;
    for (uint32_t i = 1; i < 256; ++i)
    {
        const uint8_t* e = sourcePalette + 4 * i;
        table[i] = Nearest(target, e[0], e[1], e[2], 255);
    }
}

// Index 0 gives an all-zero pixel (alpha 0 too); others their colour with opaque alpha.
void BuildColorTable(const uint8_t* sourcePalette, const QrPixelFormat& target, uint32_t table[256])
{
    const uint32_t alpha = QrPixelConverter::OpaqueAlpha(target);
    table[0] = 0;
    for (uint32_t i = 1; i < 256; ++i)
    {
        const uint8_t* e = sourcePalette + 4 * i;
        table[i] = Pack(target, e[0], e[1], e[2]) | alpha;
    }
}

// Every pixel of an indexed source through a 256-entry table.
template <uint32_t DstBytes>
void MapIndices(const plat::PixelView& target, const uint32_t table[256], const uint8_t* source, size_t sourcePitch)
{
    for (uint32_t y = 0; y < target.height; ++y)
    {
        const uint8_t* in = source + y * sourcePitch;
        uint8_t* out = target.Row(y);
        for (uint32_t x = 0; x < target.width; ++x)
            Store<DstBytes>(out + x * DstBytes, table[in[x]]);
    }
}

void CopyIndices(const plat::PixelView& target, const uint8_t* source, size_t sourcePitch)
{
    for (uint32_t y = 0; y < target.height; ++y)
        std::copy_n(source + y * sourcePitch, target.width, target.Row(y));
}

} // namespace

uint32_t QrPixelConverter::Reduce(uint32_t value, uint32_t mask, uint8_t loss, uint8_t shift)
{
    if (mask == 0 || loss >= 32 || shift >= 32)
        return 0;
    return ((value >> loss) << shift) & mask;
}

uint32_t QrPixelConverter::Expand(uint32_t pixel, uint32_t mask, uint8_t loss, uint8_t shift)
{
    if (mask == 0 || loss >= 32 || shift >= 32)
        return 0;
    return ((pixel & mask) >> shift) << loss;
}

uint32_t QrPixelConverter::OpaqueAlpha(const QrPixelFormat& format)
{
    return Reduce(255, format.m_alphaMask, format.m_alphaLoss, format.m_alphaShift);
}

bool QrPixelConverter::IsConvertibleDepth(uint32_t bitsPerPixel)
{
    return bitsPerPixel == 8 || bitsPerPixel == 16 || bitsPerPixel == 24 || bitsPerPixel == 32;
}

uint32_t QrPixelConverter::ConvertRawPixels(uint32_t sourceCode, const QrPixelFormat& targetFormat,
                                            const uint8_t* sourcePalette, const QrPalette* targetPalette,
                                            const uint8_t* pixels, const plat::PixelView& target)
{
    targetPalette = Usable(targetPalette);
    const size_t width = target.width;
    if (IsPalettised8(targetFormat))
    {
        switch (sourceCode)
        {
        case kRawIndexed:
            if (!targetPalette)
            {
                CopyIndices(target, pixels, width);
                return kOk;
            }
            if (!sourcePalette)
                return kNoSourcePalette;
            {
                uint32_t table[256];
                BuildRemapTable(sourcePalette, *targetPalette, table);
                MapIndices<1>(target, table, pixels, width);
            }
            return kOk;
        case kRawRGB:
        case kRawRGBA:
        {
            if (!targetPalette)
                return kNoTargetPalette;
            const bool rgba = sourceCode == kRawRGBA;
            const size_t bpp = rgba ? 4 : 3;
            for (uint32_t y = 0; y < target.height; ++y)
            {
                const uint8_t* in = pixels + y * width * bpp;
                uint8_t* out = target.Row(y);
                for (uint32_t x = 0; x < target.width; ++x, in += bpp)
                {
                    // Black is the transparent colour of pictures without alpha.
                    if (!rgba && in[0] == 0 && in[1] == 0 && in[2] == 0)
                        out[x] = 0;
                    else
                        out[x] = Nearest(*targetPalette, in[0], in[1], in[2], rgba ? in[3] : 255);
                }
            }
            return kOk;
        }
        default:
            return kOk;
        }
    }

    uint32_t result = kOk;
    WithBytes(targetFormat.m_bitsPerPixel,
              [&](auto bytes)
              {
                  constexpr uint32_t kBytes = decltype(bytes)::value;
                  switch (sourceCode)
                  {
                  case kRawIndexed:
                  {
                      if (!sourcePalette)
                      {
                          result = kNoSourcePalette;
                          return;
                      }
                      uint32_t table[256];
                      BuildColorTable(sourcePalette, targetFormat, table);
                      MapIndices<kBytes>(target, table, pixels, width);
                      return;
                  }
                  case kRawRGB:
                  case kRawRGBA:
                  {
                      const bool rgba = sourceCode == kRawRGBA;
                      const size_t bpp = rgba ? 4 : 3;
                      const uint32_t opaque = OpaqueAlpha(targetFormat);
                      for (uint32_t y = 0; y < target.height; ++y)
                      {
                          const uint8_t* in = pixels + y * width * bpp;
                          uint8_t* out = target.Row(y);
                          for (uint32_t x = 0; x < target.width; ++x, in += bpp)
                          {
                              uint32_t p = Pack(targetFormat, in[0], in[1], in[2]);
                              p |= rgba ? Reduce(in[3], targetFormat.m_alphaMask, targetFormat.m_alphaLoss,
                                                 targetFormat.m_alphaShift)
                                        : opaque;
                              Store<kBytes>(out + x * kBytes, p);
                          }
                      }
                      return;
                  }
                  default:
                      return;
                  }
              });
    return result;
}

uint32_t QrPixelConverter::ConvertPixels(const QrPixelFormat& sourceFormat, const QrPixelFormat& targetFormat,
                                         const uint8_t* sourcePalette, const QrPalette* targetPalette,
                                         const plat::PixelView& source, const plat::PixelView& target)
{
    targetPalette = Usable(targetPalette);
    // Both levels have one size; should they not, only what both hold is touched.
    plat::PixelView out = target;
    out.width = std::min(source.width, target.width);
    out.height = std::min(source.height, target.height);

    if (IsPalettised8(sourceFormat))
    {
        if (IsPalettised8(targetFormat))
        {
            if (!targetPalette)
            {
                CopyIndices(out, source.pixels, static_cast<size_t>(source.pitch));
                return kOk;
            }
            if (!sourcePalette)
                return kNoSourcePalette;
            uint32_t table[256];
            BuildRemapTable(sourcePalette, *targetPalette, table);
            MapIndices<1>(out, table, source.pixels, static_cast<size_t>(source.pitch));
            return kOk;
        }
        if (!sourcePalette)
            return kNoSourcePalette;
        uint32_t table[256];
        BuildColorTable(sourcePalette, targetFormat, table);
        WithBytes(targetFormat.m_bitsPerPixel,
                  [&](auto bytes) {
                      MapIndices<decltype(bytes)::value>(out, table, source.pixels, static_cast<size_t>(source.pitch));
                  });
        return kOk;
    }

    if (IsPalettised8(targetFormat) && !targetPalette)
        return kNoTargetPalette;
    const bool sourceAlpha = sourceFormat.m_alphaMask != 0;
    WithBytes(sourceFormat.m_bitsPerPixel,
              [&](auto srcBytes)
              {
                  constexpr uint32_t kSrc = decltype(srcBytes)::value;
                  if (IsPalettised8(targetFormat))
                  {
                      for (uint32_t y = 0; y < out.height; ++y)
                      {
                          const uint8_t* in = source.Row(y);
                          uint8_t* row = out.Row(y);
                          for (uint32_t x = 0; x < out.width; ++x)
                          {
                              const Channels c = Unpack(sourceFormat, Load<kSrc>(in + x * kSrc));
                              row[x] = sourceAlpha && c.alpha < 127
                                           ? 0
                                           : Nearest(*targetPalette, c.red, c.green, c.blue, 255);
                          }
                      }
                      return;
                  }
                  WithBytes(targetFormat.m_bitsPerPixel,
                            [&](auto dstBytes)
                            {
                                constexpr uint32_t kDst = decltype(dstBytes)::value;
                                const QrPixelFormat& t = targetFormat;
                                for (uint32_t y = 0; y < out.height; ++y)
                                {
                                    const uint8_t* in = source.Row(y);
                                    uint8_t* row = out.Row(y);
                                    for (uint32_t x = 0; x < out.width; ++x)
                                    {
                                        const Channels c = Unpack(sourceFormat, Load<kSrc>(in + x * kSrc));
                                        uint32_t p = Pack(t, c.red, c.green, c.blue);
                                        if (sourceAlpha)
                                            p |= Reduce(c.alpha, t.m_alphaMask, t.m_alphaLoss, t.m_alphaShift);
                                        Store<kDst>(row + x * kDst, p);
                                    }
                                }
                            });
              });
    return kOk;
}

bool QrPixelConverter::DownsampleLevel(const QrPixelFormat& format, const plat::PixelView& parent,
                                       const plat::PixelView& child)
{
    if (format.IsPalettised() || parent.width == 0 || parent.height == 0)
        return false;
    struct Field
    {
        uint32_t mask;
        uint8_t shift;
    };
    const Field fields[4] = {{format.m_redMask, format.m_redShift},
                             {format.m_greenMask, format.m_greenShift},
                             {format.m_blueMask, format.m_blueShift},
                             {format.m_alphaMask, format.m_alphaShift}};
    return WithBytes(format.m_bitsPerPixel,
                     [&](auto bytes)
                     {
                         constexpr uint32_t kBytes = decltype(bytes)::value;
                         for (uint32_t y = 0; y < child.height; ++y)
                         {
                             const uint32_t y0 = std::min(2 * y, parent.height - 1);
                             const uint32_t y1 = std::min(2 * y + 1, parent.height - 1);
                             uint8_t* out = child.Row(y);
                             for (uint32_t x = 0; x < child.width; ++x)
                             {
                                 const uint32_t x0 = std::min(2 * x, parent.width - 1);
                                 const uint32_t x1 = std::min(2 * x + 1, parent.width - 1);
                                 const uint32_t p[4] = {Load<kBytes>(parent.Row(y0) + x0 * kBytes),
                                                        Load<kBytes>(parent.Row(y0) + x1 * kBytes),
                                                        Load<kBytes>(parent.Row(y1) + x0 * kBytes),
                                                        Load<kBytes>(parent.Row(y1) + x1 * kBytes)};
                                 uint32_t result = 0;
                                 for (const Field& f : fields)
                                 {
                                     if (f.mask == 0 || f.shift >= 32)
                                         continue;
                                     uint32_t sum = 0;
                                     for (uint32_t v : p)
                                         sum += (v & f.mask) >> f.shift;
                                     result |= ((sum >> 2) << f.shift) & f.mask;
                                 }
                                 Store<kBytes>(out + x * kBytes, result);
                             }
                         }
                     });
}
