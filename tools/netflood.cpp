// netflood: a hostile player for measuring what a flood costs a session. It joins the session at
// HOST:PORT and, for SECONDS of real time, sends chat lines, renames (each with its message to the
// others), player headers or player states as fast as it can, each kind as the game sends it
// (guaranteed or not); when the host lets it go it joins again, as a player bent on flooding
// would, and tries again while the host turns it away. Not a test: tools/measure-flood runs it
// beside copies of the game.
#include "EnetSession.h"
#include "ToolExit.h"
#include "tovNetMessages.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

namespace
{

int Usage()
{
    std::fprintf(stderr, "usage: netflood HOST:PORT NAME chat|rename|header|state SECONDS\n");
    return tools::kExitUsage;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && tools::IsHelp(argv[1]))
    {
        Usage();
        return tools::kExitOk;
    }
    if (argc != 5)
        return Usage();
    const std::string address = argv[1];
    const std::string name = argv[2];
    const std::string kind = argv[3];
    const double seconds = std::atof(argv[4]);
    tovNet::ChatTextMsg line;
    line.SetText("flood");
    // What each kind sends but a rename, which is the session's rename and then this.
    std::vector<uint8_t> bytes;
    if (kind == "chat")
        bytes = line.Write();
    else if (kind == "rename")
        bytes = tovNet::NameChangedMsg().Write();
    else if (kind == "header")
        bytes = tovNet::PlayerHeaderMsg().Write();
    else if (kind == "state")
        bytes = tovNet::PlayerStateMsg().Write();
    else
        return Usage();
    const bool rename = kind == "rename";
    const bool guaranteed = tovNet::IsGuaranteed(bytes[0]);

    plat::EnetSession session;
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    long long sent = 0;
    int32_t joins = 0;
    int32_t refused = 0;
    while (std::chrono::steady_clock::now() < end)
    {
        if (session.GetLocalId() == 0 || !session.HasPlayer(session.GetHostId()))
        {
            session.Close();
            if (!session.Join(address, name))
            {
                refused += session.GetJoinFailure() == plat::NetJoinFailure::TurnedAway ? 1 : 0;
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
                continue;
            }
            ++joins;
        }
        // What the others send is nobody's here.
        plat::NetMessage received;
        while (session.Receive(received, 0))
        {
        }
        bool ok = true;
        for (int32_t i = 0; i < 100 && ok; ++i, ++sent)
            ok = (!rename || session.SetPlayerName(name + std::to_string(sent % 1000))) &&
                 session.Send(plat::kNetAllPlayers, bytes.data(), bytes.size(), guaranteed);
        // Let go: the session has no host any more.
        if (!ok || session.GetHostId() == session.GetLocalId())
            session.Close();
    }
    session.Close();
    std::printf("netflood: %s, %lld sent, %d joins, %d turned away\n", kind.c_str(), sent, joins, refused);
    return tools::kExitOk;
}
