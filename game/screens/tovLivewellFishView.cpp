#include "tovLivewellFishView.h"

#include "tovAppServices.h"
#include "tovFishFactory.h"
#include "tovSmallView.h"

#include <algorithm>
#include <cmath>

namespace
{

constexpr float kFrustumX = 0.8f;
constexpr float kFrustumY = 0.3088372f;
// Left, right, top, bottom as fractions of the display: x 136..566, y 43..209 on 640x480.
constexpr float kViewport[4] = {0.2125f, 0.884375f, 0.9104167f, 0.5645833f};
constexpr float kHalfTurn = 1.5708f;
constexpr float kBassScale = 1.7f;
constexpr float kStandOff = 3.0f;
constexpr float kFarPlane = 10.0f;

bool IsBass(int32_t species)
{
    return species == 3 || species == 10 || species == 11 || species == 12 || species == 16;
}

bool IsSpecies(int32_t species)
{
    return species >= 0 && species < tovLivewellFishView::kSpeciesCount;
}

} // namespace

tovLivewellFishView::tovLivewellFishView() = default;

tovLivewellFishView::~tovLivewellFishView()
{
    DestroyScene();
    for (auto& model : m_models)
        model = nullptr;
}

void tovLivewellFishView::BuildScene()
{
    if (m_root)
        return;
    BuildSmallView({0.01f, kFarPlane, kFrustumX, kFrustumY, kViewport, 0.0f, 10.0f}, m_root, m_camera, m_light);
    m_root->UpdateAllInstances();
}

void tovLivewellFishView::DestroyScene()
{
    TakeFishAway();
    DestroySmallView(m_root, m_camera, m_light);
}

void tovLivewellFishView::PrepareSpecies(int32_t species)
{
    if (!IsSpecies(species))
        return;
    QrPointer<tovFish>& model = m_models[static_cast<size_t>(species)];
    if (!model)
        model = CreateFish(species);
    if (m_root)
        m_root->UpdateAllInstances();
}

void tovLivewellFishView::TakeFishAway()
{
    if (!m_fish)
        return;
    if (QrNode* parent = m_fish->GetParent())
    {
        parent->DetachChild(m_fish.Get());
        parent->UpdateAllInstances();
    }
    m_idle.Remove(m_fish.Get());
    m_fish = nullptr;
}

void tovLivewellFishView::SelectFish(int32_t species, float scale)
{
    TakeFishAway();
    if (!IsSpecies(species) || !m_root)
        return;
    m_fish = m_models[static_cast<size_t>(species)];
    if (!m_fish)
        return;
    if (IsBass(species))
        scale *= kBassScale;
    m_fish->SetScale(std::fabs(scale));
    m_fish->SetTranslate(0.0f, 0.0f, 0.03f);
    m_fish->SetRotate(-kHalfTurn, 0.0f, 1.0f, 0.0f);
    m_fish->SetBehavior(tovFishBehavior::kLivewell);
    m_idle.Add(m_fish.Get());
    m_root->AttachChild(m_fish.Get());
    m_fish->UpdateAllInstances();
    m_root->UpdateAllInstances();
    FrameFish();
}

void tovLivewellFishView::FrameFish()
{
    if (!m_fish || !m_camera)
        return;
    // The camera at the origin would stand inside a fish of our models' size: it stands back
    // beside the fish, by the fish's size, and looks at its middle.
    const QrBound& bound = m_fish->GetWorldBound();
    const QrPoint3 centre = bound.GetCenter();
    const float distance = std::max(bound.GetRadius() * kStandOff, 0.2f);
    // Standing back past the far plane left a big fish (a 34-inch striper) unseen: the far
    // plane reaches past the fish's far side.
    float* frustum = m_camera->GetFrustum();
    frustum[QrCamera::kFar] = std::max(kFarPlane, distance + 2.0f * bound.GetRadius());
    m_camera->SetTranslate(centre.x - distance, centre.y, centre.z);
    m_camera->UpdateAllInstances();
    m_camera->LookAt(centre, QrPoint3(0.0f, 1.0f, 0.0f));
    m_camera->UpdateAllInstances();
}

void tovLivewellFishView::ReleaseModels()
{
    TakeFishAway();
    for (auto& model : m_models)
        model = nullptr;
}

void tovLivewellFishView::RefreshViewport()
{
    if (m_camera)
        m_camera->SetViewportFromDisplay(3);
}

void tovLivewellFishView::Step(float now, float)
{
    // The fish steps with this view's camera as its context, and only while it is shown.
    if (m_fish)
        m_idle.UpdateAll(now, m_camera.Get());
}

void tovLivewellFishView::Render(float now, float elapsed)
{
    if (m_camera && m_camera->GetDisplay())
        m_camera->RenderFrame(now, elapsed);
}

tovFish* tovLivewellFishView::GetCachedModel(int32_t species) const
{
    return IsSpecies(species) ? m_models[static_cast<size_t>(species)].Get() : nullptr;
}
