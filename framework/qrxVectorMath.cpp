#include "qrxVectorMath.h"

#include "QrAVObject.h"

#include <algorithm>
#include <cmath>

float Distance3(const QrPoint3& a, const QrPoint3& b)
{
    return (a - b).Length();
}

float AngleBetween(QrPoint3 a, QrPoint3 b)
{
    a.Unitize();
    b.Unitize();
    const float dot = a.Dot(b);
    if (dot < -1.0f)
        return std::acos(-1.0f);
    return std::acos(std::min(dot, 1.0f));
}

QrPoint3 TransformPoint(QrAVObject* object, const QrPoint3& point)
{
    const QrAVInstance* instance = object ? object->GetCurrentInstance() : nullptr;
    if (!instance)
        return point;
    return instance->m_worldRotate * point + instance->m_worldTranslate;
}

void MakeCirclePoints(int32_t count, QrPoint3* points, float radius)
{
    if (!points || count < 1)
        return;
    points[0] = QrPoint3(0.0f, 0.0f, radius);
    if (count == 1)
        return;
    // The table's own constant, a little short of two pi: stored wave tables rely on it.
    const float step = 6.28312f / float(count - 1);
    const float s = std::sin(step);
    const float c = std::cos(step);
    for (int32_t k = 1; k < count; ++k)
    {
        const QrPoint3& p = points[k - 1];
        points[k] = QrPoint3(0.0f, s * p.z + c * p.y, c * p.z - s * p.y);
    }
}
