#include "Qr3dsPathController.h"

#include "QrKeyIO.h"
#include "QrKeyLookup.h"
#include "QrStream.h"
#include "QrTCBFloatKey.h"

#include <cmath>
#include <cstring>

QR_IMPLEMENT_RTTI(Qr3dsPathController, QrNode)
QR_IMPLEMENT_CREATE(Qr3dsPathController)

namespace
{
// Five-point Gauss-Legendre rule on [0, 1].
const float kGaussNodes[5] = {0.04691008f, 0.23076534f, 0.5f, 0.76923466f, 0.95308989f};
const float kGaussWeights[5] = {0.11846344f, 0.23931433f, 0.28444445f, 0.23931433f, 0.11846344f};

constexpr float kNewtonTolerance = 0.0001f;
constexpr int kNewtonSteps = 32;

// Unit vector, or zero when the length is at most 1e-6.
QrPoint3 Normalised(QrPoint3 p)
{
    p.Unitize();
    return p;
}

QrPoint3 Blend(double a, const QrPoint3& p, double b, const QrPoint3& q)
{
    return {float(a * p.x + b * q.x), float(a * p.y + b * q.y), float(a * p.z + b * q.z)};
}
} // namespace

Qr3dsPathController::Qr3dsPathController() = default;

Qr3dsPathController::~Qr3dsPathController() = default;

void Qr3dsPathController::SetPathKeys(QrAnimKey* const* keys, int32_t count)
{
    m_pathKeys.CopyFrom(keys, count);
    m_lengths.clear();
    m_totalLength = 0.0f;
    m_lengthsDirty = 1;
    m_pathCache = 0;
    m_maxCurvature = 0.0f;
    if (m_pathKeys.IsEmpty())
        return;
    m_openPath = m_pathKeys.First()->m_value.IsEqual(m_pathKeys.Last()->m_value) ? 0 : 1;
    // Derived values first: the arc lengths integrate the curve they define.
    QrAnimKey* first = m_pathKeys.First();
    first->FillDerivedValues(m_pathKeys.GetKeys(), m_pathKeys.GetCount());
    if (m_constantSpeed)
        ComputeLengths();
    m_maxCurvature = first->MaxCurvature(m_pathKeys.GetKeys(), m_pathKeys.GetCount());
}

void Qr3dsPathController::SetPercentKeys(QrFloatKey* const* keys, int32_t count)
{
    m_percentKeys.CopyFrom(keys, count);
    m_percentCache = 0;
    if (m_percentKeys.IsEmpty())
        return;
    SetBeginTime(m_percentKeys.First()->m_time);
    SetEndTime(m_percentKeys.Last()->m_time);
    if (m_percentKeys.First()->GetType() == QrFloatKey::kTypeTCB)
        QrTCBFloatKey::FillDerivedValues(m_percentKeys.GetKeys(), m_percentKeys.GetCount());
}

float Qr3dsPathController::Speed(int32_t i, int32_t j, float s) const
{
    return m_pathKeys[i]->FirstDerivative(s, *m_pathKeys[j]).Length();
}

float Qr3dsPathController::SegmentLength(int32_t i, int32_t j, float u) const
{
    double sum = 0.0;
    for (int k = 0; k < 5; ++k)
        sum += double(kGaussWeights[k]) * Speed(i, j, u * kGaussNodes[k]);
    return float(u * sum);
}

void Qr3dsPathController::ComputeLengths()
{
    if (!m_lengthsDirty)
        return;
    const int32_t n = m_pathKeys.GetCount();
    m_lengths.assign(size_t(n), 0.0f);
    for (int32_t i = 0; i + 1 < n; ++i)
        m_lengths[size_t(i) + 1] = m_lengths[size_t(i)] + SegmentLength(i, i + 1, 1.0f);
    m_totalLength = n > 0 ? m_lengths[size_t(n) - 1] : 0.0f;
    m_lengthsDirty = 0;
}

float Qr3dsPathController::PercentAt(float t)
{
    QrFloatKey* const* keys = m_percentKeys.GetKeys();
    const QrKeyLookup::Segment segment = QrKeyLookup::Find(keys, m_percentKeys.GetCount(), t, m_percentCache);
    if (segment.m_exact)
        return keys[segment.m_index]->m_value;
    return keys[segment.m_index]->Interpolate(segment.m_s, *keys[segment.m_index + 1]);
}

Qr3dsPathController::PathPlace Qr3dsPathController::FindParameterForDistance(float f)
{
    const int32_t n = m_pathKeys.GetCount();
    PathPlace place;
    // A path of one key is a fixed point.
    if (n < 2 || f <= 0.0f)
    {
        place.m_key = 0;
        return place;
    }
    place.m_segment = n - 2;
    place.m_s = 1.0f;
    place.m_key = n - 1;
    if (f >= 1.0f)
        return place;
    ComputeLengths();
    const float d = f * m_totalLength;
    int32_t i = 0;
    while (i + 1 < n && !(d <= m_lengths[size_t(i) + 1]))
        ++i;
    if (i + 1 >= n)
        return place;
    const float rem = d - m_lengths[size_t(i)];
    const float segmentLength = m_lengths[size_t(i) + 1] - m_lengths[size_t(i)];
    float u = segmentLength > 0.0f ? rem / segmentLength : 0.0f;
    for (int step = 0; step < kNewtonSteps; ++step)
    {
        const float err = SegmentLength(i, i + 1, u) - rem;
        if (std::fabs(err) <= kNewtonTolerance)
            break;
        const float speed = Speed(i, i + 1, u);
        // A segment that stands still at u cannot be stepped along.
        if (!(speed > 0.0f))
            break;
        u -= err / speed;
    }
    place.m_segment = i;
    place.m_s = u;
    place.m_key = -1;
    return place;
}

Qr3dsPathController::PathPlace Qr3dsPathController::PlaceOfParameter(float p)
{
    const int32_t n = m_pathKeys.GetCount();
    QrAnimKey* const* keys = m_pathKeys.GetKeys();
    PathPlace place;
    const QrKeyLookup::Segment segment = QrKeyLookup::Find(keys, n, p, m_pathCache);
    if (!segment.m_exact)
    {
        place.m_segment = segment.m_index;
        place.m_s = segment.m_s;
        return place;
    }
    place.m_key = segment.m_index;
    if (n < 2)
        return place;
    // At or beyond an end the end segment's parameter runs on past 0 or 1.
    place.m_segment = segment.m_index < n - 1 ? segment.m_index : n - 2;
    const float t0 = keys[place.m_segment]->m_time;
    const float t1 = keys[place.m_segment + 1]->m_time;
    place.m_s = (p - t0) / (t1 - t0);
    return place;
}

QrPoint3 Qr3dsPathController::PointAt(const PathPlace& place) const
{
    if (place.m_key >= 0)
        return m_pathKeys[place.m_key]->m_value;
    return m_pathKeys[place.m_segment]->Interpolate(place.m_s, *m_pathKeys[place.m_segment + 1]).m_value;
}

QrPoint3 Qr3dsPathController::PositionAt(float p)
{
    if (m_pathKeys.IsEmpty())
        return QrPoint3::ZERO;
    return PointAt(m_constantSpeed ? FindParameterForDistance(p) : PlaceOfParameter(p));
}

Qr3dsPathController::Frame Qr3dsPathController::CurveFrame(int32_t i, float s) const
{
    const QrAnimKey& k = *m_pathKeys[i];
    const QrAnimKey& next = *m_pathKeys[i + 1];
    const QrPoint3 d1 = k.FirstDerivative(s, next);
    const QrPoint3 d2 = k.SecondDerivative(s, next);
    Frame frame;
    frame.m_tangent = Normalised(d1);
    const QrPoint3& t = frame.m_tangent;
    const float speedSquared = d1.Dot(d1);
    frame.m_curvature = speedSquared > 0.0f ? d1.Cross(d2).Length() / speedSquared : 0.0f;
    QrPoint3 direction;
    if (std::fabs(frame.m_curvature) > 1e-6f)
    {
        direction = Blend(1.0, d2, -double(t.Dot(d2)), t);
    }
    else
    {
        frame.m_curvature = 0.0f;
        if (std::fabs(t.x) > 1e-6f || std::fabs(t.y) > 1e-6f)
            direction = {t.y, -t.x, 0.0f};
        else
            direction = {0.0f, -t.z, t.y};
    }
    frame.m_normal = Normalised(direction);
    frame.m_binormal = t.Cross(frame.m_normal);
    return frame;
}

QrMatrix3 Qr3dsPathController::OrientationAt(const PathPlace& place) const
{
    QrMatrix3 result;
    result.MakeIdentity();
    const int32_t n = m_pathKeys.GetCount();
    if (n < 2)
        return result;
    const int32_t i = place.m_segment;
    const float s = place.m_s;
    Frame frame = CurveFrame(i, s);
    const QrPoint3 t = frame.m_tangent;
    float curvature = frame.m_curvature;

    if (!m_curveFrame)
    {
        const QrPoint3 side = Normalised({-t.y, t.x, 0.0f});
        result.SetColumn(0, t);
        result.SetColumn(1, side);
        result.SetColumn(2, t.Cross(side));
    }
    else
    {
        QrPoint3 normal = frame.m_normal;
        const float w = m_smoothing;
        if (w != 0.0f)
        {
            if (s >= 1.0f - w)
            {
                int32_t nextSegment = i + 1;
                if (!m_openPath && i + 1 == n - 1)
                    nextSegment = 0;
                if (nextSegment < n - 1)
                {
                    const Frame mine = CurveFrame(i, 1.0f - w);
                    const Frame other = CurveFrame(nextSegment, w);
                    const double u = (1.0 - s + w) / (2.0 * w);
                    normal = Normalised(Blend(u, mine.m_normal, 1.0 - u, other.m_normal));
                    curvature = float(u * mine.m_curvature + (1.0 - u) * other.m_curvature);
                }
            }
            else if (s <= w)
            {
                int32_t prevSegment = i - 1;
                if (!m_openPath && i == 0)
                    prevSegment = n - 2;
                if (prevSegment + 1 >= 1)
                {
                    const Frame mine = CurveFrame(i, w);
                    const Frame other = CurveFrame(prevSegment, 1.0f - w);
                    const double u = (w - s) / (2.0 * w);
                    normal = Normalised(Blend(1.0 - u, mine.m_normal, u, other.m_normal));
                    curvature = float((1.0 - u) * mine.m_curvature + u * other.m_curvature);
                }
            }
        }
        const QrPoint3 binormal = t.Cross(normal);
        result.SetColumn(0, t);
        result.SetColumn(1, -normal);
        result.SetColumn(2, -binormal);
    }

    if (m_followAxis == 1)
    {
        const QrPoint3 c0 = result.GetColumn(0);
        result.SetColumn(0, -result.GetColumn(1));
        result.SetColumn(1, c0);
    }
    else if (m_followAxis == 2)
    {
        const QrPoint3 c0 = result.GetColumn(0);
        result.SetColumn(0, -result.GetColumn(2));
        result.SetColumn(2, c0);
    }

    if (m_bankEnabled)
    {
        float angle = float(m_bankSign) * m_bankAmount;
        // The full angle is reached at the path's largest curvature.
        if (curvature < m_maxCurvature)
            angle = float(angle * std::atan(double(curvature) / m_maxCurvature) * (1.0 / std::atan(1.0)));
        QrMatrix3 bank;
        bank.MakeRotation(angle, t.x, t.y, t.z);
        result = bank * result;
    }
    return result;
}

QrMatrix3 Qr3dsPathController::Orientation(float p)
{
    if (m_pathKeys.GetCount() < 2)
    {
        QrMatrix3 identity;
        identity.MakeIdentity();
        return identity;
    }
    return OrientationAt(PlaceOfParameter(p));
}

void Qr3dsPathController::ApplyAtTime(float time)
{
    if (m_pathKeys.IsEmpty() || m_percentKeys.IsEmpty())
        return;
    const float t = ComputeScaledTime(time);
    const float p = PercentAt(t);
    // At constant speed the parameter is an arc-length fraction: the rotation follows the
    // point actually reached, not the path key time p would name.
    const PathPlace place = m_constantSpeed ? FindParameterForDistance(p) : PlaceOfParameter(p);
    if (m_followEnabled)
        m_rotate = OrientationAt(place);
    m_translate = PointAt(place);
    if (GetUpdateWorld())
        UpdateAllInstances();
}

QrPointer<QrAVObject> Qr3dsPathController::CreateClone()
{
    QrPointer<Qr3dsPathController> clone(new Qr3dsPathController);
    CopyTimingTo(*clone);
    QrNode::CopyMembers(clone.Get());
    clone->m_constantSpeed = m_constantSpeed;
    clone->SetPathKeys(m_pathKeys.GetKeys(), m_pathKeys.GetCount());
    clone->SetPercentKeys(m_percentKeys.GetKeys(), m_percentKeys.GetCount());
    clone->m_openPath = m_openPath;
    clone->m_bankSign = m_bankSign;
    clone->m_curveFrame = m_curveFrame;
    clone->m_bankEnabled = m_bankEnabled;
    clone->m_followEnabled = m_followEnabled;
    clone->m_bankAmount = m_bankAmount;
    clone->m_smoothing = m_smoothing;
    clone->m_followAxis = m_followAxis;
    clone->m_pathCache = m_pathCache;
    clone->m_percentCache = m_percentCache;
    return clone;
}

void Qr3dsPathController::LoadBinary(QrStream& stream)
{
    QrNode::LoadBinary(stream);
    LoadTiming(stream);
    const int32_t pathCount = stream.LoadI32();
    const int32_t percentCount = stream.LoadI32();
    m_openPath = stream.LoadU8();
    m_bankSign = stream.LoadI32();
    m_curveFrame = stream.LoadU8();
    m_bankEnabled = stream.LoadU8();
    m_constantSpeed = stream.LoadU8();
    m_followEnabled = stream.LoadU8();
    m_bankAmount = stream.LoadF32();
    m_smoothing = stream.LoadF32();
    m_followAxis = stream.LoadI16();

    if (pathCount > 0)
    {
        std::vector<std::unique_ptr<QrAnimKey>> keys;
        if (QrKeyIO<QrAnimKey>::Load(stream, pathCount, keys, "path keys"))
            SetPathKeys(QrKeyIO<QrAnimKey>::Pointers(keys).data(), pathCount);
    }
    else if (pathCount < 0)
    {
        stream.LoadU32(); // a type code in front of no keys
    }
    if (percentCount > 0)
    {
        std::vector<std::unique_ptr<QrFloatKey>> keys;
        if (QrKeyIO<QrFloatKey>::Load(stream, percentCount, keys, "path parameter keys"))
            SetPercentKeys(QrKeyIO<QrFloatKey>::Pointers(keys).data(), percentCount);
    }
    else if (percentCount < 0)
    {
        stream.LoadU32();
    }
}

void Qr3dsPathController::SaveBinary(QrStream& stream)
{
    QrNode::SaveBinary(stream);
    SaveTiming(stream);
    stream.SaveI32(m_pathKeys.GetCount());
    stream.SaveI32(m_percentKeys.GetCount());
    stream.SaveU8(m_openPath);
    stream.SaveI32(m_bankSign);
    stream.SaveU8(m_curveFrame);
    stream.SaveU8(m_bankEnabled);
    stream.SaveU8(m_constantSpeed);
    stream.SaveU8(m_followEnabled);
    stream.SaveF32(m_bankAmount);
    stream.SaveF32(m_smoothing);
    stream.SaveI16(m_followAxis);
    if (!m_pathKeys.IsEmpty())
        QrKeyIO<QrAnimKey>::Save(stream, m_pathKeys.GetKeys(), m_pathKeys.GetCount());
    if (!m_percentKeys.IsEmpty())
        QrKeyIO<QrFloatKey>::Save(stream, m_percentKeys.GetKeys(), m_percentKeys.GetCount());
}

bool Qr3dsPathController::IsEqual(const QrObject* other) const
{
    if (!QrNode::IsEqual(other))
        return false;
    const auto* o = static_cast<const Qr3dsPathController*>(other);
    if (!IsTimingEqual(*o) || m_pathKeys.GetCount() != o->m_pathKeys.GetCount() ||
        m_percentKeys.GetCount() != o->m_percentKeys.GetCount())
        return false;
    for (int32_t i = 0; i < m_pathKeys.GetCount(); ++i)
        if (m_pathKeys[i]->IsNotEqual(*o->m_pathKeys[i]))
            return false;
    for (int32_t i = 0; i < m_percentKeys.GetCount(); ++i)
        if (m_percentKeys[i]->IsNotEqual(*o->m_percentKeys[i]))
            return false;
    if (m_lengths.size() != o->m_lengths.size() ||
        (!m_lengths.empty() &&
         std::memcmp(m_lengths.data(), o->m_lengths.data(), m_lengths.size() * sizeof(float)) != 0))
        return false;
    return m_totalLength == o->m_totalLength && m_lengthsDirty == o->m_lengthsDirty && m_openPath == o->m_openPath &&
           m_bankSign == o->m_bankSign && m_curveFrame == o->m_curveFrame && m_bankEnabled == o->m_bankEnabled &&
           m_constantSpeed == o->m_constantSpeed && m_followEnabled == o->m_followEnabled &&
           m_bankAmount == o->m_bankAmount && m_smoothing == o->m_smoothing && m_followAxis == o->m_followAxis;
}
