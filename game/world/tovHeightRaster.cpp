#include "tovHeightRaster.h"

#include "ByteReader.h"
#include "Files.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

bool tovHeightRaster::Load(const std::string& path)
{
    m_samples = std::make_shared<Samples>(size_t(kSize) * kSize, 0);
    m_minimum = m_maximum = 0.0f;
    std::error_code ec;
    const uintmax_t size = std::filesystem::file_size(path, ec);
    std::vector<uint8_t> bytes;
    // Never more than a full raster is read, whatever the file's size.
    if (ec || size > kHeaderBytes + m_samples->size() * 2 + 4096 || !plat::ReadFile(path, bytes))
        return false;
    plat::ByteReader in(bytes.data(), bytes.size());
    const int32_t width = int32_t(in.U32());
    const int32_t height = int32_t(in.U32());
    const float minimum = in.F32();
    const float maximum = in.F32();
    if (in.Failed() || width != kSize || height != kSize || !in.Seek(kHeaderBytes))
        return false;
    if (std::isfinite(minimum) && std::isfinite(maximum))
    {
        m_minimum = minimum;
        m_maximum = maximum;
    }
    const size_t count = std::min(m_samples->size(), in.Remaining() / 2);
    for (size_t i = 0; i < count; ++i)
        (*m_samples)[i] = in.U16();
    return count == m_samples->size();
}
