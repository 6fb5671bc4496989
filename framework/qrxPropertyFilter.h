#pragma once
// Strips the properties of one class from every object of a subtree, or answers whether any
// object of a subtree holds a property of a class (or of a class derived from it) without
// changing anything.

#include "qrxGraphWalker.h"

class QrProperty;
class QrRTTI;

class qrxPropertyFilter : public qrxGraphWalker
{
public:
    explicit qrxPropertyFilter(const QrRTTI* propertyClass = nullptr) : m_class(propertyClass) {}

    bool Visit(QrObject* object) override;

    // Removes every property of exactly the property's class; needs root and property.
    void RemoveClass(QrObject* root, QrProperty* property);
    // Does an object below root hold a property of the filter class or one derived from it?
    // Stops at the first; removes nothing.
    bool Find(QrObject* root);

    void SetClass(const QrRTTI* propertyClass) { m_class = propertyClass; }

private:
    const QrRTTI* m_class;
    bool m_found = false;
    // Find walks without removing: the scene root uses it as a test.
    bool m_findOnly = false;
};
