#pragma once
// Triangle shapes the sample scenes and the benchmarks build from: every one with normals
// computed by the shape, one texture set and one colour per vertex.

#include "QrPointer.h"
#include "QrTriShape.h"

class QrColorA;

namespace gen
{

// Box centred on the origin with half extents hx, hy, hz; four vertices per face, so that every
// face keeps its own normal. name may be null.
QrPointer<QrTriShape> MakeBox(const char* name, float hx, float hy, float hz, const QrColorA& color);
// Flat grid in the y = 0 plane facing up: cells x cells squares of the given size, centred.
QrPointer<QrTriShape> MakeSheet(const char* name, int cells, float size, const QrColorA& color);

} // namespace gen
