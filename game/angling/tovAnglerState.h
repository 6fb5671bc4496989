#pragma once
// The angler part of a player-state record: what one angler is doing, as network messages and
// saved games carry it. Its 40 bytes sit at offset 108 of the 152-byte player-state image.

#include "QrPoint3.h"

#include <array>
#include <cstddef>
#include <cstdint>

struct tovAnglerState
{
    static constexpr size_t kByteSize = 40;
    // Word 3 of the block is the angler phase.
    static constexpr int32_t kPhaseWord = 3;
    static constexpr int32_t kPhaseCount = 12;

    // Words 0..2: the angler's look, gender and colour; 3: phase; 4: lure model index.
    std::array<int32_t, 5> block{};
    std::array<float, 3> castTarget{};
    uint8_t readyInWaitCast = 0;
    uint8_t fastReelInWaitCast = 0;
    uint8_t padding[2] = {};
    int32_t anglerValue = 0;

    // Zeroes the block and the two flags; the cast point and the angler value stay.
    void Reset();
    void CopyAnglerPart(const tovAnglerState& other);

    QrPoint3 GetCastTarget() const { return {castTarget[0], castTarget[1], castTarget[2]}; }
    void SetCastTarget(const QrPoint3& point);

    // Little-endian image of the 40 bytes and back.
    void Write(uint8_t* out) const;
    void Read(const uint8_t* in);
};

static_assert(sizeof(tovAnglerState) == tovAnglerState::kByteSize);
static_assert(offsetof(tovAnglerState, castTarget) == 128 - 108);
static_assert(offsetof(tovAnglerState, readyInWaitCast) == 140 - 108);
static_assert(offsetof(tovAnglerState, fastReelInWaitCast) == 141 - 108);
static_assert(offsetof(tovAnglerState, anglerValue) == 144 - 108);
