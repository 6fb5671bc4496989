// One lake description per input, loaded beside the sample lake's other files (when the
// folder named by QR_FUZZ_LAKE_DIR holds them) and asked what the game asks of a lake: where
// the starts are, the ground and water there and over a grid of the map, the sectors.
#include "FuzzWorld.h"

#include "QrPoint3.h"
#include "tovLake.h"

#include <filesystem>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::RegisterWorldClasses();
    fuzzsupport::CopyLakeFiles("");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string path = fuzzsupport::WriteInput("Fuzzed.txt", data, size);
    QrPointer<tovLake> lake(new tovLake(true));
    if (!lake->Load(path))
        return 0;
    for (int32_t i = 0; i < 5; ++i)
    {
        double x = 0.0, y = 0.0, heading = 0.0;
        lake->GetStartLocation(i, x, y, heading);
        lake->GetBotLocation(i, x, y, heading);
        QrPoint3 world;
        lake->MapToWorld(x, y, world);
        lake->GroundHeight(world);
        lake->IsOnLake(world);
        lake->NearestSectorToPoint(world);
        lake->GetPopulationDensity(world);
    }
    for (int32_t row = -2; row < 600; row += 37)
        for (int32_t column = -2; column < 600; column += 37)
        {
            QrPoint3 world;
            lake->MapCellToWorld(column, row, world);
            lake->GroundHeight(world);
            lake->IsOnLakeCell(column, row);
            int32_t c = 0, r = 0;
            lake->WorldToMapCell(world, c, r);
        }
    return 0;
}
