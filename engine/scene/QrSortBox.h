#pragma once
// The screen-space box of one deferred draw record while the bound sorter orders it: x and y
// in normalised screen coordinates [-1, 1], z in normalised depth [0, 1] from near to far.
// Pooled, four records to a block; owned by the bound sorter for one sort.

#include "QrTPool.h"

class QrSortedDrawRecord;

class QrSortBox
{
    QR_DECLARE_POOLED(QrSortBox)

public:
    enum : int
    {
        kX = 0,
        kY = 1,
        kZ = 2,
    };

    QrSortBox() = default;
    QrSortBox(const QrSortBox&) = delete;
    QrSortBox& operator=(const QrSortBox&) = delete;

    QrSortedDrawRecord* m_record = nullptr;
    float m_min[3] = {};
    float m_max[3] = {};
};
