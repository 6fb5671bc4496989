#include "tovNetMessages.h"

#include "ByteReader.h"
#include "ByteWriter.h"
#include "NetSession.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tovNet
{

namespace
{

constexpr size_t kSizes[] = {0, 32, 472, 472, 100, 160, 40, 264, 8};

std::vector<uint8_t> Begin(const Header& header)
{
    std::vector<uint8_t> out(MessageSize(header.type), 0);
    out[0] = header.type;
    out[1] = header.senderSlot;
    out[2] = static_cast<uint8_t>(header.game);
    out[3] = static_cast<uint8_t>(header.game >> 8);
    out[4] = static_cast<uint8_t>(header.stamp);
    out[5] = static_cast<uint8_t>(header.stamp >> 8);
    out[6] = static_cast<uint8_t>(header.stamp >> 16);
    out[7] = static_cast<uint8_t>(header.stamp >> 24);
    return out;
}

// The header of a message of exactly the size of one of the given types.
bool TakeHeader(const uint8_t* data, size_t size, Header& out, uint8_t type, uint8_t otherType = 0)
{
    if (data == nullptr || size < kHeaderSize || (data[0] != type && (otherType == 0 || data[0] != otherType)) ||
        size != MessageSize(data[0]))
        return false;
    plat::ByteReader in(data, size);
    out.type = in.U8();
    out.senderSlot = in.U8();
    out.game = in.U16();
    out.stamp = in.U32();
    return out.senderSlot < kSlots || out.senderSlot == kNoSlot;
}

void Put(std::vector<uint8_t>& out, size_t offset, const plat::ByteWriter& field)
{
    std::copy(field.Buffer().begin(), field.Buffer().end(), out.begin() + static_cast<std::ptrdiff_t>(offset));
}

} // namespace

size_t MessageSize(uint8_t type)
{
    return type < std::size(kSizes) ? kSizes[type] : 0;
}

bool IsGuaranteed(uint8_t type)
{
    return type == kParamsFull || type == kParamsUpdate || type == kPlayerHeader || type == kNameChanged;
}

bool IsGameMessage(uint8_t type)
{
    return type >= kParamsFull && type <= kEvent;
}

uint16_t GameOf(const std::vector<uint8_t>& message)
{
    return message.size() < kHeaderSize ? 0 : static_cast<uint16_t>(message[2] | message[3] << 8);
}

void StampGame(std::vector<uint8_t>& message, uint16_t game)
{
    if (message.size() < kHeaderSize)
        return;
    message[2] = static_cast<uint8_t>(game);
    message[3] = static_cast<uint8_t>(game >> 8);
}

void StampMessage(std::vector<uint8_t>& message, uint32_t ms)
{
    if (message.size() < kHeaderSize)
        return;
    for (int i = 0; i < 4; ++i)
        message[4 + i] = static_cast<uint8_t>(ms >> (8 * i));
    // A ping carries the same stamp again in its body.
    if (message[0] == kPing && message.size() == MessageSize(kPing))
        for (int i = 0; i < 4; ++i)
            message[12 + i] = static_cast<uint8_t>(ms >> (8 * i));
}

std::vector<uint8_t> PingMsg::Write() const
{
    std::vector<uint8_t> out = Begin(header);
    plat::ByteWriter stamp;
    stamp.U32(header.stamp);
    Put(out, 12, stamp);
    return out;
}

bool PingMsg::Read(const uint8_t* data, size_t size)
{
    Header h;
    if (!TakeHeader(data, size, h, kPing))
        return false;
    header = h;
    return true;
}

std::vector<uint8_t> GameParamsMsg::Write() const
{
    Header h = header;
    h.game = params.game;
    std::vector<uint8_t> out = Begin(h);
    plat::ByteWriter w;
    w.U16(kVersion);
    w.Write("\0\0\0\0\0\0", 6);
    w.F64(timeOfDay);
    w.U32(0);
    w.U32(0);
    params.Write(w);
    w.U32(count);
    for (uint32_t id : ids)
        w.U32(id);
    Put(out, 8, w);
    return out;
}

bool GameParamsMsg::Read(const uint8_t* data, size_t size)
{
    Header h;
    if (!TakeHeader(data, size, h, kParamsFull, kParamsUpdate))
        return false;
    plat::ByteReader in(data, size);
    in.Seek(16);
    const double time = in.F64();
    in.Seek(32);
    tovNetworkPlay::GAMEPARAMS p;
    if (!p.Read(in))
        return false;
    // The phase and the stamps come from a peer: a phase no player uses is refused, and a
    // clock that is not a number is taken as none.
    if (p.phase >= kPhaseCount)
        return false;
    if (!std::isfinite(p.hostTimeOfDay))
        p.ClearHostClock();
    const uint32_t n = in.U32();
    std::array<uint32_t, kSlots> slotIds{};
    for (uint32_t& id : slotIds)
        id = in.U32();
    if (in.Failed())
        return false;
    header = h;
    timeOfDay = std::isfinite(time) ? time : -1.0;
    p.game = h.game;
    params = p;
    count = std::min<uint32_t>(n, kSlots);
    ids = slotIds;
    return true;
}

std::vector<uint8_t> PlayerHeaderMsg::Write() const
{
    std::vector<uint8_t> out = Begin(header);
    plat::ByteWriter w;
    w.U16(kVersion);
    w.U8(replyWanted);
    w.U8(0);
    w.U32(phase);
    w.U32(lakeMask);
    w.I32(resultA);
    w.I32(resultB);
    for (const LivewellEntry& fish : livewell)
    {
        w.I32(fish.species);
        w.U32(fish.weight);
        w.U32(fish.length);
    }
    Put(out, 8, w);
    return out;
}

bool PlayerHeaderMsg::Read(const uint8_t* data, size_t size)
{
    Header h;
    if (!TakeHeader(data, size, h, kPlayerHeader))
        return false;
    plat::ByteReader in(data, size);
    in.Seek(10);
    const uint8_t reply = in.U8();
    in.U8();
    const uint32_t phaseWord = in.U32();
    PlayerHeaderMsg m;
    m.header = h;
    m.replyWanted = reply;
    m.phase = static_cast<uint16_t>(phaseWord);
    m.lakeMask = in.U32();
    m.resultA = in.I32();
    m.resultB = in.I32();
    for (LivewellEntry& fish : m.livewell)
    {
        fish.species = in.I32();
        fish.weight = in.U32();
        fish.length = in.U32();
        if (fish.species < -1 || fish.species >= kSpeciesCount)
            return false;
    }
    if (in.Failed() || m.phase >= kPhaseCount)
        return false;
    *this = m;
    return true;
}

std::vector<uint8_t> PlayerStateMsg::Write() const
{
    std::vector<uint8_t> out = Begin(header);
    state.Write(out.data() + 8);
    return out;
}

bool PlayerStateMsg::Read(const uint8_t* data, size_t size)
{
    Header h;
    if (!TakeHeader(data, size, h, kPlayerState))
        return false;
    tovDirectPlayState s;
    if (!s.Read(data + 8))
        return false;
    header = h;
    state = s;
    return true;
}

std::vector<uint8_t> EventMsg::Write() const
{
    std::vector<uint8_t> out = Begin(header);
    out[16] = kind;
    out[17] = subKind;
    plat::ByteWriter w;
    if (kind == kTackleChoice || (kind == kAnglerPhase && subKind == kFlagsSubKind))
        w.U32(word);
    else
        for (float v : values)
            w.F32(v);
    Put(out, 20, w);
    return out;
}

bool EventMsg::Read(const uint8_t* data, size_t size)
{
    Header h;
    if (!TakeHeader(data, size, h, kEvent))
        return false;
    const uint8_t k = data[16];
    const uint8_t sub = data[17];
    if (k < kThrottle || k > kLeftFishing || (k == kAnglerPhase && sub >= kPhaseCount))
        return false;
    plat::ByteReader in(data, size);
    in.Seek(20);
    const uint32_t w = in.U32();
    in.Seek(20);
    std::array<float, 3> v{};
    for (float& f : v)
        f = in.F32();
    const bool floats = k <= kRangeControl || (k == kAnglerPhase && sub == kCastTargetSubKind);
    const size_t used = k <= kRangeControl ? 1 : 3;
    for (size_t i = 0; floats && i < used; ++i)
        if (!std::isfinite(v[i]))
            return false;
    // Only the values the kind uses are kept.
    std::array<float, 3> kept{};
    for (size_t i = 0; floats && i < used; ++i)
        kept[i] = v[i];
    header = h;
    kind = k;
    subKind = k == kAnglerPhase ? sub : 0;
    values = kept;
    word = w;
    return true;
}

void ChatTextMsg::SetText(const char* line)
{
    text.fill(0);
    if (line != nullptr)
        std::strncpy(text.data(), line, kChatBytes - 1);
}

std::vector<uint8_t> ChatTextMsg::Write() const
{
    std::vector<uint8_t> out = Begin(header);
    std::memcpy(out.data() + 8, text.data(), kChatBytes - 1);
    out[263] = 0;
    return out;
}

bool ChatTextMsg::Read(const uint8_t* data, size_t size)
{
    Header h;
    if (!TakeHeader(data, size, h, kChatText))
        return false;
    header = h;
    text.fill(0);
    // Terminated whatever the sender put in its last byte.
    std::memcpy(text.data(), data + 8, kChatBytes - 1);
    plat::BlankControlBytes(text.data(), text.size());
    return true;
}

std::vector<uint8_t> NameChangedMsg::Write() const
{
    return Begin(header);
}

bool NameChangedMsg::Read(const uint8_t* data, size_t size)
{
    Header h;
    if (!TakeHeader(data, size, h, kNameChanged))
        return false;
    header = h;
    return true;
}

} // namespace tovNet
