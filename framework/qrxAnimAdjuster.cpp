#include "qrxAnimAdjuster.h"

#include "Qr3dsAnimationNode.h"

bool qrxAnimAdjuster::Visit(QrObject* object)
{
    Qr3dsAnimationNode* node = QrDynamicCast<Qr3dsAnimationNode>(object);
    if (!node)
        return true;
    node->SetCycleType(m_cycleType);
    if (m_cycleType == QrAnimTiming::kCycleReverse || m_cycleType == QrAnimTiming::kCycleClamp)
        node->SetRunning(0);
    else if (m_cycleType == QrAnimTiming::kCycleLoop)
        node->SetRunning(1);
    node->SetPendingTime(m_pendingTime);
    node->SetUpdateWorld(m_updateWorld);
    node->SetPhase(m_phase);
    node->SetFrequency(m_frequency);
    node->SetBeginTime(m_beginTime);
    return true;
}

void qrxAnimAdjuster::Apply(QrObject* root)
{
    if (root)
        Walk(root);
}
