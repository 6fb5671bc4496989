#include "QrSortedDrawRecord.h"

void QrSortedDrawRecord::SetProperties(QrProperty* const* properties)
{
    for (uint32_t i = 0; i < kPropertyCount; ++i)
        m_properties[i] = properties ? properties[i] : nullptr;
}

void QrSortedDrawRecord::SetLights(int32_t lightTop, QrLight* const* lights)
{
    // A top beyond the stack would copy past both arrays.
    if (lightTop < -1 || !lights)
        lightTop = -1;
    if (lightTop >= kMaxLights)
        lightTop = kMaxLights - 1;
    m_lightTop = lightTop;
    for (int32_t i = 0; i < kMaxLights; ++i)
        m_lights[i] = i <= lightTop ? lights[i] : nullptr;
}
