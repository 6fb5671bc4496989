#include "HeadlessWindowBackend.h"

#include <png.h>

#include <cstring>

namespace plat
{

bool HeadlessWindowBackend::Open(const WindowDesc& desc)
{
    if (desc.width == 0 || desc.height == 0)
        return false;
    m_open = true;
    m_title = desc.title;
    m_width = desc.width;
    m_height = desc.height;
    return true;
}

void HeadlessWindowBackend::Close()
{
    m_open = false;
}

bool HeadlessWindowBackend::Present(const PixelView& frame)
{
    if (!m_open || frame.format != PixelFormat::Rgb565 || !frame.pixels || frame.width == 0 || frame.height == 0)
        return false;
    m_frameWidth = frame.width;
    m_frameHeight = frame.height;
    m_frame.resize(static_cast<size_t>(frame.width) * frame.height);
    for (uint32_t y = 0; y < frame.height; ++y)
        std::memcpy(&m_frame[static_cast<size_t>(y) * frame.width], frame.Row(y), size_t{frame.width} * 2);
    ++m_presentCount;
    return true;
}

bool HeadlessWindowBackend::WritePng(const std::string& path) const
{
    if (m_frame.empty())
        return false;
    std::vector<uint8_t> rgb(m_frame.size() * 3);
    for (size_t i = 0; i < m_frame.size(); ++i)
    {
        const uint32_t argb = ExpandColor(PixelFormat::Rgb565, m_frame[i]);
        rgb[i * 3 + 0] = static_cast<uint8_t>(argb >> 16);
        rgb[i * 3 + 1] = static_cast<uint8_t>(argb >> 8);
        rgb[i * 3 + 2] = static_cast<uint8_t>(argb);
    }
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = m_frameWidth;
    image.height = m_frameHeight;
    image.format = PNG_FORMAT_RGB;
    const bool ok = png_image_write_to_file(&image, path.c_str(), 0, rgb.data(),
                                            static_cast<png_int_32>(m_frameWidth * 3), nullptr) != 0;
    png_image_free(&image);
    return ok;
}

} // namespace plat
