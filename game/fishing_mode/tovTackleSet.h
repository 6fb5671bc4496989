#pragma once
// The player's seven rod set-ups and the tackle vocabulary they choose from: line kinds with
// their pound tests and colours, lure families with their items and colours, the line type a
// line choice gives, the ids of lure pictures and data records, and the lure data record's
// text. Every value taken from a rod record is checked against its table before it indexes
// one: a profile file may hold anything.

#include "tovUserProfile.h"

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

class tovTackleSet
{
public:
    using RodSet = tovUserProfile::RodRecord;

    enum RodValue : int32_t
    {
        kLureOption = 0, // lowest byte only
        kLineColour = 1,
        kLineKind = 2,
        kPoundTest = 3, // a pound-test label id
        kGearView = 4,
        kFirstGear = 5,
        kSecondGear = 6,
        kFamily = 7,
        kFirstItem = 8,    // one per family
        kFirstColour = 14, // one per family
        kAddOnFlag = 20,   // lowest byte only
        kAddOn = 21,
        kReserved = 22,
    };
    static constexpr int32_t kRods = tovUserProfile::kRodCount;
    static constexpr int32_t kFamilies = 6;
    static constexpr int32_t kLineKinds = 4;
    static constexpr int32_t kLureModels = 11;

    // What a lure's data record says; absent fields keep these values.
    struct LureRecord
    {
        int32_t model = 0;
        float secondPosture = 0.0f;
        float firstPosture = 0.0f;
        int32_t speciesRow = 0;
        float temperature = 0.0f;
        float wave = 1.0f;
        float clarity = 0.0f;
    };
    struct Rgba
    {
        float r, g, b, a;
    };

    // The record's comma-separated fields; numbers are read from the start of each field.
    static LureRecord ParseLureRecord(std::string_view text);
    // The lure model's file name, or null outside 0..10.
    static const char* LureModelFile(int32_t model);
    // The tackle's line type 0..21 for a line kind and pound-test label id; -1 off the table.
    static int32_t LineType(int32_t kind, int32_t labelId);
    // (0, 0, 0, 0) for colours outside 0..4.
    static Rgba LineColour(int32_t colour);
    // The label ids and colours a line kind offers; empty for kinds outside 0..3.
    static std::span<const int32_t> PoundTests(int32_t kind);
    static std::span<const int32_t> LineColours(int32_t kind);
    // Items of a family (0 outside 0..5) and colours of one of its items.
    static int32_t ItemCount(int32_t family);
    static int32_t ColourCount(int32_t family, int32_t item);
    static bool AllowsAddOn(int32_t family);
    // base + item of the family tables; 0 for a family or item off its table.
    static int32_t LureRecordId(const RodSet& rod);
    static int32_t RodSetPictureId(const RodSet& rod);
    static int32_t RodPagePictureId(const RodSet& rod);
    static bool LowByteFlag(int32_t value) { return (value & 0xFF) != 0; }
    static int32_t WithLowByte(int32_t value, bool on) { return (value & ~0xFF) | (on ? 1 : 0); }

    // Copies the profile's records and current rod (the loader's step when asked to reload).
    void LoadFromProfile(const tovUserProfile& profile);
    void StoreInProfile(tovUserProfile& profile) const;

    const RodSet& GetRod(int32_t index) const { return m_rods.at(static_cast<size_t>(index)); }
    RodSet& GetRod(int32_t index) { return m_rods.at(static_cast<size_t>(index)); }
    int32_t GetCurrentRod() const { return m_currentRod; }
    // Out-of-range rods are refused.
    void SetCurrentRod(int32_t rod);
    const RodSet& GetCurrentRodSet() const { return GetRod(m_currentRod); }

    bool NeedsReload() const { return m_reload; }
    void SetReload(bool on) { m_reload = on; }

private:
    std::array<RodSet, kRods> m_rods{};
    int32_t m_currentRod = 0;
    bool m_reload = true;
};

// The program's one tackle set: the tackle box edits it, the fishing mode loads from it.
tovTackleSet& TheTackleSet();
