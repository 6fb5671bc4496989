// Writes the sample data tree: qrgen --out DIR
#include "gen/SampleData.h"
#include "qrxFrameworkClasses.h"

#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv)
{
    std::string out;
    for (int i = 1; i < argc; ++i)
    {
        if (std::strcmp(argv[i], "--out") == 0 && i + 1 < argc)
            out = argv[++i];
    }
    if (out.empty())
    {
        std::fprintf(stderr, "usage: qrgen --out DIR\n");
        return 2;
    }
    RegisterFrameworkClasses();
    gen::Context context(out);
    const bool ok = gen::GenerateSampleData(context);
    for (const std::string& e : context.Errors())
        std::fprintf(stderr, "qrgen: %s\n", e.c_str());
    std::printf("qrgen: %zu files under %s\n", context.Written().size(), out.c_str());
    return ok ? 0 : 1;
}
