#pragma once
// Per-vertex lighting on the processor into the transformed-vertex records, on a 0..255
// scale: the emissive colour, the ambient sum of every light in force times the material
// ambient, each light's diffuse term and, when asked, a grey specular intensity. Only records
// whose used flag is set are written.

#include <cstdint>

class QrBound;
struct QrLightRecord;
class QrColorA;
class QrD3DDriver;
class QrPoint3;
struct QrTransformedVertex;

// A light in force that reaches the shape being lit, with its constants for the shape.
struct QrActiveLight
{
    QrLightRecord* record = nullptr;
    // Light diffuse x material diffuse x 255.
    float red = 0.0f;
    float green = 0.0f;
    float blue = 0.0f;
    // 255 x material specular blue x light specular blue.
    float specular = 0.0f;
};

// Chooses the kernel: unlit without normals, else diffuse, or diffuse and specular. Vertex
// colours (may be null) are multiplied in, or added when addColors is set. 0.
uint32_t QrLightVertices(QrD3DDriver& driver, uint32_t count, QrTransformedVertex* records, const QrPoint3* positions,
                         const QrPoint3* normals, const QrPoint3* textureCoords, const QrColorA* colors,
                         const QrBound& bound, bool specular, bool addColors);
