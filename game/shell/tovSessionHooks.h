#pragma once
// What starting a game calls in higher layers: the rigs' factory and the fishing mode. The
// application installs the real ones; until then the null objects below do nothing and say so.

#include "QrPointer.h"
#include "tovAnglerRigBase.h"

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
    // Whether a lake world stands to return to (the main menu's return button); none until
    // the fishing mode says so.
    virtual bool IsWorldBuilt() { return false; }
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
};

// Borrowed; null puts the null object back.
void SetRigFactory(tovRigFactory* factory);
tovRigFactory& GetRigFactory();
void SetFishingModeHooks(tovFishingModeHooks* hooks);
tovFishingModeHooks& GetFishingModeHooks();
