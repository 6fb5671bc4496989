#include "tovWorldClasses.h"

#include "qrxFrameworkClasses.h"

void RegisterGameWorldClasses()
{
    RegisterFrameworkClasses();
}
