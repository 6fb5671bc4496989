#include "tovTravelMapIFace.h"

#include "tovAnglerRig.h"
#include "tovBoat.h"
#include "tovGameClock.h"
#include "tovGameSession.h"
#include "tovLake.h"
#include "tovLakeCatalogue.h"
#include "tovMessageBox.h"
#include "tovScreenDistance.h"
#include "tovShellButton.h"
#include "tovSoundSettings.h"
#include "tovWorldServices.h"

#include "ButtonObj.h"
#include "QrRect.h"
#include "QrRender.h"
#include "ResourcePack.h"
#include "ResourceTypes.h"
#include "qrxBaseApp.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace
{

tovTravelMapIFace* g_instance = nullptr;

constexpr uint32_t kGroup = 11;
constexpr uint32_t kBackground = 360;
constexpr uint32_t kBoatMarker = 370;
constexpr uint32_t kArrows = 70;
constexpr uint32_t kMapImage = 80;
constexpr uint32_t kFirstTile = 100;
constexpr int32_t kFishingScreen = 2;
constexpr int32_t kWeighInScreen = tovAppServices::kWeighInId;
constexpr int32_t kCellPixels = 4;
// Where the arrow's tip lies in each of the eight 16 x 16 arrows.
constexpr int32_t kTipOffsets[8][2] = {{8, 1}, {14, 1}, {14, 8}, {13, 14}, {7, 14}, {1, 14}, {1, 7}, {1, 1}};

const float g_milesPerCell = 0.0006214f * 30.0f;

bool InMap(int32_t x, int32_t y)
{
    using M = tovTravelMapIFace;
    return x >= M::kMapLeft && x < M::kMapLeft + M::kMapWidth && y >= M::kMapTop && y < M::kMapTop + M::kMapHeight;
}

bool WeighInAnswer(int32_t answer, uintptr_t)
{
    if (g_instance)
        g_instance->OnWeighInAnswer(answer);
    return true;
}

// The image of the tile that holds map-image pixel (px, py), both not negative.
uint32_t TileId(int32_t px, int32_t py)
{
    using M = tovTravelMapIFace;
    return kFirstTile + 25u * uint32_t(py / M::kMapHeight) + uint32_t(px / M::kMapWidth);
}

int32_t Mode()
{
    tovGameSession* session = TheGameSession();
    return session ? session->GetMode() : tovGameSession::kQuickFish;
}

// Lake packs are files: a speed of zero or less takes the usual 30 miles an hour.
int32_t TravelSpeed()
{
    const int32_t speed = TheLakeCatalogue().GetValues().valueA;
    return speed > 0 ? speed : 30;
}

} // namespace

tovTravelMapIFace::tovTravelMapIFace()
{
    g_instance = this;
}

tovTravelMapIFace::~tovTravelMapIFace()
{
    CloseLakePack();
    if (g_instance == this)
        g_instance = nullptr;
}

tovTravelMapIFace* tovTravelMapIFace::GetInstance()
{
    return g_instance;
}

int32_t tovTravelMapIFace::HeadingIndex(float degrees)
{
    if (!std::isfinite(degrees))
        return 0;
    const int32_t whole = static_cast<int32_t>(std::fmod(static_cast<double>(degrees), 360.0));
    const int32_t index = static_cast<int32_t>(static_cast<float>(whole) * (1.0f / 45.0f));
    return ((index % 8) + 8) % 8;
}

float tovTravelMapIFace::MilesPerCell()
{
    return g_milesPerCell;
}

int32_t tovTravelMapIFace::TravelMinutes(int32_t cells, int32_t speed)
{
    const float miles = static_cast<float>(cells) * g_milesPerCell;
    return speed > 0 ? static_cast<int32_t>(miles / static_cast<float>(speed) * 60.0f) : 0;
}

std::string tovTravelMapIFace::FormatTravel(float miles, int32_t minutes)
{
    char text[260];
    std::snprintf(text, sizeof text,
                  "%5.2f Miles away. It will take you %d hours, %d minutes from your original position.",
                  static_cast<double>(miles), minutes / 60, minutes % 60);
    return text;
}

int32_t tovTravelMapIFace::EarlyWeighInTime(double dayLength, double gameTime, int32_t cellsToDock, int32_t speed)
{
    return static_cast<int32_t>(dayLength - gameTime) - 60 * TravelMinutes(cellsToDock, speed);
}

tovBoat* tovTravelMapIFace::CurrentBoat() const
{
    tovGameSession* session = TheGameSession();
    auto* rig = session ? dynamic_cast<tovAnglerRig*>(session->GetCurrentAngler().Get()) : nullptr;
    return rig ? rig->GetBoat().Get() : nullptr;
}

tovLake* tovTravelMapIFace::Lake() const
{
    tovWorldServices* world = GetWorldServices();
    return world ? world->GetLake() : nullptr;
}

void tovTravelMapIFace::Prepare(int32_t)
{
    LoadGroup(kGroup);
    CloseLakePack();
    const std::string& path = TheLakeCatalogue().GetLakeFilePath();
    if (!path.empty() && ResourcePack::Open(path, &m_lakePack) == 0 && m_lakePack)
        for (uint32_t group = 0; group < 3; ++group)
            ResourcePack::LoadGroup(group, m_lakePack);
}

void tovTravelMapIFace::CloseLakePack()
{
    if (!m_lakePack)
        return;
    m_map = nullptr;
    m_tile = nullptr;
    for (uint32_t group = 0; group < 3; ++group)
        ResourcePack::UnloadGroup(group, m_lakePack);
    ResourcePack::Close(&m_lakePack);
}

void tovTravelMapIFace::ReadPlacement()
{
    auto text = [this](uint32_t key) -> const char*
    { return m_lakePack ? static_cast<const char*>(ResourcePack::GetItem(kResourceBytes, key, m_lakePack)) : nullptr; };
    // A scale that cannot divide keeps the one before.
    if (const char* t = text(73))
        if (const double scale = std::strtod(t, nullptr); std::isfinite(scale) && scale > 1e-3 && scale < 1e3)
            m_scale = scale;
    if (const char* t = text(74))
        m_originX = static_cast<int32_t>(std::strtol(t, nullptr, 10));
    if (const char* t = text(75))
        if (const double y = std::strtod(t, nullptr); std::isfinite(y) && std::fabs(y) < 1e6)
            m_originY = static_cast<int32_t>(y);
}

void tovTravelMapIFace::Enter(int32_t previousId)
{
    // Back from the help picture the visit goes on: its mode, zoom and chosen spot stand, not those of a visit's start.
    const bool visit = TakeWayBack(previousId);
    AddButton(new tovShellButton(156, 432, 23, 22, 6183, [this] { OnTravel(); }), kTravel);
    AddButton(new tovShellButton(53, 441, 18, 17, 6183, [this] { m_nextScreen = kFishingScreen; }), kBack);
    for (int32_t id : {kViewMode, kChooseMode})
    {
        const int32_t mode = id - kViewMode;
        auto* button =
            new tovShellButton(539, id == kViewMode ? 55 : 90, 45, 46, 6187, [this, mode] { SetMapMode(mode); });
        button->SetTogglePictures(45, 46, 48, 47);
        button->SetDisabledPicture(111);
        button->m_transparent = 1;
        AddButton(button, id);
    }
    m_background = Picture(kBackground);
    m_map = m_lakePack ? LoadResourceImage(kResourcePicture, kMapImage, m_lakePack) : nullptr;
    m_boatMarker = Picture(kBoatMarker);
    ReadPlacement();
    auto* weighIn = new tovShellButton(
        533, 134, 368, 367, 6183,
        [] { ShowMessage(kMessageTwoAnswers, &WeighInAnswer, 0, "Are you sure you want to weigh-in?"); });
    weighIn->SetDisabledPicture(369);
    weighIn->m_transparent = 1;
    AddButton(weighIn, kWeighIn);
    for (uint32_t i = 0; i < m_arrows.size(); ++i)
        m_arrows[i] = Picture(kArrows + i);
    UnloadGroup(kGroup);
    m_nextScreen = 0;
    ShowAppCursor(true);
    if (visit)
    {
        m_mapMode = 0;
        m_zoomed = 0;
        tovBoat* boat = CurrentBoat();
        m_entryPosition = boat ? boat->GetPosition() : QrPoint3{};
        m_destination = m_entryPosition;
        m_heading = HeadingIndex(boat ? boat->GetHeadingDegrees() : 0.0f);
        PlaceMarker();
        m_entryColumn = m_entryRow = 0;
        if (tovWorldServices* world = GetWorldServices())
            world->WorldToMapCell(m_destination, m_entryColumn, m_entryRow);
    }
    else if (m_zoomed)
    {
        // The lake's pack was closed on the way out: the tile comes from it again.
        m_tile = m_lakePack ? LoadResourceImage(kResourcePicture, TileId(m_tileLeft, m_tileTop), m_lakePack) : nullptr;
    }
    SetMapMode(m_mapMode);
    const int32_t mode = Mode();
    const bool tournament = mode == tovGameSession::kTournament || mode == tovGameSession::kSeason;
    GetButton(tournament ? kChooseMode : kWeighIn)->m_disabled = 1;
}

void tovTravelMapIFace::Leave(int32_t)
{
    m_background = nullptr;
    m_boatMarker = nullptr;
    m_tile = nullptr;
    ClearButtons();
    for (auto& arrow : m_arrows)
        arrow = nullptr;
}

void tovTravelMapIFace::Exit(int32_t)
{
    m_nextScreen = 0;
    ShowAppCursor(false);
    CloseLakePack();
    if (qrxBaseApp* app = qrxBaseApp::GetCurrentApp())
        app->SelectCursor(0, true);
}

void tovTravelMapIFace::SetMapMode(int32_t mode)
{
    m_mapMode = mode;
    if (ButtonObj* view = GetButton(kViewMode))
        view->SetSelected(mode == 0);
    if (ButtonObj* choose = GetButton(kChooseMode))
        choose->SetSelected(mode == 1);
}

void tovTravelMapIFace::WorldToMapPixel(const QrPoint3& world, int32_t& px, int32_t& py) const
{
    int32_t column = 0;
    int32_t row = 0;
    if (tovWorldServices* services = GetWorldServices())
        services->WorldToMapCell(world, column, row);
    px = column * kCellPixels;
    py = row * kCellPixels;
}

bool tovTravelMapIFace::InTile(int32_t px, int32_t py) const
{
    return px >= m_tileLeft && px < m_tileLeft + kMapWidth && py >= m_tileTop && py < m_tileTop + kMapHeight;
}

void tovTravelMapIFace::PlaceMarker()
{
    int32_t px = 0;
    int32_t py = 0;
    WorldToMapPixel(m_destination, px, py);
    m_markerX = static_cast<int32_t>(px * m_scale) + m_originX;
    m_markerY = static_cast<int32_t>(py * m_scale) + m_originY;
    m_markerInTile = m_zoomed && InTile(px, py) ? 1 : 0;
    m_tileMarkerX = px - m_tileLeft + kMapLeft;
    m_tileMarkerY = py - m_tileTop + kMapTop;
}

void tovTravelMapIFace::ScreenToCell(int32_t x, int32_t y, int32_t& column, int32_t& row) const
{
    if (m_zoomed)
    {
        column = static_cast<int32_t>((x - kMapLeft + m_tileLeft) * 0.25);
        row = static_cast<int32_t>((y - kMapTop + m_tileTop) * 0.25);
        return;
    }
    column = static_cast<int32_t>(static_cast<int32_t>((x - m_originX) / m_scale) * 0.25);
    row = static_cast<int32_t>(static_cast<int32_t>((y - m_originY) / m_scale) * 0.25);
}

void tovTravelMapIFace::ZoomIn(int32_t x, int32_t y)
{
    const int32_t px = static_cast<int32_t>((x - m_originX) / m_scale);
    const int32_t py = static_cast<int32_t>((y - m_originY) / m_scale);
    // Points left of or above the map have no tile.
    if (px < 0 || py < 0 || px / kMapWidth >= 25)
    {
        m_markerInTile = 0;
        return;
    }
    const uint32_t id = TileId(px, py);
    if (!m_lakePack || ResourcePack::GetItemAddress(kResourcePicture, id, m_lakePack) == nullptr)
    {
        m_markerInTile = 0;
        return;
    }
    m_tileLeft = px / kMapWidth * kMapWidth;
    m_tileTop = py / kMapHeight * kMapHeight;
    m_tile = LoadResourceImage(kResourcePicture, id, m_lakePack);
    m_zoomed = 1;
    PlaceMarker();
}

bool tovTravelMapIFace::ChooseDestination(int32_t x, int32_t y)
{
    tovLake* lake = Lake();
    int32_t column = 0;
    int32_t row = 0;
    ScreenToCell(x, y, column, row);
    // Judged at the click's own cell: the pointer may have left the water since last frame.
    if (!lake || !lake->IsOnLakeCell(column, row))
        return false;
    m_destinationChosen = 1;
    GetWorldServices()->MapCellToWorld(column, row, m_destination);
    PlaceMarker();
    const int32_t cells = ScreenDistance(m_entryColumn, m_entryRow, column, row);
    const float miles = static_cast<float>(cells) * g_milesPerCell;
    m_travelMinutes = TravelMinutes(cells, TravelSpeed());
    m_travelText = FormatTravel(miles, m_travelMinutes);
    return true;
}

void tovTravelMapIFace::OnTravel()
{
    m_nextScreen = kFishingScreen;
    if (!m_destinationChosen)
        return;
    TheGameClock().ClearOffset(m_travelMinutes);
    if (tovBoat* boat = CurrentBoat())
        boat->SetPosition(m_destination);
}

void tovTravelMapIFace::OnWeighInAnswer(int32_t answer)
{
    if (answer != 0)
        return;
    m_nextScreen = kWeighInScreen;
    const tovLakeValues& lake = TheLakeCatalogue().GetValues();
    const int32_t cells = ScreenDistance(m_entryColumn, m_entryRow, lake.valueB, lake.valueC);
    const tovGameClock& clock = TheGameClock();
    RemainingTime() = EarlyWeighInTime(clock.GetDayLength(), clock.GetGameTime(), cells, TravelSpeed());
}

void tovTravelMapIFace::HandleClick(int32_t x, int32_t y)
{
    qrxBaseApp* app = qrxBaseApp::GetCurrentApp();
    const int32_t cursor = app ? app->GetCursorIndex() : 0;
    if (m_mapMode == 0)
    {
        if (m_zoomed)
            ZoomOut();
        else if (cursor == 2)
            ZoomIn(x, y);
    }
    else if (cursor == 1)
        ChooseDestination(x, y);
}

void tovTravelMapIFace::ChooseCursor(int32_t x, int32_t y)
{
    int32_t cursor = 0;
    if (InMap(x, y))
    {
        int32_t column = 0;
        int32_t row = 0;
        ScreenToCell(x, y, column, row);
        tovLake* lake = Lake();
        if (lake && lake->IsOnLakeCell(column, row))
            cursor = m_mapMode == 1 ? 1 : (m_zoomed ? 3 : 2);
    }
    if (qrxBaseApp* app = qrxBaseApp::GetCurrentApp())
        app->SelectCursor(cursor, true);
}

void tovTravelMapIFace::DrawKeyed(QrImage* image, int32_t x, int32_t y)
{
    if (QrRender* renderer = Renderer(); renderer && image)
        renderer->BlitImage(image, nullptr, x, y, 1);
}

void tovTravelMapIFace::DrawBoats()
{
    tovWorldServices* world = GetWorldServices();
    if (!world)
        return;
    tovBoat* own = CurrentBoat();
    if (!own)
        own = world->GetPlayerBoat();
    // The world holds a handful of boats; the bound only guards a world that never ends.
    for (int32_t i = 0; i < 64; ++i)
    {
        tovBoat* boat = world->GetBoat(i);
        if (!boat)
            break;
        if (boat == own)
            continue;
        int32_t px = 0;
        int32_t py = 0;
        WorldToMapPixel(boat->GetPosition(), px, py);
        if (!m_zoomed)
            DrawKeyed(m_boatMarker.Get(), static_cast<int32_t>(px * m_scale) + m_originX - 4,
                      static_cast<int32_t>(py * m_scale) + m_originY - 4);
        else if (InTile(px, py))
            DrawKeyed(m_boatMarker.Get(), px - m_tileLeft + kMapLeft - 4, py - m_tileTop + kMapTop - 4);
    }
}

int32_t tovTravelMapIFace::Update(float now, float elapsed)
{
    const plat::Point pos = GetMousePos();
    if (!IsMessageBoxRaised())
    {
        if (ButtonObj::GetButtonsActive() && WasButtonPressed(0) && InMap(pos.x, pos.y))
            HandleClick(pos.x, pos.y);
        ChooseCursor(pos.x, pos.y);
    }
    if (!CanDraw())
        return m_nextScreen;
    DrawPicture(m_background.Get(), 0, 0);
    if (m_zoomed)
        DrawKeyed(m_tile.Get(), kMapLeft, kMapTop);
    else
        DrawPicture(m_map.Get(), kMapLeft, kMapTop);
    const int32_t* tip = kTipOffsets[m_heading];
    QrImage* arrow = m_arrows[size_t(m_heading)].Get();
    if (!m_zoomed)
        DrawKeyed(arrow, m_markerX - tip[0], m_markerY - tip[1]);
    else if (m_markerInTile)
        DrawKeyed(arrow, m_tileMarkerX - tip[0], m_tileMarkerY - tip[1]);
    DrawBoats();
    DrawButtons();
    UpdateMessageScreen(now, elapsed);
    Present();
    return m_nextScreen;
}
