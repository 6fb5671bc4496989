#include "QrTerrainVertexLink.h"

void QrTerrainVertexLink::Activate()
{
    // The second link is followed in the loop, the first by recursion: chains through second
    // links (page edges, block centres) can be long, those through first links are short.
    QrTerrainVertexLink* link = this;
    do
    {
        link->m_active = 1;
        if (link->m_first && !link->m_first->m_active)
            link->m_first->Activate();
        link = link->m_second;
    } while (link && !link->m_active);
}

void QrTerrainVertexLink::Deactivate()
{
    QrTerrainVertexLink* link = this;
    do
    {
        link->m_active = 0;
        if (link->m_first && link->m_first->m_active)
            link->m_first->Deactivate();
        link = link->m_second;
    } while (link && link->m_active);
}
