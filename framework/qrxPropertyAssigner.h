#pragma once
// Gives the first object of a subtree with a given name a property (replacing the ones of the
// same property type) or takes that property away from it. Only the first object so named
// changes: the walk stops there.

#include "qrxGraphWalker.h"

#include "QrPointer.h"
#include "QrProperty.h"

#include <string>

class qrxPropertyAssigner : public qrxGraphWalker
{
public:
    bool Visit(QrObject* object) override;

    // Needs root, name and property; the assigner keeps neither name nor property afterwards.
    void Assign(QrObject* root, const char* name, QrProperty* property);
    void Detach(QrObject* root, const char* name, QrProperty* property);

private:
    void Run(QrObject* root, const char* name, QrProperty* property);

    std::string m_name;
    uint8_t m_replace = 1;
    QrPointer<QrProperty> m_property;
};
