#include "qrxRegistry.h"

#include "TestFiles.h"

#include "IniConfigStore.h"
#include "MemoryConfigStore.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

constexpr const char* kKey = "software\\Harrowlake\\TOV Demo";

class qrxRegistryTest : public ::testing::Test
{
protected:
    void SetUp() override { SetSettingsStore(&m_store); }
    void TearDown() override { SetSettingsStore(nullptr); }
    plat::MemoryConfigStore m_store;
};

TEST_F(qrxRegistryTest, MissingKeysAndValuesTakeTheirDefault)
{
    std::string text;
    EXPECT_FALSE(RegReadValue(kKey, "DataPath", text, "C:\\Data")) << "the key was just created";
    EXPECT_EQ(text, "C:\\Data");
    EXPECT_FALSE(RegReadValue(kKey, "CDPath", text, "D:\\")) << "a missing value under an existing key";
    EXPECT_TRUE(RegReadValue(kKey, "CDPath", text, "other"));
    EXPECT_EQ(text, "D:\\") << "the default was stored";

    int32_t value = 0;
    EXPECT_TRUE(RegReadIntValue(kKey, "SkipIntro", value, 1)) << "the integer read answers true once the key exists";
    EXPECT_EQ(value, 1);
    ASSERT_TRUE(RegWriteValue(kKey, "SkipIntro", "0"));
    EXPECT_TRUE(RegReadIntValue(kKey, "SkipIntro", value, 1));
    EXPECT_EQ(value, 0);
    EXPECT_FALSE(RegReadIntValue("software\\Other", "Level", value, -7));
    EXPECT_EQ(value, -7);
    EXPECT_FALSE(RegWriteValue("software\\Third", "A", "b")) << "writing creates the key and says so";
}

TEST_F(qrxRegistryTest, LongValuesAreReadWholeThroughTheSettingsFile)
{
    testfiles::TempDir dir;
    const std::string longPath(300, 'x');
    {
        plat::IniConfigStore file(dir.File("settings.ini"));
        SetSettingsStore(&file);
        std::string text;
        RegReadValue(kKey, "DataPath", text, "start");
        ASSERT_TRUE(RegWriteValue(kKey, "DataPath", longPath.c_str()));
    }
    plat::IniConfigStore reopened(dir.File("settings.ini"));
    SetSettingsStore(&reopened);
    std::string text;
    EXPECT_TRUE(RegReadValue(kKey, "DataPath", text, "default"));
    EXPECT_EQ(text, longPath);
}

} // namespace
