#pragma once
// What the reader targets share: a private folder for the files an input becomes, and the
// sound manager on the headless output with a manual worker, so ends land at once.

#include "HeadlessAudioOutput.h"
#include "SoundManager.h"

#include "DebugOutput.h"
#include "Files.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/statvfs.h>
#include <unistd.h>

namespace fuzzsupport
{

// Under $TMPDIR when it is set, else /tmp.
inline const std::string& Folder()
{
    static const std::string folder = []
    {
        const char* tmp = std::getenv("TMPDIR");
        std::string name = std::string(tmp && *tmp ? tmp : "/tmp") + "/qrfuzz-XXXXXX";
        const char* made = mkdtemp(name.data());
        if (!made)
            std::abort();
        return std::string(made);
    }();
    // Gone when the run ends, as the replays of the test build run each target every time.
    static const bool removedAtExit = []
    {
        return std::atexit(
                   []
                   {
                       std::error_code error;
                       std::filesystem::remove_all(folder, error);
                   }) == 0;
    }();
    (void)removedAtExit;
    return folder;
}

// A write that failed. On a full disk the input is not at fault and libFuzzer could not
// write it anyway (it would leave an empty crash file): the run ends with a message instead.
[[noreturn]] inline void WriteFailed(const std::string& path)
{
    struct statvfs disk = {};
    if (statvfs(Folder().c_str(), &disk) == 0 && uint64_t(disk.f_bavail) * disk.f_frsize < (1u << 20))
    {
        std::fprintf(stderr, "fuzz: the disk under %s is full; cannot write %s\n", Folder().c_str(), path.c_str());
        std::_Exit(2);
    }
    std::abort();
}

inline std::string WriteInput(const std::string& name, const uint8_t* data, size_t size)
{
    const std::string path = Folder() + "/" + name;
    if (!plat::WriteFile(path, data, size))
        WriteFailed(path);
    return path;
}

// Drops the lines readers write about refused files: one per input floods the log.
class SilentDebugSink : public plat::DebugSink
{
public:
    void Write(const char*) override {}
};

inline void SilenceDebugOutput()
{
    static SilentDebugSink sink;
    plat::SetDebugSink(&sink);
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
