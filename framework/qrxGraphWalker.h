#pragma once
// Visits an engine object and, for a node, its whole subtree depth first (a node before its
// children, children in slot order, empty slots skipped) until a visit asks to stop. The
// framework finds objects by name, attaches or strips properties and adjusts key-framed
// animation through its subclasses. Walkers hold no references beyond one walk.

#include <cstdint>

class QrNode;
class QrObject;

class qrxGraphWalker
{
public:
    qrxGraphWalker() = default;
    qrxGraphWalker(const qrxGraphWalker&) = delete;
    qrxGraphWalker& operator=(const qrxGraphWalker&) = delete;
    virtual ~qrxGraphWalker() = default;

    // True: go on; false stops the whole walk.
    virtual bool Visit(QrObject* object) = 0;

    // A node goes to WalkChildren, anything else (null included) to Visit. False when a visit
    // stopped the walk.
    bool Walk(QrObject* object);
    bool WalkChildren(QrNode* node);

    // Nesting below the start object while a walk runs.
    int32_t GetDepth() const { return m_depth; }

protected:
    int32_t m_depth = 0;
};
