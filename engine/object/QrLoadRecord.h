#pragma once
// Extra-data record that a create function attaches while its object loads; it carries the
// object's link id, and the ids of what the object references, until the link pass deletes
// it. Classes that keep more at link time derive a larger record from it.

#include "QrExtraData.h"

#include <vector>

class QrLoadRecord : public QrExtraData
{
public:
    uint32_t m_linkId = 0;
    // Ids queued by QrStream::LoadLinkID, taken in the same order by ResolveLinkID.
    std::vector<uint32_t> m_linkIds;
    size_t m_nextLinkId = 0;
};
