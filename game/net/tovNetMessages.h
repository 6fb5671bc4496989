#pragma once
// The eight messages players exchange, field by field. Each has a fixed size; Read takes a
// received message only at exactly that size and with every value in range, and leaves the
// record unchanged otherwise. All integers little-endian. Common header: type, sender's slot
// (255 none), the number of the network game the sender plays (16 bits, the host's count), the
// sender's session milliseconds (stamped by the transport).

#include "tovDirectPlayState.h"
#include "tovNetworkPlayGameParams.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tovNet
{

enum MessageType : uint8_t
{
    kPing = 1,
    kParamsFull = 2,
    kParamsUpdate = 3,
    kPlayerHeader = 4,
    kPlayerState = 5,
    kEvent = 6,
    kChatText = 7,
    kNameChanged = 8,
};

constexpr uint16_t kVersion = 0x0100;
constexpr uint8_t kNoSlot = 255;
constexpr int32_t kSlots = 5;
constexpr size_t kHeaderSize = 8;
constexpr size_t kChatBytes = 256;
constexpr int32_t kLivewellPlaces = 6;
constexpr int32_t kSpeciesCount = 17;
// Phases the game uses run 0 to 11.
constexpr int32_t kPhaseCount = 12;

// 0 for a type outside 1..8.
size_t MessageSize(uint8_t type);
bool IsGuaranteed(uint8_t type);
// The stamp word at offset 4 of a built message (and at 12 of a ping).
void StampMessage(std::vector<uint8_t>& message, uint32_t ms);

struct Header
{
    uint8_t type = 0;
    uint8_t senderSlot = kNoSlot;
    // The network game the message belongs to: another game's phases and states mean nothing
    // here. Parameters carry the host's own number in it.
    uint16_t game = 0;
    uint32_t stamp = 0;
};

// The message types that belong to one network game (parameters, headers, states, events); the
// others (ping, chat, rename) belong to the session.
bool IsGameMessage(uint8_t type);
// The game number of a built or received message's header (0 for one too short).
uint16_t GameOf(const std::vector<uint8_t>& message);
void StampGame(std::vector<uint8_t>& message, uint16_t game);

// Type 1.
struct PingMsg
{
    Header header{kPing};
    std::vector<uint8_t> Write() const;
    bool Read(const uint8_t* data, size_t size);
};

// Types 2 and 3: the sender's parameters and who holds slots 0..4 (0 free). The parameters'
// game number travels in the header: Write puts params.game there, Read takes it from there.
struct GameParamsMsg
{
    Header header{kParamsUpdate};
    double timeOfDay = -1.0;
    tovNetworkPlay::GAMEPARAMS params;
    // Entries the sender claimed (a larger count is clamped to 5).
    uint32_t count = kSlots;
    std::array<uint32_t, kSlots> ids{};
    std::vector<uint8_t> Write() const;
    bool Read(const uint8_t* data, size_t size);
};

struct LivewellEntry
{
    // -1 for an empty place.
    int32_t species = -1;
    uint32_t weight = 0;
    uint32_t length = 0;
};

// Type 4.
struct PlayerHeaderMsg
{
    Header header{kPlayerHeader};
    uint8_t replyWanted = 1;
    uint16_t phase = 0;
    uint32_t lakeMask = 0;
    int32_t resultA = 0;
    int32_t resultB = 0;
    std::array<LivewellEntry, kLivewellPlaces> livewell{};
    std::vector<uint8_t> Write() const;
    bool Read(const uint8_t* data, size_t size);
};

// Type 5: the state record with lake-map x and z.
struct PlayerStateMsg
{
    Header header{kPlayerState};
    tovDirectPlayState state;
    std::vector<uint8_t> Write() const;
    bool Read(const uint8_t* data, size_t size);
};

// Type 6.
struct EventMsg
{
    enum Kind : uint8_t
    {
        kThrottle = 1,
        kSteering = 2,
        kRangeControl = 3,
        kAnglerPhase = 4,
        kTackleChoice = 5,
        kLeftFishing = 6,
    };
    static constexpr uint8_t kCastTargetSubKind = 3;
    static constexpr uint8_t kFlagsSubKind = 4;

    Header header{kEvent};
    uint8_t kind = 0;
    uint8_t subKind = 0;
    // Kinds 1..3: value; sub-kind 3: the point; sub-kind 4 and kind 5: the word in bits.
    std::array<float, 3> values{};
    uint32_t word = 0;
    std::vector<uint8_t> Write() const;
    bool Read(const uint8_t* data, size_t size);
};

// Type 7: at most 255 characters, always terminated.
struct ChatTextMsg
{
    Header header{kChatText};
    std::array<char, kChatBytes> text{};
    void SetText(const char* line);
    std::vector<uint8_t> Write() const;
    bool Read(const uint8_t* data, size_t size);
};

// Type 8: the header only; the receiver asks the transport for the new name.
struct NameChangedMsg
{
    Header header{kNameChanged};
    std::vector<uint8_t> Write() const;
    bool Read(const uint8_t* data, size_t size);
};

} // namespace tovNet
