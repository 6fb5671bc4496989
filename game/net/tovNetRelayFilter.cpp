#include "tovNetRelayFilter.h"

#include "DebugOutput.h"
#include "tovNetMessages.h"

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
    // By the type byte alone: a malformed line costs its sender a share as a good one does.
    const uint8_t type = size > 0 ? data[0] : 0;
    if (type == tovNet::kChatText)
        return Take(m_shares[from].chat, kChatLinesPerSecond, nowMs, name,
                    " sends more than four chat lines a second: the rest are dropped");
    // The rename's own line tells of its flood.
    if (type == tovNet::kNameChanged)
        return Take(m_shares[from].renameNotes, kRenamesPerSecond, nowMs, name, nullptr);
    return Verdict::Pass;
}

tovNetRelayFilter::Verdict tovNetRelayFilter::TakeRename(plat::NetPlayerId from, const std::string& name,
                                                         uint32_t nowMs)
{
    return Take(m_shares[from].renames, kRenamesPerSecond, nowMs, name,
                " renames itself more than once a second: the rest are dropped");
}

void tovNetRelayFilter::Forget(plat::NetPlayerId from)
{
    if (from == plat::kNetAllPlayers)
        m_shares.clear();
    else
        m_shares.erase(from);
}
