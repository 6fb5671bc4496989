#pragma once
// What the reader targets share: a private folder for the files an input becomes, and the
// sound manager on the headless output with a manual worker, so ends land at once.

#include "HeadlessAudioOutput.h"
#include "SoundManager.h"

#include "Files.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace fuzzsupport
{

inline const std::string& Folder()
{
    static const std::string folder = []
    {
        char name[] = "/tmp/qrfuzz-XXXXXX";
        const char* made = mkdtemp(name);
        if (!made)
            std::abort();
        return std::string(made);
    }();
    return folder;
}

inline std::string WriteInput(const std::string& name, const uint8_t* data, size_t size)
{
    const std::string path = Folder() + "/" + name;
    if (!plat::WriteFile(path, data, size))
        std::abort();
    return path;
}

inline void StartSound()
{
    SetSoundOutputFactory([] { return std::make_unique<plat::HeadlessAudioOutput>(); });
    SetSoundInitQuestion(nullptr);
    SetSoundWorkerManual(true);
    if (InitSoundManager(nullptr) != kSoundOk || !IsSoundOn())
        std::abort();
}

// Moves the audio on by frames device frames in pieces, servicing the worker after each and
// delivering the ends as a frame would.
inline void PlayOn(uint32_t frames)
{
    auto* output = static_cast<plat::HeadlessAudioOutput*>(GetSoundOutput());
    for (uint32_t done = 0; done < frames; done += 2048)
    {
        output->Pull(2048);
        ServiceSoundWorker();
        DeliverSoundEnds();
    }
    // The output keeps what it mixed; nothing here listens.
    output->TakeSamples();
}

} // namespace fuzzsupport
