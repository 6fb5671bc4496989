#include "NetSession.h"

#include "GccWarnings.h"

#include <algorithm>

namespace plat
{

std::string UniquePlayerName(const std::string& name, const std::vector<std::string>& taken)
{
    const std::string base = name.substr(0, kNetMaxPlayerName);
    auto free = [&taken](const std::string& candidate)
    { return std::find(taken.begin(), taken.end(), candidate) == taken.end(); };
    if (free(base))
        return base;
    // One more suffix than there are names always finds a free one.
    for (size_t n = 2;; ++n)
    {
        // GCC 12 at -O3 sizes the inlined copies of these concatenations past any object: the
        // suffix is a few characters and the cut base leaves room for it.
        QR_GCC_STRING_BOUNDS_OFF
        const std::string suffix = " " + std::to_string(n);
        const std::string candidate = base.substr(0, kNetMaxPlayerName - suffix.size()) + suffix;
        QR_GCC_STRING_BOUNDS_ON
        if (free(candidate))
            return candidate;
    }
}

} // namespace plat
