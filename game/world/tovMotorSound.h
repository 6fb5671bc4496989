#pragma once
// The outboard's sound: a small state machine that chains sampled sounds, a start sound, a
// running loop for each of eight throttle bands and a rising or falling transition between
// bands whose end leads to the loop of the new band. Throttle commands request a change at
// once; the end of a one-shot sound asks for the next loop, which the boat's next frame starts.
// Only the local boat is heard. The boat passes its throttle (0..1) and whether it is local.
//
// End callbacks reach the machine through the sound manager's end delivery at the start of a
// frame (or at once when a sound is stopped), so the state changes only on the main thread.

#include <cstdint>

class ResourcePack;
struct SoundRecord;

class tovMotorSound
{
public:
    enum Request : int32_t
    {
        kStart = 0,
        kRise = 1,
        kReverse = 2,
        kFall = 3,
        kStop = 4,
        kStartLoop = 5, // 5..12: the loop of band 0..7
    };
    static constexpr int32_t kRunning = 13; // 13..20
    static constexpr int32_t kRising = 21;  // 21..27: into bands 1..7
    static constexpr int32_t kFalling = 28; // 28..34: into bands 0..6
    static constexpr uint32_t kRiseSound = 6017;
    static constexpr uint32_t kFallSound = 6024;
    static constexpr uint32_t kLoopSound = 6031;
    static constexpr uint32_t kStartSound = 6039;
    static constexpr uint32_t kContactSound = 6040;
    static constexpr uint32_t kTrollingSound = 6046;
    static constexpr uint32_t kGroundingSound = 6189;

    tovMotorSound();
    ~tovMotorSound();
    tovMotorSound(const tovMotorSound&) = delete;
    tovMotorSound& operator=(const tovMotorSound&) = delete;

    // The pack the sounds come from; null (the default) is the main pack.
    void SetSoundPack(ResourcePack* pack) { m_pack = pack; }
    // A boat that is not the local one never plays or stops a sound.
    void SetLocal(bool local) { m_local = local; }
    bool IsLocal() const { return m_local; }

    void UpdateMotorSound(int32_t request, float throttle);
    // Serves a request left by a sound's end; the boat's frame calls it.
    void ServePending(float throttle);
    // Straight to the loop of the throttle's band, without a transition.
    void RestartMotorLoop(float throttle);
    // The transitions.
    void StopEngineSounds();
    // The start sound and the loops.
    void StopMotorSounds();

    // Plays a sound of the pack by id (local boat only); a one-shot sound given an end
    // state reports its end to the machine.
    void PlaySound(uint32_t id, bool loop);
    void StopSound(uint32_t id);

    int32_t GetState() const { return m_state; }
    bool IsRequestPending() const { return m_requestPending; }

    // Set by the fishing mode when it leaves or stops the boat; a transition that ends then
    // silences the motor instead of starting a loop.
    static void SetStopping(bool stopping);
    static bool IsStopping();

    // The band (0..7) of a throttle value: eighths of its square.
    static int32_t Band(float throttle);

private:
    enum Ending : uint32_t
    {
        kStartEnded = 1,
        kRiseEnded = 2,
        kFallEnded = 3,
    };
    SoundRecord* Find(uint32_t id) const;
    void PlayOnce(uint32_t id, Ending ending, int32_t state);
    void Ended(Ending ending, int32_t state);
    static void OnSoundEnd(uintptr_t arg);

    ResourcePack* m_pack = nullptr;
    uint32_t m_serial = 0;
    int32_t m_state = 0;
    bool m_requestPending = false;
    bool m_local = false;
};
