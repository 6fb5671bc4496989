#include "FileHelpers.h"

#include "Files.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace
{

struct Seen
{
    std::vector<std::string> names;
    size_t stopAfter = 100;
};

bool Collect(const char* name, void* context)
{
    auto* seen = static_cast<Seen*>(context);
    seen->names.push_back(name);
    return seen->names.size() < seen->stopAfter;
}

} // namespace

TEST(FileHelpersTest, EnumFilesMatchesIgnoringCaseAndStopsAtFalse)
{
    testfiles::TempDir dir;
    for (const char* name : {"a.WSV", "b.wsv", "c.txt"})
        ASSERT_TRUE(plat::WriteFile(dir.File(name), "x", 1));
    std::filesystem::create_directory(dir.File("Save"));
    const std::string pattern = dir.Path() + "\\*.wsv";

    Seen all;
    EXPECT_TRUE(EnumFiles(pattern.c_str(), &Collect, &all));
    EXPECT_EQ(all.names, (std::vector<std::string>{"a.WSV", "b.wsv"}));
    Seen first;
    first.stopAfter = 1;
    EXPECT_FALSE(EnumFiles(pattern.c_str(), &Collect, &first));
    EXPECT_EQ(first.names.size(), 1u);
    Seen none;
    EXPECT_TRUE(EnumFiles((dir.Path() + "/*.waf").c_str(), &Collect, &none));
    EXPECT_TRUE(EnumFiles((dir.Path() + "/missing/*.waf").c_str(), &Collect, &none));
    EXPECT_TRUE(none.names.empty());
}

TEST(FileHelpersTest, ExistenceRemovalAndTheProgramFolder)
{
    testfiles::TempDir dir;
    ASSERT_TRUE(plat::WriteFile(dir.File("Kestru.exe"), "x", 1));
    EXPECT_FALSE(FileExists(""));
    EXPECT_FALSE(FileExists(nullptr));
    EXPECT_TRUE(FileExists(dir.File("KESTRU.EXE").c_str()));
    EXPECT_TRUE(RemoveFile(dir.File("kestru.exe").c_str()));
    EXPECT_FALSE(FileExists(dir.File("Kestru.exe").c_str()));
    EXPECT_FALSE(RemoveFile(dir.File("Kestru.exe").c_str()));
    const std::string folder = GetProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
}

TEST(FileHelpersTest, FindCdDriveLooksInsideMountFolders)
{
    testfiles::TempDir dir;
    std::filesystem::create_directories(dir.File("media/usb"));
    std::filesystem::create_directories(dir.File("run/user/DISC"));
    std::string root = "unchanged";
    EXPECT_FALSE(FindCdDrive("Kestru.exe", root, {dir.File("media"), dir.File("run")}));
    EXPECT_EQ(root, "unchanged");
    ASSERT_TRUE(plat::WriteFile(dir.File("run/user/DISC/kestru.exe"), "x", 1));
    EXPECT_TRUE(FindCdDrive("Kestru.exe", root, {dir.File("media"), dir.File("run")}));
    EXPECT_EQ(root, dir.File("run/user/DISC"));
}
