#pragma once
// Activation state of one terrain grid vertex and the (at most two) vertices it depends on: a
// vertex is only in the mesh together with them, which keeps the mesh free of cracks. Links may
// point into a neighbouring page's array (page edges); the pages unlink themselves when destroyed.

#include <cstdint>

class QrTerrainVertexLink
{
public:
    // Marks this vertex and, transitively, every inactive vertex it depends on.
    void Activate();
    // The same walk that clears the marks.
    void Deactivate();

    bool IsActive() const { return m_active != 0; }

    QrTerrainVertexLink* m_first = nullptr;
    QrTerrainVertexLink* m_second = nullptr;
    uint8_t m_active = 0;
};
