#include "qrxPropertyFilter.h"

#include "QrAVObject.h"
#include "QrProperty.h"

bool qrxPropertyFilter::Visit(QrObject* object)
{
    QrAVObject* target = QrDynamicCast<QrAVObject>(object);
    if (!target || !m_class)
        return true;
    if (m_findOnly)
    {
        for (QrProperty* property : target->GetPropertyList())
            if (property->IsKindOf(m_class))
                m_found = true;
        return !m_found;
    }
    const QrRTTI* filter = m_class;
    target->DetachPropertiesIf([filter](QrProperty* held) { return held->IsExactly(filter); });
    return true;
}

void qrxPropertyFilter::RemoveClass(QrObject* root, QrProperty* property)
{
    if (!root || !property)
        return;
    m_class = property->GetRTTI();
    m_findOnly = false;
    Walk(root);
}

bool qrxPropertyFilter::Find(QrObject* root)
{
    m_found = false;
    m_findOnly = true;
    if (root)
        Walk(root);
    m_findOnly = false;
    return m_found;
}
