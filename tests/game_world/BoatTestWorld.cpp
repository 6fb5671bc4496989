#include "BoatTestWorld.h"

#include "tovLake.h"

float BoatTestWorld::GroundHeight(const QrPoint3& world)
{
    if (m_ground)
        return m_ground(world);
    return m_lake ? m_lake->GroundHeight(world) : 0.0f;
}

bool BoatTestWorld::IsOnLake(const QrPoint3& world)
{
    if (m_onLake)
        return m_onLake(world);
    if (m_ground)
        return true;
    return m_lake && m_lake->IsOnLake(world);
}

tovBoat* BoatTestWorld::GetBoat(int32_t index)
{
    return index >= 0 && size_t(index) < m_boats.size() ? m_boats[size_t(index)] : nullptr;
}
