#include "tovWorldClasses.h"

#include "qrxTerrainPage.h"
#include "qrxWaveGrid.h"
#include "tovTerrainSector.h"

#include "qrxFrameworkClasses.h"

void RegisterGameWorldClasses()
{
    RegisterFrameworkClasses();
    qrxTerrainPage::RegisterCreateFunction();
    tovTerrainSector::RegisterCreateFunction();
    qrxWaveGrid::RegisterCreateFunction();
}
