#include "qrxPropertyAssigner.h"

#include "QrAVObject.h"

bool qrxPropertyAssigner::Visit(QrObject* object)
{
    const char* name = object ? object->GetName() : nullptr;
    if (!name || m_name != name)
        return true;
    // Names belong to every engine object; only positioned objects carry properties.
    if (QrAVObject* target = QrDynamicCast<QrAVObject>(object))
    {
        QrProperty* property = m_property.Get();
        if (m_replace)
        {
            const uint32_t type = property->Type();
            target->DetachPropertiesIf([type](QrProperty* held) { return held->Type() == type; });
            target->AttachProperty(property);
        }
        else
        {
            target->DetachProperty(property);
        }
    }
    return false;
}

void qrxPropertyAssigner::Run(QrObject* root, const char* name, QrProperty* property)
{
    if (root && name && property)
    {
        m_name = name;
        m_property = property;
        Walk(root);
    }
    m_name.clear();
    m_property = nullptr;
}

void qrxPropertyAssigner::Assign(QrObject* root, const char* name, QrProperty* property)
{
    m_replace = 1;
    Run(root, name, property);
}

void qrxPropertyAssigner::Detach(QrObject* root, const char* name, QrProperty* property)
{
    m_replace = 0;
    Run(root, name, property);
}
