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

namespace
{

class tovSaveScreensTest : public ShellScreenTest
{
protected:
    void SetUp() override
    {
        ShellScreenTest::SetUp();
        std::filesystem::create_directories(m_dir.File("Lakes"));
        SetInstallRoot(m_dir.Path());
        SetDiscRoot(m_dir.Path());
        SetInstallType(0);
        tools::PackContents contents;
        const std::string id = "2";
        contents.Add({0x80000007, 72, 0, {}, std::vector<uint8_t>(id.begin(), id.end())}, {0});
        std::string error;
        ASSERT_TRUE(tools::WritePackFiles(contents, m_dir.File("Lakes/Alder"), error)) << error;
        TheLakeCatalogue().Clear();
        TheLakeCatalogue().SelectLake(m_session.get(), 2);
        SetRigFactory(&m_link);
        SetSaveGameLink(&m_link);
        m_savedProfile = TheUserProfile();
        TheUserProfile().SetDefaults(false);
        TheUserProfile().SetName("Pat", false);
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
