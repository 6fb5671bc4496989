// Posted lines (a player joined, a chat line) arrive on any screen while a session is open. Each
// screen names the band they stand in: over none of its controls, none of its texts (those its
// pictures carry, as the generator drew them, and those it draws), nor the chat panel raised over
// it. The game's own screens, in the real application on the sample data.

#include "HeadlessAppTest.h"

#include "tovChatIFace.h"
#include "tovChatPanel.h"
#include "tovGameSession.h"
#include "tovLakeCatalogue.h"
#include "tovNetFacade.h"
#include "tovNullNetworkPlay.h"
#include "tovPostedText.h"
#include "tovShellIFace.h"

#include "LabelFont.h"
#include "PackWriter.h"
#include "SampleData.h"

#include "ButtonObj.h"

#include "GoldenImage.h"

#include <map>
#include <string>
#include <vector>

namespace
{

class OpenSession : public tovNullNetworkPlay
{
public:
    bool IsSessionOpen() override { return true; }
};

bool Meets(const plat::Rect& a, const plat::Rect& b)
{
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

std::string Describe(const plat::Rect& r)
{
    return std::to_string(r.left) + "," + std::to_string(r.top) + " - " + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

class tovPostedBandTest : public HeadlessAppTest
{
protected:
    static void SetUpTestSuite()
    {
        gen::StartNotingLabels();
        gen::MakeMainPack();
        s_labels = new std::multimap<uint32_t, gen::NotedLabel>;
        for (gen::NotedLabel& label : gen::StopNotingLabels())
            s_labels->emplace(label.picture, std::move(label));
    }
    static void TearDownTestSuite() { delete s_labels; }

    void SetUp() override
    {
        QrEngineTest::SetUp();
        StartApp(8);
        SetNetworkPlay(&m_session);
        TheGameSession()->SetMode(tovGameSession::kTournament);
        // The screens were made with a lake picked at random.
        TheLakeCatalogue().SelectLakeByIndex(TheGameSession(), 0);
    }
    void TearDown() override
    {
        LowerChatPanel();
        m_app.reset();
        m_environment.reset();
        SetNetworkPlay(nullptr);
        HeadlessAppTest::TearDown();
    }

    static std::multimap<uint32_t, gen::NotedLabel>* s_labels;
    OpenSession m_session;
};

std::multimap<uint32_t, gen::NotedLabel>* tovPostedBandTest::s_labels = nullptr;

// Pictures whose labels are the screen's texts, where the screen draws them.
struct Placed
{
    uint32_t first;
    uint32_t last;
    int32_t x = 0;
    int32_t y = 0;
};

Placed Backdrop(uint32_t picture)
{
    return {picture, picture};
}

struct Row
{
    int32_t screen;
    const char* name;
    std::vector<Placed> pictures;
    // What else holds text or takes the pointer: fields, lists, views, texts the screen draws.
    std::vector<plat::Rect> more;
};

// Every screen a line may reach while a session is open, and the splashes that share a band with
// the exit's; the chat panel and the message box are raised over screens, never switched to. The
// weigh-in's board, which needs a day's results, has its case with the weigh-in's own tests.
const Row kRows[] = {
    {1, "game mode", {Backdrop(200)}, {}},
    // The instruments, the notices, the waiting banner, the line gauge with its drag, the busy
    // picture, the rod's lure tag.
    {2,
     "fishing",
     {{4100, 4931, 236, 416}},
     {{0, 0, 640, 104}, {80, 110, 562, 152}, {104, 130, 555, 176}, {536, 108, 640, 224}, {141, 204, 497, 274}}},
    {3, "livewell", {Backdrop(406)}, {{138, 16, 640, 40}, {133, 40, 568, 212}, {151, 220, 548, 418}}},
    {4, "set-up", {Backdrop(389)}, {}},
    {5, "profiles", {Backdrop(609)}, {{111, 105, 524, 373}, {100, 170, 540, 290}}},
    {6, "angler look", {Backdrop(570)}, {{79, 65, 592, 330}}},
    {7, "conditions", {Backdrop(345), {328, 331, 485, 333}, {332, 336, 485, 63}, {337, 344, 485, 117}}, {}},
    {8, "main menu", {Backdrop(466)}, {}},
    // Both pages: the rod page's title, gear, lure and its strip, pound test, line kind and colour;
    // the lure page's family title, lure and add-on.
    {9,
     "tackle box",
     {Backdrop(698),
      Backdrop(699),
      {708, 714, 233, 56},
      {1001, 1005, 90, 111},
      {1036, 1039, 90, 111},
      {3100, 3931, 438, 111},
      {769, 772, 438, 210},
      {715, 728, 328, 256},
      {704, 707, 300, 311},
      {700, 703, 300, 366},
      {729, 733, 139, 38},
      {1100, 1931, 125, 96},
      {2000, 2012, 128, 310}},
     {}},
    {11, "options", {Backdrop(523)}, {{499, 129, 573, 259}}},
    {12, "travel map", {Backdrop(360)}, {{78, 24, 528, 424}}},
    {13, "intro", {Backdrop(10200)}, {}},
    {14, "load", {Backdrop(440)}, {{120, 110, 520, 370}}},
    {15, "save", {Backdrop(624)}, {{140, 24, 496, 56}, {120, 110, 520, 370}}},
    {16, "sponsors", {Backdrop(5000)}, {}},
    {17, "a sponsor's page", {{5100, 5120}}, {}},
    {19, "start", {Backdrop(7000)}, {{104, 130, 555, 176}, {170, 400, 640, 430}}},
    {20, "career record", {Backdrop(7200)}, {{16, 16, 640, 400}}},
    {22, "help picture", {Backdrop(10000)}, {}},
    {23, "lake information", {Backdrop(10010)}, {{362, 89, 556, 358}}},
    {24, "exit", {Backdrop(10201)}, {}},
    {25, "logo", {Backdrop(10202)}, {}},
};

TEST_F(tovPostedBandTest, EachScreensBandCoversNoControlNoTextAndNoChatPanel)
{
    size_t labels = 0;
    for (const Row& row : kRows)
    {
        SCOPED_TRACE(row.name);
        m_app->SwitchScreen(row.screen);
        Frame();
        Frame();
        ASSERT_EQ(m_app->GetCurrentScreenId(), row.screen);
        const auto* screen = dynamic_cast<const tovShellIFace*>(m_app->GetCurrentScreen());
        ASSERT_NE(screen, nullptr);
        const plat::Rect band = screen->PostedTextBand();
        EXPECT_GE(band.left, 0);
        EXPECT_GE(band.top, 0);
        EXPECT_LE(band.right, 640);
        EXPECT_LE(band.bottom, 480);
        EXPECT_GE(tovPostedText::RowsIn(band), 1) << Describe(band);
        // Screens number their buttons under 100.
        for (int32_t id = 0; id < 100; ++id)
            if (const ButtonObj* button = screen->GetButton(id))
            {
                const plat::Rect rect{button->m_left, button->m_top, button->m_right, button->m_bottom};
                EXPECT_FALSE(Meets(rect, band)) << "button " << id << " at " << Describe(rect);
            }
        for (const plat::Rect& rect : row.more)
            EXPECT_FALSE(Meets(rect, band)) << Describe(rect);
        for (const Placed& placed : row.pictures)
            for (auto it = s_labels->lower_bound(placed.first); it != s_labels->end() && it->first <= placed.last;
                 ++it, ++labels)
            {
                const gen::NotedLabel& label = it->second;
                const plat::Rect rect{placed.x + int32_t(label.x), placed.y + int32_t(label.y),
                                      placed.x + int32_t(label.x + label.width),
                                      placed.y + int32_t(label.y + label.height)};
                EXPECT_FALSE(Meets(rect, band))
                    << "\"" << label.text << "\" of picture " << it->first << " at " << Describe(rect);
            }
        // The chat panel raised over the screen: its picture, its field and its buttons.
        ASSERT_TRUE(RaiseChatPanel());
        const tovChatIFace* chat = tovChatIFace::GetInstance();
        int32_t width = 0, height = 0;
        tovShellIFace::PictureSize(tovShellIFace::Picture(49).Get(), width, height);
        ASSERT_GT(width * height, 0);
        const plat::Rect panel{chat->GetOriginX(), chat->GetOriginY(), chat->GetOriginX() + width,
                               chat->GetOriginY() + height};
        EXPECT_FALSE(Meets(panel, band)) << "the chat panel at " << Describe(panel);
        LowerChatPanel();
    }
    // The generator noted the pictures' texts, the help picture's keys among them.
    EXPECT_GT(labels, 100u);
    EXPECT_GT(s_labels->count(10000), 30u);
}

// Where the default band covered the help picture's keys, the options' volume row and the tackle
// box's reel: a joining player and a chat line, the newest rows in the screen's band.
TEST_F(tovPostedBandTest, LinesStandClearOfTheHelpPictureOptionsAndTackleBox)
{
    const struct
    {
        int32_t screen;
        const char* golden;
    } rows[] = {
        {22, "app_posted_lines_help.png"},
        {11, "app_posted_lines_options.png"},
        {9, "app_posted_lines_tackle_box.png"},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.golden);
        m_app->SwitchScreen(row.screen);
        m_app->PostTextToMainWindow("Angler 2 has joined the game");
        m_app->PostTextToMainWindow("Robin: shall we try the point by the dam first this morning?");
        for (int frame = 0; frame < 3; ++frame)
            Frame();
        ASSERT_EQ(m_app->GetCurrentScreenId(), row.screen);
        EXPECT_TRUE(golden::MatchesGoldenImage(
            row.golden, golden::FromRgb565(m_window.Frame().data(), m_window.FrameWidth(), m_window.FrameHeight())));
    }
}

} // namespace
