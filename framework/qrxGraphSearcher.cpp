#include "qrxGraphSearcher.h"

#include "QrObject.h"

bool qrxGraphSearcher::Visit(QrObject* object)
{
    const char* name = object ? object->GetName() : nullptr;
    if (!name || m_searchName != name)
        return true;
    m_found = object;
    return false;
}

QrObject* qrxGraphSearcher::Find(QrObject* root, const char* name)
{
    m_found = nullptr;
    if (root && name)
    {
        m_searchName = name;
        Walk(root);
    }
    m_searchName.clear();
    return m_found;
}
