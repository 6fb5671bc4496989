#pragma once
// The session's rig factory: the local angler first, then the computer anglers, which take
// angler ids 2 to 5 in the order they are made.

#include "tovSessionHooks.h"

#include <cstdint>

class tovAnglingRigFactory : public tovRigFactory
{
public:
    static constexpr int32_t kLocalId = 1;
    static constexpr int32_t kFirstComputerId = 2;
    static constexpr int32_t kComputerCount = 4;

    QrPointer<tovAnglerRigBase> CreateLocalRig(bool lowDetail) override;
    QrPointer<tovAnglerRigBase> CreateComputerRig(bool lowDetail) override;

private:
    int32_t m_computersMade = 0;
};
