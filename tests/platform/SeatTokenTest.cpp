#include "SeatToken.h"

#include <gtest/gtest.h>

#include <algorithm>

// What a seat's proof rests on: the digest reveals nothing of the token, the same token always
// proves the same seat, two seats never share a token, and a digest differing anywhere is refused.
TEST(SeatToken, DigestsProveOnlyTheirOwnToken)
{
    const plat::SeatToken token = plat::NewSeatToken();
    const plat::SeatToken other = plat::NewSeatToken();
    EXPECT_NE(token, other);
    EXPECT_NE(token, plat::SeatToken{});

    const plat::SeatDigest digest = plat::DigestOf(token);
    EXPECT_FALSE(std::equal(digest.begin(), digest.end(), token.begin()));
    EXPECT_TRUE(plat::SameDigest(digest, plat::DigestOf(token)));
    EXPECT_FALSE(plat::SameDigest(digest, plat::DigestOf(other)));

    for (size_t at = 0; at < digest.size(); ++at)
    {
        plat::SeatDigest changed = digest;
        changed[at] ^= 0x01;
        EXPECT_FALSE(plat::SameDigest(digest, changed)) << "byte " << at;
    }
}
