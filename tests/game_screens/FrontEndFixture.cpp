#include "FrontEndFixture.h"

#include "tovAnglerLookIFace.h"
#include "tovBoat.h"
#include "tovConditionsIFace.h"
#include "tovInstallSettings.h"
#include "tovLakeInfoIFace.h"
#include "tovLivewellIFace.h"
#include "tovModelFileCache.h"
#include "tovOptionsIFace.h"
#include "tovPictureIFace.h"
#include "tovRecordIFace.h"
#include "tovSponsorListIFace.h"
#include "tovSponsorPageIFace.h"
#include "tovTackleBoxIFace.h"

#include "QrEngineAnimationClasses.h"
#include "qrxAssetCache.h"
#include "qrxFrameworkClasses.h"

void FrontEndTest::SetUp()
{
    SetWorldServices(&m_world);
    ShellScreenTest::SetUp();
    // The fish, angler and boat models come from the generated data folder.
    SetInstallRoot(testfiles::DataDir());
    RegisterEngineAnimationClasses();
    RegisterFrameworkClasses();
}

void FrontEndTest::TearDown()
{
    m_world.m_scene = nullptr;
    // Program-wide caches the previews fill: what one test loads is not another's leak.
    qrxAssetCache::Get().Clear();
    tovBoat::ReleaseStatics();
    tovModelFileCache::Clear();
    ShellScreenTest::TearDown();
    SetInstallRoot("");
    SetWorldServices(nullptr);
}

void FrontEndTest::AddMoreScreens()
{
    m_app->AddInterface(new tovLivewellIFace, 3);
    m_app->AddInterface(new tovAnglerLookIFace, 6);
    m_app->AddInterface(new tovConditionsIFace, 7);
    m_app->AddInterface(new tovTackleBoxIFace, 9);
    m_app->AddInterface(new StandInScreen, 19);
    m_app->AddInterface(new tovOptionsIFace, 11);
    m_app->AddInterface(new tovSponsorListIFace, 16);
    m_app->AddInterface(new tovSponsorPageIFace, 17);
    m_app->AddInterface(new tovRecordIFace, 20);
    m_app->AddInterface(new tovPictureIFace, 22);
    m_app->AddInterface(new tovLakeInfoIFace, 23);
}
