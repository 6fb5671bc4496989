#include "tovUserProfile.h"

#include "ByteReader.h"
#include "ByteWriter.h"
#include "DebugOutput.h"
#include "Files.h"
#include "Path.h"
#include "qrxRegistry.h"
#include "qrxTextEditor.h"
#include "tovAnglerLooks.h"
#include "tovInstallSettings.h"
#include "tovNetFacade.h"
#include "tovRegistryKey.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <unistd.h>

namespace
{

constexpr const char* kDefaultName = "Angler";
constexpr const char* kDefaultTown = "Lake City";
constexpr const char* kDefaultState = "Florida";

tovMachineCaps g_caps;

bool InUnitRange(float v)
{
    return std::isfinite(v) && v >= 0.0f && v <= 1.0f;
}

bool IsLevel(int32_t v)
{
    return v >= 0 && v <= 3;
}

bool IsFlag(uint8_t v)
{
    return v <= 1;
}

bool IsBass(int32_t species)
{
    return species == 3 || species == 10 || species == 11;
}

// 1 to maxLength characters the name field can type, not spaces only.
bool IsTypeableName(const std::string& name, size_t maxLength)
{
    if (name.empty() || name.size() > maxLength || name.find_first_not_of(' ') == std::string::npos)
        return false;
    return std::all_of(name.begin(), name.end(),
                       [](char c) { return qrxTextEditor::IsTypeable(static_cast<unsigned char>(c)); });
}

// Counts stop at the largest word rather than wrap: a negative word is a damaged file.
int32_t AddCapped(int32_t word, int32_t amount)
{
    return static_cast<int32_t>(std::clamp<int64_t>(int64_t{word} + amount, 0, INT32_MAX));
}

// Every counted word of the career rows is 0 or more; the heaviest bass too (as a float).
bool IsCareerSound(const std::array<tovUserProfile::CareerRow, tovUserProfile::kCareerRows>& rows)
{
    using P = tovUserProfile;
    for (const P::CareerRow& r : rows)
    {
        for (P::CareerWord w : {P::kGamesStarted, P::kFirstPlaces, P::kTopFives, P::kWinnings, P::kTotalBassWeight,
                                P::kBassCount, P::kPlaceSum})
            if (r[static_cast<size_t>(w)] < 0)
                return false;
        const float heaviest = std::bit_cast<float>(r[P::kHeaviestBass]);
        if (!std::isfinite(heaviest) || heaviest < 0.0f)
            return false;
    }
    return true;
}

// First places within the top fives, top fives within the games started.
void FitCareerRow(tovUserProfile::CareerRow& r)
{
    r[tovUserProfile::kTopFives] = std::min(r[tovUserProfile::kTopFives], r[tovUserProfile::kGamesStarted]);
    r[tovUserProfile::kFirstPlaces] = std::min(r[tovUserProfile::kFirstPlaces], r[tovUserProfile::kTopFives]);
}

// Reads a fixed text field; false when it holds no terminator.
bool ReadText(plat::ByteReader& in, std::array<char, tovUserProfile::kTextSize>& out)
{
    in.Read(out.data(), out.size());
    return std::memchr(out.data(), 0, out.size()) != nullptr;
}

// The body's fields, in file order, add up to the stored length.
static_assert(4 + 3 * 4 + 2 * 4 + 3 * tovUserProfile::kTextSize + 4 + 3 * 4 +
                  tovUserProfile::kCareerRows * tovUserProfile::kCareerWords * 4 +
                  tovUserProfile::kRodCount * tovUserProfile::kRodWords * 4 + 4 + 1 + 11 + 4 ==
              tovUserProfile::kShortBodySize);
static_assert(sizeof(float) == 4 && sizeof(tovUserProfile::RodRecord) == 92);

} // namespace

void SetMachineCaps(const tovMachineCaps& caps)
{
    g_caps = caps;
}

const tovMachineCaps& GetMachineCaps()
{
    return g_caps;
}

float DefaultDetailLevel(const tovMachineCaps& caps)
{
    float level = 0.0f;
    if (caps.has3D)
    {
        // Exactly the upper bound counts as the larger memory, like every size above it.
        if (caps.videoMemory < 6'291'456u)
            level = 0.2f;
        else if (caps.videoMemory < 12'291'456u)
            level = 0.8f;
        else
            level = 1.0f;
    }
    if (caps.cpuFamily5)
        level -= 0.4f;
    if (caps.cpuFamily6Model1)
        level -= 0.4f;
    return std::max(level, 0.0f);
}

tovUserProfile::tovUserProfile()
{
    SetText(m_name, kDefaultName);
    SetText(m_town, kDefaultTown);
    SetText(m_state, kDefaultState);
}

void tovUserProfile::SetText(Text& field, const char* text)
{
    field.fill(0);
    if (text != nullptr)
        std::memcpy(field.data(), text, strnlen(text, kTextSize - 1));
}

void tovUserProfile::SetName(const char* name, bool store)
{
    SetText(m_name, name);
    if (store)
        RegWriteValue(kTovRegistryKey, "LastUser", m_name.data());
}

bool tovUserProfile::IsTypedName(const std::string& name)
{
    return IsTypeableName(name, static_cast<size_t>(kNameFieldLength)) && name.front() != ' ' && name.back() != ' ';
}

std::string tovUserProfile::TrimmedName(const std::string& name)
{
    const size_t first = name.find_first_not_of(' ');
    if (first == std::string::npos)
        return std::string();
    return name.substr(first, name.find_last_not_of(' ') - first + 1);
}

bool tovUserProfile::IsKnownName(const std::string& name)
{
    if (IsTypedName(name))
        return true;
    if (!IsTypeableName(name, static_cast<size_t>(kLongNameLength)))
        return false;
    const std::string path = ProfileFilePath(name.c_str());
    return !path.empty() && plat::FileExists(path);
}

void tovUserProfile::SetTown(const char* text)
{
    SetText(m_town, text);
}

void tovUserProfile::SetState(const char* text)
{
    SetText(m_state, text);
}

int32_t tovUserProfile::GetSetting0(bool forceLocal) const
{
    if (!forceLocal && IsNetworkGame())
        return NetGetSetting0();
    return m_setting0;
}

int32_t tovUserProfile::GetSetting1(bool forceLocal) const
{
    if (!forceLocal && IsNetworkGame())
        return NetGetSetting1();
    return m_setting1;
}

void tovUserProfile::SetVolume1(float v)
{
    m_volume1 = std::clamp(v, 0.0f, 1.0f);
}

void tovUserProfile::SetVolume2(float v)
{
    m_volume2 = std::clamp(v, 0.0f, 1.0f);
}

void tovUserProfile::SetDetail(float v)
{
    m_detail = std::max(v, 0.0f);
}

void tovUserProfile::SetStoredDetail(float v)
{
    m_storedDetail = std::max(v, 0.0f);
}

void tovUserProfile::SetCurrentRod(int32_t rod)
{
    if (rod >= 0 && rod < kRodCount)
        m_currentRod = rod;
}

float tovUserProfile::GetHeaviestBass(int32_t row) const
{
    return std::bit_cast<float>(GetCareer(row)[kHeaviestBass]);
}

tovUserProfile::TackleSet tovUserProfile::DefaultTackle()
{
    struct Value
    {
        int32_t rod, index, value;
    };
    static constexpr Value kValues[] = {
        {0, 1, 1}, {0, 3, 5},                                                           //
        {1, 2, 1}, {1, 3, 5}, {1, 5, 1}, {1, 7, 4}, {1, 12, 9},                         //
        {2, 1, 3}, {2, 2, 2}, {2, 3, 6}, {2, 5, 2}, {2, 7, 1},  {2, 15, 2},             //
        {3, 1, 4}, {3, 2, 3}, {3, 3, 4}, {3, 5, 4}, {3, 7, 3},  {3, 11, 5}, {3, 17, 1}, //
        {4, 1, 4}, {4, 2, 3}, {4, 3, 3}, {4, 4, 1}, {4, 7, 2},                          //
        {5, 3, 5}, {5, 4, 1}, {5, 5, 2}, {5, 6, 2}, {5, 7, 5},  {5, 19, 2},             //
        {6, 3, 5}, {6, 4, 1}, {6, 6, 1}, {6, 8, 2},
    };
    TackleSet set{};
    for (const Value& v : kValues)
        set[static_cast<size_t>(v.rod)][static_cast<size_t>(v.index)] = v.value;
    return set;
}

void tovUserProfile::SetDefaults(bool save)
{
    m_loaded = 1;
    m_optionFlag = 1;
    m_effectSounds = 1;
    m_volume2 = 1.0f;
    m_volume1 = 0.733f;
    m_detail = DefaultDetailLevel(g_caps);
    m_storedDetail = m_detail;
    m_setting0 = 3;
    m_setting1 = 3;
    m_gender = 0;
    m_looks = {};
    m_career = {};
    m_tackle = DefaultTackle();
    m_currentRod = 0;
    m_creditedGames = {};
    if (save)
        SaveUserProfile(*this);
}

void tovUserProfile::RecordBassCatch(int32_t weight, int32_t species, int32_t row)
{
    if (!IsBass(species) || row < 0 || row >= kCareerRows)
        return;
    CareerRow& r = GetCareer(row);
    r[kTotalBassWeight] = AddCapped(r[kTotalBassWeight], weight);
    r[kBassCount] = AddCapped(r[kBassCount], 1);
    if (static_cast<float>(weight) > GetHeaviestBass(row))
        r[kHeaviestBass] = std::bit_cast<int32_t>(static_cast<float>(weight));
    SaveUserProfile(*this);
}

void tovUserProfile::RecordFinish(int32_t place, int32_t winnings, int32_t row)
{
    if (row < 0 || row >= kCareerRows)
        return;
    CareerRow& r = GetCareer(row);
    auto add = [](int32_t& word, int32_t amount) { word = AddCapped(word, amount); };
    if (place == 0)
        add(r[kFirstPlaces], 1);
    if (place >= 0 && place <= 4)
        add(r[kTopFives], 1);
    add(r[kWinnings], winnings);
    add(r[kPlaceSum], place + 1);
    // A finish in a row that counted no game for it (a network game counts the host's row)
    // must not make more wins than games.
    FitCareerRow(r);
    SaveUserProfile(*this);
}

bool tovUserProfile::HasCredited(uint32_t game) const
{
    return game != 0 && std::find(m_creditedGames.begin(), m_creditedGames.end(), game) != m_creditedGames.end();
}

bool tovUserProfile::CreditFinish(uint32_t game, int32_t place, int32_t winnings, int32_t row, bool countGame)
{
    if (HasCredited(game))
        return false;
    if (countGame && row >= 0 && row < kCareerRows)
        GetCareer(row)[kGamesStarted] = AddCapped(GetCareer(row)[kGamesStarted], 1);
    if (game != 0)
    {
        std::rotate(m_creditedGames.begin(), m_creditedGames.begin() + 1, m_creditedGames.end());
        m_creditedGames.back() = game;
    }
    RecordFinish(place, winnings, row);
    return true;
}

void tovUserProfile::WriteBody(plat::ByteWriter& out) const
{
    [[maybe_unused]] const size_t start = out.Size();
    out.U8(m_loaded);
    out.U8(m_optionFlag);
    out.U8(m_effectSounds);
    out.U8(m_reserved0);
    out.F32(m_volume2);
    out.F32(m_volume1);
    out.F32(m_detail);
    out.I32(m_setting0);
    out.I32(m_setting1);
    for (const Text* t : {&m_name, &m_town, &m_state})
        out.Write(t->data(), t->size());
    out.I32(m_gender);
    for (int32_t v : m_looks)
        out.I32(v);
    for (const CareerRow& row : m_career)
        for (int32_t v : row)
            out.I32(v);
    for (const RodRecord& rod : m_tackle)
        for (int32_t v : rod)
            out.I32(v);
    out.I32(m_currentRod);
    out.U8(m_fishingByte);
    out.Write(m_reserved1.data(), m_reserved1.size());
    out.F32(m_storedDetail);
    for (uint32_t game : m_creditedGames)
        out.U32(game);
    assert(out.Size() == start + kBodySize);
}

bool tovUserProfile::ReadBody(plat::ByteReader& in)
{
    if (in.Remaining() < kShortBodySize)
        return false;
    const bool credits = in.Remaining() >= kBodySize;
    tovUserProfile p;
    p.m_loaded = in.U8();
    p.m_optionFlag = in.U8();
    p.m_effectSounds = in.U8();
    p.m_reserved0 = in.U8();
    p.m_volume2 = in.F32();
    p.m_volume1 = in.F32();
    p.m_detail = in.F32();
    p.m_setting0 = in.I32();
    p.m_setting1 = in.I32();
    bool texts = true;
    for (Text* t : {&p.m_name, &p.m_town, &p.m_state})
        texts = ReadText(in, *t) && texts;
    p.m_gender = in.I32();
    for (int32_t& v : p.m_looks)
        v = in.I32();
    // A look no screen makes goes back to a new player's: the rest of the profile (career,
    // tackle) stays the player's, and the games the player saves can be loaded.
    for (size_t i = 0; i < p.m_looks.size(); ++i)
        p.m_looks[i] = tovAnglerLooks::ProfileLookOrDefault(static_cast<int32_t>(i), p.m_looks[i]);
    for (CareerRow& row : p.m_career)
        for (int32_t& v : row)
            v = in.I32();
    for (RodRecord& rod : p.m_tackle)
        for (int32_t& v : rod)
            v = in.I32();
    p.m_currentRod = in.I32();
    p.m_fishingByte = in.U8();
    in.Read(p.m_reserved1.data(), p.m_reserved1.size());
    p.m_storedDetail = in.F32();
    if (credits)
        for (uint32_t& game : p.m_creditedGames)
            game = in.U32();
    // A negative count is damage, which the fit below would spread over the row's wins.
    const bool career = IsCareerSound(p.m_career);
    // Earlier builds credited a final once per load of a save: such a row keeps its games,
    // winnings and places, with no more wins than top fives and top fives than games.
    for (CareerRow& row : p.m_career)
        FitCareerRow(row);

    const bool valid = !in.Failed() && texts && IsFlag(p.m_loaded) && IsFlag(p.m_optionFlag) &&
                       IsFlag(p.m_effectSounds) && InUnitRange(p.m_volume1) && InUnitRange(p.m_volume2) &&
                       InUnitRange(p.m_detail) && InUnitRange(p.m_storedDetail) && IsLevel(p.m_setting0) &&
                       IsLevel(p.m_setting1) && (p.m_gender == 0 || p.m_gender == 1) && p.m_currentRod >= 0 &&
                       p.m_currentRod < kRodCount && career;
    if (!valid)
        return false;
    *this = p;
    return true;
}

tovUserProfile& TheUserProfile()
{
    static tovUserProfile profile;
    return profile;
}

std::string ProfileFilePath(const char* name)
{
    const std::string_view n(name);
    if (n.find_first_of("/\\") != std::string_view::npos || n == "." || n == "..")
        return std::string();
    return UsersFilePath((std::string(name) + ".wuo").c_str());
}

tovProfileLoad LoadUserProfile(tovUserProfile& profile)
{
    const std::string path = ProfileFilePath(profile.GetName());
    if (path.empty())
    {
        profile.SetDefaults(false);
        return tovProfileLoad::kRefused;
    }
    FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr)
    {
        // A file that is there but cannot be opened is not replaced by a new profile.
        if (plat::FileExists(path))
        {
            profile.SetDefaults(false);
            return tovProfileLoad::kRefused;
        }
        profile.SetDefaults(false);
        return SaveUserProfile(profile) ? tovProfileLoad::kCreated : tovProfileLoad::kCreateFailed;
    }
    // One byte more than a profile, so a longer file is told apart without reading it all.
    std::array<uint8_t, tovUserProfile::kFileSize + 1> bytes{};
    const size_t got = std::fread(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    plat::ByteReader in(bytes.data(), std::min<size_t>(got, tovUserProfile::kFileSize));
    const std::string requested = profile.GetName();
    // The length names the body the file holds: today's, or the earlier one without credits.
    const bool sized =
        (got == tovUserProfile::kFileSize || got == tovUserProfile::kShortFileSize) && in.U32() == got - 4;
    if (sized && profile.ReadBody(in))
    {
        // The file keeps the name that found it: a stored name must never pick the file that
        // the next save writes over, and one differing only in case names another file here.
        if (requested != profile.GetName())
            profile.SetName(requested.c_str(), false);
        profile.SetLoaded(true);
        return tovProfileLoad::kLoaded;
    }
    plat::DebugOutput(("profile refused: " + path).c_str());
    profile.SetDefaults(false);
    return tovProfileLoad::kRefused;
}

bool SaveUserProfile(const tovUserProfile& profile)
{
    plat::ByteWriter out;
    out.U32(tovUserProfile::kBodySize);
    profile.WriteBody(out);
    const std::string path = ProfileFilePath(profile.GetName());
    if (path.empty())
        return false;
    const std::string temp = path + ".tmp" + std::to_string(getpid());
    if (!plat::WriteFile(temp, out.Buffer().data(), out.Size()))
    {
        std::remove(temp.c_str());
        return false;
    }
    std::error_code ec;
    std::filesystem::rename(temp, path, ec);
    if (ec)
    {
        std::remove(temp.c_str());
        return false;
    }
    return true;
}
