#pragma once
// State and helpers the image layer's source files share; not part of its interface.

#include "QrPalette.h"
#include "QrPointer.h"

#include "Display.h"
#include "Surface.h"

#include <cstdint>
#include <memory>

class QrRender;

namespace ddimage
{

extern std::shared_ptr<plat::Display> g_display;
extern QrPointer<QrPalette> g_displayPalette;
extern QrRender* g_currentRenderer;

// A surface that answers "busy" is asked again at once, a bounded number of times: on this
// platform nothing else runs that could unlock it meanwhile.
constexpr uint32_t kBusyRetries = 64;

// Records the image error code; false, for returning straight away.
bool Fail(uint32_t code);

inline bool IsMipmapped(const plat::Surface& surface)
{
    return (surface.Caps() & plat::kCapsMipmap) != 0;
}

} // namespace ddimage
