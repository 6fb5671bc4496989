#pragma once
// The shell fixture with this set's screens in place of their stand-ins, and a world whose
// scene a test can build (a game has started) or leave out.

#include "ShellScreenFixture.h"

#include "tovScene.h"
#include "tovSky.h"
#include "tovWorldServices.h"

class FrontEndWorld : public tovWorldServices
{
public:
    void SetUnderwater(bool) override {}
    void SetLightAPosition(const QrPoint3&) override {}
    tovScene* GetScene() override { return m_scene.Get(); }
    tovSky* GetSky() override { return m_sky; }
    QrPointer<tovScene> m_scene;
    tovSky* m_sky = nullptr;
};

class FrontEndTest : public ShellScreenTest
{
protected:
    void SetUp() override;
    void TearDown() override;
    void AddMoreScreens() override;

    FrontEndWorld m_world;
};
