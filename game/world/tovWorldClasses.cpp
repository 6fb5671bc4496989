#include "tovWorldClasses.h"

#include "qrxTerrainPage.h"
#include "tovTerrainSector.h"

#include "qrxFrameworkClasses.h"

void RegisterGameWorldClasses()
{
    RegisterFrameworkClasses();
    qrxTerrainPage::RegisterCreateFunction();
    tovTerrainSector::RegisterCreateFunction();
}
