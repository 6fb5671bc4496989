#pragma once
// The fishing day's world: the scene with its six cameras, the water, the sky, the lake and its
// sectors, the splash and the lights, and the anglers' boats on it. It answers the lake
// world's and the anglers' questions, steps everything once a frame through its idle manager
// and its angler list, pages the lake's sectors after the local boat and switches the scene
// under water when the camera crosses the surface. Built for a day and torn down after it;
// its lake, sky and scene are empty in between.

#include "tovAnglingWorld.h"
#include "tovLure.h"
#include "tovWorldServices.h"

#include "qrxIdleManager.h"
#include "qrxKeypadNavigator.h"

#include "QrMatrix3.h"
#include "QrPointer.h"
#include "QrSorter.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QrCamera;
class QrLight;
class QrNode;
class QrRender;
class qrxAmbientSound;
class tovAnglerRig;
class tovCameraHeadingTracker;
class tovCameraModeAction;
class tovFishModels;
class tovLake;
class tovScene;
class tovSky;
class tovLure;
class tovSplash;
class tovWater;
class tovWaterCrossAction;

class tovFishingWorld : public tovWorldServices, public tovAnglingWorld
{
public:
    static constexpr int32_t kCameraCount = 6;
    // Camera near and far distances above and below the water.
    static constexpr float kNearAbove = 0.01f;
    static constexpr float kFarAbove = 120.0f;
    static constexpr float kNearBelow = 0.005f;
    static constexpr float kFarBelow = 3.0f;
    static constexpr float kStartHeight = 0.005f;
    static constexpr float kDefaultTerrainError = 1.0f;

    tovFishingWorld();
    ~tovFishingWorld() override;
    tovFishingWorld(const tovFishingWorld&) = delete;
    tovFishingWorld& operator=(const tovFishingWorld&) = delete;

    // Builds the day's world on the lake description at the detail (0..1). The renderer and
    // the ambient sound may be null. A previous world is torn down first. False, with nothing
    // built, when the lake does not load.
    bool Build(const std::string& lakePath, float detail, QrRender* renderer, qrxAmbientSound* ambient);
    // Everything the build made goes, in reverse order; nothing when nothing is built.
    void Teardown();
    bool IsBuilt() const { return m_built != 0; }
    const std::string& LastError() const { return m_error; }

    // The rig's boat goes into the scene and the boat list and the rig is stepped each frame;
    // the first local (non-computer) rig's boat is the player's. Nothing before a build.
    void AddAngler(tovAnglerRig* rig);
    void RemoveAngler(tovAnglerRig* rig);
    const std::vector<QrPointer<tovAnglerRig>>& GetAnglers() const { return m_anglers; }
    // The local boat at start location 0, computer rig k at the lake's computer location k.
    void PlaceAnglers();
    // The boat at the lake's start location (height 0.005, its heading), on the water's waves;
    // the day's fish follow the player's boat to its start.
    void PlaceBoatAtStart(tovBoat& boat, int32_t index);
    // A loaded game's rig joins where its record left the boat; a computer angler gets the
    // next computer location's fishing spots, as PlaceAnglers would give it.
    void AddLoadedAngler(tovAnglerRig* rig, const QrPoint3& position, const QrMatrix3& rotation);

    // The lure shown in the scene and stepped with the world: the one attached before leaves,
    // null attaches none. Nothing before a build.
    void SetCurrentLure(tovLure* lure);
    tovLure* GetCurrentLure() const { return m_currentLure.Get(); }

    // One frame: idle objects, rigs, sky, then the sector nearest the local boat.
    void Update(double now, double elapsed);
    // Pages the lake to the sector and moves the scene's origin with it: the boats, the free
    // camera and the computer anglers' spots stay where they were on the lake.
    void SwitchSector(int32_t index);
    // After the display surfaces were lost: the current sector, its tolerance and page meshes
    // again. Nothing when nothing is built.
    void RestoreTerrain();
    double GetSectorSwitchTime() const { return m_switchTime; }
    float GetTerrainError() const { return m_terrainError; }
    void SetTerrainError(float tolerance);

    // Camera 0..5 (tovCameraModeAction's modes) becomes current; crossing the water plane on
    // the way switches the scene as SetUnderwater does. While the free camera is current the
    // frame's keypad keys move and turn it.
    void SetCamera(int32_t mode);
    int32_t GetCameraMode() const { return m_cameraMode; }
    QrCamera* GetCamera() const;
    QrCamera* GetCameraAt(int32_t mode) const;
    bool IsUnderwater() const { return m_below != 0; }
    tovSplash* GetSplash() const { return m_splash.Get(); }
    tovWater* GetWater() const { return m_water.Get(); }
    QrLight* GetLightA() const { return m_lightA.Get(); }
    // Null before a build.
    const tovCameraHeadingTracker* GetHeadingTracker() const { return m_headingTracker.get(); }
    qrxKeypadNavigator& GetNavigator() { return m_navigator; }

    // The lake's species values: per species its two size bounds and its share; and its
    // species tables (abundance, preferred depth, activity), which the next build's fish
    // follow.
    void SetSpecies(const std::array<std::array<float, 3>, 17>& triples);
    void SetSpeciesTables(const std::array<std::array<float, 17>, 3>& tables) { m_tables = tables; }
    // The day's fish; null before a build.
    tovFishModels* GetFish() const { return m_fish.get(); }

    // tovWorldServices
    void SetUnderwater(bool below) override;
    void SetLightAPosition(const QrPoint3& position) override;
    tovScene* GetScene() override { return m_scene.Get(); }
    void NoteSectorSwitch() override;
    qrxIdleManager* GetIdleManager() override { return &m_idle; }
    float GroundHeight(const QrPoint3& world) override;
    bool IsOnLake(const QrPoint3& world) override;
    tovLake* GetLake() override { return m_lake.Get(); }
    tovBoat* GetBoat(int32_t index) override;
    tovBoat* GetPlayerBoat() override { return m_playerBoat; }
    tovWeather* GetWeather() override;
    std::unique_ptr<tovBoatProbe> CreateBoatProbe() override;
    tovSky* GetSky() override { return m_sky.get(); }

    // tovAnglingWorld
    float GroundHeight(const QrPoint3& world) const override;
    float WaterHeight() const override { return 0.0f; }
    bool IsOnLake(const QrPoint3& world) const override;
    float GetPopulationDensity(const QrPoint3& world) const override;
    void QueryPopulation(const QrPoint3& world, float& a, float& b, float& c, float& d) const override;
    const tovWeather* GetWeather() const override;
    QrPoint3 WorldToMap(const QrPoint3& world) const override;
    QrPoint3 MapToWorld(const QrPoint3& map) const override;
    float GetSpeciesShare(int32_t species) const override;
    void GetSpeciesBounds(int32_t species, float& bound1, float& bound2) const override;
    void GetBotLocation(int32_t i, double& x, double& z, double& heading) const override;

private:
    void BuildCameras();
    void BuildWater(float detail);
    void BuildSky(float detail, QrRender* renderer, qrxAmbientSound* ambient);
    void BuildLights();
    void BuildFish();
    // The day's fish around start location index (a valid one, or 0 on a lake without starts).
    void PopulateAroundStart(int32_t index);
    void PopulateAround(const QrPoint3& at);
    void ReLight();
    void ApplyCameraRange();
    void ShowBelowWaterGroup(bool show);
    void TakeDownAnglers();
    int32_t FirstBotLocation() const;
    void TakeDownCameras();

    qrxIdleManager m_idle;
    QrPointer<tovScene> m_scene;
    QrPointer<tovLake> m_lake;
    QrPointer<tovWater> m_water;
    std::unique_ptr<tovSky> m_sky;
    QrPointer<tovSplash> m_splash;
    QrPointer<tovLure> m_currentLure;
    QrPointer<QrLight> m_lightA;
    QrPointer<QrLight> m_sun;
    QrPointer<QrLight> m_ambientLight;
    // The wakes lie in world coordinates: under a node of their own without a transform.
    QrPointer<QrNode> m_wakes;
    std::array<QrPointer<QrCamera>, kCameraCount> m_cameras;
    std::array<QrPointer<tovCameraModeAction>, kCameraCount> m_modeActions;
    std::array<QrPointer<tovWaterCrossAction>, kCameraCount> m_crossActions;
    std::unique_ptr<tovCameraHeadingTracker> m_headingTracker;
    qrxKeypadNavigator m_navigator{nullptr, nullptr};
    std::vector<QrPointer<tovAnglerRig>> m_anglers;
    tovBoat* m_playerBoat = nullptr;
    QrSorterFactory m_oldSorterFactory = nullptr;
    std::array<std::array<float, 3>, 17> m_species{};
    std::array<std::array<float, 17>, 3> m_tables{};
    std::unique_ptr<tovFishModels> m_fish;
    // The start location the fish were put around.
    int32_t m_fishStart = 0;
    int32_t m_fishSeed = 1;
    std::string m_error;
    double m_now = 0.0;
    double m_switchTime = 0.0;
    float m_terrainError = kDefaultTerrainError;
    int32_t m_cameraMode = 0;
    uint8_t m_below = 0;
    // 0: no lake world built.
    uint32_t m_built = 0;
};
