#include "Combiner.h"

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

} // namespace

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

} // namespace plat
