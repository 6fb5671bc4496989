#include "tovOptionsIFace.h"

#include "tovMessageBox.h"
#include "tovShellButton.h"
#include "tovSoundSettings.h"
#include "tovUserProfile.h"
#include "tovWorldServices.h"

#include <algorithm>
#include <cmath>

namespace
{

tovOptionsIFace* g_instance = nullptr;

constexpr uint32_t kGroup = 16;
constexpr uint32_t kBackground = 523;
constexpr uint32_t kFirstBar = 524;
constexpr uint32_t kDownSound = 6184;
constexpr uint32_t kUpSound = 6185;
constexpr uint32_t kCancelSound = 6188;
constexpr uint32_t kOkSound = 6183;
constexpr int32_t kDecreaseX = 465;
constexpr int32_t kIncreaseX = 589;
constexpr int32_t kRowY[6] = {61, 120, 179, 238, 297, 356};
constexpr int32_t kInactiveButtons[] = {1, 2, 9, 10, 11, 12};
constexpr const char* kRestartNotice = "You must restart the game in order for the graphics settings to take effect.";

int32_t Wrap4(int32_t level)
{
    return (level % 4 + 4) % 4;
}

} // namespace

tovOptionsIFace::tovOptionsIFace()
{
    g_instance = this;
}

tovOptionsIFace::~tovOptionsIFace()
{
    if (g_instance == this)
        g_instance = nullptr;
}

tovOptionsIFace* tovOptionsIFace::GetInstance()
{
    return g_instance;
}

int32_t tovOptionsIFace::VolumeLevel(float volume)
{
    if (std::isnan(volume) || std::fabs(volume) < 1.1920929e-06f)
        return -1;
    const double v = volume == 1.0f ? 0.99999 : double(volume);
    return static_cast<int32_t>(std::clamp(std::floor(15.0 * v), -1.0, 14.0));
}

int32_t tovOptionsIFace::DetailLevel(float value)
{
    if (value == 0.0f || std::isnan(value))
        return -1;
    // A profile may hold any value: the level stays on the bar's scale.
    const double level = -1.0 - std::trunc(double(value * -15.0f));
    return static_cast<int32_t>(std::clamp(level, -1.0, 14.0));
}

float tovOptionsIFace::DetailValue(int32_t level)
{
    // In single precision the top of the bar, 15 × 0.06666667, is exactly 1: the profile's bound.
    return level + 1 >= 1 ? float(level + 1) * 0.06666667f : 0.0f;
}

void tovOptionsIFace::Prepare(int32_t)
{
    LoadGroup(kGroup);
}

void tovOptionsIFace::AddButtons()
{
    struct Row
    {
        int32_t* level;
        void (*step)(int32_t);
    };
    auto add = [this](int32_t id, int32_t x, int32_t row, uint32_t hover, uint32_t pressed, uint32_t inactive,
                      uint32_t sound, tovShellButton::Action action)
    {
        auto* button = new tovShellButton(x, kRowY[row], hover, pressed, sound, std::move(action));
        if (inactive)
            button->SetDisabledPicture(inactive);
        AddButton(button, id);
    };
    add(1, kDecreaseX, 0, 12, 11, 95, kDownSound, [this] { m_effectSounds ^= 1; });
    add(2, kIncreaseX, 0, 14, 13, 96, kUpSound, [this] { m_effectSounds ^= 1; });
    add(3, kDecreaseX, 1, 12, 11, 0, kDownSound, [this] { StepVolume(m_volume2Level, -1, &StepSoundVolume2); });
    add(4, kIncreaseX, 1, 14, 13, 0, kUpSound, [this] { StepVolume(m_volume2Level, 1, &StepSoundVolume2); });
    add(5, kDecreaseX, 2, 12, 11, 0, kDownSound, [this] { StepVolume(m_volume1Level, -1, &StepSoundVolume1); });
    add(6, kIncreaseX, 2, 14, 13, 0, kUpSound, [this] { StepVolume(m_volume1Level, 1, &StepSoundVolume1); });
    add(7, kDecreaseX, 3, 12, 11, 0, kDownSound, [this] { m_detailLevel = std::max(m_detailLevel - 1, -1); });
    add(8, kIncreaseX, 3, 14, 13, 0, kUpSound, [this] { m_detailLevel = std::min(m_detailLevel + 1, 14); });
    add(9, kDecreaseX, 4, 12, 11, 95, kDownSound, [this] { m_dayLength = Wrap4(m_dayLength - 1); });
    add(10, kIncreaseX, 4, 14, 13, 96, kUpSound, [this] { m_dayLength = Wrap4(m_dayLength + 1); });
    add(11, kDecreaseX, 5, 12, 11, 95, kDownSound, [this] { m_tournamentLength = Wrap4(m_tournamentLength - 1); });
    add(12, kIncreaseX, 5, 14, 13, 96, kUpSound, [this] { m_tournamentLength = Wrap4(m_tournamentLength + 1); });
    AddButton(new tovShellButton(53, 441, 18, 17, kCancelSound, [this] { Cancel(); }), kCancel);
    AddButton(new tovShellButton(156, 432, 23, 22, kOkSound, [this] { Apply(); }), kOk);
}

void tovOptionsIFace::StepVolume(int32_t& level, int32_t steps, void (*step)(int32_t))
{
    if (steps < 0)
    {
        // At the bottom the step is still asked for: the volume clamps at 0.
        level = std::max(level - 1, -1);
        step(-1);
    }
    else if (level + 1 < kLevels)
    {
        ++level;
        step(1);
    }
}

void tovOptionsIFace::Enter(int32_t previousId)
{
    tovUserProfile& profile = TheUserProfile();
    // Back from the restart notice or from the help picture (a look aside, which also keeps the
    // way back), the visit goes on as it was: its rows as stepped, Cancel putting back the
    // volumes of its start.
    if (previousId != kMessageScreenId && TakeWayBack(previousId))
    {
        m_pendingDetail = profile.GetStoredDetail();
        m_noticeShown = false;
        m_entryVolume1 = GetSoundVolume1();
        m_entryVolume2 = GetSoundVolume2();
        m_volume2Level = VolumeLevel(m_entryVolume2);
        m_volume1Level = VolumeLevel(m_entryVolume1);
        m_detailLevel = DetailLevel(m_pendingDetail);
    }
    AddButtons();
    m_background = Picture(kBackground);
    for (int32_t i = 0; i < kLevels; ++i)
        m_bars[static_cast<size_t>(i)] = Picture(kFirstBar + static_cast<uint32_t>(i));
    m_nextScreen = 0;
    ShowAppCursor(true);
    UnloadGroup(kGroup);
    m_effectSounds = profile.GetEffectSounds() ? 1 : 0;
    m_dayLength = profile.GetSetting0(false);
    m_tournamentLength = profile.GetSetting1(false);
    for (int32_t id : kInactiveButtons)
        if (ButtonObj* button = GetButton(id))
            button->m_disabled = 1;
}

void tovOptionsIFace::Cancel()
{
    m_nextScreen = m_returnScreen;
    SetSoundVolume2(m_entryVolume2);
    SetSoundVolume1(m_entryVolume1);
}

void tovOptionsIFace::Apply()
{
    tovUserProfile& profile = TheUserProfile();
    m_pendingDetail = DetailValue(m_detailLevel);
    tovWorldServices* world = GetWorldServices();
    const bool gameStarted = world && world->GetScene();
    if (!m_noticeShown && gameStarted && profile.GetDetail() != m_pendingDetail)
    {
        m_noticeShown = true;
        ShowMessage(kMessageOk, nullptr, reinterpret_cast<uintptr_t>(this), kRestartNotice);
        return;
    }
    m_nextScreen = m_returnScreen;
    profile.SetLoaded(true);
    profile.SetOptionFlag(true);
    profile.SetStoredDetail(m_pendingDetail);
    profile.SetVolume2(GetSoundVolume2());
    profile.SetVolume1(GetSoundVolume1());
    profile.SetEffectSounds(m_effectSounds != 0);
    profile.SetSetting0(m_dayLength);
    profile.SetSetting1(m_tournamentLength);
    SaveUserProfile(profile);
}

void tovOptionsIFace::Leave(int32_t)
{
    m_background = nullptr;
    for (auto& bar : m_bars)
        bar = nullptr;
    ClearButtons();
}

void tovOptionsIFace::Exit(int32_t)
{
    m_nextScreen = 0;
    ShowAppCursor(false);
}

int32_t tovOptionsIFace::Update(float now, float elapsed)
{
    if (!CanDraw())
        return m_nextScreen;
    DrawPicture(m_background.Get(), 0, 0);
    const std::pair<int32_t, int32_t> bars[] = {{m_volume2Level, 129}, {m_volume1Level, 188}, {m_detailLevel, 247}};
    for (const auto& [level, y] : bars)
        if (level >= 0 && level < kLevels)
            DrawPicture(m_bars[static_cast<size_t>(level)].Get(), 499, y);
    DrawButtons();
    UpdateMessageScreen(now, elapsed);
    Present();
    return m_nextScreen;
}
