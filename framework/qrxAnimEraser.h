#pragma once
// Empties the rotation, position and visibility keys of every key-framed animation node of a
// subtree (a model frozen in its current pose). Run it with Walk(root).

#include "qrxGraphWalker.h"

class qrxAnimEraser : public qrxGraphWalker
{
public:
    bool Visit(QrObject* object) override;
};
