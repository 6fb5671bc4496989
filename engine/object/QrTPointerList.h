#pragma once
// Singly linked list of plain pointers, first element in the header; it owns nothing.

#include "QrTPointerListBase.h"

template <class T> class QrTPointerList : public QrTPointerListBase<T, T*>
{
};
