#include "Combiner.h"

#include "RasterColor.h"

#include <algorithm>

namespace plat
{
namespace
{

bool KnownOp(uint32_t op)
{
    return op <= ToState(TextureOp::ModulateColorAddAlpha);
}

bool ReadsTexture(uint32_t arg)
{
    return (arg & TextureArg::kSourceMask) == TextureArg::kTexture;
}

// A plain pick of the vertex colour (directly or as the current colour of the first stage).
bool PicksDiffuse(uint32_t op, uint32_t arg1, uint32_t arg2)
{
    uint32_t arg;
    if (op == ToState(TextureOp::SelectArg1))
        arg = arg1;
    else if (op == ToState(TextureOp::SelectArg2))
        arg = arg2;
    else
        return false;
    return arg == TextureArg::kDiffuse || arg == TextureArg::kCurrent;
}

const PixelChannels& Source(uint32_t arg, const PixelChannels& diffuse, const PixelChannels& current,
                            const PixelChannels& texel)
{
    switch (arg & TextureArg::kSourceMask)
    {
    case TextureArg::kDiffuse:
        return diffuse;
    case TextureArg::kTexture:
        return texel;
    default:
        return current;
    }
}

// A colour argument: its source, or the source complemented or with alpha replicated into
// scratch.
const PixelChannels& ColorArgument(uint32_t arg, const PixelChannels& source, uint32_t n, PixelChannels& scratch)
{
    if ((arg & (TextureArg::kComplement | TextureArg::kAlphaReplicate)) == 0)
        return source;
    const bool complement = (arg & TextureArg::kComplement) != 0;
    const uint16_t flip = complement ? 255 : 0;
    for (uint32_t i = 0; i < n; ++i)
    {
        // Complement is taken before replication: (1 - x) then alpha into every channel.
        const uint16_t a = static_cast<uint16_t>(flip ^ source.a[i]);
        scratch.a[i] = a;
        if (arg & TextureArg::kAlphaReplicate)
        {
            scratch.r[i] = scratch.g[i] = scratch.b[i] = a;
        }
        else
        {
            scratch.r[i] = static_cast<uint16_t>(flip ^ source.r[i]);
            scratch.g[i] = static_cast<uint16_t>(flip ^ source.g[i]);
            scratch.b[i] = static_cast<uint16_t>(flip ^ source.b[i]);
        }
    }
    return scratch;
}

const uint16_t* AlphaArgument(uint32_t arg, const PixelChannels& source, uint32_t n, uint16_t* scratch)
{
    if ((arg & TextureArg::kComplement) == 0)
        return source.a;
    for (uint32_t i = 0; i < n; ++i)
        scratch[i] = static_cast<uint16_t>(255 ^ source.a[i]);
    return scratch;
}

// out = op(x1, x2, a1, ta) per pixel for the channels of one operation: x the arguments'
// channel, a1 the first argument's alpha, ta the stage texel's alpha. Colour operations run
// red, green and blue in one loop; alpha operations the alpha channel alone.
template <int Channels, class Op>
void Apply(const uint16_t* const* x1, const uint16_t* const* x2, const uint16_t* a1, const uint16_t* ta, uint32_t n,
           uint16_t* const* out, Op op)
{
    for (uint32_t i = 0; i < n; ++i)
    {
        for (int c = 0; c < Channels; ++c)
            out[c][i] = static_cast<uint16_t>(op(x1[c][i], x2[c][i], a1[i], ta[i]));
    }
}

template <int Channels>
void Operate(TextureOp op, const uint16_t* const* x1, const uint16_t* const* x2, const uint16_t* a1, const uint16_t* ta,
             uint32_t n, uint16_t* const* out)
{
    switch (op)
    {
    case TextureOp::SelectArg2:
        Apply<Channels>(x1, x2, a1, ta, n, out, [](int32_t, int32_t b, int32_t, int32_t) { return b; });
        break;
    case TextureOp::Modulate:
        Apply<Channels>(x1, x2, a1, ta, n, out, [](int32_t a, int32_t b, int32_t, int32_t) { return Mul255(a, b); });
        break;
    case TextureOp::Add:
        Apply<Channels>(x1, x2, a1, ta, n, out, [](int32_t a, int32_t b, int32_t, int32_t) { return AddSat(a, b); });
        break;
    case TextureOp::BlendTextureAlpha:
        Apply<Channels>(x1, x2, a1, ta, n, out,
                        [](int32_t a, int32_t b, int32_t, int32_t t) { return Lerp255(a, b, t); });
        break;
    case TextureOp::ModulateAlphaAddColor:
        Apply<Channels>(x1, x2, a1, ta, n, out,
                        [](int32_t a, int32_t b, int32_t alpha, int32_t) { return AddSat(a, Mul255(alpha, b)); });
        break;
    case TextureOp::ModulateColorAddAlpha:
        Apply<Channels>(x1, x2, a1, ta, n, out,
                        [](int32_t a, int32_t b, int32_t alpha, int32_t) { return AddSat(Mul255(a, b), alpha); });
        break;
    default: // SelectArg1
        Apply<Channels>(x1, x2, a1, ta, n, out, [](int32_t a, int32_t, int32_t, int32_t) { return a; });
        break;
    }
}

} // namespace

void Combiner::CombineBatch(const PixelChannels& diffuse, const PixelChannels* texels, uint32_t n, PixelChannels& out,
                            PixelChannels* scratch) const
{
    if (m_count == 0)
    {
        out = diffuse;
        return;
    }
    for (uint32_t i = 0; i < m_count; ++i)
    {
        const Stage& s = m_stages[i];
        const PixelChannels& current = i == 0 ? diffuse : out;
        const PixelChannels& texel = texels[i];
        // Colour operations write only red, green and blue, so the alphas of their arguments
        // (current included, which may be out itself) stay intact for the alpha operation.
        const PixelChannels& c1 =
            ColorArgument(s.colorArg1, Source(s.colorArg1, diffuse, current, texel), n, scratch[0]);
        const PixelChannels& c2 =
            ColorArgument(s.colorArg2, Source(s.colorArg2, diffuse, current, texel), n, scratch[1]);
        const uint16_t* x1[3] = {c1.r, c1.g, c1.b};
        const uint16_t* x2[3] = {c2.r, c2.g, c2.b};
        uint16_t* const rgb[3] = {out.r, out.g, out.b};
        Operate<3>(s.colorOp, x1, x2, c1.a, texel.a, n, rgb);
        if (s.alphaOp == TextureOp::Disable)
        {
            if (&current != &out)
                std::copy(current.a, current.a + n, out.a);
            continue;
        }
        const uint16_t* a1 = AlphaArgument(s.alphaArg1, Source(s.alphaArg1, diffuse, current, texel), n, scratch[0].a);
        const uint16_t* a2 = AlphaArgument(s.alphaArg2, Source(s.alphaArg2, diffuse, current, texel), n, scratch[1].a);
        uint16_t* const alpha[1] = {out.a};
        Operate<1>(s.alphaOp, &a1, &a2, a1, texel.a, n, alpha);
    }
}

void Combiner::Configure(const DeviceState& state)
{
    m_count = 0;
    for (uint32_t i = 0; i < kMaxTextureStages; ++i)
    {
        auto get = [&](StageState s) { return state.Get(i, s); };
        const uint32_t colorOp = get(StageState::ColorOp);
        if (colorOp == ToState(TextureOp::Disable) || !KnownOp(colorOp))
            break;
        uint32_t alphaOp = get(StageState::AlphaOp);
        if (!KnownOp(alphaOp))
            alphaOp = ToState(TextureOp::Disable);
        // The two "add" mixes combine colour with alpha; on alpha alone they pick argument 1.
        if (alphaOp == ToState(TextureOp::ModulateAlphaAddColor) ||
            alphaOp == ToState(TextureOp::ModulateColorAddAlpha))
            alphaOp = ToState(TextureOp::SelectArg1);
        Stage& s = m_stages[m_count++];
        s.colorOp = static_cast<TextureOp>(colorOp);
        s.alphaOp = static_cast<TextureOp>(alphaOp);
        s.colorArg1 = get(StageState::ColorArg1);
        s.colorArg2 = get(StageState::ColorArg2);
        s.alphaArg1 = get(StageState::AlphaArg1);
        s.alphaArg2 = get(StageState::AlphaArg2);
        const bool blendsByTexture =
            s.colorOp == TextureOp::BlendTextureAlpha || s.alphaOp == TextureOp::BlendTextureAlpha;
        const bool alphaReads =
            s.alphaOp != TextureOp::Disable && (ReadsTexture(s.alphaArg1) || ReadsTexture(s.alphaArg2));
        s.readsTexture = blendsByTexture || ReadsTexture(s.colorArg1) || ReadsTexture(s.colorArg2) || alphaReads;
    }
    const Stage& first = m_stages[0];
    m_passesDiffuse =
        m_count == 0 || (m_count == 1 && PicksDiffuse(ToState(first.colorOp), first.colorArg1, first.colorArg2) &&
                         (first.alphaOp == TextureOp::Disable ||
                          PicksDiffuse(ToState(first.alphaOp), first.alphaArg1, first.alphaArg2)));
}

namespace
{

// One operation on unmodified diffuse (or current) and texel arguments.
bool PlainOp(TextureOp op, uint32_t arg1, uint32_t arg2, Combiner::Plain& out)
{
    auto source = [](uint32_t arg, Combiner::Plain& pick)
    {
        if (arg & (TextureArg::kComplement | TextureArg::kAlphaReplicate))
            return false;
        pick =
            (arg & TextureArg::kSourceMask) == TextureArg::kTexture ? Combiner::Plain::Texel : Combiner::Plain::Diffuse;
        return true;
    };
    Combiner::Plain a;
    Combiner::Plain b;
    if (!source(arg1, a) || !source(arg2, b))
        return false;
    switch (op)
    {
    case TextureOp::SelectArg1:
        out = a;
        return true;
    case TextureOp::SelectArg2:
        out = b;
        return true;
    case TextureOp::Modulate:
        out = Combiner::Plain::Modulate;
        return a != b;
    default:
        return false;
    }
}

} // namespace

bool Combiner::PlainStage(Plain& color, Plain& alpha) const
{
    if (m_count != 1)
        return false;
    const Stage& s = m_stages[0];
    if (!PlainOp(s.colorOp, s.colorArg1, s.colorArg2, color))
        return false;
    if (s.alphaOp == TextureOp::Disable)
    {
        alpha = Plain::Diffuse;
        return true;
    }
    return PlainOp(s.alphaOp, s.alphaArg1, s.alphaArg2, alpha);
}

} // namespace plat
