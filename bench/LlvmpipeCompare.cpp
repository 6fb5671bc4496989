// Our software rasterizer against Mesa's llvmpipe on two frames: the benchmarks' frame
// (RasterBenchFrame.h) and one frame of the engine's large sample scene as the renderer hands
// it to the rasterizer (SceneStream.h), each in the three cases with the case's states over
// the draws' own. The same vertices go through an orthographic mapping (x, y in pixels,
// w = 1/rhw so that llvmpipe corrects perspective as we do), an RGB565 colour buffer with
// 16-bit depth, glFinish per frame. The two renderers take turns, several repetitions each;
// the medians and their ratio (ours / llvmpipe, below 1 is faster) are printed per case.
//
// llvmpipe runs surfaceless with one thread (LP_NUM_THREADS=0) unless --threads N is given;
// ours on one thread unless --our-threads N is given (its tiled drawing). --scene picks the
// frames: bench, large or both (the default).
// Usage: llvmpipe_compare [--threads N] [--our-threads N] [--repetitions R] [--frames F]
//                         [--scene bench|large|both]
#include "RasterBenchFrame.h"
#include "SceneStream.h"
#include "SoftwareRasterizer.h"

#define GL_GLEXT_PROTOTYPES 1
#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <GL/glext.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>

using namespace rasterbench;

namespace
{

using Clock = std::chrono::steady_clock;

bool OpenContext()
{
    auto getPlatformDisplay =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!getPlatformDisplay)
        return false;
    EGLDisplay display = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    EGLint major = 0;
    EGLint minor = 0;
    if (display == EGL_NO_DISPLAY || !eglInitialize(display, &major, &minor) || !eglBindAPI(EGL_OPENGL_API))
        return false;
    const EGLint configAttributes[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                                       EGL_NONE};
    EGLConfig config;
    EGLint count = 0;
    if (!eglChooseConfig(display, configAttributes, &config, 1, &count) || count == 0)
        return false;
    EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, nullptr);
    return context != EGL_NO_CONTEXT && eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context);
}

// One draw of a stream to replay: what our rasterizer is called with, and what GL draws.
struct ReplayDraw
{
    const TlVertex1* vertices = nullptr;
    uint32_t vertexCount = 0;
    const uint16_t* indices = nullptr; // null: the vertices in order
    uint32_t indexCount = 0;
    const DeviceState* state = nullptr;
    const Surface* texture = nullptr;
    Rect viewport;
};

// A frame's draws on a 640 x 480 RGB565 target with 16-bit depth.
struct Replay
{
    const Surface* target = nullptr;
    const Surface* depth = nullptr;
    std::vector<ReplayDraw> draws;

    // Colour and depth cleared, then every draw.
    void Draw(Rasterizer& rasterizer) const
    {
        const PixelView color = target->View();
        const PixelView z = depth->View();
        ClearTarget(color, z);
        DrawCall call;
        call.format = VertexFormat::TlTex1;
        call.target.color = color;
        call.target.depth = z;
        for (const ReplayDraw& d : draws)
        {
            call.vertices = reinterpret_cast<const uint8_t*>(d.vertices);
            call.vertexCount = d.vertexCount;
            call.indices = d.indices;
            call.indexCount = d.indexCount;
            call.state = d.state;
            call.textures[0] = d.texture;
            call.target.viewport = d.viewport;
            rasterizer.Draw(call);
        }
        rasterizer.Flush();
    }
};

// The benchmarks' frame as a replay: the calls Frame::Draw makes.
Replay ReplayOf(const Frame& frame)
{
    Replay r;
    r.target = frame.target.get();
    r.depth = frame.depth.get();
    for (uint32_t layer : {1u, 0u, 2u})
    {
        const std::vector<uint16_t>& list = frame.indices[layer];
        for (size_t first = 0; first < list.size(); first += kBatchTriangles * 3)
        {
            ReplayDraw d;
            d.vertices = frame.vertices.data();
            d.vertexCount = static_cast<uint32_t>(frame.vertices.size());
            d.indices = list.data() + first;
            d.indexCount = static_cast<uint32_t>(std::min<size_t>(kBatchTriangles * 3, list.size() - first));
            d.state = &frame.state;
            d.texture = frame.texture.get();
            d.viewport = {0, 0, static_cast<int32_t>(kWidth), static_cast<int32_t>(kHeight)};
            r.draws.push_back(d);
        }
    }
    return r;
}

// The captured scene under one case: its vertices (first texture set only) and states with
// the case's applied, on a target like the benchmarks' frame.
struct SceneCase
{
    std::vector<std::vector<TlVertex1>> vertices;
    std::vector<DeviceState> states;
    Replay replay;

    SceneCase(const Frame& frame, const std::vector<CapturedDraw>& draws, Case c)
    {
        vertices.resize(draws.size());
        states.resize(draws.size());
        replay.target = frame.target.get();
        replay.depth = frame.depth.get();
        for (size_t i = 0; i < draws.size(); ++i)
        {
            const CapturedDraw& d = draws[i];
            if (d.primitive != PrimitiveType::TriangleList)
                continue;
            const uint32_t stride = VertexStride(d.format);
            for (uint32_t k = 0; k < d.vertexCount; ++k)
            {
                TlVertex1 v;
                std::memcpy(&v, d.vertices.data() + size_t{k} * stride, sizeof v);
                ApplyCase(v, c);
                vertices[i].push_back(v);
            }
            states[i] = d.state;
            ApplyCase(states[i], c);
            ReplayDraw r;
            r.vertices = vertices[i].data();
            r.vertexCount = d.vertexCount;
            r.indices = d.indices.empty() ? nullptr : d.indices.data();
            r.indexCount = static_cast<uint32_t>(d.indices.size());
            r.state = &states[i];
            r.texture = d.textures[0];
            r.viewport = d.viewport;
            replay.draws.push_back(r);
        }
    }
};

GLenum GlBlend(uint32_t value)
{
    switch (static_cast<BlendFactor>(value))
    {
    case BlendFactor::Zero:
        return GL_ZERO;
    case BlendFactor::SrcColor:
        return GL_SRC_COLOR;
    case BlendFactor::InvSrcColor:
        return GL_ONE_MINUS_SRC_COLOR;
    case BlendFactor::SrcAlpha:
        return GL_SRC_ALPHA;
    case BlendFactor::InvSrcAlpha:
        return GL_ONE_MINUS_SRC_ALPHA;
    case BlendFactor::DestColor:
        return GL_DST_COLOR;
    case BlendFactor::InvDestColor:
        return GL_ONE_MINUS_DST_COLOR;
    default:
        return GL_ONE;
    }
}

// A replay's target, vertices and textures on the GL side, drawn with each draw's states.
class GlReplay
{
public:
    explicit GlReplay(const Replay& replay) : m_replay(replay)
    {
        GLuint buffers[2];
        glGenRenderbuffers(2, buffers);
        glBindRenderbuffer(GL_RENDERBUFFER, buffers[0]);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGB565, kWidth, kHeight);
        glBindRenderbuffer(GL_RENDERBUFFER, buffers[1]);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, kWidth, kHeight);
        GLuint fbo;
        glGenFramebuffers(1, &fbo);
        glBindFramebuffer(GL_FRAMEBUFFER, fbo);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, buffers[0]);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, buffers[1]);
        m_ready = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;

        for (const ReplayDraw& d : replay.draws)
            if (d.texture && !m_textures.count(d.texture))
                m_ready = m_ready && Upload(*d.texture, *d.state);

        glViewport(0, 0, kWidth, kHeight);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        // Pixels with y down, stored depth z in 0..1.
        glOrtho(0.0, kWidth, kHeight, 0.0, 0.0, -1.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClearDepth(1.0);
        glShadeModel(GL_SMOOTH);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
        // Fog by a per-vertex factor, linear from none at 0 to full at 1.
        glFogi(GL_FOG_MODE, GL_LINEAR);
        glFogf(GL_FOG_START, 0.0f);
        glFogf(GL_FOG_END, 1.0f);
        glFogi(GL_FOG_COORD_SRC, GL_FOG_COORD);
        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(GL_COLOR_ARRAY);

        // Pixel centres: ours sit on integers, GL's on half-integers.
        m_arrays.resize(replay.draws.size());
        std::map<const TlVertex1*, size_t> converted;
        for (size_t i = 0; i < replay.draws.size(); ++i)
        {
            const ReplayDraw& d = replay.draws[i];
            const auto found = converted.find(d.vertices);
            if (found != converted.end())
            {
                m_arrays[i] = m_arrays[found->second];
                continue;
            }
            converted[d.vertices] = i;
            auto arrays = std::make_shared<Arrays>();
            for (uint32_t k = 0; k < d.vertexCount; ++k)
            {
                const TlVertex1& v = d.vertices[k];
                const float w = 1.0f / v.rhw;
                arrays->positions.insert(arrays->positions.end(), {(v.x + 0.5f) * w, (v.y + 0.5f) * w, v.z * w, w});
                arrays->colors.insert(arrays->colors.end(),
                                      {static_cast<uint8_t>(v.diffuse >> 16), static_cast<uint8_t>(v.diffuse >> 8),
                                       static_cast<uint8_t>(v.diffuse), static_cast<uint8_t>(v.diffuse >> 24)});
                arrays->speculars.insert(arrays->speculars.end(),
                                         {static_cast<uint8_t>(v.specular >> 16), static_cast<uint8_t>(v.specular >> 8),
                                          static_cast<uint8_t>(v.specular)});
                arrays->texcoords.insert(arrays->texcoords.end(), {v.tu, v.tv});
                arrays->fog.push_back(1.0f - static_cast<float>(v.specular >> 24) / 255.0f);
            }
            m_arrays[i] = arrays;
        }
    }

    bool Ready() const { return m_ready; }

    void Draw()
    {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        for (size_t i = 0; i < m_replay.draws.size(); ++i)
        {
            const ReplayDraw& d = m_replay.draws[i];
            Apply(d);
            if (m_bound != m_arrays[i].get())
            {
                m_bound = m_arrays[i].get();
                glVertexPointer(4, GL_FLOAT, 0, m_bound->positions.data());
                glColorPointer(4, GL_UNSIGNED_BYTE, 0, m_bound->colors.data());
                glSecondaryColorPointer(3, GL_UNSIGNED_BYTE, 0, m_bound->speculars.data());
                glTexCoordPointer(2, GL_FLOAT, 0, m_bound->texcoords.data());
                glFogCoordPointer(GL_FLOAT, 0, m_bound->fog.data());
            }
            if (d.indices)
                glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(d.indexCount), GL_UNSIGNED_SHORT, d.indices);
            else
                glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(d.vertexCount));
        }
        glFinish();
    }

private:
    struct Arrays
    {
        std::vector<float> positions;
        std::vector<uint8_t> colors;
        std::vector<uint8_t> speculars;
        std::vector<float> texcoords;
        std::vector<float> fog;
    };

    // The texture's levels as RGB565 (the only texture format the comparison takes), with
    // the filters and addressing of the first draw that binds it.
    bool Upload(const Surface& texture, const DeviceState& state)
    {
        if (texture.Format() != PixelFormat::Rgb565)
        {
            std::fprintf(stderr, "llvmpipe_compare: a texture is not RGB565\n");
            return false;
        }
        GLuint name;
        glGenTextures(1, &name);
        glBindTexture(GL_TEXTURE_2D, name);
        GLint level = 0;
        for (const Surface* s = &texture; s; s = s->NextMipLevel(), ++level)
        {
            const PixelView v = s->View();
            std::vector<uint16_t> texels(size_t{v.width} * v.height);
            for (uint32_t y = 0; y < v.height; ++y)
                std::memcpy(texels.data() + size_t{y} * v.width, v.Row(y), size_t{v.width} * 2);
            glTexImage2D(GL_TEXTURE_2D, level, GL_RGB565, static_cast<GLsizei>(v.width), static_cast<GLsizei>(v.height),
                         0, GL_RGB, GL_UNSIGNED_SHORT_5_6_5, texels.data());
        }
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, level - 1);
        const auto& stage = state.stage[0];
        auto wrap = [](uint32_t mode) { return mode == ToState(TextureAddress::Clamp) ? GL_CLAMP_TO_EDGE : GL_REPEAT; };
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap(stage[ToState(StageState::AddressU)]));
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap(stage[ToState(StageState::AddressV)]));
        const bool magLinear = stage[ToState(StageState::MagFilter)] == ToState(TextureFilter::Linear);
        const bool minLinear = stage[ToState(StageState::MinFilter)] == ToState(TextureFilter::Linear);
        const uint32_t mip = stage[ToState(StageState::MipFilter)];
        GLenum minFilter = minLinear ? GL_LINEAR : GL_NEAREST;
        if (level > 1 && mip == ToState(TextureFilter::Point))
            minFilter = minLinear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
        else if (level > 1 && mip == ToState(TextureFilter::Linear))
            minFilter = minLinear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(minFilter));
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, magLinear ? GL_LINEAR : GL_NEAREST);
        m_textures[&texture] = name;
        return true;
    }

    // The GL states for a draw's, set where they differ from the last draw's.
    void Apply(const ReplayDraw& d)
    {
        const DeviceState& st = *d.state;
        auto get = [&st](RenderState s) { return st.Get(s); };
        const uint32_t colorOp = st.stage[0][ToState(StageState::ColorOp)];
        const bool untextured = !d.texture || colorOp == ToState(TextureOp::Disable) ||
                                (colorOp == ToState(TextureOp::SelectArg2) &&
                                 st.stage[0][ToState(StageState::ColorArg2)] != TextureArg::kTexture);
        const GlState next = {get(RenderState::ZEnable) != 0,
                              get(RenderState::ZFunc) == ToState(CompareFunc::Always) ? GLenum{GL_ALWAYS}
                                                                                      : GLenum{GL_LEQUAL},
                              get(RenderState::ZWriteEnable) != 0,
                              get(RenderState::CullMode),
                              get(RenderState::AlphaBlendEnable) != 0,
                              GlBlend(get(RenderState::SrcBlend)),
                              GlBlend(get(RenderState::DestBlend)),
                              get(RenderState::FogEnable) != 0,
                              get(RenderState::FogColor),
                              get(RenderState::SpecularEnable) != 0,
                              get(RenderState::ShadeMode) == ToState(ShadeMode::Flat),
                              untextured ? 0u : m_textures[d.texture],
                              colorOp == ToState(TextureOp::SelectArg1) ? GLenum{GL_REPLACE} : GLenum{GL_MODULATE},
                              d.viewport};
        const bool all = !m_applied;
        const GlState& last = m_last;
        auto enable = [](GLenum cap, bool on) { on ? glEnable(cap) : glDisable(cap); };
        auto array = [](GLenum kind, bool on) { on ? glEnableClientState(kind) : glDisableClientState(kind); };
        if (all || next.depthTest != last.depthTest)
            enable(GL_DEPTH_TEST, next.depthTest);
        if (all || next.depthFunc != last.depthFunc)
            glDepthFunc(next.depthFunc);
        if (all || next.depthWrite != last.depthWrite)
            glDepthMask(next.depthWrite ? GL_TRUE : GL_FALSE);
        if (all || next.cull != last.cull)
        {
            // Clockwise on screen (y down) is counter-clockwise in GL's window, its front.
            enable(GL_CULL_FACE, next.cull != ToState(CullMode::None));
            glCullFace(next.cull == ToState(CullMode::Clockwise) ? GL_FRONT : GL_BACK);
        }
        if (all || next.blend != last.blend)
            enable(GL_BLEND, next.blend);
        if (all || next.src != last.src || next.dst != last.dst)
            glBlendFunc(next.src, next.dst);
        if (all || next.fog != last.fog)
        {
            enable(GL_FOG, next.fog);
            array(GL_FOG_COORD_ARRAY, next.fog);
        }
        if (all || next.fogColor != last.fogColor)
        {
            const float fogColor[4] = {static_cast<float>((next.fogColor >> 16) & 0xFF) / 255.0f,
                                       static_cast<float>((next.fogColor >> 8) & 0xFF) / 255.0f,
                                       static_cast<float>(next.fogColor & 0xFF) / 255.0f, 1.0f};
            glFogfv(GL_FOG_COLOR, fogColor);
        }
        if (all || next.specular != last.specular)
        {
            enable(GL_COLOR_SUM, next.specular);
            array(GL_SECONDARY_COLOR_ARRAY, next.specular);
        }
        if (all || next.flat != last.flat)
            glShadeModel(next.flat ? GL_FLAT : GL_SMOOTH);
        if (all || next.texture != last.texture)
        {
            enable(GL_TEXTURE_2D, next.texture != 0);
            array(GL_TEXTURE_COORD_ARRAY, next.texture != 0);
            if (next.texture)
                glBindTexture(GL_TEXTURE_2D, next.texture);
        }
        if (all || next.envMode != last.envMode)
            glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, static_cast<GLint>(next.envMode));
        if (all || next.viewport.left != last.viewport.left || next.viewport.top != last.viewport.top ||
            next.viewport.right != last.viewport.right || next.viewport.bottom != last.viewport.bottom)
        {
            const Rect& v = next.viewport;
            const bool whole = v.left <= 0 && v.top <= 0 && v.right >= static_cast<int32_t>(kWidth) &&
                               v.bottom >= static_cast<int32_t>(kHeight);
            enable(GL_SCISSOR_TEST, !whole);
            glScissor(v.left, static_cast<GLint>(kHeight) - v.bottom, v.right - v.left, v.bottom - v.top);
        }
        m_last = next;
        m_applied = true;
    }

    struct GlState
    {
        bool depthTest;
        GLenum depthFunc;
        bool depthWrite;
        uint32_t cull;
        bool blend;
        GLenum src;
        GLenum dst;
        bool fog;
        uint32_t fogColor;
        bool specular;
        bool flat;
        GLuint texture; // 0: untextured
        GLenum envMode;
        Rect viewport;
    };

    const Replay& m_replay;
    bool m_ready = false;
    std::map<const Surface*, GLuint> m_textures;
    std::vector<std::shared_ptr<Arrays>> m_arrays;
    const Arrays* m_bound = nullptr;
    GlState m_last{};
    bool m_applied = false;
};

template <class F> double MillisecondsPerFrame(uint32_t frames, F draw)
{
    const Clock::time_point start = Clock::now();
    for (uint32_t i = 0; i < frames; ++i)
        draw();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count() / frames;
}

// The share of pixels whose channels differ by at most 2 steps of 565 between the two
// frames: a check that both draw the same picture.
double Agreement(const Surface& target)
{
    std::vector<uint16_t> gl(size_t{kWidth} * kHeight);
    glPixelStorei(GL_PACK_ALIGNMENT, 2);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_SHORT_5_6_5, gl.data());
    const PixelView ours = target.View();
    size_t close = 0;
    for (uint32_t y = 0; y < kHeight; ++y)
        for (uint32_t x = 0; x < kWidth; ++x)
        {
            uint16_t a;
            std::memcpy(&a, ours.Row(y) + x * 2, 2);
            const uint16_t b = gl[size_t{kHeight - 1 - y} * kWidth + x];
            auto near = [&](int shift, int mask)
            { return std::abs(((a >> shift) & mask) - ((b >> shift) & mask)) <= 2; };
            close += near(11, 31) && near(5, 63) && near(0, 31) ? 1 : 0;
        }
    return 100.0 * static_cast<double>(close) / (double{kWidth} * kHeight);
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct Options
{
    uint32_t ourThreads = 1;
    uint32_t repetitions = 7;
    uint32_t frames = 10;
};

// Both renderers on one replay, taking turns; false when GL cannot draw it.
bool Compare(const Replay& replay, const char* name, const Options& o)
{
    GlReplay gl(replay);
    if (!gl.Ready())
    {
        std::fprintf(stderr, "llvmpipe_compare: no RGB565 and 16-bit depth framebuffer or texture\n");
        return false;
    }
    plat::SoftwareRasterizer ours;
    ours.SetThreads(o.ourThreads);
    // One frame each first: code paths, caches and llvmpipe's shaders warmed up.
    replay.Draw(ours);
    gl.Draw();
    std::vector<double> oursMs;
    std::vector<double> llvmpipeMs;
    for (uint32_t r = 0; r < o.repetitions; ++r)
    {
        oursMs.push_back(MillisecondsPerFrame(o.frames, [&] { replay.Draw(ours); }));
        llvmpipeMs.push_back(MillisecondsPerFrame(o.frames, [&] { gl.Draw(); }));
    }
    const double a = Median(oursMs);
    const double b = Median(llvmpipeMs);
    std::printf("%-30s ours %7.2f ms  llvmpipe %7.2f ms  ratio %.2f  (pixels alike: %.1f%%)\n", name, a, b, a / b,
                Agreement(*replay.target));
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    std::string threads = "0";
    std::string scene = "both";
    Options o;
    for (int i = 1; i + 1 < argc; i += 2)
    {
        const std::string flag = argv[i];
        if (flag == "--threads")
            threads = argv[i + 1];
        else if (flag == "--our-threads")
            o.ourThreads = static_cast<uint32_t>(std::max(1, std::atoi(argv[i + 1])));
        else if (flag == "--repetitions")
            o.repetitions = static_cast<uint32_t>(std::max(1, std::atoi(argv[i + 1])));
        else if (flag == "--frames")
            o.frames = static_cast<uint32_t>(std::max(1, std::atoi(argv[i + 1])));
        else if (flag == "--scene")
            scene = argv[i + 1];
    }
    if (scene != "both" && scene != "bench" && scene != "large")
    {
        std::fprintf(stderr, "llvmpipe_compare: --scene is bench, large or both\n");
        return 2;
    }
    // The large scene's frame, captured before the GL context exists.
    std::shared_ptr<Display> captureDisplay;
    std::vector<std::shared_ptr<Surface>> sceneTextures;
    std::vector<CapturedDraw> sceneDraws;
    if (scene != "bench")
    {
        DisplayConfig config;
        Display::Create(config, captureDisplay);
        if (!captureDisplay || !CaptureLargeScene(*captureDisplay, sceneDraws, sceneTextures))
        {
            std::fprintf(stderr, "llvmpipe_compare: the large sample scene did not draw\n");
            return 1;
        }
    }
    setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
    setenv("GALLIUM_DRIVER", "llvmpipe", 1);
    setenv("LP_NUM_THREADS", threads.c_str(), 1);
    if (!OpenContext())
    {
        std::fprintf(stderr, "llvmpipe_compare: no surfaceless EGL context with desktop GL\n");
        return 1;
    }
    std::printf("GL renderer: %s, llvmpipe threads %s, ours %u\n", glGetString(GL_RENDERER), threads.c_str(),
                o.ourThreads);
    const struct
    {
        Case c;
        const char* name;
    } cases[] = {{Case::TexturedPoint, "textured, point sampled"},
                 {Case::BilinearMipmappedFogged, "bilinear, mipmapped, fogged"},
                 {Case::UntexturedBlended, "untextured, alpha-blended"}};
    if (scene != "large")
    {
        Frame probe;
        std::printf("benchmark frame: %zu triangles\n", probe.TriangleCount());
        for (const auto& k : cases)
        {
            Frame frame;
            rasterbench::SetCase(frame, k.c);
            if (!Compare(ReplayOf(frame), k.name, o))
                return 1;
        }
    }
    if (scene != "bench")
    {
        size_t triangles = 0;
        for (const CapturedDraw& d : sceneDraws)
            triangles += (d.indices.empty() ? d.vertexCount : d.indices.size()) / 3;
        std::printf("large sample scene: %zu draws, %zu triangles\n", sceneDraws.size(), triangles);
        for (const auto& k : cases)
        {
            Frame frame;
            const SceneCase sceneCase(frame, sceneDraws, k.c);
            if (!Compare(sceneCase.replay, k.name, o))
                return 1;
        }
    }
    return 0;
}
