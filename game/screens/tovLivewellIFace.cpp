#include "tovLivewellIFace.h"

#include "tovAnglerRig.h"
#include "tovAppServices.h"
#include "tovCatchText.h"
#include "tovGameSession.h"
#include "tovMessageBox.h"
#include "tovNetFacade.h"
#include "tovShellButton.h"
#include "tovSky.h"
#include "tovSoundFacade.h"
#include "tovSoundSettings.h"
#include "tovUserProfile.h"
#include "tovWeighInIFace.h"
#include "tovWorldServices.h"

#include "qrxFloatingText.h"

#include "Font.h"
#include "KeyNumbers.h"
#include "QrRect.h"
#include "QrRender.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>

namespace
{

tovLivewellIFace* g_instance = nullptr;

constexpr uint32_t kGroup = 13;
constexpr uint32_t kBackground = 406;
constexpr uint32_t kFirstRowImage = 428;
constexpr uint32_t kSound = 435;
constexpr int32_t kRowStep = 33;
constexpr int32_t kLimit = 5;

// The species name as stored: a place read from outside may lack its terminator.
std::string Name(const tovLivewellFish& fish)
{
    return std::string(fish.name, strnlen(fish.name, tovLivewellFish::kNameSize));
}

} // namespace

tovLivewellIFace::tovLivewellIFace() : m_font(plat::Font::Create("Verdana", 18, 400))
{
    g_instance = this;
}

tovLivewellIFace::~tovLivewellIFace()
{
    if (g_instance == this)
        g_instance = nullptr;
}

tovLivewellIFace* tovLivewellIFace::GetInstance()
{
    return g_instance;
}

std::string tovLivewellIFace::FormatRow(const tovLivewellFish& fish, int32_t mode)
{
    if (tovCatchText::HidesWeight(mode))
        return tovCatchText::LengthAndSpecies(fish.lengthInches, Name(fish).c_str());
    char line[400];
    std::snprintf(line, sizeof line, "%d lb. %d oz., %d inch %s", fish.weightOunces / 16, fish.weightOunces % 16,
                  fish.lengthInches, Name(fish).c_str());
    return line;
}

std::string tovLivewellIFace::FormatQuestion(const tovLivewellFish& fish, int32_t mode)
{
    return "Are you sure you want to release, " + FormatRow(fish, mode) + "?";
}

tovAnglerRig* tovLivewellIFace::CurrentRig()
{
    tovGameSession* session = TheGameSession();
    return session ? dynamic_cast<tovAnglerRig*>(session->GetCurrentAngler().Get()) : nullptr;
}

int32_t tovLivewellIFace::Mode() const
{
    tovGameSession* session = TheGameSession();
    return session ? session->GetMode() : tovGameSession::kQuickFish;
}

void tovLivewellIFace::Prepare(int32_t)
{
    if (!m_built)
    {
        m_built = 1;
        m_fishView.BuildScene();
    }
    LoadGroup(kGroup);
}

void tovLivewellIFace::CopyLivewell()
{
    const tovAnglerRig* rig = CurrentRig();
    m_copy = rig ? rig->GetLivewell() : tovLivewell{};
    m_fishCount = std::clamp(m_copy.CountOccupied(), 0, tovLivewell::kPlaceCount);
}

void tovLivewellIFace::NameHeader()
{
    // The three profile texts may each be long: the line is not cut to a fixed buffer.
    const tovUserProfile& profile = TheUserProfile();
    m_header = std::string(profile.GetName()) + ", " + profile.GetTown() + ", " + profile.GetState();
}

void tovLivewellIFace::StartSound(bool on)
{
    if (!g_soundFacade)
        return;
    SoundRecord* record = tovSoundFacade::FindSound(MainPack(), kSound);
    if (!record)
        return;
    if (on)
        g_soundFacade->Play(record, true, 0);
    else
        g_soundFacade->Stop(record);
}

void tovLivewellIFace::Enter(int32_t previousId)
{
    // Back from the help picture the visit goes on: its return screen, and the chosen row, not row 0 again.
    const bool visit = TakeWayBack(previousId);
    const int32_t chosen = m_selectedRow;
    m_inputList.clear();
    m_escapePressed = false;
    m_selectedRow = -1;
    m_header.clear();
    CopyLivewell();

    auto* release = new tovShellButton(156, 432, 400, 401, 6183, [this] { ConfirmRelease(); });
    release->SetDisabledPicture(402);
    AddButton(release, kReleaseButton);
    auto* done = new tovShellButton(53, 441, 16, 15, 6188, [this] { Done(); });
    done->SetDisabledPicture(110);
    AddButton(done, kDoneButton);
    m_inputList = {kReleaseButton, kDoneButton};
    UpdateReleaseButton();

    if (m_fishCount <= kLimit)
        NameHeader();
    else
        m_header = "You must release one of your fish!";
    if (m_fishCount > 0)
        m_selectedRow = !visit && chosen >= 0 && chosen < m_fishCount ? chosen : 0;
    for (int32_t k = 0; k < m_fishCount; ++k)
    {
        const int32_t row = k;
        auto* button = new tovShellButton(161, 222 + kRowStep * k, 45, 46, 6188, [this, row] { SelectRow(row); });
        button->SetTogglePictures(45, 46, 48, 47);
        button->m_transparent = 1;
        AddButton(button, kFirstRowButton + k);
        m_inputList.push_back(kFirstRowButton + k);
    }

    m_background = Picture(kBackground);
    for (size_t k = 0; k < m_rowImages.size(); ++k)
        m_rowImages[k] = Picture(kFirstRowImage + static_cast<uint32_t>(k));
    for (auto& text : m_rowTexts)
        text = std::make_unique<qrxFloatingText>(m_font.get(), plat::MakeColorRef(255, 255, 255));
    m_headerText = std::make_unique<qrxFloatingText>(m_font.get(), plat::MakeColorRef(255, 255, 255));
    StartSound(true);
    m_nextScreen = 0;
    ShowAppCursor(true);

    for (const tovLivewellFish& fish : m_copy.places)
        if (fish.inUse)
            m_fishView.PrepareSpecies(fish.species);
    SelectRow(m_selectedRow);

    // Without a sky (no fishing day built yet) the background colour stays as it is.
    m_haveSavedBackground = false;
    if (tovWorldServices* world = GetWorldServices())
        if (tovSky* sky = world->GetSky())
        {
            m_savedBackground = sky->GetLightColour();
            m_haveSavedBackground = true;
        }
    if (QrRender* renderer = Renderer())
        renderer->SetBackgroundColor(QrPoint3(0.0f, 0.0f, 0.0f));
}

void tovLivewellIFace::Leave(int32_t)
{
    StartSound(false);
    m_background = nullptr;
    ClearButtons();
    m_inputList.clear();
    UnloadGroup(kGroup);
    for (auto& text : m_rowTexts)
        text.reset();
    for (auto& image : m_rowImages)
        image = nullptr;
    m_headerText.reset();
    m_fishView.ReleaseModels();
}

void tovLivewellIFace::Exit(int32_t)
{
    ShowAppCursor(false);
    if (QrRender* renderer = Renderer(); renderer && m_haveSavedBackground)
        renderer->SetBackgroundColor(m_savedBackground);
}

int32_t tovLivewellIFace::Update(float now, float elapsed)
{
    if (!CanDraw())
        return m_nextScreen;
    m_fishView.RefreshViewport();
    DrawPicture(m_background.Get(), 0, 0);
    // The row pictures, then the buttons over them, then the texts.
    int32_t k = 0;
    for (const tovLivewellFish& fish : m_copy.places)
    {
        if (!fish.inUse || k >= m_fishCount)
            continue;
        QrRect source;
        source.right = 397;
        source.bottom = 30;
        if (QrImage* image = m_rowImages[static_cast<size_t>(k)].Get())
            Renderer()->BlitImage(image, &source, 151, 220 + kRowStep * k, 0);
        ++k;
    }
    // At the scale Space leads on as on every weigh-in page: here that is the done button.
    const bool space = KeepsEscape() && WasKeyPressed(plat::kKeySpace);
    if ((std::exchange(m_escapePressed, false) || space) && !IsMessageBoxRaised())
        Done();
    HandleMouse(Renderer());
    const int32_t mode = Mode();
    k = 0;
    for (const tovLivewellFish& fish : m_copy.places)
    {
        if (!fish.inUse || k >= m_fishCount)
            continue;
        if (m_rowTexts[static_cast<size_t>(k)])
            m_rowTexts[static_cast<size_t>(k)]->DrawText(201, 225 + kRowStep * k, FormatRow(fish, mode).c_str(),
                                                         nullptr);
        ++k;
    }
    if (!m_header.empty() && m_headerText)
        m_headerText->DrawText(138, 16, m_header.c_str(), nullptr);
    m_fishView.Step(now, elapsed);
    m_fishView.Render(now, elapsed);
    UpdateMessageScreen(now, elapsed);
    Present();
    return m_nextScreen;
}

bool tovLivewellIFace::AllowsEscape()
{
    if (!KeepsEscape())
        return tovShellIFace::AllowsEscape();
    m_escapePressed = true;
    return false;
}

void tovLivewellIFace::HandleMouse(QrRender* renderer)
{
    const plat::Point pos = GetMousePos();
    int32_t message = kMouseMove;
    if (WasButtonPressed(0))
        message = kLeftDown;
    else if (WasButtonReleased(0))
        message = kLeftUp;
    // A click may release a fish and shorten the list: walk a copy.
    const std::vector<int32_t> ids = m_inputList;
    for (int32_t id : ids)
        RouteMouseMessage(message, pos.x, pos.y, GetButton(id), renderer);
}

int32_t tovLivewellIFace::PlaceOfRow(int32_t row) const
{
    if (row < 0)
        return -1;
    int32_t k = 0;
    for (int32_t place = 0; place < tovLivewell::kPlaceCount; ++place)
    {
        if (!m_copy.places[static_cast<size_t>(place)].inUse)
            continue;
        if (k == row)
            return place;
        ++k;
    }
    return -1;
}

void tovLivewellIFace::SelectRow(int32_t row)
{
    m_selectedRow = row;
    for (int32_t k = 0; k < m_fishCount; ++k)
        if (ButtonObj* button = GetButton(kFirstRowButton + k))
            button->SetSelected(false);
    if (row >= 0 && row < tovLivewell::kPlaceCount)
        if (ButtonObj* button = GetButton(kFirstRowButton + row))
            button->SetSelected(true);
    const int32_t place = PlaceOfRow(row);
    if (place < 0)
    {
        m_fishView.SelectFish(-1, 0.0f);
        return;
    }
    const tovLivewellFish& fish = m_copy.places[static_cast<size_t>(place)];
    m_fishView.SelectFish(fish.species, fish.displayScale);
}

bool tovLivewellIFace::MayRelease() const
{
    // Every copy of a network weigh-in has counted these fish, so only one over the limit may
    // still go back; elsewhere any fish may.
    const bool networkWeighIn = m_returnScreen == kWeighInScreen && IsNetworkLaunch() && IsNetworkGame();
    return !networkWeighIn || m_fishCount > kLimit;
}

void tovLivewellIFace::UpdateReleaseButton()
{
    if (ButtonObj* release = GetButton(kReleaseButton))
        release->m_disabled = MayRelease() ? 0 : 1;
}

void tovLivewellIFace::ConfirmRelease()
{
    const int32_t place = PlaceOfRow(m_selectedRow);
    if (place < 0 || !MayRelease())
        return;
    const std::string question = FormatQuestion(m_copy.places[static_cast<size_t>(place)], Mode());
    ShowMessage(kMessageTwoAnswers, &OnReleaseAnswer, reinterpret_cast<uintptr_t>(this), question.c_str());
}

bool tovLivewellIFace::OnReleaseAnswer(int32_t answer, uintptr_t self)
{
    if (answer == 0 && self)
        reinterpret_cast<tovLivewellIFace*>(self)->Release();
    return true;
}

void tovLivewellIFace::Release()
{
    const int32_t place = PlaceOfRow(m_selectedRow);
    tovAnglerRig* rig = CurrentRig();
    if (place < 0 || !rig)
        return;
    rig->RemoveFromLivewell(place);
    CopyLivewell();
    const auto last = std::find(m_inputList.begin(), m_inputList.end(), kFirstRowButton + m_fishCount);
    if (last != m_inputList.end())
        m_inputList.erase(last);
    m_fishView.SelectFish(-1, 0.0f);
    NameHeader();
    SelectRow(m_fishCount >= 1 ? 0 : -1);
    UpdateReleaseButton();
}

void tovLivewellIFace::Done()
{
    tovAnglerRig* rig = CurrentRig();
    if (rig && rig->GetLivewellCount() > kLimit)
    {
        ShowMessage(kMessageOk, nullptr, 0, "You must remove one fish from your livewell!");
        return;
    }
    if (m_returnScreen == kWeighInScreen)
    {
        // The weigh-in waits for the fish to weigh: the chosen row's place goes back with the
        // player; with nothing chosen the player is asked to choose.
        const int32_t place = PlaceOfRow(m_selectedRow);
        if (place < 0 && m_fishCount > 0)
        {
            ShowMessage(kMessageOk, nullptr, 0, "You must weigh in one of your fish!");
            return;
        }
        if (tovWeighInIFace* weighIn = TheWeighIn())
            weighIn->SetChosenPlace(place);
    }
    else if (rig)
        rig->ClearLandedFish();
    m_nextScreen = m_returnScreen;
}
