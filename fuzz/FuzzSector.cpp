// One lake tile's content per input: four bytes giving the height raster's length
// (little-endian), the height raster, then the population raster. They become the first tile
// of a one-sector lake, which is loaded as the fishing day loads its lake (terrain built from
// the heights, plants placed from the population) and asked for ground, water and plant
// density over the tile. QR_FUZZ_LAKE_DIR=build/test/data/Lakes lends the sample lake's
// population catalogue and plant pictures, so the plants are placed with real types.
#include "FuzzWorld.h"

#include "QrPoint3.h"
#include "tovLake.h"

#include <filesystem>

namespace
{

std::string g_description;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::SilenceDebugOutput();
    fuzzsupport::RegisterWorldClasses();
    const std::string folder = fuzzsupport::Folder();
    if (const char* lakes = fuzzsupport::CopyLakeFiles("pop"))
    {
        std::error_code error;
        std::filesystem::copy_file(std::string(lakes) + "/Clearwater.pop", folder + "/Tile.pop",
                                   std::filesystem::copy_options::skip_existing, error);
    }
    const std::string text = "MIN_ELEV 580 MAX_ELEV 680 SPAN 30 RESOLUTION 1 TERRAIN_ELEV_MULT 1 "
                             "WATER_LEVEL_MAX 620 TERRAIN_BASE_NAME Tile START_LOC 64 64 0 "
                             "SECTOR SECTOR_ROW 0 SECTOR_COLUMN 0 SECTOR_ORIGIN_X 0 SECTOR_ORIGIN_Y 0\n";
    g_description = fuzzsupport::WriteInput("Tile.txt", reinterpret_cast<const uint8_t*>(text.data()), text.size());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4)
        return 0;
    const size_t heights = std::min<size_t>(size - 4, data[0] | data[1] << 8 | data[2] << 16 | size_t(data[3]) << 24);
    fuzzsupport::WriteInput("Tile0000.raw", data + 4, heights);
    fuzzsupport::WriteInput("TilePop0000.raw", data + 4 + heights, size - 4 - heights);
    QrPointer<tovLake> lake(new tovLake(true));
    if (!lake->Load(g_description))
        std::abort();
    // The tile covers map cells 0 to 128 both ways; the walk starts and ends off it.
    for (int32_t row = -3; row < 132; row += 5)
        for (int32_t column = -3; column < 132; column += 5)
        {
            QrPoint3 world;
            lake->MapCellToWorld(column, row, world);
            lake->GroundHeight(world);
            lake->IsOnLake(world);
            lake->GetPopulationDensity(world);
            float a = 0.0f, b = 0.0f, c = 0.0f, d = 0.0f;
            lake->QueryPopulation(world, a, b, c, d);
        }
    return 0;
}
