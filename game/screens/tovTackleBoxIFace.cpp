#include "tovTackleBoxIFace.h"

#include "tovMessageBox.h"
#include "tovShellButton.h"
#include "tovSoundSettings.h"
#include "tovUserProfile.h"

#include <algorithm>

namespace
{

tovTackleBoxIFace* g_instance = nullptr;

using T = tovTackleSet;

constexpr uint32_t kPageGroup = 20;
constexpr uint32_t kLureGroup = 23;
constexpr uint32_t kTabSound = 6186;
constexpr uint32_t kDownSound = 6184;
constexpr uint32_t kUpSound = 6185;
constexpr uint32_t kOkSound = 6183;
constexpr uint32_t kCancelSound = 6188;
constexpr uint32_t kToggleSound = 6187;

constexpr int32_t kRodPageIds[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 16, 17, 18, 14, 15, 37, 38};
constexpr int32_t kLurePageIds[] = {19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36};
constexpr int32_t kTabX[] = {35, 123, 206, 289, 372, 455, 538};
// Seven slots per item; the family's other items share their row.
constexpr int32_t kFamily2Colours[3][6] = {
    {2090, 2064, 2072, 2061, 2065, 2073}, {2059, 2063, 2071, -1, -1, -1}, {2088, 2089, 2086, 2087, 2084, 2085}};
constexpr uint32_t kFixedPictures[][2] = {{698, 699}, {700, 733}, {762, 775}};

int32_t Wrap(int32_t value, int32_t step, int32_t count)
{
    if (count <= 0)
        return 0;
    // Values off the table restart at its first entry.
    if (value < 0 || value >= count)
        return 0;
    return ((value + step) % count + count) % count;
}

// The stepping of pound tests and line colours over a kind's slots.
int32_t StepSlot(std::span<const int32_t> slots, int32_t value, int32_t step)
{
    if (slots.empty())
        return value;
    const auto it = std::find(slots.begin(), slots.end(), value);
    if (it == slots.end())
        return slots.front();
    const auto p = static_cast<size_t>(it - slots.begin());
    if (step < 0)
        return p == 0 ? slots.back() : slots[p - 1];
    return p + 1 < slots.size() ? slots[p + 1] : slots.front();
}

int32_t& Value(T::RodSet& rod, int32_t index)
{
    return rod[static_cast<size_t>(index)];
}

} // namespace

tovTackleBoxIFace::tovTackleBoxIFace()
{
    g_instance = this;
}

tovTackleBoxIFace::~tovTackleBoxIFace()
{
    if (g_instance == this)
        g_instance = nullptr;
}

tovTackleBoxIFace* tovTackleBoxIFace::GetInstance()
{
    return g_instance;
}

tovTackleSet::RodSet& tovTackleBoxIFace::Rod()
{
    tovTackleSet& set = TheTackleSet();
    return set.GetRod(set.GetCurrentRod());
}

void tovTackleBoxIFace::StepGear(T::RodSet& rod, int32_t step)
{
    if (rod[T::kGearView] == 0)
        Value(rod, T::kFirstGear) = Wrap(rod[T::kFirstGear], step, 5);
    else
        Value(rod, T::kSecondGear) = Wrap(rod[T::kSecondGear], step, 4);
}

void tovTackleBoxIFace::StepPoundTest(T::RodSet& rod, int32_t step)
{
    Value(rod, T::kPoundTest) = StepSlot(T::PoundTests(rod[T::kLineKind]), rod[T::kPoundTest], step);
}

void tovTackleBoxIFace::StepLineKind(T::RodSet& rod, int32_t step)
{
    Value(rod, T::kLineKind) = Wrap(rod[T::kLineKind], step, T::kLineKinds);
    ResetLineChoice(rod);
}

void tovTackleBoxIFace::StepLineColour(T::RodSet& rod, int32_t step)
{
    Value(rod, T::kLineColour) = StepSlot(T::LineColours(rod[T::kLineKind]), rod[T::kLineColour], step);
}

void tovTackleBoxIFace::ResetLineChoice(T::RodSet& rod)
{
    const auto tests = T::PoundTests(rod[T::kLineKind]);
    const auto colours = T::LineColours(rod[T::kLineKind]);
    if (!tests.empty())
        Value(rod, T::kPoundTest) = tests.front();
    if (!colours.empty())
        Value(rod, T::kLineColour) = colours.front();
}

void tovTackleBoxIFace::StepItem(T::RodSet& rod, int32_t step)
{
    const int32_t family = rod[T::kFamily];
    if (family < 0 || family >= T::kFamilies)
        return;
    int32_t& item = Value(rod, T::kFirstItem + family);
    item = Wrap(item, step, T::ItemCount(family));
    Value(rod, T::kFirstColour + family) = 0;
}

void tovTackleBoxIFace::StepColour(T::RodSet& rod, int32_t step)
{
    const int32_t family = rod[T::kFamily];
    if (family < 0 || family >= T::kFamilies || family == 4)
        return;
    const int32_t item = rod[static_cast<size_t>(T::kFirstItem + family)];
    int32_t& colour = Value(rod, T::kFirstColour + family);
    colour = Wrap(colour, step, T::ColourCount(family, item));
}

void tovTackleBoxIFace::StepAddOn(T::RodSet& rod, int32_t step)
{
    Value(rod, T::kAddOn) = Wrap(rod[T::kAddOn], step, 13);
    Value(rod, T::kAddOnFlag) = T::WithLowByte(rod[T::kAddOnFlag], rod[T::kAddOn] != 0);
}

void tovTackleBoxIFace::Prepare(int32_t)
{
    LoadGroup(kPageGroup);
    LoadGroup(kLureGroup);
}

void tovTackleBoxIFace::AddArrow(int32_t id, int32_t x, int32_t y, bool right, void (*rule)(T::RodSet&, int32_t))
{
    AddButton(new tovShellButton(x, y, right ? 14 : 12, right ? 13 : 11, right ? kUpSound : kDownSound,
                                 [this, rule, right] { rule(Rod(), right ? 1 : -1); }),
              id);
}

void tovTackleBoxIFace::AddButtons()
{
    for (int32_t k = 0; k < T::kRods; ++k)
    {
        auto* tab = new tovShellButton(kTabX[k], 14, 734 + 4 * k, 735 + 4 * k, kTabSound, [this, k] { SelectRod(k); });
        tab->SetTogglePictures(734 + 4 * k, 735 + 4 * k, 736 + 4 * k, 737 + 4 * k);
        AddButton(tab, kFirstRodTab + k);
    }
    AddArrow(8, 99, 265, false, &StepGear);
    AddArrow(9, 223, 265, true, &StepGear);
    AddArrow(10, 276, 265, false, &StepPoundTest);
    AddArrow(11, 400, 265, true, &StepPoundTest);
    AddArrow(12, 276, 319, false, &StepLineKind);
    AddArrow(13, 400, 319, true, &StepLineKind);
    AddArrow(14, 276, 373, false, &StepLineColour);
    AddArrow(15, 400, 373, true, &StepLineColour);
    AddButton(new tovShellButton(438, 253, 660, 661, kOkSound, [this] { OpenLurePage(); }), kToLurePage);
    AddButton(new tovShellButton(53, 441, 18, 17, kCancelSound, [this] { CancelScreen(); }), kCancel);
    AddButton(new tovShellButton(156, 432, 25, 26, kOkSound, [this] { ConfirmScreen(); }), kConfirm);
    for (int32_t f = 0; f < T::kFamilies; ++f)
    {
        auto* family = new tovShellButton(590, 32 + 64 * f, 665 + 4 * f, 666 + 4 * f, kTabSound,
                                          [this, f] { SelectLureFamily(f); });
        family->SetTogglePictures(665 + 4 * f, 666 + 4 * f, 667 + 4 * f, 668 + 4 * f);
        AddButton(family, kFirstFamily + f);
    }
    AddArrow(25, 420, 116, false, &StepItem);
    AddArrow(26, 544, 116, true, &StepItem);
    AddArrow(kColourDown, 420, 170, false, &StepColour);
    AddArrow(kColourUp, 544, 170, true, &StepColour);
    const std::pair<int32_t, int32_t> toggles[] = {{kOptionOn, 332}, {kOptionOff, 367}};
    for (const auto& toggleAt : toggles)
    {
        const int32_t id = toggleAt.first;
        auto* toggle =
            new tovShellButton(437, toggleAt.second, 45, 46, kToggleSound, [this, id] { SetLureOption(id); });
        toggle->SetTogglePictures(45, 46, 47, 48);
        AddButton(toggle, id);
    }
    AddArrow(kAddOnDown, 420, 224, false, &StepAddOn);
    AddArrow(kAddOnUp, 544, 224, true, &StepAddOn);
    AddButton(new tovShellButton(156, 432, 25, 26, kOkSound, [this] { ConfirmLurePage(); }), kConfirmLure);
    AddButton(new tovShellButton(53, 441, 18, 17, kCancelSound, [this] { CancelLurePage(); }), kCancelLure);
    const std::pair<int32_t, int32_t> views[] = {{kGearView0, 343}, {kGearView1, 308}};
    for (const auto& viewAt : views)
    {
        const int32_t id = viewAt.first;
        auto* toggle =
            new tovShellButton(101, viewAt.second, 45, 46, kToggleSound, [this, id] { SetGearView(id - kGearView0); });
        toggle->SetTogglePictures(45, 46, 47, 48);
        AddButton(toggle, id);
    }
}

void tovTackleBoxIFace::Enter(int32_t previousId)
{
    // Back from the help picture the visit goes on: its return screen, and the rods as edited.
    const bool visit = TakeWayBack(previousId);
    m_nextScreen = 0;
    tovTackleSet& set = TheTackleSet();
    if (visit)
        set.LoadFromProfile(TheUserProfile());
    AddButtons();
    for (const auto& range : kFixedPictures)
        for (uint32_t id = range[0]; id <= range[1]; ++id)
            Cached(id);
    SelectRod(set.GetCurrentRod());
    SelectLureFamily(Rod()[T::kFamily]);
    SetLureOption(m_lastOption);
    ShowAppCursor(true);
    UnloadGroup(kPageGroup);
    SetGearView(Rod()[T::kGearView]);
}

void tovTackleBoxIFace::Leave(int32_t)
{
    m_pictures.clear();
    m_background = nullptr;
    ClearButtons();
}

void tovTackleBoxIFace::Exit(int32_t nextId)
{
    UnloadGroup(kLureGroup);
    m_nextScreen = nextId;
    ShowAppCursor(true);
}

void tovTackleBoxIFace::Enable(int32_t id, bool on)
{
    if (ButtonObj* button = GetButton(id))
        button->m_disabled = on ? 0 : 1;
}

void tovTackleBoxIFace::Light(int32_t id, bool on)
{
    if (ButtonObj* button = GetButton(id))
        button->SetSelected(on);
}

void tovTackleBoxIFace::SelectRod(int32_t rod)
{
    tovTackleSet& set = TheTackleSet();
    set.SetCurrentRod(rod);
    for (int32_t k = 0; k < T::kRods; ++k)
        Light(kFirstRodTab + k, k == set.GetCurrentRod());
    SetGearView(Rod()[T::kGearView]);
}

void tovTackleBoxIFace::SelectLureFamily(int32_t family)
{
    T::RodSet& rod = Rod();
    for (int32_t id : {kAddOnDown, kAddOnUp, kColourUp, kColourDown})
        Enable(id, true);
    Value(rod, T::kFamily) = family;
    for (int32_t f = 0; f < T::kFamilies; ++f)
        Light(kFirstFamily + f, f == family);
    const bool inRange = family >= 0 && family < T::kFamilies;
    if (family == 4)
    {
        Enable(kColourUp, false);
        Enable(kColourDown, false);
    }
    if (family == 0 || family == 2 || family == 4)
    {
        Enable(kAddOnDown, false);
        Enable(kAddOnUp, false);
        Value(rod, T::kAddOnFlag) = T::WithLowByte(rod[T::kAddOnFlag], false);
        Value(rod, T::kAddOn) = 0;
    }
    if (inRange && (family == 0 || family == 2 || family == 4))
        Value(rod, T::kFirstColour + family) = 0;
}

void tovTackleBoxIFace::SetLureOption(int32_t button)
{
    m_lastOption = button;
    if (button != kOptionOff && button != kOptionOn)
        return;
    Light(kOptionOff, button == kOptionOff);
    Light(kOptionOn, button == kOptionOn);
    Value(Rod(), T::kLureOption) = T::WithLowByte(Rod()[T::kLureOption], button == kOptionOn);
}

void tovTackleBoxIFace::SetGearView(int32_t view)
{
    Value(Rod(), T::kGearView) = view;
    Light(kGearView0, view == 0);
    Light(kGearView1, view == 1);
}

void tovTackleBoxIFace::OpenLurePage()
{
    m_copy = Rod();
    m_rodPage = false;
    SelectLureFamily(Rod()[T::kFamily]);
}

void tovTackleBoxIFace::ConfirmLurePage()
{
    m_rodPage = true;
    tovUserProfile& profile = TheUserProfile();
    TheTackleSet().StoreInProfile(profile);
    SaveUserProfile(profile);
}

void tovTackleBoxIFace::CancelLurePage()
{
    Rod() = m_copy;
    SelectLureFamily(Rod()[T::kFamily]);
    m_rodPage = true;
}

void tovTackleBoxIFace::ConfirmScreen()
{
    m_nextScreen = m_returnScreen;
    tovTackleSet& set = TheTackleSet();
    set.SetReload(true);
    tovUserProfile& profile = TheUserProfile();
    set.StoreInProfile(profile);
    SaveUserProfile(profile);
}

void tovTackleBoxIFace::CancelScreen()
{
    TheTackleSet().SetReload(false);
    m_nextScreen = m_returnScreen;
}

void tovTackleBoxIFace::HandleMouse(QrRender* renderer)
{
    const plat::Point pos = GetMousePos();
    int32_t message = kMouseMove;
    if (WasButtonPressed(0))
        message = kLeftDown;
    else if (WasButtonReleased(0))
        message = kLeftUp;
    const std::span<const int32_t> ids =
        m_rodPage ? std::span<const int32_t>(kRodPageIds) : std::span<const int32_t>(kLurePageIds);
    for (int32_t id : ids)
        RouteMouseMessage(message, pos.x, pos.y, GetButton(id), renderer);
}

QrImage* tovTackleBoxIFace::Cached(uint32_t id)
{
    auto it = m_pictures.find(id);
    if (it == m_pictures.end())
        it = m_pictures.emplace(id, Picture(id)).first;
    return it->second.Get();
}

void tovTackleBoxIFace::Draw(uint32_t id, int32_t x, int32_t y)
{
    DrawPicture(Cached(id), x, y);
}

void tovTackleBoxIFace::DrawRodPage()
{
    const T::RodSet& rod = Rod();
    Draw(698, 0, 0);
    // Values off their picture sets draw nothing.
    if (rod[T::kLineColour] >= 1 && rod[T::kLineColour] <= 4)
        Draw(700 + static_cast<uint32_t>(rod[T::kLineColour] - 1), 300, 366);
    if (rod[T::kLineKind] >= 0 && rod[T::kLineKind] < T::kLineKinds)
        Draw(704 + static_cast<uint32_t>(rod[T::kLineKind]), 300, 311);
    Draw(708 + static_cast<uint32_t>(TheTackleSet().GetCurrentRod()), 233, 56);
    if (rod[T::kPoundTest] >= 1 && rod[T::kPoundTest] <= 13)
        Draw(715 + static_cast<uint32_t>(rod[T::kPoundTest]), 328, 256);
    if (const int32_t id = T::RodPagePictureId(rod))
        Draw(static_cast<uint32_t>(id), 438, 111);
    Draw(769 + (T::LowByteFlag(rod[T::kLureOption]) ? 1 : 0) + (T::LowByteFlag(rod[T::kAddOnFlag]) ? 2 : 0), 438, 210);
    if (rod[T::kGearView] == 0 && rod[T::kFirstGear] >= 0 && rod[T::kFirstGear] < 5)
        Draw(1001 + static_cast<uint32_t>(rod[T::kFirstGear]), 90, 111);
    else if (rod[T::kGearView] == 1 && rod[T::kSecondGear] >= 0 && rod[T::kSecondGear] < 4)
        Draw(1036 + static_cast<uint32_t>(rod[T::kSecondGear]), 90, 111);
}

void tovTackleBoxIFace::DrawLurePage()
{
    const T::RodSet& rod = Rod();
    const int32_t family = rod[T::kFamily];
    Draw(699, 0, 0);
    if (family >= 1 && family < T::kFamilies)
        Draw(729 + static_cast<uint32_t>(family - 1), 139, 38);
    if (rod[T::kAddOn] >= 0 && rod[T::kAddOn] < 13)
        Draw(2000 + static_cast<uint32_t>(rod[T::kAddOn]), 128, 310);
    const ButtonObj* addOn = GetButton(kAddOnDown);
    if (addOn && addOn->m_disabled)
        Draw(768, 405, 212);
    const ButtonObj* colour = GetButton(kColourDown);
    if (colour && colour->m_disabled)
        Draw(773, 405, 158);
    if (const int32_t id = T::LureRecordId(rod))
        Draw(static_cast<uint32_t>(id), 125, 96);
    if (family < 0 || family >= T::kFamilies)
        return;
    const int32_t item = rod[static_cast<size_t>(T::kFirstItem + family)];
    const int32_t c = rod[static_cast<size_t>(T::kFirstColour + family)];
    if (c < 0 || c >= T::ColourCount(family, item))
        return;
    switch (family)
    {
    case 0:
        Draw(774 + static_cast<uint32_t>(c), 132, 272);
        break;
    case 1:
        Draw(c == 0 ? 763 : 765, 132, 272);
        break;
    case 2:
    {
        const int32_t row = item < 10 ? 0 : item < 13 ? 1 : 2;
        Draw(static_cast<uint32_t>(kFamily2Colours[row][c]), 132, 272);
        break;
    }
    case 3:
        Draw(c == 0 ? 762 : c == 1 ? 763 : 765, 132, 272);
        break;
    case 5:
        Draw(762 + static_cast<uint32_t>(c), 132, 272);
        break;
    default:
        break;
    }
}

int32_t tovTackleBoxIFace::Update(float now, float elapsed)
{
    if (!CanDraw())
        return m_nextScreen;
    if (m_rodPage)
        DrawRodPage();
    else
        DrawLurePage();
    HandleMouse(Renderer());
    UpdateMessageScreen(now, elapsed);
    Present();
    return m_nextScreen;
}
