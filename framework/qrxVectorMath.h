#pragma once
// Small vector helpers of the model code (fish, boat and angler placement, wave tables).

#include "QrPoint3.h"

#include <cstdint>

class QrAVObject;

float Distance3(const QrPoint3& a, const QrPoint3& b);
// Radians; a vector shorter than 1e-6 counts as zero (so the answer is a right angle).
float AngleBetween(QrPoint3 a, QrPoint3 b);
// The point carried by the current instance's world rotation and translation.
QrPoint3 TransformPoint(QrAVObject* object, const QrPoint3& point);
// count points of a circle of the radius about the first axis, from (0, 0, radius), turning by
// 6.28312 / (count - 1) each step (so the last point closes the circle). Null is ignored.
void MakeCirclePoints(int32_t count, QrPoint3* points, float radius);
