#include "qrxTextEditor.h"

#include "FrameworkInputFixture.h"
#include "FrameworkTestApp.h"

#include "WindowMessage.h"

#include <memory>

namespace
{

class HookScreen : public TestScreen
{
public:
    using TestScreen::TestScreen;
    bool OnEditorMessage(uint32_t message, uintptr_t wParam, intptr_t) override
    {
        // The screen takes Return for itself.
        return message == plat::kMsgKeyDown && wParam == plat::kVkReturn && ++m_taken > 0;
    }
    int m_taken = 0;
};

void Type(qrxTextEditor& editor, const char* text)
{
    for (const char* c = text; *c; ++c)
        editor.HandleMessage(plat::kMsgChar, static_cast<unsigned char>(*c), 0);
}

void Key(qrxTextEditor& editor, uint32_t vk)
{
    editor.HandleMessage(plat::kMsgKeyDown, vk, 0);
}

class qrxTextEditorTest : public FrameworkInputTest
{
};

TEST_F(qrxTextEditorTest, TypingStopsAtTheMaximumAndTakesOnlyLettersDigitsAndSpaces)
{
    qrxTextEditor editor(nullptr, plat::kColorWhite, 10, 10);
    editor.m_maxLength = 8;
    Type(editor, "Bass, Jr!");
    EXPECT_EQ(editor.GetText(), "Bass Jr");
    Type(editor, "12345");
    EXPECT_EQ(editor.GetText(), "Bass Jr1") << "no text of maximum + 1";
    Type(editor, "\xE9");
    EXPECT_EQ(editor.GetText(), "Bass Jr1") << "bytes above ASCII are not typed";
    Key(editor, plat::kVkBack);
    Key(editor, plat::kVkDelete);
    EXPECT_EQ(editor.GetText(), "Bass J");
    editor.SetText("");
    Key(editor, plat::kVkBack);
    EXPECT_EQ(editor.GetText(), "");
    editor.m_maxLength = qrxTextEditor::kNoLimit;
    std::string longName(300, 'a');
    Type(editor, longName.c_str());
    EXPECT_EQ(editor.GetText().size(), 300u);
}

TEST_F(qrxTextEditorTest, TheHookSeesMessagesFirst)
{
    std::vector<std::string> log;
    HookScreen screen("save", log);
    qrxTextEditor editor(nullptr, plat::kColorWhite, 10, 10);
    editor.m_hook = &screen;
    Type(editor, "ab");
    Key(editor, plat::kVkReturn);
    Key(editor, plat::kVkBack);
    EXPECT_EQ(screen.m_taken, 1);
    EXPECT_EQ(editor.GetText(), "a");
}

TEST_F(qrxTextEditorTest, FocusPassesBetweenEditorsAndLeavesWithTheFocusedOne)
{
    auto first = std::make_unique<qrxTextEditor>(nullptr, plat::kColorWhite, 0, 0);
    qrxTextEditor second(nullptr, plat::kColorWhite, 0, 40);
    first->SetFocus();
    EXPECT_EQ(qrxTextEditor::GetFocusedEditor(), first.get());
    second.SetFocus();
    EXPECT_FALSE(first->HasFocus());
    first->KillFocus();
    EXPECT_TRUE(second.HasFocus()) << "killing the focus of an unfocused editor changes nothing";
    first->SetFocus();
    first.reset();
    EXPECT_EQ(qrxTextEditor::GetFocusedEditor(), nullptr);
}

} // namespace
