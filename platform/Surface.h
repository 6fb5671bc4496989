#pragma once
// A surface in memory: one picture (a primary, a back buffer, an off-screen picture, one mip
// level of a texture, a depth buffer) with its lock, blits, flip chain, attachments, palette,
// colour key and lost state. Made only by a display; shared by whoever holds a reference.
// A chain (flipping chain, mip chain) is owned by its first surface.

#include "CallLog.h"
#include "ColorKey.h"
#include "DrawTarget.h"
#include "PixelView.h"
#include "Rect.h"
#include "Result.h"
#include "SurfaceDesc.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace plat
{

class Clipper;
class Palette;
struct DisplayContext;

// Lock flags; the lock never waits, so they are accepted and recorded only.
constexpr uint32_t kLockWait = 0x1;
constexpr uint32_t kLockWriteOnly = 0x2;
constexpr uint32_t kLockReadOnly = 0x4;

// Blit flags (Blt and BltFast).
constexpr uint32_t kBltWait = 0x1;
constexpr uint32_t kBltKeySrc = 0x2;         // skip source pixels in the source's colour key
constexpr uint32_t kBltKeySrcOverride = 0x4; // the same with the key given in the effects

struct BltEffects
{
    ColorKey srcKey;
};

// Flip status questions; both are answered at once (flips complete immediately).
constexpr uint32_t kFlipStatusCanFlip = 0x1;
constexpr uint32_t kFlipStatusIsFlipDone = 0x2;

class Surface
{
public:
    ~Surface();
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    // Numbered from 1 in creation order per display; the call log names surfaces by it.
    uint32_t Id() const { return m_id; }
    Result GetDesc(SurfaceDesc& out) const;

    Result Lock(uint32_t flags, PixelView& out);
    Result Unlock();

    Result IsLost() const { return m_lost ? Result::SurfaceLost : Result::Ok; }
    // Makes a lost surface usable again (its contents are cleared); a chain is restored
    // through its first surface, the others answer ImplicitlyCreated.
    Result Restore();

    // Copies src's srcRect (null: all of it) into dstRect (null: all of this surface),
    // stretching by nearest pixel when the sizes differ. Both rectangles are clipped to
    // their surfaces, negative positions included; inverted rectangles are InvalidRect.
    // Both surfaces must have the same format.
    Result Blt(const Rect* dstRect, Surface* src, const Rect* srcRect, uint32_t flags, const BltEffects* effects);
    // An unstretched copy with its top-left corner at (x, y); flags kBltWait, kBltKeySrc.
    Result BltFast(int32_t x, int32_t y, Surface* src, const Rect* srcRect, uint32_t flags);

    // On the front of a flipping chain: the first back buffer's picture comes to the front,
    // each later one moves up, and the front's goes to the last back buffer.
    Result Flip(uint32_t flags);
    Result GetFlipStatus(uint32_t flags) const;

    // kCapsBackBuffer (front of a flipping chain), kCapsZBuffer (attached depth buffer) or
    // kCapsMipmap (next mip level); NotFound when there is none.
    Result GetAttachedSurface(uint32_t caps, std::shared_ptr<Surface>& out) const;
    // Attaches a depth buffer of the same size.
    Result AddAttachedSurface(const std::shared_ptr<Surface>& surface);

    // Palettised surfaces only; null detaches.
    Result SetPalette(const std::shared_ptr<Palette>& palette);
    Result GetPalette(std::shared_ptr<Palette>& out) const;
    // The source colour key; null removes it.
    Result SetColorKey(const ColorKey* key);
    Result GetColorKey(ColorKey& out) const;
    Result SetClipper(const std::shared_ptr<Clipper>& clipper);
    const std::shared_ptr<Clipper>& GetClipper() const { return m_clipper; }
    // Whether the surface can be bound as a texture handle (always, unless injected).
    Result QueryTexture() const;

    // The 2D drawing hook: locks the surface and hands out its memory until released.
    Result GetDrawTarget(DrawTarget& out);
    Result ReleaseDrawTarget();

    // For the platform's own readers (rasterizer, presentation): the memory without a lock.
    PixelView View() const;
    const Surface* NextMipLevel() const { return m_nextMip.get(); }
    const Surface* AttachedDepth() const { return m_depth.get(); }
    const ColorKey* SourceColorKey() const { return m_hasKey ? &m_key : nullptr; }
    const Palette* AttachedPalette() const { return m_palette.get(); }
    bool IsLocked() const { return m_locked; }
    uint32_t Caps() const { return m_desc.caps; }
    PixelFormat Format() const { return m_desc.format; }
    uint32_t Width() const { return m_desc.width; }
    uint32_t Height() const { return m_desc.height; }

private:
    friend class Display;

    Surface(std::shared_ptr<DisplayContext> context, const SurfaceDesc& desc, bool implicit);

    // Every surface of this one's chain after it (back buffers, mip levels).
    void CollectChain(std::vector<Surface*>& out);
    void MarkLost() { m_lost = true; }
    void PresentIfPrimary();
    Result BlitFrom(const Rect* dstRect, Surface* src, const Rect* srcRect, uint32_t flags, const BltEffects* effects,
                    Call call);

    std::shared_ptr<DisplayContext> m_context;
    uint32_t m_id = 0;
    SurfaceDesc m_desc;
    std::vector<uint8_t> m_pixels;
    uint64_t m_textureBytes = 0; // charged to the texture-memory account
    bool m_implicit = false;     // made as part of a chain
    bool m_locked = false;
    bool m_drawTarget = false;
    bool m_lost = false;
    bool m_hasKey = false;
    ColorKey m_key;
    std::shared_ptr<Palette> m_palette;
    std::shared_ptr<Clipper> m_clipper;
    std::shared_ptr<Surface> m_backBuffer; // next surface of a flipping chain
    bool m_flipFront = false;
    std::shared_ptr<Surface> m_nextMip;
    std::shared_ptr<Surface> m_depth;
};

} // namespace plat
