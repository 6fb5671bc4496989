#pragma once
// A time and whether the node is shown from then on: the step function of an animation
// node's visibility. A plain record, 5 bytes in files.

#include <cstdint>
#include <memory>

class QrStream;

class QrVisibilityKey
{
public:
    static constexpr size_t kRecordBytes = 5;

    QrVisibilityKey() = default;
    QrVisibilityKey(float time, uint8_t visible) : m_time(time), m_visible(visible) {}

    void LoadBinary(QrStream& stream);
    void SaveBinary(QrStream& stream) const;
    bool IsEqual(const QrVisibilityKey& other) const { return m_time == other.m_time && m_visible == other.m_visible; }
    bool IsNotEqual(const QrVisibilityKey& other) const { return !IsEqual(other); }
    std::unique_ptr<QrVisibilityKey> Clone() const { return std::make_unique<QrVisibilityKey>(*this); }

    float m_time = 0.0f;
    uint8_t m_visible = 0;
};
