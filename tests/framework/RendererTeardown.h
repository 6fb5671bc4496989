#pragma once
// What a test puts back after it made a renderer: the program-wide slots of the renderer and
// its images, as the game does when it lets its renderer go.

#include "QrD3DRender.h"
#include "QrDDContext.h"
#include "QrDDImage.h"
#include "QrImage.h"

#include "DisplayConfig.h"

inline void ReleaseRendererProgramState()
{
    QrD3DRender::ReleaseCurrentRenderer();
    QrDDImage::ReleaseAllSurfaces();
    QrDDImage::SetGlobalObject(nullptr);
    QrDDImage::SetDirectDraw(nullptr);
    QrDDContext::ResetProgramState();
    QrImage::SetCreateHook(nullptr);
    plat::SetDisplayConfig(nullptr);
}
