#pragma once
// A player's state as the session keeps it per slot: the player-state record and the phase.
// Its 152-byte image is what the player-state message carries; the first four bytes carry
// nothing.

#include "tovPlayerState.h"

#include <cstddef>
#include <cstdint>

class tovDirectPlayState : public tovPlayerState
{
public:
    static constexpr size_t kImageSize = 152;

    tovDirectPlayState() = default;

    // The change mask as it stands; senders set it first.
    void Write(uint8_t* out) const;
    // False, leaving the record unchanged, for a value no sender makes: a phase or paint
    // scheme out of range, a value that is not finite, trolling settings out of range.
    bool Read(const uint8_t* in);

    uint16_t m_phase = 0;
};
