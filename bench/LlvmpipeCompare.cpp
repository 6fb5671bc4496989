// Our software rasterizer against Mesa's llvmpipe on the benchmarks' frame (RasterBenchFrame.h):
// the same vertices through an orthographic mapping (x, y in pixels, w = 1/rhw so that llvmpipe
// corrects perspective as we do), an RGB565 colour buffer with 16-bit depth, glFinish per
// frame. The two renderers take turns, several repetitions each; the medians and their ratio
// (ours / llvmpipe, below 1 is faster) are printed per case.
//
// llvmpipe runs surfaceless with one thread (LP_NUM_THREADS=0) unless --threads N is given;
// ours on one thread unless --our-threads N is given (its banded drawing).
// Usage: llvmpipe_compare [--threads N] [--our-threads N] [--repetitions R] [--frames F]
#include "RasterBenchFrame.h"
#include "SoftwareRasterizer.h"

#define GL_GLEXT_PROTOTYPES 1
#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <GL/glext.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
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

// The frame's target, vertices and texture on the GL side, drawn with one case's states.
class GlFrame
{
public:
    explicit GlFrame(const Frame& frame) : m_frame(frame)
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

        glGenTextures(1, &m_texture);
        glBindTexture(GL_TEXTURE_2D, m_texture);
        GLint level = 0;
        for (const Surface* s = frame.texture.get(); s; s = s->NextMipLevel(), ++level)
        {
            const PixelView v = s->View();
            std::vector<uint16_t> texels(size_t{v.width} * v.height);
            for (uint32_t y = 0; y < v.height; ++y)
                std::memcpy(texels.data() + size_t{y} * v.width, v.Row(y), size_t{v.width} * 2);
            glTexImage2D(GL_TEXTURE_2D, level, GL_RGB565, static_cast<GLsizei>(v.width), static_cast<GLsizei>(v.height),
                         0, GL_RGB, GL_UNSIGNED_SHORT_5_6_5, texels.data());
        }
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, level - 1);

        glViewport(0, 0, kWidth, kHeight);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        // Pixels with y down, stored depth z in 0..1.
        glOrtho(0.0, kWidth, kHeight, 0.0, 0.0, -1.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LEQUAL);
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClearDepth(1.0);
    }

    bool Ready() const { return m_ready; }

    void SetCase(Case c)
    {
        // Pixel centres: ours sit on integers, GL's on half-integers.
        m_positions.clear();
        m_colors.clear();
        m_texcoords.clear();
        m_fog.clear();
        for (const TlVertex1& v : m_frame.vertices)
        {
            const float w = 1.0f / v.rhw;
            m_positions.insert(m_positions.end(), {(v.x + 0.5f) * w, (v.y + 0.5f) * w, v.z * w, w});
            m_colors.insert(m_colors.end(),
                            {static_cast<uint8_t>(v.diffuse >> 16), static_cast<uint8_t>(v.diffuse >> 8),
                             static_cast<uint8_t>(v.diffuse), static_cast<uint8_t>(v.diffuse >> 24)});
            m_texcoords.insert(m_texcoords.end(), {v.tu, v.tv});
            m_fog.push_back(1.0f - static_cast<float>(v.specular >> 24) / 255.0f);
        }
        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(GL_COLOR_ARRAY);
        glVertexPointer(4, GL_FLOAT, 0, m_positions.data());
        glColorPointer(4, GL_UNSIGNED_BYTE, 0, m_colors.data());
        glShadeModel(GL_SMOOTH);
        glDisable(GL_FOG);
        glDisable(GL_BLEND);
        glDisableClientState(GL_FOG_COORD_ARRAY);
        if (c == Case::UntexturedBlended)
        {
            glDisable(GL_TEXTURE_2D);
            glDisableClientState(GL_TEXTURE_COORD_ARRAY);
            glEnable(GL_BLEND);
            glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
            return;
        }
        glEnable(GL_TEXTURE_2D);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glTexCoordPointer(2, GL_FLOAT, 0, m_texcoords.data());
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
        if (c == Case::TexturedPoint)
        {
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
            return;
        }
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        // Fog by a per-vertex factor, linear from none at 0 to full at 1.
        glEnable(GL_FOG);
        glFogi(GL_FOG_MODE, GL_LINEAR);
        glFogf(GL_FOG_START, 0.0f);
        glFogf(GL_FOG_END, 1.0f);
        const float fogColor[4] = {0x80 / 255.0f, 0x90 / 255.0f, 0xA0 / 255.0f, 1.0f};
        glFogfv(GL_FOG_COLOR, fogColor);
        glFogi(GL_FOG_COORD_SRC, GL_FOG_COORD);
        glEnableClientState(GL_FOG_COORD_ARRAY);
        glFogCoordPointer(GL_FLOAT, 0, m_fog.data());
    }

    void Draw()
    {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        for (uint32_t layer : {1u, 0u, 2u})
        {
            const std::vector<uint16_t>& list = m_frame.indices[layer];
            for (size_t first = 0; first < list.size(); first += kBatchTriangles * 3)
            {
                const size_t count = std::min<size_t>(kBatchTriangles * 3, list.size() - first);
                glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(count), GL_UNSIGNED_SHORT, list.data() + first);
            }
        }
        glFinish();
    }

private:
    const Frame& m_frame;
    bool m_ready = false;
    GLuint m_texture = 0;
    std::vector<float> m_positions;
    std::vector<uint8_t> m_colors;
    std::vector<float> m_texcoords;
    std::vector<float> m_fog;
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
double Agreement(const Frame& frame)
{
    std::vector<uint16_t> gl(size_t{kWidth} * kHeight);
    glPixelStorei(GL_PACK_ALIGNMENT, 2);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_SHORT_5_6_5, gl.data());
    const PixelView ours = frame.target->View();
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

} // namespace

int main(int argc, char** argv)
{
    std::string threads = "0";
    uint32_t ourThreads = 1;
    uint32_t repetitions = 7;
    uint32_t frames = 10;
    for (int i = 1; i + 1 < argc; i += 2)
    {
        const std::string flag = argv[i];
        if (flag == "--threads")
            threads = argv[i + 1];
        else if (flag == "--our-threads")
            ourThreads = static_cast<uint32_t>(std::max(1, std::atoi(argv[i + 1])));
        else if (flag == "--repetitions")
            repetitions = static_cast<uint32_t>(std::max(1, std::atoi(argv[i + 1])));
        else if (flag == "--frames")
            frames = static_cast<uint32_t>(std::max(1, std::atoi(argv[i + 1])));
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
                ourThreads);
    const struct
    {
        Case c;
        const char* name;
    } cases[] = {{Case::TexturedPoint, "textured, point sampled"},
                 {Case::BilinearMipmappedFogged, "bilinear, mipmapped, fogged"},
                 {Case::UntexturedBlended, "untextured, alpha-blended"}};
    for (const auto& k : cases)
    {
        Frame frame;
        rasterbench::SetCase(frame, k.c);
        GlFrame gl(frame);
        if (!gl.Ready())
        {
            std::fprintf(stderr, "llvmpipe_compare: no RGB565 and 16-bit depth framebuffer\n");
            return 1;
        }
        gl.SetCase(k.c);
        plat::SoftwareRasterizer ours;
        ours.SetThreads(ourThreads);
        // One frame each first: code paths, caches and llvmpipe's shaders warmed up.
        frame.Draw(ours);
        gl.Draw();
        std::vector<double> oursMs;
        std::vector<double> llvmpipeMs;
        for (uint32_t r = 0; r < repetitions; ++r)
        {
            oursMs.push_back(MillisecondsPerFrame(frames, [&] { frame.Draw(ours); }));
            llvmpipeMs.push_back(MillisecondsPerFrame(frames, [&] { gl.Draw(); }));
        }
        const double a = Median(oursMs);
        const double b = Median(llvmpipeMs);
        std::printf("%-30s ours %7.2f ms  llvmpipe %7.2f ms  ratio %.2f  (pixels alike: %.1f%%)\n", k.name, a, b, a / b,
                    Agreement(frame));
    }
    return 0;
}
