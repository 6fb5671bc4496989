#pragma once
// The unlit vertex-copy kernels: each writes, for every record whose used flag is set, the
// position, the first texture set when one is given, its colour source on the 0..255 scale,
// and batch number 0.

#include <cstdint>

class QrColorA;
class QrPoint3;
struct QrMaterialRecord;
struct QrTransformedVertex;

// Position and texture only.
void QrCopyVertices(uint32_t count, QrTransformedVertex* records, const QrPoint3* positions,
                    const QrPoint3* textureCoords);
void QrCopyVerticesVertexColor(uint32_t count, QrTransformedVertex* records, const QrPoint3* positions,
                               const QrPoint3* textureCoords, const QrColorA* colors);
void QrCopyVerticesMaterial(uint32_t count, QrTransformedVertex* records, const QrPoint3* positions,
                            const QrPoint3* textureCoords, const QrMaterialRecord& material);
void QrCopyVerticesMaterialVertexColor(uint32_t count, QrTransformedVertex* records, const QrPoint3* positions,
                                       const QrPoint3* textureCoords, const QrMaterialRecord& material,
                                       const QrColorA* colors);
