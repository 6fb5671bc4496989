#include "tovAnglerLookIFace.h"

#include "tovMessageBox.h"
#include "tovShellButton.h"
#include "tovSoundSettings.h"
#include "tovUserProfile.h"

#include "QrRender.h"

namespace
{

tovAnglerLookIFace* g_instance = nullptr;

constexpr uint32_t kGroup = 17;
constexpr uint32_t kBackground = 570;
constexpr int32_t kProfilesScreen = 5;
constexpr int32_t kRecordScreen = 20;
constexpr int32_t kTackleBoxScreen = 9;
constexpr int32_t kOptionsScreen = 11;

struct Arrow
{
    int32_t id;
    int32_t x;
    int32_t y;
    bool up;
    uint32_t sound;
    int32_t look;
};

constexpr int32_t L1 = tovAnglerLookPreview::kLook1;
constexpr int32_t L2 = tovAnglerLookPreview::kLook2;
constexpr int32_t L3 = tovAnglerLookPreview::kLook3;
constexpr Arrow kArrows[] = {
    {3, 105, 357, false, 6184, L1}, {4, 228, 357, true, 6183, L1},   {9, 429, 357, false, 6184, L3},
    {10, 553, 357, true, 6185, L3}, {11, 429, 411, false, 6184, L2}, {12, 553, 411, true, 6185, L2},
};

} // namespace

tovAnglerLookIFace::tovAnglerLookIFace()
{
    g_instance = this;
}

tovAnglerLookIFace::~tovAnglerLookIFace()
{
    if (g_instance == this)
        g_instance = nullptr;
}

tovAnglerLookIFace* tovAnglerLookIFace::GetInstance()
{
    return g_instance;
}

void tovAnglerLookIFace::Prepare(int32_t)
{
    if (!m_built)
    {
        m_built = 1;
        m_preview.Build();
    }
    LoadGroup(kGroup);
}

void tovAnglerLookIFace::AddButtons()
{
    auto link = [this](int32_t id, int32_t x, int32_t y, uint32_t normal, uint32_t lit, uint32_t sound, int32_t to)
    { AddButton(new tovShellButton(x, y, normal, lit, sound, [this, to] { m_nextScreen = to; }), id); };
    link(1, 425, 17, 550, 551, 6183, kRecordScreen);
    link(2, 525, 17, 552, 553, 6183, kTackleBoxScreen);
    link(5, 156, 432, 23, 22, 6183, kProfilesScreen);
    link(13, 91, 12, 571, 572, 6183, kOptionsScreen);
    AddButton(new tovShellButton(53, 441, 18, 17, 6188, [this] { Back(); }), 6);
    for (const Arrow& a : kArrows)
    {
        const int32_t look = a.look;
        const int32_t delta = a.up ? 1 : -1;
        AddButton(new tovShellButton(a.x, a.y, a.up ? 14 : 12, a.up ? 13 : 11, a.sound,
                                     [this, look, delta] { StepLook(look, delta); }),
                  a.id);
    }
    for (int32_t id : {kMaleButton, kFemaleButton})
    {
        auto* button =
            new tovShellButton(281, id == kMaleButton ? 375 : 345, 45, 46, 6187, [this, id] { SetGender(id, false); });
        button->SetTogglePictures(45, 46, 48, 47);
        button->m_transparent = 1;
        AddButton(button, id);
    }
}

void tovAnglerLookIFace::Enter(int32_t previousId)
{
    m_nextScreen = 0;
    // Back from the help picture the visit goes on: Back still puts back the values of its start.
    const bool visit = !IsBackFromLook(previousId);
    if (visit)
        m_preview.SetRotate(true);
    tovUserProfile& profile = TheUserProfile();
    m_genderButton = profile.GetGender() ? kFemaleButton : kMaleButton;
    AddButtons();
    m_background = Picture(kBackground);
    ShowAppCursor(true);
    SetGender(m_genderButton, true);
    UnloadGroup(kGroup);
    if (QrRender* renderer = Renderer())
        renderer->SetBackgroundColor(QrPoint3(0.0f, 0.0f, 0.0f));
    if (visit)
    {
        m_savedGender = profile.GetGender();
        for (int32_t i = 0; i < 3; ++i)
            m_savedLooks[i] = profile.GetLook(i);
    }
    m_preview.StepLook1(0);
    m_preview.StepLook2(0);
    m_preview.StepLook3(0);
    m_preview.AttachAngler();
}

void tovAnglerLookIFace::Leave(int32_t)
{
    m_background = nullptr;
    ClearButtons();
    ReleaseAnglerFaceTextures();
}

void tovAnglerLookIFace::Exit(int32_t)
{
    ShowAppCursor(false);
}

void tovAnglerLookIFace::SetGender(int32_t buttonId, bool forced)
{
    if (buttonId == m_genderButton && !forced)
        return;
    m_genderButton = buttonId == kFemaleButton ? kFemaleButton : kMaleButton;
    const bool female = m_genderButton == kFemaleButton;
    if (ButtonObj* male = GetButton(kMaleButton))
        male->SetSelected(!female);
    if (ButtonObj* button = GetButton(kFemaleButton))
        button->SetSelected(female);
    tovUserProfile& profile = TheUserProfile();
    profile.SetGender(female ? 1 : 0);
    if (!forced)
        m_preview.AttachAngler();
    SaveUserProfile(profile);
}

void tovAnglerLookIFace::StepLook(int32_t look, int32_t delta)
{
    if (look == tovAnglerLookPreview::kLook1)
        m_preview.StepLook1(delta);
    else if (look == tovAnglerLookPreview::kLook2)
        m_preview.StepLook2(delta);
    else
        m_preview.StepLook3(delta);
}

void tovAnglerLookIFace::Back()
{
    tovUserProfile& profile = TheUserProfile();
    profile.SetGender(m_savedGender);
    for (int32_t i = 0; i < 3; ++i)
        profile.SetLook(i, m_savedLooks[i]);
    m_preview.StepLook1(0);
    m_preview.StepLook2(0);
    m_preview.StepLook3(0);
    SetGender(m_savedGender ? kFemaleButton : kMaleButton, true);
    // A forced gender leaves the figure; the figure of entry goes back into the boat.
    m_preview.AttachAngler();
    m_nextScreen = kProfilesScreen;
    SaveUserProfile(profile);
}

int32_t tovAnglerLookIFace::Update(float now, float elapsed)
{
    if (!CanDraw())
        return m_nextScreen;
    m_preview.RefreshViewport();
    if (WasButtonReleased(0))
    {
        const plat::Point pos = GetMousePos();
        if (pos.x >= 79 && pos.x < 592 && pos.y >= 65 && pos.y < 330)
            m_preview.SetRotate(!m_preview.GetRotate());
    }
    DrawPicture(m_background.Get(), 0, 0);
    DrawButtons();
    m_preview.Step(now, elapsed);
    m_preview.Render(now, elapsed);
    UpdateMessageScreen(now, elapsed);
    Present();
    return m_nextScreen;
}
