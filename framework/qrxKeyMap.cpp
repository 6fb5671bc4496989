#include "qrxKeyMap.h"

qrxKeyMap::qrxKeyMap(Qr3dsAnimationNode* target, qrxKeyNode* keyNode, bool owned)
    : m_target(target), m_keyNode(keyNode), m_owned(owned ? 1 : 0)
{
}

qrxKeyMap::~qrxKeyMap()
{
    // Only arrays the target shows from this key node: a freshly collected record is bound to
    // its source, whose own keys must survive the gesture.
    if (m_target && m_keyNode)
        m_keyNode->ReleaseFrom(m_target.Get());
    // Shared key nodes live on in the other records holding them.
    m_keyNode = nullptr;
    m_target = nullptr;
}
