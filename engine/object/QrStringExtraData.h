#pragma once
// Extra data carrying one string.

#include "QrExtraData.h"

#include <optional>
#include <string>

class QrStringExtraData : public QrExtraData
{
public:
    static const QrRTTI ms_RTTI;

    const QrRTTI* GetRTTI() const override { return &ms_RTTI; }
    void LoadBinary(QrStream& stream) override;
    void SaveBinary(QrStream& stream) override;

    static QrExtraData* CreateObject(QrStream& stream);

    // Null when unset.
    const char* GetString() const { return m_string ? m_string->c_str() : nullptr; }
    void SetString(const char* text);

private:
    std::optional<std::string> m_string;
};
