#pragma once
// One hit of a ray pick: the object hit (counted), the instance tested and, for triangle
// geometry, where and on what the ray met it. A node hit carries only object and instance.

#include "QrColorA.h"
#include "QrPoint3.h"
#include "QrPointer.h"

#include <cstdint>

class QrAVInstance;
class QrAVObject;

class QrPickResult
{
public:
    QrPickResult(QrAVObject* object, QrAVInstance* instance);
    QrPickResult(const QrPickResult&) = delete;
    QrPickResult& operator=(const QrPickResult&) = delete;
    virtual ~QrPickResult();

    QrPointer<QrAVObject> m_object;
    QrAVInstance* m_instance = nullptr;
    // Model space of the object hit.
    QrPoint3 m_point;
    // Ray parameter of the hit in model space.
    float m_distance = 0.0f;
    uint16_t m_triangle = 0;
    QrPoint3 m_textureCoordinate;
    QrPoint3 m_normal;
    QrColorA m_color{0.0f, 0.0f, 0.0f, 0.0f};
};
