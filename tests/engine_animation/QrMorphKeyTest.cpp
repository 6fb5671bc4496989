#include "QrMorphTargetKey.h"
#include "QrMorphWeightsKey.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{

TEST(QrMorphWeightsKeyTest, WeightsBlendAlongTheirOwnCurves)
{
    QrMorphWeightsKey a(0.0f, {1.0f, 0.0f});
    QrMorphWeightsKey b(1.0f, {0.0f, 1.0f});
    QrMorphWeightsKey* keys[2] = {&a, &b};
    QrMorphWeightsKey::FillDerivedValues(keys, 2);
    EXPECT_EQ(a.m_outTangents, (std::vector<float>{-1.0f, 1.0f}));
    EXPECT_EQ(b.m_inTangents, (std::vector<float>{-1.0f, 1.0f}));
    EXPECT_EQ(a.m_value, 0.0f) << "the value holds the last weight";
    EXPECT_EQ(b.m_value, 1.0f);
    const std::vector<float> mid = a.InterpolateWeights(0.5f, b);
    ASSERT_EQ(mid.size(), 2u);
    EXPECT_FLOAT_EQ(mid[0], 0.5f);
    EXPECT_FLOAT_EQ(mid[1], 0.5f);
}

TEST(QrMorphWeightsKeyTest, TangentsWeighTheTimeIntervals)
{
    QrMorphWeightsKey a(0.0f, {0.0f});
    QrMorphWeightsKey b(1.0f, {1.0f});
    QrMorphWeightsKey c(3.0f, {3.0f});
    QrMorphWeightsKey* keys[3] = {&a, &b, &c};
    QrMorphWeightsKey::FillDerivedValues(keys, 3);
    EXPECT_FLOAT_EQ(b.m_inTangents[0], 1.0f);
    EXPECT_FLOAT_EQ(b.m_outTangents[0], 2.0f);
}

TEST(QrMorphWeightsKeyTest, OneKeyKeepsItsLoadedTangents)
{
    QrMorphWeightsKey a(0.0f, {0.25f, 0.75f});
    a.m_inTangents = {5.0f, 6.0f};
    QrMorphWeightsKey* keys[1] = {&a};
    QrMorphWeightsKey::FillDerivedValues(keys, 1);
    EXPECT_EQ(a.m_inTangents, (std::vector<float>{5.0f, 6.0f}));
}

TEST(QrMorphWeightsKeyTest, KeysOfDifferentTargetCountsStayInBounds)
{
    QrMorphWeightsKey a(0.0f, {1.0f, 0.0f, 0.5f});
    QrMorphWeightsKey b(1.0f, {0.0f});
    QrMorphWeightsKey* keys[2] = {&a, &b};
    QrMorphWeightsKey::FillDerivedValues(keys, 2);
    EXPECT_EQ(b.m_inTangents.size(), 1u);
    const std::vector<float> forward = a.InterpolateWeights(0.5f, b);
    ASSERT_EQ(forward.size(), 3u);
    EXPECT_FLOAT_EQ(forward[0], 0.5f);
    EXPECT_EQ(forward[2], 0.5f) << "a target next lacks keeps this key's weight";
    EXPECT_EQ(b.InterpolateWeights(0.5f, a).size(), 1u);
}

TEST(QrMorphWeightsKeyTest, MorphCloneCopiesTheArrays)
{
    QrMorphWeightsKey a(2.0f, {0.1f, 0.9f});
    a.m_tension = 0.5f;
    std::unique_ptr<QrMorphWeightsKey> copy = a.CloneMorphKey();
    EXPECT_TRUE(copy->IsEqual(a));
    copy->m_weights[1] = 0.8f;
    EXPECT_FALSE(copy->IsEqual(a));
    EXPECT_EQ(a.m_weights[1], 0.9f);
}

TEST(QrMorphTargetKeyTest, NeighbouringTargetsShareTheWeight)
{
    QrMorphTargetKey a(0.0f, 0, 3);
    QrMorphTargetKey b(1.0f, 2, 3);
    EXPECT_EQ(a.m_value, 0.0f);
    EXPECT_EQ(b.m_value, 2.0f);
    QrMorphTargetKey* keys[2] = {&a, &b};
    QrMorphTargetKey::FillDerivedValues(keys, 2);
    const std::vector<float> weights = a.InterpolateWeights(0.25f, b);
    ASSERT_EQ(weights.size(), 3u);
    EXPECT_FLOAT_EQ(weights[0], 0.75f);
    EXPECT_EQ(weights[1], 0.0f);
    EXPECT_FLOAT_EQ(weights[2], 0.25f);
}

TEST(QrMorphTargetKeyTest, SameTargetOnBothSidesHasFullWeight)
{
    QrMorphTargetKey a(0.0f, 1, 2);
    QrMorphTargetKey b(1.0f, 1, 2);
    const std::vector<float> weights = a.InterpolateWeights(0.5f, b);
    EXPECT_EQ(weights, (std::vector<float>{0.0f, 1.0f}));
}

TEST(QrMorphTargetKeyTest, TargetsOutsideTheCountAreNotWritten)
{
    QrMorphTargetKey a(0.0f, 0, 2);
    QrMorphTargetKey b(1.0f, 9, 2);
    QrMorphTargetKey* keys[2] = {&a, &b};
    QrMorphTargetKey::FillDerivedValues(keys, 2);
    const std::vector<float> weights = a.InterpolateWeights(0.5f, b);
    ASSERT_EQ(weights.size(), 2u);
    EXPECT_FLOAT_EQ(weights[0], 0.5f);
    EXPECT_EQ(weights[1], 0.0f);
}

} // namespace
