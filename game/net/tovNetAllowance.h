#pragma once
// One player's share of the link for one kind of message: at most so many in any second. What
// goes over is dropped. A run of drops less than a second apart is told once, at its first drop;
// a flood (drops less than kCalmMs apart) keeps its length, so that a player past its share on end
// can be let go.

#include <cstdint>
#include <vector>

class tovNetAllowance
{
public:
    static constexpr uint32_t kMaxPerSecond = 1024;
    static constexpr uint32_t kWindowMs = 1000;
    // A flood ends only after this long without a drop: a flood sent guaranteed comes in bursts
    // as the link takes it, and a headless copy's clock runs many times faster than real time, so
    // a second between two bursts would end the flood each time and it would never last.
    static constexpr uint32_t kCalmMs = 5000;

    enum class Verdict
    {
        kPass,
        kDrop,
        // The first drop after a second without one.
        kDropFirst,
    };

    // nowMs: a wrapping millisecond tick; perSecond up to kMaxPerSecond, 0: every one is dropped.
    // One share keeps one perSecond.
    Verdict Take(uint32_t nowMs, uint32_t perSecond)
    {
        perSecond = perSecond > kMaxPerSecond ? kMaxPerSecond : perSecond;
        if (m_passed.size() != perSecond)
        {
            m_passed.assign(perSecond, 0);
            m_next = m_count = 0;
        }
        // The perSecond-th latest pass must be a second old.
        if (perSecond == 0 || (m_count >= perSecond && nowMs - m_passed[m_next] < kWindowMs))
        {
            const bool first = !m_flooding || nowMs - m_lastDropMs >= kWindowMs;
            if (!m_flooding || nowMs - m_lastDropMs >= kCalmMs)
                m_floodStartMs = nowMs;
            m_flooding = true;
            m_lastDropMs = nowMs;
            return first ? Verdict::kDropFirst : Verdict::kDrop;
        }
        if (m_flooding && nowMs - m_lastDropMs >= kCalmMs)
            m_flooding = false;
        m_passed[m_next] = nowMs;
        m_next = (m_next + 1) % perSecond;
        m_count = m_count < perSecond ? m_count + 1 : perSecond;
        return Verdict::kPass;
    }

    // How long the current flood has lasted at nowMs: from its first drop; 0 without one.
    uint32_t FloodMs(uint32_t nowMs) const { return m_flooding ? nowMs - m_floodStartMs : 0; }

private:
    // The latest passes, oldest first from m_next (the place of the next).
    std::vector<uint32_t> m_passed;
    uint32_t m_next = 0;
    uint32_t m_count = 0;
    uint32_t m_lastDropMs = 0;
    uint32_t m_floodStartMs = 0;
    bool m_flooding = false;
};
