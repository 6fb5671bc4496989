#include "qrxKeyNode.h"

#include <algorithm>
#include <cstring>

QR_IMPLEMENT_RTTI(qrxKeyNode, QrObject)

qrxKeyNode::~qrxKeyNode()
{
    for (const QrPointer<Qr3dsAnimationNode>& node : m_shownBy)
        LetGo(node.Get());
}

void qrxKeyNode::CopyKeys(Qr3dsAnimationNode* node)
{
    if (!node)
        return;
    SetName(node->GetName());
    m_rot.CopyFrom(node->GetRotKeys(), node->GetRotArraySize());
    m_pos.CopyFrom(node->GetPosKeys(), node->GetPosCount());
    m_vis.CopyFrom(node->GetVisibilityKeys(), node->GetVisibilityCount());
    m_translate = node->GetTranslate();
    m_rotate = node->GetRotate();
}

void qrxKeyNode::ApplyTo(Qr3dsAnimationNode* node)
{
    if (!node)
        return;
    node->ReplaceRotKeys(m_rot.Data(), m_rot.Count());
    node->ReplacePosKeys(m_pos.Data(), m_pos.Count());
    node->ReplaceVisibilityKeys(m_vis.Data(), m_vis.Count());
    const char* name = GetName();
    if (!name || std::strcmp(name, "Scene Root") != 0)
    {
        if (m_pos.Count() == 0)
            node->GetTranslate() = m_translate;
        if (m_rot.Count() == 0)
            node->GetRotate() = m_rotate;
    }
    if (std::find(m_shownBy.begin(), m_shownBy.end(), QrPointer<Qr3dsAnimationNode>(node)) == m_shownBy.end())
        m_shownBy.emplace_back(node);
}

void qrxKeyNode::ReleaseFrom(Qr3dsAnimationNode* node)
{
    if (!node)
        return;
    LetGo(node);
    const auto it = std::find(m_shownBy.begin(), m_shownBy.end(), QrPointer<Qr3dsAnimationNode>(node));
    if (it != m_shownBy.end())
        m_shownBy.erase(it);
}

bool qrxKeyNode::IsShownBy(const Qr3dsAnimationNode* node) const
{
    return node && (m_rot.Heads(node->GetRotKeys()) || m_pos.Heads(node->GetPosKeys()) ||
                    m_vis.Heads(node->GetVisibilityKeys()));
}

void qrxKeyNode::LetGo(Qr3dsAnimationNode* node)
{
    if (m_rot.Heads(node->GetRotKeys()))
        node->ReplaceRotKeys(nullptr, 0);
    if (m_pos.Heads(node->GetPosKeys()))
        node->ReplacePosKeys(nullptr, 0);
    if (m_vis.Heads(node->GetVisibilityKeys()))
        node->ReplaceVisibilityKeys(nullptr, 0);
}
