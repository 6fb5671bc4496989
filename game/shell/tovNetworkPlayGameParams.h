#pragma once
// The parameters the host shares with every player: the host's clock stamps, the published
// phase, the day, the two tournament settings, the player index, the lake and the weather.
// Each session object keeps its own record, guarded by its own spin lock (a deliberate change from
// one program-wide record: a test runs several copies in one process, the program one): the
// receive thread replaces it when a parameters message arrives, the main thread reads and (on
// the host) writes it.

#include "tovNetworkPlay.h"
#include "tovSpinLock.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace plat
{
class ByteReader;
class ByteWriter;
} // namespace plat

struct tovNetworkPlay::GAMEPARAMS
{
    // The weather's 372-byte state record and four zero bytes.
    static constexpr size_t kWeatherBytes = 376;
    // Bytes of Write and Read: the record as the parameters message carries it (from its offset 32).
    static constexpr size_t kImageSize = 416;
    static constexpr int32_t kLevels = 4;
    static constexpr int32_t kPlayerIndices = 3;

    // Receiver's elapsed milliseconds when the host's clock arrived; -1 unset.
    int32_t receiptStamp = -1;
    // The host's elapsed milliseconds when it sent its clock; -1 unset.
    int32_t hostStamp = -1;
    // Seconds since midnight on the host when it sent; -1.0 unset.
    double hostTimeOfDay = -1.0;
    uint16_t phase = 0;
    // The seed of the day's computer anglers, set by the host when it publishes the weigh-in
    // (phase 7); carried in two bytes of the message that nothing else uses.
    uint16_t weighInSeed = 0;
    int32_t day = 0;
    // Day-length level and tournament length, 0 to 3.
    int32_t setting0 = 0;
    int32_t setting1 = 0;
    // The skill level, 0 to 2.
    int32_t playerIndex = 0;
    int32_t lakeId = -1;
    std::array<uint8_t, kWeatherBytes> weather{};
    // The host's number of the network game these parameters belong to, counted from 1 as the
    // host sets up each game; 0 before the first. Not in the image: the message's header
    // carries it.
    uint16_t game = 0;

    void CopyFrom(const GAMEPARAMS& other) { *this = other; }
    // True when all three stamps of the host's clock are set.
    bool HasHostClock() const { return receiptStamp != -1 && hostStamp != -1 && hostTimeOfDay != -1.0; }
    void ClearHostClock();

    // Little-endian, field by field, kImageSize bytes.
    void Write(plat::ByteWriter& out) const;
    // False, leaving the record unchanged, when fewer than kImageSize bytes are left. A level
    // or index outside its range is clamped into it: the screens index pictures with them.
    bool Read(plat::ByteReader& in);
};

// One session's record and its lock.
class tovGameParamsRecord
{
public:
    // A copy taken, and a record stored, under the lock.
    tovNetworkPlay::GAMEPARAMS Copy();
    void Store(const tovNetworkPlay::GAMEPARAMS& params);
    // The record itself, read or changed only under Lock().
    tovNetworkPlay::GAMEPARAMS& Params() { return m_params; }
    tovSpinLock& Lock() { return m_lock; }

private:
    tovNetworkPlay::GAMEPARAMS m_params;
    tovSpinLock m_lock;
};

// The installed session object's record; without one, the program's own, built before the
// program starts.
tovGameParamsRecord& TheGameParamsRecord();
// Copy and Store on that record.
tovNetworkPlay::GAMEPARAMS CopyGameParams();
void StoreGameParams(const tovNetworkPlay::GAMEPARAMS& params);
