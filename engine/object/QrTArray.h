#pragma once
// Growable array of counted references with holes: storing adds a reference, clearing or
// replacing releases the old element. Owned by the object it lives in.

#include "QrTArrayBase.h"

template <class T> class QrTArray : public QrTArrayBase<T, QrPointer<T>>
{
public:
    using QrTArrayBase<T, QrPointer<T>>::QrTArrayBase;

    // A counted copy of slot i, or null past the used size.
    QrPointer<T> GetAt(uint32_t i) const { return QrPointer<T>(this->GetAtChecked(i)); }
};
