#pragma once
// Orders a small set of boxes by pairwise precedence: compare(a, b) < 0 means a must be drawn
// after b, > 0 before it, 0 no order. The order is a topological one; a cycle is broken at the
// box with the fewest remaining predecessors. The arrays are kept and only grow.

#include "QrPoint3.h"

#include <cstdint>
#include <memory>

class QrSortBox;

using QrSortCompare = int (*)(const QrSortBox* a, const QrSortBox* b, const QrPoint3& eye);

class QrPrecedenceSort
{
public:
    explicit QrPrecedenceSort(uint32_t capacity = 16);
    QrPrecedenceSort(const QrPrecedenceSort&) = delete;
    QrPrecedenceSort& operator=(const QrPrecedenceSort&) = delete;

    // Reorders items[0..n) so that drawing from the last position to the first honours every
    // precedence. True when a cycle had to be broken.
    bool Sort(QrSortBox** items, uint32_t n, QrSortCompare compare, const QrPoint3& eye);

    uint32_t GetCapacity() const { return m_capacity; }

private:
    void Reserve(uint32_t n);
    uint8_t& Edge(uint32_t from, uint32_t to) { return m_matrix[size_t(from) * m_capacity + to]; }

    uint32_t m_capacity = 0;
    // m_capacity x m_capacity: Edge(x, y) = 1 when x is drawn before y.
    std::unique_ptr<uint8_t[]> m_matrix;
    std::unique_ptr<int32_t[]> m_inCount;
    std::unique_ptr<int32_t[]> m_outCount;
    std::unique_ptr<QrSortBox*[]> m_items;
};
