#include "QrFltAnimationNode.h"

#include "QrCamera.h"
#include "QrStream.h"

#include <cmath>

QR_IMPLEMENT_RTTI(QrFltAnimationNode, QrSwitchNode)
QR_IMPLEMENT_CREATE(QrFltAnimationNode)

QrFltAnimationNode::QrFltAnimationNode() = default;

QrFltAnimationNode::~QrFltAnimationNode() = default;

void QrFltAnimationNode::SelectFrame(double time)
{
    const uint32_t n = GetChildCount();
    const double p = m_period;
    if (n == 0 || !(p > 0.0) || !std::isfinite(p))
        return;
    double u = std::fmod(time, p);
    if (!std::isfinite(u))
        return;
    if (u < 0.0)
        u += p;
    double k;
    if (m_swing)
    {
        if (u > p * 0.5)
            u = p - u;
        k = std::trunc(2.0 * n * u / p);
    }
    else
    {
        k = std::trunc(n * u / p);
    }
    // The end of the period (or rounding onto it) stays on the last frame.
    m_activeIndex = k < double(n) ? static_cast<int32_t>(k) : static_cast<int32_t>(n - 1);
}

double QrFltAnimationNode::FrameTimeOf(QrCamera* camera)
{
    return camera ? camera->GetFrameTime() : 0.0;
}

void QrFltAnimationNode::Update(QrAVInstance* instance)
{
    if (!m_updateActiveOnly)
    {
        QrSwitchNode::Update(instance);
        return;
    }
    UpdateWorldData(instance);
    UpdateLazily();
}

void QrFltAnimationNode::PushState(QrCamera* camera, QrAVInstance* instance)
{
    if (camera)
        SelectFrame(FrameTimeOf(camera));
    QrSwitchNode::PushState(camera, instance);
}

void QrFltAnimationNode::Draw(QrCamera* camera, QrAVInstance* instance)
{
    if (camera)
        SelectFrame(FrameTimeOf(camera));
    QrSwitchNode::Draw(camera, instance);
    m_activeIndex = -1;
}

void QrFltAnimationNode::Display(QrCamera* camera, QrSorter* sorter, QrAVInstance* instance)
{
    if (camera)
        SelectFrame(FrameTimeOf(camera));
    QrSwitchNode::Display(camera, sorter, instance);
    m_activeIndex = -1;
}

// --- clone and scene file

QrPointer<QrAVObject> QrFltAnimationNode::CreateClone()
{
    QrPointer<QrFltAnimationNode> clone(new QrFltAnimationNode);
    CopyMembers(clone.Get());
    return clone;
}

void QrFltAnimationNode::CopyMembers(QrFltAnimationNode* clone)
{
    QrSwitchNode::CopyMembers(clone);
    clone->m_period = m_period;
    clone->m_swing = m_swing;
}

void QrFltAnimationNode::LoadBinary(QrStream& stream)
{
    QrSwitchNode::LoadBinary(stream);
    m_period = stream.LoadF64();
    m_swing = stream.LoadU8();
}

void QrFltAnimationNode::SaveBinary(QrStream& stream)
{
    QrSwitchNode::SaveBinary(stream);
    stream.SaveF64(m_period);
    stream.SaveU8(m_swing);
}

bool QrFltAnimationNode::IsEqual(const QrObject* object) const
{
    if (!QrSwitchNode::IsEqual(object))
        return false;
    const QrFltAnimationNode* other = static_cast<const QrFltAnimationNode*>(object);
    return m_period == other->m_period && m_swing == other->m_swing;
}
