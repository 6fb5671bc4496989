#pragma once
// What a surface is asked to be at creation and what it reports afterwards.

#include "PixelFormat.h"

#include <cstdint>

namespace plat
{

// Surface capabilities.
constexpr uint32_t kCapsPrimary = 0x1;
constexpr uint32_t kCapsFrontBuffer = 0x2;
constexpr uint32_t kCapsBackBuffer = 0x4;
constexpr uint32_t kCapsFlip = 0x8;
constexpr uint32_t kCapsComplex = 0x10;
constexpr uint32_t kCaps3DDevice = 0x20;
constexpr uint32_t kCapsOffscreenPlain = 0x40;
constexpr uint32_t kCapsTexture = 0x80;
constexpr uint32_t kCapsMipmap = 0x100;
constexpr uint32_t kCapsZBuffer = 0x200;
constexpr uint32_t kCapsSystemMemory = 0x400;
constexpr uint32_t kCapsVideoMemory = 0x800;
constexpr uint32_t kCapsLocalVideoMemory = 0x1000;
constexpr uint32_t kCapsNonLocalVideoMemory = 0x2000;

struct SurfaceDesc
{
    // 0 at creation: a primary surface takes the display mode's size; others must give one.
    uint32_t width = 0;
    uint32_t height = 0;
    int32_t pitch = 0; // reported only
    // Unknown at creation: the display mode's format.
    PixelFormat format = PixelFormat::Unknown;
    PixelFormatInfo formatInfo; // reported only
    uint32_t caps = 0;
    // Mip levels of a texture with kCapsMipmap, this level included; 0 at creation means
    // down to 1 x 1.
    uint32_t mipCount = 0;
    // Back buffers of a flipping chain (kCapsFlip | kCapsComplex): 1 or 2.
    uint32_t backBufferCount = 0;
    // Texture stage for devices with separate texture memories; recorded only.
    uint32_t textureStage = 0;
};

} // namespace plat
