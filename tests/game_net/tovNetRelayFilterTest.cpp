// What the host lets through of a player's messages by type and size.
#include "tovNetRelayFilter.h"
#include "tovNetMessages.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{

// A frame of a known type at a size other than its own is of no known type: it is dropped, never
// relayed, and leaves the type's share whole for the frames that fit.
TEST(tovNetRelayFilter, AFrameOfTheWrongSizeIsDroppedAndCostsItsTypeNothing)
{
    for (const uint8_t type : {tovNet::kPing, tovNet::kPlayerHeader, tovNet::kPlayerState, tovNet::kEvent,
                               tovNet::kChatText, tovNet::kNameChanged})
        for (const int32_t off : {-1, 1})
        {
            SCOPED_TRACE(testing::Message() << int{type} << " off by " << off);
            tovNetRelayFilter filter;
            const size_t size = tovNet::MessageSize(type);
            std::vector<uint8_t> frame(size + 1, 0);
            frame[0] = type;
            const uint32_t now = 1000;
            const uint32_t share = tovNetRelayFilter::ShareOf(type);
            ASSERT_GT(share, 0u);
            for (uint32_t i = 0; i < share + 1; ++i)
                EXPECT_EQ(filter.TakeMessage(2, "Ann", frame.data(), size + off, now),
                          plat::NetRelayFilter::Verdict::Drop);
            for (uint32_t i = 0; i < share; ++i)
                ASSERT_EQ(filter.TakeMessage(2, "Ann", frame.data(), size, now), plat::NetRelayFilter::Verdict::Pass)
                    << i;
            EXPECT_EQ(filter.TakeMessage(2, "Ann", frame.data(), size, now), plat::NetRelayFilter::Verdict::Drop);
        }
}

// Only a header of its own size introduces a player, and only that player, until it is forgotten.
TEST(tovNetRelayFilter, AHeaderIntroducesItsSender)
{
    tovNetRelayFilter filter;
    std::vector<uint8_t> header(tovNet::MessageSize(tovNet::kPlayerHeader), 0);
    header[0] = tovNet::kPlayerHeader;
    filter.TakeMessage(2, "Ann", header.data(), header.size() - 1, 0);
    EXPECT_FALSE(filter.HasIntroduced(2));
    filter.TakeMessage(2, "Ann", header.data(), header.size(), 0);
    EXPECT_TRUE(filter.HasIntroduced(2));
    EXPECT_FALSE(filter.HasIntroduced(3));
    filter.Forget(2);
    EXPECT_FALSE(filter.HasIntroduced(2));
}

} // namespace
