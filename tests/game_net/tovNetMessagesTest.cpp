#include "tovNetMessages.h"
#include "tovDirectPlay.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

namespace
{

// A byte image built field by field, independent of the writers under test.
class Image
{
public:
    explicit Image(size_t size) : m_bytes(size, 0) {}
    Image& U8(size_t at, uint8_t v)
    {
        m_bytes.at(at) = v;
        return *this;
    }
    Image& U16(size_t at, uint16_t v) { return U8(at, uint8_t(v)).U8(at + 1, uint8_t(v >> 8)); }
    Image& U32(size_t at, uint32_t v) { return U16(at, uint16_t(v)).U16(at + 2, uint16_t(v >> 16)); }
    Image& F32(size_t at, float v)
    {
        uint32_t bits;
        std::memcpy(&bits, &v, 4);
        return U32(at, bits);
    }
    Image& F64(size_t at, double v)
    {
        uint64_t bits;
        std::memcpy(&bits, &v, 8);
        return U32(at, uint32_t(bits)).U32(at + 4, uint32_t(bits >> 32));
    }
    Image& Text(size_t at, const char* text)
    {
        std::memcpy(m_bytes.data() + at, text, std::strlen(text));
        return *this;
    }
    const std::vector<uint8_t>& Bytes() const { return m_bytes; }

private:
    std::vector<uint8_t> m_bytes;
};

tovNet::Header MakeHeader(uint8_t type, uint8_t slot)
{
    return {type, slot, 0x0102, 0x11223344};
}

struct Golden
{
    const char* name;
    std::vector<uint8_t> built;
    std::vector<uint8_t> expected;
};

std::vector<Golden> Goldens()
{
    std::vector<Golden> out;
    {
        tovNet::PingMsg m;
        m.header = MakeHeader(tovNet::kPing, 2);
        out.push_back({"ping", m.Write(),
                       Image(32).U8(0, 1).U8(1, 2).U16(2, 0x0102).U32(4, 0x11223344).U32(12, 0x11223344).Bytes()});
    }
    {
        tovNet::GameParamsMsg m;
        m.header = MakeHeader(tovNet::kParamsFull, 0);
        m.timeOfDay = 30000.5;
        m.params.phase = 4;
        m.params.day = 2;
        m.params.setting0 = 3;
        m.params.setting1 = 1;
        m.params.playerIndex = 2;
        m.params.lakeId = 7;
        m.params.game = 0x0A0B;
        m.params.weather[0] = 0xAB;
        m.params.weather[371] = 0xCD;
        m.ids = {5, 0, 9, 0, 0};
        Image img(472);
        img.U8(0, 2).U16(2, 0x0A0B).U32(4, 0x11223344).U16(8, 0x0100).F64(16, 30000.5);
        img.U32(32, 0xFFFFFFFF).U32(36, 0xFFFFFFFF).F64(40, -1.0).U16(48, 4).U32(52, 2).U32(56, 3).U32(60, 1);
        img.U32(64, 2).U32(68, 7).U8(72, 0xAB).U8(72 + 371, 0xCD).U32(448, 5).U32(452, 5).U32(460, 9);
        out.push_back({"params", m.Write(), img.Bytes()});
    }
    {
        tovNet::PlayerHeaderMsg m;
        m.header = MakeHeader(tovNet::kPlayerHeader, 1);
        m.phase = 7;
        m.lakeMask = 0x15;
        m.resultA = -3;
        m.resultB = 12;
        m.livewell[0] = {3, 40, 18};
        Image img(100);
        img.U8(0, 4).U8(1, 1).U16(2, 0x0102).U32(4, 0x11223344).U16(8, 0x0100).U8(10, 1).U32(12, 7).U32(16, 0x15);
        img.U32(20, uint32_t(-3)).U32(24, 12).U32(28, 3).U32(32, 40).U32(36, 18);
        for (size_t i = 1; i < 6; ++i)
            img.U32(28 + 12 * i, 0xFFFFFFFF);
        out.push_back({"header", m.Write(), img.Bytes()});
    }
    {
        tovNet::PlayerStateMsg m;
        m.header = MakeHeader(tovNet::kPlayerState, 3);
        tovDirectPlayState& s = m.state;
        s.m_paintScheme = 0;
        s.m_trollingLevel = 4;
        s.m_lastTrollingCommand = 2;
        s.m_speed = 1.5f;
        s.m_changeMask = 0x3FF;
        s.m_throttle = 0.25f;
        s.m_position = {10.0f, 2.0f, -4.0f};
        s.block = {1, 2, 3, 4, 5};
        s.castTarget = {7.0f, 8.0f, 9.0f};
        s.readyInWaitCast = 1;
        s.anglerValue = -9;
        s.m_phase = 5;
        Image img(160);
        img.U8(0, 5).U8(1, 3).U16(2, 0x0102).U32(4, 0x11223344);
        const size_t b = 8;
        img.U32(b + 4, 0).U16(b + 8, 4).U16(b + 10, 2).F32(b + 12, 1.5f).U32(b + 44, 0x3FF).F32(b + 48, 0.25f);
        img.F32(b + 60, 10.0f).F32(b + 64, 2.0f).F32(b + 68, -4.0f);
        img.F32(b + 72, 1.0f).F32(b + 88, 1.0f).F32(b + 104, 1.0f);
        for (uint32_t i = 0; i < 5; ++i)
            img.U32(b + 108 + 4 * i, i + 1);
        img.F32(b + 128, 7.0f).F32(b + 132, 8.0f).F32(b + 136, 9.0f).U8(b + 140, 1).U32(b + 144, uint32_t(-9));
        img.U16(b + 148, 5);
        out.push_back({"state", m.Write(), img.Bytes()});
    }
    {
        tovNet::EventMsg m;
        m.header = MakeHeader(tovNet::kEvent, 4);
        m.kind = tovNet::EventMsg::kAnglerPhase;
        m.subKind = 3;
        m.values = {1.0f, -2.0f, 3.5f};
        out.push_back({"event cast", m.Write(),
                       Image(40)
                           .U8(0, 6)
                           .U8(1, 4)
                           .U16(2, 0x0102)
                           .U32(4, 0x11223344)
                           .U8(16, 4)
                           .U8(17, 3)
                           .F32(20, 1.0f)
                           .F32(24, -2.0f)
                           .F32(28, 3.5f)
                           .Bytes()});
        tovNet::EventMsg t;
        t.header = MakeHeader(tovNet::kEvent, 4);
        t.kind = tovNet::EventMsg::kTackleChoice;
        t.word = 3 | 7u << 16;
        out.push_back(
            {"event tackle", t.Write(),
             Image(40).U8(0, 6).U8(1, 4).U16(2, 0x0102).U32(4, 0x11223344).U8(16, 5).U32(20, 0x00070003).Bytes()});
    }
    {
        tovNet::ChatTextMsg m;
        m.header = MakeHeader(tovNet::kChatText, 0);
        m.SetText("Nice bass!");
        out.push_back(
            {"chat", m.Write(), Image(264).U8(0, 7).U16(2, 0x0102).U32(4, 0x11223344).Text(8, "Nice bass!").Bytes()});
    }
    {
        tovNet::NameChangedMsg m;
        m.header = MakeHeader(tovNet::kNameChanged, 1);
        out.push_back({"name", m.Write(), Image(8).U8(0, 8).U8(1, 1).U16(2, 0x0102).U32(4, 0x11223344).Bytes()});
    }
    return out;
}

TEST(tovNetMessages, ByteImagesOfEveryType)
{
    for (const Golden& g : Goldens())
    {
        SCOPED_TRACE(g.name);
        ASSERT_EQ(g.built.size(), g.expected.size());
        for (size_t i = 0; i < g.built.size(); ++i)
            ASSERT_EQ(g.built[i], g.expected[i]) << "offset " << i;
    }
}

TEST(tovNetMessages, SizesAndDelivery)
{
    const size_t sizes[] = {0, 32, 472, 472, 100, 160, 40, 264, 8, 0};
    const bool guaranteed[] = {false, false, true, true, true, false, false, false, true, false};
    for (uint8_t type = 0; type < 10; ++type)
    {
        EXPECT_EQ(tovNet::MessageSize(type), sizes[type]) << int(type);
        EXPECT_EQ(tovNet::IsGuaranteed(type), guaranteed[type]) << int(type);
    }
}

TEST(tovNetMessages, ReadTakesWhatWriteMade)
{
    tovNet::GameParamsMsg params;
    params.header.senderSlot = 0;
    params.timeOfDay = 25000.0;
    params.params.lakeId = 3;
    params.params.game = 0xBEEF;
    params.count = 5;
    params.ids = {1, 2, 0, 0, 0};
    tovNet::GameParamsMsg back;
    const auto bytes = params.Write();
    ASSERT_TRUE(back.Read(bytes.data(), bytes.size()));
    EXPECT_EQ(back.params.lakeId, 3);
    EXPECT_EQ(back.params.game, 0xBEEF) << "the parameters' game number rides in the header";
    EXPECT_EQ(back.header.game, 0xBEEF);
    EXPECT_EQ(tovNet::GameOf(bytes), 0xBEEF);
    EXPECT_EQ(back.timeOfDay, 25000.0);
    EXPECT_EQ(back.ids, params.ids);

    tovNet::ChatTextMsg chat;
    std::string longLine(300, 'x');
    chat.SetText(longLine.c_str());
    const auto chatBytes = chat.Write();
    tovNet::ChatTextMsg chatBack;
    ASSERT_TRUE(chatBack.Read(chatBytes.data(), chatBytes.size()));
    EXPECT_EQ(std::strlen(chatBack.text.data()), 255u);
}

TEST(tovNetMessages, ValuesNoSenderMakesAreRefused)
{
    // A slot table count past five is clamped; a phase past the game's is refused.
    tovNet::GameParamsMsg params;
    params.header.senderSlot = 0;
    auto bytes = params.Write();
    bytes[448] = 200;
    tovNet::GameParamsMsg back;
    ASSERT_TRUE(back.Read(bytes.data(), bytes.size()));
    EXPECT_EQ(back.count, 5u);
    bytes[48] = 12;
    EXPECT_FALSE(back.Read(bytes.data(), bytes.size()));

    tovNet::PlayerHeaderMsg header;
    auto hb = header.Write();
    hb[28] = 17; // species 17 does not exist
    EXPECT_FALSE(header.Read(hb.data(), hb.size()));

    tovNet::PlayerStateMsg state;
    auto sb = state.Write();
    sb[8 + 4] = 1; // paint scheme 1 of one
    EXPECT_FALSE(state.Read(sb.data(), sb.size()));
    sb = state.Write();
    const float nan = std::nanf("");
    std::memcpy(sb.data() + 8 + 60, &nan, 4);
    EXPECT_FALSE(state.Read(sb.data(), sb.size()));
    sb = state.Write();
    sb[8 + 148] = 12;
    EXPECT_FALSE(state.Read(sb.data(), sb.size()));

    tovNet::EventMsg event;
    event.kind = 7;
    auto eb = event.Write();
    EXPECT_FALSE(event.Read(eb.data(), eb.size()));
    eb[16] = 4;
    eb[17] = 12;
    EXPECT_FALSE(event.Read(eb.data(), eb.size()));

    tovNet::PingMsg ping;
    ping.header.senderSlot = 5;
    auto pb = ping.Write();
    EXPECT_FALSE(ping.Read(pb.data(), pb.size()));
}

// One field of a received message set whole to a value, and whether the reader takes it.
struct Poke
{
    enum Width
    {
        k8,
        k16,
        k32,
        kF32,
        kF64,
    };
    size_t at;
    Width width;
    double value;
};

struct BoundRow
{
    std::string name;
    std::vector<Poke> pokes;
    bool taken;
};

void Apply(std::vector<uint8_t>& bytes, const Poke& poke)
{
    uint8_t raw[8] = {};
    size_t n = 8;
    if (poke.width == Poke::kF32)
    {
        const auto f = static_cast<float>(poke.value);
        std::memcpy(raw, &f, n = 4);
    }
    else if (poke.width == Poke::kF64)
        std::memcpy(raw, &poke.value, n);
    else
    {
        // Two's complement, little-endian, the field's whole width.
        const auto whole = static_cast<uint64_t>(static_cast<int64_t>(poke.value));
        n = poke.width == Poke::k8 ? 1 : poke.width == Poke::k16 ? 2 : 4;
        for (size_t i = 0; i < n; ++i)
            raw[i] = static_cast<uint8_t>(whole >> (8 * i));
    }
    for (size_t i = 0; i < n; ++i)
        bytes.at(poke.at + i) = raw[i];
}

// Each row against a record read from a valid message first: a refused message leaves the
// record as it was.
template <class Msg> void CheckRows(const std::vector<uint8_t>& valid, const std::vector<BoundRow>& rows)
{
    Msg sentinel;
    ASSERT_TRUE(sentinel.Read(valid.data(), valid.size()));
    const std::vector<uint8_t> before = sentinel.Write();
    for (const BoundRow& row : rows)
    {
        std::vector<uint8_t> bytes = valid;
        for (const Poke& poke : row.pokes)
            Apply(bytes, poke);
        Msg record = sentinel;
        EXPECT_EQ(record.Read(bytes.data(), bytes.size()), row.taken) << row.name;
        if (!row.taken)
        {
            EXPECT_EQ(record.Write(), before) << row.name << ": a refused message changed the record";
        }
    }
}

template <class Msg> std::vector<uint8_t> Valid(Msg msg, uint8_t slot)
{
    msg.header.senderSlot = slot;
    msg.header.stamp = 0x11223344;
    return msg.Write();
}

const double kNaN = std::nan("");

// The header of every type: slots 0..4 and 255 (none); the first values past them are refused.
TEST(tovNetMessages, HeaderSlotBounds)
{
    const std::vector<BoundRow> rows = {
        {"slot 0", {{1, Poke::k8, 0}}, true},      {"slot 4", {{1, Poke::k8, 4}}, true},
        {"slot 5", {{1, Poke::k8, 5}}, false},     {"slot 254", {{1, Poke::k8, 254}}, false},
        {"slot none", {{1, Poke::k8, 255}}, true}, {"another type", {{0, Poke::k8, 9}}, false},
    };
    tovNet::EventMsg event;
    event.kind = tovNet::EventMsg::kThrottle;
    CheckRows<tovNet::PingMsg>(Valid(tovNet::PingMsg(), 2), rows);
    CheckRows<tovNet::GameParamsMsg>(Valid(tovNet::GameParamsMsg(), 2), rows);
    CheckRows<tovNet::PlayerHeaderMsg>(Valid(tovNet::PlayerHeaderMsg(), 2), rows);
    CheckRows<tovNet::PlayerStateMsg>(Valid(tovNet::PlayerStateMsg(), 2), rows);
    CheckRows<tovNet::EventMsg>(Valid(event, 2), rows);
    CheckRows<tovNet::ChatTextMsg>(Valid(tovNet::ChatTextMsg(), 2), rows);
    CheckRows<tovNet::NameChangedMsg>(Valid(tovNet::NameChangedMsg(), 2), rows);
}

TEST(tovNetMessages, GameParamsBounds)
{
    tovNet::GameParamsMsg valid;
    valid.params.phase = 3;
    valid.ids = {1, 2, 0, 0, 0};
    CheckRows<tovNet::GameParamsMsg>(Valid(valid, 0), {
                                                          {"phase 11", {{48, Poke::k16, 11}}, true},
                                                          {"phase 12", {{48, Poke::k16, 12}}, false},
                                                          {"phase 0xFFFF", {{48, Poke::k16, 0xFFFF}}, false},
                                                          {"count 5", {{448, Poke::k32, 5}}, true},
                                                          {"count 6", {{448, Poke::k32, 6}}, true},
                                                          {"count all ones", {{448, Poke::k32, -1}}, true},
                                                          {"time NaN", {{16, Poke::kF64, kNaN}}, true},
                                                          {"host time NaN", {{40, Poke::kF64, kNaN}}, true},
                                                      });
    // Taken, but a count past five is five and a clock that is no number is none.
    auto bytes = Valid(valid, 0);
    Apply(bytes, {448, Poke::k32, 6});
    Apply(bytes, {16, Poke::kF64, kNaN});
    Apply(bytes, {36, Poke::k32, 7});
    Apply(bytes, {40, Poke::kF64, kNaN});
    tovNet::GameParamsMsg back;
    ASSERT_TRUE(back.Read(bytes.data(), bytes.size()));
    EXPECT_EQ(back.count, 5u);
    EXPECT_EQ(back.timeOfDay, -1.0);
    EXPECT_EQ(back.params.hostTimeOfDay, -1.0);
    EXPECT_EQ(back.params.hostStamp, -1);
}

TEST(tovNetMessages, PlayerHeaderBounds)
{
    std::vector<BoundRow> rows = {
        {"phase 11", {{12, Poke::k32, 11}}, true},
        {"phase 12", {{12, Poke::k32, 12}}, false},
        {"phase 12 over high bits", {{12, Poke::k32, 0x1000C}}, false},
    };
    // The first and the last livewell place.
    for (size_t at : {28u, 28u + 5 * 12})
    {
        const std::string place = "species at " + std::to_string(at) + " ";
        rows.push_back({place + "-2", {{at, Poke::k32, -2}}, false});
        rows.push_back({place + "-1", {{at, Poke::k32, -1}}, true});
        rows.push_back({place + "16", {{at, Poke::k32, 16}}, true});
        rows.push_back({place + "17", {{at, Poke::k32, 17}}, false});
    }
    tovNet::PlayerHeaderMsg valid;
    valid.phase = 2;
    valid.livewell[0] = {3, 100, 200};
    CheckRows<tovNet::PlayerHeaderMsg>(Valid(valid, 1), rows);
}

TEST(tovNetMessages, PlayerStateBounds)
{
    // Offsets in the message: the record's image starts at 8.
    std::vector<BoundRow> rows = {
        {"paint -2", {{12, Poke::k32, -2}}, false},
        {"paint -1", {{12, Poke::k32, -1}}, true},
        {"paint 0", {{12, Poke::k32, 0}}, true},
        {"paint 1", {{12, Poke::k32, 1}}, false},
        {"trolling level -2", {{16, Poke::k16, -2}}, false},
        {"trolling level 9", {{16, Poke::k16, 9}}, true},
        {"trolling level 10", {{16, Poke::k16, 10}}, false},
        {"trolling command -1", {{18, Poke::k16, -1}}, false},
        {"trolling command 5", {{18, Poke::k16, 5}}, true},
        {"trolling command 6", {{18, Poke::k16, 6}}, false},
        {"angler phase -1", {{8 + 108 + 12, Poke::k32, -1}}, false},
        {"angler phase 11", {{8 + 108 + 12, Poke::k32, 11}}, true},
        {"angler phase 12", {{8 + 108 + 12, Poke::k32, 12}}, false},
        {"phase 11", {{156, Poke::k16, 11}}, true},
        {"phase 12", {{156, Poke::k16, 12}}, false},
        {"mask all ones", {{52, Poke::k32, -1}}, true},
    };
    // Motion, controls, position, rotation; the cast point.
    for (size_t i = 0; i < 24; ++i)
        if (i != 8) // the change mask
            rows.push_back({"NaN at " + std::to_string(20 + 4 * i), {{20 + 4 * i, Poke::kF32, kNaN}}, false});
    for (size_t i = 0; i < 3; ++i)
        rows.push_back({"NaN at " + std::to_string(136 + 4 * i), {{136 + 4 * i, Poke::kF32, kNaN}}, false});
    rows.push_back({"infinite x", {{68, Poke::kF32, HUGE_VAL}}, false});
    tovNet::PlayerStateMsg valid;
    valid.state.m_paintScheme = 0;
    valid.state.m_trollingLevel = 3;
    valid.state.m_position = {5.0f, 1.0f, 6.0f};
    valid.state.m_phase = 4;
    CheckRows<tovNet::PlayerStateMsg>(Valid(valid, 1), rows);

    auto bytes = Valid(valid, 1);
    Apply(bytes, {52, Poke::k32, -1});
    tovNet::PlayerStateMsg back;
    ASSERT_TRUE(back.Read(bytes.data(), bytes.size()));
    EXPECT_EQ(back.state.m_changeMask, tovBoatState::kAllMask);
}

TEST(tovNetMessages, EventBounds)
{
    auto kind = [](int k) { return Poke{16, Poke::k8, double(k)}; };
    auto sub = [](int k) { return Poke{17, Poke::k8, double(k)}; };
    std::vector<BoundRow> rows = {
        {"kind 0", {kind(0)}, false},
        {"kind 6", {kind(6)}, true},
        {"kind 7", {kind(7)}, false},
        {"kind 255", {kind(255)}, false},
        {"angler phase 11", {kind(4), sub(11)}, true},
        {"angler phase 12", {kind(4), sub(12)}, false},
        // Only the value a kind uses is looked at.
        {"throttle, NaN past its value", {kind(1), {24, Poke::kF32, kNaN}}, true},
        {"tackle word, not a float", {kind(5), {20, Poke::kF32, kNaN}}, true},
        {"flags word, not a float", {kind(4), sub(4), {20, Poke::kF32, kNaN}}, true},
    };
    for (int k : {1, 2, 3})
        rows.push_back({"kind " + std::to_string(k) + " NaN", {kind(k), {20, Poke::kF32, kNaN}}, false});
    for (size_t at : {20u, 24u, 28u})
        rows.push_back({"cast target NaN at " + std::to_string(at), {kind(4), sub(3), {at, Poke::kF32, kNaN}}, false});
    tovNet::EventMsg valid;
    valid.kind = tovNet::EventMsg::kThrottle;
    valid.values[0] = 0.25f;
    CheckRows<tovNet::EventMsg>(Valid(valid, 1), rows);
}

TEST(tovNetMessages, ChatTextBounds)
{
    tovNet::ChatTextMsg valid;
    valid.SetText("hello");
    std::vector<BoundRow> rows;
    // A line whose last byte is not zero is taken, cut to 255 characters.
    BoundRow unterminated{"unterminated", {}, true};
    for (size_t at = 8; at < 264; ++at)
        unterminated.pokes.push_back({at, Poke::k8, 'x'});
    rows.push_back(unterminated);
    CheckRows<tovNet::ChatTextMsg>(Valid(valid, 1), rows);
    auto bytes = Valid(valid, 1);
    for (const Poke& poke : unterminated.pokes)
        Apply(bytes, poke);
    tovNet::ChatTextMsg back;
    ASSERT_TRUE(back.Read(bytes.data(), bytes.size()));
    EXPECT_EQ(std::strlen(back.text.data()), 255u);
}

// The ping's body carries the stamp the transport writes at sending.
TEST(tovNetMessages, PingStampAtTwelve)
{
    auto bytes = tovNet::PingMsg().Write();
    tovNet::StampMessage(bytes, 0xA1B2C3D4);
    EXPECT_EQ(bytes, Image(32).U8(0, 1).U8(1, 255).U32(4, 0xA1B2C3D4).U32(12, 0xA1B2C3D4).Bytes());
    // Other types keep their body.
    auto chat = tovNet::ChatTextMsg().Write();
    tovNet::StampMessage(chat, 0xA1B2C3D4);
    EXPECT_EQ(chat[12], 0);
}

TEST(tovNetMessages, PhaseCompatibility)
{
    struct Row
    {
        int32_t p, q;
        bool in;
    };
    const Row rows[] = {
        {0, 0, true},   {0, 6, true},  {0, 7, false}, {3, 2, false},  {4, 7, true},    {4, 8, false},
        {5, 4, false},  {7, 0, true},  {7, 1, true},  {7, 2, false},  {7, 9, true},    {8, 7, false},
        {10, 6, false}, {10, 3, true}, {10, 5, true}, {10, 11, true}, {11, 10, false},
    };
    for (const Row& r : rows)
        EXPECT_EQ(tovDirectPlay::IsPhaseCompatible(r.p, r.q), r.in) << r.p << " " << r.q;
}

} // namespace
