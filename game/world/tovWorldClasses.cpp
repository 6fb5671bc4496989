#include "tovWorldClasses.h"

#include "qrxWaveGrid.h"

#include "qrxFrameworkClasses.h"

void RegisterGameWorldClasses()
{
    RegisterFrameworkClasses();
    qrxWaveGrid::RegisterCreateFunction();
}
