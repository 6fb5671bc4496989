#pragma once
// The fish of the day as the player sees them: the population's records swim on the lake map,
// and the few nearest the point of view are shown on their species' key-framed models, placed
// and turned where their records swim. Models are kept per species and reused.

#include "tovFishPopulation.h"

#include "QrPointer.h"

#include <cstdint>
#include <memory>
#include <vector>

class QrNode;
class tovAnglingWorld;
class tovFish;

class tovFishModels
{
public:
    static constexpr int32_t kMaxShown = 8;

    tovFishModels(const tovAnglingWorld& world, QrNode* parent);
    ~tovFishModels();
    tovFishModels(const tovFishModels&) = delete;
    tovFishModels& operator=(const tovFishModels&) = delete;

    tovFishPopulation& GetPopulation() { return m_population; }
    // The nearest fish within the population's active radius of the point get models; the
    // rest lose theirs. The models' swim loops step by elapsed.
    void Update(const QrPoint3& view, double now, double elapsed);
    int32_t GetShownCount() const { return static_cast<int32_t>(m_shown.size()); }
    // Shown model i, a hooked fish first and then nearest first; null out of range.
    tovFish* GetShownModel(int32_t i) const;
    // Every model off its parent.
    void Clear();
    // Where a line to the fish meets its shown body: at the height the model swims, half its
    // length from the middle toward the given point.
    QrPoint3 MouthToward(const tovFishPopulation::Fish& fish, const QrPoint3& toward) const;

private:
    struct Shown
    {
        int32_t index = -1;
        QrPointer<tovFish> model;
        QrPoint3 last;
    };

    QrPointer<tovFish> TakeModel(int32_t species);
    // Where the model swims: the record's depth, kept clear of the ground and under the surface.
    float ShownHeight(const QrPoint3& at, const tovFishPopulation::Fish& fish) const;
    void Place(Shown& shown, const tovFishPopulation::Fish& fish, double now, double elapsed);

    const tovAnglingWorld& m_world;
    tovFishPopulation m_population;
    QrNode* m_parent;
    std::vector<Shown> m_shown;
    std::vector<QrPointer<tovFish>> m_spare;
};
