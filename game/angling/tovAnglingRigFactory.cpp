#include "tovAnglingRigFactory.h"

#include "tovAnglerRig.h"
#include "tovBoat.h"
#include "tovComputerRig.h"
#include "tovLocalRig.h"

QrPointer<tovAnglerRigBase> tovAnglingRigFactory::CreateLocalRig(bool lowDetail)
{
    // A new game starts its computer anglers' ids afresh.
    m_computersMade = 0;
    QrPointer<tovLocalRig> rig(new tovLocalRig(lowDetail));
    rig->SetAnglerValue(kLocalId);
    return QrPointer<tovAnglerRigBase>(rig);
}

QrPointer<tovAnglerRigBase> tovAnglingRigFactory::CreateComputerRig(bool lowDetail)
{
    QrPointer<tovComputerRig> rig(new tovComputerRig(lowDetail, 0, 0, 0, 0));
    rig->SetAnglerValue(kFirstComputerId + m_computersMade % kComputerCount);
    ++m_computersMade;
    return QrPointer<tovAnglerRigBase>(rig);
}
