#include "qrxMouse.h"
#include "qrxKeyMapper.h"

#include "FrameworkInputFixture.h"

#include "KeyNumbers.h"

#include <string>
#include <vector>

namespace
{

class qrxInputTest : public FrameworkInputTest
{
protected:
    // "P" pressed, "R" released, "H" held without an edge, "-" up without an edge.
    static std::string Edge(const qrxMouse& mouse, int button)
    {
        if (mouse.WasButtonPressed(button))
            return "P";
        if (mouse.WasButtonReleased(button))
            return "R";
        return mouse.IsButtonDown(button) ? "H" : "-";
    }
    static std::string KeyEdge(uint8_t key)
    {
        const bool before = (qrxKeyMapper::GetPreviousKeys()[key] & 0x80) != 0;
        if (qrxKeyMapper::WasKeyPressed(key))
            return "P";
        if (!qrxKeyMapper::IsKeyDown(key) && before)
            return "R";
        return qrxKeyMapper::IsKeyDown(key) ? "H" : "-";
    }
};

struct Step
{
    const char* action; // "down", "up", "blur", "focus", "" (nothing)
    const char* edge;   // what button 0 (or the key) shows after the poll
};

TEST_F(qrxInputTest, MouseEdgesAcrossPollsFocusLossAndFailedReads)
{
    const std::vector<Step> steps = {
        {"down", "P"},
        {"", "H"},
        {"up", "R"},
        {"", "-"},
        // Pressed while the window has no focus: unreadable polls make no edges, twice over.
        {"blur", "-"},
        {"down", "-"},
        {"", "-"},
        {"focus", "P"},
        // Held when the focus goes, released while away: the release shows once it is back.
        {"blur", "H"},
        {"up", "H"},
        {"", "H"},
        {"focus", "R"},
    };
    qrxMouse mouse;
    mouse.Connect(&m_input, &m_window);
    for (size_t i = 0; i < steps.size(); ++i)
    {
        const std::string action = steps[i].action;
        if (action == "down" || action == "up")
            m_input.SetButton(0, action == "down");
        else if (action == "blur" || action == "focus")
            m_window.SetFocus(action == "focus");
        m_input.MoveMouse(3, 0);
        qrxMouse::BeginFrame();
        mouse.Poll();
        EXPECT_EQ(Edge(mouse, 0), steps[i].edge) << "step " << i << " (" << action << ")";
        // Motion of an unreadable frame is not repeated from the last read (and motion from
        // before a device is acquired again belongs to nobody).
        const bool moved = m_window.HasFocus() && action != "focus";
        EXPECT_EQ(mouse.GetCurrentState().x, moved ? 3 : 0) << "step " << i;
    }
}

TEST_F(qrxInputTest, MouseButtonNumbersOutsideTheFourAnswerFalse)
{
    qrxMouse mouse;
    mouse.Connect(&m_input, &m_window);
    m_input.SetButton(0, true);
    qrxMouse::BeginFrame();
    mouse.Poll();
    for (int b : {-1, 4, 99})
    {
        EXPECT_FALSE(mouse.IsButtonDown(b) || mouse.IsButtonUp(b) || mouse.WasButtonPressed(b) ||
                     mouse.WasButtonReleased(b) || mouse.ClearButton(b));
    }
    EXPECT_TRUE(mouse.ClearButton(0));
    EXPECT_EQ(Edge(mouse, 0), "-") << "a cleared button is neither held nor released";
    qrxMouse::BeginFrame();
    mouse.Poll();
    EXPECT_EQ(Edge(mouse, 0), "P");
}

TEST_F(qrxInputTest, KeyboardIsReadOncePerFrameSoEveryReaderSeesANewPress)
{
    qrxKeyMapper first;
    qrxKeyMapper second;
    first.Connect(&m_input, &m_window);
    const std::vector<Step> steps = {
        {"down", "P"}, {"", "H"}, {"up", "R"}, {"blur", "-"}, {"down", "-"}, {"", "-"}, {"focus", "P"},
    };
    for (size_t i = 0; i < steps.size(); ++i)
    {
        const std::string action = steps[i].action;
        if (action == "down" || action == "up")
            m_input.SetKey(plat::kKeyH, action == "down");
        else if (action == "blur" || action == "focus")
            m_window.SetFocus(action == "focus");
        qrxKeyMapper::BeginFrame();
        first.Poll();
        EXPECT_EQ(KeyEdge(plat::kKeyH), steps[i].edge) << "step " << i;
        second.Poll();
        EXPECT_EQ(KeyEdge(plat::kKeyH), steps[i].edge) << "second reader, step " << i;
    }
    qrxKeyMapper::SetKeysActive(false);
    EXPECT_FALSE(qrxKeyMapper::IsKeyDown(plat::kKeyH));
    qrxKeyMapper::SetKeysActive(true);
    EXPECT_TRUE(qrxKeyMapper::IsKeyDown(plat::kKeyH));
    m_input.SetKey(plat::kKeyH, false);
    qrxKeyMapper::BeginFrame();
    first.Poll();
}

TEST_F(qrxInputTest, DevicesStayWhileAnyObjectLivesAndConnectFailuresThrowTheirTexts)
{
    {
        auto early = std::make_unique<qrxMouse>();
        qrxMouse connector;
        connector.Connect(&m_input, &m_window);
        EXPECT_TRUE(qrxMouse::IsDeviceConnected());
        m_input.SetButton(1, true);
        qrxMouse::BeginFrame();
        early->Poll();
        EXPECT_TRUE(early->IsButtonDown(1)) << "an object built before the connection reads the device";
        m_input.SetButton(1, false);
    }
    EXPECT_FALSE(qrxMouse::IsDeviceConnected());
    EXPECT_EQ(qrxDirectInput::GetInterface(), nullptr);

    qrxKeyMapper keys;
    try
    {
        keys.Connect(nullptr, &m_window);
        FAIL();
    }
    catch (const char* text)
    {
        EXPECT_STREQ(text, "qrxDirectInput::Connect() -- DirectInputCreate() failed.");
    }
    try
    {
        keys.Connect(&m_input, nullptr);
        FAIL();
    }
    catch (const char* text)
    {
        EXPECT_STREQ(text, "qrxKeyMapper::Connect() -- DirectInputDevice::SetCooperativeLevel() failed.");
    }
}

} // namespace
