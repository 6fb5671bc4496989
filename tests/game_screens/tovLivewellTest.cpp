#include "FrontEndFixture.h"
#include "GccWarnings.h"

#include "tovAnglerRig.h"
#include "tovFishSpecies.h"
#include "tovLivewellIFace.h"
#include "tovMessageBox.h"
#include "tovMessageIFace.h"
#include "tovNetFacade.h"
#include "tovNullNetworkPlay.h"
#include "tovPictureIFace.h"
#include "tovUserProfile.h"
#include "tovWeighInIFace.h"

#include "ButtonObj.h"
#include "KeyNumbers.h"
#include "QrD3DDevice.h"

#include <cstring>
#include <string>
#include <vector>

namespace
{

tovLivewellFish Fish(int32_t species, int32_t ounces, int32_t inches)
{
    tovLivewellFish fish;
    fish.species = species;
    std::strncpy(fish.name, GetFishSpeciesName(species), tovLivewellFish::kNameSize - 1);
    fish.weightOunces = ounces;
    fish.lengthInches = inches;
    fish.inUse = 1;
    return fish;
}

TEST(tovLivewellFormat, RowsAndQuestionHideTheWeightInTournaments)
{
    const std::string bass = GetFishSpeciesName(3);
    const struct
    {
        int32_t ounces, inches, mode;
        std::string row;
    } cases[] = {
        {37, 14, 0, "2 lb. 5 oz., 14 inch " + bass},
        {16, 12, 1, "1 lb. 0 oz., 12 inch " + bass},
        {37, 14, 2, "14 inch " + bass},
        {37, 14, 3, "14 inch " + bass},
    };
    for (const auto& c : cases)
    {
        const tovLivewellFish fish = Fish(3, c.ounces, c.inches);
        EXPECT_EQ(tovLivewellIFace::FormatRow(fish, c.mode), c.row);
        EXPECT_EQ(tovLivewellIFace::FormatQuestion(fish, c.mode), "Are you sure you want to release, " + c.row + "?");
    }
    // A name read from outside without its terminator stays inside its field.
    tovLivewellFish unterminated = Fish(3, 20, 10);
    std::memset(unterminated.name, 'x', tovLivewellFish::kNameSize);
    // GCC 12 at -O3 takes the inlined string copy here for one past its object: it is not.
    QR_GCC_STRING_BOUNDS_OFF
    EXPECT_EQ(tovLivewellIFace::FormatRow(unterminated, 2), "10 inch " + std::string(260, 'x'));
    QR_GCC_STRING_BOUNDS_ON
}

// The weigh-in takes the handed-back place out of the player's livewell.
class RecordingPorts : public tovWeighInPorts
{
public:
    explicit RecordingPorts(std::vector<int32_t>* taken) : m_taken(taken) {}
    int32_t TakeLivewellFish(int32_t place) override
    {
        m_taken->push_back(place);
        return 40;
    }
    bool PlaySound(int32_t, bool, SoundEndCallback, uintptr_t) override { return false; }
    void StopSound(int32_t) override {}
    bool SetOpeningSound(bool, SoundEndCallback, uintptr_t) override { return false; }
    void SetLakeSounds(bool) override {}

private:
    std::vector<int32_t>* m_taken;
};

class tovLivewellTest : public FrontEndTest
{
protected:
    void SetUp() override
    {
        FrontEndTest::SetUp();
        tovUserProfile& profile = TheUserProfile();
        profile.SetName("Ann Angler", false);
        profile.SetTown("Duluth");
        profile.SetState("MN");
        m_rig = new tovAnglerRig(0, 0, 0, -1, false, nullptr);
        m_session->AddAngler(m_rig.Get(), true);
    }
    void TearDown() override
    {
        m_session->ClearAnglers();
        m_rig = nullptr;
        FrontEndTest::TearDown();
    }
    void AddMoreScreens() override
    {
        m_app->AddInterface(new tovWeighInIFace(std::make_unique<RecordingPorts>(&m_taken)), 10);
        FrontEndTest::AddMoreScreens();
    }
    // Places 0..5 in order, each of its own weight.
    void Fill(int32_t count)
    {
        for (int32_t k = 0; k < count; ++k)
            m_rig->AddToLivewell(k % 2 ? 10 : 3, 20 + k, 10 + k, 0.5f);
    }
    void Answer(bool yes)
    {
        ASSERT_TRUE(IsMessageBoxRaised());
        if (tovMessageIFace::GetInstance()->GetMode() == kMessageOk)
            ClickAt(247, 307);
        else
            ClickAt(yes ? 320 : 219, 311);
        Frame();
        EXPECT_FALSE(IsMessageBoxRaised());
    }
    std::string MessageText() const
    {
        return IsMessageBoxRaised() ? tovMessageIFace::GetInstance()->GetText() : std::string();
    }
    static tovLivewellIFace& Livewell() { return *tovLivewellIFace::GetInstance(); }
    static bool ReleaseOff() { return Livewell().GetButton(tovLivewellIFace::kReleaseButton)->m_disabled != 0; }
    static int32_t RowY(int32_t k) { return 222 + 33 * k; }

    QrPointer<tovAnglerRig> m_rig;
    std::vector<int32_t> m_taken;
};

TEST_F(tovLivewellTest, EmptyLivewellShowsTheNameAndReleasesNothing)
{
    SwitchTo(8);
    SwitchTo(3);
    Frame();
    EXPECT_EQ(Livewell().GetHeader(), "Ann Angler, Duluth, MN");
    EXPECT_EQ(Livewell().GetSelectedRow(), -1);
    EXPECT_EQ(Livewell().GetInputList(), (std::vector<int32_t>{1, 3}));
    EXPECT_EQ(Livewell().GetFishView().GetShownFish(), nullptr);
    ClickAt(156, 432);
    EXPECT_FALSE(IsMessageBoxRaised());
    ClickAt(53, 441);
    Frame();
    EXPECT_EQ(Current(), 8);
}

// Done leaves only with five fish or fewer, and then the fish in the angler's hands is gone.
TEST_F(tovLivewellTest, FullLivewellMustGiveOneFishBack)
{
    Fill(6);
    m_rig->SetLandedFish(Fish(3, 30, 13));
    SwitchTo(8);
    SwitchTo(3);
    Frame();
    EXPECT_EQ(Livewell().GetHeader(), "You must release one of your fish!");
    EXPECT_EQ(Livewell().GetInputList(), (std::vector<int32_t>{1, 3, 5, 6, 7, 8, 9, 10}));
    ClickAt(53, 441);
    EXPECT_EQ(MessageText(), "You must remove one fish from your livewell!");
    Answer(true);
    EXPECT_EQ(Current(), 3);
    EXPECT_TRUE(m_rig->HasLandedFish());

    // Row 2 is place 2; the second answer keeps the fish.
    ClickAt(161, RowY(2));
    EXPECT_EQ(Livewell().GetSelectedRow(), 2);
    ClickAt(156, 432);
    EXPECT_EQ(MessageText(),
              "Are you sure you want to release, 1 lb. 6 oz., 12 inch " + std::string(GetFishSpeciesName(3)) + "?");
    Answer(false);
    EXPECT_EQ(m_rig->GetLivewellCount(), 6);
    ClickAt(156, 432);
    Answer(true);
    EXPECT_EQ(m_rig->GetLivewellCount(), 5);
    EXPECT_FALSE(m_rig->GetLivewell().places[2].inUse);
    EXPECT_EQ(Livewell().GetInputList(), (std::vector<int32_t>{1, 3, 5, 6, 7, 8, 9}));
    EXPECT_EQ(Livewell().GetHeader(), "Ann Angler, Duluth, MN");
    EXPECT_EQ(Livewell().GetSelectedRow(), 0);
    ClickAt(53, 441);
    Frame();
    EXPECT_EQ(Current(), 8);
    EXPECT_FALSE(m_rig->HasLandedFish());
}

TEST_F(tovLivewellTest, RowsFollowOccupiedPlacesOnly)
{
    Fill(4);
    m_rig->RemoveFromLivewell(1);
    m_rig->RemoveFromLivewell(2);
    m_session->SetMode(tovGameSession::kTournament);
    SwitchTo(8);
    SwitchTo(3);
    Frame();
    EXPECT_EQ(Livewell().GetFishCount(), 2);
    EXPECT_EQ(Livewell().GetInputList(), (std::vector<int32_t>{1, 3, 5, 6}));
    // Row 1 is place 3; the question has no weight in a tournament.
    ClickAt(161, RowY(1));
    ClickAt(156, 432);
    EXPECT_EQ(MessageText(), "Are you sure you want to release, 13 inch " + std::string(GetFishSpeciesName(10)) + "?");
    Answer(true);
    EXPECT_TRUE(m_rig->GetLivewell().places[0].inUse);
    EXPECT_FALSE(m_rig->GetLivewell().places[3].inUse);
}

TEST_F(tovLivewellTest, WeighInGetsTheChosenPlaceBack)
{
    Fill(3);
    SwitchTo(8);
    SwitchTo(10);
    SwitchTo(3);
    Frame();
    // The help picture and back keep the weigh-in as the screen to return to.
    SwitchTo(22);
    SwitchTo(3);
    Frame();
    ClickAt(161, RowY(1));
    ClickAt(53, 441);
    Frame();
    EXPECT_FALSE(IsMessageBoxRaised());
    EXPECT_EQ(Current(), 10);
    EXPECT_EQ(m_taken, (std::vector<int32_t>{1}));
}

// Space is the done button only at the scale, as on every weigh-in page; on a fishing day's
// livewell it does nothing.
TEST_F(tovLivewellTest, SpaceIsDoneOnlyAtTheScale)
{
    const struct
    {
        int32_t from, after;
        std::vector<int32_t> taken;
    } cases[] = {
        {2, 3, {}},
        {10, 10, {1}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.from);
        m_session->ClearAnglers();
        m_rig = new tovAnglerRig(0, 0, 0, -1, false, nullptr);
        m_session->AddAngler(m_rig.Get(), true);
        Fill(3);
        m_taken.clear();
        SwitchTo(8);
        SwitchTo(c.from);
        SwitchTo(3);
        Frame();
        ClickAt(161, RowY(1));
        m_input.SetKey(plat::kKeySpace, true);
        Frame();
        m_input.SetKey(plat::kKeySpace, false);
        Frame();
        EXPECT_FALSE(IsMessageBoxRaised());
        EXPECT_EQ(Current(), c.after);
        EXPECT_EQ(m_taken, c.taken);
    }
}

// Opened from the livewell called to the scale, the help picture takes Escape as its Back: the
// main menu would leave the weigh-in unclosed. From the livewell of a fishing day it leaves
// Escape to the application, the way to the main menu.
TEST_F(tovLivewellTest, EscapeOnTheHelpPictureIsBackOnlyFromTheScale)
{
    Fill(1);
    for (const int32_t from : {10, 2})
    {
        SCOPED_TRACE(from);
        SwitchTo(8);
        SwitchTo(from);
        SwitchTo(3);
        Frame();
        SwitchTo(22);
        tovPictureIFace* picture = tovPictureIFace::GetInstance();
        ASSERT_NE(picture, nullptr);
        EXPECT_EQ(picture->AllowsEscape(), from != 10);
        Frame();
        EXPECT_EQ(Current(), from == 10 ? 3 : 22);
    }
}

// At a network weigh-in every copy has counted the livewell's fish: Release lets only a sixth
// go back, so that a player sent there over the limit can still finish, and is shown off
// otherwise. Elsewhere in the same game any fish may go.
TEST_F(tovLivewellTest, NetworkWeighInReleasesOnlyASixthFish)
{
    struct : tovNullNetworkPlay
    {
        bool IsSessionOpen() override { return true; }
    } net;
    SetNetworkPlay(&net);
    SetNetworkLaunch(true);
    Fill(5);
    SwitchTo(8);
    SwitchTo(10);
    SwitchTo(3);
    Frame();
    EXPECT_TRUE(ReleaseOff()) << "five fish";
    ClickAt(156, 432);
    EXPECT_FALSE(IsMessageBoxRaised()) << "five fish";
    EXPECT_EQ(m_rig->GetLivewellCount(), 5);

    m_rig->AddToLivewell(3, 90, 20, 0.5f);
    SwitchTo(10);
    SwitchTo(3);
    Frame();
    EXPECT_FALSE(ReleaseOff()) << "six fish";
    ClickAt(156, 432);
    EXPECT_TRUE(IsMessageBoxRaised()) << "six fish";
    Answer(true);
    EXPECT_EQ(m_rig->GetLivewellCount(), 5);
    EXPECT_TRUE(ReleaseOff()) << "back to five";
    ClickAt(156, 432);
    EXPECT_FALSE(IsMessageBoxRaised()) << "back to five";
    ClickAt(53, 441);
    Frame();
    EXPECT_EQ(Current(), 10);
    EXPECT_EQ(m_taken.size(), 1u);

    SwitchTo(8);
    SwitchTo(3);
    Frame();
    EXPECT_FALSE(ReleaseOff()) << "away from the weigh-in";
    ClickAt(156, 432);
    EXPECT_TRUE(IsMessageBoxRaised()) << "away from the weigh-in";
    Answer(false);
    SetNetworkLaunch(false);
    SetNetworkPlay(nullptr);
}

// The livewell shows on black; leaving it puts back the colour of the sky's light as it stood at
// that visit's entry, for the fishing screen to clear with.
TEST_F(tovLivewellTest, LeavingPutsBackTheSkysColour)
{
    tovSky sky;
    m_world.m_sky = &sky;
    SwitchTo(8);
    for (const bool above : {false, true})
    {
        SCOPED_TRACE(above);
        sky.SetAboveWater(above);
        const QrPoint3 light = sky.GetLightColour();
        const uint32_t expected = QrD3DDevice::PackColor(light.x, light.y, light.z);
        ASSERT_NE(expected, 0u);
        // Whatever cleared the frame before.
        m_renderer->SetBackgroundColor(QrPoint3(1.0f, 0.0f, 0.0f));
        SwitchTo(3);
        Frame();
        EXPECT_EQ(m_renderer->GetBackgroundColor(), 0u);
        SwitchTo(8);
        EXPECT_EQ(m_renderer->GetBackgroundColor(), expected);
    }
    m_world.m_sky = nullptr;
}

} // namespace

namespace
{

// The livewell with three rows, the second chosen, and its fish in the window.
TEST_F(tovLivewellTest, GoldenFrameWithTheFishView)
{
    m_rig->AddToLivewell(3, 37, 14, 0.35f);
    m_rig->AddToLivewell(15, 40, 16, 0.4f);
    m_rig->AddToLivewell(1, 9, 7, 0.3f);
    m_window.MoveCursor({630, 5});
    SwitchTo(8);
    SwitchTo(3);
    Livewell().SelectRow(1);
    ASSERT_NE(Livewell().GetFishView().GetShownFish(), nullptr);
    Frame();
    Frame();
    EXPECT_TRUE(golden::MatchesGoldenImage("screens_livewell.png", Shown()));
}

} // namespace

namespace
{

// The view alone: which cached model hangs under the root, at which scale.
TEST_F(tovLivewellTest, FishViewSwapsCachedModelsAndScalesBassUp)
{
    tovLivewellFishView view;
    view.BuildScene();
    for (int32_t species : {3, 15})
        view.PrepareSpecies(species);
    tovFish* bass = view.GetCachedModel(3);
    ASSERT_NE(bass, nullptr);
    const struct
    {
        int32_t species;
        float scale;
        tovFish* shown;
        float expectedScale;
    } cases[] = {
        {3, 0.5f, bass, 0.85f},
        {15, -0.4f, view.GetCachedModel(15), 0.4f},
        {3, 0.2f, bass, 0.34f},
        // Never prepared, and out of range: the window is empty.
        {1, 0.5f, nullptr, 0.0f},
        {-1, 0.5f, nullptr, 0.0f},
        {17, 0.5f, nullptr, 0.0f},
    };
    for (const auto& c : cases)
    {
        view.SelectFish(c.species, c.scale);
        EXPECT_EQ(view.GetShownFish(), c.shown) << c.species;
        if (!c.shown)
            continue;
        EXPECT_FLOAT_EQ(c.shown->GetScale(), c.expectedScale);
        EXPECT_EQ(c.shown->GetParent(), view.GetRoot());
        EXPECT_EQ(c.shown->GetBehaviorState(), tovFishBehavior::kLivewell);
    }
    // The last fish shown came off the root.
    EXPECT_EQ(bass->GetParent(), nullptr);
    view.SelectFish(3, 0.5f);
    view.ReleaseModels();
    EXPECT_EQ(view.GetShownFish(), nullptr);
    EXPECT_EQ(view.GetCachedModel(3), nullptr);
    EXPECT_EQ(view.GetRoot()->GetChildCount(), 1u);
}

} // namespace
namespace
{

// Every size a fish is shown at, small to the largest, draws inside the view's window: a big
// striper once stood the camera back past the far plane and left the window empty.
TEST_F(tovLivewellTest, TheFishViewShowsFishOfEverySize)
{
    const struct
    {
        int32_t species;
        int32_t inches;
    } fish[] = {{1, 4}, {3, 22}, {5, 40}, {12, 34}, {4, 48}};
    for (const auto& f : fish)
        m_rig->AddToLivewell(f.species, 16 * f.inches / 4, f.inches, std::clamp(f.inches / 12.0f, 0.3f, 3.0f));
    m_window.MoveCursor({630, 5});
    SwitchTo(8);
    SwitchTo(3);
    // The window's colour where no fish is: its corner with the first row chosen and none shown.
    Livewell().GetFishView().SelectFish(-1, 0.0f);
    Frame();
    const golden::RgbImage empty = Shown();
    for (int32_t row = 0; row < 5; ++row)
    {
        Livewell().SelectRow(row);
        ASSERT_NE(Livewell().GetFishView().GetShownFish(), nullptr);
        Frame();
        const golden::RgbImage shown = Shown();
        int32_t fishPixels = 0;
        for (uint32_t y = 43; y < 209; ++y)
            for (uint32_t x = 136; x < 566; ++x)
            {
                const size_t at = 3 * (y * shown.width + x);
                fishPixels += !std::equal(&shown.rgb[at], &shown.rgb[at] + 3, &empty.rgb[at]);
            }
        EXPECT_GT(fishPixels, 2000) << "species " << fish[row].species << ", " << fish[row].inches << " in";
    }
}

} // namespace
