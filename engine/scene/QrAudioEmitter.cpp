#include "QrAudioEmitter.h"

#include "QrAudioEmitterInstance.h"
#include "QrRSXAudioManager.h"
#include "QrStream.h"

QR_IMPLEMENT_RTTI(QrAudioEmitter, QrAVObject)
QR_IMPLEMENT_CREATE(QrAudioEmitter)

QrAudioEmitter::QrAudioEmitter()
{
    // The base constructor could only make a plain record.
    ResetRootInstance();
}

QrAudioEmitter::~QrAudioEmitter()
{
    QrRSXAudioManager::Get().RemoveEmitter(this);
}

void QrAudioEmitter::SetSourceName(const char* name)
{
    // A file cannot tell an empty name from none, so there is no empty name.
    if (name && *name)
        m_sourceName = name;
    else
        m_sourceName.reset();
}

QrAVInstance* QrAudioEmitter::CreateInstance()
{
    return new QrAudioEmitterInstance;
}

bool QrAudioEmitter::IsDisplayable()
{
    return false;
}

void QrAudioEmitter::UpdateWorldData(QrAVInstance* instance)
{
    QrAVObject::UpdateWorldData(instance);
    if (auto* record = dynamic_cast<QrAudioEmitterInstance*>(m_currentInstance))
        record->m_changed = 1;
}

void QrAudioEmitter::Fields(QrStream& stream)
{
    stream.Field(m_flag);
    stream.Field(m_startValue);
    for (float& value : m_values)
        stream.Field(value);
    stream.Field(m_mode);
    for (float& parameter : m_modelParameters)
        stream.Field(parameter);
}

void QrAudioEmitter::LoadBinary(QrStream& stream)
{
    QrAVObject::LoadBinary(stream);
    m_sourceName = stream.LoadOptionalString();
    Fields(stream);
}

void QrAudioEmitter::SaveBinary(QrStream& stream)
{
    QrAVObject::SaveBinary(stream);
    stream.SaveString(GetSourceName());
    Fields(stream);
}

bool QrAudioEmitter::IsEqual(const QrObject* object) const
{
    if (!QrAVObject::IsEqual(object))
        return false;
    const QrAudioEmitter* other = static_cast<const QrAudioEmitter*>(object);
    if (m_sourceName != other->m_sourceName || m_flag != other->m_flag || m_startValue != other->m_startValue ||
        m_mode != other->m_mode)
        return false;
    for (uint32_t i = 0; i < 2; ++i)
        if (m_values[i] != other->m_values[i])
            return false;
    for (uint32_t i = 0; i < kModelParameterCount; ++i)
        if (m_modelParameters[i] != other->m_modelParameters[i])
            return false;
    return true;
}
