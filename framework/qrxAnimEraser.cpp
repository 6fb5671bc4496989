#include "qrxAnimEraser.h"

#include "Qr3dsAnimationNode.h"

bool qrxAnimEraser::Visit(QrObject* object)
{
    if (Qr3dsAnimationNode* node = QrDynamicCast<Qr3dsAnimationNode>(object))
    {
        node->SetRotKeys(nullptr, 0);
        node->SetPosKeys(nullptr, 0);
        node->SetVisibilityKeys(nullptr, 0);
    }
    return true;
}
