#pragma once
// Base of the position keys: a time and a 3-vector value, and the operations that interpolate
// towards the next key of an array. The type code is also the key's index in the creator
// table, so a scene file stores one code in front of each key array. Keys are plain objects
// owned by whoever holds the array.

#include "QrPoint3.h"

#include <cstdint>
#include <memory>

class QrStream;

class QrAnimKey
{
public:
    enum : uint32_t
    {
        kTypeNone = 0,
        kTypeLinear = 1,
        kTypeBezier = 2,
        kTypeTCB = 3,
    };

    // Smallest record of any position key (time and value).
    static constexpr size_t kMinRecordBytes = 16;

    QrAnimKey() = default;
    QrAnimKey(float time, const QrPoint3& value) : m_time(time), m_value(value) {}
    QrAnimKey(const QrAnimKey&) = default;
    QrAnimKey& operator=(const QrAnimKey&) = default;
    virtual ~QrAnimKey() = default;

    virtual void LoadBinary(QrStream& stream);
    virtual void SaveBinary(QrStream& stream) const;
    virtual uint32_t GetType() const { return kTypeNone; }
    // Same type, and every field equal (floats compared exactly).
    virtual bool IsEqual(const QrAnimKey& other) const;
    bool IsNotEqual(const QrAnimKey& other) const { return !IsEqual(other); }
    virtual std::unique_ptr<QrAnimKey> Clone() const;
    // The point at s in [0, 1] of the segment towards next; the result's time is s.
    virtual QrAnimKey Interpolate(float s, const QrAnimKey& next) const;
    // Derivatives of the segment curve with respect to s; zero for the base.
    virtual QrPoint3 FirstDerivative(float s, const QrAnimKey& next) const;
    virtual QrPoint3 SecondDerivative(float s, const QrAnimKey& next) const;
    // Called on the first key with the whole array whenever the array is installed.
    virtual void FillDerivedValues(QrAnimKey* const* keys, int32_t count);
    // Largest sampled curvature of the path through the array.
    virtual float MaxCurvature(QrAnimKey* const* keys, int32_t count) const;

    // The creator table: a key of the type, read from the stream; null for a code without a
    // class (0 and anything above 3).
    static std::unique_ptr<QrAnimKey> Create(uint32_t type, QrStream& stream);
    static bool HasCreator(uint32_t type) { return type >= kTypeLinear && type <= kTypeTCB; }

    float m_time = 0.0f;
    QrPoint3 m_value;

protected:
    bool IsBaseEqual(const QrAnimKey& other) const;
};
