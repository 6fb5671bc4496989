#pragma once
// Growable array of plain pointers with holes; it owns nothing it stores.

#include "QrTArrayBase.h"

template <class T> class QrTPointerArray : public QrTArrayBase<T, T*>
{
public:
    using QrTArrayBase<T, T*>::QrTArrayBase;

    // The element, or null past the used size.
    T* GetAt(uint32_t i) const { return this->GetAtChecked(i); }
};
