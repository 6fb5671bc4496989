#pragma once
// The fishing mode as starting and ending a game sees it: it owns the fishing world, builds
// it for the current lake with the session's anglers and takes it down at the game's end.
// The application installs one at start-up.

#include "tovSessionHooks.h"

#include <memory>

class tovFishingWorld;

class tovFishingHooks : public tovFishingModeHooks
{
public:
    tovFishingHooks();
    ~tovFishingHooks() override;
    tovFishingHooks(const tovFishingHooks&) = delete;
    tovFishingHooks& operator=(const tovFishingHooks&) = delete;

    void BeginGame(tovGameSession& session) override;
    // Also resets the network players to the game-ended phase.
    void EndGame() override;
    // The fishing screen's tackle-button gate.
    bool AllowsHelpPicture() override;
    // Builds one fish of the species so its model is cached; the world pointer is null
    // meanwhile.
    void PreloadSpecies(int32_t species) override;
    // The world, the boats', anglers' and fish's shared objects, the plant catalogue and the
    // picture cache; before the renderer goes.
    void ReleaseStatics() override;
    bool IsWorldBuilt() override;
    void PlaceBoatAtStart(tovBoat& boat, int32_t slot) override;
    void RestoreTerrain() override;

    tovFishingWorld& GetWorld() { return *m_world; }

private:
    std::unique_ptr<tovFishingWorld> m_world;
};

// The program's fishing world while hooks are installed; null otherwise.
tovFishingWorld* GetFishingWorld();
