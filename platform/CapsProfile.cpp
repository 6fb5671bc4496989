#include "CapsProfile.h"

namespace plat
{

const char* DeviceKindName(DeviceKind kind)
{
    switch (kind)
    {
    case DeviceKind::Hardware:
        return "Hardware";
    case DeviceKind::Mmx:
        return "Mmx";
    case DeviceKind::Rgb:
        return "Rgb";
    }
    return "?";
}

PixelFormat DisplayFormatForDepth(uint32_t bitsPerPixel)
{
    switch (bitsPerPixel)
    {
    case 8:
        return PixelFormat::Pal8;
    case 16:
        return PixelFormat::Rgb565;
    case 24:
        return PixelFormat::Rgb888;
    case 32:
        return PixelFormat::Xrgb8888;
    default:
        return PixelFormat::Unknown;
    }
}

DeviceCaps DeviceCaps::Software()
{
    DeviceCaps c;
    c.hasTriangleCaps = true;
    c.rasterCaps = kRasterCapsDither | kRasterCapsFogVertex | kRasterCapsZBias;
    c.zCompareCaps = CapsBit(CompareFunc::LessEqual) | CapsBit(CompareFunc::Always);
    for (uint32_t f = 0; f < static_cast<uint32_t>(BlendFactor::Count); ++f)
    {
        c.srcBlendCaps |= 1u << f;
        c.destBlendCaps |= 1u << f;
    }
    c.shadeCaps = kShadeCapsColorGouraudRgb | kShadeCapsSpecularGouraudRgb;
    c.textureCaps = kTextureCapsPerspective | kTextureCapsTransparency | kTextureCapsAlpha | kTextureCapsPow2;
    c.filterCaps = kFilterCapsMinPoint | kFilterCapsMinLinear | kFilterCapsMagPoint | kFilterCapsMagLinear |
                   kFilterCapsMipPoint | kFilterCapsMipFLinear;
    c.textureBlendCaps = kTextureBlendCapsDecalAlpha | kTextureBlendCapsModulateAlpha | kTextureBlendCapsModulate;
    for (uint32_t op = 0; op <= static_cast<uint32_t>(TextureOp::ModulateColorAddAlpha); ++op)
        c.textureOpCaps |= 1u << op;
    c.addressCaps = kAddressCapsWrap | kAddressCapsClamp | kAddressCapsIndependentUV;
    c.maxVertexCount = 2048;
    c.maxTextureWidth = 1024;
    c.maxTextureHeight = 1024;
    c.maxTextureBlendStages = 2;
    c.maxSimultaneousTextures = 2;
    return c;
}

CapsProfile CapsProfile::Default()
{
    CapsProfile p;
    p.modes = {{640, 480, 16}, {800, 600, 16}, {1024, 768, 16}, {640, 480, 8}};
    p.emulationCaps.has3D = true;
    const std::vector<PixelFormat> depth = {PixelFormat::Z16, PixelFormat::Z32};
    const std::vector<PixelFormat> textures = {PixelFormat::Rgb565, PixelFormat::Argb4444, PixelFormat::Argb8888};
    for (DeviceKind kind : kDeviceKindOrder)
    {
        DeviceProfile& d = p.Device(kind);
        d.caps = DeviceCaps::Software();
        d.depthFormats = depth;
        d.textureFormats = textures;
    }
    p.Device(DeviceKind::Hardware).present = false;
    p.Device(DeviceKind::Mmx).present = true;
    p.Device(DeviceKind::Mmx).createResult = Result::Failed;
    p.Device(DeviceKind::Rgb).present = true;
    return p;
}

CapsProfile CapsProfile::WithHardware()
{
    CapsProfile p = Default();
    p.hardwareCaps.has3D = true;
    p.Device(DeviceKind::Hardware).present = true;
    return p;
}

} // namespace plat
