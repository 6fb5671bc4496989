#pragma once
// Triangle shape whose vertices follow a skeleton: each vertex has a chain of influences,
// each an offset in one bone's skin frame with a weight. The skin-and-bone binding composes
// the bones' skin transforms and then calls Deform. Bones are borrowed (the scene owns them);
// the influences are the skin's own.

#include "QrTriShape.h"

#include <cstdint>
#include <memory>

class Qr3dsBone;

class Qr3dsSkin : public QrTriShape
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    // One influence on a vertex. The first of vertex i is entry i of the skin's array; the
    // rest hang from it through next.
    struct Influence
    {
        Influence() = default;
        Influence(float weight, const QrPoint3& offset, Qr3dsBone* bone)
            : m_weight(weight), m_offset(offset), m_bone(bone)
        {
        }
        // A deep copy of the chain (bones shared).
        Influence(const Influence& other);
        Influence& operator=(const Influence& other);
        Influence(Influence&&) = default;
        Influence& operator=(Influence&&) = default;
        // Frees the chain in a loop: a file may give a vertex 65,535 influences.
        ~Influence();

        // Appends an influence at the end of the chain; returns it. Called on the last
        // influence it takes constant time.
        Influence* Append(float weight, const QrPoint3& offset, Qr3dsBone* bone);
        // Influences in this chain (at least 1).
        uint32_t GetChainLength() const;

        // kRigid in the first influence: the vertex follows its bone alone, recomputed only
        // when that bone moved.
        float m_weight = 0.0f;
        QrPoint3 m_offset;
        Qr3dsBone* m_bone = nullptr;
        std::unique_ptr<Influence> m_next;
    };

    static constexpr float kRigid = -1.0f;
    // Bytes of one influence in the file: weight, offset, bone id.
    static constexpr size_t kInfluenceBytes = 20;

    Qr3dsSkin();
    // The triangle shape's data (see QrTriShape), then vertexCount influence chains copied
    // deeply (null: none).
    Qr3dsSkin(uint16_t vertexCount, const QrPoint3* vertices, const QrPoint3* normals, uint16_t triangleCount,
              const uint16_t* indices, const QrPoint3* textureCoords, const QrColorA* colors,
              const Influence* influences);

    void LoadBinary(QrStream& stream) override;
    void LinkObject(QrStream& stream) override;
    bool RegisterStreamables(QrStream& stream) override;
    void SaveBinary(QrStream& stream) override;
    bool IsEqual(const QrObject* other) const override;
    QrPointer<QrAVObject> CreateClone() override;

    // Replaces the influences with deep copies of vertex-count chains; null changes nothing.
    void SetInfluences(const Influence* influences);
    // Rewrites the vertices from their bones' skin transforms. False when nothing was written
    // (no influences, no vertices, or only rigid vertices on bones that did not move). A
    // vertex with an influence that names no bone keeps its position.
    bool Deform();

    // Null when the skin has none; otherwise vertex-count entries.
    const Influence* GetInfluences() const { return m_influences.get(); }
    uint8_t GetRecomputeNormals() const { return m_recomputeNormals; }
    void SetRecomputeNormals(uint8_t flag) { m_recomputeNormals = flag; }

protected:
    ~Qr3dsSkin() override;

private:
    // The array entry of a vertex that has no influence at all (a count of 0 in the file).
    static bool IsBlank(const Influence& influence);

    uint8_t m_recomputeNormals = 1;
    std::unique_ptr<Influence[]> m_influences;
};
