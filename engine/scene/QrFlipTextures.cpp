#include "QrFlipTextures.h"

#include "QrObjectsEqual.h"
#include "QrStream.h"

#include <cmath>

QR_IMPLEMENT_RTTI(QrFlipTextures, QrAction)
QR_IMPLEMENT_CREATE(QrFlipTextures)

void QrFlipTextures::LoadBinary(QrStream& stream)
{
    QrAction::LoadBinary(stream);
    stream.Field(m_cycleType);
    stream.Field(m_rate);
    stream.Field(m_startTime);
    stream.Field(m_period);
    stream.LoadLinkID(this);
}

void QrFlipTextures::LinkObject(QrStream& stream)
{
    QrAction::LinkObject(stream);
    m_target = stream.ResolveLinkID<QrTextureProperty>(this);
}

bool QrFlipTextures::RegisterStreamables(QrStream& stream)
{
    if (!QrAction::RegisterStreamables(stream))
        return false;
    // The target goes into the file with the action, or its link would be written as 0.
    if (m_target)
        m_target->RegisterStreamables(stream);
    return true;
}

void QrFlipTextures::SaveBinary(QrStream& stream)
{
    QrAction::SaveBinary(stream);
    stream.Field(m_cycleType);
    stream.Field(m_rate);
    stream.Field(m_startTime);
    stream.Field(m_period);
    stream.SaveLinkID(m_target.Get());
}

bool QrFlipTextures::IsEqual(const QrObject* other) const
{
    if (!QrAction::IsEqual(other))
        return false;
    const auto* o = static_cast<const QrFlipTextures*>(other);
    if (m_cycleType != o->m_cycleType || m_rate != o->m_rate || m_startTime != o->m_startTime ||
        m_period != o->m_period)
        return false;
    return QrObjectsEqual(m_target.Get(), o->m_target.Get());
}

int32_t QrFlipTextures::ComputeIndex(double time, uint32_t count, int32_t current) const
{
    const double last = static_cast<double>(count) - 1.0;
    const double period = m_period;
    const double start = m_startTime;
    switch (m_cycleType)
    {
    case kLoop:
    {
        const double t = time - start;
        const double phase = t >= 0.0 ? std::fmod(t, period) : period - std::fmod(-t, period);
        return static_cast<int32_t>(std::trunc(last * phase / period));
    }
    case kReverse:
    {
        const double t = std::fabs(time - start);
        const double pass = std::trunc(t / period);
        const double phase = std::fmod(t, period);
        const bool backward = std::fmod(pass, 2.0) != 0.0;
        return static_cast<int32_t>(std::trunc(last * (backward ? period - phase : phase) / period));
    }
    case kClamp:
        if (time <= start)
            return 0;
        if (time >= start + period)
            return static_cast<int32_t>(last);
        return static_cast<int32_t>(std::trunc(last * (time - start) / period));
    default:
        return current;
    }
}

bool QrFlipTextures::Update(double time, double)
{
    if (!m_target)
        return true;
    if (m_target->GetRefCount() == 1)
    {
        // Whoever used the property has let it go: nothing is left to animate.
        m_target = nullptr;
        return false;
    }
    if (!(m_period > 0.0f) || !std::isfinite(time))
        return true;
    m_target->SetCurrentIndex(ComputeIndex(time, m_target->GetImageCount(), m_target->GetCurrentIndex()));
    return true;
}
