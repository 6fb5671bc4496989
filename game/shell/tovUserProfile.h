#pragma once
// The one player profile of the program: name and home, sound volumes, detail level, game
// settings, angler look, career records and tackle set. Stored one per file ("<name>.wuo") in
// the writable "Users" folder as a 4-byte length and a fixed little-endian body: 1644 bytes,
// then the games the career was credited for. Files of the 1644-byte body alone still load.
// Main thread only.

#include "qrxScratchImage.h"
#include "tovAnglerLooks.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace plat
{
class ByteReader;
class ByteWriter;
} // namespace plat

// What the display and processor say about the machine, for a new profile's detail level.
// The application fills it at start-up; until then the display's usual answer stands.
struct tovMachineCaps
{
    bool has3D = true;
    uint64_t videoMemory = 16u * 1024u * 1024u;
    bool cpuFamily5 = false;
    bool cpuFamily6Model1 = false;
    bool cpuFamily6Model3Up = false;
};

void SetMachineCaps(const tovMachineCaps& caps);
const tovMachineCaps& GetMachineCaps();
// The detail level a new profile gets on this machine, 0 to 1.
float DefaultDetailLevel(const tovMachineCaps& caps);

class tovUserProfile : public qrxScratchImage
{
public:
    // The body before the credited games, which earlier files end with.
    static constexpr uint32_t kShortBodySize = 1644;
    static constexpr uint32_t kShortFileSize = 4 + kShortBodySize;
    // The last games credited to the career, so that a replayed final credits nothing.
    static constexpr int32_t kCreditedGames = 16;
    static constexpr uint32_t kBodySize = kShortBodySize + 4 * kCreditedGames;
    static constexpr uint32_t kFileSize = 4 + kBodySize;
    static constexpr size_t kTextSize = 260;
    // The profiles screen's name field holds no more.
    static constexpr int32_t kNameFieldLength = 25;
    // The longest name an earlier session dialog took.
    static constexpr int32_t kLongNameLength = 31;
    static constexpr int32_t kCareerRows = 4;
    static constexpr int32_t kCareerWords = 10;
    static constexpr int32_t kRodCount = 7;
    static constexpr int32_t kRodWords = 23;

    // Career row words.
    enum CareerWord : int32_t
    {
        kGamesStarted = 0,
        kFirstPlaces = 1,
        kTopFives = 2,
        kWinnings = 5,
        kHeaviestBass = 6, // float32 bits
        kTotalBassWeight = 7,
        kBassCount = 8,
        kPlaceSum = 9,
    };

    using CareerRow = std::array<int32_t, kCareerWords>;
    using RodRecord = std::array<int32_t, kRodWords>;
    using TackleSet = std::array<RodRecord, kRodCount>;

    // The program-wide start values: the default texts, full detail, no tackle.
    tovUserProfile();

    const char* GetName() const { return m_name.data(); }
    // A name the profiles screen could have made: letters, digits and spaces, as many as its
    // field holds, not spaces only, none before or after it. Names from files and settings
    // must be one before they pick a profile file.
    static bool IsTypedName(const std::string& name);
    // Without the spaces before and after it: how a typed name is taken, and how a profile's
    // name goes to a network session.
    static std::string TrimmedName(const std::string& name);
    // A typed name, or one of up to 31 such characters (an earlier session dialog took them,
    // and earlier builds kept outer spaces) whose profile file exists.
    static bool IsKnownName(const std::string& name);
    // Cut at 259 characters; with store, also recorded as the installation's last user.
    void SetName(const char* name, bool store);
    const char* GetTown() const { return m_town.data(); }
    void SetTown(const char* text);
    const char* GetState() const { return m_state.data(); }
    void SetState(const char* text);

    // Day-length and tournament-length levels 0 to 3. In a network game the host's shared
    // values unless forceLocal.
    int32_t GetSetting0(bool forceLocal) const;
    int32_t GetSetting1(bool forceLocal) const;
    void SetSetting0(int32_t level) { m_setting0 = level; }
    void SetSetting1(int32_t level) { m_setting1 = level; }

    bool IsLoaded() const { return m_loaded != 0; }
    void SetLoaded(bool on) { m_loaded = on ? 1 : 0; }
    bool GetOptionFlag() const { return m_optionFlag != 0; }
    void SetOptionFlag(bool on) { m_optionFlag = on ? 1 : 0; }
    bool GetEffectSounds() const { return m_effectSounds != 0; }
    void SetEffectSounds(bool on) { m_effectSounds = on ? 1 : 0; }
    float GetVolume1() const { return m_volume1; }
    void SetVolume1(float v);
    float GetVolume2() const { return m_volume2; }
    void SetVolume2(float v);
    float GetDetail() const { return m_detail; }
    void SetDetail(float v);
    float GetStoredDetail() const { return m_storedDetail; }
    void SetStoredDetail(float v);

    int32_t GetGender() const { return m_gender; }
    void SetGender(int32_t g) { m_gender = g; }
    int32_t GetLook(int32_t i) const { return m_looks.at(static_cast<size_t>(i)); }
    void SetLook(int32_t i, int32_t v) { m_looks.at(static_cast<size_t>(i)) = v; }

    const CareerRow& GetCareer(int32_t row) const { return m_career.at(static_cast<size_t>(row)); }
    CareerRow& GetCareer(int32_t row) { return m_career.at(static_cast<size_t>(row)); }
    float GetHeaviestBass(int32_t row) const;

    const TackleSet& GetTackle() const { return m_tackle; }
    TackleSet& GetTackle() { return m_tackle; }
    int32_t GetCurrentRod() const { return m_currentRod; }
    void SetCurrentRod(int32_t rod);
    uint8_t GetFishingByte() const { return m_fishingByte; }
    void SetFishingByte(uint8_t v) { m_fishingByte = v; }

    // Fills a new player's values (detail from GetMachineCaps()); with save, writes the file.
    void SetDefaults(bool save);
    // Only bass (species 3, 10 and 11) count; saves after a change.
    void RecordBassCatch(int32_t weight, int32_t species, int32_t row);
    // place is 0-based; saves. First places stay within the top fives, and these within the
    // games started.
    void RecordFinish(int32_t place, int32_t winnings, int32_t row);
    // RecordFinish once per game: false, changing nothing, for a game already credited (a
    // final played again from a save). Game 0 is no game and always credits. With countGame the
    // row also counts the game started, as a row that never counted it does with its finish.
    bool CreditFinish(uint32_t game, int32_t place, int32_t winnings, int32_t row, bool countGame = false);
    bool HasCredited(uint32_t game) const;
    // Oldest first; 0 marks a free place.
    const std::array<uint32_t, kCreditedGames>& GetCreditedGames() const { return m_creditedGames; }

    // The body, little-endian (kBodySize bytes).
    void WriteBody(plat::ByteWriter& out) const;
    // A body of kBodySize bytes, or of kShortBodySize (no games credited yet) when that is all
    // the reader holds. False, with this profile unchanged, when the body is short, a text has
    // no end or a value lies outside its range. A career row whose first places or top fives
    // exceed what it counts below them is lowered to fit.
    bool ReadBody(plat::ByteReader& in);

    static TackleSet DefaultTackle();

private:
    using Text = std::array<char, kTextSize>;
    static void SetText(Text& field, const char* text);

    uint8_t m_loaded = 1;
    uint8_t m_optionFlag = 1;
    uint8_t m_effectSounds = 1;
    uint8_t m_reserved0 = 0;
    float m_volume2 = 1.0f;
    float m_volume1 = 0.73f;
    float m_detail = 1.0f;
    int32_t m_setting0 = 3;
    int32_t m_setting1 = 3;
    Text m_name{};
    Text m_town{};
    Text m_state{};
    int32_t m_gender = 0;
    std::array<int32_t, tovAnglerLooks::kProfileLooks> m_looks{};
    std::array<CareerRow, kCareerRows> m_career{};
    TackleSet m_tackle{};
    int32_t m_currentRod = 0;
    uint8_t m_fishingByte = 0;
    std::array<uint8_t, 11> m_reserved1{};
    float m_storedDetail = 1.0f;
    std::array<uint32_t, kCreditedGames> m_creditedGames{};
};

// The program-wide profile.
tovUserProfile& TheUserProfile();

// "<name>.wuo" in the Users folder; empty for a name that would lead out of it.
std::string ProfileFilePath(const char* name);

enum class tovProfileLoad
{
    kLoaded,
    // No file: defaults, written as a new profile (kCreateFailed when that write failed).
    kCreated,
    kCreateFailed,
    // A damaged file: defaults in memory, the file left as it is until the caller saves.
    kRefused,
};

// Reads the profile file of the profile's current name.
tovProfileLoad LoadUserProfile(tovUserProfile& profile);
// Writes the file through a temporary file and a rename, so a failed save keeps the old one.
bool SaveUserProfile(const tovUserProfile& profile);
