#pragma once
// Screen-level tests on the real renderer: a headless window with scripted input and a manual
// clock, a windowed software renderer drawing into it, the overlays' scratch image on that
// renderer, and a small test application. Frames are read back from what the window was shown.

#include "FrameworkInputFixture.h"
#include "FrameworkTestApp.h"

#include "GoldenImage.h"
#include "QrD3DRender.h"

#include "DisplayConfig.h"

#include <memory>
#include <string>

class FrameworkRenderTest : public FrameworkInputTest
{
protected:
    void SetUp() override;
    void TearDown() override;

    // A labelled placeholder picture: a flat colour with a lighter border and the label.
    QrPointer<QrImage> Placeholder(int32_t width, int32_t height, uint32_t rgb, const char* label);
    // The frame the window shows now.
    golden::RgbImage Shown() const;

    plat::DisplayConfig m_config;
    QrPointer<QrD3DRender> m_renderer;
    std::vector<std::string> m_log;
    std::unique_ptr<TestApp> m_app;
};
