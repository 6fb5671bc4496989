// The fishing mode's tackle readers per input: the profile's rod block (seven rod records of
// 23 little-endian words and the current rod) and then, as the rest of the input, the current
// lure's data record. Both go on a tackle and lure as the fishing screen's tackle loader puts
// them on the player's angler; every table answer must stay within its table.
#include "FuzzWorld.h"

#include "ByteReader.h"
#include "tovLure.h"
#include "tovTackle.h"
#include "tovTackleSet.h"
#include "tovUserProfile.h"

#include <cmath>
#include <string_view>

namespace
{

constexpr size_t kRodBytes = (size_t(tovTackleSet::kRods) * tovUserProfile::kRodWords + 1) * 4;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::SilenceDebugOutput();
    fuzzsupport::RegisterWorldClasses();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < kRodBytes)
        return 0;
    tovUserProfile profile;
    plat::ByteReader in(data, kRodBytes);
    for (tovUserProfile::RodRecord& rod : profile.GetTackle())
        for (int32_t& v : rod)
            v = in.I32();
    profile.SetCurrentRod(in.I32());
    tovTackleSet set;
    set.LoadFromProfile(profile);
    if (set.GetCurrentRod() < 0 || set.GetCurrentRod() >= tovTackleSet::kRods)
        std::abort();
    for (int32_t r = 0; r < tovTackleSet::kRods; ++r)
    {
        const tovTackleSet::RodSet& rod = set.GetRod(r);
        const int32_t type = tovTackleSet::LineType(rod[tovTackleSet::kLineKind], rod[tovTackleSet::kPoundTest]);
        if (type < -1 || type >= tovTackle::kLineTypeCount)
            std::abort();
        tovTackleSet::LineColour(rod[tovTackleSet::kLineColour]);
        tovTackleSet::PoundTests(rod[tovTackleSet::kLineKind]);
        tovTackleSet::LineColours(rod[tovTackleSet::kLineKind]);
        const int32_t family = rod[tovTackleSet::kFamily];
        tovTackleSet::ItemCount(family);
        if (family >= 0 && family < tovTackleSet::kFamilies)
            tovTackleSet::ColourCount(family, rod[size_t(tovTackleSet::kFirstItem + family)]);
        tovTackleSet::AllowsAddOn(family);
        if (tovTackleSet::LureRecordId(rod) < 0 || tovTackleSet::RodSetPictureId(rod) < 0 ||
            tovTackleSet::RodPagePictureId(rod) < 0)
            std::abort();
    }

    const tovTackleSet::RodSet& rod = set.GetCurrentRodSet();
    const tovTackleSet::LureRecord record = tovTackleSet::ParseLureRecord(
        std::string_view(reinterpret_cast<const char*>(data + kRodBytes), size - kRodBytes));
    const char* file = tovTackleSet::LureModelFile(record.model);
    if ((file != nullptr) != (record.model >= 0 && record.model < tovTackleSet::kLureModels))
        std::abort();
    QrPointer<tovTackle> tackle(new tovTackle);
    const tovTackleSet::Rgba c = tovTackleSet::LineColour(rod[tovTackleSet::kLineColour]);
    tackle->SetLinePointCount({c.r, c.g, c.b, c.a});
    // No lure files here: the lure fishes without a model, as a missing file leaves it.
    QrPointer<tovLure> lure(new tovLure(std::string(), record.speciesRow));
    lure->SetPosture(QrPoint3(0.0f, record.firstPosture, 0.0f), QrPoint3(0.0f, record.secondPosture, 0.0f));
    lure->SetAttractionValues(record.temperature, record.clarity, record.wave, record.speciesRow);
    lure->Initialise();
    tackle->SetLure(lure.Get());
    const int32_t type = tovTackleSet::LineType(rod[tovTackleSet::kLineKind], rod[tovTackleSet::kPoundTest]);
    if (type >= 0)
        tackle->SetLureType(type);
    tackle->ResetCast();
    if (!std::isfinite(tackle->GetLineStrength()) || !std::isfinite(tackle->GetBreakingTension()))
        std::abort();
    return 0;
}
