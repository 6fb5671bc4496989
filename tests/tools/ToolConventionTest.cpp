// Every command-line tool answers alike: --help prints the usage on standard output and exits
// with 0; a wrong command line prints it on standard error and exits with 2; an input that
// cannot be read, drawn or written is reported on standard error and exits with 1.

#include "TestFiles.h"
#include "ToolRun.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

struct Case
{
    const char* program;
    std::string arguments;
    int status;
    const char* err; // what standard error must hold; empty: nothing
};

TEST(ToolConventionTest, HelpUsageAndInputFailuresExitAlike)
{
    testfiles::TempDir dir;
    const std::string png = dir.File("out.png");
    const std::string data = testfiles::DataDir() + "/Data/Engine/";
    const Case cases[] = {
        {QRFDUMP_PATH, "--help", 0, ""},
        {QRFDUMP_PATH, "", 2, "usage: qrfdump"},
        {QRFDUMP_PATH, "--frame", 2, "usage: qrfdump"},
        {QRFDUMP_PATH, "nothere.qrf", 1, "nothere.qrf cannot load file"},
        {QRFDUMP_PATH, "--roundtrip nothere.qrf " + dir.File("x.qrf"), 1, "nothere.qrf cannot load file"},
        {QRIMAGE_PATH, "--help", 0, ""},
        {QRIMAGE_PATH, "onlyonefile", 2, "usage: qrimage"},
        {QRIMAGE_PATH, "a.bmp --out", 2, "usage: qrimage"},
        {QRIMAGE_PATH, "nothere.tga --out " + png, 1, "cannot read nothere.tga: the file does not exist"},
        {QRIMAGE_PATH, data + "users.qrf --out " + png, 1, "holds 3 top-level objects"},
        {QRIMAGE_PATH, data + "Images/bmp4_bottomup.bmp --out " + dir.File("no/folder/x.png"), 1, "cannot write"},
        {QRRENDER_PATH, "--help", 0, ""},
        {QRRENDER_PATH, "onlyonefile", 2, "usage: qrrender"},
        {QRRENDER_PATH, "scene.qrf --out x.png --size 640", 2, "usage: qrrender"},
        {QRRENDER_PATH, "nothere.qrf --out " + png, 1, "scene file error 1: "},
        {QRRENDER_PATH, data + "shapes.qrf --out " + dir.File("no/folder/x.png"), 1, "cannot write"},
        {QRPACK_PATH, "--help", 0, ""},
        {QRPACK_PATH, "build onlyone", 2, "usage: qrpack"},
        {QRPACK_PATH, "list " + dir.File("nothere"), 1, "cannot open the pack"},
        {QRGEN_PATH, "--help", 0, ""},
        {QRGEN_PATH, "", 2, "usage: qrgen"},
        {QRGEN_PATH, "--out " + dir.File("x") + " extra", 2, "usage: qrgen"},
        {QRGEN_PATH, "--out /dev/null/sub", 1, "qrgen: cannot write"},
    };
    for (const Case& c : cases)
    {
        const std::string name = std::string(c.program).substr(std::string(c.program).rfind('/') + 1);
        SCOPED_TRACE(name + " " + c.arguments);
        const toolrun::Result r = toolrun::Run(c.program, c.arguments);
        EXPECT_EQ(r.status, c.status) << r.err;
        if (c.status == 0)
        {
            EXPECT_EQ(r.out.rfind("usage: " + name, 0), 0u) << r.out;
            EXPECT_EQ(r.err, "");
        }
        else
        {
            EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
            if (c.status == 2)
            {
                EXPECT_EQ(r.out, "") << "usage goes to standard error";
            }
        }
    }
}

} // namespace
