#include "TestFiles.h"

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

} // namespace testfiles
