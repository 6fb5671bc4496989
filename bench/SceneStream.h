#pragma once
// A frame of the engine's large sample scene as the renderer hands it to its rasterizer:
// every draw's vertices, indices, states and bound textures, captured through a rasterizer
// that only keeps copies (the textures copied onto the benchmark's own display, so that
// the renderer can be torn down before the replay).
#include "Display.h"
#include "HeadlessRenderer.h"
#include "QrCamera.h"
#include "QrEngineCoreClasses.h"
#include "QrStream.h"
#include "Rasterizer.h"
#include "Surface.h"

#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace rasterbench
{

struct CapturedDraw
{
    plat::PrimitiveType primitive = plat::PrimitiveType::TriangleList;
    plat::VertexFormat format = plat::VertexFormat::TlTex1;
    std::vector<uint8_t> vertices;
    uint32_t vertexCount = 0;
    std::vector<uint16_t> indices; // empty: the vertices in order
    plat::DeviceState state;
    const plat::Surface* textures[plat::kMaxTextureStages] = {}; // the copies
    plat::Rect viewport;
};

// A copy of a texture and its mip levels, colour key included.
inline std::shared_ptr<plat::Surface> CopyTexture(plat::Display& display, const plat::Surface& source)
{
    plat::SurfaceDesc desc;
    desc.width = source.Width();
    desc.height = source.Height();
    desc.format = source.Format();
    desc.caps = plat::kCapsTexture | plat::kCapsSystemMemory;
    uint32_t levels = 0;
    for (const plat::Surface* s = &source; s; s = s->NextMipLevel())
        ++levels;
    if (levels > 1)
    {
        desc.caps |= plat::kCapsMipmap | plat::kCapsComplex;
        desc.mipCount = levels;
    }
    std::shared_ptr<plat::Surface> copy;
    if (display.CreateSurface(desc, copy) != plat::Result::Ok)
        return nullptr;
    const plat::Surface* to = copy.get();
    for (const plat::Surface* from = &source; from && to; from = from->NextMipLevel(), to = to->NextMipLevel())
    {
        const plat::PixelView a = from->View();
        const plat::PixelView b = to->View();
        const size_t bytes = size_t{a.width} * (plat::DescribeFormat(a.format).bitCount / 8);
        for (uint32_t y = 0; y < a.height; ++y)
            std::memcpy(b.Row(y), a.Row(y), bytes);
    }
    if (const plat::ColorKey* key = source.SourceColorKey())
        copy->SetColorKey(key);
    return copy;
}

// Keeps every draw it is given; draws nothing.
class CapturingRasterizer : public plat::Rasterizer
{
public:
    CapturingRasterizer(plat::Display& display, std::vector<CapturedDraw>& draws,
                        std::vector<std::shared_ptr<plat::Surface>>& textures)
        : m_display(display), m_draws(draws), m_textures(textures)
    {
    }

    void Draw(const plat::DrawCall& call) override
    {
        CapturedDraw d;
        d.primitive = call.primitive;
        d.format = call.format;
        d.vertexCount = call.vertexCount;
        d.vertices.assign(call.vertices, call.vertices + size_t{call.vertexCount} * plat::VertexStride(call.format));
        if (call.indices)
            d.indices.assign(call.indices, call.indices + call.indexCount);
        d.state = *call.state;
        for (uint32_t i = 0; i < plat::kMaxTextureStages; ++i)
            d.textures[i] = call.textures[i] ? Copied(*call.textures[i]) : nullptr;
        d.viewport = call.target.viewport;
        m_draws.push_back(std::move(d));
    }

private:
    const plat::Surface* Copied(const plat::Surface& texture)
    {
        auto found = m_copies.find(texture.Id());
        if (found != m_copies.end())
            return found->second;
        std::shared_ptr<plat::Surface> copy = CopyTexture(m_display, texture);
        m_textures.push_back(copy);
        return m_copies[texture.Id()] = copy.get();
    }

    plat::Display& m_display;
    std::vector<CapturedDraw>& m_draws;
    std::vector<std::shared_ptr<plat::Surface>>& m_textures;
    std::map<uint32_t, const plat::Surface*> m_copies; // by surface id: addresses are reused
};

// The draws of one frame of the large sample scene, drawn by the renderer as the game makes
// it; false when the scene did not load or drew nothing.
inline bool CaptureLargeScene(plat::Display& display, std::vector<CapturedDraw>& draws,
                              std::vector<std::shared_ptr<plat::Surface>>& textures)
{
    RegisterEngineCoreClasses();
    HeadlessRenderer rig([&] { return std::make_unique<CapturingRasterizer>(display, draws, textures); });
    if (!rig.GetRenderer())
        return false;
    QrStream stream;
    if (!stream.Load((std::string(QR_DATA_DIR) + "/Data/Engine/Render/large_scene.qrf").c_str()))
        return false;
    QrPointer<QrCamera> camera;
    for (uint32_t i = 0; i < stream.GetLoadedCount() && !camera; ++i)
        camera = QrDynamicCast<QrCamera>(stream.GetLoadedAt(i));
    if (!camera || !camera->GetSceneRoot())
        return false;
    camera->GetSceneRoot()->UpdateAllInstances();
    camera->UpdateAllInstances();
    // The second frame: the first also carries the renderer's one-off probes and uploads.
    rig.DrawFrame(camera.Get(), 0.0f, QrPoint3(0.0f, 0.0f, 0.0f));
    draws.clear();
    rig.DrawFrame(camera.Get(), 0.0f, QrPoint3(0.0f, 0.0f, 0.0f));
    return !draws.empty();
}

} // namespace rasterbench
