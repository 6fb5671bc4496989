#pragma once
// The fishing world as the lake world sees it. The fishing world lives in a higher layer and
// installs itself here; without one the pointer is null and the world's actions do nothing.

#include "QrPoint3.h"

#include <cstdint>
#include <memory>

class qrxIdleManager;
class tovBoat;
class tovBoatProbe;
class tovLake;
class tovSky;
class tovScene;
class tovWeather;

class tovWorldServices
{
public:
    virtual ~tovWorldServices() = default;

    // Switches the whole scene (scene root, line, wakes, sky, sectors, camera range) between
    // its above-water and below-water looks.
    virtual void SetUnderwater(bool below) = 0;
    // Moves the light that follows the camera.
    virtual void SetLightAPosition(const QrPoint3& position) = 0;
    // The scene root that the lake's models and populations hang in; null without one.
    virtual tovScene* GetScene() { return nullptr; }
    // The lake switched sectors: the last-switch time becomes the application's time less
    // 0.01 s.
    virtual void NoteSectorSwitch() {}
    // The manager that steps the world's idle objects; null without one.
    virtual qrxIdleManager* GetIdleManager() { return nullptr; }

    // What the boats drive on. Without a lake every point is dry ground at height 0.
    virtual float GroundHeight(const QrPoint3& /*world*/) { return 0.0f; }
    virtual bool IsOnLake(const QrPoint3& /*world*/) { return false; }
    virtual tovLake* GetLake() { return nullptr; }
    // The point lies over the current lake's map (height within the map's span); false without
    // a lake or a current sector.
    virtual bool IsInLakeExtent(const QrPoint3& world);
    // The lake-map cell of a world point and the world point at a cell's centre, both kept on
    // the map; false, with nothing written, without a lake.
    virtual bool WorldToMapCell(const QrPoint3& world, int32_t& column, int32_t& row);
    virtual bool MapCellToWorld(int32_t column, int32_t row, QrPoint3& world);
    // The boats on the lake, from 0 until the first null.
    virtual tovBoat* GetBoat(int32_t /*index*/) { return nullptr; }
    // The local player's boat; null when there is none.
    virtual tovBoat* GetPlayerBoat() { return nullptr; }
    virtual tovWeather* GetWeather() { return nullptr; }
    // A new probe for the local player's boat; null when the world samples nothing.
    virtual std::unique_ptr<tovBoatProbe> CreateBoatProbe();
    // The fishing day's sky; null until a day has built it.
    virtual tovSky* GetSky() { return nullptr; }
};

// Borrowed; null removes it.
void SetWorldServices(tovWorldServices* services);
tovWorldServices* GetWorldServices();
