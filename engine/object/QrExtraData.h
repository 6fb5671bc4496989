#pragma once
// A record on an object's extra-data chain: a size and a byte block, owned by the chain.
// Not reference counted; the owning object deletes its chain.

#include "QrRTTI.h"

#include <cstdint>
#include <memory>

class QrStream;

class QrExtraData
{
public:
    static const QrRTTI ms_RTTI;

    QrExtraData() = default;
    QrExtraData(const QrExtraData&) = delete;
    QrExtraData& operator=(const QrExtraData&) = delete;
    virtual ~QrExtraData() = default;

    virtual const QrRTTI* GetRTTI() const { return &ms_RTTI; }
    virtual void LoadBinary(QrStream& stream);
    virtual void SaveBinary(QrStream& stream);

    // Extra-data create function: a zeroed record that reads itself.
    static QrExtraData* CreateObject(QrStream& stream);

    uint32_t GetSize() const { return m_size; }
    const uint8_t* GetData() const { return m_data.get(); }
    void SetData(const void* data, uint32_t size);

    QrExtraData* GetNext() const { return m_next; }
    void SetNext(QrExtraData* next) { m_next = next; }

private:
    uint32_t m_size = 0;
    std::unique_ptr<uint8_t[]> m_data;
    QrExtraData* m_next = nullptr;
};

using QrExtraDataCreateFunction = QrExtraData* (*)(QrStream& stream);

// Looks up the extra-data create function for a class name, or null.
QrExtraDataCreateFunction QrFindExtraDataCreateFunction(const char* className);
void QrRegisterExtraDataCreateFunction(const char* className, QrExtraDataCreateFunction function);
