#pragma once
// The addresses and ports a host let go for a flood, each turned away for a while: 5 s after its
// first let-go, twice as long after each further one from there, so that a flooder from a new
// place starts short. By port too: copies on one machine, or behind one router, share an address.
// A place keeps its count after its turn-away ends; the table holds at most kMaxAddresses, the one
// let go longest ago giving way.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>

namespace plat
{

class NetTurnAways
{
public:
    static constexpr uint32_t kFirstMs = 5000;
    static constexpr uint32_t kMaxDoublings = 16;
    static constexpr size_t kMaxAddresses = 64;

    static uint64_t Key(uint32_t address, uint16_t port) { return uint64_t(address) << 16 | port; }

    // nowMs: a wrapping millisecond tick.
    void LetGo(uint64_t address, uint32_t nowMs)
    {
        auto found = m_entries.find(address);
        if (found == m_entries.end())
        {
            if (m_entries.size() >= kMaxAddresses)
                m_entries.erase(std::max_element(m_entries.begin(), m_entries.end(),
                                                 [nowMs](const auto& a, const auto& b)
                                                 { return nowMs - a.second.sinceMs < nowMs - b.second.sinceMs; }));
            found = m_entries.emplace(address, Entry{}).first;
        }
        Entry& entry = found->second;
        entry.sinceMs = nowMs;
        entry.forMs = kFirstMs << std::min(entry.letGo, kMaxDoublings);
        ++entry.letGo;
    }

    // A turn-away another copy told of, with the time it has left: kept as the longer of it and
    // any this table holds for the place. letGo: how many let-goes it counts (bounded).
    void Hear(uint64_t address, uint32_t leftMs, uint32_t letGo, uint32_t nowMs)
    {
        leftMs = std::min(leftMs, kFirstMs << kMaxDoublings);
        if (m_entries.count(address) == 0)
        {
            LetGo(address, nowMs);
            m_entries[address].forMs = 0;
        }
        Entry& entry = m_entries[address];
        entry.letGo = std::max(entry.letGo, std::min(letGo, kMaxDoublings + 1));
        if (!Holds(address, nowMs) || entry.forMs - (nowMs - entry.sinceMs) < leftMs)
        {
            entry.sinceMs = nowMs;
            entry.forMs = leftMs;
        }
    }

    // What a turn-away has left (0: none), and its count.
    uint32_t LeftMs(uint64_t address, uint32_t nowMs) const
    {
        const auto found = m_entries.find(address);
        return Holds(address, nowMs) ? found->second.forMs - (nowMs - found->second.sinceMs) : 0;
    }
    uint32_t LetGoCount(uint64_t address) const
    {
        const auto found = m_entries.find(address);
        return found == m_entries.end() ? 0 : found->second.letGo;
    }

    // Each place turned away now: f(place, leftMs, letGo).
    template <class F> void ForEachHeld(uint32_t nowMs, F f) const
    {
        for (const auto& [address, entry] : m_entries)
            if (Holds(address, nowMs))
                f(address, entry.forMs - (nowMs - entry.sinceMs), entry.letGo);
    }

    bool Holds(uint64_t address, uint32_t nowMs) const
    {
        const auto found = m_entries.find(address);
        return found != m_entries.end() && nowMs - found->second.sinceMs < found->second.forMs;
    }

    size_t Size() const { return m_entries.size(); }
    void Clear() { m_entries.clear(); }

private:
    struct Entry
    {
        uint32_t sinceMs = 0;
        uint32_t forMs = 0;
        uint32_t letGo = 0;
    };
    std::map<uint64_t, Entry> m_entries;
};

} // namespace plat
