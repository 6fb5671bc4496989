#include "tovUserProfile.h"

#include "ByteReader.h"
#include "ByteWriter.h"
#include "DebugOutput.h"
#include "Files.h"
#include "MemoryConfigStore.h"
#include "TestFiles.h"
#include "qrxRegistry.h"
#include "tovInstallSettings.h"
#include "tovRegistryKey.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{

class tovUserProfileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SetSettingsStore(&m_store);
        plat::SetDebugSink(&m_log);
        SetWritableRoot(m_dir.Path());
        CreateWritableFolders();
        SetMachineCaps({});
    }
    void TearDown() override
    {
        SetSettingsStore(nullptr);
        SetWritableRoot("");
        plat::SetDebugSink(nullptr);
        SetMachineCaps({});
    }

    // A profile with every field away from its default.
    static tovUserProfile Distinct()
    {
        tovUserProfile p;
        p.SetName("Mary Ellen", false);
        p.SetTown("Dardanelle");
        p.SetState("Arkansas");
        p.SetOptionFlag(false);
        p.SetVolume1(0.25f);
        p.SetVolume2(0.5f);
        p.SetDetail(0.75f);
        p.SetStoredDetail(0.6f);
        p.SetSetting0(1);
        p.SetSetting1(2);
        p.SetGender(1);
        p.SetLook(0, 0);
        p.SetLook(1, 2);
        p.SetLook(2, 3);
        for (int32_t row = 0; row < tovUserProfile::kCareerRows; ++row)
            for (int32_t w = 0; w < tovUserProfile::kCareerWords; ++w)
                p.GetCareer(row)[static_cast<size_t>(w)] = row * 100 + (w == 0 ? 50 : w + 1);
        p.GetCareer(2)[tovUserProfile::kHeaviestBass] = std::bit_cast<int32_t>(123.5f);
        p.GetTackle() = tovUserProfile::DefaultTackle();
        p.SetCurrentRod(5);
        p.SetFishingByte(9);
        return p;
    }

    static std::vector<uint8_t> FileBytes(const tovUserProfile& p)
    {
        plat::ByteWriter out;
        out.U32(tovUserProfile::kBodySize);
        p.WriteBody(out);
        return out.Take();
    }

    static std::vector<uint8_t> Read(const std::string& path)
    {
        std::vector<uint8_t> bytes;
        plat::ReadFile(path, bytes);
        return bytes;
    }

    plat::MemoryConfigStore m_store;
    plat::RecordingDebugSink m_log;
    testfiles::TempDir m_dir;
};

uint32_t U32At(const std::vector<uint8_t>& b, size_t offset)
{
    plat::ByteReader in(b.data() + offset, 4);
    return in.U32();
}

TEST_F(tovUserProfileTest, BodyFieldsSitAtTheirOffsetsAndRoundTrip)
{
    tovUserProfile p = Distinct();
    p.CreditFinish(0xA1B2C3D4u, 9, 0, 3);
    const std::vector<uint8_t> file = FileBytes(p);
    ASSERT_EQ(file.size(), 1712u);
    const std::vector<uint8_t> body(file.begin() + 4, file.end());

    EXPECT_EQ(U32At(file, 0), 1708u);
    EXPECT_EQ(body[1], 0) << "option flag";
    EXPECT_EQ(std::bit_cast<float>(U32At(body, 4)), 0.5f) << "volume 2";
    EXPECT_EQ(std::bit_cast<float>(U32At(body, 8)), 0.25f) << "volume 1";
    EXPECT_EQ(std::bit_cast<float>(U32At(body, 12)), 0.75f);
    EXPECT_EQ(U32At(body, 16), 1u);
    EXPECT_EQ(U32At(body, 20), 2u);
    EXPECT_STREQ(reinterpret_cast<const char*>(&body[24]), "Mary Ellen");
    EXPECT_STREQ(reinterpret_cast<const char*>(&body[284]), "Dardanelle");
    EXPECT_STREQ(reinterpret_cast<const char*>(&body[544]), "Arkansas");
    EXPECT_EQ(U32At(body, 804), 1u);
    EXPECT_EQ(U32At(body, 816), 3u) << "third look";
    EXPECT_EQ(U32At(body, 820), 50u) << "row 0 word 0";
    EXPECT_EQ(std::bit_cast<float>(U32At(body, 820 + (2 * 10 + 6) * 4)), 123.5f);
    EXPECT_EQ(U32At(body, 980 + 4), 1u) << "rod 0 value 1";
    EXPECT_EQ(U32At(body, 980 + (3 * 23 + 11) * 4), 5u) << "rod 3 value 11";
    EXPECT_EQ(U32At(body, 1624), 5u) << "current rod";
    EXPECT_EQ(body[1628], 9);
    EXPECT_EQ(std::bit_cast<float>(U32At(body, 1640)), 0.6f);
    EXPECT_EQ(U32At(body, 1644), 0u) << "the oldest credited game: none";
    EXPECT_EQ(U32At(body, 1704), 0xA1B2C3D4u) << "the newest";

    tovUserProfile back;
    plat::ByteReader in(body.data(), body.size());
    ASSERT_TRUE(back.ReadBody(in));
    EXPECT_EQ(FileBytes(back), file);
}

TEST_F(tovUserProfileTest, SavedProfileLoadsBackUnderItsName)
{
    tovUserProfile p = Distinct();
    ASSERT_TRUE(SaveUserProfile(p));
    EXPECT_EQ(Read(m_dir.File("Users/Mary Ellen.wuo")), FileBytes(p));

    tovUserProfile loaded;
    loaded.SetName("mary ellen", false);
    EXPECT_EQ(LoadUserProfile(loaded), tovProfileLoad::kLoaded) << "found regardless of case";
    EXPECT_STREQ(loaded.GetTown(), "Dardanelle");
    EXPECT_EQ(loaded.GetCurrentRod(), 5);
    EXPECT_TRUE(loaded.IsLoaded());
    EXPECT_EQ(std::vector<std::string>{"Mary Ellen.wuo"},
              [&]
              {
                  std::vector<std::string> names;
                  for (const auto& e : std::filesystem::directory_iterator(m_dir.File("Users")))
                      names.push_back(e.path().filename().string());
                  return names;
              }())
        << "no temporary file is left behind";
}

TEST_F(tovUserProfileTest, AStoredNameNeverChoosesTheFileTheNextSaveWrites)
{
    tovUserProfile other = Distinct();
    other.SetName("Bob", false);
    ASSERT_TRUE(SaveUserProfile(other));
    const std::vector<uint8_t> bobs = Read(m_dir.File("Users/Bob.wuo"));
    // Mary Ellen's file, copied under Ann's name: it loads as Ann and saves as Ann.
    tovUserProfile mary = Distinct();
    mary.SetName("Bob", false);
    const std::vector<uint8_t> claimsBob = FileBytes(mary);
    ASSERT_TRUE(plat::WriteFile(m_dir.File("Users/Ann.wuo"), claimsBob.data(), claimsBob.size()));
    tovUserProfile loaded;
    loaded.SetName("Ann", false);
    ASSERT_EQ(LoadUserProfile(loaded), tovProfileLoad::kLoaded);
    EXPECT_STREQ(loaded.GetName(), "Ann");
    EXPECT_STREQ(loaded.GetTown(), "Dardanelle");
    loaded.SetTown("Elsewhere");
    ASSERT_TRUE(SaveUserProfile(loaded));
    EXPECT_EQ(Read(m_dir.File("Users/Bob.wuo")), bobs);
    tovUserProfile back;
    back.SetName("Ann", false);
    ASSERT_EQ(LoadUserProfile(back), tovProfileLoad::kLoaded);
    EXPECT_STREQ(back.GetTown(), "Elsewhere");

    // A stored name differing only in case is another file on this system.
    mary.SetName("ann", false);
    const std::vector<uint8_t> claimsAnn = FileBytes(mary);
    ASSERT_TRUE(plat::WriteFile(m_dir.File("Users/Ann.wuo"), claimsAnn.data(), claimsAnn.size()));
    tovUserProfile cased;
    cased.SetName("Ann", false);
    ASSERT_EQ(LoadUserProfile(cased), tovProfileLoad::kLoaded);
    EXPECT_STREQ(cased.GetName(), "Ann");
    ASSERT_TRUE(SaveUserProfile(cased));
    EXPECT_FALSE(plat::FileExists(m_dir.File("Users/ann.wuo")));
}

TEST_F(tovUserProfileTest, MissingProfileIsCreatedWithDefaults)
{
    tovUserProfile p = Distinct();
    p.SetName("Newcomer", false);
    EXPECT_EQ(LoadUserProfile(p), tovProfileLoad::kCreated);
    EXPECT_EQ(p.GetSetting0(false), 3);
    EXPECT_FLOAT_EQ(p.GetVolume1(), 0.733f);
    EXPECT_EQ(p.GetTackle(), tovUserProfile::DefaultTackle());
    EXPECT_EQ(p.GetCareer(2), tovUserProfile::CareerRow{});
    EXPECT_EQ(Read(m_dir.File("Users/Newcomer.wuo")), FileBytes(p));

    SetWritableRoot(m_dir.File("no such folder"));
    EXPECT_EQ(LoadUserProfile(p), tovProfileLoad::kCreateFailed);

    SetWritableRoot(m_dir.Path());
    p.SetName("..\\escape", false);
    EXPECT_FALSE(SaveUserProfile(p)) << "a name never leads out of the Users folder";
    EXPECT_EQ(LoadUserProfile(p), tovProfileLoad::kRefused);
    EXPECT_FALSE(std::filesystem::exists(m_dir.File("escape.wuo")));
}

// Every damaged file is refused: defaults in memory, the file on disk untouched.
TEST_F(tovUserProfileTest, DamagedFilesAreRefusedAndLeftAlone)
{
    const std::vector<uint8_t> good = FileBytes(Distinct());
    std::vector<std::vector<uint8_t>> damaged;
    for (size_t n = 0; n < good.size(); ++n)
        damaged.emplace_back(good.begin(), good.begin() + static_cast<ptrdiff_t>(n));
    damaged.push_back(good);
    damaged.back().push_back(0); // one byte too many

    const struct
    {
        size_t offset;
        std::vector<uint8_t> bytes;
    } patches[] = {
        {0, {0x6b, 0x06, 0, 0}},                           // length 1643 with a full body
        {4 + 0, {2}},                                      // loaded flag
        {4 + 2, {0xff}},                                   // effect-sound flag
        {4 + 4, {0, 0, 0xc0, 0x3f}},                       // volume 2 = 1.5
        {4 + 8, std::vector<uint8_t>(4, 0xff)},            // volume 1 NaN
        {4 + 12, {0, 0, 0x80, 0xbf}},                      // detail -1
        {4 + 12, {0, 0, 0xc0, 0x3f}},                      // detail 1.5
        {4 + 16, {4, 0, 0, 0}},                            // day length level 4
        {4 + 20, {0xff, 0xff, 0xff, 0xff}},                // tournament length -1
        {4 + 24, std::vector<uint8_t>(260, 'a')},          // name without end
        {4 + 284, std::vector<uint8_t>(260, 'b')},         // town without end
        {4 + 544, std::vector<uint8_t>(260, 'c')},         // state without end
        {4 + 804, {2, 0, 0, 0}},                           // gender
        {4 + 820 + 6 * 4, {0, 0, 0x80, 0x7f}},             // heaviest bass infinite
        {4 + 820 + 6 * 4, {0, 0, 0x80, 0xbf}},             // heaviest bass -1
        {4 + 820, {0xff, 0xff, 0xff, 0xff}},               // games started -1 (the fit would spread it)
        {4 + 820 + 40 + 9 * 4, {0, 0, 0, 0x80}},           // place sum, weekend row, below zero
        {4 + 820 + 120 + 5 * 4, {0xfe, 0xff, 0xff, 0xff}}, // network winnings -2
        {4 + 820 + 120 + 8 * 4, {0xff, 0xff, 0xff, 0xff}}, // network bass count -1
        {4 + 1624, {7, 0, 0, 0}},                          // current rod
        {4 + 1640, {0, 0, 0x80, 0xff}},                    // stored detail -inf
        {4 + 1640, {0, 0, 0, 0x40}},                       // stored detail 2
    };
    for (const auto& patch : patches)
    {
        std::vector<uint8_t> b = good;
        std::copy(patch.bytes.begin(), patch.bytes.end(), b.begin() + static_cast<ptrdiff_t>(patch.offset));
        damaged.push_back(b);
    }

    const std::string path = m_dir.File("Users/Mary Ellen.wuo");
    for (size_t i = 0; i < damaged.size(); ++i)
    {
        SCOPED_TRACE("damaged file " + std::to_string(i) + ", " + std::to_string(damaged[i].size()) + " bytes");
        ASSERT_TRUE(plat::WriteFile(path, damaged[i].data(), damaged[i].size()));
        tovUserProfile p = Distinct();
        p.SetLoaded(false);
        ASSERT_EQ(LoadUserProfile(p), tovProfileLoad::kRefused);
        EXPECT_STREQ(p.GetName(), "Mary Ellen") << "the name stays, so the player can be asked";
        EXPECT_EQ(p.GetSetting1(false), 3);
        EXPECT_EQ(p.GetCurrentRod(), 0);
        EXPECT_EQ(p.GetCareer(0), tovUserProfile::CareerRow{});
        EXPECT_EQ(Read(path), damaged[i]);
    }
}

// A final is credited once per game, whichever save it is played from; the profile keeps the
// last 16 games it credited.
TEST_F(tovUserProfileTest, AGameIsCreditedOnceAndTheLastSixteenAreKept)
{
    tovUserProfile p;
    p.SetName("Casey", false);
    p.GetCareer(1)[tovUserProfile::kGamesStarted] = 30;
    EXPECT_TRUE(p.CreditFinish(7, 0, 1000, 1));
    const tovUserProfile::CareerRow once = p.GetCareer(1);
    EXPECT_FALSE(p.CreditFinish(7, 0, 1000, 1)) << "the same game again";
    EXPECT_EQ(p.GetCareer(1), once);
    for (uint32_t game = 100; game < 115; ++game)
        EXPECT_TRUE(p.CreditFinish(game, 6, 0, 1));
    tovUserProfile loaded;
    loaded.SetName("Casey", false);
    ASSERT_EQ(LoadUserProfile(loaded), tovProfileLoad::kLoaded);
    EXPECT_FALSE(loaded.CreditFinish(7, 0, 1000, 1)) << "remembered by the file, 15 games later";
    EXPECT_TRUE(loaded.CreditFinish(115, 6, 0, 1));
    EXPECT_FALSE(loaded.HasCredited(7)) << "the 17th game back is forgotten";
    EXPECT_TRUE(loaded.HasCredited(100));
}

// A profile written before the games credited were kept (a 1644-byte body) loads with none, its
// rows fitted: first places no more than top fives, top fives no more than games started.
TEST_F(tovUserProfileTest, AnEarlierProfileLoadsWithNoCreditsAndItsRowsFitted)
{
    const struct
    {
        tovUserProfile::CareerRow stored;
        tovUserProfile::CareerRow loaded;
    } rows[] = {
        {{1, 1, 2, 0, 0, 24000, 0, 0, 0, 12}, {1, 1, 1, 0, 0, 24000, 0, 0, 0, 12}}, // a final credited twice
        {{3, 4, 5, 9, 9, 100, 7, 8, 9, 10}, {3, 3, 3, 9, 9, 100, 7, 8, 9, 10}},
        {{2, 0, 1, 0, 0, 0, 0, 0, 0, 8}, {2, 0, 1, 0, 0, 0, 0, 0, 0, 8}},
        {{0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
    };
    tovUserProfile p = Distinct();
    for (size_t row = 0; row < std::size(rows); ++row)
        p.GetCareer(static_cast<int32_t>(row)) = rows[row].stored;
    std::vector<uint8_t> file = FileBytes(p);
    file.resize(tovUserProfile::kShortFileSize);
    file[0] = 0x6c; // 1644
    file[1] = 0x06;
    ASSERT_TRUE(plat::WriteFile(m_dir.File("Users/Mary Ellen.wuo"), file.data(), file.size()));
    tovUserProfile loaded;
    loaded.SetName("Mary Ellen", false);
    ASSERT_EQ(LoadUserProfile(loaded), tovProfileLoad::kLoaded);
    for (size_t row = 0; row < std::size(rows); ++row)
        EXPECT_EQ(loaded.GetCareer(static_cast<int32_t>(row)), rows[row].loaded) << row;
    EXPECT_EQ(loaded.GetCreditedGames(), (std::array<uint32_t, tovUserProfile::kCreditedGames>{}));
    EXPECT_STREQ(loaded.GetTown(), "Dardanelle");
    EXPECT_EQ(loaded.GetTackle(), p.GetTackle());
}

TEST_F(tovUserProfileTest, FailedSaveKeepsTheOldFile)
{
    tovUserProfile p = Distinct();
    ASSERT_TRUE(SaveUserProfile(p));
    const std::vector<uint8_t> before = Read(m_dir.File("Users/Mary Ellen.wuo"));
    // The temporary file cannot be made where a folder of its name stands.
    std::filesystem::create_directory(m_dir.File("Users/Mary Ellen.wuo.tmp" + std::to_string(getpid())));
    p.SetTown("Elsewhere");
    EXPECT_FALSE(SaveUserProfile(p));
    EXPECT_EQ(Read(m_dir.File("Users/Mary Ellen.wuo")), before);
}

TEST_F(tovUserProfileTest, TextsAreCutAt259AndTheNameCanBeStored)
{
    const std::string longText(400, 'x');
    tovUserProfile p;
    p.SetName(longText.c_str(), true);
    p.SetTown(longText.c_str());
    p.SetState(longText.c_str());
    for (const char* text : {p.GetName(), p.GetTown(), p.GetState()})
        EXPECT_EQ(std::strlen(text), 259u);
    std::string stored;
    EXPECT_TRUE(RegReadValue(kTovRegistryKey, "LastUser", stored, ""));
    EXPECT_EQ(stored, longText.substr(0, 259));

    p.SetName("Quiet", false);
    RegReadValue(kTovRegistryKey, "LastUser", stored, "");
    EXPECT_EQ(stored.size(), 259u) << "without store the last user stays";
}

TEST_F(tovUserProfileTest, NewProfileDetailFollowsDisplayAndProcessor)
{
    const struct
    {
        tovMachineCaps caps;
        float detail;
    } cases[] = {
        {{}, 1.0f},
        {{false, 64u << 20, false, false, false}, 0.0f},
        {{true, 6'291'455u, false, false, false}, 0.2f},
        {{true, 6'291'456u, false, false, false}, 0.8f},
        {{true, 12'291'455u, false, false, false}, 0.8f},
        {{true, 12'291'456u, false, false, true}, 1.0f},
        {{true, 16u << 20, true, false, false}, 0.6f},
        {{true, 16u << 20, true, true, false}, 0.2f},
        {{true, 4u << 20, false, true, false}, 0.0f},
    };
    for (const auto& c : cases)
    {
        SetMachineCaps(c.caps);
        tovUserProfile p;
        p.SetDefaults(false);
        EXPECT_FLOAT_EQ(p.GetDetail(), c.detail) << c.caps.videoMemory;
        EXPECT_EQ(p.GetStoredDetail(), p.GetDetail());
    }
    EXPECT_FALSE(std::filesystem::exists(m_dir.File("Users/Angler.wuo"))) << "no save asked";
}

TEST_F(tovUserProfileTest, CatchesAndFinishesAddToTheirRowAndSave)
{
    tovUserProfile p;
    p.SetName("Recorder", false);
    p.RecordBassCatch(40, 3, 1);
    p.RecordBassCatch(40, 10, 1); // as heavy as the heaviest: not replaced, still counted
    p.RecordBassCatch(55, 11, 1);
    p.RecordBassCatch(90, 4, 1); // a muskie is no bass
    p.RecordBassCatch(70, 3, 4); // no such row
    const tovUserProfile::CareerRow& row = p.GetCareer(1);
    EXPECT_EQ(row[tovUserProfile::kTotalBassWeight], 135);
    EXPECT_EQ(row[tovUserProfile::kBassCount], 3);
    EXPECT_EQ(p.GetHeaviestBass(1), 55.0f);

    p.GetCareer(1)[tovUserProfile::kGamesStarted] = 3;
    p.RecordFinish(0, 5000, 1);
    p.RecordFinish(4, 300, 1);
    p.RecordFinish(5, 0, 1);
    EXPECT_EQ(row[tovUserProfile::kFirstPlaces], 1);
    EXPECT_EQ(row[tovUserProfile::kTopFives], 2);
    EXPECT_EQ(row[tovUserProfile::kWinnings], 5300);
    EXPECT_EQ(row[tovUserProfile::kPlaceSum], 1 + 5 + 6);
    EXPECT_EQ(p.GetCareer(0), tovUserProfile::CareerRow{});
    // A win in a row that counted no game for it: paid and placed, but no more wins than games.
    p.RecordFinish(0, 700, 2);
    EXPECT_EQ(p.GetCareer(2), (tovUserProfile::CareerRow{0, 0, 0, 0, 0, 700, 0, 0, 0, 1}));
    EXPECT_EQ(Read(m_dir.File("Users/Recorder.wuo")), FileBytes(p)) << "every record is saved at once";

    // A count at its largest stays there: a wrapped, negative one would make the file damaged.
    p.GetCareer(2)[tovUserProfile::kWinnings] = INT32_MAX - 100;
    p.GetCareer(2)[tovUserProfile::kTotalBassWeight] = INT32_MAX;
    p.RecordFinish(1, 5000, 2);
    p.RecordBassCatch(40, 3, 2);
    EXPECT_EQ(p.GetCareer(2)[tovUserProfile::kWinnings], INT32_MAX);
    EXPECT_EQ(p.GetCareer(2)[tovUserProfile::kTotalBassWeight], INT32_MAX);
    tovUserProfile loaded;
    loaded.SetName("Recorder", false);
    EXPECT_EQ(LoadUserProfile(loaded), tovProfileLoad::kLoaded);

    std::filesystem::remove(m_dir.File("Users/Recorder.wuo"));
    p.RecordBassCatch(90, 4, 1);
    EXPECT_FALSE(std::filesystem::exists(m_dir.File("Users/Recorder.wuo"))) << "another species does not save";
}

} // namespace
