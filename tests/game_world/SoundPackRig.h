#pragma once
// The sample pack's sounds through the real sound manager on a headless sink whose worker runs
// by hand: audio moves only when a test pulls it, so every sound ends on the same frame of every
// run. The rig answers the pack as the main pack, as the game's boats find their sounds there.

#include "tovAppServices.h"

#include <cstdint>
#include <memory>

class ResourcePack;
class tovSoundFacade;

class SoundPackRig : public tovNullAppServices
{
public:
    SoundPackRig();
    ~SoundPackRig() override;
    SoundPackRig(const SoundPackRig&) = delete;
    SoundPackRig& operator=(const SoundPackRig&) = delete;

    // Opens the pack, starts the manager and installs the rig as the app services; failures are
    // the test's (wrap the call in ASSERT_NO_FATAL_FAILURE).
    void Start();
    // Undoes Start; the destructor calls it too.
    void Stop();

    ResourcePack* GetMainPack() override { return m_pack; }
    ResourcePack* Pack() const { return m_pack; }
    // How many slots play the pack's sound of this id (a sound played twice holds two).
    int Plays(uint32_t id) const;
    // Pulls audio for the given seconds, serving the worker and delivering sound ends after
    // each pull.
    void Pull(double seconds);

private:
    ResourcePack* m_pack = nullptr;
    std::unique_ptr<tovSoundFacade> m_facade;
    bool m_started = false;
};
