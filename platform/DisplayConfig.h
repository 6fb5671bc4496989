#pragma once
// How a display is made: its capability profile, the failure injector and call log tests
// attach, the window it presents to and the rasterizer its 3D devices draw with. Start-up
// installs one program-wide; tests pass their own.

#include "CapsProfile.h"

#include <functional>
#include <memory>

namespace plat
{

class CallLog;
class FailureInjector;
class Rasterizer;
class WindowBackend;

using RasterizerFactory = std::function<std::unique_ptr<Rasterizer>()>;

struct DisplayConfig
{
    CapsProfile profile = CapsProfile::Default();
    FailureInjector* injector = nullptr; // borrowed, optional
    CallLog* callLog = nullptr;          // borrowed, optional
    WindowBackend* window = nullptr;     // borrowed, optional: where the primary surface is shown
    RasterizerFactory rasterizer;        // empty: the software rasterizer
};

// Borrowed: the configuration must outlive its installation. Null puts the default back.
void SetDisplayConfig(const DisplayConfig* config);
const DisplayConfig& CurrentDisplayConfig();

} // namespace plat
