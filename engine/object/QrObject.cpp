#include "QrObject.h"

#include "QrExtraData.h"
#include "QrLoadRecord.h"
#include "QrStream.h"

#include <cstring>

const QrRTTI QrObject::ms_RTTI("QrObject", nullptr);
QR_IMPLEMENT_ABSTRACT_CREATE(QrObject)

uint32_t QrObject::ms_liveCount = 0;

QrObject::QrObject()
{
    ++ms_liveCount;
}

QrObject::~QrObject()
{
    QrExtraData* record = m_extraData;
    while (record)
    {
        QrExtraData* next = record->GetNext();
        delete record;
        record = next;
    }
    --ms_liveCount;
}

void QrObject::DecRefCount()
{
    if (--m_refCount == 0)
        delete this;
}

void QrObject::SetName(const char* name)
{
    if (name)
        m_name = name;
    else
        m_name.reset();
}

void QrObject::AddExtraData(QrExtraData* record)
{
    if (!record)
        return;
    record->SetNext(m_extraData);
    m_extraData = record;
}

void QrObject::RemoveExtraData(QrExtraData* record)
{
    if (!record)
        return;
    if (m_extraData == record)
    {
        m_extraData = record->GetNext();
        record->SetNext(nullptr);
        return;
    }
    for (QrExtraData* r = m_extraData; r; r = r->GetNext())
    {
        if (r->GetNext() == record)
        {
            r->SetNext(record->GetNext());
            record->SetNext(nullptr);
            return;
        }
    }
}

bool QrObject::IsKindOf(const QrRTTI* rtti) const
{
    for (const QrRTTI* r = GetRTTI(); r; r = r->GetBaseRTTI())
        if (r == rtti)
            return true;
    return false;
}

void QrObject::LoadBinary(QrStream& stream)
{
    const uint32_t linkId = stream.LoadU32();
    if (stream.Failed())
        return;
    if (linkId == 0 || !stream.RegisterLinkObject(linkId, this))
    {
        stream.Fail(linkId == 0 ? "link id 0" : "duplicate link id " + std::to_string(linkId));
        return;
    }
    QrLoadRecord* loadRecord = dynamic_cast<QrLoadRecord*>(m_extraData);
    if (loadRecord)
        loadRecord->m_linkId = linkId;

    std::string name;
    if (stream.LoadString(name))
        m_name = std::move(name);
    else
        m_name.reset();

    if (stream.CompareVersion("2.13") <= 0)
        return;

    // Each record names its class; the smallest record is its name's length word.
    const uint32_t count = stream.LoadCount(4, "extra-data records");
    QrExtraData* last = nullptr;
    QrExtraData* first = nullptr;
    for (uint32_t i = 0; i < count && !stream.Failed(); ++i)
    {
        std::string className;
        stream.LoadString(className);
        QrExtraDataCreateFunction create = QrFindExtraDataCreateFunction(className.c_str());
        if (!create)
        {
            if (stream.CompareVersion("2.15") <= 0)
            {
                // These versions give no size, so the entry cannot be stepped over.
                stream.Fail("unknown extra-data class " + className);
                break;
            }
            create = &QrExtraData::CreateObject;
        }
        QrExtraData* record = create(stream);
        if (!record)
            continue;
        if (last)
            last->SetNext(record);
        else
            first = record;
        last = record;
    }
    if (first)
    {
        // The load record stays in front of the loaded records.
        if (loadRecord)
        {
            last->SetNext(loadRecord->GetNext());
            loadRecord->SetNext(first);
        }
        else
        {
            last->SetNext(m_extraData);
            m_extraData = first;
        }
    }
}

void QrObject::LinkObject(QrStream&)
{
}

bool QrObject::RegisterStreamables(QrStream& stream)
{
    return stream.RegisterSaveObject(this);
}

void QrObject::SaveBinary(QrStream& stream)
{
    SaveBinaryAs(stream, GetRTTI()->GetName());
}

void QrObject::SaveBinaryAs(QrStream& stream, const char* className)
{
    stream.SaveString(className);
    stream.SaveLinkID(this);
    stream.SaveString(GetName());
    uint32_t count = 0;
    for (QrExtraData* r = m_extraData; r; r = r->GetNext())
        if (!dynamic_cast<QrLoadRecord*>(r))
            ++count;
    stream.SaveU32(count);
    for (QrExtraData* r = m_extraData; r; r = r->GetNext())
        if (!dynamic_cast<QrLoadRecord*>(r))
            r->SaveBinary(stream);
}

bool QrObject::IsEqual(const QrObject* other) const
{
    if (!other)
        return false;
    if (std::strcmp(GetRTTI()->GetName(), other->GetRTTI()->GetName()) != 0)
        return false;
    if (m_name.has_value() != other->m_name.has_value())
        return false;
    return !m_name || *m_name == *other->m_name;
}

void QrCreateAndLoad(QrObject* object, QrStream& stream, QrObject*& out)
{
    object->SetExtraDataHead(new QrLoadRecord);
    out = object;
    object->LoadBinary(stream);
}
