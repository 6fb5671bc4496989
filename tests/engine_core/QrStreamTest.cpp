#include "QrTestFixture.h"

#include "QrStream.h"

#include <cstring>

using QrStreamSmoke = QrEngineTest;

TEST_F(QrStreamSmoke, EmptySaveLoadsBack)
{
    std::vector<uint8_t> bytes;
    {
        QrStream s;
        ASSERT_TRUE(s.SaveToMemory(bytes));
    }
    QrStream s;
    EXPECT_TRUE(s.LoadFromMemory(bytes.data(), bytes.size()));
    EXPECT_STREQ(s.GetVersion(), "2.2");
}
