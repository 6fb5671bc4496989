#pragma once
// Outcome of every display, surface and 3D-device call. Success is 0; each failure is a case
// that a caller branches on (retry, restore, fall back), so they are kept apart.

#include <cstdint>
#include <ostream>

namespace plat
{

enum class Result : int32_t
{
    Ok = 0,
    Failed,            // a call that failed for no more specific reason
    InvalidParams,     // bad arguments or a call that does not fit the object
    InvalidRect,       // a rectangle with right < left or bottom < top
    Unsupported,       // a format, kind or feature this display or device does not offer
    UnsupportedMode,   // a display mode that is not in the mode list
    OutOfMemory,       // system memory exhausted (only through injection)
    OutOfVideoMemory,  // the video-memory texture budget is used up
    NotFound,          // no attached surface of the asked kind
    WasStillDrawing,   // the call may be repeated at once (only through injection)
    Busy,              // the surface or buffer is locked
    SurfaceLost,       // the surface must be restored before use
    NotLocked,         // unlock without a lock
    NoPaletteAttached, // the surface has no palette
    NoColorKey,        // a keyed blit from a surface without a source colour key
    ImplicitlyCreated, // restore asked of a surface made as part of a chain: restore the chain's front
    PrimaryExists,     // a second primary surface while one is alive
    NotFlippable,      // flip on a surface that is not the front of a flipping chain
    NoExclusiveMode,   // the call needs the exclusive cooperative level
    NotInScene,        // drawing or ending a scene outside one
    AlreadyInScene,    // a scene begun twice
    NotAttached,       // a viewport that belongs to no device, or a device without current viewport
};

const char* ResultName(Result result);

inline bool Succeeded(Result result)
{
    return result == Result::Ok;
}

// Readable test failures.
inline std::ostream& operator<<(std::ostream& out, Result result)
{
    return out << ResultName(result);
}

} // namespace plat
