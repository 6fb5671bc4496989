#pragma once
// The messages a copy sends by itself once a frame at most (header, state, ping) go each at most
// kPerSecond times a second of real time, however fast the copy draws frames: a headless copy
// runs its own clock many times faster than real time, and the host counts every player's share
// in real time. A message too early waits for its turn rather than being dropped, since a header
// carries the player's phase. Callable from any thread.

#include "tovNetMessages.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>

class tovNetPacer
{
public:
    using Clock = std::chrono::steady_clock;
    static constexpr int64_t kPerSecond = 60;
    static constexpr Clock::duration kGap = std::chrono::duration_cast<Clock::duration>(
        std::chrono::nanoseconds((1000000000 + kPerSecond - 1) / kPerSecond));

    // How long a message of the type sent at `now` waits for its turn (zero for the types not
    // paced); it counts as sent at the end of that wait.
    Clock::duration Take(uint8_t type, Clock::time_point now)
    {
        const int32_t paced = PacedIndex(type);
        if (paced < 0)
            return Clock::duration::zero();
        std::lock_guard lock(m_mutex);
        std::optional<Clock::time_point>& last = m_last[static_cast<size_t>(paced)];
        const Clock::time_point at = last && *last + kGap > now ? *last + kGap : now;
        last = at;
        return at - now;
    }

private:
    static int32_t PacedIndex(uint8_t type)
    {
        switch (type)
        {
        case tovNet::kPlayerHeader:
            return 0;
        case tovNet::kPlayerState:
            return 1;
        case tovNet::kPing:
            return 2;
        default:
            return -1;
        }
    }

    std::mutex m_mutex;
    std::array<std::optional<Clock::time_point>, 3> m_last;
};
