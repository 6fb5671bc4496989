// Escape on the weigh-in of a one-day tournament played alone: at each page of the final's
// ceremony, the livewell called to the scale included, Escape leads on as the page's click does,
// and on the help picture opened there it is the picture's Back. The result is credited once and
// the game ends on the main menu, as with clicks alone.

#include "AppScenarioRun.h"

#include "tovAnglerRig.h"
#include "tovApp.h"
#include "tovGameClock.h"
#include "tovGameSession.h"
#include "tovMessageBox.h"
#include "tovMessageIFace.h"
#include "tovUserProfile.h"
#include "tovWeighInIFace.h"

#include "QrTestFixture.h"
#include "TestFiles.h"
#include "qrxCutout.h"
#include "qrxDirectInput.h"

#include "HeadlessInputBackend.h"
#include "HeadlessWindowBackend.h"
#include "KeyNumbers.h"

#include <cctype>
#include <ostream>
#include <set>
#include <sstream>
#include <string>

namespace
{

constexpr int32_t kLivewellScreen = 3;
constexpr int32_t kWeighInScreen = 10;
constexpr int32_t kHelpPictureScreen = 22;

enum class Page
{
    kOther,
    kClip,        // the opening clip, a get-up clip or the winner's
    kBoard,       // the board before the player is called: a click does nothing there
    kCalled,      // called to the scale
    kLivewell,    // the livewell at the scale
    kAfterWeight, // the fish's weight told, waiting for a click
    kPrizes,      // the ceremony over
};

Page PageOf(tovApp& app)
{
    const int32_t screen = app.GetCurrentScreenId();
    if (screen == kLivewellScreen)
        return Page::kLivewell;
    const tovWeighInIFace* weighIn = TheWeighIn();
    if (screen != kWeighInScreen || weighIn == nullptr || IsMessageBoxRaised())
        return Page::kOther;
    const tovWeighInIFace::Ceremony& c = weighIn->GetCeremony();
    if (weighIn->IsClipPlaying())
        return Page::kClip;
    if (c.ceremonyOver)
        return Page::kPrizes;
    if (c.waitForClick)
        return Page::kAfterWeight;
    if (c.callPending)
        return Page::kCalled;
    return weighIn->GetBoardSelector() == tovWeighInIFace::kBoardPicture ? Page::kBoard : Page::kOther;
}

// One way through the final's weigh-in: the pages Escape (or Space) is pressed on, and those the
// help picture is opened on.
struct Case
{
    const char* name;
    std::set<Page> escapes;
    // On these pages H first, then Escape on the help picture, which is its Back here.
    std::set<Page> helps = {};
    // The key pressed on the pages of `escapes`: Space leads on as Escape does.
    uint8_t key = plat::kKeyEscape;
};

void PrintTo(const Case& c, std::ostream* out)
{
    *out << c.name;
}

const std::set<Page> kEveryPage = {Page::kBoard,    Page::kClip,        Page::kCalled,
                                   Page::kLivewell, Page::kAfterWeight, Page::kPrizes};

// Each case is a test of its own, so that the suite's shards share them out.
const Case kCases[] = {
    {"clicks only", {}},
    {"the board before the call", {Page::kBoard}},
    {"a clip", {Page::kClip}},
    {"called to the scale", {Page::kCalled}},
    {"the livewell at the scale", {Page::kLivewell}},
    {"after the weight", {Page::kAfterWeight}},
    {"the prizes", {Page::kPrizes}},
    {"every page", kEveryPage},
    {"the help picture on every page", {}, kEveryPage},
    {"Space on every page", kEveryPage, {}, plat::kKeySpace},
};

class WeighInEscapeScenarioTest : public QrEngineTest, public ::testing::WithParamInterface<Case>
{
protected:
    void SetUp() override
    {
        qrxCutout::CreateSharedProperties();
        QrEngineTest::SetUp();
    }

    testfiles::TempDir m_dir;
};

// Quick fish made a one-day tournament with two fish kept; the day ends at frame 40. On the
// weigh-in, every other frame a press: the case's key on the pages it names, or H once on each
// and Escape on the help picture; elsewhere a click (on the livewell its done button); the
// weight's message is answered.
TEST_P(WeighInEscapeScenarioTest, EscapeOnEveryPageOfTheFinalCreditsTheResultOnceAndEndsOnTheMainMenu)
{
    const Case& c = GetParam();
    std::set<Page> escaped;
    std::set<Page> helped;
    int32_t rank = -1;
    bool pressing = false;
    uint32_t weighInFrame = 0;
    const auto play = [&](tovApp& app, uint32_t frame)
    {
        auto* input = dynamic_cast<plat::HeadlessInputBackend*>(qrxDirectInput::GetInterface());
        auto* window = dynamic_cast<plat::HeadlessWindowBackend*>(app.GetWindow());
        ASSERT_TRUE(input != nullptr && window != nullptr);
        if (frame == 35)
        {
            // Counted as the set-up's tournament is, so that its finish has a game to land in.
            app.GetSession()->SetMode(tovGameSession::kTournament);
            TheUserProfile().SetSetting1(0);
            TheUserProfile().GetCareer(app.GetSession()->GetCareerRow())[tovUserProfile::kGamesStarted] += 1;
            if (auto* rig = dynamic_cast<tovAnglerRig*>(app.GetSession()->GetCurrentAngler().Get()))
                for (const int32_t ounces : {40, 61})
                    rig->AddToLivewell(3, ounces, 15, 0.0002f);
        }
        if (frame == 40)
            TheGameClock().SetGameTime(TheGameClock().GetDayLength());
        if (weighInFrame == 0 && app.GetCurrentScreenId() == kWeighInScreen)
            weighInFrame = frame;
        if (weighInFrame == 0)
            return;
        if (tovWeighInIFace* weighIn = TheWeighIn(); weighIn && weighIn->GetCeremony().ceremonyOver)
            rank = weighIn->Standings().LocalRank(weighIn->GetFieldSize());
        if (pressing)
        {
            input->SetKey(plat::kKeyH, false);
            input->SetKey(plat::kKeyEscape, false);
            input->SetKey(plat::kKeySpace, false);
            input->SetButton(0, false);
            pressing = false;
            return;
        }
        if (IsMessageBoxRaised())
        {
            if (auto* box = dynamic_cast<tovMessageIFace*>(app.GetInterface(kMessageScreenId)))
                box->Answer(0);
            return;
        }
        const int32_t screen = app.GetCurrentScreenId();
        const auto press = [&](uint8_t key)
        {
            pressing = true;
            input->SetKey(key, true);
            window->InjectKeyDown(key);
        };
        if (screen == kHelpPictureScreen)
            return press(plat::kKeyEscape);
        if (screen != kWeighInScreen && screen != kLivewellScreen)
            return;
        const Page page = PageOf(app);
        if (c.helps.count(page) != 0 && helped.insert(page).second)
            return press(plat::kKeyH);
        if (c.escapes.count(page) != 0)
        {
            escaped.insert(page);
            return press(c.key);
        }
        const plat::Point to = page == Page::kLivewell ? plat::Point{60, 450} : plat::Point{320, 300};
        const plat::Point from = window->CursorPosition();
        input->MoveMouse(to.x - from.x, to.y - from.y);
        window->MoveCursor(to);
        pressing = true;
        input->SetButton(0, true);
    };
    const AppScenarioResult run =
        RunScenario(ScenarioOptions(m_dir.File(c.name), "weigh_in_escape.script", 400, 1), {}, play);
    EXPECT_EQ(run.error, "");
    EXPECT_NE(weighInFrame, 0u) << "the day did not end at the weigh-in";
    EXPECT_EQ(escaped, c.escapes) << "a page the case names was never seen";
    EXPECT_EQ(helped, c.helps) << "a page the case names was never seen";
    EXPECT_EQ(DigestField(run.digest, "screen"), "8");
    // Games, firsts, top fives, winnings, place sum: one game, one finish in the final's five.
    EXPECT_GE(rank, 0) << "the ceremony did not end";
    std::istringstream career(DigestField(run.digest, "profile.career"));
    int32_t games = 0, firsts = 0, topFives = 0, winnings = 0, placeSum = 0;
    career >> games >> firsts >> topFives >> winnings >> placeSum;
    EXPECT_EQ(games, 1);
    EXPECT_EQ(topFives, 1);
    EXPECT_EQ(firsts, rank == 0 ? 1 : 0);
    EXPECT_EQ(placeSum, rank + 1);
    EXPECT_GT(winnings, 0);
}

INSTANTIATE_TEST_SUITE_P(, WeighInEscapeScenarioTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& param)
                         {
                             std::string name;
                             for (const char* at = param.param.name; *at != '\0'; ++at)
                                 if (std::isalnum(static_cast<unsigned char>(*at)))
                                     name += name.empty() || at[-1] == ' ' ? static_cast<char>(std::toupper(*at)) : *at;
                             return name;
                         });

} // namespace
