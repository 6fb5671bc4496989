#include "tovTackleSet.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

namespace
{

struct Family
{
    int32_t items;
    int32_t colours; // 0 for the family whose colours go by item
    int32_t lureBase, rodSetBase, rodPageBase;
    bool addOn;
};

constexpr Family kFamilyTable[tovTackleSet::kFamilies] = {
    {9, 2, 1100, 4100, 3100, false}, {32, 2, 1200, 4200, 3200, true},  {20, 0, 1300, 4300, 3300, false},
    {6, 3, 1500, 4500, 3500, true},  {16, 0, 1700, 4700, 3700, false}, {16, 6, 1900, 4900, 3900, true},
};

constexpr int32_t kPoundTests0[] = {5, 6, 7, 10, 11};
constexpr int32_t kPoundTests1[] = {2, 5, 9, 12, 13};
constexpr int32_t kPoundTests2[] = {5, 6, 7, 8};
constexpr int32_t kPoundTests3[] = {1, 3, 4, 5, 6, 7, 8, 9};
// Line types in the same order as the label ids above.
constexpr int32_t kTypes0[] = {5, 6, 7, 8, 9};
constexpr int32_t kTypes1[] = {0, 1, 2, 3, 4};
constexpr int32_t kTypes2[] = {10, 11, 12, 13};
constexpr int32_t kTypes3[] = {14, 15, 16, 17, 18, 19, 20, 21};
constexpr std::span<const int32_t> kPoundTests[] = {kPoundTests0, kPoundTests1, kPoundTests2, kPoundTests3};
constexpr std::span<const int32_t> kLineTypes[] = {kTypes0, kTypes1, kTypes2, kTypes3};

constexpr int32_t kColours0[] = {1};
constexpr int32_t kColours1[] = {0, 2};
constexpr int32_t kColours2[] = {3};
constexpr int32_t kColours3[] = {3, 4};
constexpr std::span<const int32_t> kLineColourLists[] = {kColours0, kColours1, kColours2, kColours3};

constexpr tovTackleSet::Rgba kLineRgba[] = {
    {0.65f, 0.8f, 0.55f, 0.3f},  {0.85f, 0.92f, 0.8f, 0.3f},  {0.76f, 0.76f, 0.76f, 0.3f},
    {0.99f, 0.99f, 0.99f, 0.3f}, {0.99f, 0.99f, 0.01f, 0.3f},
};

constexpr const char* kModelFiles[tovTackleSet::kLureModels] = {
    "Crankbait.QRF", "Spinner.QRF",  "Worm.QRF", "Spoon.QRF",  "TopwaterWalker.QRF", "RatJig.QRF",
    "Buzzbait.QRF",  "Crayfish.QRF", "Frog.QRF", "lizard.QRF", "TopwaterPopper.QRF",
};

bool InRange(int32_t v, int32_t count)
{
    return v >= 0 && v < count;
}

// The family's base plus its current item, or 0 when either is off its table.
int32_t ItemId(const tovTackleSet::RodSet& rod, int32_t Family::*base)
{
    const int32_t family = rod[tovTackleSet::kFamily];
    if (!InRange(family, tovTackleSet::kFamilies))
        return 0;
    const Family& f = kFamilyTable[family];
    const int32_t item = rod[static_cast<size_t>(tovTackleSet::kFirstItem + family)];
    return InRange(item, f.items) ? f.*base + item : 0;
}

int32_t LeadingInt(const std::string& field)
{
    const long long v = std::strtoll(field.c_str(), nullptr, 10);
    return static_cast<int32_t>(std::clamp<long long>(v, INT32_MIN, INT32_MAX));
}

float LeadingFloat(const std::string& field)
{
    const float v = std::strtof(field.c_str(), nullptr);
    return std::isfinite(v) ? v : 0.0f;
}

} // namespace

tovTackleSet::LureRecord tovTackleSet::ParseLureRecord(std::string_view text)
{
    LureRecord record;
    size_t at = 0;
    // Only the first eight fields mean anything; the rest of a long record is not read.
    for (int32_t field = 1; field <= 8; ++field)
    {
        at = text.find_first_not_of(',', at);
        if (at == std::string_view::npos)
            break;
        const size_t end = std::min(text.find(',', at), text.size());
        const std::string value(text.substr(at, end - at));
        at = end;
        switch (field)
        {
        case 1:
            record.model = LeadingInt(value);
            break;
        case 3:
            record.secondPosture = LeadingFloat(value);
            break;
        case 4:
            record.firstPosture = LeadingFloat(value);
            break;
        case 5:
            record.speciesRow = LeadingInt(value);
            break;
        case 6:
            record.temperature = LeadingFloat(value);
            break;
        case 7:
            record.wave = LeadingFloat(value);
            break;
        case 8:
            record.clarity = LeadingFloat(value);
            break;
        default:
            break;
        }
    }
    return record;
}

const char* tovTackleSet::LureModelFile(int32_t model)
{
    return InRange(model, kLureModels) ? kModelFiles[model] : nullptr;
}

int32_t tovTackleSet::LineType(int32_t kind, int32_t labelId)
{
    if (!InRange(kind, kLineKinds))
        return -1;
    const std::span<const int32_t> labels = kPoundTests[kind];
    const auto it = std::find(labels.begin(), labels.end(), labelId);
    return it == labels.end() ? -1 : kLineTypes[kind][static_cast<size_t>(it - labels.begin())];
}

tovTackleSet::Rgba tovTackleSet::LineColour(int32_t colour)
{
    return InRange(colour, 5) ? kLineRgba[colour] : Rgba{0.0f, 0.0f, 0.0f, 0.0f};
}

std::span<const int32_t> tovTackleSet::PoundTests(int32_t kind)
{
    return InRange(kind, kLineKinds) ? kPoundTests[kind] : std::span<const int32_t>{};
}

std::span<const int32_t> tovTackleSet::LineColours(int32_t kind)
{
    return InRange(kind, kLineKinds) ? kLineColourLists[kind] : std::span<const int32_t>{};
}

int32_t tovTackleSet::ItemCount(int32_t family)
{
    return InRange(family, kFamilies) ? kFamilyTable[family].items : 0;
}

int32_t tovTackleSet::ColourCount(int32_t family, int32_t item)
{
    if (!InRange(family, kFamilies) || !InRange(item, kFamilyTable[family].items))
        return 0;
    if (family == 2)
        return item >= 10 && item <= 12 ? 3 : 6;
    return kFamilyTable[family].colours;
}

bool tovTackleSet::AllowsAddOn(int32_t family)
{
    return InRange(family, kFamilies) && kFamilyTable[family].addOn;
}

int32_t tovTackleSet::LureRecordId(const RodSet& rod)
{
    return ItemId(rod, &Family::lureBase);
}

int32_t tovTackleSet::RodSetPictureId(const RodSet& rod)
{
    return ItemId(rod, &Family::rodSetBase);
}

int32_t tovTackleSet::RodPagePictureId(const RodSet& rod)
{
    return ItemId(rod, &Family::rodPageBase);
}

void tovTackleSet::LoadFromProfile(const tovUserProfile& profile)
{
    for (int32_t i = 0; i < kRods; ++i)
        GetRod(i) = profile.GetTackle()[static_cast<size_t>(i)];
    SetCurrentRod(profile.GetCurrentRod());
}

void tovTackleSet::StoreInProfile(tovUserProfile& profile) const
{
    for (int32_t i = 0; i < kRods; ++i)
        profile.GetTackle()[static_cast<size_t>(i)] = GetRod(i);
    profile.SetCurrentRod(m_currentRod);
}

void tovTackleSet::SetCurrentRod(int32_t rod)
{
    if (InRange(rod, kRods))
        m_currentRod = rod;
}

tovTackleSet& TheTackleSet()
{
    static tovTackleSet set;
    return set;
}
