#pragma once
// Result codes of the renderer: 0, a small code of the renderer's own, or the code of the
// display or device call that failed. Callers and the game compare against these numbers,
// so every platform outcome maps to one fixed value.

#include "Result.h"

#include <cstdint>

class QrRenderCode
{
public:
    static constexpr uint32_t kOk = 0;
    // The renderer's own small codes.
    static constexpr uint32_t kQueryFailed = 1;
    static constexpr uint32_t kCreateFailed = 2;
    static constexpr uint32_t kNoMemory = 8;
    static constexpr uint32_t kBadParameters = 13;

    static constexpr uint32_t kFail = 0x80004005;
    static constexpr uint32_t kNotImplemented = 0x80004001;
    static constexpr uint32_t kUnsupported = 0x80004001;
    static constexpr uint32_t kInvalidParams = 0x80070057;
    static constexpr uint32_t kOutOfMemory = 0x8007000E;
    static constexpr uint32_t kInvalidRect = 0x88760096;
    static constexpr uint32_t kNo3D = 0x887600AA;
    static constexpr uint32_t kNoColorKey = 0x887600D7;
    static constexpr uint32_t kNoExclusiveMode = 0x887600E1;
    static constexpr uint32_t kNotFound = 0x887600FF;
    static constexpr uint32_t kNoZBufferHardware = 0x88760154;
    static constexpr uint32_t kOutOfVideoMemory = 0x8876017C;
    static constexpr uint32_t kSurfaceBusy = 0x887601AE;
    static constexpr uint32_t kSurfaceLost = 0x887601C2;
    static constexpr uint32_t kWasStillDrawing = 0x8876021C;
    static constexpr uint32_t kNoPaletteAttached = 0x88760230;
    static constexpr uint32_t kPrimaryExists = 0x88760234;
    static constexpr uint32_t kNoWindow = 0x88760239;
    static constexpr uint32_t kNotFlippable = 0x88760246;
    static constexpr uint32_t kNotLocked = 0x88760248;
    static constexpr uint32_t kImplicitlyCreated = 0x8876024C;
    static constexpr uint32_t kUnsupportedMode = 0x8876024E;
    static constexpr uint32_t kInvalidSurface = 0x88760250;
    static constexpr uint32_t kDeviceCaps = 0x887602C2;
    static constexpr uint32_t kNoTextureFormat = 0x887602D0;
    static constexpr uint32_t kInScene = 0x887602F8;
    static constexpr uint32_t kNotInScene = 0x887602F9;
    static constexpr uint32_t kNoViewport = 0x887602FA;

    static uint32_t FromResult(plat::Result result);
};
