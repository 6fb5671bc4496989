#pragma once
// The texture-stage cascade of the software rasterizer: each enabled stage combines two
// arguments (the vertex colour, the previous stage's result or its own texel, optionally
// complemented or with alpha replicated) by its colour and alpha operations. Configured once
// per draw from the stage states; each operation runs as one loop over a batch of pixels.

#include "DeviceState.h"
#include "PixelBatch.h"

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

    // Stage 0 alone as a plain pick or product of the vertex colour and its texel, which the
    // span loops handle themselves; false for anything else.
    enum class Plain : uint8_t
    {
        Diffuse,
        Texel,
        Modulate
    };
    bool PlainStage(Plain& color, Plain& alpha) const;

    // The stages over n pixels: texels[i] is stage i's sample (opaque white where it has no
    // texture); scratch holds two sets of working channels. out may not be diffuse.
    void CombineBatch(const PixelChannels& diffuse, const PixelChannels* texels, uint32_t n, PixelChannels& out,
                      PixelChannels* scratch) const;

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

    Stage m_stages[kMaxTextureStages];
    uint32_t m_count = 0;
    bool m_passesDiffuse = true;
};

} // namespace plat
