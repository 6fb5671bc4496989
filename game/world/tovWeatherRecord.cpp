#include "tovWeatherRecord.h"

#include "ByteReader.h"
#include "ByteWriter.h"

#include <cmath>

namespace
{

// Where each part of the record starts; the writer and the reader walk them in this order.
constexpr size_t kEventOffset = 8;
constexpr size_t kFrontOffset = 24;
constexpr size_t kMajorFlagOffset = 36;
constexpr size_t kMajorOffset = 40;
constexpr size_t kMinorFlagOffset = 64;
constexpr size_t kMinorOffset = 72;
constexpr size_t kBiasOffset = 96;
constexpr size_t kAirOffset = 144;
constexpr size_t kTemperatureSize = 8 * 4;
constexpr size_t kFractionSize = 4 * 4;
constexpr size_t kOvercastSize = 5 * 4;
constexpr size_t kWaterOffset = kAirOffset + kTemperatureSize + 4 * kFractionSize + kOvercastSize + kFractionSize;

static_assert(kEventOffset + 2 * 8 == kFrontOffset);
static_assert(kFrontOffset + 3 * 4 == kMajorFlagOffset);
static_assert(kMajorOffset + 3 * 8 == kMinorFlagOffset);
static_assert(kMinorOffset + 3 * 8 == kBiasOffset);
static_assert(kBiasOffset + tovWeatherRecord::kBiasCount * 4 == kAirOffset);
static_assert(kWaterOffset == 276);
static_assert(kWaterOffset + kTemperatureSize + 4 * kFractionSize == tovWeatherRecord::kSize);
static_assert(tovWeatherRecord::kNetworkSize == tovWeatherRecord::kSize + 4);

// One field list for both directions: the reader and the writer are the same walk.
template <class Io> void Fraction(Io& io, auto& p)
{
    io(p.value), io(p.start), io(p.target), io(p.preset);
}

template <class Io> void Temperature(Io& io, auto& t)
{
    io(t.value), io(t.low), io(t.high), io(t.targetLow), io(t.targetHigh), io(t.startLow), io(t.startHigh),
        io(t.preset);
}

template <class Io, class Record> void Walk(Io& io, Record& r)
{
    io(r.generatorState);
    io.Gap(kEventOffset);
    io(r.eventDuration), io(r.eventTimeLeft);
    io(r.frontAir), io(r.frontWater), io(r.frontKind);
    io(r.majorActive);
    io.Gap(kMajorOffset);
    io(r.beforeMajor), io(r.majorDuration), io(r.majorTimeLeft);
    io(r.minorActive);
    io.Gap(kMinorOffset);
    io(r.beforeMinor), io(r.minorDuration), io(r.minorTimeLeft);
    for (auto& bias : r.biases)
        io(bias);
    Temperature(io, r.air);
    Fraction(io, r.cloud);
    Fraction(io, r.fog);
    Fraction(io, r.light);
    Fraction(io, r.rain);
    io(r.overcast.value), io(r.overcast.depth), io(r.overcast.start), io(r.overcast.target), io(r.overcast.preset);
    Fraction(io, r.clarity);
    Temperature(io, r.water);
    io(r.wave.value), io(r.wave.further1), io(r.wave.further2), io(r.wave.preset);
    Fraction(io, r.behavior);
    Fraction(io, r.direction);
    Fraction(io, r.wind);
}

struct Writer
{
    plat::ByteWriter& out;
    size_t start;

    void operator()(uint32_t v) { out.U32(v); }
    void operator()(int32_t v) { out.I32(v); }
    void operator()(uint8_t v) { out.U8(v); }
    void operator()(float v) { out.F32(v); }
    void operator()(double v) { out.F64(v); }
    void Gap(size_t to)
    {
        while (out.Size() - start < to)
            out.U8(0);
    }
};

struct Reader
{
    plat::ByteReader& in;
    size_t start;

    void operator()(uint32_t& v) { v = in.U32(); }
    void operator()(int32_t& v) { v = in.I32(); }
    void operator()(uint8_t& v) { v = in.U8(); }
    void operator()(float& v) { v = in.F32(); }
    void operator()(double& v) { v = in.F64(); }
    void Gap(size_t to) { in.Skip(start + to - in.Offset()); }
};

bool IsFinite(double x)
{
    return std::isfinite(x);
}

bool IsFractionField(float x)
{
    return x == tovWeatherRecord::kUnset || (x >= 0.0f && x <= 1.0f);
}

bool IsFractionValid(const tovWeatherRecord::Fraction& p)
{
    return IsFractionField(p.value) && IsFractionField(p.start) && IsFractionField(p.target) &&
           IsFractionField(p.preset);
}

bool IsDegrees(float x)
{
    return x == tovWeatherRecord::kUnset ||
           (x >= tovWeatherRecord::kLowestDegrees && x <= tovWeatherRecord::kHighestDegrees);
}

bool IsTemperatureValid(const tovWeatherRecord::Temperature& t)
{
    return IsDegrees(t.value) && IsDegrees(t.low) && IsDegrees(t.high) && IsDegrees(t.targetLow) &&
           IsDegrees(t.targetHigh) && IsDegrees(t.startLow) && IsDegrees(t.startHigh) && IsDegrees(t.preset);
}

} // namespace

void tovWeatherRecord::Write(plat::ByteWriter& out) const
{
    Writer writer{out, out.Size()};
    Walk(writer, *this);
}

bool tovWeatherRecord::Read(plat::ByteReader& in)
{
    if (!in.CanRead(kSize, 1))
        return false;
    tovWeatherRecord record;
    Reader reader{in, in.Offset()};
    Walk(reader, record);
    if (in.Failed() || !record.IsValid())
        return false;
    *this = record;
    return true;
}

void tovWeatherRecord::WriteNetwork(plat::ByteWriter& out) const
{
    Write(out);
    out.U32(0);
}

bool tovWeatherRecord::ReadNetwork(plat::ByteReader& in)
{
    if (!in.CanRead(kNetworkSize, 1) || !Read(in))
        return false;
    return in.Skip(kNetworkSize - kSize);
}

bool tovWeatherRecord::IsValid() const
{
    if (generatorState == 0 || generatorState > 2147483646u)
        return false;
    if (frontKind < 0 || frontKind > 2 || majorActive > 1 || minorActive > 1)
        return false;
    for (double t : {eventDuration, eventTimeLeft, beforeMajor, majorDuration, majorTimeLeft, beforeMinor,
                     minorDuration, minorTimeLeft})
        if (!IsFinite(t))
            return false;
    for (float b : biases)
        if (!(b >= 0.0f && b <= 1.0f))
            return false;
    if (!IsDegrees(frontAir) || !IsDegrees(frontWater))
        return false;
    if (!IsTemperatureValid(air) || !IsTemperatureValid(water))
        return false;
    for (const Fraction* p : {&cloud, &fog, &light, &rain, &clarity, &behavior, &direction, &wind})
        if (!IsFractionValid(*p))
            return false;
    const Fraction waveFields{wave.value, wave.further1, wave.further2, wave.preset};
    const Fraction overcastFields{overcast.value, overcast.start, overcast.target, overcast.preset};
    if (!IsFractionValid(waveFields) || !IsFractionValid(overcastFields))
        return false;
    return overcast.depth == kUnset || (overcast.depth >= -2.0f && overcast.depth <= 1.0f);
}
