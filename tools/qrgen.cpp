// Writes the sample data tree.
#include "ToolExit.h"
#include "gen/SampleData.h"
#include "qrxFrameworkClasses.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace
{

const char kUsage[] = "usage: qrgen --out DIR\n"
                      "  Writes the sample data tree under DIR: scene files, images, resource packs, lakes,\n"
                      "  sounds, video clips and web pages.\n";

} // namespace

int main(int argc, char** argv)
{
    std::string out;
    for (int i = 1; i < argc; ++i)
    {
        if (tools::IsHelp(argv[i]))
        {
            std::fputs(kUsage, stdout);
            return tools::kExitOk;
        }
        if (std::strcmp(argv[i], "--out") == 0 && i + 1 < argc && out.empty())
        {
            out = argv[++i];
            continue;
        }
        std::fputs(kUsage, stderr);
        return tools::kExitUsage;
    }
    if (out.empty())
    {
        std::fputs(kUsage, stderr);
        return tools::kExitUsage;
    }
    RegisterFrameworkClasses();
    gen::Context context(out);
    const bool ok = gen::GenerateSampleData(context);
    for (const std::string& e : context.Errors())
        std::fprintf(stderr, "qrgen: %s\n", e.c_str());
    std::printf("qrgen: %zu files under %s\n", context.Written().size(), out.c_str());
    return ok ? tools::kExitOk : tools::kExitInputFailed;
}
