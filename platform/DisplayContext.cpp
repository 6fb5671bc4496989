#include "DisplayContext.h"

#include "Palette.h"
#include "Rasterizer.h"
#include "Surface.h"
#include "WindowBackend.h"

namespace plat
{

DisplayContext::DisplayContext(const DisplayConfig& config)
    : profile(config.profile), injector(config.injector), log(config.callLog), window(config.window),
      rasterizer(config.rasterizer), mode(config.profile.desktop)
{
}

Result DisplayContext::Record(Call call, uint32_t a, uint32_t b, uint32_t c, Result result, float value)
{
    if (log)
    {
        CallRecord record;
        record.call = call;
        record.args[0] = a;
        record.args[1] = b;
        record.args[2] = c;
        record.value = value;
        record.result = result;
        log->Add(record);
    }
    return result;
}

void DisplayContext::FlushDrawing()
{
    for (Rasterizer* r : rasterizers)
        r->Flush();
}

void DisplayContext::Present(const Surface& shown)
{
    if (!window)
        return;
    FlushDrawing();
    const PixelView view = shown.View();
    if (view.format == PixelFormat::Rgb565)
    {
        window->Present(view);
        return;
    }
    // Other desktops are shown through the same 16-bit path.
    std::vector<uint8_t> frame(static_cast<size_t>(view.width) * view.height * 2);
    const uint32_t bpp = BytesPerPixel(view.format);
    const Palette* palette = shown.AttachedPalette();
    for (uint32_t y = 0; y < view.height; ++y)
    {
        const uint8_t* in = view.Row(y);
        uint8_t* out = frame.data() + static_cast<size_t>(y) * view.width * 2;
        for (uint32_t x = 0; x < view.width; ++x)
        {
            uint32_t argb = 0;
            if (view.format == PixelFormat::Pal8)
            {
                if (palette)
                {
                    const PaletteEntry& e = palette->Entry(in[x]);
                    argb = uint32_t{e.red} << 16 | uint32_t{e.green} << 8 | e.blue;
                }
            }
            else
            {
                argb = ExpandColor(view.format, ReadPixel(in + x * bpp, bpp));
            }
            WritePixel(out + x * 2, 2, PackColor(PixelFormat::Rgb565, argb));
        }
    }
    PixelView converted;
    converted.pixels = frame.data();
    converted.pitch = static_cast<int32_t>(view.width * 2);
    converted.width = view.width;
    converted.height = view.height;
    converted.format = PixelFormat::Rgb565;
    window->Present(converted);
}

} // namespace plat
