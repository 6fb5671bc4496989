#pragma once
// A rasterizer that draws nothing and keeps every draw it is given (vertices widened to the
// two-set layout, indices, a copy of the states, the bound textures by surface id), for tests
// of the renderer's traffic.

#include "DeviceState.h"
#include "Rasterizer.h"
#include "VertexFormat.h"

#include <array>
#include <vector>

namespace plat
{

struct RecordedDraw
{
    PrimitiveType primitive = PrimitiveType::TriangleList;
    VertexFormat format = VertexFormat::TlTex1;
    std::vector<TlVertex2> vertices;
    std::vector<uint16_t> indices;
    DeviceState state;
    std::array<uint32_t, kMaxTextureStages> textureIds{}; // 0: none
    uint32_t targetId = 0;
    uint32_t depthId = 0;
};

class RecordingRasterizer : public Rasterizer
{
public:
    void Draw(const DrawCall& call) override;
    const std::vector<RecordedDraw>& Draws() const { return m_draws; }
    void Clear() { m_draws.clear(); }

private:
    std::vector<RecordedDraw> m_draws;
};

} // namespace plat
