#include "FishingWorldHarness.h"

#include "QrCamera.h"
#include "QrDisplay.h"
#include "qrxAssetCache.h"
#include "qrxCutout.h"
#include "tovAnglingRigFactory.h"
#include "tovBoat.h"
#include "tovInstallSettings.h"
#include "tovPopulationCatalogue.h"
#include "tovSky.h"
#include "tovUserProfile.h"
#include "tovWeather.h"
#include "tovWorldClasses.h"
#include "uRandom.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <array>
#include <tuple>

void FishingWorldHarness::SetUp()
{
    qrxCutout::CreateSharedProperties();
    QrEngineTest::SetUp();
    RegisterGameWorldClasses();
    m_detail = TheUserProfile().GetDetail();
    m_rig = std::make_unique<HeadlessRenderer>();
    ASSERT_TRUE(m_rig->GetRenderer()) << QrD3DRender::GetLastErrorText();
    SetInstallRoot(testfiles::DataDir());
    m_world = std::make_unique<tovFishingWorld>();
    plat::SetCurrentClock(&m_time);
    // The weather seeds itself from the calendar.
    plat::FixCalendarSeconds(1'000'000'000);
    m_savedClock = TheGameClock();
}

void FishingWorldHarness::TearDown()
{
    m_world.reset();
    m_anglers.clear();
    TheGameClock() = m_savedClock;
    plat::UnfixCalendarSeconds();
    plat::SetCurrentClock(nullptr);
    SetInstallRoot("");
    ClearPopulationCatalogue();
    qrxAssetCache::Get().Clear();
    tovBoat::ReleaseStatics();
    m_rig.reset();
    TheUserProfile().SetDetail(m_detail);
    QrEngineTest::TearDown();
}

std::string FishingWorldHarness::LakePath()
{
    return testfiles::DataDir() + "/Lakes/Clearwater.txt";
}

bool FishingWorldHarness::BuildDay(float detail)
{
    // Bass mostly, some crappie and bluegill, sized as on the sample lake.
    tovFishPopulation::SpeciesTables tables{};
    SpeciesTriples triples{};
    for (const auto& [species, abundance, low, high] :
         {std::tuple{3, 1.0f, 1.0f, 6.0f}, {10, 0.6f, 1.0f, 4.0f}, {0, 0.4f, 0.3f, 1.5f}, {1, 0.4f, 0.2f, 1.0f}})
    {
        tables[0][size_t(species)] = abundance;
        triples[size_t(species)] = {low, high, abundance};
    }
    // The waves' phases come from the shared generator.
    return BuildDay(detail, LakePath(), tables, triples, 111);
}

bool FishingWorldHarness::BuildDay(float detail, const std::string& path,
                                   const tovFishPopulation::SpeciesTables& tables, const SpeciesTriples& triples,
                                   uint32_t seed)
{
    TheUserProfile().SetDetail(detail);
    SharedRandom().seed(seed);
    TheGameClock().Start(10.0, 8.0);
    TheGameClock().SetFlags(tovGameClock::kRunning);
    m_world->SetSpeciesTables(tables);
    m_world->SetSpecies(triples);
    if (!m_world->Build(path, detail, m_rig->GetRenderer(), nullptr))
        return false;
    tovSky* sky = m_world->GetSky();
    sky->GetWeather()->SetAuto(false);
    sky->GetWeather()->SetCloud(0.42f);
    sky->GetWeather()->SetFog(0.0f);
    tovAnglingRigFactory factory;
    m_anglers.clear();
    m_anglers.emplace_back(static_cast<tovAnglerRig*>(factory.CreateLocalRig(detail < 0.2f).Get()));
    for (int i = 0; i < tovAnglingRigFactory::kComputerCount; ++i)
        m_anglers.emplace_back(static_cast<tovAnglerRig*>(factory.CreateComputerRig(detail < 0.95f).Get()));
    for (const QrPointer<tovAnglerRig>& rig : m_anglers)
        m_world->AddAngler(rig.Get());
    m_world->PlaceAnglers();
    m_now = 0.0;
    m_world->Update(m_now, 0.0);
    return true;
}

void FishingWorldHarness::Step(int frames, double dt)
{
    for (int i = 0; i < frames; ++i)
    {
        m_now += dt;
        m_time.AdvanceSeconds(dt);
        TheGameClock().Update();
        m_world->Update(m_now, dt);
    }
}

void FishingWorldHarness::Draw()
{
    tovSky* sky = m_world->GetSky();
    const QrPoint3 background = sky ? sky->GetBlendingColour() : QrPoint3(0.45f, 0.55f, 0.65f);
    m_rig->DrawFrame(m_world->GetCamera(), 1.0f, background);
    m_rig->DrawFrame(m_world->GetCamera(), 1.0f, background);
}

void FishingWorldHarness::DrawOver(const std::function<void()>& overlays)
{
    tovSky* sky = m_world->GetSky();
    QrCamera* camera = m_world->GetCamera();
    QrDisplay* display = m_rig->GetDisplay();
    m_rig->GetRenderer()->SetBackgroundColor(sky ? sky->GetBlendingColour() : QrPoint3(0.45f, 0.55f, 0.65f));
    camera->SetDisplay(display);
    camera->SetViewportFromDisplay(3);
    camera->RenderFrame(1.0f, 0.0f);
    display->EndFrame();
    overlays();
    display->DisplayFrame();
    camera->SetDisplay(nullptr);
}
