#include "tovNetRelayFilter.h"

#include "DebugOutput.h"
#include "tovNetMessages.h"

uint32_t tovNetRelayFilter::ShareOf(uint8_t type)
{
    switch (type)
    {
    case tovNet::kPing:
    case tovNet::kPlayerHeader:
    case tovNet::kPlayerState:
        return kOncePerFramePerSecond;
    case tovNet::kEvent:
        return kEventsPerSecond;
    case tovNet::kChatText:
        return kChatLinesPerSecond;
    case tovNet::kNameChanged:
        return kRenamesPerSecond;
    default:
        // Only the host publishes parameters, and its own never pass here.
        return 0;
    }
}

tovNetRelayFilter::Verdict tovNetRelayFilter::Take(tovNetAllowance& share, uint32_t perSecond, uint32_t nowMs,
                                                   const std::string& name, const char* told)
{
    const tovNetAllowance::Verdict verdict = share.Take(nowMs, perSecond);
    if (verdict == tovNetAllowance::Verdict::kPass)
        return Verdict::Pass;
    if (verdict == tovNetAllowance::Verdict::kDropFirst && told != nullptr)
        plat::DebugOutput((name + told).c_str());
    return share.FloodMs(nowMs) >= kLetGoMs ? Verdict::Disconnect : Verdict::Drop;
}

tovNetRelayFilter::Verdict tovNetRelayFilter::TakeMessage(plat::NetPlayerId from, const std::string& name,
                                                          const uint8_t* data, size_t size, uint32_t nowMs)
{
    // By the type byte and the size alone: a malformed message costs its sender a share as a good
    // one does, and one of no known type or size is never relayed.
    uint8_t type = size > 0 ? data[0] : 0;
    if (tovNet::MessageSize(type) == 0 || size != tovNet::MessageSize(type))
        type = 0;
    Shares& shares = m_shares[from];
    if (type == tovNet::kPlayerHeader)
        m_introduced.insert(from);
    switch (type)
    {
    case tovNet::kChatText:
        return Take(shares[type], kChatLinesPerSecond, nowMs, name,
                    " sends more than four chat lines a second: the rest are dropped");
    // The rename's own line tells of its flood.
    case tovNet::kNameChanged:
        return Take(shares[type], kRenamesPerSecond, nowMs, name, nullptr);
    case 0:
        return Take(shares[type], 0, nowMs, name, " sends messages of no known kind: they are dropped");
    case tovNet::kParamsFull:
    case tovNet::kParamsUpdate:
        return Take(shares[type], 0, nowMs, name, " sends parameters only the host may send: they are dropped");
    default:
        return Take(shares[type], ShareOf(type), nowMs, name,
                    " sends more of one kind of message than a copy of the game does: the rest are dropped");
    }
}

tovNetRelayFilter::Verdict tovNetRelayFilter::TakeRename(plat::NetPlayerId from, const std::string& name,
                                                         uint32_t nowMs)
{
    return Take(m_shares[from][kRenameShare], kRenamesPerSecond, nowMs, name,
                " renames itself more than once a second: the rest are dropped");
}

void tovNetRelayFilter::Forget(plat::NetPlayerId from)
{
    if (from == plat::kNetAllPlayers)
    {
        m_shares.clear();
        m_introduced.clear();
    }
    else
    {
        m_shares.erase(from);
        m_introduced.erase(from);
    }
}

bool tovNetRelayFilter::HasIntroduced(plat::NetPlayerId from) const
{
    return m_introduced.count(from) != 0;
}
