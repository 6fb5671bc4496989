#pragma once
// What starting a game calls in higher layers: the rigs' factory and the fishing mode. The
// application installs the real ones; until then the null objects below do nothing and say so.

#include "QrPointer.h"
#include "tovAnglerRigBase.h"

#include <cstdint>

class tovBoat;
class tovGameSession;

class tovRigFactory
{
public:
    virtual ~tovRigFactory() = default;
    virtual QrPointer<tovAnglerRigBase> CreateLocalRig(bool lowDetail) = 0;
    virtual QrPointer<tovAnglerRigBase> CreateComputerRig(bool lowDetail) = 0;
};

class tovFishingModeHooks
{
public:
    virtual ~tovFishingModeHooks() = default;
    // Builds the world for the current lake and places the session's anglers.
    virtual void BeginGame(tovGameSession& session) = 0;
    virtual void EndGame() = 0;
    // Builds one fish of the species and lets it go, so its model and textures are cached.
    virtual void PreloadSpecies(int32_t /*species*/) {}
    // Whether H may open the help picture over the fishing screen.
    virtual bool AllowsHelpPicture() { return true; }
    // At exit: the shared objects of the boats and the anglers' shared animation clips.
    virtual void ReleaseStatics() {}
    // Whether a lake world stands to return to (the main menu's return button); none until
    // the fishing mode says so.
    virtual bool IsWorldBuilt() { return false; }
    // A network player's boat goes to that player's start location of the lake (slot 0 to 4).
    // Nothing to place before the fishing world exists.
    virtual void PlaceBoatAtStart(tovBoat& /*boat*/, int32_t /*slot*/) {}
    // Rebuilds the lake's terrain after the surfaces were lost (the program activated again
    // in full screen); nothing without a world.
    virtual void RestoreTerrain() {}
};

class tovNullRigFactory : public tovRigFactory
{
public:
    QrPointer<tovAnglerRigBase> CreateLocalRig(bool lowDetail) override;
    QrPointer<tovAnglerRigBase> CreateComputerRig(bool lowDetail) override;
};

class tovNullFishingModeHooks : public tovFishingModeHooks
{
public:
    void BeginGame(tovGameSession& session) override;
    void EndGame() override;
    void PreloadSpecies(int32_t species) override;
};

// Borrowed; null puts the null object back.
void SetRigFactory(tovRigFactory* factory);
tovRigFactory& GetRigFactory();
void SetFishingModeHooks(tovFishingModeHooks* hooks);
tovFishingModeHooks& GetFishingModeHooks();
