#pragma once
// The program-wide sound manager: ten slots of static sounds (whole samples in memory) and
// streams (WAVE files read piece by piece into a three-second ring), and a worker thread that
// refills streams and frees slots whose sound has ended. Plain functions over one state; the
// sound facade and the ambient sound are its callers besides start-up and shut-down.
//
// Threads: everything here is called on the main thread except the worker. End callbacks of
// sounds that end by themselves are queued by the worker and run on the main thread by
// DeliverSoundEnds at the start of the next frame; StopSound runs them at once.

#include "AudioOutput.h"
#include "SoundRecord.h"

#include <cstdint>

namespace plat
{
class WindowBackend;
struct WaveFormat;
} // namespace plat

enum SoundCode : int16_t
{
    kSoundOk = 0,
    kSoundNoMemory = 1,
    kSoundOpenFailed = 3,
    kSoundReadFailed = 5,
    kSoundChunkMissing = 7,
    kSoundNotWave = 8,
    kSoundDataEnded = 9,
    kSoundSystemFailed = 12,
    kSoundNoFreeSlot = 13,
    kSoundCreateFailed = -10000,
    kSoundBufferFailed = -10002,
    kSoundVolumeFailed = -10003,
    kSoundPlayFailed = -10011,
    kSoundLockFailed = -10013,
    kSoundNotifyFailed = -10017,
};

constexpr int kSoundSlotCount = 10;

// Asks the player a yes/no question; true for Yes.
using SoundQuestion = bool (*)(plat::WindowBackend* owner, const char* title, const char* text);

// Start-up installs how the device is made (SDL audio, or the headless sink) and how the
// player is asked when it cannot be; without a factory there is no device.
void SetSoundOutputFactory(plat::AudioOutputFactory factory);
void SetSoundInitQuestion(SoundQuestion question);
// The open device, or null; the headless harness pulls it.
plat::AudioOutput* GetSoundOutput();

int16_t InitSoundManager(plat::WindowBackend* mainWindow);
int16_t CreateSoundManager(plat::WindowBackend* mainWindow);
// Stops every sound, ends the worker and closes the device; afterwards every play is a
// no-op returning 0 until the manager is created again. A second call does nothing.
void StopSoundManager();
void SetSoundEnabled(bool on);
bool IsSoundOn();

int16_t PlaySoundBuffer(const plat::WaveFormat& format, const uint8_t* data, uint32_t size, bool loop,
                        SoundEndCallback onEnd, uintptr_t callbackArg, SoundHandle* handle, int32_t volume);
// A file shorter than the stream's buffer plays, padded with silence.
int16_t PlaySoundStream(const char* path, bool loop, SoundEndCallback onEnd, uintptr_t callbackArg, SoundHandle* handle,
                        int32_t volume);
void StopSound(SoundHandle handle);
void SetSoundVolume(SoundHandle handle, int32_t volume);
void StopEffectSounds();
void StopEverySound();

// Every slot whose handle word is *owner (a record played twice has two), for the facade and
// for unloading a sound item: after StopOwnedSounds nothing refers to the word any more.
void StopOwnedSounds(const SoundHandle* owner);
void SetOwnedSoundsVolume(const SoundHandle* owner, int32_t volume);
int OwnedSoundCount(const SoundHandle* owner);

// Runs the end callbacks queued by the worker and clears their handle words. Main thread.
void DeliverSoundEnds();

// For a run on a manual clock (the headless harness): set before the manager is created, no
// worker thread starts, and the owner calls ServiceSoundWorker after each pull of the sound
// sink, so that the worker's refills and sound ends happen at the same point of every run.
void SetSoundWorkerManual(bool manual);
// Handles every slot signal waiting now, on the calling thread.
void ServiceSoundWorker();
