#pragma once
// Base of the float keys: a time and a scalar value. The morph keys live in the same
// creator table (codes 5 and 6). Keys are plain objects owned by whoever holds the array.

#include <cstdint>
#include <memory>

class QrStream;

class QrFloatKey
{
public:
    enum : uint32_t
    {
        kTypeNone = 0,
        kTypeLinear = 1,
        kTypeBezier = 2,
        kTypeTCB = 3,
        kTypeMorphWeights = 5,
        kTypeMorphTarget = 6,
    };

    // Smallest record of any float key (time and value).
    static constexpr size_t kMinRecordBytes = 8;

    QrFloatKey() = default;
    QrFloatKey(float time, float value) : m_time(time), m_value(value) {}
    QrFloatKey(const QrFloatKey&) = default;
    QrFloatKey& operator=(const QrFloatKey&) = default;
    virtual ~QrFloatKey() = default;

    virtual void LoadBinary(QrStream& stream);
    virtual void SaveBinary(QrStream& stream) const;
    virtual uint32_t GetType() const { return kTypeNone; }
    // Same type, and every field equal (floats compared exactly).
    virtual bool IsEqual(const QrFloatKey& other) const;
    bool IsNotEqual(const QrFloatKey& other) const { return !IsEqual(other); }
    virtual std::unique_ptr<QrFloatKey> Clone() const = 0;
    // The value at s in [0, 1] of the segment towards next.
    virtual float Interpolate(float s, const QrFloatKey& next) const = 0;

    // The creator table: a key of the type, read from the stream; null for a code without a
    // class (0, 4 and anything above 6).
    static std::unique_ptr<QrFloatKey> Create(uint32_t type, QrStream& stream);
    static bool HasCreator(uint32_t type);

    float m_time = 0.0f;
    float m_value = 0.0f;

protected:
    bool IsBaseEqual(const QrFloatKey& other) const;
};
