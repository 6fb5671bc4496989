// One lake population catalogue (".pop") per input, read as a lake load reads it, then used as
// the fishing day uses it: a tile's plants placed from it at full and at low detail.
// QR_FUZZ_LAKE_DIR=build/test/data/Lakes puts the sample lake's plant pictures beside it.
#include "FuzzWorld.h"

#include "ByteWriter.h"
#include "tovPopulation.h"
#include "tovPopulationCatalogue.h"

#include <filesystem>

namespace
{

std::string g_raster;

float Ground(void*, float x, float z)
{
    return 0.01f * (x - z);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::SilenceDebugOutput();
    fuzzsupport::RegisterWorldClasses();
    fuzzsupport::CopyLakeFiles("pop");
    // A 33-cell raster whose cells run through every density and kind.
    plat::ByteWriter out;
    const int32_t side = 33;
    out.I32(side);
    out.I32(side);
    out.U32(0);
    out.U32(0);
    out.F32(100.0f);
    out.F32(7.0f);
    out.F32(2.0f);
    for (int32_t r = 0; r < side; ++r)
        for (int32_t c = 0; c < side; ++c)
            out.U16(static_cast<uint16_t>((r * 131 + c * 977) & 0xFFFF));
    g_raster = fuzzsupport::WriteInput("Pop0000.raw", out.Buffer().data(), out.Size());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string path = fuzzsupport::WriteInput("Fuzzed.pop", data, size);
    for (int32_t level : {15, 3})
    {
        if (!LoadPopulationCatalogue(path, level))
            return 0;
        tovPopulation population;
        population.SetScale(0.01f);
        population.SetHeightCallback(&Ground, nullptr);
        if (!population.LoadMap(g_raster))
            std::abort();
        population.Place(level);
        for (int32_t t = 0; t < tovPopulation::kTreeCount; ++t)
            population.GetTree(t);
        population.FreeTrees();
    }
    ClearPopulationCatalogue();
    return 0;
}
