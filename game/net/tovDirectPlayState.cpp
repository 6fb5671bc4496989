#include "tovDirectPlayState.h"

#include "tovBoat.h"
#include "tovByteOrder.h"

#include <cmath>

namespace
{

constexpr size_t kBoatFloats = 8;

void PutHalf(uint8_t* out, uint16_t value)
{
    out[0] = static_cast<uint8_t>(value);
    out[1] = static_cast<uint8_t>(value >> 8);
}

uint16_t TakeHalf(const uint8_t* in)
{
    return static_cast<uint16_t>(in[0] | in[1] << 8);
}

bool AllFinite(const uint8_t* in, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        if (!std::isfinite(TakeLittleFloat(in + 4 * i)))
            return false;
    return true;
}

} // namespace

void tovDirectPlayState::Write(uint8_t* out) const
{
    PutLittleWord(out, 0);
    PutLittleWord(out + 4, static_cast<uint32_t>(m_paintScheme));
    PutHalf(out + 8, static_cast<uint16_t>(m_trollingLevel));
    PutHalf(out + 10, static_cast<uint16_t>(m_lastTrollingCommand));
    const float motion[kBoatFloats] = {m_speed, m_targetSpeed, m_turnRate, m_targetTurnRate,
                                       m_pitch, m_pitchTarget, m_roll,     m_rollTarget};
    for (size_t i = 0; i < kBoatFloats; ++i)
        PutLittleFloat(out + 12 + 4 * i, motion[i]);
    PutLittleWord(out + 44, m_changeMask);
    PutLittleFloat(out + 48, m_throttle);
    PutLittleFloat(out + 52, m_steering);
    PutLittleFloat(out + 56, m_trim);
    PutLittleFloat(out + 60, m_position.x);
    PutLittleFloat(out + 64, m_position.y);
    PutLittleFloat(out + 68, m_position.z);
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col)
            PutLittleFloat(out + 72 + 4 * (3 * row + col), m_rotation.m[row][col]);
    static_cast<const tovAnglerState&>(*this).Write(out + 108);
    PutHalf(out + 148, m_phase);
    PutHalf(out + 150, 0);
}

bool tovDirectPlayState::Read(const uint8_t* in)
{
    const auto paint = static_cast<int32_t>(TakeLittleWord(in + 4));
    const auto level = static_cast<int16_t>(TakeHalf(in + 8));
    const auto command = static_cast<int16_t>(TakeHalf(in + 10));
    const uint16_t phase = TakeHalf(in + 148);
    const auto anglerPhase = static_cast<int32_t>(TakeLittleWord(in + 108 + 4 * tovAnglerState::kPhaseWord));
    if (paint < -1 || paint >= tovBoat::kPaintSchemeCount || level < -1 || level > 9 || command < 0 || command > 5 ||
        phase >= 12 || anglerPhase < 0 || anglerPhase >= tovAnglerState::kPhaseCount)
        return false;
    // Motion; controls, position and rotation (the change mask between them is no float);
    // then the cast point.
    if (!AllFinite(in + 12, kBoatFloats) || !AllFinite(in + 48, 15) || !AllFinite(in + 128, 3))
        return false;
    m_paintScheme = paint;
    m_trollingLevel = level;
    m_lastTrollingCommand = command;
    float* motion[kBoatFloats] = {&m_speed, &m_targetSpeed, &m_turnRate, &m_targetTurnRate,
                                  &m_pitch, &m_pitchTarget, &m_roll,     &m_rollTarget};
    for (size_t i = 0; i < kBoatFloats; ++i)
        *motion[i] = TakeLittleFloat(in + 12 + 4 * i);
    m_changeMask = TakeLittleWord(in + 44) & kAllMask;
    m_throttle = TakeLittleFloat(in + 48);
    m_steering = TakeLittleFloat(in + 52);
    m_trim = TakeLittleFloat(in + 56);
    m_position = {TakeLittleFloat(in + 60), TakeLittleFloat(in + 64), TakeLittleFloat(in + 68)};
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col)
            m_rotation.m[row][col] = TakeLittleFloat(in + 72 + 4 * (3 * row + col));
    static_cast<tovAnglerState&>(*this).Read(in + 108);
    m_phase = phase;
    return true;
}
