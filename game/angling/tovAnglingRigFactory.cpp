#include "tovAnglingRigFactory.h"

#include "tovAnglerRig.h"
#include "tovBoat.h"
#include "tovComputerRig.h"

QrPointer<tovAnglerRigBase> tovAnglingRigFactory::CreateLocalRig(bool lowDetail)
{
    // A new game starts its computer anglers' ids afresh.
    m_computersMade = 0;
    QrPointer<tovAnglerRig> rig(new tovAnglerRig(0, 0, 0, -1, lowDetail, new tovBoat(lowDetail ? 0.0f : 1.0f)));
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
