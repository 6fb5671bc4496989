#include "TestFiles.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace testfiles
{

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "qrtest-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot make a temporary folder");
    m_path = pattern;
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

static std::string FromEnv(const char* name, const char* fallback)
{
    const char* v = std::getenv(name);
    return v && *v ? v : fallback;
}

std::string SourceDir()
{
    return FromEnv("QR_SOURCE_DIR", QR_SOURCE_DIR_DEFAULT);
}

std::string BinaryDir()
{
    return FromEnv("QR_BINARY_DIR", QR_BINARY_DIR_DEFAULT);
}

std::string DataDir()
{
    return BinaryDir() + "/data";
}

std::vector<uint8_t> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

std::vector<uint8_t> DamagedCopy(const std::vector<uint8_t>& good, int trial,
                                 const std::function<int32_t(int32_t, int32_t)>& pick)
{
    std::vector<uint8_t> bad = good;
    if (good.empty())
        return bad;
    const size_t at = size_t(pick(0, int32_t(good.size()) - 1));
    if (trial % 2 == 0)
        bad.resize(at);
    else
        for (size_t k = at; k < std::min(bad.size(), at + 8); ++k)
            bad[k] = uint8_t(pick(0, 255));
    return bad;
}

} // namespace testfiles
