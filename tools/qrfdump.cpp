// Prints what a scene file holds, as the engine's loader sees it.
//   qrfdump FILE                 version, every loaded object in file order, the node trees
//   qrfdump --roundtrip IN OUT   load IN and save it again as OUT
//   qrfdump --frame FILE         draw one frame through a recording renderer and print its calls
// On a failed load: the error code and message, the context on a second line, and the
// error code as exit status.
#include "SceneDump.h"
#include "qrxFrameworkClasses.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    RegisterFrameworkClasses();
    if (argc == 2 && argv[1][0] != '-')
        return qrfdump::DumpSceneFile(argv[1], stdout);
    if (argc == 3 && std::strcmp(argv[1], "--frame") == 0)
        return qrfdump::RenderSceneFrame(argv[2], stdout);
    if (argc == 4 && std::strcmp(argv[1], "--roundtrip") == 0)
        return qrfdump::RoundTripSceneFile(argv[2], argv[3], stdout);
    std::fprintf(stderr, "usage: qrfdump FILE\n       qrfdump --roundtrip IN OUT\n       qrfdump --frame FILE\n");
    return 64;
}
