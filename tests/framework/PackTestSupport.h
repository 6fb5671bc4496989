#pragma once
// Packs for tests: written with the pack writer into a temporary folder, loaded through
// counting handlers of two test types (one below and one above 0x80000000) that a test can
// hold at a gate to stand the loader thread still.

#include "PackWriter.h"
#include "ResourcePack.h"

#include "Event.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

namespace packtest
{

constexpr uint32_t kLowType = 0x00000005;
constexpr uint32_t kHighType = 0x80000020;

struct Counters
{
    std::atomic<int> loads{0};
    std::atomic<int> unloads{0};
    std::atomic<int> made{0};
    std::atomic<uint32_t> failingId{0xFFFFFFFF};
    // While set, the load of gatedId waits for it (the loader stands still inside a load).
    std::atomic<plat::Event*> gate{nullptr};
    std::atomic<uint32_t> gatedId{0};
    // Ids in the order they were loaded.
    std::mutex orderLock;
    std::vector<uint32_t> order;
    std::atomic<int> waitingAtGate{0};
};
Counters& Handlers();

// Registers the test types and the program's four resource types.
void RegisterTestTypes();

tools::PackItem Item(uint32_t type, uint32_t id, uint32_t flags = 0, uint32_t dataSize = 8);

class PackTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes the pack and opens it; fails the test when it does not open.
    ResourcePack* OpenPack(const tools::PackContents& contents);
    uint32_t Count(uint32_t type, uint32_t id);
    uint32_t Flags(uint32_t type, uint32_t id);

    testfiles::TempDir m_dir;
    ResourcePack* m_pack = nullptr;
};

} // namespace packtest
