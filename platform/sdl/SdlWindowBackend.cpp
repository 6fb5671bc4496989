#include "SdlWindowBackend.h"

#include <SDL.h>

namespace plat
{

// SDL types stay in this file.
struct SdlWindowBackend::Window
{
    SDL_Window* window = nullptr;
    uint32_t width = 0;
    uint32_t height = 0;
};

SdlWindowBackend::SdlWindowBackend() = default;

SdlWindowBackend::~SdlWindowBackend()
{
    Close();
}

bool SdlWindowBackend::Open(const WindowDesc& desc)
{
    Close();
    if (desc.width == 0 || desc.height == 0)
    {
        m_lastError = "window size is zero";
        return false;
    }
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
    {
        m_lastError = SDL_GetError();
        return false;
    }
    SDL_Window* window = SDL_CreateWindow(desc.title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                          static_cast<int>(desc.width), static_cast<int>(desc.height), 0);
    if (!window)
    {
        m_lastError = SDL_GetError();
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    m_window = std::make_unique<Window>();
    m_window->window = window;
    m_window->width = desc.width;
    m_window->height = desc.height;
    return true;
}

void SdlWindowBackend::Close()
{
    if (!m_window)
        return;
    SDL_DestroyWindow(m_window->window);
    m_window.reset();
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

bool SdlWindowBackend::IsOpen() const
{
    return m_window != nullptr;
}

uint32_t SdlWindowBackend::ClientWidth() const
{
    return m_window ? m_window->width : 0;
}

uint32_t SdlWindowBackend::ClientHeight() const
{
    return m_window ? m_window->height : 0;
}

bool SdlWindowBackend::Present(const PixelView& frame)
{
    if (!m_window || frame.format != PixelFormat::Rgb565 || !frame.pixels || frame.width == 0 || frame.height == 0)
        return false;
    SDL_Surface* screen = SDL_GetWindowSurface(m_window->window);
    SDL_Surface* source =
        SDL_CreateRGBSurfaceWithFormatFrom(frame.pixels, static_cast<int>(frame.width), static_cast<int>(frame.height),
                                           16, frame.pitch, SDL_PIXELFORMAT_RGB565);
    if (!screen || !source)
    {
        m_lastError = SDL_GetError();
        SDL_FreeSurface(source);
        return false;
    }
    int rc;
    if (static_cast<int>(frame.width) == screen->w && static_cast<int>(frame.height) == screen->h)
        rc = SDL_BlitSurface(source, nullptr, screen, nullptr);
    else
        rc = SDL_BlitScaled(source, nullptr, screen, nullptr);
    SDL_FreeSurface(source);
    if (rc != 0 || SDL_UpdateWindowSurface(m_window->window) != 0)
    {
        m_lastError = SDL_GetError();
        return false;
    }
    return true;
}

} // namespace plat
