#pragma once
// Finds font files by the names window programs use. One program-wide font configuration,
// the system's plus our own aliases, so the same names give the same files on every machine
// that has the project's font packages. Main thread only.

#include <cstdint>
#include <string>

namespace plat
{

struct FontFile
{
    std::string path;
    int32_t index = 0; // face within the file
    std::string family;
};

class FontCatalog
{
public:
    // False when nothing matches (no fonts installed at all).
    static bool Find(const std::string& face, int32_t weight, FontFile& out);
};

} // namespace plat
