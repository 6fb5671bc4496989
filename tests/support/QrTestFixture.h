#pragma once
// Base fixture of engine tests: registers the engine's classes, starts and ends with an
// empty action list, and checks that every object made during the test was released.

#include <gtest/gtest.h>

#include <cstdint>

class QrEngineTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

private:
    uint32_t m_liveAtStart = 0;
};
