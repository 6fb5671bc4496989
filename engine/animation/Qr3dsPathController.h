#pragma once
// Scene node that moves itself along a path of position keys. Parameter keys map local time
// to a path parameter; the node's translation becomes the path point there (optionally at
// constant speed along the arc length), and its rotation can follow the path direction, with
// smoothing across the joints and banking in curves.

#include "QrAnimKey.h"
#include "QrAnimTiming.h"
#include "QrFloatKey.h"
#include "QrKeyArray.h"
#include "QrMatrix3.h"
#include "QrNode.h"

#include <vector>

class Qr3dsPathController : public QrNode, public QrAnimTiming
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    Qr3dsPathController();

    // Both Update forms stay callable: the world update and the timing step.
    using QrAnimTiming::Update;
    using QrNode::Update;

    void LoadBinary(QrStream& stream) override;
    void SaveBinary(QrStream& stream) override;
    bool IsEqual(const QrObject* other) const override;
    QrPointer<QrAVObject> CreateClone() override;
    // Does nothing unless both the path and the parameter keys exist.
    void ApplyAtTime(float time) override;

    // Copies the keys; the path decides whether it is closed, and its derived values, arc
    // lengths (at constant speed) and largest curvature are computed.
    void SetPathKeys(QrAnimKey* const* keys, int32_t count);
    // Copies the keys; the time range becomes exactly theirs.
    void SetPercentKeys(QrFloatKey* const* keys, int32_t count);

    // Cumulative arc lengths at the keys, when they are out of date.
    void ComputeLengths();
    // Arc length of segment i (towards key j) from parameter 0 to u.
    float SegmentLength(int32_t i, int32_t j, float u) const;
    float Speed(int32_t i, int32_t j, float s) const;
    float PercentAt(float t);
    QrPoint3 PositionAt(float p);
    QrMatrix3 Orientation(float p);

    int32_t GetPathCount() const { return m_pathKeys.GetCount(); }
    QrAnimKey* const* GetPathKeys() const { return m_pathKeys.GetKeys(); }
    int32_t GetPercentCount() const { return m_percentKeys.GetCount(); }
    QrFloatKey* const* GetPercentKeys() const { return m_percentKeys.GetKeys(); }
    const std::vector<float>& GetLengths() const { return m_lengths; }
    float GetTotalLength() const { return m_totalLength; }
    float GetMaxCurvature() const { return m_maxCurvature; }
    bool IsOpenPath() const { return m_openPath != 0; }

    int32_t m_bankSign = 1;
    // Orientation from the curve's own frame (1) or from the world z axis (0).
    uint8_t m_curveFrame = 0;
    uint8_t m_bankEnabled = 0;
    // The parameter is a fraction of the arc length rather than a path key time.
    uint8_t m_constantSpeed = 0;
    uint8_t m_followEnabled = 0;
    // Largest bank angle, radians.
    float m_bankAmount = 0.0f;
    // Width of the blend zone at the joints, as a fraction of a segment.
    float m_smoothing = 0.0f;
    // The local axis (0, 1, 2) that follows the path.
    int16_t m_followAxis = 0;

protected:
    ~Qr3dsPathController() override;

private:
    // A place on the path: segment i (keys i and i + 1) at parameter s.
    struct PathPlace
    {
        int32_t m_segment = 0;
        float m_s = 0.0f;
        // The point is exactly this key's value (the ends, an exact key time), or -1.
        int32_t m_key = -1;
    };
    struct Frame
    {
        QrPoint3 m_tangent;
        QrPoint3 m_normal;
        QrPoint3 m_binormal;
        float m_curvature = 0.0f;
    };

    // Constant speed: the place at fraction f of the arc length (Newton iteration).
    PathPlace FindParameterForDistance(float f);
    // The place of parameter p among the path key times (s unclamped outside the keys).
    PathPlace PlaceOfParameter(float p);
    QrPoint3 PointAt(const PathPlace& place) const;
    Frame CurveFrame(int32_t i, float s) const;
    QrMatrix3 OrientationAt(const PathPlace& place) const;

    QrKeyArray<QrAnimKey> m_pathKeys;
    QrKeyArray<QrFloatKey> m_percentKeys;
    int32_t m_pathCache = 0;
    int32_t m_percentCache = 0;
    std::vector<float> m_lengths;
    float m_totalLength = 0.0f;
    uint8_t m_lengthsDirty = 1;
    uint8_t m_openPath = 1;
    float m_maxCurvature = 0.0f;
};
