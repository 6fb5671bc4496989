#include "../game_shell/ShellScreenFixture.h"

#include "ButtonObj.h"
#include "Files.h"
#include "KeyNumbers.h"
#include "PackWriter.h"
#include "Path.h"
#include "SaveGameFixture.h"
#include "WindowMessage.h"
#include "qrxTextEditor.h"
#include "tovInstallSettings.h"
#include "tovLakeCatalogue.h"
#include "tovLoadGameIFace.h"
#include "tovMessageBox.h"
#include "tovMessageIFace.h"
#include "tovSaveGame.h"
#include "tovSaveGameIFace.h"
#include "tovSavedGame.h"

#include <filesystem>
#include <functional>

namespace
{

class tovSaveScreensTest : public ShellScreenTest
{
protected:
    void SetUp() override
    {
        ShellScreenTest::SetUp();
        SetInstallRoot(m_dir.Path());
        SetDiscRoot(m_dir.Path());
        SetInstallType(0);
        InstallTestLake(m_dir.Path());
        TheLakeCatalogue().Clear();
        TheLakeCatalogue().SelectLake(m_session.get(), 2);
        SetRigFactory(&m_link);
        SetSaveGameLink(&m_link);
        m_savedProfile = TheUserProfile();
        TheUserProfile().SetDefaults(false);
        TheUserProfile().SetName("Pat", false);
        ASSERT_TRUE(SaveUserProfile(TheUserProfile()));
        m_session->StartGame(tovGameSession::kQuickFish, true);
    }
    void AddMoreScreens() override
    {
        m_app->AddInterface(new tovLoadGameIFace, 14);
        m_app->AddInterface(new tovSaveGameIFace, 15);
    }
    void TearDown() override
    {
        TheUserProfile() = m_savedProfile;
        SetSaveGameLink(nullptr);
        SetRigFactory(nullptr);
        TheLakeCatalogue().Clear();
        SetInstallRoot(".");
        SetDiscRoot(".");
        ShellScreenTest::TearDown();
    }

    void Click(ButtonObj* button)
    {
        ASSERT_NE(button, nullptr);
        ClickAt(button->m_left + 2, button->m_top + 2);
    }
    void Key(uint8_t key)
    {
        m_input.SetKey(key, true);
        Frame();
        m_input.SetKey(key, false);
        Frame();
    }
    // What the window procedure hands the focused name field.
    void Type(const std::string& text)
    {
        qrxTextEditor* field = qrxTextEditor::GetFocusedEditor();
        ASSERT_NE(field, nullptr);
        for (char c : text)
            field->HandleMessage(plat::kMsgChar, static_cast<uintptr_t>(c), 0);
    }
    void EditorKey(uint32_t vk)
    {
        qrxTextEditor* field = qrxTextEditor::GetFocusedEditor();
        ASSERT_NE(field, nullptr);
        field->HandleMessage(plat::kMsgKeyDown, vk, 0);
        Frame();
    }
    std::string Message() const { return IsMessageBoxRaised() ? tovMessageIFace::GetInstance()->GetText() : ""; }
    // Answers the raised box: 1 OK or yes, 2 no.
    void Answer(int32_t button)
    {
        ASSERT_TRUE(IsMessageBoxRaised());
        Click(tovMessageIFace::GetInstance()->GetButton(button));
        Frame();
    }
    void MakeSaves(int32_t count)
    {
        for (int32_t i = 0; i < count; ++i)
        {
            const std::string name = SaveFilePath((std::string(1, char('a' + i)) + ".x.wsv").c_str());
            ASSERT_TRUE(plat::WriteFile(name, "junk", 4));
        }
    }

    SaveGameTestLink m_link;
    tovUserProfile m_savedProfile;
};

TEST_F(tovSaveScreensTest, SaveAsksBeforeOverwritingAndRefusesNamesThatDoNotFit)
{
    SwitchTo(15);
    Frame();
    EditorKey(plat::kVkReturn);
    EXPECT_EQ(Message(), "Cannot save - no file name.");
    Answer(1);

    Type(std::string(300, 'w'));
    EXPECT_EQ(qrxTextEditor::GetFocusedEditor()->GetText().size(), 260u) << "the field holds 260";
    EditorKey(plat::kVkReturn);
    EXPECT_EQ(Message(), "Error saving file.");
    Answer(1);
    EXPECT_TRUE(plat::ListFiles(SaveFilePath(""), "*").empty()) << "nothing written";
    EXPECT_EQ(Current(), 15);

    qrxTextEditor::GetFocusedEditor()->SetText("");
    Type("Bass");
    Click(tovSaveGameIFace::GetInstance()->GetButton(tovSaveListIFace::kAction));
    EXPECT_EQ(Current(), 8);
    const std::string path = SaveFilePath("Bass.wsv");
    std::vector<uint8_t> first;
    ASSERT_TRUE(plat::ReadFile(path, first));
    EXPECT_EQ(first.size(), 3808u + 5u * 1816u + 4u);

    // Picking the row puts its display name in the field; saving then asks first.
    SwitchTo(15);
    Frame();
    auto* screen = tovSaveGameIFace::GetInstance();
    ASSERT_EQ(screen->GetNames(), std::vector<std::string>{"Bass"});
    ClickAt(200, 130);
    EXPECT_EQ(screen->GetNameField()->GetText(), "Bass");
    EditorKey(plat::kVkReturn);
    EXPECT_EQ(Message(), "Overwrite game Bass?");
    m_session->SetDay(3, false);
    Answer(2);
    EXPECT_EQ(Current(), 15);
    std::vector<uint8_t> now;
    ASSERT_TRUE(plat::ReadFile(path, now));
    EXPECT_EQ(now, first) << "no keeps the file";
    EditorKey(plat::kVkReturn);
    Answer(1);
    EXPECT_EQ(Current(), 8);
    ASSERT_TRUE(plat::ReadFile(path, now));
    EXPECT_EQ(now[1044], 3) << "yes wrote the running game";
}

TEST_F(tovSaveScreensTest, RowsPageAndWrapBySevenOnLoadAndByFiveOnSave)
{
    MakeSaves(16);
    SwitchTo(14);
    Frame();
    tovSaveListIFace* load = tovLoadGameIFace::GetInstance();
    EXPECT_EQ(load->GetCount(), 16);
    EXPECT_EQ(load->GetNames()[1], "b") << "names end at their first point";
    auto page = [&](tovSaveListIFace* s, int32_t id) { Click(s->GetButton(id)); };
    page(load, tovSaveListIFace::kPageDown);
    EXPECT_EQ(load->GetTop(), 7);
    page(load, tovSaveListIFace::kPageDown);
    EXPECT_EQ(load->GetTop(), 14);
    page(load, tovSaveListIFace::kPageDown);
    EXPECT_EQ(load->GetTop(), 14) << "not past the count";
    page(load, tovSaveListIFace::kPageUp);
    page(load, tovSaveListIFace::kPageUp);
    page(load, tovSaveListIFace::kPageUp);
    EXPECT_EQ(load->GetTop(), 0);
    Key(plat::kKeyUp);
    EXPECT_EQ(load->GetPicked(), 15);
    EXPECT_EQ(load->GetTop(), 9) << "the last seven rows";
    Key(plat::kKeyDown);
    EXPECT_EQ(load->GetPicked(), 0);
    EXPECT_EQ(load->GetTop(), 0);
    for (int i = 0; i < 7; ++i)
        Key(plat::kKeyTab);
    EXPECT_EQ(load->GetPicked(), 7);
    EXPECT_EQ(load->GetTop(), 7);
    Key(plat::kKeyUp);
    EXPECT_EQ(load->GetTop(), 0);

    SwitchTo(15);
    Frame();
    tovSaveListIFace* save = tovSaveGameIFace::GetInstance();
    page(save, tovSaveListIFace::kPageDown);
    page(save, tovSaveListIFace::kPageDown);
    page(save, tovSaveListIFace::kPageDown);
    EXPECT_EQ(save->GetTop(), 15);
    page(save, tovSaveListIFace::kPageUp);
    EXPECT_EQ(save->GetTop(), 10);
    page(save, tovSaveListIFace::kPageUp);
    page(save, tovSaveListIFace::kPageUp);
    for (int i = 0; i < 7; ++i)
        EditorKey(plat::kVkDown);
    EXPECT_EQ(save->GetPicked(), 7);
    EXPECT_EQ(save->GetTop(), 5);
    EXPECT_EQ(tovSaveGameIFace::GetInstance()->GetNameField()->GetText(), "h");
}

TEST_F(tovSaveScreensTest, LoadReportsEachFailureDeletesAfterAskingAndLoadsAGoodFile)
{
    SwitchTo(14);
    Frame();
    tovSaveListIFace* load = tovLoadGameIFace::GetInstance();
    Key(plat::kKeyDelete);
    EXPECT_FALSE(IsMessageBoxRaised()) << "an empty list deletes nothing";
    Key(plat::kKeyReturn);
    EXPECT_EQ(Message(), "Cannot load file.");
    Answer(1);

    tovSavedGame good = tovSaveGame::Capture();
    std::vector<uint8_t> bytes = good.Write();
    ASSERT_TRUE(plat::WriteFile(SaveFilePath("b.wsv"), bytes.data(), bytes.size()));
    bytes[0] = 5;
    ASSERT_TRUE(plat::WriteFile(SaveFilePath("a.wsv"), bytes.data(), bytes.size()));
    bytes[0] = 6;
    bytes.resize(100);
    ASSERT_TRUE(plat::WriteFile(SaveFilePath("c.wsv"), bytes.data(), bytes.size()));
    SwitchTo(8);
    SwitchTo(14);
    Frame();
    ASSERT_EQ(load->GetCount(), 3);
    Key(plat::kKeyReturn);
    EXPECT_EQ(Message(), "Incompatible file format.");
    Answer(1);
    EXPECT_EQ(Message(), "Error in file header.");
    Answer(1);
    Key(plat::kKeyDown);
    Key(plat::kKeyDown);
    Key(plat::kKeyReturn);
    EXPECT_EQ(Message(), "Error in file header.");
    Answer(1);
    EXPECT_FALSE(m_session->m_resumed);

    Key(plat::kKeyDelete);
    EXPECT_EQ(Message(), "Delete game c?");
    Answer(2);
    EXPECT_EQ(load->GetCount(), 3) << "no keeps it";
    Key(plat::kKeyDelete);
    Answer(1);
    EXPECT_EQ(load->GetCount(), 2);
    EXPECT_FALSE(plat::FileExists(SaveFilePath("c.wsv")));

    Key(plat::kKeyDown);
    EXPECT_EQ(load->GetPicked(), 1);
    Key(plat::kKeyReturn);
    EXPECT_TRUE(m_session->m_resumed);
    EXPECT_EQ(Current(), 2);
}

// Every damaged kind is refused on the load screen with its message, the game going on and no
// profile written; the undamaged file then loads.
TEST_F(tovSaveScreensTest, DamagedSavesAreRefusedOnTheLoadScreenWithNothingWritten)
{
    // A lake pack without an id item: its entry carries no id, which no save may name.
    tools::PackContents nameless;
    nameless.Add({0x80000007, 76, 0, {}, {'A', 'l', 'd', 'e', 'r', '.', 't', 'x', 't'}}, {0});
    std::string error;
    ASSERT_TRUE(tools::WritePackFiles(nameless, m_dir.File("Lakes/Nameless"), error)) << error;
    TheLakeCatalogue().Clear();

    tovSavedGame good = tovSaveGame::Capture();
    good.lakeId = 2;
    good.terrainSector = 1;
    good.profileName = "Pat";
    good.anglers.resize(2);
    for (size_t i = 0; i < good.anglers.size(); ++i)
    {
        good.anglers[i].id = 1 + static_cast<int32_t>(i);
        good.anglers[i].position = {-150.0f, 0.0f, 70.0f};
        good.anglers[i].clock = good.clock;
    }
    const std::string header = "Error in file header.";
    const std::string records = "Cannot load file.";
    const struct
    {
        const char* what;
        std::function<void(tovSavedGame&)> damage;
        std::string message;
    } cases[] = {
        {"no lake", [](tovSavedGame& g) { g.lakeId = -1; }, header},
        {"a sector the lake has not", [](tovSavedGame& g) { g.terrainSector = 4; }, header},
        {"a sector no lake has", [](tovSavedGame& g) { g.terrainSector = 32; }, header},
        {"an id whose seed overflows", [](tovSavedGame& g) { g.anglers[1].id = 271184; }, records},
        {"a negative id", [](tovSavedGame& g) { g.anglers[0].id = -1; }, records},
        {"a look past the model's", [](tovSavedGame& g) { g.anglers[1].look = 4; }, records},
        {"a colour past the model's", [](tovSavedGame& g) { g.anglers[0].colour1 = 4; }, records},
        {"a colour below the default", [](tovSavedGame& g) { g.anglers[1].colour2 = -2; }, records},
        {"a paint scheme past the boats'", [](tovSavedGame& g) { g.anglers[1].paintScheme = 1; }, records},
        {"a boat east of the lake", [](tovSavedGame& g) { g.anglers[1].position[0] = -700.0f; }, records},
        {"a boat west of the lake", [](tovSavedGame& g) { g.anglers[1].position[0] = 240.0f; }, records},
        {"a boat north of the lake", [](tovSavedGame& g) { g.anglers[0].position[2] = 80.0f; }, records},
        {"a boat south of the lake", [](tovSavedGame& g) { g.anglers[0].position[2] = -80.0f; }, records},
        {"a control character", [](tovSavedGame& g) { g.profileName = "P\x01t"; }, records},
        {"a wildcard", [](tovSavedGame& g) { g.profileName = "P*"; }, records},
        {"a point", [](tovSavedGame& g) { g.profileName = "Pat.wuo"; }, records},
        {"a flipped letter", [](tovSavedGame& g) { g.profileName = "Pau"; }, records},
        {"longer than any name a dialog took", [](tovSavedGame& g) { g.profileName = std::string(32, 'P'); }, records},
    };
    const std::string users = UsersFilePath("");
    const auto files = [&] { return plat::ListFiles(users, "*"); };
    // Profiles under names the profiles screen cannot type are not taken either.
    std::vector<uint8_t> profile;
    ASSERT_TRUE(plat::ReadFile(users + "/Pat.wuo", profile));
    for (const std::string& name :
         {std::string("P\x01t"), std::string("P*"), std::string("Pat.wuo"), std::string(32, 'P')})
        ASSERT_TRUE(plat::WriteFile(users + "/" + name + ".wuo", profile.data(), profile.size()));
    const std::vector<std::string> before = files();
    ASSERT_EQ(before.size(), 5u);
    const auto refused = [&](const std::vector<uint8_t>& bytes, const std::string& message, const std::string& what)
    {
        SCOPED_TRACE(what);
        ASSERT_TRUE(plat::WriteFile(SaveFilePath("damaged.wsv"), bytes.data(), bytes.size()));
        SwitchTo(8);
        SwitchTo(14);
        Frame();
        Key(plat::kKeyReturn);
        EXPECT_EQ(Message(), message);
        Answer(1);
        EXPECT_EQ(Current(), 14);
        EXPECT_FALSE(m_session->m_resumed);
        EXPECT_STREQ(TheUserProfile().GetName(), "Pat");
        EXPECT_EQ(files(), before);
    };
    for (const auto& c : cases)
    {
        tovSavedGame bad = good;
        c.damage(bad);
        refused(bad.Write(), c.message, c.what);
    }
    std::vector<uint8_t> bytes = good.Write();
    bytes.push_back(0);
    refused(bytes, records, "a byte after the last record");
    // A damaged profile is not replaced by the load.
    ASSERT_TRUE(plat::WriteFile(users + "/Pat.wuo", profile.data(), 100));
    refused(good.Write(), records, "a damaged profile");
    std::vector<uint8_t> now;
    ASSERT_TRUE(plat::ReadFile(users + "/Pat.wuo", now));
    EXPECT_EQ(now.size(), 100u);
    ASSERT_TRUE(plat::WriteFile(users + "/Pat.wuo", profile.data(), profile.size()));

    bytes.pop_back();
    ASSERT_TRUE(plat::WriteFile(SaveFilePath("damaged.wsv"), bytes.data(), bytes.size()));
    SwitchTo(8);
    SwitchTo(14);
    Frame();
    Key(plat::kKeyReturn);
    EXPECT_EQ(Message(), "");
    EXPECT_EQ(Current(), 2);
    EXPECT_TRUE(m_session->m_resumed);
}

} // namespace

namespace
{

TEST_F(tovSaveScreensTest, SaveScreenShowsItsRowsThePickedOutlineAndTheName)
{
    MakeSaves(9);
    SwitchTo(15);
    Frame();
    Type("Spring Day");
    EditorKey(plat::kVkDown);
    Frame();
    EXPECT_TRUE(golden::MatchesGoldenImage("tournament_save_screen.png", Shown()));
}

} // namespace
