#include "qrxKeyFramedModel.h"

#include "qrxGraphWalker.h"

#include "Qr3dsBone.h"

#include <algorithm>

// Finds the animation nodes of a subtree for a model.
class qrxKeyFramedCollector : public qrxGraphWalker
{
public:
    explicit qrxKeyFramedCollector(qrxKeyFramedModel& model) : m_model(model) {}

    bool Visit(QrObject* object) override
    {
        if (Qr3dsBone* bone = QrDynamicCast<Qr3dsBone>(object))
            m_model.AddTiming(bone->GetLinkedObject());
        else if (QrDynamicCast<Qr3dsAnimationNode>(object))
            m_model.AddTiming(object);
        return true;
    }

private:
    qrxKeyFramedModel& m_model;
};

void qrxKeyFramedModel::AddTiming(QrObject* owner)
{
    QrAnimTiming* timing = owner ? QrAnimTiming::GetTimingPart(owner) : nullptr;
    if (!timing || std::find(m_timings.begin(), m_timings.end(), timing) != m_timings.end())
        return;
    m_owners.emplace_back(owner);
    m_timings.push_back(timing);
}

bool qrxKeyFramedModel::CollectKeyFramed(QrObject* root)
{
    qrxKeyFramedCollector collector(*this);
    if (root)
        collector.Walk(root);
    return true;
}

void qrxKeyFramedModel::Update(double now, double)
{
    if (!m_enabled && !m_changed)
        return;
    for (QrAnimTiming* timing : m_timings)
        timing->Update(float(now));
    m_changed = 0;
}
