#include "QrStringExtraData.h"

#include "QrStream.h"

const QrRTTI QrStringExtraData::ms_RTTI("QrStringExtraData", &QrExtraData::ms_RTTI);

QrExtraData* QrStringExtraData::CreateObject(QrStream& stream)
{
    QrStringExtraData* record = new QrStringExtraData;
    record->LoadBinary(stream);
    return record;
}

void QrStringExtraData::SetString(const char* text)
{
    if (text)
        m_string = text;
    else
        m_string.reset();
}

void QrStringExtraData::LoadBinary(QrStream& stream)
{
    QrExtraData::LoadBinary(stream);
    m_string = stream.LoadOptionalString();
}

void QrStringExtraData::SaveBinary(QrStream& stream)
{
    QrExtraData::SaveBinary(stream);
    stream.SaveString(GetString());
}
