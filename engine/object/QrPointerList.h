#pragma once
// Singly linked list of counted references, first element in the header: adding takes a
// reference, removing releases it.

#include "QrTPointerListBase.h"

template <class T> class QrPointerList : public QrTPointerListBase<T, QrPointer<T>>
{
};
