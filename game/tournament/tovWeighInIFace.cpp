#include "tovWeighInIFace.h"

#include "AviObject.h"
#include "ButtonObj.h"
#include "qrxClock.h"
#include "qrxFloatingText.h"
#include "tovAnnouncer.h"
#include "tovGameSession.h"
#include "tovInstallSettings.h"
#include "tovLakeCatalogue.h"
#include "tovNetFacade.h"
#include "tovSoundSettings.h"
#include "tovUserProfile.h"
#include "tovWeighInNet.h"
#include "uRandom.h"

#include "GccWarnings.h"
#include "KeyNumbers.h"

#include "Font.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <utility>

namespace
{
constexpr uint32_t kGroup = 21;
constexpr int32_t kCrowdFirst = 833;
constexpr int32_t kAfterOpening = 838;
constexpr int32_t kLivewellScreen = 3;
constexpr int32_t kNextDayScreen = 2;
constexpr int32_t kSetUpScreen = tovAppServices::kSetUpId;
constexpr int32_t kMainMenu = tovAppServices::kMainMenuId;
constexpr int32_t kDayStartScreen = 19;
constexpr int32_t kHelpPicture = tovAppServices::kHelpPictureId;
constexpr int32_t kCrowdSteps = 7;

tovWeighInIFace* g_weighIn = nullptr;

tovWeighInIFace* Self(uintptr_t arg)
{
    return reinterpret_cast<tovWeighInIFace*>(arg);
}

std::string Format(const char* format, auto... args)
{
    // Sized by a first pass: a long angler name is never cut.
    const int length = std::snprintf(nullptr, 0, format, args...);
    if (length <= 0)
        return {};
    std::string text(static_cast<size_t>(length) + 1, '\0');
    std::snprintf(text.data(), text.size(), format, args...);
    text.resize(static_cast<size_t>(length));
    return text;
}
// A prize as paid, in dollars with a comma between thousands: "$4,500", "$100,000"; nothing
// paid reads "$0,000", as the board's whole thousands always have.
std::string PrizeText(int64_t dollars)
{
    if (dollars == 0)
        return "$0,000";
    // Written from the right into a buffer that holds the longest amount: a string insert here
    // draws a false bounds warning from GCC 12 at -O3.
    uint64_t rest = dollars < 0 ? 0 - static_cast<uint64_t>(dollars) : static_cast<uint64_t>(dollars);
    std::array<char, 32> text{};
    size_t at = text.size();
    for (int32_t digits = 0; rest != 0 || digits == 0; ++digits, rest /= 10)
    {
        if (digits > 0 && digits % 3 == 0)
            text[--at] = ',';
        text[--at] = static_cast<char>('0' + rest % 10);
    }
    text[--at] = '$';
    if (dollars < 0)
        text[--at] = '-';
    return std::string(text.data() + at, text.size() - at);
}
} // namespace

tovWeighInIFace* TheWeighIn()
{
    return g_weighIn;
}

void ResetStandings()
{
    if (g_weighIn != nullptr)
        g_weighIn->ResetStandingsData();
}

tovWeighInIFace::tovWeighInIFace(std::unique_ptr<tovWeighInPorts> ports)
    : m_ports(ports ? std::move(ports) : std::make_unique<tovWeighInPorts>()), m_clip(std::make_unique<AviObject>()),
      m_font(plat::Font::Create("Arial", kBoardTextHeight, 700)),
      m_smallFont(plat::Font::Create("Arial", kSmallTextHeight, 700))
{
    m_state.timers.fill(kOff);
    ResetStandingsData();
    g_weighIn = this;
}

tovWeighInIFace::~tovWeighInIFace()
{
    if (g_weighIn == this)
        g_weighIn = nullptr;
}

void tovWeighInIFace::ResetStandingsData()
{
    m_standings.Reset();
    m_state.firstFish = true;
}

bool tovWeighInIFace::IsClipPlaying() const
{
    return m_clip->IsPlaying();
}

int32_t tovWeighInIFace::Length() const
{
    return std::clamp(TheUserProfile().GetSetting1(false), 0, 3);
}

bool tovWeighInIFace::IsSeason() const
{
    const tovGameSession* session = TheGameSession();
    return session != nullptr && session->GetMode() == tovGameSession::kSeason;
}

int32_t tovWeighInIFace::Draw(int32_t modulus)
{
    return SharedRandom().next() % modulus;
}

bool tovWeighInIFace::Due(Timer t, uint32_t nowMs) const
{
    return m_state.timers[t] != kOff && nowMs >= m_state.timers[t];
}

void tovWeighInIFace::Arm(Timer t, uint32_t nowMs, uint32_t delayMs)
{
    // A deadline never lands on the off value.
    m_state.timers[t] = std::min(nowMs + delayMs, kOff - 1);
}

void tovWeighInIFace::Prepare(int32_t)
{
    LoadGroup(kGroup);
}

void tovWeighInIFace::Enter(int32_t previousId)
{
    m_nowMs = GetTimeMs();
    // Back from the help picture: the page it left goes on, the day is not set up again (that
    // re-rolled the field and, in a network game, exchanged the catches a second time).
    if (previousId == kHelpPicture && std::exchange(m_leftForHelp, false))
    {
        ResumeAfterHelp();
        return;
    }
    tovGameSession* session = TheGameSession();
    // Without a game under way (day 0) the field is weighed as a first day.
    m_standings.m_day = std::max(session != nullptr ? session->GetDay() : 1, 1);
    const int32_t s = Length();
    m_boardSelector = kBoardPicture;
    m_state.firstPlaceShown = 1;
    Arm(kCrowdNoise, m_nowMs, 2000);
    if (session != nullptr && !IsSeason())
        session->m_dayFlags[static_cast<size_t>(s)] = 0;
    // Weighed in early from the travel map, too: the day is over.
    if (session != nullptr)
        session->SetDayOver();

    m_state.clipDone = false;
    m_state.soundDone = false;
    m_previousScreen = previousId;
    SetBackground(kBoardPicture);
    ShowBoard();

    if (previousId == kLivewellScreen && m_chosenPlace >= 0)
    {
        const int32_t ounces = m_ports->TakeLivewellFish(m_chosenPlace);
        m_chosenPlace = -1;
        if (ounces >= 0)
        {
            m_standings.m_weighedFish = ounces;
            Arm(kGetUp, m_nowMs, 500);
            m_boardSelector = 0;
            m_standings.AddLocalFish(ounces);
            m_state.callPending = false;
            return;
        }
    }
    if (previousId == kLivewellScreen && m_standings.m_fieldSize > 0)
    {
        // Back without a fish: the call stands; setting the day up again would re-roll the field.
        m_state.callPending = true;
        return;
    }
    SetUpDay();
}

void tovWeighInIFace::ShowBoard()
{
    m_board = Picture(kBoardPicture);
    m_nextScreen = 0;
    m_escapePressed = false;
    ShowAppCursor(true);
    if (m_font)
        m_text = std::make_unique<qrxFloatingText>(m_font.get(), plat::MakeColorRef(255, 255, 255));
    if (m_smallFont)
        m_smallText = std::make_unique<qrxFloatingText>(m_smallFont.get(), plat::MakeColorRef(255, 255, 255));
}

void tovWeighInIFace::ResumeAfterHelp()
{
    SetBackground(m_backgroundId);
    ShowBoard();
    // The page's time stood still while the keys were read: the board page left is the one shown
    // again, for what was left of its time, and no call or step falls due at once.
    const uint64_t away = m_nowMs - m_leftForHelpAtMs;
    for (uint32_t& timer : m_state.timers)
        if (timer != kOff)
            timer = static_cast<uint32_t>(std::min<uint64_t>(timer + away, kOff - 1));
    // The clip and the opening sound stopped on the way out: their ends come now, as a click's.
    const uintptr_t self = reinterpret_cast<uintptr_t>(this);
    if (SoundEndCallback end = std::exchange(m_clipEndOnReturn, nullptr))
        end(self);
    if (m_state.clipDone && !m_state.soundDone)
        OnOpeningSoundEnd(self);
}

void tovWeighInIFace::SetUpDay()
{
    const uint32_t noise = m_state.timers[kCrowdNoise];
    const int32_t firstShown = m_state.firstPlaceShown;
    m_state = Ceremony{};
    m_state.timers.fill(kOff);
    m_state.timers[kCrowdNoise] = noise;
    m_state.firstPlaceShown = firstShown;

    const int32_t s = Length();
    const int32_t day = m_standings.m_day;
    int32_t field = tovStandings::FieldSize(s, day);
    // A day past the tournament's length is weighed as its final.
    if (field == 0)
        field = 5;
    // A player cut from the field keeps its slot 0 out of the field, one row past the others.
    const bool cut = IsCutCopy();
    if (cut)
        field += 1;
    m_standings.PrepareDay(s, day);

    const tovLakeValues& lake = TheLakeCatalogue().GetValues();
    tovOpponentRollContext ctx;
    ctx.dayLength = TheUserProfile().GetSetting0(false);
    const tovGameSession* session = TheGameSession();
    ctx.skillLevel = session != nullptr ? session->GetSkillLevel(false) : 0;
    static constexpr int32_t kSpecies[3] = {3, 10, 11};
    for (size_t k = 0; k < 3; ++k)
    {
        const auto& triple = lake.speciesTriples[static_cast<size_t>(kSpecies[k])];
        ctx.shares[k] = triple[2];
        ctx.bounds[k] = {triple[0], triple[1]};
    }
    tovWeighInPorts* ports = m_ports.get();
    ctx.fishSize = [ports](int32_t sp, float x, float lo, float hi, int32_t skill, float f)
    { return ports->FishSize(sp, x, lo, hi, skill, f); };
    ctx.random = &SharedRandom();

    std::vector<int32_t> livewell = m_ports->LivewellWeights();
    // A network day: every player's catch first, then computer anglers from the host's seed.
    const bool network = IsNetworkDay();
    std::vector<tovWeighInNet::Player> players;
    std::string localName = TheUserProfile().GetName();
    uRandom fieldRandom(1);
    if (network)
    {
        ShowWaiting(false);
        players = tovWeighInNet::ExchangeCatches(tovWeighInNet::DayCatch(livewell));
        NetSetWaitDrawing(nullptr);
        fieldRandom.seed(static_cast<int32_t>(tovWeighInNet::FieldSeed()) + 1);
        ctx.random = &fieldRandom;
        // The session's name for this player, which the host may have made unique, so that
        // every copy's board names its row alike.
        char given[tovStandings::kNameSize] = {};
        if (NetGetPlayerName(NetGetLocalSlot(), given, sizeof given) && given[0] != '\0')
            localName = given;
    }
    // Every player's name, this copy's too: the same on every copy, so the same draws.
    std::vector<std::string> playerNames{localName};
    for (const tovWeighInNet::Player& player : players)
        playerNames.push_back(player.name);
    m_standings.SetReservedNames(std::move(playerNames));
    const size_t before = livewell.size();
    m_standings.RunDay(field, livewell, localName.c_str(), lake.intList, ctx);
    if (!network)
    {
        // A network game loaded alone: its other players are not in this game, so they have left.
        for (int32_t slot = 1; slot < m_standings.m_fieldSize; ++slot)
            if (m_standings.IsPlayer(slot))
                m_standings.MarkLeft(slot);
    }
    else
    {
        const int32_t localMark = cut ? 0 : tovWeighInNet::RowMark(NetGetPlayerId(NetGetLocalSlot()));
        tovWeighInNet::PlacePlayers(m_standings, players, localMark, tovWeighInNet::FieldSeed(), ctx);
        m_fieldOrder = m_standings.m_ranking;
    }
    if (cut)
    {
        PassCutDay();
        return;
    }
    if (livewell.size() < before)
    {
        // The one fish RunDay dropped is the smallest.
        std::vector<int32_t> all = m_ports->LivewellWeights();
        m_ports->ReleaseLivewellFish(*std::min_element(all.begin(), all.end()));
    }

    m_ports->SetLakeSounds(false);
    if (IsFinal())
    {
        if (!m_ports->SetOpeningSound(true, &OnOpeningSoundEnd, reinterpret_cast<uintptr_t>(this)))
            m_state.soundDone = true;
        // After the sound: a missing clip ends at once and needs to know whether it is done.
        PlayClip("Spin.avi", &OnOpeningClipEnd);
    }
    else
    {
        Arm(kDayResults, m_nowMs, 2000);
    }
}

bool tovWeighInIFace::IsCutCopy() const
{
    const tovGameSession* session = TheGameSession();
    return session != nullptr && session->IsCutFromField() && IsNetworkDay();
}

void tovWeighInIFace::PassCutDay()
{
    const int32_t field = m_standings.m_fieldSize;
    // Slot 0 holds no one: last in the ranking, below every equal total.
    auto& ranking = m_standings.m_ranking;
    const auto someone = [](int32_t slot) { return slot != 0; };
    std::stable_partition(ranking.begin(), ranking.begin() + field, someone);
    m_standings.AddAllCatches(field);
    m_standings.SortRanking(field);
    // Below a player who left, too: the finalists' boards list that player in its place.
    std::stable_partition(ranking.begin(), ranking.begin() + field, someone);
    m_boardSelector = kBoardPicture;
    if (field - 1 > 5)
    {
        // A day before the final: the cut of the others, and on to the next day's wait.
        CloseNetworkDay(true);
        CutWithoutLocal(field - 1);
        m_nextScreen = kDayStartScreen;
        if (tovGameSession* session = TheGameSession())
            session->RestartGame(false);
        return;
    }
    // The final's board, its results closed at once so that nobody waits for this player.
    m_ports->SetLakeSounds(false);
    m_state.prizesShown = true;
    CloseNetworkDay(false);
    m_networkClosed = true;
    m_state.ceremonyOver = true;
}

void tovWeighInIFace::CutWithoutLocal(int32_t field)
{
    m_standings.Cut(field);
    m_standings.SetName(0, "");
    m_standings.SetPlayer(0, 0);
}

void tovWeighInIFace::Leave(int32_t)
{
    m_board = nullptr;
    m_background = nullptr;
    m_text.reset();
    m_smallText.reset();
    for (int32_t id = 6190; id <= 6195; ++id)
        m_ports->StopSound(id);
    m_ports->SetOpeningSound(false, nullptr, 0);
    m_clipEndOnReturn = m_clip->IsPlaying() ? m_clipEnd : nullptr;
    // A clip still running would call back into a screen that has gone.
    m_clip->SetEndCallback(nullptr, 0);
    m_clip->Stop();
    UnloadGroup(kGroup);
}

void tovWeighInIFace::Exit(int32_t nextId)
{
    // The help picture comes back here: the ceremony stands as it was left.
    m_leftForHelp = nextId == kHelpPicture;
    if (m_leftForHelp)
    {
        m_leftForHelpAtMs = GetTimeMs();
        return;
    }
    m_clipEndOnReturn = nullptr;
    const int32_t firstShown = m_state.firstPlaceShown;
    m_state = Ceremony{};
    m_state.firstPlaceShown = firstShown;
    m_state.timers.fill(kOff);
    // Left by any road, not only the final's click: the next final closes its results again.
    m_networkClosed = false;
}

void tovWeighInIFace::PreUpdate(float)
{
    m_spaceStoppedClip = m_clip->IsPlaying() && WasKeyPressed(plat::kKeySpace);
    if (m_spaceStoppedClip)
        m_clip->Stop();
}

int32_t tovWeighInIFace::Update(float now, float elapsed)
{
    if (Renderer() == nullptr)
        return m_nextScreen;
    // Space and Escape lead on as a click does, an addition to the screen's prompts.
    const bool space = WasKeyPressed(plat::kKeySpace) && !m_spaceStoppedClip;
    const bool escape = std::exchange(m_escapePressed, false);
    const bool clicked =
        ButtonObj::GetButtonsActive() && (WasButtonPressed(0) || space || escape) && !IsMessageBoxRaised();
    if (m_clip->IsPlaying())
    {
        // The clips are smaller than the screen: the picture goes under each frame, so no
        // earlier frame (the waiting line) stays around the clip.
        if (QrImage* picture = ShownPicture())
            DrawPicture(picture, 0, 0);
        m_clip->Update(now, elapsed);
    }
    Step(GetTimeMs(), clicked);
    Draw();
    UpdateMessageScreen(now, elapsed);
    Present();
    return m_nextScreen;
}

bool tovWeighInIFace::AllowsEscape()
{
    m_escapePressed = true;
    return false;
}

void tovWeighInIFace::Step(uint32_t nowMs, bool clicked)
{
    m_nowMs = nowMs;
    if (clicked && !m_state.weighing)
        HandleClick();
    RunTimers(nowMs);
}

void tovWeighInIFace::SetBackground(int32_t id)
{
    m_backgroundId = id;
    m_background = Picture(static_cast<uint32_t>(id));
}

void tovWeighInIFace::PlayWithEnd(int32_t id, SoundEndCallback onEnd)
{
    const uintptr_t self = reinterpret_cast<uintptr_t>(this);
    if (!m_ports->PlaySound(id, false, onEnd, self))
        onEnd(self);
}

void tovWeighInIFace::PlayClip(const char* name, SoundEndCallback onEnd)
{
    m_lastClip = name;
    const std::string path = GetInstallRoot() + "/video/" + name;
    m_clip->Stop();
    m_clipEnd = onEnd;
    m_clip->SetEndCallback(onEnd, reinterpret_cast<uintptr_t>(this));
    // A clip that is missing or cannot play ends at once, so the ceremony goes on.
    if (m_clip->Play(path.c_str(), 0, 0) != 0)
    {
        m_clip->SetEndCallback(nullptr, 0);
        onEnd(reinterpret_cast<uintptr_t>(this));
    }
}

void tovWeighInIFace::StartCrowdPictures(uint32_t nowMs)
{
    m_state.crowdCounter = 0;
    m_state.timers[kCrowdPictures] = nowMs;
}

void tovWeighInIFace::OnOpeningClipEnd(uintptr_t arg)
{
    tovWeighInIFace* self = Self(arg);
    self->m_state.clipDone = true;
    // The sound plays on to its end, which the crowd still waits for; a sound that has not
    // begun by the clip's end has no end to wait for.
    const bool soundPlays = self->m_ports->SetOpeningSound(false, &OnOpeningSoundEnd, arg);
    // With the first volume at 0 the opening sound is not waited for.
    if (TheUserProfile().GetVolume1() <= 0.0f || !soundPlays)
        self->m_state.soundDone = true;
    if (self->m_state.soundDone)
        self->StartCrowdPictures(self->m_nowMs);
    self->SetBackground(kAfterOpening);
    self->m_boardSelector = 0;
}

void tovWeighInIFace::OnOpeningSoundEnd(uintptr_t arg)
{
    tovWeighInIFace* self = Self(arg);
    if (self->m_state.soundDone)
        return;
    self->m_state.soundDone = true;
    if (self->m_state.clipDone)
        self->StartCrowdPictures(self->m_nowMs);
}

void tovWeighInIFace::HandleClick()
{
    Ceremony& c = m_state;
    if (m_clip->IsPlaying())
    {
        m_clip->Stop();
    }
    else if (c.waitForClick)
    {
        c.waitForClick = false;
        c.callPending = false;
        c.weighing = true;
        // Weighing resumes when its step is due; a call answered with no fish left to bring
        // (let go from the livewell) has none armed yet.
        if (c.timers[kWeighStep] == kOff)
            Arm(kWeighStep, m_nowMs, 3500);
    }
    else if (c.seasonPage)
    {
        LeaveSeasonPage();
    }
    else if (c.ceremonyOver)
    {
        c.ceremonyOver = false;
        c.prizesShown = false;
        FinishTournament();
    }
    else if (c.callPending)
    {
        if (!LivewellHasFish())
        {
            c.waitForClick = true;
            return;
        }
        c.waitForClick = false;
        c.callPending = false;
        if (c.firstFish)
        {
            c.firstFish = false;
            m_nextScreen = kLivewellScreen;
        }
        else
        {
            PlayWithEnd(m_ports->LivewellWeights().size() == 1 ? 6140 : 6137, &OnNextFishLineEnd);
        }
    }
    else if (c.dayResultsShown)
    {
        LeaveDayResults();
    }
}

void tovWeighInIFace::LeaveDayResults()
{
    Ceremony& c = m_state;
    c.dayResultsShown = false;
    const int32_t field = m_standings.m_fieldSize;
    const bool advances = m_standings.Advances(field, Length());
    // Cut from a network tournament: the player stays in the session, holding no one, until the
    // final's board.
    const bool stays = !advances && StaysCut();
    CloseNetworkDay(advances || stays);
    if (stays)
    {
        CreditCareer(0);
        if (IsSeason())
            BookSeasonWeight();
        CutWithoutLocal(field);
        m_nextScreen = kDayStartScreen;
        m_ports->SetLakeSounds(true);
        if (tovGameSession* session = TheGameSession())
        {
            session->SetCutFromField(true);
            session->RestartGame(false);
        }
        return;
    }
    if (!advances)
    {
        CreditCareer(0);
        if (IsSeason())
        {
            BookSeasonWeight();
            c.seasonPage = true;
        }
        else
        {
            m_nextScreen = kMainMenu;
            m_ports->SetLakeSounds(true);
        }
        return;
    }
    m_nextScreen = kNextDayScreen;
    const int32_t s = Length();
    // A field as large the next day (days 1 and 2 of four, whose totals count together) goes
    // on whole: a cut would leave the carried totals under other anglers' names.
    if (tovStandings::FieldSize(s, m_standings.m_day + 1) < field)
        m_standings.Cut(field);
    if (IsSeason() && s >= 1 && !(s == 3 && m_standings.m_day == 1))
        BookSeasonWeight();
    m_ports->SetLakeSounds(true);
    // A new day on fresh water: new anglers with empty livewells, so no fish is weighed twice.
    if (tovGameSession* session = TheGameSession())
        session->RestartGame();
}

void tovWeighInIFace::OnNextFishLineEnd(uintptr_t arg)
{
    tovWeighInIFace* self = Self(arg);
    self->Arm(kComment, self->m_nowMs, 1500);
}

void tovWeighInIFace::RunTimers(uint32_t nowMs)
{
    Ceremony& c = m_state;
    if (Due(kCrowdPictures, nowMs))
    {
        if (c.crowdCounter == 1)
            m_ports->PlaySound(6129 + Draw(2), false, nullptr, 0);
        const int32_t picture = Draw(8);
        SetBackground(kCrowdFirst + picture);
        m_boardSelector = picture;
        Arm(kCrowdPictures, nowMs, 650);
        if (++c.crowdCounter >= kCrowdSteps)
        {
            m_boardSelector = kBoardPicture;
            Off(kCrowdPictures);
            m_ports->PlaySound(6131, false, nullptr, 0);
            Arm(kCallPlayer, nowMs, 20000);
        }
    }
    if (Due(kCallPlayer, nowMs))
        CallPlayer(nowMs);
    if (Due(kBoardPage, nowMs))
    {
        c.firstPlaceShown += 5;
        if (c.firstPlaceShown >= m_standings.m_fieldSize)
            c.firstPlaceShown = 1;
        Arm(kBoardPage, nowMs, 5000);
    }
    if (Due(kGetUp, nowMs))
    {
        Off(kGetUp);
        GetUp();
    }
    if (Due(kComment, nowMs))
    {
        Off(kComment);
        Comment();
    }
    if (Due(kCrowdNoise, nowMs))
    {
        m_ports->PlaySound(6190 + Draw(5), false, nullptr, 0);
        Arm(kCrowdNoise, nowMs, static_cast<uint32_t>(Draw(12) + 4) * 500);
    }
    if (Due(kDayResults, nowMs))
    {
        Off(kDayResults);
        DayResults(nowMs);
    }
    if (c.resultsReady)
    {
        c.resultsReady = false;
        ResultsReady();
    }
    else if (c.weighing && Due(kWeighStep, nowMs))
    {
        WeighStep(nowMs);
    }
}

void tovWeighInIFace::CallPlayer(uint32_t nowMs)
{
    Off(kCallPlayer);
    if (!LivewellHasFish())
    {
        m_state.weighing = true;
        Arm(kWeighStep, nowMs, 3500);
        return;
    }
    m_ports->PlaySound(6132, false, nullptr, 0);
    m_state.callPending = true;
    m_state.firstFish = true;
}

void tovWeighInIFace::GetUp()
{
    m_ports->PlaySound(6072, false, nullptr, 0);
    static const char* const kClips[2][3] = {{"GetupM.avi", "GetupM02.avi", "GetupM03.avi"},
                                             {"GetupF.avi", "GetupF02.avi", "GetupF03.avi"}};
    const int32_t gender = TheUserProfile().GetGender() == 1 ? 1 : 0;
    m_boardSelector = 0;
    m_state.weighing = false;
    PlayClip(kClips[gender][Draw(3)], &OnGetUpClipEnd);
}

void tovWeighInIFace::OnGetUpClipEnd(uintptr_t arg)
{
    tovWeighInIFace* self = Self(arg);
    self->m_ports->StopSound(6072);
    const int32_t picture = self->Draw(8);
    self->SetBackground(kCrowdFirst + picture);
    self->m_boardSelector = picture;
    const int32_t ounces = self->m_standings.m_weighedFish;
    const std::string text =
        Format("%s your fish weighed in at %5.2f pounds.", TheUserProfile().GetName(), ounces * 0.0625);
    const int32_t line = tovAnnouncer::WeightLine(ounces, [self](int32_t m) { return self->Draw(m); });
    self->m_ports->PlaySound(line, false, nullptr, 0);
    self->m_ports->ShowMessageBox(text.c_str(), &OnWeightMessageClosed, arg);
}

bool tovWeighInIFace::OnWeightMessageClosed(int32_t, uintptr_t arg)
{
    tovWeighInIFace* self = Self(arg);
    Ceremony& c = self->m_state;
    self->m_boardSelector = kBoardPicture;
    self->Arm(kWeighStep, self->m_nowMs, 3500);
    c.weighing = false;
    c.waitForClick = true;
    const int32_t leader = self->m_standings.m_ranking[0];
    if (leader == 0)
        self->m_ports->PlaySound(6071, false, nullptr, 0);
    else if (self->LivewellHasFish())
    {
        self->PlayWithEnd(tovAnnouncer::LeaderLine(leader, [self](int32_t m) { return self->Draw(m); }),
                          &OnLeaderLineEnd);
    }
    self->ClearButton(0);
    return true;
}

void tovWeighInIFace::OnLeaderLineEnd(uintptr_t arg)
{
    tovWeighInIFace* self = Self(arg);
    self->Off(kCallPlayer);
    self->m_state.callPending = true;
    self->m_state.weighing = false;
}

void tovWeighInIFace::Comment()
{
    int32_t p = m_standings.LocalPlace();
    if (p < 0)
        p = 5;
    const int32_t leaderSlot = m_standings.m_ranking[0];
    // Outside the first five the comparison is with fifth place.
    const int32_t slot = m_standings.m_ranking[static_cast<size_t>(std::min(p, 4))];
    const int32_t pounds = static_cast<int32_t>(m_standings.m_totals[leaderSlot] - m_standings.m_totals[slot]) / 16;
    if (LivewellHasFish())
    {
        m_ports->PlaySound(tovAnnouncer::CommentLine(pounds, [this](int32_t m) { return Draw(m); }), false, nullptr, 0);
        m_nextScreen = kLivewellScreen;
    }
}

void tovWeighInIFace::WeighStep(uint32_t nowMs)
{
    const tovStandings::Reveal r = m_standings.RevealNext(LivewellHasFish());
    if (r == tovStandings::Reveal::kWait)
    {
        Off(kWeighStep);
        // Waiting with weighing still set would ignore the click that calls the player.
        m_state.weighing = false;
        m_state.callPending = true;
        return;
    }
    m_standings.SortRanking(m_standings.m_fieldSize);
    m_boardSelector = kBoardPicture;
    if (r == tovStandings::Reveal::kReady)
    {
        // Equal totals of a network final stand as the field was ordered on every copy, not in
        // the order this copy's ceremony weighed them (its own player's fish first).
        if (IsNetworkDay())
        {
            m_standings.m_ranking = m_fieldOrder;
            m_standings.SortRanking(m_standings.m_fieldSize);
        }
        m_state.weighing = false;
        m_state.resultsReady = true;
        Off(kWeighStep);
        return;
    }
    Arm(kWeighStep, nowMs, 500);
}

void tovWeighInIFace::ResultsReady()
{
    m_state.prizesShown = true;
    m_ports->StopSound(6195);
    m_ports->PlaySound(6195, true, nullptr, 0);
    CreditCareer(m_standings.LocalPrize());
    m_ports->PlaySound(6182, false, nullptr, 0);
    if (m_standings.m_ranking[0] == 0)
    {
        m_ports->PlaySound(6178 + Draw(2), false, nullptr, 0);
        const bool female = TheUserProfile().GetGender() == 1;
        const bool sitting = Draw(2) == 0;
        m_boardSelector = kBoardPicture;
        PlayClip(female ? (sitting ? "winsitF.avi" : "winstndF.avi") : (sitting ? "winsitM.avi" : "winstndM.avi"),
                 &OnCeremonyEnd);
        return;
    }
    PlayWithEnd(tovAnnouncer::PlacingLine(m_standings.LocalPlace()), &OnCeremonyEnd);
}

void tovWeighInIFace::OnCeremonyEnd(uintptr_t arg)
{
    Self(arg)->m_state.ceremonyOver = true;
}

void tovWeighInIFace::DayResults(uint32_t nowMs)
{
    m_boardSelector = kBoardPicture;
    m_standings.AddAllCatches(m_standings.m_fieldSize);
    m_standings.SortRanking(m_standings.m_fieldSize);
    m_ports->PlaySound(6071, false, nullptr, 0);
    Arm(kBoardPage, nowMs, 5000);
    m_state.dayResultsShown = true;
    if (!m_standings.Advances(m_standings.m_fieldSize, Length()))
        m_ports->PlaySound(6174, false, nullptr, 0);
    else
        m_ports->PlaySound(6171 + Draw(3), false, nullptr, 0);
}

void tovWeighInIFace::CreditCareer(int32_t prize)
{
    tovUserProfile& profile = TheUserProfile();
    const tovGameSession* session = TheGameSession();
    // The row the game was counted in: a finish never lands in a row that counted no game.
    const int32_t row = session != nullptr ? session->GetCareerRow() : 0;
    // A final played again from a save shows its board but credits nothing a second time.
    const uint32_t game = session != nullptr ? session->GetGameNumber() : 0;
    // Where the row never counted the game (an older save's, a fresh profile's), the finish counts it.
    const bool countGame = session != nullptr && !session->IsCountedIn(profile);
    profile.CreditFinish(game, m_standings.LocalRank(m_standings.m_fieldSize), prize, row, countGame);
}

void tovWeighInIFace::BookSeasonWeight()
{
    tovGameSession* session = TheGameSession();
    if (session == nullptr)
        return;
    const size_t s = static_cast<size_t>(Length());
    const double sum = session->m_dayResults1[s] + m_standings.m_totals[0];
    session->m_dayResults1[s] = static_cast<int32_t>(std::clamp(sum, -2.0e9, 2.0e9));
}

void tovWeighInIFace::FinishTournament()
{
    if (IsSeason())
    {
        if (tovGameSession* session = TheGameSession())
        {
            const size_t s = static_cast<size_t>(Length());
            const int64_t money = int64_t{session->m_dayResults2[s]} + m_standings.LocalPrize();
            session->m_dayResults2[s] = static_cast<int32_t>(std::min<int64_t>(money, INT32_MAX));
        }
        BookSeasonWeight();
        m_state.seasonPage = true;
        return;
    }
    if (!m_networkClosed)
        CloseNetworkDay(false);
    m_networkClosed = false;
    if (tovGameSession* session = TheGameSession())
        session->SetCutFromField(false);
    m_nextScreen = kMainMenu;
    m_ports->SetLakeSounds(true);
    ResetStandingsData();
}

bool tovWeighInIFace::IsNetworkDay() const
{
    return IsNetworkLaunch() && IsNetworkGame();
}

bool tovWeighInIFace::StaysCut() const
{
    return IsNetworkDay() && tovStandings::FieldSize(Length(), m_standings.m_day + 1) > 0;
}

void tovWeighInIFace::ShowWaiting(bool results)
{
    NetSetWaitDrawing([this, results] { DrawWaiting(results); });
    if (Renderer() == nullptr)
        return;
    DrawWaiting(results);
    Present();
}

void tovWeighInIFace::DrawWaiting(bool results)
{
    if (Renderer() == nullptr)
        return;
    if (m_board)
        DrawPicture(m_board.Get(), 0, 0);
    if (m_text)
    {
        // The board's day and lake stand while its rows wait for the other players' catches;
        // results already shown stay while the others close theirs, the waiting line in place
        // of the prompt.
        for (const Line& line : results ? BoardLines() : HeaderLines())
            if (line.y < kPromptY)
                DrawLine(line);
        m_text->DrawText(150, kPromptY, kWaitingText, nullptr);
    }
}

void tovWeighInIFace::CloseNetworkDay(bool nextDay)
{
    if (!IsNetworkDay())
        return;
    ShowWaiting(true);
    tovWeighInNet::CloseResults();
    // The next day's catches are counted afresh.
    if (nextDay)
    {
        NetClearPlayerResults();
        tovWeighInNet::LeaveDay();
    }
    NetSetWaitDrawing(nullptr);
    // No one joins a tournament under way: the door opens once every player has closed the final.
    if (!nextDay)
        NetFinishGame();
}

void tovWeighInIFace::LeaveSeasonPage()
{
    m_state.seasonPage = false;
    tovGameSession* session = TheGameSession();
    if (session == nullptr)
    {
        m_nextScreen = kMainMenu;
        return;
    }
    const size_t s = static_cast<size_t>(Length());
    const int32_t completed = ++session->m_dayValues2[s];
    if (completed < session->m_dayValues1[s] && completed < 32)
    {
        // The stored lake order names the next event, whatever the ids of the installed lakes.
        TheLakeCatalogue().SelectLakeByIndex(session, session->m_block[s * 32 + static_cast<size_t>(completed)]);
        m_nextScreen = kSetUpScreen;
        return;
    }
    session->m_dayFlags[s] = 0;
    // The order holds 32 events: a saved game with a longer count would not load.
    session->m_dayValues1[s] = std::min(TheLakeCatalogue().CountLakes(0), 32);
    for (size_t i = 0; i < 32; ++i)
        session->m_block[s * 32 + i] = static_cast<int32_t>(i);
    session->m_dayValues2[s] = 0;
    session->m_dayResults1[s] = 0;
    session->m_dayResults2[s] = 0;
    m_nextScreen = kMainMenu;
}

std::vector<tovWeighInIFace::Line> tovWeighInIFace::SeasonLines() const
{
    std::vector<Line> lines;
    const tovUserProfile& profile = TheUserProfile();
    const tovGameSession* session = TheGameSession();
    const size_t s = static_cast<size_t>(Length());
    const int32_t weight = session != nullptr ? session->m_dayResults1[s] : 0;
    const int32_t money = session != nullptr ? session->m_dayResults2[s] : 0;
    // The lines' moves into the growing vector are in bounds: GCC 12 misreads their strings'.
    QR_GCC_STRING_BOUNDS_OFF
    lines.push_back({132, 189, profile.GetName()});
    lines.push_back({132, 237, profile.GetState()});
    lines.push_back({132, 285, profile.GetTown()});
    lines.push_back({132, 333, Format("Total Season Fish Weight : %s pounds", Format("%6.2f", weight / 16.0).c_str())});
    lines.push_back({132, 381, "Total Season Winnings : " + PrizeText(money)});
    lines.push_back({160, 450, "Click Mouse To Continue."});
    QR_GCC_STRING_BOUNDS_ON
    return lines;
}

std::vector<tovWeighInIFace::Line> tovWeighInIFace::HeaderLines() const
{
    return {{38, 92, Format("Day %d", m_standings.m_day)},
            {154, 6, Format("%s", TheLakeCatalogue().GetValues().text.c_str())}};
}

std::vector<tovWeighInIFace::Line> tovWeighInIFace::BoardLines() const
{
    std::vector<Line> lines;
    const Ceremony& c = m_state;
    const bool season = IsSeason();
    if (c.seasonPage)
        return SeasonLines();
    // As on the season page: GCC 12 misreads the lines' moves into the growing vector.
    QR_GCC_STRING_BOUNDS_OFF
    if (m_boardSelector == kBoardPicture)
    {
        lines = HeaderLines();
        static constexpr int32_t kRowY[5] = {189, 237, 285, 333, 381};
        for (int32_t row = 0; row < 5; ++row)
        {
            const int32_t place = c.firstPlaceShown + row;
            if (place < 1 || place > tovStandings::kSlots)
                continue;
            const int32_t slot = m_standings.m_ranking[static_cast<size_t>(place - 1)];
            if (m_standings.GetName(slot)[0] == '\0')
                continue;
            // A player who left is shown so, and its place pays nothing.
            const bool left = m_standings.HasLeft(slot);
            const std::string name = m_standings.GetName(slot);
            const char* suffix = left ? " (left)" : "";
            const int32_t y = kRowY[row];
            if (c.prizesShown)
            {
                if (!left)
                {
                    const int32_t prize = place <= tovStandings::kPrizes ? m_standings.m_prizes[place - 1] : 0;
                    lines.push_back({prize / 1000 > 99 ? 4 : 17, y, PrizeText(prize)});
                }
                AddName(lines, 132, y, "", name, suffix);
            }
            else
            {
                AddName(lines, place > 9 ? 96 : 110, y, Format("%d  ", place), name, suffix);
            }
            lines.push_back({460, y, Format("%d", m_standings.m_fishCounts[slot])});
            lines.push_back({502, y, Format("%5.2f", m_standings.m_totals[slot] * 0.0625)});
        }
    }
    if (c.waitForClick || c.ceremonyOver || c.callPending)
    {
        if (season && c.ceremonyOver)
            lines.push_back({120, 450, "Click Mouse For Season Statistics."});
        else
            lines.push_back({182, 450, "Click Mouse To Continue"});
    }
    else if (c.dayResultsShown)
    {
        if (m_standings.Advances(m_standings.m_fieldSize, Length()))
            lines.push_back({184, 450, "Click Mouse For Next Day"});
        else if (season)
            lines.push_back({120, 450, "Click Mouse For Season Statistics."});
        // The cut player watches the tournament to its end: this board starts no new game.
        else if (StaysCut())
            lines.push_back({160, 450, "Click Mouse To Continue."});
        else
            lines.push_back({160, 450, "Click Mouse To Start New Game."});
    }
    QR_GCC_STRING_BOUNDS_ON
    return lines;
}

void tovWeighInIFace::AddName(std::vector<Line>& lines, int32_t x, int32_t y, const std::string& lead,
                              const std::string& name, const char* suffix) const
{
    // The board's fixed columns leave a long name no room: drawn whole it would cover the count.
    std::string whole = lead + name + suffix;
    if (!m_font || !m_smallFont || x + m_font->MeasureText(whole).width <= kNameRight)
    {
        lines.push_back({x, y, std::move(whole)});
        return;
    }
    int32_t nameX = x;
    if (!lead.empty())
    {
        // The place keeps its column and size; the name stands where it would have.
        lines.push_back({x, y, lead.substr(0, lead.find_last_not_of(' ') + 1)});
        nameX += m_font->MeasureText(lead).width;
    }
    // Still too wide: as much of the name as fits, marked as cut; whether the player left stays.
    std::string text = qrxFloatingText::FitToWidth(*m_smallFont, name, kNameRight - nameX, suffix);
    // On the row's baseline.
    lines.push_back({nameX, y + m_font->Ascent() - m_smallFont->Ascent(), std::move(text), true});
}

plat::Rect tovWeighInIFace::PostedTextBand() const
{
    if (m_clip->IsPlaying() || m_boardSelector != kBoardPicture)
        return tovShellIFace::PostedTextBand();
    return kPostedTextBand;
}

QrImage* tovWeighInIFace::ShownPicture() const
{
    return m_boardSelector == kBoardPicture ? m_board.Get() : m_background.Get();
}

void tovWeighInIFace::Draw()
{
    if (m_clip->IsPlaying())
        return;
    QrImage* picture = ShownPicture();
    if (picture != nullptr)
        DrawPicture(picture, 0, 0);
    for (const Line& line : BoardLines())
        DrawLine(line);
}

void tovWeighInIFace::DrawLine(const Line& line)
{
    if (qrxFloatingText* text = line.small ? m_smallText.get() : m_text.get())
        text->DrawText(line.x, line.y, line.text.c_str(), nullptr);
}
