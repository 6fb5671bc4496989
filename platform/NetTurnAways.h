#pragma once
// The addresses a host let go for a flood, each turned away for a while: 5 s after its first
// let-go, twice as long after each further one from that address, so that a flooder from a
// new address starts short. An address keeps its count after its turn-away ends; the table
// holds at most kMaxAddresses, the one let go longest ago giving way.

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

    // nowMs: a wrapping millisecond tick.
    void LetGo(uint32_t address, uint32_t nowMs)
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

    bool Holds(uint32_t address, uint32_t nowMs) const
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
    std::map<uint32_t, Entry> m_entries;
};

} // namespace plat
