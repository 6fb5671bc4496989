#include "tovFish.h"

#include "tovAppServices.h"
#include "tovFishSizeTable.h"
#include "tovFishSpecies.h"
#include "tovModelFileCache.h"

#include "QrBound.h"
#include "QrVertexColorProperty.h"

#include <cmath>

QR_IMPLEMENT_RTTI(tovFish, QrNode)

namespace
{

const char* const kModelFiles[kSpeciesCount] = {
    "Angling/fishBlackCrappie.qrf",   "Angling/fishBluegill.qrf",       "Angling/fishCarp.qrf",
    "Angling/fishLargemouthBass.qrf", "Angling/fishMuskie.qrf",         "Angling/fishNorthernPike.qrf",
    "Angling/fishPerch.qrf",          "Angling/fishPickerel.qrf",       "Angling/fishRedSunfish.qrf",
    "Angling/fishSauger.qrf",         "Angling/fishSmallmouthBass.qrf", "Angling/fishSpottedBass.qrf",
    "Angling/fishStripedBass.qrf",    "Angling/fishSunfish.qrf",        "Angling/fishWhiteCrappie.qrf",
    "Angling/fishWalleye.qrf",        "Angling/fishWhiteBass.qrf",
};

// Nose to tail of a species model at scale 1, when its size was never recorded.
constexpr float kDefaultModelLength = 2.0f;
// One foot in world units.
constexpr float kUnitsPerFoot = 0.01f;

} // namespace

const char* tovFish::GetModelFile(int32_t species)
{
    return IsValidSpecies(species) ? kModelFiles[species] : "";
}

float tovFish::GetAnimationSpeed(int32_t state)
{
    // Cruise, follow, strike, fight, flight, at the boat, livewell.
    static constexpr float kSpeeds[tovFishBehavior::kStateCount] = {1.0f, 1.4f, 2.5f, 3.0f, 2.2f, 2.0f, 0.5f};
    return state >= 0 && state < tovFishBehavior::kStateCount ? kSpeeds[state] : 1.0f;
}

tovFish::tovFish(int32_t species) : m_species(species), m_attrib(new qrxAttrib)
{
    SetName("Fish Model");
    m_attrib->SetInt(species);
    // The program's shared vertex-colour mode lights the vertex colours of every model.
    if (QrVertexColorProperty* vertexColor = GetAppServices().GetSharedVertexColor())
        AttachProperty(vertexColor);
    m_model = tovModelFileCache::LoadNode(GetModelFile(species), kModelNode);
    if (!m_model)
        return;
    AttachChild(m_model.Get());
    CollectKeyFramed(m_model.Get());
    UpdateAllInstances();
}

void tovFish::RecordModelSize(int32_t species)
{
    SetScale(1.0f);
    UpdateAllInstances();
    const float radius = GetWorldBound().GetRadius();
    tovFishSizeTable::Set(species, 2.0f * radius * 100.0f);
}

void tovFish::SetupSpecies()
{
    m_attrib->SetF1(GetSpeciesSwimSpeed(m_species));
    m_attrib->SetF2(GetSpeciesPullFactor(m_species));
    m_attrib->SetF3(tovFishSizeTable::Get(m_species));
    m_attrib->SetF4(m_length);
}

void tovFish::SetBehavior(int32_t state)
{
    m_behavior.SetBehavior(state);
}

void tovFish::ReleaseModelCache()
{
    tovModelFileCache::Clear();
}

void tovFish::SetAnimationTime(double time)
{
    if (std::isfinite(time))
        m_animationTime = time;
}

void tovFish::SetLength(float inches)
{
    if (!std::isfinite(inches) || inches <= 0.0f)
        return;
    const float recorded = tovFishSizeTable::Get(m_species) / 100.0f;
    const float modelLength = recorded > 0.0f ? recorded : kDefaultModelLength;
    m_length = inches;
    m_attrib->SetF4(inches);
    SetScale(inches / 12.0f * kUnitsPerFoot / modelLength);
    UpdateAllInstances();
}

void tovFish::Update(double /*now*/, double elapsed)
{
    // Speeds change with the state, so the loop keeps its own clock rather than the caller's.
    if (std::isfinite(elapsed) && elapsed > 0.0)
        m_animationTime += elapsed * GetAnimationSpeed();
    qrxKeyFramedModel::Update(m_animationTime, elapsed);
    // The posed nodes draw from their world data.
    UpdateAllInstances();
}
