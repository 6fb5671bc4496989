// One WAVE file per input, played as the game plays one: streamed once and looping, and read
// whole into a static buffer played once and looping through the mixer.
#include "FuzzSupport.h"

#include "WaveFile.h"

#include <algorithm>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::StartSound();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string path = fuzzsupport::WriteInput("input.wav", data, size);
    PlaySoundStream(path.c_str(), false, nullptr, 0, nullptr, 0);
    PlaySoundStream(path.c_str(), true, nullptr, 0, nullptr, -300);

    plat::WaveFile file;
    std::vector<uint8_t> samples;
    if (file.Open(path) == plat::WaveFile::kOk && file.StartDataRead() == plat::WaveFile::kOk)
    {
        // The data can be no larger than the input that holds it.
        samples.resize(std::min<size_t>(file.DataSize(), size));
        uint32_t got = 0;
        file.Read(samples.data(), uint32_t(samples.size()), got);
        samples.resize(got);
        PlaySoundBuffer(file.Format(), samples.data(), uint32_t(samples.size()), false, nullptr, 0, nullptr, 0);
        PlaySoundBuffer(file.Format(), samples.data(), uint32_t(samples.size()), true, nullptr, 0, nullptr, -300);
    }
    fuzzsupport::PlayOn(16384);
    StopEverySound();
    DeliverSoundEnds();
    return 0;
}
