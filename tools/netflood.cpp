// netflood: a hostile player for measuring what a flood costs a session. It joins the session at
// HOST:PORT and, for SECONDS of real time, sends chat lines or renames (each with its message to
// the others) as fast as it can; when the host lets it go it joins again, as a player bent on
// flooding would. Not a test: tools/measure-flood runs it beside three copies of the game.
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
    std::fprintf(stderr, "usage: netflood HOST:PORT NAME chat|rename SECONDS\n");
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
    if (argc != 5 || (std::strcmp(argv[3], "chat") != 0 && std::strcmp(argv[3], "rename") != 0))
        return Usage();
    const std::string address = argv[1];
    const std::string name = argv[2];
    const bool chat = std::strcmp(argv[3], "chat") == 0;
    const double seconds = std::atof(argv[4]);
    tovNet::ChatTextMsg line;
    line.SetText("flood");
    const std::vector<uint8_t> lineBytes = line.Write();
    const std::vector<uint8_t> noteBytes = tovNet::NameChangedMsg().Write();

    plat::EnetSession session;
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    long long sent = 0;
    int32_t joins = 0;
    while (std::chrono::steady_clock::now() < end)
    {
        if (session.GetLocalId() == 0 || !session.HasPlayer(session.GetHostId()))
        {
            session.Close();
            if (!session.Join(address, name))
            {
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
                continue;
            }
            ++joins;
        }
        bool ok = true;
        for (int32_t i = 0; i < 100 && ok; ++i, ++sent)
        {
            if (chat)
                ok = session.Send(plat::kNetAllPlayers, lineBytes.data(), lineBytes.size(), false);
            else
                ok = session.SetPlayerName(name + std::to_string(sent % 1000)) &&
                     session.Send(plat::kNetAllPlayers, noteBytes.data(), noteBytes.size(), true);
        }
        // Let go: the session has no host any more.
        if (!ok || session.GetHostId() == session.GetLocalId())
            session.Close();
    }
    session.Close();
    std::printf("netflood: %s, %lld sent, %d joins\n", chat ? "chat" : "rename", sent, joins);
    return tools::kExitOk;
}
