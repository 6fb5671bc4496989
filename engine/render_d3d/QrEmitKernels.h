#pragma once
// The kernels that turn filled transformed-vertex records into pre-transformed vertices in the
// locked vertex buffer and indices in its index array: one triangle kernel per combination of
// colour, specular, texture sets and fog kind, so no kernel tests a state per vertex; the
// point, line and screen-polygon kernels. Each flushes the buffer itself when it is full and
// returns 0, or 2 when a flush failed (what it had in hand is then not emitted).

#include <cstdint>

class QrColorA;
class QrD3DDriver;
class QrPoint3;
struct QrTransformedVertex;
struct QrTriangleRef;

enum class QrFogKind : uint8_t
{
    None,
    Range,       // squared distance from the eye
    VertexAlpha, // the vertex alpha is the amount of fog; drawn opaque
    Depth,       // view depth against the far plane
};

using QrTriangleKernel = uint32_t (*)(QrD3DDriver& driver, const QrTriangleRef& triangle);
using QrPointKernel = uint32_t (*)(QrD3DDriver& driver, QrTransformedVertex* records, uint32_t count, float size);
using QrLineKernel = uint32_t (*)(QrD3DDriver& driver, QrTransformedVertex& a, QrTransformedVertex& b);

// Without colour the diffuse is opaque white, and vertex-alpha fog is no fog.
QrTriangleKernel QrChooseTriangleKernel(bool color, bool specular, bool twoSets, QrFogKind fog);
QrPointKernel QrChoosePointKernel(bool color, bool specular);
QrLineKernel QrChooseLineKernel(bool color);

// The triangle kernels by name: colour (record or white), specular, texture sets, fog.
uint32_t QrEmitTriColorSpecTex1NoFog(QrD3DDriver& driver, const QrTriangleRef& triangle);
uint32_t QrEmitTriangle(QrD3DDriver& driver, const QrTriangleRef& triangle); // colour, specular, 1 set, range
uint32_t QrEmitTriColorSpecTex1AlphaFog(QrD3DDriver& driver, const QrTriangleRef& triangle);
uint32_t QrEmitTriColorSpecTex1DepthFog(QrD3DDriver& driver, const QrTriangleRef& triangle);
uint32_t QrEmitTriColorSpecTex2NoFog(QrD3DDriver& driver, const QrTriangleRef& triangle);
uint32_t QrEmitTriColorSpecTex2RangeFog(QrD3DDriver& driver, const QrTriangleRef& triangle);
uint32_t QrEmitTriColorSpecTex2AlphaFog(QrD3DDriver& driver, const QrTriangleRef& triangle);
uint32_t QrEmitTriColorSpecTex2DepthFog(QrD3DDriver& driver, const QrTriangleRef& triangle);
uint32_t QrEmitTriColorTex1NoFog(QrD3DDriver& driver, const QrTriangleRef& triangle);
uint32_t QrEmitTriColorTex1RangeFog(QrD3DDriver& driver, const QrTriangleRef& triangle);
uint32_t QrEmitTriColorTex1AlphaFog(QrD3DDriver& driver, const QrTriangleRef& triangle);
uint32_t QrEmitTriColorTex1DepthFog(QrD3DDriver& driver, const QrTriangleRef& triangle);
uint32_t QrEmitTriColorTex2NoFog(QrD3DDriver& driver, const QrTriangleRef& triangle);
uint32_t QrEmitTriColorTex2RangeFog(QrD3DDriver& driver, const QrTriangleRef& triangle);
uint32_t QrEmitTriColorTex2AlphaFog(QrD3DDriver& driver, const QrTriangleRef& triangle);
uint32_t QrEmitTriColorTex2DepthFog(QrD3DDriver& driver, const QrTriangleRef& triangle);
uint32_t QrEmitTriWhiteTex1NoFog(QrD3DDriver& driver, const QrTriangleRef& triangle);
uint32_t QrEmitTriWhiteTex1RangeFog(QrD3DDriver& driver, const QrTriangleRef& triangle);
uint32_t QrEmitTriWhiteTex1AlphaFog(QrD3DDriver& driver, const QrTriangleRef& triangle);
uint32_t QrEmitTriWhiteTex1DepthFog(QrD3DDriver& driver, const QrTriangleRef& triangle);
uint32_t QrEmitTriWhiteTex2NoFog(QrD3DDriver& driver, const QrTriangleRef& triangle);
uint32_t QrEmitTriWhiteTex2RangeFog(QrD3DDriver& driver, const QrTriangleRef& triangle);
uint32_t QrEmitTriWhiteTex2AlphaFog(QrD3DDriver& driver, const QrTriangleRef& triangle);
uint32_t QrEmitTriWhiteTex2DepthFog(QrD3DDriver& driver, const QrTriangleRef& triangle);

// Screen-aligned quads of the used records, each dropped whole unless it lies inside the
// surface with a one-pixel margin.
uint32_t QrEmitPointsColorSpec(QrD3DDriver& driver, QrTransformedVertex* records, uint32_t count, float size);
uint32_t QrEmitPointsColor(QrD3DDriver& driver, QrTransformedVertex* records, uint32_t count, float size);
uint32_t QrEmitPointsWhite(QrD3DDriver& driver, QrTransformedVertex* records, uint32_t count, float size);

// Two vertices of a line list; no fog.
uint32_t QrEmitLineColor(QrD3DDriver& driver, QrTransformedVertex& a, QrTransformedVertex& b);
uint32_t QrEmitLineWhite(QrD3DDriver& driver, QrTransformedVertex& a, QrTransformedVertex& b);

// x and y are fractions of the viewport (y up), z of the view depth; a fan in buffer order.
// Polygons larger than a vertex buffer are not drawn.
uint32_t QrEmitScreenPolygon(QrD3DDriver& driver, const QrPoint3* vertices, const QrPoint3* textureCoords,
                             const QrColorA* colors, uint32_t count);
