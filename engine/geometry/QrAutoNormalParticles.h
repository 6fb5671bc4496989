#pragma once
// Particles whose normals are made at every draw to point from each live particle to the
// camera, so that each point is lit as if it faced the viewer. The generated normals are state
// of the last draw; the array (vertex-count entries) is made at the first draw that needs it.

#include "QrParticles.h"

#include <cstdint>
#include <memory>

class QrAutoNormalParticles : public QrParticles
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    QrAutoNormalParticles();
    // As QrParticles: copies the arrays, no particle active yet.
    QrAutoNormalParticles(uint16_t vertexCount, const QrPoint3* vertices, const QrPoint3* normals,
                          const QrColorA* colors);

    void LoadBinary(QrStream& stream) override;
    void LinkObject(QrStream& stream) override;
    bool RegisterStreamables(QrStream& stream) override;
    void SaveBinary(QrStream& stream) override;
    bool IsEqual(const QrObject* other) const override;

    // Generates the normals toward the camera's world location, then draws as QrParticles
    // with them in place of the world normals.
    void Draw(QrCamera* camera, QrAVInstance* instance) override;

    // Vertex-count entries, null before the first draw of a cloud loaded without them.
    const QrPoint3* GetGeneratedNormals() const { return m_generatedNormals.get(); }

protected:
    ~QrAutoNormalParticles() override;

    // Unit vectors from the live particles of the current instance to eye (world space); zero
    // for a particle at the eye.
    void GenerateNormals(const QrPoint3& eye);

    std::unique_ptr<QrPoint3[]> m_generatedNormals;
};
