#pragma once
// State one display shares with every object made from it: the profile, the current mode,
// the texture-memory account, the live surfaces and the test hooks. Held by shared pointer,
// so surfaces and devices that outlive their display still return their memory.

#include "CallLog.h"
#include "CapsProfile.h"
#include "DisplayConfig.h"
#include "FailureInjector.h"

#include <cstdint>
#include <vector>

namespace plat
{

class Rasterizer;
class Surface;
class WindowBackend;

struct DisplayContext
{
    explicit DisplayContext(const DisplayConfig& config);

    Result Check(Operation op) { return injector ? injector->Check(op) : Result::Ok; }
    // Appends to the call log when one is installed; returns result for chaining.
    Result Record(Call call, uint32_t a = 0, uint32_t b = 0, uint32_t c = 0, Result result = Result::Ok,
                  float value = 0.0f);
    // Shows the primary surface in the window (converted to RGB565 when it is not).
    void Present(const Surface& shown);
    // Lets every device's rasterizer write what it holds: called before surface memory is
    // read or written outside a rasterizer (locks, blits, flips, clears, presenting, freeing).
    void FlushDrawing();

    CapsProfile profile;
    FailureInjector* injector;
    CallLog* log;
    WindowBackend* window;
    RasterizerFactory rasterizer;

    DisplayMode mode;
    uint32_t cooperativeFlags = 0;
    WindowBackend* cooperativeWindow = nullptr;
    uint64_t textureBytesUsed = 0;
    uint32_t nextSurfaceId = 1;
    std::vector<Surface*> liveSurfaces;   // every surface not yet destroyed
    Surface* primary = nullptr;           // the live primary surface, if any
    std::vector<Rasterizer*> rasterizers; // of the live devices, borrowed
};

} // namespace plat
