#pragma once
// Clipping of world-space records against the draw's clip planes (normal . p - d, inside at 0
// and above), before the screen transform: triangles are cut plane by plane into pieces that
// keep the input's winding (every piece's corners are a rotation of the input's order), lines
// have their outside endpoint moved onto the plane. New vertices come from the work buffer's
// clip pool; the pieces go to the current emit kernels.

#include <cstdint>

class QrD3DDriver;
struct QrTransformedVertex;
struct QrTriangleRef;

// Writes the point of the edge P-Q where the plane distance is 0: the position and the fields
// the draw uses, marked used and not yet emitted. 0.
using QrClipInterpolator = uint32_t (*)(float distanceP, float distanceQ, const QrTransformedVertex& p,
                                        const QrTransformedVertex& q, QrTransformedVertex& out);

// By texture sets, specular and fog; each carries the colour too.
QrClipInterpolator QrChooseClipInterpolator(bool twoSets, bool specular, bool fog);

uint32_t QrClipLerp1Tex(float, float, const QrTransformedVertex&, const QrTransformedVertex&, QrTransformedVertex&);
uint32_t QrClipLerp1TexFog(float, float, const QrTransformedVertex&, const QrTransformedVertex&, QrTransformedVertex&);
uint32_t QrClipLerp1TexSpec(float, float, const QrTransformedVertex&, const QrTransformedVertex&, QrTransformedVertex&);
uint32_t QrClipLerp1TexFogSpec(float, float, const QrTransformedVertex&, const QrTransformedVertex&,
                               QrTransformedVertex&);
uint32_t QrClipLerp2Tex(float, float, const QrTransformedVertex&, const QrTransformedVertex&, QrTransformedVertex&);
uint32_t QrClipLerp2TexFog(float, float, const QrTransformedVertex&, const QrTransformedVertex&, QrTransformedVertex&);
uint32_t QrClipLerp2TexSpec(float, float, const QrTransformedVertex&, const QrTransformedVertex&, QrTransformedVertex&);
uint32_t QrClipLerp2TexFogSpec(float, float, const QrTransformedVertex&, const QrTransformedVertex&,
                               QrTransformedVertex&);

// Clips the triangle against the planes from the given index on and emits what is left; 0, or
// the emit kernel's failure.
uint32_t QrClipPolygon(QrD3DDriver& driver, const QrTriangleRef& triangle, uint32_t plane);
// Clips the line (whose records are its own) and emits it; 0, or the line kernel's failure.
uint32_t QrClipLine(QrD3DDriver& driver, QrTransformedVertex& a, QrTransformedVertex& b, uint32_t plane);
