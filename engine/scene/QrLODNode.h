#pragma once
// A switch node that picks its active child itself each time it is drawn, from the camera's
// distance: child i is one level of detail, shown while the distance lies in range i. The
// distance is taken from the centre of child 0's world bound, or from each range's own centre,
// and scaled by the camera's scale value. When several ranges hold, the last one wins.

#include "QrPoint3.h"
#include "QrSwitchNode.h"

#include <cstdint>
#include <vector>

class QrLODNode : public QrSwitchNode
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    // Model values are set and streamed; world values follow at each world update.
    struct Range
    {
        float m_near = 0.0f;
        float m_worldNear = 0.0f;
        float m_far = 0.0f;
        float m_worldFar = 0.0f;
        QrPoint3 m_center;
        QrPoint3 m_worldCenter;
    };

    QrLODNode();

    void LoadBinary(QrStream& stream) override;
    void SaveBinary(QrStream& stream) override;
    bool IsEqual(const QrObject* other) const override;

    QrPointer<QrAVObject> CreateClone() override;
    // Chooses the level, then pushes as the switch does.
    void PushState(QrCamera* camera, QrAVInstance* instance) override;
    // The same; the node's sort mode is not applied.
    void PushDisplayState(QrCamera* camera, QrAVInstance* instance) override;
    // Only the most detailed levels (model near at most 0) take part.
    bool TestCollisions(float time, QrCollisionRecord& self, QrCollisionRecord& other) override;
    int32_t FindCollisions(float time, QrCollisionRecord& self, QrCollisionRecord& other) override;
    void UpdateWorldData(QrAVInstance* instance) override;

    // Range [near, far) for child index. Skipped indices below it get the empty range [0, 0),
    // which is never chosen.
    void AddRange(float nearDistance, float farDistance, uint32_t index);
    uint32_t GetRangeCount() const { return static_cast<uint32_t>(m_ranges.size()); }
    const Range& GetRange(uint32_t index) const { return m_ranges[index]; }
    uint8_t GetPerRangeCenters() const { return m_perRangeCenters; }
    void SetPerRangeCenters(uint8_t flag) { m_perRangeCenters = flag; }
    // Sets a range's model centre (used with per-range centres).
    void SetRangeCenter(uint32_t index, const QrPoint3& center);

    // Level choice for an eye point in world space and the camera's scale value; sets the
    // active index (-1 when no range holds). The current instance's world data must be up to date.
    void SelectLevel(const QrPoint3& eye, float scaleValue);

protected:
    ~QrLODNode() override;

    void CopyMembers(QrLODNode* clone);

private:
    // Squared, scaled distance from the eye to the point distances are measured from.
    double DistanceSquared(const QrPoint3& from, const QrPoint3& eye, float scaleValue) const;

    std::vector<Range> m_ranges;
    uint8_t m_perRangeCenters = 0;
};
