#include "tovBoatState.h"

void tovBoatState::Update(double dt)
{
    tovBoatStateBase::Update(dt);
    m_changeMask |= kStepMask;
}
