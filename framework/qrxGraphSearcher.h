#pragma once
// Finds the first object of a subtree whose name equals a given name (exact, case-sensitive),
// in walk order: a node before its children.

#include "qrxGraphWalker.h"

#include <string>

class qrxGraphSearcher : public qrxGraphWalker
{
public:
    bool Visit(QrObject* object) override;

    // Null when root or name is missing or nothing below root has the name. The found object
    // is borrowed from the tree.
    QrObject* Find(QrObject* root, const char* name);

private:
    std::string m_searchName;
    QrObject* m_found = nullptr;
};
