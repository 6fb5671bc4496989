#include "tovAnglerState.h"

#include "tovByteOrder.h"

void tovAnglerState::Reset()
{
    block = {};
    readyInWaitCast = 0;
    fastReelInWaitCast = 0;
}

void tovAnglerState::CopyAnglerPart(const tovAnglerState& other)
{
    block = other.block;
    castTarget = other.castTarget;
    readyInWaitCast = other.readyInWaitCast;
    fastReelInWaitCast = other.fastReelInWaitCast;
}

void tovAnglerState::SetCastTarget(const QrPoint3& point)
{
    castTarget = {point.x, point.y, point.z};
}

void tovAnglerState::Write(uint8_t* out) const
{
    for (size_t i = 0; i < block.size(); ++i)
        PutLittleWord(out + 4 * i, static_cast<uint32_t>(block[i]));
    for (size_t i = 0; i < castTarget.size(); ++i)
        PutLittleFloat(out + 20 + 4 * i, castTarget[i]);
    out[32] = readyInWaitCast;
    out[33] = fastReelInWaitCast;
    out[34] = 0;
    out[35] = 0;
    PutLittleWord(out + 36, static_cast<uint32_t>(anglerValue));
}

void tovAnglerState::Read(const uint8_t* in)
{
    for (size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<int32_t>(TakeLittleWord(in + 4 * i));
    for (size_t i = 0; i < castTarget.size(); ++i)
        castTarget[i] = TakeLittleFloat(in + 20 + 4 * i);
    readyInWaitCast = in[32];
    fastReelInWaitCast = in[33];
    padding[0] = padding[1] = 0;
    anglerValue = static_cast<int32_t>(TakeLittleWord(in + 36));
}
