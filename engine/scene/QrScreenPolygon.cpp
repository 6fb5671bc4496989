#include "QrScreenPolygon.h"

#include "QrDisplay.h"
#include "QrLoadRecord.h"
#include "QrObjectsEqual.h"
#include "QrRender.h"
#include "QrStream.h"

QR_IMPLEMENT_RTTI(QrScreenPolygon, QrObject)
QR_IMPLEMENT_CREATE(QrScreenPolygon)

namespace
{

// Bytes of one stored entry: a point and a colour.
constexpr size_t kPointBytes = 12;
constexpr size_t kColorBytes = 16;

template <class T> std::unique_ptr<T[]> CopyArray(uint16_t count, const T* source)
{
    // An empty array that was given stays present, as a loaded one does.
    if (!source)
        return nullptr;
    std::unique_ptr<T[]> copy(new T[count ? count : 1]);
    for (uint16_t i = 0; i < count; ++i)
        copy[i] = source[i];
    return copy;
}

// Both absent, or both present and equal entry by entry.
template <class T> bool ArraysEqual(uint16_t count, const T* a, const T* b)
{
    if (!a || !b)
        return a == b;
    for (uint16_t i = 0; i < count; ++i)
        if (!a[i].IsEqual(b[i]))
            return false;
    return true;
}

} // namespace

QrScreenPolygon::QrScreenPolygon() = default;

QrScreenPolygon::QrScreenPolygon(uint16_t count, const QrPoint3* vertices, const QrPoint3* textureCoords,
                                 const QrColorA* colors)
    : m_count(vertices ? count : 0)
{
    m_vertices = CopyArray(m_count, vertices);
    m_textureCoords = CopyArray(m_count, textureCoords);
    // Colours only when given: an allocated but zeroed array would draw transparent black.
    m_colors = CopyArray(m_count, colors);
}

void QrScreenPolygon::Draw(QrDisplay* display)
{
    if (!display)
        return;
    QrPointer<QrDisplay> hold(display);
    QrRender* renderer = display->GetRenderer();
    if (!renderer)
        return;
    const bool hasProperties = !m_properties.IsEmpty();
    if (hasProperties)
        display->PushProperties(m_properties);
    display->ApplyCurrentState();
    renderer->RenderScreenPolygon(m_count, m_vertices.get(), m_textureCoords.get(), m_colors.get());
    if (hasProperties)
        display->PopProperties(m_properties);
}

QrPointer<QrScreenPolygon> QrScreenPolygon::Clone() const
{
    QrPointer<QrScreenPolygon> clone(
        new QrScreenPolygon(m_count, m_vertices.get(), m_textureCoords.get(), m_colors.get()));
    QrProperty::CopyList(m_properties, clone->m_properties);
    return clone;
}

void QrScreenPolygon::AttachProperty(QrProperty* property)
{
    QrProperty::AttachToList(m_properties, property);
}

bool QrScreenPolygon::DetachProperty(QrProperty* property)
{
    if (!property || !m_properties.Contains(property))
        return false;
    QrPointer<QrProperty> hold(property);
    m_properties.Remove(property);
    return true;
}

// --- scene file

void QrScreenPolygon::LoadBinary(QrStream& stream)
{
    QrObject::LoadBinary(stream);
    const uint16_t count = stream.LoadU16();
    if (stream.Failed())
        return;
    if (stream.GetRemaining() < count * kPointBytes)
    {
        stream.Fail("screen polygon vertices beyond the end of the file");
        return;
    }
    m_count = count;
    m_vertices.reset(count ? new QrPoint3[count] : nullptr);
    for (uint16_t i = 0; i < count; ++i)
        m_vertices[i].LoadBinary(stream);

    if (stream.LoadU32() != 0)
    {
        if (stream.GetRemaining() < count * kPointBytes)
        {
            stream.Fail("screen polygon texture coordinates beyond the end of the file");
            return;
        }
        m_textureCoords.reset(new QrPoint3[count ? count : 1]);
        for (uint16_t i = 0; i < count; ++i)
            m_textureCoords[i].LoadBinary(stream);
    }
    if (stream.LoadU32() != 0)
    {
        if (stream.GetRemaining() < count * kColorBytes)
        {
            stream.Fail("screen polygon colours beyond the end of the file");
            return;
        }
        m_colors.reset(new QrColorA[count ? count : 1]);
        for (uint16_t i = 0; i < count; ++i)
            m_colors[i].LoadBinary(stream);
    }
    const uint32_t properties = stream.LoadCount(4, "screen polygon properties");
    for (uint32_t i = 0; i < properties; ++i)
        stream.LoadLinkID(this);
}

void QrScreenPolygon::LinkObject(QrStream& stream)
{
    QrObject::LinkObject(stream);
    // Every id this record queued is a property.
    const auto* record = dynamic_cast<const QrLoadRecord*>(GetExtraData());
    const size_t count = record ? record->m_linkIds.size() - record->m_nextLinkId : 0;
    QrProperty::LinkList(stream, this, static_cast<uint32_t>(count), m_properties);
}

bool QrScreenPolygon::RegisterStreamables(QrStream& stream)
{
    if (!QrObject::RegisterStreamables(stream))
        return false;
    QrProperty::RegisterList(stream, m_properties);
    return true;
}

void QrScreenPolygon::SaveBinary(QrStream& stream)
{
    QrObject::SaveBinary(stream);
    stream.SaveU16(m_count);
    for (uint16_t i = 0; i < m_count; ++i)
        m_vertices[i].SaveBinary(stream);
    stream.SaveU32(m_textureCoords ? 1 : 0);
    if (m_textureCoords)
        for (uint16_t i = 0; i < m_count; ++i)
            m_textureCoords[i].SaveBinary(stream);
    stream.SaveU32(m_colors ? 1 : 0);
    if (m_colors)
        for (uint16_t i = 0; i < m_count; ++i)
            m_colors[i].SaveBinary(stream);
    QrProperty::SaveList(stream, m_properties);
}

bool QrScreenPolygon::IsEqual(const QrObject* object) const
{
    if (!QrObject::IsEqual(object))
        return false;
    const QrScreenPolygon* other = static_cast<const QrScreenPolygon*>(object);
    if (m_count != other->m_count)
        return false;
    if (m_count > 0 && !ArraysEqual(m_count, m_vertices.get(), other->m_vertices.get()))
        return false;
    if (!ArraysEqual(m_count, m_textureCoords.get(), other->m_textureCoords.get()) ||
        !ArraysEqual(m_count, m_colors.get(), other->m_colors.get()))
        return false;
    return QrObjectListsEqual(m_properties, other->m_properties);
}
