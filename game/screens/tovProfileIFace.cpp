#include "tovProfileIFace.h"

#include "ButtonObj.h"
#include "FileHelpers.h"
#include "KeyNumbers.h"
#include "WindowMessage.h"
#include "qrxBaseApp.h"
#include "qrxFloatingText.h"
#include "qrxKeyMapper.h"
#include "qrxRect.h"
#include "qrxTextEditor.h"
#include "tovAppServices.h"
#include "tovInstallSettings.h"
#include "tovMessageBox.h"
#include "tovNetFacade.h"
#include "tovShellButton.h"
#include "tovSoundSettings.h"
#include "tovUserProfile.h"

#include "ByteReader.h"
#include "ByteWriter.h"
#include "Font.h"

#include <algorithm>

namespace
{

tovProfileIFace* g_prepared = nullptr;

constexpr uint32_t kGroup = 18;
constexpr uint32_t kBackground = 609;
constexpr uint32_t kPanel = 608;
constexpr int32_t kLimits[tovProfileIFace::kFieldCount] = {tovUserProfile::kNameFieldLength, 25, 15};
constexpr int32_t kFieldX = 100;
constexpr int32_t kFieldY[tovProfileIFace::kFieldCount] = {181, 221, 258};
struct Box
{
    int32_t left, top, right, bottom;
};
constexpr Box kFieldBoxes[tovProfileIFace::kFieldCount] = {
    {90, 178, 625, 205}, {90, 217, 625, 244}, {90, 254, 366, 281}};
constexpr int32_t kRowLeft = 111;
constexpr int32_t kRowRight = 524;
constexpr int32_t kRowTop = 105;
constexpr int32_t kRowPitch = 41;
constexpr int32_t kRowHeight = 22;

constexpr int32_t kTitleScreen = 1;
constexpr int32_t kSetupScreen = tovAppServices::kSetUpId;
constexpr int32_t kAnglerLookScreen = 6;
constexpr int32_t kExitScreen = 24;

constexpr int32_t kListButtons[] = {tovProfileIFace::kSelect,     tovProfileIFace::kNew,    tovProfileIFace::kBack,
                                    tovProfileIFace::kTournament, tovProfileIFace::kPageUp, tovProfileIFace::kPageDown,
                                    tovProfileIFace::kDelete};
constexpr int32_t kCreateButtons[] = {tovProfileIFace::kCancel, tovProfileIFace::kCreate};

const plat::ColorRef kWhite = plat::MakeColorRef(255, 255, 255);
const plat::ColorRef kGreen = plat::MakeColorRef(0, 255, 0);

std::string WantedPath(const std::string& name)
{
    return UsersFilePath((name + ".wuo").c_str());
}

// The file name without folder and extension.
std::string NameOf(const std::string& path)
{
    const size_t slash = path.find_last_of("/\\");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos)
        name.erase(dot);
    return name;
}

bool Inside(const Box& box, plat::Point p)
{
    return p.x >= box.left && p.x < box.right && p.y >= box.top && p.y < box.bottom;
}

// The program's start values for the name and home texts.
void MakeDefaultProfile(tovUserProfile& profile)
{
    const tovUserProfile fresh;
    profile.SetName(fresh.GetName(), true);
    profile.SetTown(fresh.GetTown());
    profile.SetState(fresh.GetState());
}

} // namespace

tovProfileIFace::tovProfileIFace() : m_font(plat::Font::Create("Verdana", 18, 400)) {}

tovProfileIFace::~tovProfileIFace()
{
    if (g_prepared == this)
        g_prepared = nullptr;
}

bool tovProfileIFace::IsValidProfileName(const std::string& name)
{
    return tovUserProfile::IsTypedName(name);
}

void tovProfileIFace::Prepare(int32_t)
{
    g_prepared = this;
    LoadGroup(kGroup);
}

void tovProfileIFace::Enter(int32_t previousId)
{
    m_createMode = false;
    MakeButtons();
    m_background = Picture(kBackground);
    m_panel = Picture(kPanel);
    m_nextScreen = 0;
    ShowAppCursor(true);
    UnloadGroup(kGroup);
    MakeFields();
    m_focus = 0;
    // Back from the help picture the visit goes on: the row the player chose stays chosen, and
    // the network dialog is not put up again.
    if (IsBackFromLook(previousId))
    {
        Scan("");
        return;
    }
    m_sessionTried = false;
    m_selected = 0;
    m_firstShown = 0;
    Scan(TheUserProfile().GetName());
}

void tovProfileIFace::MakeButtons()
{
    AddButton(new tovShellButton(510, 20, 600, 601, 6183, [this] { UseSelected(kAnglerLookScreen, false); }), kSelect);
    AddButton(new tovShellButton(77, 30, 602, 603, 6183, [this] { StartCreate(); }), kNew);
    if (IsNetworkLaunch())
    {
        auto* quit = new tovShellButton(53, 441, 107, 108, 6188, [this] { m_nextScreen = kExitScreen; });
        quit->SetDisabledPicture(109);
        AddButton(quit, kBack);
    }
    else
        AddButton(new tovShellButton(53, 441, 18, 17, 6188, [this] { m_nextScreen = kTitleScreen; }), kBack);
    AddButton(new tovShellButton(156, 432, 23, 22, 6183, [this] { UseSelected(kSetupScreen, true); }), kTournament);
    AddButton(new tovShellButton(387, 287, 604, 605, 6183, [this] { EndCreate(); }), kCancel);
    AddButton(new tovShellButton(488, 275, 606, 607, 6183, [this] { CreateProfile(); }), kCreate);
    AddButton(new tovShellButton(576, 167, 57, 58, 6183, [this] { m_firstShown = std::max(0, m_firstShown - kRows); }),
              kPageUp);
    AddButton(new tovShellButton(576, 290, 59, 60, 6183,
                                 [this]
                                 {
                                     if (m_firstShown + kRows < static_cast<int32_t>(m_entries.size()))
                                         m_firstShown += kRows;
                                 }),
              kPageDown);
    AddButton(new tovShellButton(510, 59, 610, 611, 6183, [this] { ConfirmDelete(); }), kDelete);
}

void tovProfileIFace::MakeFields()
{
    for (int32_t i = 0; i < kFieldCount; ++i)
    {
        auto& field = m_fields[static_cast<size_t>(i)];
        field = std::make_unique<qrxTextEditor>(m_font.get(), kWhite, kFieldX, kFieldY[i]);
        field->m_maxLength = kLimits[i];
        field->m_hook = this;
        const Box& b = kFieldBoxes[i];
        m_fieldFrames[static_cast<size_t>(i)] = std::make_unique<qrxRect>(b.left, b.top, b.right, b.bottom, kGreen);
    }
    for (int32_t k = 0; k < kRows; ++k)
    {
        const int32_t top = kRowTop + kRowPitch * k;
        m_rowTexts[static_cast<size_t>(k)] = std::make_unique<qrxFloatingText>(m_font.get(), kWhite);
        m_rowFrames[static_cast<size_t>(k)] =
            std::make_unique<qrxRect>(kRowLeft, top, kRowRight, top + kRowHeight, kGreen);
    }
}

void tovProfileIFace::Leave(int32_t)
{
    m_background = nullptr;
    m_panel = nullptr;
    ClearButtons();
    for (auto& field : m_fields)
        field.reset();
    for (auto& frame : m_fieldFrames)
        frame.reset();
    for (auto& frame : m_rowFrames)
        frame.reset();
    for (auto& text : m_rowTexts)
        text.reset();
    m_entries.clear();
    if (g_prepared == this)
        g_prepared = nullptr;
}

void tovProfileIFace::Exit(int32_t)
{
    if (qrxTextEditor* focused = GetField(m_focus))
        focused->KillFocus();
    m_nextScreen = 0;
    ShowAppCursor(false);
}

qrxTextEditor* tovProfileIFace::GetField(int32_t field) const
{
    if (field < 0 || field >= kFieldCount)
        return nullptr;
    return m_fields[static_cast<size_t>(field)].get();
}

std::vector<std::string> tovProfileIFace::GetNames() const
{
    std::vector<std::string> names;
    for (const std::string& path : m_entries)
        names.push_back(NameOf(path));
    return names;
}

void tovProfileIFace::Scan(const std::string& wanted)
{
    m_entries.clear();
    const std::string pattern = UsersFilePath("*.wuo");
    const std::string folder = UsersFilePath("");
    struct Context
    {
        std::vector<std::string>* entries;
        const std::string* folder;
    } context{&m_entries, &folder};
    EnumFiles(
        pattern.c_str(),
        [](const char* file, void* c)
        {
            auto* ctx = static_cast<Context*>(c);
            ctx->entries->push_back(*ctx->folder + file);
            return true;
        },
        &context);
    // No name wanted: the selection stays.
    if (wanted.empty())
        return;
    const std::string path = WantedPath(wanted);
    const auto found = std::find(m_entries.begin(), m_entries.end(), path);
    if (found == m_entries.end())
        return;
    m_selected = static_cast<int32_t>(found - m_entries.begin());
    m_firstShown = m_selected / kRows * kRows;
}

void tovProfileIFace::RebuildList()
{
    tovProfileIFace* self = g_prepared;
    if (!self)
        return;
    self->m_entries.clear();
    self->m_selected = 0;
    self->m_firstShown = 0;
    self->Scan(TheUserProfile().GetName());
    if (!self->m_entries.empty())
        return;
    MakeDefaultProfile(TheUserProfile());
    TheUserProfile().SetDefaults(false);
    self->Scan(TheUserProfile().GetName());
}

void tovProfileIFace::UseSelected(int32_t nextScreen, bool sendName)
{
    m_nextScreen = nextScreen;
    if (m_entries.empty())
        return;
    const int32_t index = std::clamp(m_selected, 0, static_cast<int32_t>(m_entries.size()) - 1);
    tovUserProfile& profile = TheUserProfile();
    plat::ByteWriter before;
    profile.WriteBody(before);
    const std::string previousName = profile.GetName();
    profile.SetName(NameOf(m_entries[static_cast<size_t>(index)]).c_str(), true);
    if (LoadUserProfile(profile) == tovProfileLoad::kRefused)
    {
        // As at start-up: nothing is written over the file until the player says so.
        m_nextScreen = 0;
        m_damaged.nextScreen = nextScreen;
        m_damaged.sendName = sendName;
        m_damaged.previousBody = before.Buffer();
        m_damaged.previousName = previousName;
        m_damaged.question =
            "Player profile " + std::string(profile.GetName()) + " could not be read.\nMake a new one in its place?";
        ShowMessage(kMessageTwoAnswers, &OnDamagedAnswer, reinterpret_cast<uintptr_t>(this),
                    m_damaged.question.c_str());
        return;
    }
    if (sendName && IsNetworkLaunch())
        NetChangePlayerName(profile.GetName());
}

bool tovProfileIFace::OnDamagedAnswer(int32_t answer, uintptr_t argument)
{
    auto* self = reinterpret_cast<tovProfileIFace*>(argument);
    if (g_prepared != self)
        return true;
    tovUserProfile& profile = TheUserProfile();
    if (answer == 0)
    {
        profile.SetLoaded(SaveUserProfile(profile));
        self->m_nextScreen = self->m_damaged.nextScreen;
        if (self->m_damaged.sendName && IsNetworkLaunch())
            NetChangePlayerName(profile.GetName());
        return true;
    }
    // The file stays as it is and the profile chosen before comes back.
    plat::ByteReader in(self->m_damaged.previousBody.data(), self->m_damaged.previousBody.size());
    profile.ReadBody(in);
    profile.SetName(self->m_damaged.previousName.c_str(), true);
    return true;
}

void tovProfileIFace::StartCreate()
{
    m_createMode = true;
    const tovUserProfile& profile = TheUserProfile();
    const char* texts[kFieldCount] = {profile.GetName(), profile.GetTown(), profile.GetState()};
    for (int32_t i = 0; i < kFieldCount; ++i)
        if (qrxTextEditor* field = GetField(i))
            field->SetText(std::string(texts[i]).substr(0, static_cast<size_t>(kLimits[i])).c_str());
}

void tovProfileIFace::EndCreate()
{
    m_createMode = false;
    if (qrxTextEditor* focused = GetField(m_focus))
        focused->KillFocus();
}

void tovProfileIFace::CreateProfile()
{
    const std::string name =
        tovUserProfile::TrimmedName(GetField(kNameField) ? GetField(kNameField)->GetText() : std::string());
    // The name becomes a file name in the Users folder.
    if (!IsValidProfileName(name) || ProfileFilePath(name.c_str()).empty())
    {
        ShowMessage(kMessageOk, nullptr, 0, "Please enter a player name.");
        return;
    }
    // An existing profile keeps its career and tackle unless the player says otherwise.
    if (FileExists(WantedPath(name).c_str()))
    {
        m_pendingName = name;
        const std::string question = "Replace player profile " + name + "?";
        ShowMessage(kMessageTwoAnswers, &OnReplaceAnswer, reinterpret_cast<uintptr_t>(this), question.c_str());
        return;
    }
    WriteNewProfile(name);
}

bool tovProfileIFace::OnReplaceAnswer(int32_t answer, uintptr_t argument)
{
    auto* self = reinterpret_cast<tovProfileIFace*>(argument);
    if (answer == 0 && g_prepared == self)
        self->WriteNewProfile(self->m_pendingName);
    return true;
}

void tovProfileIFace::WriteNewProfile(const std::string& name)
{
    const std::string town = GetField(kTownField) ? GetField(kTownField)->GetText() : std::string();
    const std::string state = GetField(kStateField) ? GetField(kStateField)->GetText() : std::string();
    EndCreate();
    tovUserProfile& profile = TheUserProfile();
    // Kept to put the previous profile back when the new one cannot be written.
    plat::ByteWriter before;
    profile.WriteBody(before);
    const std::string oldName = profile.GetName();

    const bool loaded = profile.IsLoaded();
    const bool optionFlag = profile.GetOptionFlag();
    const bool effects = profile.GetEffectSounds();
    const float volume1 = profile.GetVolume1();
    const float volume2 = profile.GetVolume2();
    const float detail = profile.GetDetail();
    const float storedDetail = profile.GetStoredDetail();
    const int32_t setting0 = profile.GetSetting0(false);
    const int32_t setting1 = profile.GetSetting1(false);
    profile.SetDefaults(false);
    profile.SetLoaded(loaded);
    profile.SetOptionFlag(optionFlag);
    profile.SetEffectSounds(effects);
    profile.SetVolume1(volume1);
    profile.SetVolume2(volume2);
    profile.SetDetail(detail);
    profile.SetStoredDetail(storedDetail);
    profile.SetSetting0(setting0);
    profile.SetSetting1(setting1);
    profile.SetName(name.c_str(), true);
    profile.SetTown(town.c_str());
    profile.SetState(state.c_str());
    if (!SaveUserProfile(profile))
    {
        plat::ByteReader in(before.Buffer().data(), before.Size());
        profile.ReadBody(in);
        profile.SetName(oldName.c_str(), true);
        const std::string text = "Cannot save player profile " + name + ".";
        ShowMessage(kMessageOk, nullptr, 0, text.c_str());
    }
    Scan(profile.GetName());
}

void tovProfileIFace::ConfirmDelete()
{
    if (m_selected < 0 || m_selected >= static_cast<int32_t>(m_entries.size()))
        return;
    const std::string& path = m_entries[static_cast<size_t>(m_selected)];
    if (!FileExists(path.c_str()))
        return;
    m_pendingPath = path;
    const std::string question = "Delete player profile " + NameOf(path) + "?";
    ShowMessage(kMessageTwoAnswers, &OnDeleteAnswer, reinterpret_cast<uintptr_t>(this), question.c_str());
}

bool tovProfileIFace::OnDeleteAnswer(int32_t answer, uintptr_t argument)
{
    auto* self = reinterpret_cast<tovProfileIFace*>(argument);
    if (answer == 0 && g_prepared == self)
        self->DeleteSelected();
    return true;
}

void tovProfileIFace::DeleteSelected()
{
    const std::string path = m_pendingPath;
    const int32_t index = m_selected;
    if (FileExists(path.c_str()) && !RemoveFile(path.c_str()))
        ShowMessage(kMessageOk, nullptr, 0, ("Cannot delete player profile " + NameOf(path) + ".").c_str());
    const bool wasCurrent = path == WantedPath(TheUserProfile().GetName());
    RebuildList();
    // The deleted profile stays out of memory too, or its next save would write it again.
    if (!wasCurrent || m_entries.empty() || FileExists(path.c_str()))
        return;
    m_selected = std::min(index, static_cast<int32_t>(m_entries.size()) - 1);
    m_firstShown = m_selected / kRows * kRows;
    tovUserProfile& profile = TheUserProfile();
    profile.SetName(NameOf(m_entries[static_cast<size_t>(m_selected)]).c_str(), true);
    LoadUserProfile(profile);
}

void tovProfileIFace::PickRow()
{
    if (!IsButtonDown(0))
        return;
    const plat::Point p = GetMousePos();
    for (int32_t k = 0; k < kRows; ++k)
    {
        const int32_t top = kRowTop + kRowPitch * k;
        if (Inside({kRowLeft, top, kRowRight, top + kRowHeight}, p) &&
            m_firstShown + k < static_cast<int32_t>(m_entries.size()))
            m_selected = m_firstShown + k;
    }
}

void tovProfileIFace::NextEntry()
{
    const int32_t count = static_cast<int32_t>(m_entries.size());
    if (count == 0)
        return;
    if (++m_selected >= count)
    {
        m_selected = 0;
        m_firstShown = 0;
    }
    if (m_selected > m_firstShown + kRows - 1)
        m_firstShown += kRows;
}

void tovProfileIFace::HandleMouse(QrRender* renderer)
{
    const plat::Point pos = GetMousePos();
    int32_t message = kMouseMove;
    if (WasButtonPressed(0))
        message = kLeftDown;
    else if (WasButtonReleased(0))
        message = kLeftUp;
    if (m_createMode)
        for (int32_t id : kCreateButtons)
            RouteMouseMessage(message, pos.x, pos.y, GetButton(id), renderer);
    else
        for (int32_t id : kListButtons)
            RouteMouseMessage(message, pos.x, pos.y, GetButton(id), renderer);
}

bool tovProfileIFace::OnEditorMessage(uint32_t message, uintptr_t wParam, intptr_t)
{
    // Tab moves between the fields; the poll below sees it only in the list.
    if (!m_createMode || message != plat::kMsgKeyDown || wParam != plat::kVkTab || IsMessageBoxRaised())
        return false;
    m_focus = (m_focus + 1) % kFieldCount;
    return true;
}

void tovProfileIFace::DrawRows()
{
    const int32_t end = std::min(m_firstShown + kRows, static_cast<int32_t>(m_entries.size()));
    for (int32_t i = std::max(0, m_firstShown); i < end; ++i)
    {
        const size_t k = static_cast<size_t>(i - m_firstShown);
        if (m_rowTexts[k])
            m_rowTexts[k]->DrawText(kRowLeft, kRowTop + kRowPitch * static_cast<int32_t>(k),
                                    NameOf(m_entries[static_cast<size_t>(i)]).c_str(), nullptr);
        if (i == m_selected && m_rowFrames[k])
            m_rowFrames[k]->Draw();
    }
}

void tovProfileIFace::DrawCreatePanel()
{
    if (IsButtonDown(0))
        for (int32_t i = 0; i < kFieldCount; ++i)
            if (Inside(kFieldBoxes[i], GetMousePos()))
                m_focus = i;
    DrawPicture(m_panel.Get(), 0, 108);
    qrxTextEditor* focused = GetField(m_focus);
    if (focused && !focused->HasFocus())
        focused->SetFocus();
    if (m_fieldFrames[static_cast<size_t>(m_focus)])
        m_fieldFrames[static_cast<size_t>(m_focus)]->Draw();
    for (auto& field : m_fields)
        if (field)
            field->Draw();
}

void tovProfileIFace::DrawScreen(bool withInput)
{
    DrawPicture(m_background.Get(), 0, 0);
    if (withInput && !m_createMode && !IsMessageBoxRaised())
    {
        PickRow();
        if (qrxKeyMapper::GetKeysActive() && qrxKeyMapper::IsKeyboardPresent() && WasKeyPressed(plat::kKeyTab))
            NextEntry();
    }
    DrawRows();
    if (!withInput)
        return;
    if (m_createMode)
        DrawCreatePanel();
    HandleMouse(Renderer());
}

bool tovProfileIFace::OnPaint(uint32_t, uintptr_t, intptr_t)
{
    if (!CanDraw())
        return false;
    DrawScreen(false);
    Present();
    return true;
}

void tovProfileIFace::OpenNetworkSession()
{
    m_sessionTried = true;
    ShowAppCursor(false);
    DrawScreen(false);
    for (int32_t id : kListButtons)
        if (ButtonObj* button = GetButton(id))
            button->Draw(Renderer());
    Present();
    qrxBaseApp* app = qrxBaseApp::GetCurrentApp();
    if (NetOpenSession(app ? app->GetWindow() : nullptr))
        GetAppServices().RecreateRenderer(app && app->m_fullScreen != 0);
    else if (ButtonObj* back = GetButton(kBack))
        back->Draw(Renderer());
    ShowAppCursor(true);
}

int32_t tovProfileIFace::Update(float now, float elapsed)
{
    if (!CanDraw())
        return m_nextScreen;
    // One attempt a visit: a dialog the player left is not put up again every frame.
    if (IsNetworkLaunch() && !IsNetworkGame() && !m_sessionTried)
    {
        OpenNetworkSession();
        return m_nextScreen;
    }
    DrawScreen(true);
    UpdateMessageScreen(now, elapsed);
    Present();
    return m_nextScreen;
}
