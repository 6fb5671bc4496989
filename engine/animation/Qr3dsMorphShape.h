#pragma once
// Triangle shape whose vertices are blended from full-size target arrays by morph keys over
// time. With weights keys the first target is the base and the others are turned into offsets
// from it at the first apply (the relative flag remembers whether that is still due); with
// target keys the targets blend absolutely from zero. The model bound is the union of the
// shape at every key time, so it holds for the whole animation without per-frame work.
// Clones share the shape (CreateClone returns it).

#include "QrAnimTiming.h"
#include "QrBound.h"
#include "QrFloatKey.h"
#include "QrKeyArray.h"
#include "QrTriShape.h"

#include <cstdint>
#include <memory>
#include <vector>

class Qr3dsMorphShape : public QrTriShape, public QrAnimTiming
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    Qr3dsMorphShape();
    // The triangle shape's data (see QrTriShape), without keys or targets; for tools and tests,
    // files make shapes through the loader.
    Qr3dsMorphShape(uint16_t vertexCount, const QrPoint3* vertices, const QrPoint3* normals, uint16_t triangleCount,
                    const uint16_t* indices, const QrPoint3* textureCoords, const QrColorA* colors);

    // Both Update forms stay callable: the world update and the timing step.
    using QrAnimTiming::Update;
    using QrTriShape::Update;

    void LoadBinary(QrStream& stream) override;
    void SaveBinary(QrStream& stream) override;
    bool IsEqual(const QrObject* other) const override;
    void ApplyAtTime(float time) override;

    // Keeps morph-key clones of the keys (all weights keys or all target keys, in time order),
    // takes their time range and fills their tangents. Null, a count below 1 or keys of mixed
    // or other types leave none.
    void SetKeys(QrFloatKey* const* keys, int32_t count);
    // Copies count arrays of vertexCount points, then recomputes the union bound. Null or a
    // count below 1 leave none.
    void SetTargets(const QrPoint3* const* targets, int32_t count, uint16_t vertexCount);
    // Writes the blend at local time t into the vertices (nothing below two keys, or without
    // targets).
    void Blend(float t);
    // Blends at every key time and sets the union bound, and the model bound from it. The
    // vertices are left as blended at the last key.
    void UpdateUnionBound();

    int32_t GetKeyCount() const { return m_keys.GetCount(); }
    QrFloatKey* const* GetKeys() const { return m_keys.GetKeys(); }
    int32_t GetTargetCount() const { return int32_t(m_targets.size()); }
    // Target k, targetVertexCount points; null past the count.
    const QrPoint3* GetTarget(int32_t k) const;
    uint16_t GetTargetVertexCount() const { return m_targetVertexCount; }
    // Null until a union bound was computed or loaded.
    const QrBound* GetUnionBound() const { return m_unionBound.get(); }

    uint8_t GetRelative() const { return m_relative; }
    void SetRelative(uint8_t relative) { m_relative = relative; }
    uint8_t GetRecomputeNormals() const { return m_recomputeNormals; }
    void SetRecomputeNormals(uint8_t flag) { m_recomputeNormals = flag; }

protected:
    ~Qr3dsMorphShape() override;

private:
    bool HasWeightsKeys() const;

    uint8_t m_relative = 1;
    uint8_t m_recomputeNormals = 0;
    // Where the next key search starts.
    int32_t m_keySearch = 0;
    std::unique_ptr<QrBound> m_unionBound;
    QrKeyArray<QrFloatKey> m_keys;
    std::vector<std::unique_ptr<QrPoint3[]>> m_targets;
    uint16_t m_targetVertexCount = 0;
};
