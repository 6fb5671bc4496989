// Sound mixing and resource-pack loading.
//   MixTenStreams: ten looping 22,050 Hz mono buffers mixed to 44.1 kHz stereo; one iteration
//     is one second of audio, so the time per iteration is the CPU cost of a second of sound.
//   LoadPermanentGroups: the main sample pack's start-up groups loaded and unloaded (the
//     background loader running), as the game does at start-up and exit.
#include "ResourcePack.h"
#include "ResourceTypes.h"

#include "Mixer.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace
{

void MixTenStreams(benchmark::State& state)
{
    plat::Mixer mixer;
    const plat::WaveFormat format{plat::WaveFormat::kTagPcm, 1, 22050, 44100, 2, 16, 0};
    std::vector<int16_t> samples(22050 * 3);
    for (int stream = 0; stream < 10; ++stream)
    {
        for (size_t i = 0; i < samples.size(); ++i)
            samples[i] = int16_t(3000.0 * std::sin(double(i) * 0.01 * (stream + 1)));
        plat::Mixer::Buffer* buffer = mixer.CreateBuffer(format, uint32_t(samples.size() * 2));
        mixer.Write(buffer, 0, samples.data(), uint32_t(samples.size() * 2));
        mixer.SetVolume(buffer, -300 * stream);
        mixer.Play(buffer, true);
    }
    std::vector<int16_t> out(1024 * 2);
    for (auto _ : state)
    {
        // One second in device-sized pieces.
        for (uint32_t done = 0; done < plat::Mixer::kRate; done += 1024)
            mixer.Mix(out.data(), 1024);
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(MixTenStreams)->Unit(benchmark::kMillisecond);

void LoadPermanentGroups(benchmark::State& state)
{
    RegisterSoundResourceType();
    RegisterDataResourceType();
    RegisterBlobResourceType();
    RegisterImageResourceType();
    ResourcePack::InitLoader();
    ResourcePack* pack = nullptr;
    if (ResourcePack::Open(QR_DATA_DIR "/Data/tov", &pack, false) != kResourceOk)
    {
        state.SkipWithError("the sample pack is missing");
        ResourcePack::ShutdownLoader();
        return;
    }
    const uint32_t groups[] = {0, 1, 2, 3, 4, 5, 6, 36};
    for (auto _ : state)
    {
        for (uint32_t group : groups)
            ResourcePack::LoadGroup(group, pack);
        // Waits for the background items, so that the time covers every item.
        for (const ResourcePack::Group& group : pack->Groups())
            for (const auto& [type, id] : group.entries)
                if (group.id <= 6 || group.id == 36)
                    benchmark::DoNotOptimize(ResourcePack::GetItem(type, id, pack));
        for (uint32_t group : groups)
            ResourcePack::UnloadGroup(group, pack);
    }
    ResourcePack::Close(&pack);
    ResourcePack::ShutdownLoader();
}
BENCHMARK(LoadPermanentGroups)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
