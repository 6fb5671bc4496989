#pragma once
// A triangle shape whose first texture-coordinate set is made anew from the viewer's position at
// every draw, so that a texture on it reads as a reflection of the surroundings. The first set
// (its first two components) belongs to the draw; the third components and any further sets keep
// their values. Everything but the draw is the plain shape's.

#include "QrTriShape.h"

class QrEnvMappedTriShape : public QrTriShape
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    QrEnvMappedTriShape();
    // As QrTriShape, for tools and tests: files make these through the loader.
    QrEnvMappedTriShape(uint16_t vertexCount, const QrPoint3* vertices, const QrPoint3* normals, uint16_t triangleCount,
                        const uint16_t* indices, const QrPoint3* textureCoords, const QrColorA* colors);

    void LoadBinary(QrStream& stream) override;
    void LinkObject(QrStream& stream) override;
    bool RegisterStreamables(QrStream& stream) override;
    void SaveBinary(QrStream& stream) override;
    bool IsEqual(const QrObject* other) const override;

    // New coordinates for the drawn instance, then RenderShape without a model transform.
    void Draw(QrCamera* camera, QrAVInstance* instance) override;

    // Rewrites the first texture set from the reflection, about each world normal of the current
    // instance, of the unit vector from its world-bound centre to eye. A shape without texture
    // coordinates gets one set first.
    void GenerateEnvironmentCoordinates(const QrPoint3& eye);

protected:
    ~QrEnvMappedTriShape() override;
};
