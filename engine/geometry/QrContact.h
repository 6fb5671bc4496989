#pragma once
// What a collision callback is told of one contact: the two objects, the first time they touch
// within the tested interval, where, and a surface normal for each side. The callback of object
// A sees A first; the callback of B gets the same record with the sides exchanged.

#include "QrPoint3.h"

class QrAVObject;

struct QrContact
{
    QrAVObject* m_objectA = nullptr;
    QrAVObject* m_objectB = nullptr;
    // Within [0, T] of the query.
    float m_time = 0.0f;
    // World frame, at the time of contact.
    QrPoint3 m_point;
    // Unit world vectors (zero when the box is degenerate).
    QrPoint3 m_normalA;
    QrPoint3 m_normalB;
};
