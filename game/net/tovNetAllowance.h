#pragma once
// One player's share of the link for one kind of message: at most so many in any second. What
// goes over is dropped; a flood (drops less than a second apart) is told once, at its first drop,
// and its length is kept, so that a player past its share on end can be let go.

#include <array>
#include <cstdint>

class tovNetAllowance
{
public:
    static constexpr uint32_t kMaxPerSecond = 4;
    static constexpr uint32_t kWindowMs = 1000;

    enum class Verdict
    {
        kPass,
        kDrop,
        // The first drop of a flood.
        kDropFirst,
    };

    // nowMs: a wrapping millisecond tick; perSecond from 1 to kMaxPerSecond.
    Verdict Take(uint32_t nowMs, uint32_t perSecond)
    {
        perSecond = perSecond < 1 ? 1 : (perSecond > kMaxPerSecond ? kMaxPerSecond : perSecond);
        // The perSecond-th latest pass must be a second old.
        const uint32_t oldest = m_passed[(m_next + kMaxPerSecond - perSecond) % kMaxPerSecond];
        if (m_count >= perSecond && nowMs - oldest < kWindowMs)
        {
            const bool first = !m_flooding || nowMs - m_lastDropMs >= kWindowMs;
            if (first)
                m_floodStartMs = nowMs;
            m_flooding = true;
            m_lastDropMs = nowMs;
            return first ? Verdict::kDropFirst : Verdict::kDrop;
        }
        if (m_flooding && nowMs - m_lastDropMs >= kWindowMs)
            m_flooding = false;
        m_passed[m_next] = nowMs;
        m_next = (m_next + 1) % kMaxPerSecond;
        m_count = m_count < kMaxPerSecond ? m_count + 1 : kMaxPerSecond;
        return Verdict::kPass;
    }

    // How long the current flood has lasted at nowMs: from its first drop; 0 without one.
    uint32_t FloodMs(uint32_t nowMs) const { return m_flooding ? nowMs - m_floodStartMs : 0; }

private:
    // The latest passes, m_next the place of the next.
    std::array<uint32_t, kMaxPerSecond> m_passed{};
    uint32_t m_next = 0;
    uint32_t m_count = 0;
    uint32_t m_lastDropMs = 0;
    uint32_t m_floodStartMs = 0;
    bool m_flooding = false;
};
