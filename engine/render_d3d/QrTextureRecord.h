#pragma once
// One device texture of the texture cache: its surface, the cache key it is filed under and
// the image it was last made for. Records live in the texture manager's pool blocks and move
// between the pool, a cache bucket and a pinned list; the manager owns them.

#include <cstdint>
#include <memory>

namespace plat
{
class Surface;
}
class QrDDImage;

class QrTextureRecord
{
public:
    enum : uint32_t
    {
        kFlagMipmapped = 0x1,
        kFlagPinned = 0x2, // in a pinned list, never evicted
        kFlagAlpha = 0x4,  // the pixel format has alpha
    };

    std::shared_ptr<plat::Surface> m_surface;
    // The same surface once it answered as a texture: what a draw binds.
    std::shared_ptr<plat::Surface> m_texture;
    uint32_t m_memory = 0;
    uint32_t m_flags = 0;
    uint32_t m_key = 0;
    // Not counted: a dying image has every manager release the records it owns. An image
    // whose texture was taken over keeps pointing here; the serial tells it the record is
    // no longer its own.
    QrDDImage* m_owner = nullptr;
    uint32_t m_ownerSerial = 0;
    uint32_t m_revision = 0; // the owner's pixel revision at the last upload
    uint32_t m_lastUsed = 0; // frame number of the last draw that used it; 0 when never
    uint32_t m_size = 0;     // bytes of the top level
    QrTextureRecord* m_next = nullptr;
    QrTextureRecord* m_previous = nullptr;
};
