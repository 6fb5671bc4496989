#include "ButtonObj.h"

#include "FrameworkTestImages.h"

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

namespace
{

class CountingButton : public ButtonObj
{
public:
    bool OnClick(int32_t x, int32_t y, uintptr_t userValue) override
    {
        ++m_clicks;
        m_lastUser = userValue;
        return ButtonObj::OnClick(x, y, userValue);
    }
    bool OnRightClick(int32_t x, int32_t y) override
    {
        ++m_rightClicks;
        return ButtonObj::OnRightClick(x, y);
    }
    int m_clicks = 0;
    int m_rightClicks = 0;
    uintptr_t m_lastUser = 0;
};

struct ButtonCase
{
    const char* name;
    // Space-separated events at points: dX,Y (left down), uX,Y, mX,Y (move), DX,Y and UX,Y
    // (right down and up), c (Click).
    const char* events;
    const char* setup; // letters: d disabled, i buttons inactive, s selected, n no selected pictures
    int clicks;
    int rightClicks;
    // The picture drawn afterwards, -1 for none.
    int picture;
};

class ButtonObjTest : public FrameworkImageTest
{
protected:
    void TearDown() override
    {
        ButtonObj::SetButtonsActive(true);
        FrameworkImageTest::TearDown();
    }
};

// The rectangle is (10, 10) to (50, 30): right and bottom are outside.
TEST_F(ButtonObjTest, StateMachine)
{
    using B = ButtonObj;
    const std::vector<ButtonCase> cases = {
        {"press and release inside clicks", "d20,20 u20,20", "", 1, 0, B::kNormal},
        {"leaving and coming back still clicks", "d20,20 m60,20 m20,20 u20,20", "", 1, 0, B::kNormal},
        {"release outside never clicks", "d20,20 m60,20 u60,20", "", 0, 0, B::kNormal},
        {"released outside and hovered again is not pressed", "d20,20 m60,20 u60,20 m20,20", "", 0, 0, B::kHighlight},
        {"release over a press begun elsewhere does not click", "d60,20 m20,20 u20,20", "", 0, 0, B::kHighlight},
        {"pressed and held shows the pressed picture", "d20,20", "", 0, 0, B::kPressed},
        {"dragged outside while held shows normal", "d20,20 m60,20", "", 0, 0, B::kNormal},
        {"hover shows highlight", "m20,20", "", 0, 0, B::kHighlight},
        {"the right edge is outside", "d50,20 u50,20", "", 0, 0, B::kNormal},
        {"the bottom edge is outside", "d20,30 u20,30", "", 0, 0, B::kNormal},
        {"the top-left corner is inside", "d10,10 u10,10", "", 1, 0, B::kNormal},
        {"disabled never clicks and shows its picture", "m20,20 d20,20 u20,20 c", "d", 0, 0, B::kDisabled},
        {"inactive buttons do nothing", "m20,20 d20,20 u20,20 D20,20 U20,20 c", "i", 0, 0, B::kNormal},
        {"click presses at the corner", "c", "", 1, 0, B::kNormal},
        {"selected shows the selected picture", "", "s", 0, 0, B::kSelected},
        {"selected hover shows the selected highlight", "m20,20", "s", 0, 0, B::kSelectedHighlight},
        {"selected without pictures shows pressed", "", "sn", 0, 0, B::kPressed},
        {"selected hover without pictures shows highlight", "m20,20", "sn", 0, 0, B::kHighlight},
        {"right press and release anywhere clicks right", "D90,90 U90,90", "", 0, 1, B::kNormal},
    };
    QrPointer<QrImage> pictures[B::kPictureCount];
    for (auto& p : pictures)
        p = QrImage::CreateFromFile("button.bmp", 0);

    for (const ButtonCase& test : cases)
    {
        SCOPED_TRACE(test.name);
        const std::string setup = test.setup;
        CountingButton button;
        button.SetRect(10, 10, 50, 30);
        button.m_userValue = 77;
        for (int slot = 0; slot < B::kPictureCount; ++slot)
        {
            const bool selectedSlot = slot == B::kSelected || slot == B::kSelectedHighlight;
            if (!(selectedSlot && setup.find('n') != std::string::npos))
                button.SetPicture(static_cast<B::Picture>(slot), pictures[slot].Get());
        }
        button.m_disabled = setup.find('d') != std::string::npos;
        button.SetSelected(setup.find('s') != std::string::npos);
        ButtonObj::SetButtonsActive(setup.find('i') == std::string::npos);

        std::istringstream events(test.events);
        std::string event;
        while (events >> event)
        {
            int x = 0, y = 0;
            if (event.size() > 1)
                std::sscanf(event.c_str() + 1, "%d,%d", &x, &y);
            bool answer = false;
            switch (event[0])
            {
            case 'd':
                answer = button.OnLeftDown(x, y);
                break;
            case 'u':
                answer = button.OnLeftUp(x, y);
                break;
            case 'm':
                answer = button.OnMouseMove(0, x, y);
                break;
            case 'D':
                answer = button.OnRightDown(x, y);
                break;
            case 'U':
                answer = button.OnRightUp(x, y);
                break;
            case 'c':
                button.Click();
                break;
            }
            if (setup.find('i') != std::string::npos || setup.find('d') != std::string::npos)
            {
                EXPECT_FALSE(answer) << event;
            }
        }
        ButtonObj::SetButtonsActive(true);
        EXPECT_EQ(button.m_clicks, test.clicks);
        EXPECT_EQ(button.m_rightClicks, test.rightClicks);
        if (button.m_clicks)
        {
            EXPECT_EQ(button.m_lastUser, 77u);
        }
        QrImage* drawn = button.ChoosePicture();
        EXPECT_EQ(drawn, test.picture < 0 ? nullptr : pictures[test.picture].Get());
    }
}

TEST_F(ButtonObjTest, DrawBlitsTheChosenPictureAtTheCornerAndNothingWhenItIsMissing)
{
    ButtonObj button;
    button.SetRect(10, 20, 74, 52);
    button.m_transparent = 1;
    button.Draw(m_render.Get());
    EXPECT_TRUE(m_render->GetLog().empty()) << "no normal picture: nothing drawn";
    QrPointer<QrImage> normal = QrImage::CreateFromFile("normal.bmp", 0);
    button.SetPicture(ButtonObj::kNormal, normal.Get());
    m_render->ClearLog();
    button.Draw(m_render.Get());
    ASSERT_EQ(m_render->GetLog().size(), 1u);
    EXPECT_EQ(m_render->GetLog()[0], "BlitImage image=file:normal.bmp source=[0 64 0 32] x=10 y=20 keyed=1");
}

} // namespace
