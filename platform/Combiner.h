#pragma once
// The texture-stage cascade of the software rasterizer: each enabled stage combines two
// arguments (the vertex colour, the previous stage's result or its own texel, optionally
// complemented or with alpha replicated) by its colour and alpha operations. Configured once
// per draw from the stage states.

#include "DeviceState.h"
#include "RasterColor.h"

#include <cstdint>

namespace plat
{

class Combiner
{
public:
    void Configure(const DeviceState& state);

    // Stages before the first one whose colour operation is off (or unknown).
    uint32_t StageCount() const { return m_count; }
    bool StageReadsTexture(uint32_t stage) const { return m_stages[stage].readsTexture; }
    // Whether the result is always the vertex colour, so that no stage needs to run.
    bool PassesDiffuse() const { return m_passesDiffuse; }

    // texels[i]: stage i's sample (opaque white where it has no texture).
    Rgba Combine(const Rgba& diffuse, const Rgba* texels) const
    {
        Rgba current = diffuse;
        for (uint32_t i = 0; i < m_count; ++i)
        {
            const Stage& s = m_stages[i];
            const Rgba& texel = texels[i];
            Rgba out;
            const Rgba c1 = Argument(s.colorArg1, diffuse, current, texel);
            const Rgba c2 = Argument(s.colorArg2, diffuse, current, texel);
            out.r = Operate(s.colorOp, c1.r, c2.r, c1.a, c2.a, texel.a);
            out.g = Operate(s.colorOp, c1.g, c2.g, c1.a, c2.a, texel.a);
            out.b = Operate(s.colorOp, c1.b, c2.b, c1.a, c2.a, texel.a);
            if (s.alphaOp == TextureOp::Disable)
            {
                out.a = current.a;
            }
            else
            {
                const int32_t a1 = AlphaArgument(s.alphaArg1, diffuse, current, texel);
                const int32_t a2 = AlphaArgument(s.alphaArg2, diffuse, current, texel);
                out.a = Operate(s.alphaOp, a1, a2, a1, a2, texel.a);
            }
            current = out;
        }
        return current;
    }

private:
    struct Stage
    {
        TextureOp colorOp = TextureOp::Disable;
        TextureOp alphaOp = TextureOp::Disable;
        uint32_t colorArg1 = 0;
        uint32_t colorArg2 = 0;
        uint32_t alphaArg1 = 0;
        uint32_t alphaArg2 = 0;
        bool readsTexture = false;
    };

    static const Rgba& Source(uint32_t arg, const Rgba& diffuse, const Rgba& current, const Rgba& texel)
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

    static Rgba Argument(uint32_t arg, const Rgba& diffuse, const Rgba& current, const Rgba& texel)
    {
        Rgba v = Source(arg, diffuse, current, texel);
        if (arg & TextureArg::kComplement)
            v = {255 - v.r, 255 - v.g, 255 - v.b, 255 - v.a};
        if (arg & TextureArg::kAlphaReplicate)
            v.r = v.g = v.b = v.a;
        return v;
    }

    static int32_t AlphaArgument(uint32_t arg, const Rgba& diffuse, const Rgba& current, const Rgba& texel)
    {
        const int32_t a = Source(arg, diffuse, current, texel).a;
        return (arg & TextureArg::kComplement) ? 255 - a : a;
    }

    // One channel: x1, x2 the arguments' channel, a1, a2 their alphas, ta the stage texel's alpha.
    static int32_t Operate(TextureOp op, int32_t x1, int32_t x2, int32_t a1, int32_t a2, int32_t ta)
    {
        switch (op)
        {
        case TextureOp::SelectArg2:
            return x2;
        case TextureOp::Modulate:
            return Mul255(x1, x2);
        case TextureOp::Add:
            return AddSat(x1, x2);
        case TextureOp::BlendTextureAlpha:
            return Lerp255(x1, x2, ta);
        case TextureOp::ModulateAlphaAddColor:
            return AddSat(x1, Mul255(a1, x2));
        case TextureOp::ModulateColorAddAlpha:
            return AddSat(Mul255(x1, x2), a1);
        default: // SelectArg1
            (void)a2;
            return x1;
        }
    }

    Stage m_stages[kMaxTextureStages];
    uint32_t m_count = 0;
    bool m_passesDiffuse = true;
};

} // namespace plat
