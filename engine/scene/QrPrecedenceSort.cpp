#include "QrPrecedenceSort.h"

QrPrecedenceSort::QrPrecedenceSort(uint32_t capacity)
{
    Reserve(capacity);
}

void QrPrecedenceSort::Reserve(uint32_t n)
{
    m_capacity = n;
    m_matrix.reset(new uint8_t[size_t(n) * n]());
    m_inCount.reset(new int32_t[n]());
    m_outCount.reset(new int32_t[n]());
    m_items.reset(new QrSortBox*[n]());
}

bool QrPrecedenceSort::Sort(QrSortBox** items, uint32_t n, QrSortCompare compare, const QrPoint3& eye)
{
    if (n == 0)
        return false;
    if (n > m_capacity)
        Reserve(n);

    for (uint32_t i = 0; i < n; ++i)
    {
        m_inCount[i] = 0;
        m_outCount[i] = 0;
        m_items[i] = items[i];
        for (uint32_t j = 0; j < n; ++j)
            Edge(i, j) = 0;
    }
    for (uint32_t i = 0; i < n; ++i)
    {
        for (uint32_t j = i + 1; j < n; ++j)
        {
            const int r = compare(m_items[i], m_items[j], eye);
            if (r < 0)
            {
                Edge(j, i) = 1;
                ++m_inCount[i];
                ++m_outCount[j];
            }
            else if (r > 0)
            {
                Edge(i, j) = 1;
                ++m_inCount[j];
                ++m_outCount[i];
            }
        }
    }

    // The first item picked is drawn first, and drawing runs from the last position down.
    bool brokeCycle = false;
    for (uint32_t position = n; position-- > 0;)
    {
        int32_t picked = -1;
        for (uint32_t i = 0; i < n; ++i)
        {
            if (m_inCount[i] == 0)
            {
                picked = static_cast<int32_t>(i);
                break;
            }
        }
        if (picked < 0)
        {
            brokeCycle = true;
            for (uint32_t i = 0; i < n; ++i)
            {
                if (m_inCount[i] <= 0)
                    continue;
                if (picked < 0 || m_inCount[i] < m_inCount[picked] ||
                    (m_inCount[i] == m_inCount[picked] && m_outCount[i] > m_outCount[picked]))
                    picked = static_cast<int32_t>(i);
            }
        }
        const uint32_t p = static_cast<uint32_t>(picked);
        items[position] = m_items[p];
        for (uint32_t y = 0; y < n; ++y)
            if (Edge(p, y))
                --m_inCount[y];
        m_inCount[p] = -1;
        m_outCount[p] = 0;
    }
    return brokeCycle;
}
