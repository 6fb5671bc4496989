#pragma once
// One record of a gesture: a key node and the animation node it is bound to (null when the
// bound model has no node of that name). Going away, the record takes its key node's arrays
// back from its target when the target still shows them.

#include "qrxKeyNode.h"

#include "Qr3dsAnimationNode.h"
#include "QrPointer.h"

#include <cstdint>

class qrxKeyMap
{
public:
    // owned: the record made the key node itself (shared key nodes come from other gestures).
    qrxKeyMap(Qr3dsAnimationNode* target, qrxKeyNode* keyNode, bool owned);
    qrxKeyMap(const qrxKeyMap&) = delete;
    qrxKeyMap& operator=(const qrxKeyMap&) = delete;
    virtual ~qrxKeyMap();

    QrPointer<qrxKeyNode> GetKeyNode() const { return m_keyNode; }
    Qr3dsAnimationNode* GetTarget() const { return m_target.Get(); }
    void Bind(Qr3dsAnimationNode* target) { m_target = target; }
    bool IsOwned() const { return m_owned != 0; }

private:
    QrPointer<Qr3dsAnimationNode> m_target;
    QrPointer<qrxKeyNode> m_keyNode;
    uint8_t m_owned;
};
