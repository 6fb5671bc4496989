#pragma once
// Deep comparison of referenced objects for IsEqual, where a slot may be empty.

#include "QrObject.h"

#include <cstdint>

// Equal when both are empty, or both are present and compare equal.
inline bool QrObjectsEqual(const QrObject* a, const QrObject* b)
{
    if (!a || !b)
        return a == b;
    return a->IsEqual(b);
}

// Engine arrays (QrTArray and kin): the same used size and equal slot by slot.
template <class Array> bool QrObjectArraysEqual(const Array& a, const Array& b)
{
    if (a.GetUsedSize() != b.GetUsedSize())
        return false;
    for (uint32_t i = 0; i < a.GetUsedSize(); ++i)
        if (!QrObjectsEqual(a.GetAtChecked(i), b.GetAtChecked(i)))
            return false;
    return true;
}

// Engine pointer lists: the same length and equal in order.
template <class List> bool QrObjectListsEqual(const List& a, const List& b)
{
    if (a.GetCount() != b.GetCount())
        return false;
    auto theirs = b.begin();
    for (const auto* mine : a)
    {
        if (!QrObjectsEqual(mine, *theirs))
            return false;
        ++theirs;
    }
    return true;
}
