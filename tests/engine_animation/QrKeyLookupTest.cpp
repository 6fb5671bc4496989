#include "QrKeyLookup.h"
#include "QrFloatKey.h"
#include "QrLinearFloatKey.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <vector>

namespace
{

class QrKeyLookupTest : public ::testing::Test
{
protected:
    void Make(const std::vector<float>& times)
    {
        m_owned.clear();
        m_keys.clear();
        for (float t : times)
        {
            m_owned.push_back(std::make_unique<QrLinearFloatKey>(t, t * 10.0f));
            m_keys.push_back(m_owned.back().get());
        }
    }

    QrKeyLookup::Segment Find(float t) { return QrKeyLookup::Find(m_keys.data(), int32_t(m_keys.size()), t, m_cache); }

    std::vector<std::unique_ptr<QrFloatKey>> m_owned;
    std::vector<QrFloatKey*> m_keys;
    int32_t m_cache = 0;
};

void ExpectExact(const QrKeyLookup::Segment& segment, int32_t index)
{
    EXPECT_TRUE(segment.m_exact);
    EXPECT_EQ(segment.m_index, index);
}

void ExpectBetween(const QrKeyLookup::Segment& segment, int32_t index, float s)
{
    EXPECT_FALSE(segment.m_exact);
    EXPECT_EQ(segment.m_index, index);
    EXPECT_FLOAT_EQ(segment.m_s, s);
}

TEST_F(QrKeyLookupTest, EndsAndKeyTimesGiveTheKeyItself)
{
    Make({0.0f, 1.0f, 2.0f, 4.0f});
    ExpectExact(Find(-1.0f), 0);
    ExpectExact(Find(0.0f), 0);
    ExpectExact(Find(4.0f), 3);
    ExpectExact(Find(9.0f), 3);
    ExpectExact(Find(2.0f), 2);
    EXPECT_EQ(m_cache, 2);
    ExpectExact(Find(1.0f), 1);
}

TEST_F(QrKeyLookupTest, TimesBetweenKeysGiveTheSegmentAndItsParameter)
{
    Make({0.0f, 1.0f, 2.0f, 4.0f});
    ExpectBetween(Find(0.25f), 0, 0.25f);
    ExpectBetween(Find(3.0f), 2, 0.5f);
    EXPECT_EQ(m_cache, 2);
}

TEST_F(QrKeyLookupTest, TimeRunningBackwardsWrapsTheScanOnce)
{
    Make({0.0f, 1.0f, 2.0f, 3.0f, 4.0f});
    ExpectBetween(Find(3.5f), 3, 0.5f);
    ASSERT_EQ(m_cache, 3);
    ExpectBetween(Find(0.5f), 0, 0.5f);
    EXPECT_EQ(m_cache, 0);
    ExpectExact(Find(1.0f), 1);
}

TEST_F(QrKeyLookupTest, StaleCacheBeyondTheArrayIsIgnored)
{
    Make({0.0f, 1.0f, 2.0f});
    m_cache = 17;
    ExpectBetween(Find(1.5f), 1, 0.5f);
    m_cache = -4;
    ExpectBetween(Find(0.5f), 0, 0.5f);
}

TEST_F(QrKeyLookupTest, KeysOutOfOrderGiveTheFirstHoldingSegmentFromTheCache)
{
    Make({0.0f, 4.0f, 1.0f, 5.0f});
    ExpectBetween(Find(2.0f), 0, 0.5f);
    m_cache = 2;
    ExpectBetween(Find(2.0f), 2, 0.25f);
}

TEST_F(QrKeyLookupTest, TimeInNoSegmentGivesTheLastKey)
{
    Make({0.0f, 2.0f, 1.0f, 3.0f});
    // NaN compares with nothing: no segment holds it.
    ExpectExact(Find(std::numeric_limits<float>::quiet_NaN()), 3);
}

TEST_F(QrKeyLookupTest, SingleKeyIsAlwaysThatKey)
{
    Make({2.0f});
    ExpectExact(Find(0.0f), 0);
    ExpectExact(Find(2.0f), 0);
    ExpectExact(Find(5.0f), 0);
}

} // namespace
