#include "Files.h"

#include <cstdio>
#include <sys/stat.h>

namespace plat
{

bool ReadFile(const std::string& path, std::vector<uint8_t>& out, uint64_t maxSize)
{
    out.clear();
    FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr)
        return false;
    struct stat st;
    if (fstat(fileno(f), &st) != 0 || !S_ISREG(st.st_mode) || uint64_t(st.st_size) > maxSize)
    {
        std::fclose(f);
        return false;
    }
    out.resize(static_cast<size_t>(st.st_size));
    const size_t got = out.empty() ? 0 : std::fread(out.data(), 1, out.size(), f);
    std::fclose(f);
    if (got != out.size())
    {
        out.clear();
        return false;
    }
    return true;
}

bool WriteFile(const std::string& path, const void* data, size_t size)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr)
        return false;
    const size_t put = size == 0 ? 0 : std::fwrite(data, 1, size, f);
    const bool closed = std::fclose(f) == 0;
    return put == size && closed;
}

bool FileExists(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

} // namespace plat
