#include "tovAnglerLookPreview.h"

#include "tovAppServices.h"
#include "tovBoat.h"
#include "tovSmallView.h"
#include "tovUserProfile.h"

namespace
{

// The turntable's angle in degrees lives as long as the program: it resumes where it stopped.
float g_angle = 0.0f;

constexpr float kFrustumX = 0.8f;
constexpr float kFrustumY = 0.3093385f;
// Left, right, top, bottom as fractions of the display: x 79..593, y 64..329 on 640x480.
constexpr float kViewport[4] = {0.1234375f, 0.9265625f, 0.8666667f, 0.3145833f};
constexpr float kQuarterTurn = 1.5708f;
constexpr float kBoatTilt = 0.174533f;
constexpr float kDegree = 0.017453333f;
constexpr float kTurntableDistance = 0.45f;

void SaveProfile()
{
    SaveUserProfile(TheUserProfile());
}

} // namespace

tovAnglerLookPreview::tovAnglerLookPreview() = default;

tovAnglerLookPreview::~tovAnglerLookPreview()
{
    Destroy();
    m_turntable = nullptr;
}

float tovAnglerLookPreview::GetAngle()
{
    return g_angle;
}

tovBoat* tovAnglerLookPreview::GetBoat() const
{
    return static_cast<tovBoat*>(m_boat.Get());
}

void tovAnglerLookPreview::Build()
{
    if (m_root)
        return;
    BuildSmallView({0.005f, 5.0f, kFrustumX, kFrustumY, kViewport, 0.1f, 2.0f}, m_root, m_camera, m_light);

    m_turntable = new QrNode;
    QrPointer<tovBoat> boat(new tovBoat);
    boat->SetPaintScheme(TheUserProfile().GetLook(kLook1));
    boat->SetRotate(kBoatTilt, 0.0f, 0.0f, 1.0f);
    m_boat = boat.Get();
    // Far enough that the whole boat of our model's size shows in the window.
    m_turntable->SetTranslate(0.0f, 0.0f, kTurntableDistance);
    m_turntable->SetRotate(-kQuarterTurn, 0.0f, 1.0f, 0.0f);
    m_root->AttachChild(m_turntable.Get());
    m_turntable->AttachChild(m_boat.Get());
    m_turntable->UpdateAllInstances();

    for (int32_t gender = 0; gender < 2; ++gender)
    {
        QrPointer<tovAngler> angler(new tovAngler(0, gender, -1));
        angler->SetAppearance(TheUserProfile().GetLook(kLook1), -1, -1);
        angler->SetTackle(nullptr);
        angler->SetNextAction(0);
        angler->Update(0.0, 0.0);
        angler->SetLifeVestVisible(false);
        m_anglers[static_cast<size_t>(gender)] = angler;
    }
    AttachAngler();
    StepLook1(0);
    StepLook2(0);
    StepLook3(0);
    m_root->UpdateAllInstances();
}

void tovAnglerLookPreview::Destroy()
{
    if (tovBoat* boat = GetBoat())
        boat->SetAnglerNode(nullptr);
    for (auto& angler : m_anglers)
        if (angler)
            angler->SetBoat(nullptr);
    m_boat = nullptr;
    m_current = nullptr;
    for (auto& angler : m_anglers)
        angler = nullptr;
    DestroySmallView(m_root, m_camera, m_light);
}

void tovAnglerLookPreview::ApplyAppearance()
{
    const tovUserProfile& profile = TheUserProfile();
    if (m_current)
        m_current->SetAppearance(profile.GetLook(kLook1), profile.GetLook(kLook3), profile.GetLook(kLook2));
}

void tovAnglerLookPreview::AttachAngler()
{
    const int32_t gender = TheUserProfile().GetGender() ? 1 : 0;
    tovAngler* wanted = m_anglers[static_cast<size_t>(gender)].Get();
    if (m_current.Get() == wanted)
        return;
    tovBoat* boat = GetBoat();
    if (boat)
        boat->SetAnglerNode(nullptr);
    m_current = wanted;
    if (!m_current)
        return;
    ApplyAppearance();
    m_current->SetBoat(boat);
    if (boat)
        boat->SetAnglerNode(m_current.Get());
    m_current->SetAppCulled(0);
    m_current->UpdateAllInstances();
    if (m_root)
        m_root->UpdateAllInstances();
}

void tovAnglerLookPreview::StepLook1(int32_t delta)
{
    tovUserProfile& profile = TheUserProfile();
    int32_t v = profile.GetLook(kLook1) + delta;
    if (v >= kPaintSchemes)
        v = 0;
    else if (v < 0)
        v = kPaintSchemes - 1;
    profile.SetLook(kLook1, v);
    if (tovBoat* boat = GetBoat())
        boat->SetPaintScheme(v);
    SaveProfile();
}

void tovAnglerLookPreview::StepLook2(int32_t delta)
{
    tovUserProfile& profile = TheUserProfile();
    const int32_t v = profile.GetLook(kLook2) + delta;
    profile.SetLook(kLook2, v >= 0 && v < 1 ? v : 0);
    ApplyAppearance();
    SaveProfile();
}

void tovAnglerLookPreview::StepLook3(int32_t delta)
{
    tovUserProfile& profile = TheUserProfile();
    const int32_t v = profile.GetLook(kLook3) + delta;
    profile.SetLook(kLook3, v >= 0 && v < 1 ? v : 0);
    ApplyAppearance();
    SaveProfile();
}

void tovAnglerLookPreview::RefreshViewport()
{
    if (m_camera)
        m_camera->SetViewportFromDisplay(3);
}

void tovAnglerLookPreview::Step(float, float)
{
    if (!m_turntable || !m_camera)
        return;
    if (m_rotate)
    {
        // Wrapped, so that a game left running for days keeps turning (float steps of 1 stop
        // changing a large angle).
        g_angle += 1.0f;
        if (g_angle >= 360.0f)
            g_angle -= 360.0f;
        m_turntable->SetRotate(g_angle * kDegree, 0.0f, 1.0f, 0.0f);
        m_turntable->UpdateAllInstances();
    }
    // The root does not move: the turntable's local place is its place in the world.
    m_camera->LookAt(m_turntable->GetTranslate(), QrPoint3(0.0f, 1.0f, 0.0f));
    m_camera->UpdateAllInstances();
}

void tovAnglerLookPreview::Render(float now, float elapsed)
{
    if (m_camera && m_camera->GetDisplay())
        m_camera->RenderFrame(now, elapsed);
}
