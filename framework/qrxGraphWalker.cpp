#include "qrxGraphWalker.h"

#include "QrNode.h"

bool qrxGraphWalker::Walk(QrObject* object)
{
    if (QrNode* node = QrDynamicCast<QrNode>(object))
        return WalkChildren(node);
    return Visit(object);
}

bool qrxGraphWalker::WalkChildren(QrNode* node)
{
    if (!Visit(node))
        return false;
    uint32_t remaining = node->GetNonEmptyChildCount();
    for (uint32_t i = 0; i < node->GetChildCount() && remaining > 0; ++i)
    {
        QrAVObject* child = node->GetChildAt(i);
        if (!child)
            continue;
        ++m_depth;
        QrNode* childNode = QrDynamicCast<QrNode>(child);
        const bool goOn = childNode ? WalkChildren(childNode) : Visit(child);
        --m_depth;
        --remaining;
        if (!goOn)
            return false;
    }
    return true;
}
