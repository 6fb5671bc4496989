#pragma once
// A clipper names the window that blits to the primary surface land in. The window covers
// the whole display here, so the clipper is recorded and never narrows a blit.

namespace plat
{

class WindowBackend;

class Clipper
{
public:
    void SetWindow(WindowBackend* window) { m_window = window; }
    WindowBackend* Window() const { return m_window; }

private:
    WindowBackend* m_window = nullptr; // borrowed
};

} // namespace plat
