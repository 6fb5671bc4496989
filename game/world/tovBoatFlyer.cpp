#include "tovBoatFlyer.h"

#include "tovBoat.h"
#include "tovWorldServices.h"

tovBoatFlyer::tovBoatFlyer()
{
    m_speedFactor = kForwardSpeed;
    m_turnFactor = kTurnRate;
}

tovBoatFlyer::Drive::Drive(tovBoatFlyer& flyer) : m_flyer(flyer)
{
    m_flyer.SetObject(m_flyer.m_boat);
}

tovBoatFlyer::Drive::~Drive()
{
    m_flyer.SetObject(nullptr);
}

void tovBoatFlyer::Translate(const QrPoint3& delta)
{
    if (!m_boat)
        return;
    const QrPoint3 from = m_boat->GetTranslate();
    QrPoint3 to = from + delta;
    QrPoint3 ahead = delta;
    if (ahead.Unitize() > 0.0f)
        ahead = ahead * kReach;
    m_boat->CheckGround(to, ahead, true);
    m_boat->TestCollision(from, to, true);
    if (to.x == from.x && to.y == from.y && to.z == from.z)
        return;
    m_boat->SetPosition(to);
    m_boat->UpdateAllInstances();
}

void tovBoatFlyer::Rotate(const QrMatrix3& turn)
{
    if (!m_boat)
        return;
    const QrMatrix3 turned = m_boat->GetRotate() * turn;
    const QrPoint3 reach = turned.GetColumn(2) * kReach;
    const QrPoint3 at = m_boat->GetTranslate();
    tovWorldServices* world = GetWorldServices();
    if (!world)
        return;
    if (world->GroundHeight(at + reach) > tovBoatStateBase::kDraftLimit ||
        world->GroundHeight(at - reach) > tovBoatStateBase::kDraftLimit)
        return;
    m_boat->GetRotate() = turned;
    m_boat->UpdateAllInstances();
}
