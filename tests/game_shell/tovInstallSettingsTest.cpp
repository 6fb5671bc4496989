#include "tovInstallSettings.h"

#include "DebugOutput.h"
#include "MemoryConfigStore.h"
#include "TestFiles.h"
#include "qrxRegistry.h"
#include "tovNetFacade.h"
#include "tovRegistryKey.h"
#include "tovUserProfile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace
{

class tovInstallSettingsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SetSettingsStore(&m_store);
        plat::SetDebugSink(&m_log);
        SetWritableRoot(m_dir.File("home"));
        m_savedName = TheUserProfile().GetName();
    }
    void TearDown() override
    {
        TheUserProfile().SetName(m_savedName.c_str(), false);
        SetSettingsStore(nullptr);
        plat::SetDebugSink(nullptr);
        SetWritableRoot("");
        SetInstallRoot(".");
        SetDiscRoot(".");
        SetInstallType(0);
        SetNetworkLaunch(false);
    }

    std::string Value(const char* name)
    {
        std::string text;
        EXPECT_TRUE(RegReadValue(kTovRegistryKey, name, text, "missing")) << name;
        return text;
    }

    void Touch(const std::string& relative)
    {
        const std::filesystem::path path = m_dir.File(relative);
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path) << "x";
    }

    plat::MemoryConfigStore m_store;
    plat::RecordingDebugSink m_log;
    testfiles::TempDir m_dir;
    std::string m_savedName;
};

TEST_F(tovInstallSettingsTest, FirstStartWritesEveryDefaultAndMakesTheWritableFolders)
{
    TheUserProfile().SetName("Angler", false);
    ASSERT_TRUE(ReadInstallSettings(m_dir.File("game")));
    EXPECT_EQ(Value("InstPath"), m_dir.File("game"));
    EXPECT_EQ(Value("Title"), "TOV Tarnholm Demo");
    EXPECT_EQ(Value("LastUser"), "Angler");
    EXPECT_EQ(Value("InstType"), "0");
    EXPECT_EQ(Value("Sound"), "1");
    EXPECT_EQ(Value("SkipIntro"), "0");
    EXPECT_EQ(Value("Network"), "0");
    EXPECT_FALSE(IsNetworkLaunch());
    EXPECT_EQ(Value("RunCD"), "0");
    EXPECT_TRUE(std::filesystem::is_directory(m_dir.File("home/Users")));
    EXPECT_TRUE(std::filesystem::is_directory(m_dir.File("home/Save")));
    EXPECT_EQ(GetInstallRoot(), m_dir.File("game"));
}

TEST_F(tovInstallSettingsTest, StoredValuesAreReadWhole)
{
    const std::string longName(1000, 'n');
    RegWriteValue(kTovRegistryKey, "LastUser", longName.c_str());
    RegWriteValue(kTovRegistryKey, "InstPath", "/somewhere/else");
    RegWriteValue(kTovRegistryKey, "SkipIntro", "7");
    RegWriteValue(kTovRegistryKey, "Network", "1");
    TheUserProfile().SetName("Angler", false);
    ASSERT_TRUE(ReadInstallSettings(m_dir.File("game")));
    EXPECT_STREQ(TheUserProfile().GetName(), "Angler") << "longer than a typed name: the default player";
    EXPECT_EQ(Value("LastUser"), longName) << "not written back";
    EXPECT_TRUE(GetSkipIntro());
    EXPECT_TRUE(IsNetworkLaunch()) << "Network=1 starts for network play as --network does";
    EXPECT_EQ(GetInstallRoot(), m_dir.File("game")) << "InstPath does not move the data";
}

// The last player's name picks the profile file: only a name the profiles screen could have
// made is taken, or a longer one an earlier session dialog took when its profile exists;
// anything else leaves the default player current, and start-up makes no file of that name.
TEST_F(tovInstallSettingsTest, OnlyATypedLastUserBecomesThePlayer)
{
    const std::string letters26 = "Abcdefghijklmnopqrstuvwxyz";
    const std::string n31(31, 'n');
    const std::string n32(32, 'n');
    const struct
    {
        std::string stored;
        bool profileExists;
        std::string player;
    } cases[] = {
        {"Casey 2", false, "Casey 2"}, {"", false, "Angler"},
        {"%s%s%n", false, "Angler"},   {"Tab\there", false, "Angler"},
        {"Bell\a", false, "Angler"},   {"../Save/x", false, "Angler"},
        {"   ", false, "Angler"},      {letters26, false, "Angler"},
        {letters26, true, letters26},  {n31, true, n31},
        {n32, true, "Angler"},
    };
    const tovUserProfile kept = TheUserProfile();
    for (const auto& c : cases)
    {
        SCOPED_TRACE("\"" + c.stored + "\"");
        CreateWritableFolders();
        const std::string file = m_dir.File("home/Users/" + c.stored + ".wuo");
        if (c.profileExists)
            Touch("home/Users/" + c.stored + ".wuo");
        TheUserProfile().SetName("Angler", false);
        RegWriteValue(kTovRegistryKey, "LastUser", c.stored.c_str());
        ASSERT_TRUE(ReadInstallSettings(m_dir.File("game")));
        EXPECT_EQ(TheUserProfile().GetName(), c.player);
        // Start-up then loads the player's profile, making it when it is missing.
        LoadUserProfile(TheUserProfile());
        EXPECT_EQ(std::filesystem::exists(file), c.profileExists || c.player == c.stored);
        std::filesystem::remove_all(m_dir.File("home/Users"));
    }
    TheUserProfile() = kept;
}

TEST_F(tovInstallSettingsTest, MissingDiscIsAskedForUntilThePlayerGivesUp)
{
    RegWriteValue(kTovRegistryKey, "RunCD", "1");
    int asked = 0;
    std::string text;
    const bool started = ReadInstallSettings(m_dir.File("game"),
                                             [&](const char*, const char* message)
                                             {
                                                 text = message;
                                                 return ++asked < 3;
                                             });
    EXPECT_FALSE(started);
    EXPECT_EQ(asked, 3);
    EXPECT_EQ(text, "Unable to find TOV Tarnholm Demo CD. Place the TOV Tarnholm Demo CD in the Drive and Press "
                    "Retry to continue.");
}

TEST_F(tovInstallSettingsTest, BuildersFindFilesRegardlessOfCaseAndInstallType)
{
    Touch("game/DATA/Main.WAF");
    Touch("game/DATA/Sub/Pic.bmp");
    Touch("game/Lakes/Clear.waf");
    Touch("game/web/Help.HTM");
    Touch("game/ambient/Birds.wav");
    Touch("disc/Data/Main.waf");
    Touch("disc/LAKES/Clear.WAF");
    Touch("home/Users/Jo.wuo");
    SetInstallRoot(m_dir.File("game"));
    SetDiscRoot(m_dir.File("disc"));

    using Builder = std::string (*)(const char*);
    const struct
    {
        int32_t type;
        Builder builder;
        const char* file;
        const char* expected;
    } cases[] = {
        {0, DataFilePath, "main.waf", "game/DATA/Main.WAF"},
        {0, DataFilePath, "SUB\\pic.BMP", "game/DATA/Sub/Pic.bmp"},
        {0, DataRootPath, "help.htm", "game/web/Help.HTM"},
        {0, AmbientFilePath, "BIRDS.WAV", "game/ambient/Birds.wav"},
        {0, LakesFilePath, "clear.waf", "game/Lakes/Clear.waf"},
        {0, DiscDataFilePath, "Main.waf", "game/DATA/Main.WAF"},
        {1, LakesFilePath, "clear.waf", "disc/LAKES/Clear.WAF"},
        {1, DiscDataFilePath, "Main.waf", "game/DATA/Main.WAF"},
        {2, DiscDataFilePath, "MAIN.WAF", "disc/Data/Main.waf"},
        {2, DataFilePath, "MAIN.WAF", "game/DATA/Main.WAF"},
        {2, UsersFilePath, "jo.WUO", "home/Users/Jo.wuo"},
        {0, UsersFilePath, "New.wuo", "home/Users/New.wuo"},
        {0, SaveFilePath, "game1.sav", "home/Save/game1.sav"},
        {0, LakesFilePath, "*.waf", "game/Lakes/*.waf"},
    };
    for (const auto& c : cases)
    {
        SetInstallType(c.type);
        EXPECT_EQ(c.builder(c.file), m_dir.File(c.expected)) << c.file << " type " << c.type;
    }

    SetInstallType(3);
    EXPECT_EQ(LakesFilePath("clear.waf"), "") << "an unknown install type names no folder";
    EXPECT_EQ(DiscDataFilePath("main.waf"), "");
}

TEST_F(tovInstallSettingsTest, WritableRootFollowsXdgDataHome)
{
    const char* saved = std::getenv("XDG_DATA_HOME");
    const std::string restore = saved != nullptr ? saved : "";
    setenv("XDG_DATA_HOME", "/data/home", 1);
    EXPECT_EQ(DefaultWritableRoot(), "/data/home/tov");
    setenv("XDG_DATA_HOME", "relative", 1); // not absolute: ignored, as the base directory rules say
    setenv("HOME", std::getenv("HOME") != nullptr ? std::getenv("HOME") : "/root", 1);
    EXPECT_EQ(DefaultWritableRoot(), std::string(std::getenv("HOME")) + "/.local/share/tov");
    if (saved != nullptr)
        setenv("XDG_DATA_HOME", restore.c_str(), 1);
    else
        unsetenv("XDG_DATA_HOME");
}

} // namespace
