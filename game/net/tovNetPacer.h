#pragma once
// The messages a copy sends by itself once a frame at most (header, state, ping) go each at most
// kPerSecond times a second of real time, however fast the copy draws frames: a headless copy
// runs its own clock many times faster than real time, and the host counts every player's share
// in real time. Pacing never holds up the sender: a message before its turn is held and goes at
// its turn (TakeDue, from the receive thread and the frame's drain), unless a newer one of its
// kind that says all it did replaces it. A header carries the player's phase: only one of the
// same phase replaces it, and none is dropped. Not locked: the session serialises its calls.

#include "NetSession.h"

#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

class tovNetPacer
{
public:
    static constexpr uint64_t kPerSecond = 60;
    // Nanoseconds of the session's pacing clock, rounded up: never faster than kPerSecond.
    static constexpr uint64_t kGapNs = (1000000000 + kPerSecond - 1) / kPerSecond;
    // Held messages of one kind at most. A sender that outruns its pace with messages none of
    // which replaces the last (headers of changing phases) sends its oldest at once beyond this:
    // late pacing beats memory without bound, and a header may not be dropped.
    static constexpr size_t kMostHeld = 16;

    struct Message
    {
        plat::NetPlayerId to = plat::kNetAllPlayers;
        std::vector<uint8_t> bytes;
    };

    // A message offered at `now`: appends to `out`, in sending order, the held messages whose turn
    // has come and then this one, unless it is held for its turn. A guaranteed message that is
    // not paced takes every held guaranteed one out first, early: guaranteed messages arrive in
    // the order they were sent.
    void Offer(Message message, uint64_t now, std::vector<Message>& out);
    // The held messages whose turn has come by `now`.
    void TakeDue(uint64_t now, std::vector<Message>& out);
    // Everything held, at once (the session closes), and the pace forgotten.
    void TakeAll(std::vector<Message>& out);
    size_t HeldCount() const;
    // When the first held message's turn comes; none when nothing is held.
    std::optional<uint64_t> NextTurn() const;

    // Whether `newer`, of the same paced kind, says all that `older` did.
    static bool Covers(const Message& newer, const Message& older);

private:
    struct Kind
    {
        std::optional<uint64_t> last;
        std::deque<Message> held;
        bool Due(uint64_t now) const { return !last || (now >= *last && now - *last >= kGapNs); }
    };
    static int32_t PacedIndex(uint8_t type);
    void Release(Kind& kind, uint64_t now, std::vector<Message>& out);

    std::array<Kind, 3> m_kinds;
};
