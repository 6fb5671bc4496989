#pragma once
// A light that projects an object (typically a texture) through a projection volume: the shadow
// light's frame and five planes, plus a texture projection from world points to projection
// coordinates, kept current at every world update: in mode 0 a perspective projection from the
// projection centre through the rectangle (rows 1, 2 and 4 of a 4 x 4 matrix), in mode 1 a
// parallel projection along focus - centre (a 3 x 3 matrix and an offset). No engine draw reads
// it; its type is 4.

#include "QrLight.h"
#include "QrMatrix3.h"
#include "QrProjectionFrame.h"

#include <cstdint>

class QrProjectedLight : public QrLight
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    static constexpr uint32_t kProjectedType = 4;
    // Files from this version on carry the second projection kind.
    static constexpr const char* kKind2Version = "2.17";

    QrProjectedLight();

    void LoadBinary(QrStream& stream) override;
    void LinkObject(QrStream& stream) override;
    bool RegisterStreamables(QrStream& stream) override;
    void SaveBinary(QrStream& stream) override;
    bool IsEqual(const QrObject* other) const override;
    void AppendDescendLinks(std::vector<QrAVObject*>& out) const override;
    void ReleaseLinks() override;

    // A projected light of its own, sharing the projected object.
    QrPointer<QrAVObject> CreateClone() override;
    // The light's world data, the world projection frame, then the texture projection.
    void UpdateWorldData(QrAVInstance* instance) override;
    // The projection frame places a projected light: these do nothing.
    void SetLocalPosition(const QrPoint3& position) override;
    void SetLocalDirection(const QrPoint3& direction) override;
    void SetType(uint32_t type) override;

    // The projection of the current mode from the world frame, then the five volume planes.
    // Any other mode changes neither projection, nor the planes.
    void UpdateTextureProjection();

    uint32_t GetProjectionKind() const { return m_projectionKind; }
    void SetProjectionKind(uint32_t kind) { m_projectionKind = kind; }
    uint32_t GetProjectionKind2() const { return m_projectionKind2; }
    void SetProjectionKind2(uint32_t kind) { m_projectionKind2 = kind; }
    uint32_t GetProjectionMode() const { return m_projectionMode; }
    void SetProjectionMode(uint32_t mode) { m_projectionMode = mode; }
    uint32_t GetProjectionValue() const { return m_projectionValue; }
    void SetProjectionValue(uint32_t value) { m_projectionValue = value; }
    const QrPoint3& GetProjectionOffset() const { return m_projectionOffset; }
    void SetProjectionOffset(const QrPoint3& offset) { m_projectionOffset = offset; }
    uint32_t GetProjectionFactor() const { return m_projectionFactor; }
    void SetProjectionFactor(uint32_t factor) { m_projectionFactor = factor; }
    QrObject* GetProjectedObject() const { return m_projectedObject.Get(); }
    void SetProjectedObject(QrObject* object) { m_projectedObject = object; }
    // Local values are written directly; run a world update afterwards.
    QrProjectionFrame& GetFrame() { return m_frame; }
    const QrProjectionFrame& GetFrame() const { return m_frame; }

    // Rows: the two projection coordinates and the depth, for a world point.
    const QrMatrix3& GetParallelProjection() const { return m_parallel; }
    const QrPoint3& GetParallelOffset() const { return m_parallelOffset; }
    // Row-major rows (a, b, c, d): a x + b y + c z + d. The third row stays zero.
    const float (&GetPerspectiveProjection() const)[4][4] { return m_perspective; }

protected:
    ~QrProjectedLight() override;

private:
    // Every streamed field after the light's, in file order, for both directions.
    void Fields(QrStream& stream);
    void UpdatePerspective();
    void UpdateParallel();

    uint32_t m_projectionKind = 0;
    uint32_t m_projectionKind2 = 0;
    uint32_t m_projectionMode = QrProjectionFrame::kPyramid;
    QrProjectionFrame m_frame;
    QrPointer<QrObject> m_projectedObject;
    uint32_t m_projectionValue = 0;
    QrPoint3 m_projectionOffset;
    uint32_t m_projectionFactor = 0;
    QrMatrix3 m_parallel;
    QrPoint3 m_parallelOffset;
    float m_perspective[4][4] = {};
};
