#include "tovTournamentSetupIFace.h"

#include "ButtonObj.h"
#include "ResourceTypes.h"
#include "tovGameSession.h"
#include "tovLakeCatalogue.h"
#include "tovMessageBox.h"
#include "tovNetFacade.h"
#include "tovShellButton.h"
#include "tovSoundSettings.h"
#include "tovUserProfile.h"
#include "tovWaitingBanner.h"

#include "QrRect.h"
#include "QrRender.h"

#include <algorithm>

namespace
{

constexpr uint32_t kGroup = 12;
constexpr uint32_t kBackground = 389;
constexpr uint32_t kDayLengthPanel = 390;
constexpr uint32_t kDaysPanel = 391;
constexpr uint32_t kDayLengthImage = 503;
constexpr uint32_t kDaysImage = 507;
constexpr uint32_t kLakePictureIds[2] = {70, 86};
constexpr int32_t kLakePictureX[2] = {77, 450};
constexpr int32_t kLakePictureY[2] = {36, 216};

constexpr int32_t kFishingScreen = 2;
constexpr int32_t kConditionsScreen = 7;
constexpr int32_t kDayStartScreen = 19;

int32_t Wrap(int32_t value, int32_t count)
{
    if (count <= 0)
        return 0;
    return ((value % count) + count) % count;
}

int32_t LakeCount()
{
    return static_cast<int32_t>(TheLakeCatalogue().GetEntries().size());
}

bool IsTournamentMode(int32_t mode)
{
    return mode == tovGameSession::kTournament || mode == tovGameSession::kSeason;
}

int32_t SessionMode()
{
    const tovGameSession* session = TheGameSession();
    return session ? session->GetMode() : tovGameSession::kQuickFish;
}

void Disable(ButtonObj* button)
{
    if (button)
        button->m_disabled = 1;
}

// Part of an image the size of the given rectangle at the top-left corner.
void DrawPart(QrImage* image, int32_t width, int32_t height, int32_t x, int32_t y)
{
    QrRender* renderer = tovShellIFace::Renderer();
    if (!renderer || !image)
        return;
    QrRect source;
    source.right = width;
    source.bottom = height;
    renderer->BlitImage(image, &source, x, y, 0);
}

} // namespace

tovTournamentSetupIFace::tovTournamentSetupIFace()
{
    // No lake installed: no pick (there is nothing to choose from).
    if (TheLakeCatalogue().SelectRandomLake(TheGameSession(), 0))
        m_lakeIndex = TheLakeCatalogue().GetCurrentLakeIndex();
}

tovTournamentSetupIFace::~tovTournamentSetupIFace() = default;

void tovTournamentSetupIFace::Prepare(int32_t)
{
    LoadGroup(kGroup);
    if (IsNetworkLaunch())
    {
        WaitForTheLastGame();
        NetResetPlayers(0);
        if (tovGameSession* session = TheGameSession())
        {
            session->SetMode(tovGameSession::kTournament);
            session->SetSkillLevel(2, false);
            // A cut ends with its tournament: the start of this one's day must not read it.
            session->SetCutFromField(false);
        }
        NetSyncPhase(0);
    }
    m_lakeIndex = TheLakeCatalogue().GetCurrentLakeIndex();
    // A current lake the catalogue does not list shows the first one, so accept has a lake.
    if (m_lakeIndex < 0 && LakeCount() > 0)
        m_lakeIndex = 0;
    ChangeLake(m_lakeIndex);
}

void tovTournamentSetupIFace::WaitForTheLastGame()
{
    tovWaitingBanner::Wait([] { return NetBeginGame(); }, false);
}

void tovTournamentSetupIFace::Enter(int32_t previousId)
{
    if (previousId != m_lastNext)
        m_returnScreen = previousId;
    m_nextScreen = 0;
    const int32_t mode = SessionMode();
    MakeButtons(mode);
    m_heldArrows.clear();
    if (IsTournamentMode(mode))
    {
        for (int32_t i = 0; i < kLevels; ++i)
        {
            m_dayLengthImages[static_cast<size_t>(i)] = Picture(kDayLengthImage + static_cast<uint32_t>(i));
            m_daysImages[static_cast<size_t>(i)] = Picture(kDaysImage + static_cast<uint32_t>(i));
        }
        m_dayLength = std::clamp(TheUserProfile().GetSetting0(false), 0, kLevels - 1);
        m_days = std::clamp(TheUserProfile().GetSetting1(false), 0, kLevels - 1);
        m_panels[0] = Picture(kDayLengthPanel);
        m_panels[1] = Picture(kDaysPanel);
        if (mode == tovGameSession::kSeason)
        {
            ShowSeasonLake();
            // The season's own flag holds the values, not its lake's id: any lake may come first.
            const tovGameSession* session = TheGameSession();
            if (session && session->IsSeasonUnderWay(m_days))
                for (int32_t id = kDayLengthDown; id <= kDaysUp; ++id)
                    Disable(GetButton(id));
        }
    }
    m_background = Picture(kBackground);
    m_nextScreen = 0;
    ShowAppCursor(true);
    UnloadGroup(kGroup);
    if (mode == tovGameSession::kSeason)
    {
        Disable(GetButton(kLakePrev));
        Disable(GetButton(kLakeNext));
    }
    // Without a lake there is nothing to step through, set up or start.
    if (LakeCount() == 0)
        for (int32_t id : {kLakePrev, kLakeNext, kAccept, kConditions})
            Disable(GetButton(id));
}

void tovTournamentSetupIFace::MakeButtons(int32_t mode)
{
    auto arrow = [this](int32_t id, int32_t x, int32_t y, bool up, std::function<void()> action)
    {
        auto* button = new tovShellButton(x, y, up ? 14 : 12, up ? 13 : 11, up ? 6185 : 6184, std::move(action));
        button->SetDisabledPicture(up ? 96 : 95);
        AddButton(button, id);
    };
    arrow(kLakePrev, 472, 54, false, [this] { StepLake(-1); });
    arrow(kLakeNext, 596, 54, true, [this] { StepLake(1); });
    AddButton(new tovShellButton(53, 441, 16, 15, 6188,
                                 [this]
                                 { GoBack(SessionMode() == tovGameSession::kSeason ? kMainMenuId : m_returnScreen); }),
              kBack);
    AddButton(new tovShellButton(156, 432, 21, 20, 6183, [this] { OnAccept(); }), kAccept);
    if (!IsTournamentMode(mode))
    {
        auto* conditions = new tovShellButton(458, 101, 386, 387, 6183,
                                              [this]
                                              {
                                                  m_nextScreen = kConditionsScreen;
                                                  TheLakeCatalogue().SelectLakeByIndex(TheGameSession(), m_lakeIndex);
                                              });
        conditions->SetDisabledPicture(388);
        AddButton(conditions, kConditions);
        return;
    }
    arrow(kDayLengthDown, 472, 172, false, [this] { StepValue(m_dayLength, -1, true); });
    arrow(kDayLengthUp, 596, 172, true, [this] { StepValue(m_dayLength, 1, true); });
    arrow(kDaysDown, 472, 113, false, [this] { StepValue(m_days, -1, false); });
    arrow(kDaysUp, 596, 113, true, [this] { StepValue(m_days, 1, false); });
}

void tovTournamentSetupIFace::Leave(int32_t)
{
    for (auto& image : m_dayLengthImages)
        image = nullptr;
    for (auto& image : m_daysImages)
        image = nullptr;
    m_background = nullptr;
    m_panels[0] = m_panels[1] = nullptr;
    m_lakePictures[0] = m_lakePictures[1] = nullptr;
    ClearButtons();
    TheLakeCatalogue().CloseLakeFile();
}

void tovTournamentSetupIFace::Exit(int32_t nextId)
{
    m_lastNext = nextId;
    ShowAppCursor(false);
}

void tovTournamentSetupIFace::PostedTextBand(int32_t& top, int32_t& bottom) const
{
    top = kPostedTextTop;
    bottom = kPostedTextBottom;
}

void tovTournamentSetupIFace::ChangeLake(int32_t index)
{
    TheLakeCatalogue().CloseLakeFile();
    m_lakePictures[0] = m_lakePictures[1] = nullptr;
    TheLakeCatalogue().OpenLakeFile(index);
}

void tovTournamentSetupIFace::StepLake(int32_t step)
{
    const int32_t count = LakeCount();
    if (count == 0)
        return;
    // In a network game the arrows pass over lakes that not every player has installed (while
    // no lake is shared, every lake is offered).
    const uint32_t common = NetGetCommonLakeMask();
    const auto shared = [&](int32_t index)
    {
        // An id the mask has no bit for is not one a player can lack.
        const int32_t id = TheLakeCatalogue().GetLakeIdAt(index);
        return id < 0 || id >= 32 || (common >> id & 1u) != 0;
    };
    int32_t next = Wrap(m_lakeIndex + step, count);
    for (int32_t tried = 1; tried < count && !shared(next); ++tried)
        next = Wrap(next + step, count);
    m_lakeIndex = shared(next) ? next : Wrap(m_lakeIndex + step, count);
    ChangeLake(m_lakeIndex);
    if (IsNetworkLaunch())
        NetSetLakeId(TheLakeCatalogue().GetLakeIdAt(m_lakeIndex), true);
}

void tovTournamentSetupIFace::ShowSeasonLake()
{
    const tovGameSession* session = TheGameSession();
    const int32_t count = LakeCount();
    if (!session || count == 0)
        return;
    const int32_t index = session->SeasonLakeIndex(m_days);
    // An order naming a lake no longer installed plays the first one.
    m_lakeIndex = index >= 0 && index < count ? index : 0;
    ChangeLake(m_lakeIndex);
}

void tovTournamentSetupIFace::StepValue(int32_t& value, int32_t step, bool dayLength)
{
    value = Wrap(value + step, kLevels);
    // Each tournament length has a season of its own.
    if (!dayLength && SessionMode() == tovGameSession::kSeason)
        ShowSeasonLake();
    if (!IsNetworkLaunch())
        return;
    if (dayLength)
        NetSetSetting0(value, true);
    else
        NetSetSetting1(value, true);
}

void tovTournamentSetupIFace::OnAccept()
{
    tovGameSession* session = TheGameSession();
    tovLakeCatalogue& lakes = TheLakeCatalogue();
    lakes.SelectLakeByIndex(session, m_lakeIndex);
    if (session)
        session->SetDay(0, true);
    const int32_t mode = SessionMode();
    if (IsNetworkLaunch())
    {
        NetSetSetting0(m_dayLength, false);
        NetSetSetting1(m_days, true);
        NetClearPlayerResults();
    }
    else if (IsTournamentMode(mode))
    {
        tovUserProfile& profile = TheUserProfile();
        profile.SetSetting0(m_dayLength);
        profile.SetSetting1(m_days);
        if (!SaveUserProfile(profile))
            ShowMessage(kMessageOk, nullptr, 0, "Cannot save the player profile.");
        // Only a season begins one, and only where none is under way (whatever the lake's id):
        // the shown lake is then the first of the new order.
        if (session && mode == tovGameSession::kSeason && !session->IsSeasonUnderWay(m_days))
        {
            const size_t length = static_cast<size_t>(m_days);
            // The order holds 32 lakes: more installed lakes than that are left out of it.
            const int32_t count = std::min(LakeCount(), kMaxOrderedLakes);
            session->m_dayFlags[length] = 1;
            session->m_dayValues1[length] = count;
            for (int32_t i = 0; i < kMaxOrderedLakes; ++i)
                session->m_block[length * kMaxOrderedLakes + static_cast<size_t>(i)] = i < count ? i : 0;
            session->m_dayValues2[length] = 0;
            session->m_dayResults1[length] = 0;
            session->m_dayResults2[length] = 0;
        }
    }
    if (IsTournamentMode(mode))
    {
        m_nextScreen = kDayStartScreen;
        return;
    }
    m_nextScreen = kFishingScreen;
    if (session)
        session->StartGame(mode, true);
}

void tovTournamentSetupIFace::FollowHost()
{
    const bool host = IsNetworkHost();
    for (int32_t id : {kLakePrev, kLakeNext, kDayLengthDown, kDayLengthUp, kDaysDown, kDaysUp})
    {
        ButtonObj* button = GetButton(id);
        if (!button)
            continue;
        const bool held = std::find(m_heldArrows.begin(), m_heldArrows.end(), id) != m_heldArrows.end();
        if (!host && !held && button->m_disabled == 0)
        {
            button->m_disabled = 1;
            m_heldArrows.push_back(id);
        }
        else if (host && held)
            button->m_disabled = 0;
    }
    if (host)
    {
        m_heldArrows.clear();
        return;
    }
    NetSyncPhase(0);
    const int32_t current = TheLakeCatalogue().GetCurrentLakeIndex();
    if (current != m_lakeIndex && current >= 0)
    {
        m_lakeIndex = current;
        ChangeLake(m_lakeIndex);
    }
    m_dayLength = Wrap(NetGetSetting0(), kLevels);
    m_days = Wrap(NetGetSetting1(), kLevels);
}

void tovTournamentSetupIFace::DrawLakePictures()
{
    ResourcePack* pack = TheLakeCatalogue().GetOpenPack();
    for (size_t i = 0; i < 2; ++i)
    {
        if (!m_lakePictures[i] && pack)
            m_lakePictures[i] = LoadResourceImage(kResourcePicture, kLakePictureIds[i], pack);
        DrawPicture(m_lakePictures[i].Get(), kLakePictureX[i], kLakePictureY[i]);
    }
}

void tovTournamentSetupIFace::DrawValues()
{
    DrawPart(m_panels[0].Get(), 169, 47, 453, 101);
    DrawPart(m_panels[1].Get(), 169, 47, 453, 160);
    DrawPart(m_dayLengthImages[static_cast<size_t>(Wrap(m_dayLength, kLevels))].Get(), 104, 25, 490, 168);
    DrawPart(m_daysImages[static_cast<size_t>(Wrap(m_days, kLevels))].Get(), 104, 25, 490, 109);
}

int32_t tovTournamentSetupIFace::Update(float now, float elapsed)
{
    if (!CanDraw())
        return m_nextScreen;
    DrawPart(m_background.Get(), 640, 480, 0, 0);
    if (IsNetworkLaunch())
        FollowHost();
    DrawLakePictures();
    if (IsTournamentMode(SessionMode()))
        DrawValues();
    DrawButtons();
    UpdateMessageScreen(now, elapsed);
    Present();
    return m_nextScreen;
}
