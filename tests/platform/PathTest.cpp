#include "Path.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace
{

// A fresh folder per test; platform tests do not link the engine's test support.
class PathFiles : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "qrplat-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            throw std::runtime_error("cannot make a temporary folder");
        m_root = pattern;
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::current_path(m_savedCwd, ec);
        fs::remove_all(m_root, ec);
    }

    std::string At(const std::string& relative) const { return m_root + "/" + relative; }
    void MakeFile(const std::string& relative) const
    {
        fs::create_directories(fs::path(At(relative)).parent_path());
        std::ofstream(At(relative)) << relative;
    }
    void MakeFolder(const std::string& relative) const { fs::create_directories(At(relative)); }
    void EnterRoot() const { fs::current_path(m_root); }

    std::string m_root;
    fs::path m_savedCwd = fs::current_path();
};

} // namespace

TEST(PathText, SplitsAndJoinsWindowsNames)
{
    EXPECT_EQ(plat::NativePath("Data\\Lakes\\x.BMP"), "Data/Lakes/x.BMP");
    EXPECT_EQ(plat::NativePath("Data/Lakes\\x.BMP"), "Data/Lakes/x.BMP");

    EXPECT_EQ(plat::FileNameOf("Data\\Lakes/x.BMP"), "x.BMP");
    EXPECT_EQ(plat::FileNameOf("x.BMP"), "x.BMP");
    EXPECT_EQ(plat::FileNameOf("Data\\"), "");

    EXPECT_EQ(plat::FolderOf("Data\\Lakes\\x.BMP"), "Data/Lakes");
    EXPECT_EQ(plat::FolderOf("x.BMP"), "");
    EXPECT_EQ(plat::FolderOf("/x.BMP"), "/");

    EXPECT_EQ(plat::JoinPath("Data\\Lakes", "x.BMP"), "Data/Lakes/x.BMP");
    EXPECT_EQ(plat::JoinPath("Data\\", "Sub\\x.BMP"), "Data/Sub/x.BMP");
    EXPECT_EQ(plat::JoinPath("/", "x"), "/x");
    EXPECT_EQ(plat::JoinPath("", "x"), "x");
    // Joining a bare name to the folder of a path gives the path back.
    EXPECT_EQ(plat::JoinPath(plat::FolderOf("a/b/c.qrf"), plat::FileNameOf("a/b/c.qrf")), "a/b/c.qrf");
}

TEST(PathText, ExtensionIsTakenFromTheLastDotOfTheFileName)
{
    EXPECT_EQ(plat::ExtensionOf("Data\\tex.wood.BMP"), ".BMP");
    EXPECT_EQ(plat::ExtensionOf("file://pic.tga"), ".tga");
    EXPECT_EQ(plat::ExtensionOf("Data.v2\\readme"), "");
    EXPECT_EQ(plat::ExtensionOf("name."), ".");
    EXPECT_TRUE(plat::EqualNoCase(plat::ExtensionOf("X.BmP"), ".bmp"));
    EXPECT_FALSE(plat::EqualNoCase(".bmp", ".bm"));
    // Only ASCII letters fold.
    EXPECT_FALSE(plat::EqualNoCase("\xC9", "\xE9"));
}

TEST_F(PathFiles, ExactPathIsReturnedAsWritten)
{
    MakeFile("Data/Lakes/Lake01.WAF");
    EXPECT_EQ(plat::FindPathCaseInsensitive(At("Data/Lakes/Lake01.WAF")), At("Data/Lakes/Lake01.WAF"));
    EXPECT_EQ(plat::FindPathCaseInsensitive(At("Data\\Lakes\\Lake01.WAF")), At("Data/Lakes/Lake01.WAF"));
}

TEST_F(PathFiles, EveryComponentIsMatchedWithoutCase)
{
    MakeFile("Data/Lakes/Lake01.WAF");
    EXPECT_EQ(plat::FindPathCaseInsensitive(At("DATA\\lakes\\lake01.waf")), At("Data/Lakes/Lake01.WAF"));
    EXPECT_EQ(plat::FindPathCaseInsensitive(At("data/Lakes"), plat::PathKind::kFolder), At("Data/Lakes"));
    EXPECT_EQ(plat::FindPathCaseInsensitive(At("data//LAKES/"), plat::PathKind::kFolder), At("Data/Lakes"));

    EXPECT_FALSE(plat::FindPathCaseInsensitive(At("data/lakes/lake02.waf")));
    EXPECT_FALSE(plat::FindPathCaseInsensitive(At("data/lake01.waf/x")));
    EXPECT_FALSE(plat::FindPathCaseInsensitive(""));
}

TEST_F(PathFiles, KindFiltersTheLastComponent)
{
    MakeFile("Data/pic.bmp");
    EXPECT_FALSE(plat::FindPathCaseInsensitive(At("data"), plat::PathKind::kFile));
    EXPECT_FALSE(plat::FindPathCaseInsensitive(At("DATA/PIC.BMP"), plat::PathKind::kFolder));
    EXPECT_EQ(plat::FindPathCaseInsensitive(At("DATA/PIC.BMP"), plat::PathKind::kFile), At("Data/pic.bmp"));
}

TEST_F(PathFiles, CaseClashPrefersExactSpellingThenLexicallyFirst)
{
    MakeFile("tex.BMP");
    MakeFile("Tex.bmp");
    MakeFile("tex.bmp");
    EXPECT_EQ(plat::FindPathCaseInsensitive(At("tex.bmp")), At("tex.bmp"));
    EXPECT_EQ(plat::FindPathCaseInsensitive(At("TEX.bmp")), At("Tex.bmp"));
    EXPECT_EQ(plat::FindPathCaseInsensitive(At("TEX.BMP")), At("Tex.bmp"));
}

TEST_F(PathFiles, CaseClashSkipsEntriesOfTheWrongKind)
{
    // "MAPS" sorts before "Maps" but is a file, so the walk must go into the folder.
    MakeFile("MAPS");
    MakeFile("Maps/x.txt");
    EXPECT_EQ(plat::FindPathCaseInsensitive(At("maps/X.TXT")), At("Maps/x.txt"));
    EXPECT_EQ(plat::FindPathCaseInsensitive(At("maps"), plat::PathKind::kFolder), At("Maps"));
    EXPECT_EQ(plat::FindPathCaseInsensitive(At("maps"), plat::PathKind::kFile), At("MAPS"));
    // The exact spelling loses when it is of the wrong kind.
    EXPECT_EQ(plat::FindPathCaseInsensitive(At("MAPS"), plat::PathKind::kFolder), At("Maps"));
}

TEST_F(PathFiles, RelativePathsStartAtTheCurrentFolder)
{
    MakeFile("Data/Lakes/Lake01.WAF");
    EnterRoot();
    EXPECT_EQ(plat::FindPathCaseInsensitive("data\\lakes\\LAKE01.waf"), "Data/Lakes/Lake01.WAF");
    EXPECT_EQ(plat::FindPathCaseInsensitive("./DATA/../data/Lakes/lake01.waf"), "./Data/../Data/Lakes/Lake01.WAF");
    EXPECT_FALSE(plat::FindPathCaseInsensitive("Lake01.WAF"));
}

TEST(PathPattern, MatchesLikeWindowsWithoutCase)
{
    EXPECT_TRUE(plat::MatchesPattern("*.waf", "Lake01.WAF"));
    EXPECT_TRUE(plat::MatchesPattern("*.waf", ".waf"));
    EXPECT_FALSE(plat::MatchesPattern("*.waf", "Lake01.wafx"));
    EXPECT_FALSE(plat::MatchesPattern("*.waf", "Lake01.waf.bak"));
    EXPECT_FALSE(plat::MatchesPattern("*.waf", "Lake01waf"));
    EXPECT_TRUE(plat::MatchesPattern("L?ke*.W*", "lake01.waf"));
    EXPECT_FALSE(plat::MatchesPattern("L?ke*.W*", "lke01.waf"));
    // Backtracking past an early partial match.
    EXPECT_TRUE(plat::MatchesPattern("*ab*ab", "xabyabab"));
    EXPECT_FALSE(plat::MatchesPattern("*ab*abc", "xabyabab"));
    EXPECT_TRUE(plat::MatchesPattern("**", ""));
    EXPECT_FALSE(plat::MatchesPattern("?", ""));

    EXPECT_TRUE(plat::MatchesPattern("*.*", "README"));
    EXPECT_TRUE(plat::MatchesPattern("*.*", "a.b.c"));
    EXPECT_TRUE(plat::MatchesPattern("tov.*", "TOV"));
    EXPECT_FALSE(plat::MatchesPattern("tov.*", "tovx"));
}

TEST_F(PathFiles, ListFilesReturnsSortedMatchingFilesOnly)
{
    MakeFile("Lakes/b.waf");
    MakeFile("Lakes/A.WAF");
    MakeFile("Lakes/a.wdt");
    MakeFolder("Lakes/folder.waf");
    EXPECT_EQ(plat::ListFiles(At("Lakes"), "*.waf"), (std::vector<std::string>{"A.WAF", "b.waf"}));
    EXPECT_EQ(plat::ListFiles(At("Lakes"), "*.*"), (std::vector<std::string>{"A.WAF", "a.wdt", "b.waf"}));
    EXPECT_TRUE(plat::ListFiles(At("Lakes"), "*.wsv").empty());
    EXPECT_TRUE(plat::ListFiles(At("Nowhere"), "*.*").empty());
}

TEST_F(PathFiles, FindFilesLooksUpTheFolderWithoutCase)
{
    MakeFile("Data/Users/Ann.wuo");
    MakeFile("Data/Users/bob.WUO");
    EXPECT_EQ(plat::FindFiles(At("data\\USERS\\*.wuo")), (std::vector<std::string>{"Ann.wuo", "bob.WUO"}));
    EXPECT_TRUE(plat::FindFiles(At("data\\Save\\*.wuo")).empty());
    EnterRoot();
    MakeFile("top.wuo");
    EXPECT_EQ(plat::FindFiles("*.WUO"), (std::vector<std::string>{"top.wuo"}));
}
