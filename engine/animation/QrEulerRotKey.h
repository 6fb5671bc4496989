#pragma once
// A whole Euler rotation track in one key: three float-key arrays (x, y, z angles) and the
// order in which the three axis rotations are composed. The owning node holds the single key
// and evaluates it as a whole with its own cached index.

#include "QrFloatKey.h"
#include "QrRotKey.h"

#include <vector>

class QrEulerRotKey : public QrRotKey
{
public:
    enum : int32_t
    {
        kAxisX = 0,
        kAxisY = 1,
        kAxisZ = 2,
    };

    QrEulerRotKey() = default;
    QrEulerRotKey(const QrEulerRotKey&) = delete;
    QrEulerRotKey& operator=(const QrEulerRotKey&) = delete;

    void LoadBinary(QrStream& stream) override;
    void SaveBinary(QrStream& stream) const override;
    uint32_t GetType() const override { return kTypeEuler; }
    bool IsEqual(const QrRotKey& other) const override;
    // Copies the axis order and clones every sub-key; the base fields stay zero.
    std::unique_ptr<QrRotKey> Clone() const override;
    // Evaluated as a whole (Evaluate); a segment of Euler keys has no meaning.
    QrRotKey Interpolate(float s, const QrRotKey& next) const override;
    void FillDerivedValues(QrRotKey* const* keys, int32_t count) override;

    // Tangents of each axis array whose keys are TCB keys.
    void FillTangents();
    // The rotation at local time t. cache is the owner's index into the reference array (the
    // last axis array with two or more keys).
    QrRotKey Evaluate(float t, int32_t& cache) const;

    int32_t GetCount(int32_t axis) const { return int32_t(m_keys[axis].size()); }
    // The first of x, y, z with two or more keys, or -1: it gives the owner its key count and
    // time range.
    int32_t GetRangeAxis() const;
    QrFloatKey* const* GetKeys(int32_t axis) const { return m_pointers[axis].data(); }
    // Takes the keys of one axis (replacing the old ones).
    void SetKeys(int32_t axis, std::vector<std::unique_ptr<QrFloatKey>> keys);

    // 0 x, y, z; 1 x, z, y; 2 y, z, x; 3 y, x, z; 4 z, x, y; 5 z, y, x: the order in which the
    // axis rotations apply.
    int16_t m_axisOrder = 0;

private:
    std::vector<std::unique_ptr<QrFloatKey>> m_keys[3];
    // The same keys as plain pointers, the form key arrays take everywhere.
    std::vector<QrFloatKey*> m_pointers[3];
};
