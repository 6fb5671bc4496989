#pragma once
// The livewell's small 3D window: one fish of a chosen species under a fixed camera and light.
// Each species' model is made once per livewell visit and cached, so that choosing another row
// only swaps which model hangs under the scene root.

#include "tovFish.h"

#include "QrCamera.h"
#include "QrLight.h"
#include "QrNode.h"
#include "QrPointer.h"
#include "qrxIdleManager.h"

#include <array>
#include <cstdint>

class tovLivewellFishView
{
public:
    static constexpr int32_t kSpeciesCount = 17;

    tovLivewellFishView();
    virtual ~tovLivewellFishView();
    tovLivewellFishView(const tovLivewellFishView&) = delete;
    tovLivewellFishView& operator=(const tovLivewellFishView&) = delete;

    void BuildScene();
    void DestroyScene();
    // Makes the species' model when it is not cached yet.
    void PrepareSpecies(int32_t species);
    // Shows the species' cached model at the record's scale; a species outside 0..16 only
    // takes the shown fish away.
    void SelectFish(int32_t species, float scale);
    void ReleaseModels();
    void RefreshViewport();
    void Step(float now, float elapsed);
    void Render(float now, float elapsed);

    QrNode* GetRoot() const { return m_root.Get(); }
    QrCamera* GetCamera() const { return m_camera.Get(); }
    tovFish* GetShownFish() const { return m_fish.Get(); }
    tovFish* GetCachedModel(int32_t species) const;

private:
    void TakeFishAway();
    void FrameFish();

    qrxIdleManager m_idle;
    QrPointer<QrNode> m_root;
    QrPointer<tovFish> m_fish;
    std::array<QrPointer<tovFish>, kSpeciesCount> m_models;
    QrPointer<QrCamera> m_camera;
    QrPointer<QrLight> m_light;
};
