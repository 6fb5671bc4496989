#include "tovAnglerRig.h"

#include "tovAnglerState.h"
#include "tovBoat.h"
#include "tovByteOrder.h"
#include "tovFishSpecies.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

namespace
{
constexpr size_t kRecordSize = sizeof(tovLivewellFish);

void WriteFish(const tovLivewellFish& fish, uint8_t* out)
{
    PutLittleWord(out, static_cast<uint32_t>(fish.species));
    std::memcpy(out + 4, fish.name, tovLivewellFish::kNameSize);
    PutLittleWord(out + 264, static_cast<uint32_t>(fish.weightOunces));
    PutLittleWord(out + 268, static_cast<uint32_t>(fish.lengthInches));
    PutLittleFloat(out + 272, fish.displayScale);
    out[276] = fish.inUse;
    out[277] = out[278] = out[279] = 0;
}

void ReadFish(const uint8_t* in, tovLivewellFish& fish)
{
    fish.species = static_cast<int32_t>(TakeLittleWord(in));
    std::memcpy(fish.name, in + 4, tovLivewellFish::kNameSize);
    fish.weightOunces = static_cast<int32_t>(TakeLittleWord(in + 264));
    fish.lengthInches = static_cast<int32_t>(TakeLittleWord(in + 268));
    fish.displayScale = TakeLittleFloat(in + 272);
    fish.inUse = in[276];
}
} // namespace

tovAnglerRig::tovAnglerRig(int32_t paintScheme, int32_t word0, int32_t word1, int32_t word2, bool lowDetail,
                           tovBoat* boat)
    : m_paintScheme(paintScheme), m_words{word0, word1, word2}, m_lowDetail(lowDetail), m_boat(boat),
      m_tackle(new tovTackle)
{
    if (m_boat && paintScheme >= 0)
        m_boat->SetPaintScheme(paintScheme);
}

tovAnglerRig::~tovAnglerRig() = default;

void tovAnglerRig::Idle(double now, double elapsed)
{
    m_now = now;
    if (m_boat)
        m_boat->Update(now, elapsed);
    if (m_mode == kModeCasting && now - m_castTime >= kCastFlightTime)
    {
        if (QrPointer<tovLure> lure = m_tackle->GetLure())
            lure->SetPosition(m_castTarget);
        m_tackle->Splashdown();
        m_mode = kModeWaitCast;
    }
}

int32_t tovAnglerRig::GetAnglerWord(int32_t i) const
{
    return i >= 0 && i < 3 ? m_words[static_cast<size_t>(i)] : 0;
}

void tovAnglerRig::SetAppearance(int32_t look, int32_t colour1, int32_t colour2)
{
    // Colours change even when the look stays: a repaint must not be lost.
    if (look >= 0)
        m_words[0] = look;
    if (colour1 >= 0)
        m_colours[0] = colour1;
    if (colour2 >= 0)
        m_colours[1] = colour2;
}

void tovAnglerRig::SetMode(int32_t mode)
{
    if (mode >= kModeSeated && mode <= kModeSitToIdle)
        m_mode = mode;
}

QrPointer<tovLure> tovAnglerRig::GetTackleObject() const
{
    return m_tackle->GetLure();
}

void tovAnglerRig::SetLureModel(const std::string& fileName, int32_t speciesRow)
{
    m_tackle->SetLure(nullptr);
    QrPointer<tovLure> lure(new tovLure(fileName, speciesRow));
    m_tackle->SetLure(lure.Get());
    lure->Initialise();
}

void tovAnglerRig::CaptureBoatState(tovBoatState& out) const
{
    if (m_boat)
        m_boat->CaptureState(out);
}

QrPointer<tovBoat> tovAnglerRig::GetBoat() const
{
    return m_boat;
}

QrPoint3 tovAnglerRig::GetBoatPosition() const
{
    return m_boat ? m_boat->GetPosition() : QrPoint3();
}

float tovAnglerRig::GetBoatHeading() const
{
    if (!m_boat)
        return 0.0f;
    // The way the boat moves (its rotation's third column), which is what a cast aims from.
    const QrPoint3 forward = m_boat->GetWorldRotation().GetColumn(2);
    const float degrees = std::atan2(forward.x, forward.z) * kRadiansToDegrees;
    return degrees < 0.0f ? degrees + 360.0f : degrees;
}

void tovAnglerRig::ClearFastReel()
{
    m_tackle->SetFastReel(false);
}

void tovAnglerRig::CastAt(const QrPoint3& target)
{
    m_castTarget = target;
    m_tackle->StartCast();
    m_mode = kModeCasting;
    m_castTime = m_now;
    m_readyInWaitCast = false;
    m_fastReelInWaitCast = false;
}

void tovAnglerRig::ReadyOn()
{
    m_readyInWaitCast = true;
}

void tovAnglerRig::ReadyAndReel()
{
    m_readyInWaitCast = true;
    m_fastReelInWaitCast = true;
    m_tackle->SetFastReel(true);
}

void tovAnglerRig::ReadyOff()
{
    m_readyInWaitCast = false;
    m_fastReelInWaitCast = false;
}

void tovAnglerRig::ReturnFromDriving()
{
    if (m_mode == kModeDriving)
        m_mode = kModeSeated;
}

void tovAnglerRig::LeaveSeated()
{
    if (m_mode == kModeSeated)
        m_mode = kModeDriving;
}

void tovAnglerRig::StartFromDriving()
{
    if (m_mode == kModeDriving)
        m_mode = kModeAiming;
}

void tovAnglerRig::StartToDriving()
{
    if (m_mode == kModeAiming)
    {
        m_tackle->ResetCast();
        m_mode = kModeDriving;
    }
}

int32_t tovAnglerRig::AddToLivewell(int32_t species, int32_t weightOunces, int32_t lengthInches, float displayScale)
{
    const int32_t place = m_livewell.FindFree();
    if (place < 0 || !IsValidSpecies(species))
        return -1;
    tovLivewellFish& fish = m_livewell.places[static_cast<size_t>(place)];
    fish = tovLivewellFish{};
    fish.species = species;
    // A fish of 0 oz would read as an empty place at the weigh-in.
    fish.weightOunces = weightOunces < 1 ? 1 : weightOunces;
    fish.lengthInches = lengthInches;
    fish.displayScale = displayScale;
    fish.inUse = 1;
    GetFishSpeciesName(species, fish.name, tovLivewellFish::kNameSize);
    ++m_livewell.count;
    return place;
}

void tovAnglerRig::RemoveFromLivewell(int32_t place)
{
    // An empty place must not lower the count: it has to match the occupied places.
    if (place < 0 || place >= tovLivewell::kPlaceCount)
        return;
    tovLivewellFish& fish = m_livewell.places[static_cast<size_t>(place)];
    if (fish.inUse == 0)
        return;
    fish = tovLivewellFish{};
    --m_livewell.count;
}

int32_t tovAnglerRig::ReleaseSmallestOverLimit()
{
    if (m_livewell.CountOccupied() <= tovLivewell::kPlaceCount - 1)
        return -1;
    const int32_t place = m_livewell.FindSmallest();
    RemoveFromLivewell(place);
    return place;
}

void tovAnglerRig::CopyLivewellOut(uint8_t* out) const
{
    PutLittleWord(out, static_cast<uint32_t>(m_livewell.count));
    for (size_t i = 0; i < m_livewell.places.size(); ++i)
        WriteFish(m_livewell.places[i], out + 4 + kRecordSize * i);
}

void tovAnglerRig::CopyLivewellIn(const uint8_t* in)
{
    m_livewell.count = static_cast<int32_t>(TakeLittleWord(in));
    for (size_t i = 0; i < m_livewell.places.size(); ++i)
        ReadFish(in + 4 + kRecordSize * i, m_livewell.places[i]);
    m_livewell.Sanitize();
}

void tovAnglerRig::FillSnapshot(std::array<int32_t, 421>& words) const
{
    std::array<uint8_t, tovLivewell::kByteSize> bytes{};
    CopyLivewellOut(bytes.data());
    for (size_t i = 0; i < words.size(); ++i)
        words[i] = static_cast<int32_t>(TakeLittleWord(bytes.data() + 4 * i));
}

void tovAnglerRig::ApplySnapshot(const std::array<int32_t, 421>& words)
{
    std::array<uint8_t, tovLivewell::kByteSize> bytes{};
    for (size_t i = 0; i < words.size(); ++i)
        PutLittleWord(bytes.data() + 4 * i, static_cast<uint32_t>(words[i]));
    CopyLivewellIn(bytes.data());
}

void tovAnglerRig::FillAnglerState(tovAnglerState& record) const
{
    record.anglerValue = m_anglerValue;
    record.block[4] = m_lureModelIndex;
    record.SetCastTarget(m_castTarget);
    record.readyInWaitCast = m_readyInWaitCast ? 1 : 0;
    record.fastReelInWaitCast = m_fastReelInWaitCast ? 1 : 0;
    record.block[3] = m_mode;
    for (size_t i = 0; i < 3; ++i)
        record.block[i] = m_words[i];
}

void tovAnglerRig::ApplyAnglerState(const tovAnglerState& record)
{
    if (record.anglerValue != m_anglerValue)
        SetAnglerValue(record.anglerValue);
    ApplyPhase(record.block[tovAnglerState::kPhaseWord], record.readyInWaitCast != 0, record.fastReelInWaitCast != 0,
               record.GetCastTarget());
}

void tovAnglerRig::ApplyPhase(int32_t phase, bool flag1, bool flag2, const QrPoint3& target)
{
    if (phase < 0 || phase >= tovAnglerState::kPhaseCount)
        return;
    const bool toDriving = phase == 0 || phase == 11 || phase == 1 || phase == 10;
    switch (m_mode)
    {
    case kModeSeated:
        if (phase == 1 || (phase >= 2 && phase <= 4) || phase == 10)
            LeaveSeated();
        break;
    case kModeDriving:
        if (phase == 0 || phase == 11)
            ReturnFromDriving();
        else if (phase >= 2 && phase <= 4)
            StartFromDriving();
        break;
    case kModeAiming:
        if (toDriving)
            StartToDriving();
        else if (phase == 3 || phase == 4)
            AimAndCast(target);
        break;
    case kModeWaitCast:
        if (toDriving)
        {
            if (m_tackle->GetState() == tovTackle::kStateNone)
                ClearFastReel();
            else
                ReadyAndReel();
        }
        else if (phase == 4)
        {
            if (flag1)
                ReadyOn();
            else if (flag2)
                ReadyAndReel();
            else
                ReadyOff();
        }
        break;
    default:
        break;
    }
}

void tovAnglerRig::AimAndCast(const QrPoint3& target)
{
    const QrPoint3 boat = GetBoatPosition();
    const float dx = target.x - boat.x;
    const float dz = target.z - boat.z;
    const float length = std::sqrt(dx * dx + dz * dz);
    if (length > 0.0f)
    {
        const float heading = GetBoatHeading() / kRadiansToDegrees;
        const float hx = std::sin(heading);
        const float hz = std::cos(heading);
        const float cosine = std::clamp((dx * hx + dz * hz) / length, -1.0f, 1.0f);
        const float angle = std::acos(cosine) * kRadiansToDegrees;
        m_castAngle = (hx * dz - hz * dx) < 0.0f ? -angle : angle;
    }
    CastAt(target);
}
