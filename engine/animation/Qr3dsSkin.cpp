#include "Qr3dsSkin.h"

#include "Qr3dsBone.h"
#include "QrColorA.h"
#include "QrStream.h"

#include "Format.h"

QR_IMPLEMENT_RTTI(Qr3dsSkin, QrTriShape)
QR_IMPLEMENT_CREATE(Qr3dsSkin)

// --- influences

Qr3dsSkin::Influence::Influence(const Influence& other)
    : m_weight(other.m_weight), m_offset(other.m_offset), m_bone(other.m_bone)
{
    Influence* to = this;
    for (const Influence* from = other.m_next.get(); from; from = from->m_next.get())
    {
        to->m_next = std::make_unique<Influence>(from->m_weight, from->m_offset, from->m_bone);
        to = to->m_next.get();
    }
}

Qr3dsSkin::Influence& Qr3dsSkin::Influence::operator=(const Influence& other)
{
    if (this != &other)
        *this = Influence(other);
    return *this;
}

Qr3dsSkin::Influence::~Influence()
{
    // Each node is unhooked before it goes, so no destructor runs on a chain.
    std::unique_ptr<Influence> next = std::move(m_next);
    while (next)
        next = std::move(next->m_next);
}

Qr3dsSkin::Influence* Qr3dsSkin::Influence::Append(float weight, const QrPoint3& offset, Qr3dsBone* bone)
{
    Influence* last = this;
    while (last->m_next)
        last = last->m_next.get();
    last->m_next = std::make_unique<Influence>(weight, offset, bone);
    return last->m_next.get();
}

uint32_t Qr3dsSkin::Influence::GetChainLength() const
{
    uint32_t length = 0;
    for (const Influence* g = this; g; g = g->m_next.get())
        ++length;
    return length;
}

bool Qr3dsSkin::IsBlank(const Influence& influence)
{
    return !influence.m_bone && !influence.m_next && influence.m_weight == 0.0f && influence.m_offset == QrPoint3::ZERO;
}

// --- skin

Qr3dsSkin::Qr3dsSkin() = default;

Qr3dsSkin::Qr3dsSkin(uint16_t vertexCount, const QrPoint3* vertices, const QrPoint3* normals, uint16_t triangleCount,
                     const uint16_t* indices, const QrPoint3* textureCoords, const QrColorA* colors,
                     const Influence* influences)
    : QrTriShape(vertexCount, vertices, normals, triangleCount, indices, textureCoords, colors)
{
    SetInfluences(influences);
}

Qr3dsSkin::~Qr3dsSkin() = default;

void Qr3dsSkin::SetInfluences(const Influence* influences)
{
    if (!influences)
        return;
    m_influences.reset();
    if (m_vertexCount == 0)
        return;
    auto copy = std::make_unique<Influence[]>(m_vertexCount);
    for (uint32_t i = 0; i < m_vertexCount; ++i)
        copy[i] = influences[i];
    m_influences = std::move(copy);
}

namespace
{

// A bone's skin transform with the rotation widened to double once, for the run of vertices
// that share the bone: the same products and sums as QrMatrix3::TimesPoint, without widening
// the nine entries again for every vertex.
class BonePlacement
{
public:
    // translation + (rotation offset) scale, rounded as TimesPoint and the float operators do.
    QrPoint3 Place(const Qr3dsBone& bone, const QrPoint3& offset)
    {
        if (&bone != m_bone)
            Load(bone);
        const QrPoint3 rotated(
            float(m_rotation[0][0] * offset.x + m_rotation[0][1] * offset.y + m_rotation[0][2] * offset.z),
            float(m_rotation[1][0] * offset.x + m_rotation[1][1] * offset.y + m_rotation[1][2] * offset.z),
            float(m_rotation[2][0] * offset.x + m_rotation[2][1] * offset.y + m_rotation[2][2] * offset.z));
        return m_translation + rotated * m_scale;
    }

private:
    void Load(const Qr3dsBone& bone)
    {
        m_bone = &bone;
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j)
                m_rotation[i][j] = bone.m_skinRotation.m[i][j];
        m_translation = bone.m_skinTranslation;
        m_scale = bone.m_skinScale;
    }

    const Qr3dsBone* m_bone = nullptr;
    double m_rotation[3][3] = {};
    QrPoint3 m_translation;
    float m_scale = 0.0f;
};

} // namespace

bool Qr3dsSkin::Deform()
{
    if (!m_influences || m_vertexCount == 0 || !m_vertices)
        return false;
    // Bones do not change during the pass, so the placement may keep its copy.
    BonePlacement placement;
    QrPoint3* vertices = m_vertices.get();
    bool wrote = false;
    for (uint32_t i = 0; i < m_vertexCount; ++i)
    {
        const Influence& first = m_influences[i];
        if (first.m_weight == kRigid)
        {
            if (!first.m_bone || !first.m_bone->m_skinChanged)
                continue;
            vertices[i] = placement.Place(*first.m_bone, first.m_offset);
            wrote = true;
            continue;
        }
        bool complete = true;
        for (const Influence* g = &first; g && complete; g = g->m_next.get())
            complete = g->m_bone != nullptr;
        if (!complete)
            continue;
        QrPoint3 sum;
        for (const Influence* g = &first; g; g = g->m_next.get())
            sum += placement.Place(*g->m_bone, g->m_offset) * g->m_weight;
        vertices[i] = sum;
        wrote = true;
    }
    return wrote;
}

QrPointer<QrAVObject> Qr3dsSkin::CreateClone()
{
    QrPointer<Qr3dsSkin> clone(new Qr3dsSkin(m_vertexCount, m_vertices.get(), m_normals.get(), m_triangleCount,
                                             m_indices.get(), m_textureSetCount > 0 ? m_textureCoords : nullptr,
                                             m_colors, m_influences.get()));
    for (uint16_t set = 1; set < m_textureSetCount && m_textureCoords; ++set)
        clone->AddTextureSet(m_textureCoords + uint32_t(set) * m_vertexCount);
    clone->m_recomputeNormals = m_recomputeNormals;
    QrAVObject::CopyMembers(clone.Get());
    return clone;
}

// --- scene file

void Qr3dsSkin::LoadBinary(QrStream& stream)
{
    QrTriShape::LoadBinary(stream);
    m_recomputeNormals = stream.LoadU8();
    m_influences.reset();
    if (m_vertexCount == 0 || stream.Failed())
        return;
    // Every vertex stores at least its count.
    if (uint64_t(m_vertexCount) * 2u > stream.GetRemaining())
    {
        stream.Fail(plat::Format("influence counts of %u vertices", unsigned(m_vertexCount)));
        return;
    }
    auto influences = std::make_unique<Influence[]>(m_vertexCount);
    for (uint32_t i = 0; i < m_vertexCount && !stream.Failed(); ++i)
    {
        const uint16_t count = stream.LoadU16();
        if (uint64_t(count) * kInfluenceBytes > stream.GetRemaining())
        {
            stream.Fail(plat::Format("%u influences of vertex %u", unsigned(count), i));
            return;
        }
        // A vertex without influences keeps a blank entry; id 0 stands in for its bone so that
        // LinkObject takes one id per entry.
        if (count == 0)
            QueueLoadCount(this, 0);
        Influence* last = &influences[i];
        for (uint16_t k = 0; k < count; ++k)
        {
            const float weight = stream.LoadF32();
            QrPoint3 offset;
            offset.LoadBinary(stream);
            stream.LoadLinkID(this);
            if (k == 0)
                influences[i] = Influence(weight, offset, nullptr);
            else
                last = last->Append(weight, offset, nullptr);
        }
    }
    m_influences = std::move(influences);
}

void Qr3dsSkin::LinkObject(QrStream& stream)
{
    QrTriShape::LinkObject(stream);
    if (!m_influences)
        return;
    // Ids were queued vertex by vertex along each chain.
    for (uint32_t i = 0; i < m_vertexCount; ++i)
        for (Influence* g = &m_influences[i]; g; g = g->m_next.get())
            g->m_bone = stream.ResolveLinkID<Qr3dsBone>(this);
}

bool Qr3dsSkin::RegisterStreamables(QrStream& stream)
{
    if (!QrTriShape::RegisterStreamables(stream))
        return false;
    if (!m_influences)
        return true;
    for (uint32_t i = 0; i < m_vertexCount; ++i)
        for (const Influence* g = &m_influences[i]; g; g = g->m_next.get())
            if (g->m_bone)
                g->m_bone->RegisterStreamables(stream);
    return true;
}

void Qr3dsSkin::SaveBinary(QrStream& stream)
{
    QrTriShape::SaveBinary(stream);
    stream.SaveU8(m_recomputeNormals);
    for (uint32_t i = 0; i < m_vertexCount; ++i)
    {
        if (!m_influences || IsBlank(m_influences[i]))
        {
            stream.SaveU16(0);
            continue;
        }
        const Influence& first = m_influences[i];
        stream.SaveU16(uint16_t(first.GetChainLength()));
        for (const Influence* g = &first; g; g = g->m_next.get())
        {
            stream.SaveF32(g->m_weight);
            g->m_offset.SaveBinary(stream);
            stream.SaveLinkID(g->m_bone);
        }
    }
}

bool Qr3dsSkin::IsEqual(const QrObject* other) const
{
    if (!QrTriShape::IsEqual(other))
        return false;
    const auto* o = static_cast<const Qr3dsSkin*>(other);
    if (m_recomputeNormals != o->m_recomputeNormals)
        return false;
    if (!m_influences || !o->m_influences)
        return !m_influences && !o->m_influences;
    // Bones are not compared: they are other objects of the scene.
    for (uint32_t i = 0; i < m_vertexCount; ++i)
    {
        const Influence* a = &m_influences[i];
        const Influence* b = &o->m_influences[i];
        for (; a && b; a = a->m_next.get(), b = b->m_next.get())
            if (a->m_weight != b->m_weight || a->m_offset != b->m_offset)
                return false;
        if (a || b)
            return false;
    }
    return true;
}
