#include "tovFishModels.h"

#include "tovAnglingWorld.h"
#include "tovFish.h"
#include "tovFishFactory.h"

#include "QrNode.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace
{
constexpr float kUnitsPerInch = 0.01f / 12.0f;
// Above the highest ground under the fish's length: half a foot, so that the coarser triangles
// the terrain draws at a distance do not cover it, and a quarter of its length for its belly.
constexpr float kGroundClearance = 0.005f;
constexpr float kBellyShare = 0.25f;
// Its back stays under the surface in water too shallow for both.
constexpr float kSurfaceClearance = 0.001f;
} // namespace

tovFishModels::tovFishModels(const tovAnglingWorld& world, QrNode* parent)
    : m_world(world), m_population(world), m_parent(parent)
{
}

tovFishModels::~tovFishModels()
{
    Clear();
}

void tovFishModels::Clear()
{
    for (Shown& shown : m_shown)
        if (m_parent && shown.model)
            m_parent->DetachChild(shown.model.Get());
    m_shown.clear();
    m_spare.clear();
}

tovFish* tovFishModels::GetShownModel(int32_t i) const
{
    return i >= 0 && size_t(i) < m_shown.size() ? m_shown[size_t(i)].model.Get() : nullptr;
}

QrPointer<tovFish> tovFishModels::TakeModel(int32_t species)
{
    const auto it = std::find_if(m_spare.begin(), m_spare.end(),
                                 [species](const QrPointer<tovFish>& f) { return f->GetSpecies() == species; });
    if (it == m_spare.end())
        return CreateFish(species);
    QrPointer<tovFish> model = *it;
    m_spare.erase(it);
    return model;
}

void tovFishModels::Update(const QrPoint3& view, double now, double elapsed)
{
    // The nearest fish inside the active radius, at most kMaxShown.
    std::vector<std::pair<float, int32_t>> near;
    const float radius2 = tovFishPopulation::kActiveRadius * tovFishPopulation::kActiveRadius;
    for (int32_t i = 0; i < m_population.GetCount(); ++i)
    {
        const QrPoint3 at = m_world.MapToWorld(m_population.GetFish(i).map);
        const float dx = at.x - view.x;
        const float dz = at.z - view.z;
        const float d2 = dx * dx + dz * dz;
        if (d2 <= radius2)
            near.emplace_back(d2, i);
    }
    // A fish on the line is shown wherever it runs: ahead of all others.
    const int32_t hooked = m_population.GetHookedFish();
    if (hooked >= 0 && hooked < m_population.GetCount())
    {
        near.erase(std::remove_if(near.begin(), near.end(), [hooked](const auto& n) { return n.second == hooked; }),
                   near.end());
        near.emplace_back(-1.0f, hooked);
    }
    const size_t keep = std::min(near.size(), size_t(kMaxShown));
    std::partial_sort(near.begin(), near.begin() + std::ptrdiff_t(keep), near.end());
    near.resize(keep);

    std::vector<Shown> next;
    for (const auto& [d2, index] : near)
    {
        const tovFishPopulation::Fish& fish = m_population.GetFish(index);
        const auto it =
            std::find_if(m_shown.begin(), m_shown.end(), [i = index](const Shown& s) { return s.index == i; });
        Shown shown;
        if (it != m_shown.end() && it->model && it->model->GetSpecies() == fish.species)
        {
            shown = *it;
            it->model = nullptr;
        }
        else
        {
            shown.index = index;
            shown.model = TakeModel(fish.species);
            if (!shown.model)
                continue;
            shown.last = m_world.MapToWorld(fish.map);
            if (m_parent)
                m_parent->AttachChild(shown.model.Get());
        }
        Place(shown, fish, now, elapsed);
        next.push_back(std::move(shown));
    }
    // Models no longer shown go back to the spares.
    for (Shown& old : m_shown)
        if (old.model)
        {
            if (m_parent)
                m_parent->DetachChild(old.model.Get());
            m_spare.push_back(old.model);
        }
    m_shown = std::move(next);
}

float tovFishModels::ShownHeight(const QrPoint3& at, const tovFishPopulation::Fish& fish) const
{
    const float length = std::max(0.0f, std::isfinite(fish.length) ? fish.length : 0.0f) * kUnitsPerInch;
    // The ground under the nose and tail whichever way it heads.
    const float r = 0.5f * length;
    float ground = m_world.GroundHeight(at);
    for (const auto& [dx, dz] : {std::pair{r, 0.0f}, {-r, 0.0f}, {0.0f, r}, {0.0f, -r}})
        ground = std::max(ground, m_world.GroundHeight(QrPoint3(at.x + dx, at.y, at.z + dz)));
    const float water = m_world.WaterHeight();
    const float y = std::max(water - fish.depth, ground + kGroundClearance + kBellyShare * length);
    return std::min(y, water - kSurfaceClearance);
}

QrPoint3 tovFishModels::MouthToward(const tovFishPopulation::Fish& fish, const QrPoint3& toward) const
{
    QrPoint3 at = m_world.MapToWorld(fish.map);
    at.y = ShownHeight(at, fish);
    const float half = 0.5f * std::max(0.0f, std::isfinite(fish.length) ? fish.length : 0.0f) * kUnitsPerInch;
    const float dx = toward.x - at.x;
    const float dz = toward.z - at.z;
    const float d = std::hypot(dx, dz);
    if (d > half && std::isfinite(d))
    {
        at.x += dx / d * half;
        at.z += dz / d * half;
    }
    return at;
}

void tovFishModels::Place(Shown& shown, const tovFishPopulation::Fish& fish, double now, double elapsed)
{
    QrPoint3 at = m_world.MapToWorld(fish.map);
    at.y = ShownHeight(at, fish);
    tovFish& model = *shown.model;
    model.SetLength(fish.length);
    model.SetBehavior(int32_t(fish.behavior.GetState()));
    const float dx = at.x - shown.last.x;
    const float dz = at.z - shown.last.z;
    // Turned along its way; one that holds still keeps its heading.
    if (dx * dx + dz * dz > 1e-10f)
        model.SetRotate(std::atan2(dx, dz), 0.0f, 1.0f, 0.0f);
    model.SetTranslate(at.x, at.y, at.z);
    model.Update(now, elapsed);
    model.UpdateAllInstances();
    shown.last = at;
}
