#include "tovWeatherRecord.h"

#include "WeatherTestClock.h"

#include "ByteReader.h"
#include "ByteWriter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <vector>

namespace
{

class tovWeatherRecordTest : public WeatherTestClock
{
protected:
    // A weather in the middle of a day, with events and fronts drawn.
    tovWeatherRecord MidDay()
    {
        QrPointer<tovWeather> w = Seeded(12345);
        for (int i = 0; i < 10 * 75; ++i)
            Step(w);
        tovWeatherRecord r;
        w->GetState(r);
        return r;
    }

    static std::vector<uint8_t> Bytes(const tovWeatherRecord& r)
    {
        plat::ByteWriter out;
        r.Write(out);
        return out.Take();
    }
};

template <class T> T At(const std::vector<uint8_t>& bytes, size_t offset)
{
    T v;
    std::memcpy(&v, bytes.data() + offset, sizeof v);
    return v;
}

template <class T> void Put(std::vector<uint8_t>& bytes, size_t offset, T v)
{
    std::memcpy(bytes.data() + offset, &v, sizeof v);
}

TEST_F(tovWeatherRecordTest, RoundTripsByteForByteWithEveryFieldAtItsOffset)
{
    const tovWeatherRecord r = MidDay();
    std::vector<uint8_t> bytes = Bytes(r);
    ASSERT_EQ(bytes.size(), tovWeatherRecord::kSize);

    EXPECT_EQ(At<uint32_t>(bytes, 0), r.generatorState);
    EXPECT_EQ(At<double>(bytes, 16), r.eventTimeLeft);
    EXPECT_EQ(At<int32_t>(bytes, 32), r.frontKind);
    EXPECT_EQ(bytes[36], r.majorActive);
    EXPECT_EQ(At<double>(bytes, 40), r.beforeMajor);
    EXPECT_EQ(bytes[64], r.minorActive);
    EXPECT_EQ(At<double>(bytes, 88), r.minorTimeLeft);
    EXPECT_EQ(At<float>(bytes, 96 + 11 * 4), r.biases[tovWeatherRecord::kWindAmount]);
    EXPECT_EQ(At<float>(bytes, 144), r.air.value);
    EXPECT_EQ(At<float>(bytes, 176), r.cloud.value);
    EXPECT_EQ(At<float>(bytes, 244), r.overcast.depth);
    EXPECT_EQ(At<float>(bytes, 260), r.clarity.value);
    EXPECT_EQ(At<float>(bytes, 276), r.water.value);
    EXPECT_EQ(At<float>(bytes, 308), r.wave.value);
    EXPECT_EQ(At<float>(bytes, 340), r.direction.value);
    EXPECT_EQ(At<float>(bytes, 368), r.wind.preset);
    for (size_t gap : {4, 5, 6, 7, 37, 38, 39, 65, 66, 67, 68, 69, 70, 71})
        EXPECT_EQ(bytes[gap], 0) << gap;

    // What another writer left in the gaps is no part of the record.
    for (size_t gap : {4, 37, 65, 71})
        bytes[gap] = 0xAA;
    tovWeatherRecord back;
    plat::ByteReader in(bytes.data(), bytes.size());
    ASSERT_TRUE(back.Read(in));
    EXPECT_EQ(in.Offset(), tovWeatherRecord::kSize);
    EXPECT_TRUE(back == r);
    EXPECT_EQ(Bytes(back), Bytes(r));

    plat::ByteWriter net;
    r.WriteNetwork(net);
    ASSERT_EQ(net.Size(), tovWeatherRecord::kNetworkSize);
    EXPECT_EQ(At<uint32_t>(net.Buffer(), tovWeatherRecord::kSize), 0u);
    tovWeatherRecord fromNet;
    plat::ByteReader netIn(net.Buffer().data(), net.Size());
    ASSERT_TRUE(fromNet.ReadNetwork(netIn));
    EXPECT_EQ(netIn.Offset(), tovWeatherRecord::kNetworkSize);
    EXPECT_TRUE(fromNet == r);
}

TEST_F(tovWeatherRecordTest, EveryPrefixIsRefused)
{
    const tovWeatherRecord r = MidDay();
    plat::ByteWriter net;
    r.WriteNetwork(net);
    const std::vector<uint8_t> bytes = net.Take();
    for (size_t n = 0; n < tovWeatherRecord::kNetworkSize; ++n)
    {
        // Exactly sized copies, so the sanitizer sees any read past the end.
        const std::vector<uint8_t> prefix(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
        tovWeatherRecord out;
        plat::ByteReader in(prefix.data(), prefix.size());
        EXPECT_FALSE(out.ReadNetwork(in)) << n;
        if (n < tovWeatherRecord::kSize)
        {
            plat::ByteReader plain(prefix.data(), prefix.size());
            EXPECT_FALSE(out.Read(plain)) << n;
        }
        EXPECT_TRUE(out == tovWeatherRecord{}) << n;
    }
}

TEST_F(tovWeatherRecordTest, DamagedRecordsAreRefusedAndChangeNoWeather)
{
    constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
    constexpr float kInf = std::numeric_limits<float>::infinity();
    using R = tovWeatherRecord;
    const struct
    {
        const char* what;
        void (*damage)(R&);
    } cases[] = {
        {"generator state 0", [](R& r) { r.generatorState = 0; }},
        {"generator state at the modulus", [](R& r) { r.generatorState = 0x7FFFFFFFu; }},
        {"generator state negative", [](R& r) { r.generatorState = 0x80000000u; }},
        {"front kind 3", [](R& r) { r.frontKind = 3; }},
        {"front kind -1", [](R& r) { r.frontKind = -1; }},
        {"major flag 2", [](R& r) { r.majorActive = 2; }},
        {"minor flag 255", [](R& r) { r.minorActive = 255; }},
        {"event duration NaN", [](R& r) { r.eventDuration = kNaN; }},
        {"time before major infinite", [](R& r) { r.beforeMajor = kInf; }},
        {"bias 2", [](R& r) { r.biases[R::kCloudThreshold] = 2.0f; }},
        {"front air NaN", [](R& r) { r.frontAir = kNaN; }},
        {"air 5000 degrees", [](R& r) { r.air.value = 5000.0f; }},
        {"water band infinite", [](R& r) { r.water.high = kInf; }},
        {"cloud 1.5", [](R& r) { r.cloud.value = 1.5f; }},
        {"rain target -0.5", [](R& r) { r.rain.target = -0.5f; }},
        {"overcast depth -3", [](R& r) { r.overcast.depth = -3.0f; }},
        {"wave NaN", [](R& r) { r.wave.value = kNaN; }},
        {"direction start infinite", [](R& r) { r.direction.start = kInf; }},
        {"wind preset 7", [](R& r) { r.wind.preset = 7.0f; }},
    };
    const R good = MidDay();
    QrPointer<tovWeather> w = Seeded(4);
    Step(w);
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        R damaged = good;
        c.damage(damaged);
        const std::vector<uint8_t> bytes = Bytes(damaged);
        R out;
        plat::ByteReader in(bytes.data(), bytes.size());
        EXPECT_FALSE(out.Read(in));
        EXPECT_TRUE(out == R{});

        const R held = w->GetRecord();
        EXPECT_FALSE(w->SetState(damaged));
        EXPECT_TRUE(w->GetRecord() == held);
        Step(w);
        EXPECT_TRUE(w->GetRecord().IsValid());
    }
}

TEST_F(tovWeatherRecordTest, OddButValidRecordsLeaveAWeatherThatStaysInRange)
{
    using R = tovWeatherRecord;
    const struct
    {
        const char* what;
        void (*odd)(R&);
    } cases[] = {
        {"an event of no length",
         [](R& r)
         {
             r.majorActive = 1;
             r.eventDuration = r.majorDuration = 0.0;
             r.cloud.start = 0.0f, r.cloud.target = 1.0f;
         }},
        {"an event long overdue",
         [](R& r)
         {
             r.minorActive = 1;
             r.eventTimeLeft = r.minorTimeLeft = -1e9;
             r.eventDuration = 10.0;
             r.wind.start = 1.0f, r.wind.target = 0.0f;
         }},
        {"a target without a start",
         [](R& r)
         {
             r.majorActive = 1;
             r.eventDuration = r.eventTimeLeft = r.majorTimeLeft = 5000.0;
             r.fog.start = R::kUnset, r.fog.target = 1.0f;
             r.air.targetLow = 70.0f, r.air.startLow = R::kUnset;
         }},
        {"nothing set at all",
         [](R& r)
         {
             r = R{};
             r.majorActive = r.minorActive = 1;
             r.beforeMajor = r.beforeMinor = -5.0;
         }},
        {"a full turn of direction", [](R& r) { r.direction.value = 1.0f; }},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        R odd = MidDay();
        c.odd(odd);
        QrPointer<tovWeather> w = Seeded(8);
        Step(w);
        ASSERT_TRUE(w->SetState(odd));
        for (int i = 0; i < 6 * 75; ++i)
        {
            Step(w);
            ASSERT_TRUE(w->GetRecord().IsValid()) << "step " << i;
            EXPECT_LE(w->GetCloudLevel(), 6);
            EXPECT_LE(w->GetRainLevel(), 4);
            EXPECT_LE(w->GetClarityLevel(), 4);
            EXPECT_LE(w->GetDirectionIndex(), 7);
        }
    }
}

} // namespace
