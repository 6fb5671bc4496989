#pragma once
// The one rule every owner of a key array uses to find the keys around a time: before the
// first key or after the last the end key itself, a key at exactly the time that key, else
// the segment that holds the time and the normalised parameter in it. The owner keeps one
// cached index per array so that time moving forward finds its segment in a step or two.

#include <cstdint>

class QrKeyLookup
{
public:
    struct Segment
    {
        // The key itself when exact, else the segment's first key.
        int32_t m_index = 0;
        bool m_exact = true;
        // Position between key m_index and key m_index + 1 (0 when exact).
        float m_s = 0.0f;
    };

    // keys holds count >= 1 keys with a public m_time, in increasing time order. Keys out of
    // order can leave the time in no segment; the result is then the last key.
    template <class K> static Segment Find(K* const* keys, int32_t count, float t, int32_t& cache)
    {
        Segment result;
        if (count <= 1 || t <= keys[0]->m_time)
            return result;
        if (t >= keys[count - 1]->m_time)
        {
            result.m_index = count - 1;
            return result;
        }
        int32_t i = cache >= 0 && cache < count - 1 ? cache : 0;
        bool wrapped = i == 0;
        for (;;)
        {
            for (; i < count - 1; ++i)
            {
                const float t0 = keys[i]->m_time;
                if (t0 == t)
                {
                    cache = i;
                    result.m_index = i;
                    return result;
                }
                const float t1 = keys[i + 1]->m_time;
                if (t0 < t && t < t1)
                {
                    cache = i;
                    result.m_index = i;
                    result.m_exact = false;
                    result.m_s = (t - t0) / (t1 - t0);
                    return result;
                }
            }
            if (wrapped)
                break;
            wrapped = true;
            i = 0;
            cache = 0;
        }
        result.m_index = count - 1;
        return result;
    }
};
