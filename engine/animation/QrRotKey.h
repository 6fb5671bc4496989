#pragma once
// Base of the rotation keys: an orientation stored both as an angle about an axis and as a
// unit quaternion, so that more than a full turn between two keys survives interpolation.
// Preparation (QrAnimMath::RotKeysPrepare) gives each segment its whole turns and its
// interpolation class before an array is evaluated. Keys are plain objects owned by whoever
// holds the array.

#include "QrPoint3.h"
#include "QrQuaternion.h"

#include <cstdint>
#include <memory>

class QrStream;

class QrRotKey
{
public:
    enum : uint32_t
    {
        kTypeNone = 0,
        kTypeLinear = 1,
        kTypeBezier = 2,
        kTypeTCB = 3,
        kTypeEuler = 4,
    };

    // Interpolation classes of a segment.
    enum : int32_t
    {
        kClassSlerp = 0,     // less than a full turn: plain slerp (or squad)
        kClassFixedAxis = 1, // turns about one axis: the angle is interpolated
        kClassSpins = 2,     // turns about changing axes: slerp with extra spins
        kClassAngleAxis = 3, // turns from angle 0: angle and axis blended separately
    };

    // Smallest record of any rotation key (the oldest form of the base record).
    static constexpr size_t kMinRecordBytes = 33;

    QrRotKey() = default;
    QrRotKey(float time, float angle, const QrPoint3& axis);
    QrRotKey(const QrRotKey&) = default;
    QrRotKey& operator=(const QrRotKey&) = default;
    virtual ~QrRotKey() = default;

    // Reads the form of the stream's file version; files up to "2.15" store the opposite
    // rotation sense.
    virtual void LoadBinary(QrStream& stream);
    // Always the newest form.
    virtual void SaveBinary(QrStream& stream) const;
    virtual uint32_t GetType() const { return kTypeNone; }
    // Same type, time, angle, axis, quaternion and turns (not the class).
    virtual bool IsEqual(const QrRotKey& other) const;
    bool IsNotEqual(const QrRotKey& other) const { return !IsEqual(other); }
    // The class is cleared: the installing owner prepares the array again.
    virtual std::unique_ptr<QrRotKey> Clone() const;
    // The rotation at s towards next; the owner uses the quaternion. All zero for the base.
    virtual QrRotKey Interpolate(float s, const QrRotKey& next) const;
    // Called on the first key with the whole array whenever the array is installed.
    virtual void FillDerivedValues(QrRotKey* const* keys, int32_t count);

    // The creator table: a key of the type, read from the stream; null for a code without a
    // class (0 and anything above 4).
    static std::unique_ptr<QrRotKey> Create(uint32_t type, QrStream& stream);
    static bool HasCreator(uint32_t type) { return type >= kTypeLinear && type <= kTypeEuler; }

    float m_time = 0.0f;
    float m_angle = 0.0f;
    QrPoint3 m_axis;
    QrQuaternion m_quat{0.0f, 0.0f, 0.0f, 0.0f};
    int32_t m_turns = 0;
    int32_t m_interpClass = kClassSlerp;

protected:
    bool IsBaseEqual(const QrRotKey& other) const;
    // The interpolation of the linear key (control points null) and of the squad keys: a is
    // this key's outgoing control, b next's incoming one, with their angles.
    QrRotKey Blend(float s, const QrRotKey& next, const QrQuaternion* a, const QrQuaternion* b, float angleA,
                   float angleB) const;
};
