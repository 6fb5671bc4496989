#include "tovScreenTable.h"

#include "tovAnglerLookIFace.h"
#include "tovChatIFace.h"
#include "tovChurnApp.h"
#include "tovConditionsIFace.h"
#include "tovDayStartIFace.h"
#include "tovExitIFace.h"
#include "tovGameSelectIFace.h"
#include "tovIntroIFace.h"
#include "tovLakeInfoIFace.h"
#include "tovLivewellIFace.h"
#include "tovLoadGameIFace.h"
#include "tovLogoIFace.h"
#include "tovMainMenuIFace.h"
#include "tovMessageIFace.h"
#include "tovOptionsIFace.h"
#include "tovPictureIFace.h"
#include "tovProfileIFace.h"
#include "tovRecordIFace.h"
#include "tovSaveGameIFace.h"
#include "tovSponsorListIFace.h"
#include "tovSponsorPageIFace.h"
#include "tovTackleBoxIFace.h"
#include "tovTournamentSetupIFace.h"
#include "tovTravelMapIFace.h"
#include "tovWeighInIFace.h"

#include "qrxInterface.h"

namespace
{

template <class Screen> std::unique_ptr<qrxInterface> Make()
{
    return std::make_unique<Screen>();
}

} // namespace

tovScreenTable::Constructor tovScreenTable::Find(int32_t id) const
{
    for (const Row& row : m_rows)
        if (row.id == id)
            return row.construct;
    return nullptr;
}

const tovScreenTable& tovScreenTable::Game()
{
    static const tovScreenTable table({
        {1, &Make<tovGameSelectIFace>},      {2, &Make<tovChurnApp>},          {3, &Make<tovLivewellIFace>},
        {4, &Make<tovTournamentSetupIFace>}, {5, &Make<tovProfileIFace>},      {6, &Make<tovAnglerLookIFace>},
        {7, &Make<tovConditionsIFace>},      {8, &Make<tovMainMenuIFace>},     {9, &Make<tovTackleBoxIFace>},
        {10, &Make<tovWeighInIFace>},        {11, &Make<tovOptionsIFace>},     {12, &Make<tovTravelMapIFace>},
        {13, &Make<tovIntroIFace>},          {14, &Make<tovLoadGameIFace>},    {15, &Make<tovSaveGameIFace>},
        {16, &Make<tovSponsorListIFace>},    {17, &Make<tovSponsorPageIFace>}, {18, &Make<tovChatIFace>},
        {19, &Make<tovDayStartIFace>},       {20, &Make<tovRecordIFace>},      {21, &Make<tovMessageIFace>},
        {22, &Make<tovPictureIFace>},        {23, &Make<tovLakeInfoIFace>},    {24, &Make<tovExitIFace>},
        {25, &Make<tovLogoIFace>},
    });
    return table;
}
