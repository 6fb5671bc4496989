#pragma once
// Every message a window has waiting, oldest first, as a frame's message loop would take them.

#include "WindowBackend.h"

#include <utility>
#include <vector>

namespace testwindow
{

inline std::vector<plat::WindowMessage> DrainMessages(plat::WindowBackend& window)
{
    std::vector<plat::WindowMessage> out;
    plat::WindowMessage m;
    while (window.PollMessage(m))
        out.push_back(std::move(m));
    return out;
}

} // namespace testwindow
