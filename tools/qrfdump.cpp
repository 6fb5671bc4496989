// Prints what a scene file holds, as the engine's loader sees it.
#include "SceneDump.h"
#include "ToolExit.h"
#include "qrxFrameworkClasses.h"

#include <cstdio>
#include <cstring>

namespace
{

const char kUsage[] = "usage: qrfdump FILE                 version, every loaded object in file order, the node trees\n"
                      "       qrfdump --roundtrip IN OUT   load IN and save it again as OUT\n"
                      "       qrfdump --frame FILE         draw one frame through a recording renderer and print "
                      "its calls\n"
                      "  A file that does not load prints the error code, message and context and exits with 1.\n";

} // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (tools::IsHelp(argv[i]))
        {
            std::fputs(kUsage, stdout);
            return tools::kExitOk;
        }
    RegisterFrameworkClasses();
    if (argc == 2 && argv[1][0] != '-')
        return qrfdump::DumpSceneFile(argv[1], stdout, stderr);
    if (argc == 3 && std::strcmp(argv[1], "--frame") == 0)
        return qrfdump::RenderSceneFrame(argv[2], stdout, stderr);
    if (argc == 4 && std::strcmp(argv[1], "--roundtrip") == 0)
        return qrfdump::RoundTripSceneFile(argv[2], argv[3], stderr);
    std::fputs(kUsage, stderr);
    return tools::kExitUsage;
}
