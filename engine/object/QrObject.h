#pragma once
// Root of every engine object: a reference count (the last DecRefCount deletes the object),
// an optional name and a chain of extra-data records, plus the scene-file operations every
// class overrides in the same order. Held through QrPointer; never on the stack.

#include "QrPointer.h"
#include "QrRTTI.h"

#include <cstdint>
#include <optional>
#include <string>

class QrExtraData;
class QrStream;

class QrObject
{
public:
    static const QrRTTI ms_RTTI;
    QR_DECLARE_CREATE

    QrObject(const QrObject&) = delete;
    QrObject& operator=(const QrObject&) = delete;

    virtual const QrRTTI* GetRTTI() const { return &ms_RTTI; }
    // Reads this object's fields; the loader has consumed the class name.
    virtual void LoadBinary(QrStream& stream);
    // Turns the link ids read by LoadBinary into pointers.
    virtual void LinkObject(QrStream& stream);
    // Enters this object (and what it references) into the save set; false when already there.
    virtual bool RegisterStreamables(QrStream& stream);
    virtual void SaveBinary(QrStream& stream);
    // Deep comparison; floats compare exactly, extra data is not compared.
    virtual bool IsEqual(const QrObject* other) const;

    void IncRefCount() { ++m_refCount; }
    void DecRefCount();
    uint32_t GetRefCount() const { return m_refCount; }

    // Null when unnamed.
    const char* GetName() const { return m_name ? m_name->c_str() : nullptr; }
    void SetName(const char* name);

    QrExtraData* GetExtraData() const { return m_extraData; }
    void AddExtraData(QrExtraData* record);
    // Makes the record the head without touching its next link (create functions only).
    void SetExtraDataHead(QrExtraData* record) { m_extraData = record; }
    // Unlinks without deleting; a record not in the chain changes nothing.
    void RemoveExtraData(QrExtraData* record);

    bool IsKindOf(const QrRTTI* rtti) const;
    bool IsExactly(const QrRTTI* rtti) const { return GetRTTI() == rtti; }

    // Objects alive now, program-wide (tests check it returns to its start value).
    static uint32_t GetLiveCount() { return ms_liveCount; }

protected:
    QrObject();
    virtual ~QrObject();

    // SaveBinary's QrObject part under a given class name (classes saved under their base's name).
    void SaveBinaryAs(QrStream& stream, const char* className);

private:
    uint32_t m_refCount = 0;
    std::optional<std::string> m_name;
    QrExtraData* m_extraData = nullptr;

    static uint32_t ms_liveCount;
};

// Checked downcast: null when the object is not of the class.
template <class T> T* QrDynamicCast(QrObject* object)
{
    return object && object->IsKindOf(&T::ms_RTTI) ? static_cast<T*>(object) : nullptr;
}
