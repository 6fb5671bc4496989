#include "QrVisibilityKey.h"

#include "QrStream.h"

void QrVisibilityKey::LoadBinary(QrStream& stream)
{
    m_time = stream.LoadF32();
    m_visible = stream.LoadU8();
}

void QrVisibilityKey::SaveBinary(QrStream& stream) const
{
    stream.SaveF32(m_time);
    stream.SaveU8(m_visible);
}
