#pragma once
// The travel map (screen 12): the current lake's map with the player's boat as a heading arrow
// and the other boats as markers. The player zooms into a section, picks a spot on the water,
// learns how far and how long it is, and travels there at once; in tournament and season games
// the screen offers the early weigh-in instead.

#include "tovShellIFace.h"

#include "QrPoint3.h"
#include "QrPointer.h"

#include <array>
#include <cstdint>
#include <string>

class ResourcePack;
class tovBoat;
class tovLake;

class tovTravelMapIFace : public tovShellIFace
{
public:
    enum ButtonId : int32_t
    {
        kTravel = 1,
        kBack = 2,
        kViewMode = 3,
        kChooseMode = 4,
        kWeighIn = 5,
    };
    // The map's rectangle on the screen.
    static constexpr int32_t kMapLeft = 78, kMapTop = 24, kMapWidth = 450, kMapHeight = 400;

    tovTravelMapIFace();
    ~tovTravelMapIFace() override;

    static tovTravelMapIFace* GetInstance();

    void Prepare(int32_t previousId) override;
    void Enter(int32_t previousId) override;
    void Leave(int32_t ownId) override;
    void Exit(int32_t nextId) override;
    int32_t Update(float now, float elapsed) override;
    // Posted lines stand right of OK, under the map.
    plat::Rect PostedTextBand() const override { return {272, 436, 636, 476}; }

    // The rules, apart for the tests.
    static int32_t HeadingIndex(float degrees);
    static float MilesPerCell();
    static int32_t TravelMinutes(int32_t cells, int32_t speed);
    static std::string FormatTravel(float miles, int32_t minutes);
    // Early weigh-in: game seconds left minus the time the ride to the dock takes.
    static int32_t EarlyWeighInTime(double dayLength, double gameTime, int32_t cellsToDock, int32_t speed);

    void SetMapMode(int32_t mode);
    // The pointer's lake-map cell in the current view.
    void ScreenToCell(int32_t x, int32_t y, int32_t& column, int32_t& row) const;
    void ZoomIn(int32_t x, int32_t y);
    void ZoomOut() { m_zoomed = 0; }
    // False, choosing nothing, when the point is not over water.
    bool ChooseDestination(int32_t x, int32_t y);
    void OnTravel();
    void OnWeighInAnswer(int32_t answer);

    int32_t GetMapMode() const { return m_mapMode; }
    bool IsZoomed() const { return m_zoomed != 0; }
    // The zoomed view's tile is loaded.
    bool HasTile() const { return m_tile.Get() != nullptr; }
    bool HasDestination() const { return m_destinationChosen != 0; }
    const QrPoint3& GetDestination() const { return m_destination; }
    const std::string& GetTravelText() const { return m_travelText; }
    int32_t GetTravelMinutes() const { return m_travelMinutes; }
    double GetScale() const { return m_scale; }

private:
    void CloseLakePack();
    void ReadPlacement();
    void WorldToMapPixel(const QrPoint3& world, int32_t& px, int32_t& py) const;
    bool InTile(int32_t px, int32_t py) const;
    void PlaceMarker();
    void ChooseCursor(int32_t x, int32_t y);
    void HandleClick(int32_t x, int32_t y);
    void DrawBoats();
    void DrawKeyed(QrImage* image, int32_t x, int32_t y);
    tovBoat* CurrentBoat() const;
    tovLake* Lake() const;

    int32_t m_mapMode = 0;
    uint8_t m_zoomed = 0;
    uint8_t m_destinationChosen = 0;
    uint8_t m_markerInTile = 0;
    // Missing items keep these: a scale of 1 never divides by zero.
    double m_scale = 1.0;
    int32_t m_originX = 0, m_originY = 0;
    std::string m_travelText;
    int32_t m_markerX = 0, m_markerY = 0;
    int32_t m_tileMarkerX = 0, m_tileMarkerY = 0;
    QrPoint3 m_entryPosition;
    QrPoint3 m_destination;
    int32_t m_entryColumn = 0, m_entryRow = 0;
    int32_t m_travelMinutes = 0;
    int32_t m_heading = 0;
    int32_t m_tileLeft = 0, m_tileTop = 0;
    ResourcePack* m_lakePack = nullptr;
    QrPointer<QrImage> m_map;
    QrPointer<QrImage> m_tile;
    QrPointer<QrImage> m_boatMarker;
    std::array<QrPointer<QrImage>, 8> m_arrows;
};
