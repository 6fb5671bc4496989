#include "SoundPackRig.h"

#include "HeadlessAudioOutput.h"
#include "ResourcePack.h"
#include "ResourceTypes.h"
#include "SoundManager.h"
#include "TestFiles.h"
#include "tovSoundFacade.h"

#include <gtest/gtest.h>

SoundPackRig::SoundPackRig() = default;

SoundPackRig::~SoundPackRig()
{
    Stop();
}

void SoundPackRig::Start()
{
    m_started = true;
    RegisterSoundResourceType();
    ASSERT_EQ(ResourcePack::InitLoader(), kResourceOk);
    ASSERT_EQ(ResourcePack::Open(testfiles::DataDir() + "/Data/tov", &m_pack), kResourceOk);
    ResourcePack::LoadGroup(1, m_pack);
    SetSoundOutputFactory([] { return std::make_unique<plat::HeadlessAudioOutput>(); });
    SetSoundInitQuestion(nullptr);
    SetSoundWorkerManual(true);
    m_facade = std::make_unique<tovSoundFacade>();
    ASSERT_EQ(InitSoundManager(nullptr), kSoundOk);
    SetAppServices(this);
}

void SoundPackRig::Stop()
{
    if (!m_started)
        return;
    m_started = false;
    SetAppServices(nullptr);
    // The facade stops the manager.
    m_facade.reset();
    SetSoundWorkerManual(false);
    SetSoundOutputFactory(nullptr);
    if (m_pack)
        ResourcePack::Close(&m_pack);
    ResourcePack::ShutdownLoader();
}

int SoundPackRig::Plays(uint32_t id) const
{
    SoundRecord* record = tovSoundFacade::FindSound(m_pack, id);
    EXPECT_NE(record, nullptr) << id;
    return record ? OwnedSoundCount(&record->handle) : 0;
}

void SoundPackRig::Pull(double seconds)
{
    auto* output = static_cast<plat::HeadlessAudioOutput*>(GetSoundOutput());
    if (!output)
        return;
    output->Pull(uint32_t(seconds * plat::Mixer::kRate + 0.5));
    ServiceSoundWorker();
    DeliverSoundEnds();
}
