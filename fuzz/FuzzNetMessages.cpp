// One received network message per input, read by the reader its leading type byte names (the
// message's own first byte). An accepted message is written again: reading that back must take
// it and give the same bytes, and every value a receiver relies on must be in its range.
#include "tovNetMessages.h"

#include "tovBoat.h"

#include <cmath>
#include <cstdlib>
#include <vector>

namespace
{

void Check(bool ok)
{
    if (!ok)
        std::abort();
}

bool Finite(float v)
{
    return std::isfinite(v);
}

template <class Msg> Msg RoundTrip(const uint8_t* data, size_t size, bool& taken)
{
    Msg msg;
    taken = msg.Read(data, size);
    if (!taken)
        return msg;
    Check(msg.header.senderSlot < tovNet::kSlots || msg.header.senderSlot == tovNet::kNoSlot);
    const std::vector<uint8_t> bytes = msg.Write();
    Check(bytes.size() == tovNet::MessageSize(bytes[0]));
    Msg again;
    Check(again.Read(bytes.data(), bytes.size()));
    Check(again.Write() == bytes);
    return msg;
}

void CheckState(const tovDirectPlayState& s)
{
    Check(s.m_paintScheme >= -1 && s.m_paintScheme < tovBoat::kPaintSchemeCount);
    Check(s.m_trollingLevel >= -1 && s.m_trollingLevel <= 9);
    Check(s.m_lastTrollingCommand >= 0 && s.m_lastTrollingCommand <= 5);
    Check(s.m_phase < tovNet::kPhaseCount);
    Check((s.m_changeMask & ~tovBoatState::kAllMask) == 0);
    Check(Finite(s.m_position.x) && Finite(s.m_position.y) && Finite(s.m_position.z));
    Check(Finite(s.m_throttle) && Finite(s.m_steering) && Finite(s.m_trim) && Finite(s.m_speed));
    for (const auto& row : s.m_rotation.m)
        for (float v : row)
            Check(Finite(v));
    const QrPoint3 cast = s.GetCastTarget();
    Check(Finite(cast.x) && Finite(cast.y) && Finite(cast.z));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    bool taken = false;
    switch (data[0])
    {
    case tovNet::kPing:
        RoundTrip<tovNet::PingMsg>(data, size, taken);
        break;
    case tovNet::kParamsFull:
    case tovNet::kParamsUpdate:
    {
        const auto m = RoundTrip<tovNet::GameParamsMsg>(data, size, taken);
        if (taken)
        {
            Check(m.count <= tovNet::kSlots && m.params.phase < tovNet::kPhaseCount);
            Check(std::isfinite(m.timeOfDay) && std::isfinite(m.params.hostTimeOfDay));
        }
        break;
    }
    case tovNet::kPlayerHeader:
    {
        const auto m = RoundTrip<tovNet::PlayerHeaderMsg>(data, size, taken);
        if (taken)
        {
            Check(m.phase < tovNet::kPhaseCount);
            for (const tovNet::LivewellEntry& fish : m.livewell)
                Check(fish.species >= -1 && fish.species < tovNet::kSpeciesCount);
        }
        break;
    }
    case tovNet::kPlayerState:
    {
        const auto m = RoundTrip<tovNet::PlayerStateMsg>(data, size, taken);
        if (taken)
            CheckState(m.state);
        break;
    }
    case tovNet::kEvent:
    {
        const auto m = RoundTrip<tovNet::EventMsg>(data, size, taken);
        if (taken)
        {
            Check(m.kind >= tovNet::EventMsg::kThrottle && m.kind <= tovNet::EventMsg::kLeftFishing);
            Check(m.subKind < tovNet::kPhaseCount);
            for (float v : m.values)
                Check(Finite(v));
        }
        break;
    }
    case tovNet::kChatText:
    {
        const auto m = RoundTrip<tovNet::ChatTextMsg>(data, size, taken);
        if (taken)
            Check(m.text.back() == '\0');
        break;
    }
    case tovNet::kNameChanged:
        RoundTrip<tovNet::NameChangedMsg>(data, size, taken);
        break;
    default:
        break;
    }
    // A size no type has is never taken.
    Check(!taken || size == tovNet::MessageSize(data[0]));
    return 0;
}
