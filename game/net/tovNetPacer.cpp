#include "tovNetPacer.h"

#include "tovNetMessages.h"

#include <algorithm>

int32_t tovNetPacer::PacedIndex(uint8_t type)
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

bool tovNetPacer::Covers(const Message& newer, const Message& older)
{
    if (newer.bytes.size() < tovNet::kHeaderSize || older.bytes.size() < tovNet::kHeaderSize)
        return false;
    // Type, sender's slot and game number: a message of another seat or game says other things.
    if (!std::equal(newer.bytes.begin(), newer.bytes.begin() + 4, older.bytes.begin()))
        return false;
    if (newer.to != plat::kNetAllPlayers && newer.to != older.to)
        return false;
    if (newer.bytes[0] != tovNet::kPlayerHeader)
        return true;
    // Results and livewell are the newer's to tell; a phase is news of its own (7 and 8 mark a
    // player's results exchanged), and so is a request for the parameters.
    tovNet::PlayerHeaderMsg n;
    tovNet::PlayerHeaderMsg o;
    return n.Read(newer.bytes.data(), newer.bytes.size()) && o.Read(older.bytes.data(), older.bytes.size()) &&
           n.phase == o.phase && n.replyWanted >= o.replyWanted;
}

void tovNetPacer::Release(Kind& kind, uint64_t now, std::vector<Message>& out)
{
    if (kind.held.empty() || !kind.Due(now))
        return;
    out.push_back(std::move(kind.held.front()));
    kind.held.pop_front();
    kind.last = now;
}

void tovNetPacer::Offer(Message message, uint64_t now, std::vector<Message>& out)
{
    const uint8_t type = message.bytes.empty() ? 0 : message.bytes[0];
    const int32_t paced = PacedIndex(type);
    if (paced < 0)
    {
        if (tovNet::IsGuaranteed(type))
            for (Kind& kind : m_kinds)
                while (!kind.held.empty() && tovNet::IsGuaranteed(kind.held.front().bytes[0]))
                {
                    out.push_back(std::move(kind.held.front()));
                    kind.held.pop_front();
                    kind.last = now;
                }
        out.push_back(std::move(message));
        return;
    }
    Kind& kind = m_kinds[static_cast<size_t>(paced)];
    Release(kind, now, out);
    if (kind.held.empty() && kind.Due(now))
    {
        out.push_back(std::move(message));
        kind.last = now;
        return;
    }
    // Only the last held one: one further back would jump ahead of those after it.
    if (!kind.held.empty() && Covers(message, kind.held.back()))
    {
        kind.held.back() = std::move(message);
        return;
    }
    if (kind.held.size() >= kMostHeld)
    {
        out.push_back(std::move(kind.held.front()));
        kind.held.pop_front();
        kind.last = now;
    }
    kind.held.push_back(std::move(message));
}

void tovNetPacer::TakeDue(uint64_t now, std::vector<Message>& out)
{
    for (Kind& kind : m_kinds)
        Release(kind, now, out);
}

void tovNetPacer::TakeAll(std::vector<Message>& out)
{
    for (Kind& kind : m_kinds)
    {
        for (Message& message : kind.held)
            out.push_back(std::move(message));
        kind.held.clear();
        kind.last.reset();
    }
}

size_t tovNetPacer::HeldCount() const
{
    size_t count = 0;
    for (const Kind& kind : m_kinds)
        count += kind.held.size();
    return count;
}

std::optional<uint64_t> tovNetPacer::NextTurn() const
{
    std::optional<uint64_t> next;
    for (const Kind& kind : m_kinds)
        if (!kind.held.empty())
        {
            // A held kind has been sent before: its last send is known.
            const uint64_t turn = kind.last ? *kind.last + kGapNs : 0;
            next = next ? std::min(*next, turn) : turn;
        }
    return next;
}
