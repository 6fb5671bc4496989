#include "SeatToken.h"

#include <sodium.h>

#include <cstdio>
#include <cstdlib>

namespace plat
{

namespace
{

// The library is ready once per process, whichever thread asks first. Without a working random
// source a token could be guessed: no seat is worth that, so the process ends.
void EnsureSodium()
{
    static const bool ready = []
    {
        if (sodium_init() < 0)
        {
            std::fputs("libsodium failed to initialise: no random source for seat tokens\n", stderr);
            std::abort();
        }
        return true;
    }();
    (void)ready;
}

} // namespace

SeatToken NewSeatToken()
{
    EnsureSodium();
    SeatToken token{};
    randombytes_buf(token.data(), token.size());
    return token;
}

SeatDigest DigestOf(const SeatToken& token)
{
    EnsureSodium();
    static_assert(kSeatDigestBytes >= crypto_generichash_BYTES_MIN && kSeatDigestBytes <= crypto_generichash_BYTES_MAX);
    SeatDigest digest{};
    crypto_generichash(digest.data(), digest.size(), token.data(), token.size(), nullptr, 0);
    return digest;
}

bool SameDigest(const SeatDigest& a, const SeatDigest& b)
{
    EnsureSodium();
    return sodium_memcmp(a.data(), b.data(), a.size()) == 0;
}

} // namespace plat
