#include "QrExtraData.h"

#include "QrStream.h"
#include "QrStringExtraData.h"
#include "QrTStringMap.h"

#include <cstring>

const QrRTTI QrExtraData::ms_RTTI("QrExtraData", nullptr);

namespace
{
QrTStringMap<QrExtraDataCreateFunction>& ExtraDataMap()
{
    static auto* map = []
    {
        auto* m = new QrTStringMap<QrExtraDataCreateFunction>;
        m->SetAt("QrExtraData", &QrExtraData::CreateObject);
        m->SetAt("QrStringExtraData", &QrStringExtraData::CreateObject);
        return m;
    }();
    return *map;
}
} // namespace

QrExtraDataCreateFunction QrFindExtraDataCreateFunction(const char* className)
{
    QrExtraDataCreateFunction f = nullptr;
    if (!className || !ExtraDataMap().GetAt(className, f))
        return nullptr;
    return f;
}

void QrRegisterExtraDataCreateFunction(const char* className, QrExtraDataCreateFunction function)
{
    ExtraDataMap().SetAt(className, function);
}

QrExtraData* QrExtraData::CreateObject(QrStream& stream)
{
    QrExtraData* record = new QrExtraData;
    record->LoadBinary(stream);
    return record;
}

void QrExtraData::SetData(const void* data, uint32_t size)
{
    m_size = size;
    m_data.reset();
    if (size > 0)
    {
        m_data.reset(new uint8_t[size]);
        if (data)
            std::memcpy(m_data.get(), data, size);
        else
            std::memset(m_data.get(), 0, size);
    }
}

void QrExtraData::LoadBinary(QrStream& stream)
{
    if (stream.CompareVersion("2.15") <= 0)
        return;
    m_size = stream.LoadU32();
    if (m_size == 0 || GetRTTI() != &QrExtraData::ms_RTTI)
        return;
    if (m_size > stream.GetRemaining())
    {
        stream.Fail("extra-data block longer than the file");
        m_size = 0;
        return;
    }
    m_data.reset(new uint8_t[m_size]);
    stream.LoadBytes(m_data.get(), m_size);
}

void QrExtraData::SaveBinary(QrStream& stream)
{
    // A record of unknown class was kept as plain extra data and is written back as one.
    stream.SaveString(GetRTTI()->GetName());
    const bool plain = GetRTTI() == &QrExtraData::ms_RTTI;
    stream.SaveU32(m_size);
    if (plain && m_size > 0)
        stream.SaveBytes(m_data.get(), m_size);
}
