#pragma once
// The recording mode of the display and its 3D devices: when a log is installed, every call
// that changes something is appended with its arguments and result, so that tests can check
// the traffic a renderer sends (state changes, clears, draws, presents) without pixels.

#include "Result.h"

#include <cstdint>
#include <string>
#include <vector>

namespace plat
{

enum class Call : uint8_t
{
    SetCooperativeLevel, // flags
    SetDisplayMode,      // width, height, bits
    RestoreDisplayMode,
    CreateSurface,      // new surface id, caps, format
    Lock,               // surface id
    Unlock,             // surface id
    Blt,                // destination id, source id, flags
    BltFast,            // destination id, source id, flags
    Flip,               // front id
    Restore,            // surface id
    SetPalette,         // surface id
    SetColorKey,        // surface id, low, high
    AddAttachedSurface, // surface id, attached id
    CreateDevice,       // kind, target id
    BeginScene,
    EndScene,
    SetRenderState,       // state, value
    SetLightState,        // state, value
    SetTextureStageState, // stage, state, value
    SetTexture,           // stage, surface id or 0
    Validate,
    AddViewport,
    SetCurrentViewport,
    SetViewport,            // width, height
    Clear,                  // flags, colour, rectangle count; value = z
    DrawPrimitive,          // primitive, vertex count
    DrawPrimitiveVB,        // primitive, start, vertex count
    DrawIndexedPrimitiveVB, // primitive, index count, vertex count
    LockVertexBuffer,
    UnlockVertexBuffer,
};

const char* CallName(Call call);

struct CallRecord
{
    Call call = Call::BeginScene;
    uint32_t args[3] = {0, 0, 0};
    float value = 0.0f;
    Result result = Result::Ok;

    // "SetRenderState ZFunc 1", "Clear 3 0x00ff7f00 1 z=0.95", "Flip 1 -> SurfaceLost".
    std::string ToString() const;
};

class CallLog
{
public:
    void Add(const CallRecord& record) { m_records.push_back(record); }
    void Clear() { m_records.clear(); }
    const std::vector<CallRecord>& Records() const { return m_records; }
    std::vector<CallRecord> Of(Call call) const;
    std::vector<std::string> Lines() const;
    // The lines of one kind of call only.
    std::vector<std::string> Lines(Call call) const;

private:
    std::vector<CallRecord> m_records;
};

} // namespace plat
