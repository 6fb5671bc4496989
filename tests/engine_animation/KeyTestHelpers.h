#pragma once
// Small helpers of the key tests: arrays of owned keys in the pointer form owners take.

#include "QrPoint3.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

template <class K> class KeyList
{
public:
    template <class T> T* Add(std::unique_ptr<T> key)
    {
        T* raw = key.get();
        m_owned.push_back(std::move(key));
        m_pointers.push_back(raw);
        return raw;
    }
    K** Data() { return m_pointers.data(); }
    int32_t Count() const { return int32_t(m_pointers.size()); }
    K* operator[](size_t i) const { return m_pointers[i]; }

private:
    std::vector<std::unique_ptr<K>> m_owned;
    std::vector<K*> m_pointers;
};

inline void ExpectPointNear(const QrPoint3& actual, const QrPoint3& expected, float tolerance = 1e-5f)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}
