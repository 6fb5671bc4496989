#include "tovMainMenuIFace.h"

#include "tovGameSession.h"
#include "tovMessageBox.h"
#include "tovNetFacade.h"
#include "tovSessionHooks.h"
#include "tovShellButton.h"
#include "tovSoundSettings.h"

namespace
{

tovMainMenuIFace* g_instance = nullptr;

constexpr uint32_t kGroup = 15;
constexpr uint32_t kBackground = 466;
constexpr uint32_t kMenuSound = 6183;
constexpr uint32_t kQuitSound = 6188;
constexpr int32_t kOptionsScreen = 11;
constexpr int32_t kFishingScreen = 2;
constexpr int32_t kTournamentSetupScreen = tovAppServices::kSetUpId;
constexpr int32_t kWeighInScreen = tovAppServices::kWeighInId;
constexpr int32_t kExitScreen = 24;
constexpr int32_t kGameSelectScreen = 1;
constexpr int32_t kLoadGameScreen = 14;
constexpr int32_t kSaveGameScreen = 15;

} // namespace

tovMainMenuIFace::tovMainMenuIFace()
{
    g_instance = this;
}

tovMainMenuIFace::~tovMainMenuIFace()
{
    if (g_instance == this)
        g_instance = nullptr;
}

tovMainMenuIFace* tovMainMenuIFace::GetInstance()
{
    return g_instance;
}

void tovMainMenuIFace::Prepare(int32_t)
{
    LoadGroup(kGroup);
}

void tovMainMenuIFace::Enter(int32_t previousId)
{
    // The help picture does not count: back from it, or by its Escape, the menu comes from the
    // screen under it (Return between a season's events still leads to the set-up).
    TakeWayBack(previousId);
    m_leaveFirst.Forget();
    AddButton(new tovShellButton(445, 363, 458, 459, kMenuSound, [this] { m_nextScreen = kOptionsScreen; }), kOptions);
    AddButton(new tovShellButton(53, 441, 107, 108, kQuitSound,
                                 [this]
                                 {
                                     ShowMessage(kMessageTwoAnswers, &ConfirmQuit, reinterpret_cast<uintptr_t>(this),
                                                 "Are you sure you want to quit?");
                                 }),
              kQuit);
    auto* back = new tovShellButton(156, 432, 467, 468, kQuitSound, [this] { ReturnToGame(); });
    back->SetDisabledPicture(469);
    AddButton(back, kReturn);
    AddButton(new tovShellButton(445, 39, 464, 465, kMenuSound, [this] { Choose(kQuickFish); }), kQuickFish);
    AddButton(new tovShellButton(445, 89, 470, 471, kMenuSound, [this] { m_nextScreen = kGameSelectScreen; }),
              kPlayGame);
    AddButton(new tovShellButton(445, 139, 473, 475, kMenuSound, [this] { Choose(kLoadGame); }), kLoadGame);
    auto* save = new tovShellButton(445, 189, 476, 477, kMenuSound, [this] { m_nextScreen = kSaveGameScreen; });
    save->SetDisabledPicture(478);
    AddButton(save, kSaveGame);
    m_background = Picture(kBackground);
    m_nextScreen = 0;
    ShowAppCursor(true);
    UnloadGroup(kGroup);
    // Only a day still to be fished can be gone back to or saved: a day over would play on past
    // its end, and one weighed in (a final among them) would be weighed and paid again when
    // loaded; a network game left is over for this player.
    const tovGameSession* session = TheGameSession();
    const bool noDay = !GetFishingModeHooks().IsWorldBuilt() || (session && !session->HasDayToResume());
    // Between a season's events Return leads back to the set-up of the next one.
    const bool toSetUp = GetFishingModeHooks().IsWorldBuilt() && session &&
                         session->GetMode() == tovGameSession::kSeason && m_returnScreen == kTournamentSetupScreen;
    if (m_returnScreen == kWeighInScreen || (noDay && !toSetUp))
        back->m_disabled = 1;
    if (noDay)
        save->m_disabled = 1;
}

void tovMainMenuIFace::Leave(int32_t)
{
    m_background = nullptr;
    // Built again on every visit.
    ClearButtons();
}

void tovMainMenuIFace::Exit(int32_t) {}

int32_t tovMainMenuIFace::Update(float now, float elapsed)
{
    if (!m_video.IsPlaying())
    {
        if (CanDraw())
            DrawPicture(m_background.Get(), 0, 0);
        DrawButtons();
        UpdateMessageScreen(now, elapsed);
        if (const int32_t choice = m_leaveFirst.TakeChoice(); choice != tovLeaveFirst::kNoChoice)
            Go(choice);
    }
    else
    {
        m_video.Update(now, elapsed);
        if (IsButtonDown(0))
            m_video.Stop();
    }
    Present();
    return m_nextScreen;
}

void tovMainMenuIFace::ReturnToGame()
{
    tovGameSession* session = TheGameSession();
    const bool season = session && session->GetMode() == tovGameSession::kSeason;
    m_nextScreen = season && m_returnScreen == kTournamentSetupScreen ? kTournamentSetupScreen : kFishingScreen;
}

void tovMainMenuIFace::Choose(int32_t buttonId)
{
    // Another game inside a network game under way would be played in its session: leave it first.
    if (!m_leaveFirst.Ask(buttonId))
        Go(buttonId);
}

void tovMainMenuIFace::Go(int32_t buttonId)
{
    if (buttonId == kQuickFish)
        QuickFish();
    else if (buttonId == kLoadGame)
        m_nextScreen = kLoadGameScreen;
}

void tovMainMenuIFace::QuickFish()
{
    m_nextScreen = kFishingScreen;
    // The day counts on from the last game here; the game-mode screen starts it over.
    if (tovGameSession* session = TheGameSession())
        session->StartGame(tovGameSession::kQuickFish, true);
}

bool tovMainMenuIFace::ConfirmQuit(int32_t answer, uintptr_t argument)
{
    if (answer == 0)
        reinterpret_cast<tovMainMenuIFace*>(argument)->m_nextScreen = kExitScreen;
    return true;
}
