#pragma once
// Makes chosen display, surface and device calls fail, so that tests reach every fallback:
// the n-th call of an operation (counted from the time the rule is given) and the ones after
// it, as many as asked, answer the given result instead of doing their work.

#include "Result.h"

#include <cstdint>
#include <vector>

namespace plat
{

enum class Operation : uint8_t
{
    CreateDisplay,
    EnumerateDrivers,
    GetCaps,
    GetDisplayMode,
    EnumDisplayModes,
    SetDisplayMode,
    RestoreDisplayMode,
    SetCooperativeLevel,
    CreateSurface,
    CreatePalette,
    CreateClipper,
    Query3D,
    Lock,
    Blt,
    Flip,
    FlipStatus,
    Restore,
    SetPalette,
    AddAttachedSurface,
    QueryTexture,
    CreateDevice,
    CreateViewport,
    AddViewport,
    SetViewport,
    SetCurrentViewport,
    Clear,
    BeginScene,
    EndScene,
    Validate,
    Draw,
    CreateVertexBuffer,
    LockVertexBuffer,
    Count
};

class FailureInjector
{
public:
    static constexpr uint32_t kForever = 0xFFFFFFFFu;

    // nth is 1-based: 1 makes the very next call fail.
    void FailCall(Operation op, uint32_t nth, Result result, uint32_t times = 1);
    void FailAlways(Operation op, Result result) { FailCall(op, 1, result, kForever); }
    void Reset();

    // Counts one call of op and answers the injected result, or Ok.
    Result Check(Operation op);
    uint32_t Calls(Operation op) const { return m_calls[static_cast<uint32_t>(op)]; }

private:
    struct Rule
    {
        Operation op;
        uint64_t first; // call numbers, 1-based, inclusive
        uint64_t last;
        Result result;
    };

    uint32_t m_calls[static_cast<uint32_t>(Operation::Count)] = {};
    std::vector<Rule> m_rules;
};

} // namespace plat
