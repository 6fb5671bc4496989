#include "QrTestFixture.h"

#include "QrObject.h"

// Smoke test of the fixture; the object model's own tests live beside it.
using QrObjectSmoke = QrEngineTest;

TEST_F(QrObjectSmoke, LiveCountFollowsPointers)
{
    EXPECT_EQ(QrObject::GetLiveCount(), QrObject::GetLiveCount());
}
