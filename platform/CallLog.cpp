#include "CallLog.h"

#include "DeviceState.h"
#include "Format.h"

namespace plat
{

const char* CallName(Call call)
{
    switch (call)
    {
    case Call::SetCooperativeLevel:
        return "SetCooperativeLevel";
    case Call::SetDisplayMode:
        return "SetDisplayMode";
    case Call::RestoreDisplayMode:
        return "RestoreDisplayMode";
    case Call::CreateSurface:
        return "CreateSurface";
    case Call::Lock:
        return "Lock";
    case Call::Unlock:
        return "Unlock";
    case Call::Blt:
        return "Blt";
    case Call::BltFast:
        return "BltFast";
    case Call::Flip:
        return "Flip";
    case Call::Restore:
        return "Restore";
    case Call::SetPalette:
        return "SetPalette";
    case Call::SetColorKey:
        return "SetColorKey";
    case Call::AddAttachedSurface:
        return "AddAttachedSurface";
    case Call::CreateDevice:
        return "CreateDevice";
    case Call::BeginScene:
        return "BeginScene";
    case Call::EndScene:
        return "EndScene";
    case Call::SetRenderState:
        return "SetRenderState";
    case Call::SetLightState:
        return "SetLightState";
    case Call::SetTextureStageState:
        return "SetTextureStageState";
    case Call::SetTexture:
        return "SetTexture";
    case Call::Validate:
        return "Validate";
    case Call::AddViewport:
        return "AddViewport";
    case Call::SetCurrentViewport:
        return "SetCurrentViewport";
    case Call::SetViewport:
        return "SetViewport";
    case Call::Clear:
        return "Clear";
    case Call::DrawPrimitive:
        return "DrawPrimitive";
    case Call::DrawPrimitiveVB:
        return "DrawPrimitiveVB";
    case Call::DrawIndexedPrimitiveVB:
        return "DrawIndexedPrimitiveVB";
    case Call::LockVertexBuffer:
        return "LockVertexBuffer";
    case Call::UnlockVertexBuffer:
        return "UnlockVertexBuffer";
    }
    return "?";
}

namespace
{

// How many arguments each call prints.
uint32_t ArgCount(Call call)
{
    switch (call)
    {
    case Call::RestoreDisplayMode:
    case Call::BeginScene:
    case Call::EndScene:
    case Call::Validate:
    case Call::AddViewport:
    case Call::SetCurrentViewport:
    case Call::LockVertexBuffer:
    case Call::UnlockVertexBuffer:
        return 0;
    case Call::SetCooperativeLevel:
    case Call::Lock:
    case Call::Unlock:
    case Call::Flip:
    case Call::Restore:
    case Call::SetPalette:
        return 1;
    case Call::AddAttachedSurface:
    case Call::CreateDevice:
    case Call::SetTexture:
    case Call::SetViewport:
    case Call::DrawPrimitive:
        return 2;
    default:
        return 3;
    }
}

} // namespace

std::string CallRecord::ToString() const
{
    std::string text = CallName(call);
    switch (call)
    {
    case Call::SetRenderState:
        text += Format(" %s %u", RenderStateName(static_cast<RenderState>(args[0])), args[1]);
        break;
    case Call::SetLightState:
        text += Format(" %s %u", LightStateName(static_cast<LightState>(args[0])), args[1]);
        break;
    case Call::SetTextureStageState:
        text += Format(" %u %s %u", args[0], StageStateName(static_cast<StageState>(args[1])), args[2]);
        break;
    case Call::Clear:
        text += Format(" %u 0x%08x %u z=%.2f", args[0], args[1], args[2], static_cast<double>(value));
        break;
    default:
        for (uint32_t i = 0; i < ArgCount(call); ++i)
            text += Format(" %u", args[i]);
        break;
    }
    if (result != Result::Ok)
        text += Format(" -> %s", ResultName(result));
    return text;
}

std::vector<CallRecord> CallLog::Of(Call call) const
{
    std::vector<CallRecord> out;
    for (const CallRecord& r : m_records)
    {
        if (r.call == call)
            out.push_back(r);
    }
    return out;
}

std::vector<std::string> CallLog::Lines() const
{
    std::vector<std::string> out;
    for (const CallRecord& r : m_records)
        out.push_back(r.ToString());
    return out;
}

std::vector<std::string> CallLog::Lines(Call call) const
{
    std::vector<std::string> out;
    for (const CallRecord& r : m_records)
    {
        if (r.call == call)
            out.push_back(r.ToString());
    }
    return out;
}

} // namespace plat
