#include "QrGeometryInstance.h"

QrPoint3* QrGeometryInstance::Reserve(std::unique_ptr<QrPoint3[]>& array, uint32_t& capacity, uint32_t count)
{
    if (!array || capacity < count)
    {
        array = std::make_unique<QrPoint3[]>(count);
        capacity = count;
    }
    return array.get();
}

QrPoint3* QrGeometryInstance::ReserveWorldVertices(uint32_t count)
{
    return Reserve(m_worldVertices, m_vertexCapacity, count);
}

QrPoint3* QrGeometryInstance::ReserveWorldNormals(uint32_t count)
{
    return Reserve(m_worldNormals, m_normalCapacity, count);
}
