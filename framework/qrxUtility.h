#pragma once
// Small services: window centring, a guarded allocation and the ease-in/ease-out curve of the
// camera moves.

#include <cstddef>
#include <cstdint>

namespace plat
{
class WindowBackend;
}

// Centres the window's frame across the desktop and a third of the way down, kept on screen.
void PlaceWindow(plat::WindowBackend* window);

// Bit 0 of flags: zero-filled. Null on failure, which sets the allocation-failure flag; the
// flag is cleared by every call. Release with std::free.
void* AllocateBlock(uint32_t flags, size_t size);
bool GetAllocationFailed();

// From a at t = 0 to b at t = 1, starting and ending at rest and linear between t1 and t2
// (0 < t1 <= t2 < 1).
double EaseValue(double t, double a, double b, double t1, double t2);
