#include "tovNetMessages.h"
#include "tovDirectPlay.h"

#include <gtest/gtest.h>

#include <cstring>

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
    return {type, slot, 0x11223344};
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
        out.push_back({"ping", m.Write(), Image(32).U8(0, 1).U8(1, 2).U32(4, 0x11223344).U32(12, 0x11223344).Bytes()});
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
        m.params.weather[0] = 0xAB;
        m.params.weather[371] = 0xCD;
        m.ids = {5, 0, 9, 0, 0};
        Image img(472);
        img.U8(0, 2).U32(4, 0x11223344).U16(8, 0x0100).F64(16, 30000.5);
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
        img.U8(0, 4).U8(1, 1).U32(4, 0x11223344).U16(8, 0x0100).U8(10, 1).U32(12, 7).U32(16, 0x15);
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
        img.U8(0, 5).U8(1, 3).U32(4, 0x11223344);
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
        out.push_back({"event tackle", t.Write(),
                       Image(40).U8(0, 6).U8(1, 4).U32(4, 0x11223344).U8(16, 5).U32(20, 0x00070003).Bytes()});
    }
    {
        tovNet::ChatTextMsg m;
        m.header = MakeHeader(tovNet::kChatText, 0);
        m.SetText("Nice bass!");
        out.push_back({"chat", m.Write(), Image(264).U8(0, 7).U32(4, 0x11223344).Text(8, "Nice bass!").Bytes()});
    }
    {
        tovNet::NameChangedMsg m;
        m.header = MakeHeader(tovNet::kNameChanged, 1);
        out.push_back({"name", m.Write(), Image(8).U8(0, 8).U8(1, 1).U32(4, 0x11223344).Bytes()});
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
    params.count = 5;
    params.ids = {1, 2, 0, 0, 0};
    tovNet::GameParamsMsg back;
    const auto bytes = params.Write();
    ASSERT_TRUE(back.Read(bytes.data(), bytes.size()));
    EXPECT_EQ(back.params.lakeId, 3);
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
