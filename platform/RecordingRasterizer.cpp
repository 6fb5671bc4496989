#include "RecordingRasterizer.h"

#include "Surface.h"

#include <cstring>

namespace plat
{

void RecordingRasterizer::Draw(const DrawCall& call)
{
    RecordedDraw d;
    d.primitive = call.primitive;
    d.format = call.format;
    const uint32_t stride = VertexStride(call.format);
    d.vertices.resize(call.vertexCount);
    for (uint32_t i = 0; i < call.vertexCount; ++i)
    {
        TlVertex2 v{};
        std::memcpy(&v, call.vertices + static_cast<size_t>(i) * stride, stride);
        d.vertices[i] = v;
    }
    if (call.indices)
        d.indices.assign(call.indices, call.indices + call.indexCount);
    if (call.state)
        d.state = *call.state;
    for (uint32_t i = 0; i < kMaxTextureStages; ++i)
        d.textureIds[i] = call.textures[i] ? call.textures[i]->Id() : 0;
    d.targetId = call.target.colorSurface ? call.target.colorSurface->Id() : 0;
    d.depthId = call.target.depthSurface ? call.target.depthSurface->Id() : 0;
    m_draws.push_back(std::move(d));
}

} // namespace plat
