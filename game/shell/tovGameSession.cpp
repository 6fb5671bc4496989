#include "tovGameSession.h"

#include "tovAppServices.h"
#include "tovGameClock.h"
#include "tovLakeCatalogue.h"
#include "tovMessageBox.h"
#include "tovNetFacade.h"
#include "tovSessionHooks.h"
#include "tovUserProfile.h"
#include "uRandom.h"

#include <algorithm>
#include <cstdint>

namespace
{

int32_t g_liveSessions = 0;
tovGameSession* g_session = nullptr;

// A game number is the profile's games started, in the bits above these, over a draw.
constexpr uint32_t kGameNumberDrawBits = 20;
constexpr uint32_t kGameNumberStartedLimit = 1u << (32 - kGameNumberDrawBits);

uRandom& GameNumbers()
{
    static uRandom numbers(1);
    return numbers;
}

// The profile's games started (which only grow) above a draw: a new game on a profile never
// repeats a number it drew in the last 4096 games, whatever the run's seed. Never 0.
uint32_t NewGameNumber(const tovUserProfile& profile)
{
    uint32_t started = 0;
    for (int32_t row = 0; row < tovUserProfile::kCareerRows; ++row)
        started += static_cast<uint32_t>(profile.GetCareer(row)[tovUserProfile::kGamesStarted]);
    const uint32_t draw = static_cast<uint32_t>(GameNumbers().next()) % ((1u << kGameNumberDrawBits) - 1u) + 1u;
    return (started << kGameNumberDrawBits) | draw;
}

} // namespace

tovGameSession* TheGameSession()
{
    return g_session;
}

void SeedGameNumbers(int32_t seed)
{
    GameNumbers().seed(seed);
}

int32_t& RemainingTime()
{
    static int32_t remaining = 0;
    return remaining;
}

tovGameSession::tovGameSession()
{
    ++g_liveSessions;
    g_session = this;
}

tovGameSession::~tovGameSession()
{
    if (g_session == this)
        g_session = nullptr;
    m_current = nullptr;
    m_anglers.clear();
    if (--g_liveSessions == 0)
        TheLakeCatalogue().Clear();
}

void tovGameSession::Start(int32_t mode, bool createAnglers, bool continuing)
{
    tovUserProfile& profile = TheUserProfile();
    profile.SetDetail(profile.GetStoredDetail());
    SaveUserProfile(profile);
    // A network game counts in the network row, as its catches do, not in the host's skill row;
    // a loaded game is credited to the row it was counted in when it began, which its save
    // keeps (an older save's to the row the player plays in).
    if (!continuing)
        m_savedCareerRow = -1;
    if (m_resumed && m_savedCareerRow >= 0 && m_savedCareerRow < tovUserProfile::kCareerRows)
    {
        m_careerRow = m_savedCareerRow;
        m_careerRowOwn = true;
    }
    else if (!continuing || m_resumed)
    {
        m_careerRow = IsNetworkGame() ? kNetworkCareerRow : GetSkillLevel(true);
        m_careerRowOwn = !continuing;
    }
    const int32_t row = m_careerRow;
    if ((mode == kTournament || mode == kSeason) && !continuing && row >= 0 && row < tovUserProfile::kCareerRows)
    {
        int32_t& games = profile.GetCareer(row)[tovUserProfile::kGamesStarted];
        games = games < INT32_MAX ? games + 1 : games;
        SaveUserProfile(profile);
    }
    if (!continuing)
        m_gameNumber = NewGameNumber(profile);
    RemainingTime() = 0;
    m_dayOver = false;
    if (!continuing)
        m_cutFromField = false;
    m_mode = mode;
    ClearAnglers();
    NextDay();
    NetNoteDayBegun();
    UpdateMessageScreen(0.0f, 0.0f);
    GetAppServices().ShowBusyPicture();
    if (createAnglers)
    {
        tovRigFactory& factory = GetRigFactory();
        if (QrPointer<tovAnglerRigBase> local = factory.CreateLocalRig(profile.GetDetail() < 0.2f))
            AddAngler(local.Get(), true);
        if (mode != kPractice)
            for (int32_t i = 0, n = ComputerAnglersBeside(OtherPlayers()); i < n; ++i)
                if (QrPointer<tovAnglerRigBase> rig = factory.CreateComputerRig(profile.GetDetail() < 0.95f))
                    AddAngler(rig.Get(), false);
    }
    GetFishingModeHooks().BeginGame(*this);
}

int32_t tovGameSession::OtherPlayers()
{
    if (!IsNetworkGame())
        return 0;
    const int32_t local = NetGetLocalSlot();
    int32_t others = 0;
    for (int32_t slot = 0; slot < tovNetworkPlay::kMaxPlayers; ++slot)
    {
        char name[64] = {};
        others += slot != local && NetGetPlayerName(slot, name, sizeof name) ? 1 : 0;
    }
    return others;
}

bool tovGameSession::IsCountedIn(const tovUserProfile& profile) const
{
    if (!m_careerRowOwn || m_careerRow < 0 || m_careerRow >= tovUserProfile::kCareerRows)
        return false;
    if (profile.GetCareer(m_careerRow)[tovUserProfile::kGamesStarted] <= 0)
        return false;
    int64_t started = 0;
    for (int32_t row = 0; row < tovUserProfile::kCareerRows; ++row)
        started += profile.GetCareer(row)[tovUserProfile::kGamesStarted];
    // Past the number's field the count wrapped and tells nothing.
    return started >= kGameNumberStartedLimit || started >= (m_gameNumber >> kGameNumberDrawBits);
}

void tovGameSession::SetDay(int32_t day, bool /*force*/)
{
    // A client's session ignores it; the host's sends it on.
    NetSetDay(day, true);
    SetOwnDay(day);
}

void tovGameSession::SetOwnDay(int32_t day)
{
    m_day = day;
    ResetGameClock();
    // The new day's clock starts on the lake: a network day would run through the waits before it.
    TheGameClock().SetFlags(TheGameClock().GetFlags() & ~tovGameClockBase::kRunning);
}

void tovGameSession::SetDayOver()
{
    m_dayOver = true;
    // A day over stands still: a network day's clock runs on every page and would run on past it.
    TheGameClock().SetFlags(TheGameClock().GetFlags() & ~tovGameClockBase::kRunning);
}

int32_t tovGameSession::GetSkillLevel(bool forceLocal) const
{
    if (!forceLocal && IsNetworkGame())
        return NetGetPlayerIndex();
    return m_skillLevel;
}

void tovGameSession::SetSkillLevel(int32_t level, bool broadcast)
{
    m_skillLevel = level;
    NetSetPlayerIndex(level, broadcast);
}

void tovGameSession::AddAngler(tovAnglerRigBase* angler, bool makeCurrent)
{
    m_anglers.emplace_back(angler);
    if (makeCurrent)
        m_current = angler;
}

void tovGameSession::RemoveAngler(tovAnglerRigBase* angler)
{
    const auto it = std::find(m_anglers.begin(), m_anglers.end(), angler);
    if (it == m_anglers.end())
        return;
    // Held until the end, so the current pointer never dangles while the vector changes.
    const QrPointer<tovAnglerRigBase> keep = *it;
    m_anglers.erase(it);
    if (m_current == angler)
        m_current = m_anglers.empty() ? nullptr : m_anglers.front();
}

void tovGameSession::SetCurrentAngler(tovAnglerRigBase* angler)
{
    if (m_current == angler)
        return;
    if (angler != nullptr && std::find(m_anglers.begin(), m_anglers.end(), angler) == m_anglers.end())
        return;
    m_current = angler;
}

void tovGameSession::ClearAnglers()
{
    m_current = nullptr;
    GetFishingModeHooks().EndGame();
    m_anglers.clear();
}

void tovGameSession::ClearDayRecords()
{
    m_dayFlags = {};
    m_dayValues1 = {};
    m_dayValues2 = {};
    m_dayResults1 = {};
    m_dayResults2 = {};
}

bool tovGameSession::IsSeasonUnderWay(int32_t length) const
{
    return length >= 0 && length < kDays && m_dayFlags[static_cast<size_t>(length)] != 0;
}

int32_t tovGameSession::SeasonLakeIndex(int32_t length) const
{
    if (!IsSeasonUnderWay(length))
        return 0;
    const size_t s = static_cast<size_t>(length);
    const int32_t next = m_dayValues2[s];
    // A loaded game's counts: a position past the order names no lake.
    if (next < 0 || next >= std::min(m_dayValues1[s], kSeasonLakes))
        return -1;
    return m_block[s * kSeasonLakes + static_cast<size_t>(next)];
}
