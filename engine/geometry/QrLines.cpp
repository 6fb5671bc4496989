#include "QrLines.h"

#include "QrColorA.h"
#include "QrStream.h"

#include <algorithm>

QR_IMPLEMENT_RTTI(QrLines, QrGeometry)
QR_IMPLEMENT_CREATE(QrLines)

QrLines::QrLines() = default;

QrLines::QrLines(uint16_t vertexCount, const QrPoint3* vertices, const QrPoint3* normals, const QrPoint3* textureCoords,
                 const QrColorA* colors, uint16_t countWord)
    : QrGeometry(vertexCount, vertices, normals), m_countWord(countWord)
{
    if (textureCoords)
    {
        m_textureCoords = std::make_unique<QrPoint3[]>(vertexCount);
        std::copy(textureCoords, textureCoords + vertexCount, m_textureCoords.get());
    }
    if (colors)
    {
        m_colors = std::make_unique<QrColorA[]>(vertexCount);
        std::copy(colors, colors + vertexCount, m_colors.get());
    }
}

QrLines::~QrLines() = default;

void QrLines::CalculateNormals() {}

// --- scene file

void QrLines::LoadBinary(QrStream& stream)
{
    QrGeometry::LoadBinary(stream);
    m_countWord = stream.LoadU16();
    LoadOptionalArray(stream, m_textureCoords, m_vertexCount, "line texture coordinates");
    LoadOptionalArray(stream, m_colors, m_vertexCount, "line colours");
}

void QrLines::LinkObject(QrStream& stream)
{
    QrGeometry::LinkObject(stream);
}

bool QrLines::RegisterStreamables(QrStream& stream)
{
    return QrGeometry::RegisterStreamables(stream);
}

void QrLines::SaveBinary(QrStream& stream)
{
    QrGeometry::SaveBinary(stream);
    stream.SaveU16(m_countWord);
    SaveOptionalArray(stream, m_textureCoords.get(), m_vertexCount);
    SaveOptionalArray(stream, m_colors.get(), m_vertexCount);
}

bool QrLines::IsEqual(const QrObject* object) const
{
    if (!QrGeometry::IsEqual(object))
        return false;
    const QrLines* other = static_cast<const QrLines*>(object);
    return m_countWord == other->m_countWord &&
           ArraysEqual(m_textureCoords.get(), other->m_textureCoords.get(), m_vertexCount) &&
           ArraysEqual(m_colors.get(), other->m_colors.get(), m_vertexCount);
}
