#include "tovCastingTarget.h"

#include "tovModelFileCache.h"

QR_IMPLEMENT_RTTI(tovCastingTarget, QrNode)

tovCastingTarget::tovCastingTarget()
{
    SetName("Casting Target");
    SetScale(kScale);
    m_model = tovModelFileCache::LoadNode(kModelFile, kModelNode);
    if (m_model)
    {
        AttachChild(m_model.Get());
        CollectKeyFramed(m_model.Get());
    }
    SetTarget(QrPoint3());
    Show(false);
}

void tovCastingTarget::SetTarget(const QrPoint3& point)
{
    m_target = QrPoint3(point.x, kHeight, point.z);
    SetTranslate(m_target.x, m_target.y, m_target.z);
    UpdateAllInstances();
}

void tovCastingTarget::Show(bool shown)
{
    m_shown = shown;
    SetAppCulled(shown ? 0 : 1);
}
