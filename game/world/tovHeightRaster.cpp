#include "tovHeightRaster.h"

#include "ByteReader.h"
#include "Files.h"

#include <algorithm>
#include <filesystem>

bool tovHeightRaster::Load(const std::string& path)
{
    std::fill(m_samples.begin(), m_samples.end(), uint16_t(0));
    std::error_code ec;
    const uintmax_t size = std::filesystem::file_size(path, ec);
    std::vector<uint8_t> bytes;
    // Never more than a full raster is read, whatever the file's size.
    if (ec || size > kHeaderBytes + m_samples.size() * 2 + 4096 || !plat::ReadFile(path, bytes))
        return false;
    plat::ByteReader in(bytes.data(), bytes.size());
    const int32_t width = int32_t(in.U32());
    const int32_t height = int32_t(in.U32());
    if (in.Failed() || width != kSize || height != kSize || !in.Seek(kHeaderBytes))
        return false;
    const size_t count = std::min(m_samples.size(), in.Remaining() / 2);
    for (size_t i = 0; i < count; ++i)
        m_samples[i] = in.U16();
    return count == m_samples.size();
}
