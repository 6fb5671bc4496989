#include "tovFishFactory.h"

#include "tovBlackCrappie.h"
#include "tovBluegill.h"
#include "tovCarp.h"
#include "tovLargemouthBass.h"
#include "tovMuskie.h"
#include "tovNorthernPike.h"
#include "tovPerch.h"
#include "tovPickerel.h"
#include "tovRedSunfish.h"
#include "tovSauger.h"
#include "tovSmallmouthBass.h"
#include "tovSpottedBass.h"
#include "tovStripedBass.h"
#include "tovSunfish.h"
#include "tovWalleye.h"
#include "tovWhiteBass.h"
#include "tovWhiteCrappie.h"

namespace
{

template <class T> tovFish* Make()
{
    return new T;
}

using Maker = tovFish* (*)();

constexpr Maker kMakers[kSpeciesCount] = {
    Make<tovBlackCrappie>,   Make<tovBluegill>,    Make<tovCarp>,        Make<tovLargemouthBass>, Make<tovMuskie>,
    Make<tovNorthernPike>,   Make<tovPerch>,       Make<tovPickerel>,    Make<tovRedSunfish>,     Make<tovSauger>,
    Make<tovSmallmouthBass>, Make<tovSpottedBass>, Make<tovStripedBass>, Make<tovSunfish>,        Make<tovWhiteCrappie>,
    Make<tovWalleye>,        Make<tovWhiteBass>,
};

} // namespace

QrPointer<tovFish> CreateFish(int32_t species)
{
    if (!IsValidSpecies(species))
        return {};
    return QrPointer<tovFish>(kMakers[species]());
}

bool PreloadFishSpecies(int32_t species)
{
    QrPointer<tovFish> fish = CreateFish(species);
    if (!fish || !fish->HasModel())
        return false;
    fish->RecordModelSize(species);
    fish->SetupSpecies();
    return true;
}
