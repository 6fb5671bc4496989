#include "HeadlessInputBackend.h"
#include "HeadlessWindowBackend.h"
#include "InputScript.h"
#include "KeyNumbers.h"

#include <gtest/gtest.h>

using namespace plat;

namespace
{

class HeadlessInputTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(window.Open({"Input", 640, 480}));
        ASSERT_TRUE(input.Acquire(InputDevice::Mouse));
        ASSERT_TRUE(input.Acquire(InputDevice::Keyboard));
    }

    std::vector<uint32_t> Messages()
    {
        std::vector<uint32_t> ids;
        WindowMessage m;
        while (window.PollMessage(m))
            ids.push_back(m.message == kMsgKeyDown || m.message == kMsgChar ? m.message << 8 | uint32_t(m.wParam)
                                                                            : m.message);
        return ids;
    }

    HeadlessWindowBackend window;
    HeadlessInputBackend input{window};
    KeyboardState keys{};
    MouseState mouse;
};

} // namespace

TEST_F(HeadlessInputTest, ScriptPlaysEachFrameIntoStateAndMessages)
{
    InputScript script;
    std::string error;
    ASSERT_TRUE(script.Parse("# start\n"
                             "0 move 100 100\n"
                             "2 key LeftShift down\n"
                             "2 key 16 down\r\n"
                             "2 text Hi\n"
                             "3 move 90 130\n"
                             "3 button 1 down\n"
                             "3 wheel -2\n"
                             "4 key q up\n"
                             "4 step 250\n",
                             error))
        << error;
    script.PlayUntil(0, window, input);
    ASSERT_EQ(input.ReadMouse(mouse), InputResult::Ok);
    Messages();

    script.PlayUntil(1, window, input); // nothing stamped 1
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(script.StepMs(), 0u);

    script.PlayUntil(2, window, input);
    ASSERT_EQ(input.ReadKeyboard(keys), InputResult::Ok);
    EXPECT_EQ(keys[kKeyLeftShift], kInputHeld);
    EXPECT_EQ(keys[kKeyQ], kInputHeld);
    EXPECT_EQ(Messages(), (std::vector<uint32_t>{kMsgKeyDown << 8 | kVkShift, kMsgKeyDown << 8 | 'Q',
                                                 kMsgChar << 8 | 'H', kMsgChar << 8 | 'i'}));

    script.PlayUntil(4, window, input);
    ASSERT_EQ(input.ReadMouse(mouse), InputResult::Ok);
    EXPECT_EQ(mouse.x, -10);
    EXPECT_EQ(mouse.y, 30);
    EXPECT_EQ(mouse.z, -240);
    EXPECT_EQ(mouse.buttons[0], 0);
    EXPECT_EQ(mouse.buttons[1], kInputHeld);
    EXPECT_EQ(window.CursorPosition(), (Point{90, 130}));
    ASSERT_EQ(input.ReadKeyboard(keys), InputResult::Ok);
    EXPECT_EQ(keys[kKeyQ], 0);
    EXPECT_EQ(script.StepMs(), 250u);
    EXPECT_TRUE(script.Finished());

    // Motion is relative: a second read without movement reports none.
    ASSERT_EQ(input.ReadMouse(mouse), InputResult::Ok);
    EXPECT_EQ(mouse.x, 0);
    EXPECT_EQ(mouse.z, 0);
}

TEST_F(HeadlessInputTest, FocusLossMakesDevicesUnreadableUntilReacquired)
{
    input.SetKey(kKeySpace, true);
    ASSERT_EQ(input.ReadKeyboard(keys), InputResult::Ok);
    window.SetFocus(false);

    KeyboardState untouched{};
    untouched[7] = 0x55;
    KeyboardState attempt = untouched;
    EXPECT_EQ(input.ReadKeyboard(attempt), InputResult::InputLost);
    EXPECT_EQ(input.ReadKeyboard(attempt), InputResult::NotAcquired);
    EXPECT_EQ(attempt, untouched); // failed reads leave the caller's state alone
    EXPECT_FALSE(input.Acquire(InputDevice::Keyboard));

    // Motion while unfocused belongs to nobody.
    input.MoveMouse(50, 50);
    window.SetFocus(true);
    EXPECT_EQ(input.ReadMouse(mouse), InputResult::InputLost); // the loss is still reported once
    ASSERT_TRUE(input.Acquire(InputDevice::Mouse));
    ASSERT_TRUE(input.Acquire(InputDevice::Keyboard));
    ASSERT_EQ(input.ReadMouse(mouse), InputResult::Ok);
    EXPECT_EQ(mouse.x, 0);
    ASSERT_EQ(input.ReadKeyboard(keys), InputResult::Ok);
    EXPECT_EQ(keys[kKeySpace], kInputHeld);

    input.Unacquire(InputDevice::Keyboard);
    EXPECT_EQ(input.ReadKeyboard(keys), InputResult::NotAcquired);
}

// A wait holds everything after it until the check passes (never without a check); the events
// after it keep their distance from the frame it passed on.
TEST_F(HeadlessInputTest, AWaitHoldsTheScriptUntilTheStateHasItsLine)
{
    InputScript script;
    std::string error;
    ASSERT_TRUE(script.Parse("1 wait screen 19\n1 keep seen-19\n3 key A down\n5 wait screen 2\n6 key B down\n", error))
        << error;
    std::string state = "screen 8";
    const InputScript::StateCheck check = [&](const std::string& line) { return line == state; };
    // A keep comes at the frame its wait passes, not before.
    std::vector<std::string> kept;
    const InputScript::StateKeeper keep = [&](const std::string& name) { kept.push_back(name + " at " + state); };
    std::vector<std::string> asked;
    script.PlayUntil(4, window, input, [&](const std::string& line) { return asked.push_back(line), false; });
    EXPECT_EQ(asked, std::vector<std::string>{"screen 19"});
    script.PlayUntil(5, window, input); // without a check, the wait holds
    for (uint32_t frame = 6; frame < 10; ++frame)
        script.PlayUntil(frame, window, input, check, keep);
    EXPECT_TRUE(Messages().empty());
    EXPECT_TRUE(kept.empty());
    state = "screen 19";
    script.PlayUntil(10, window, input, check, keep); // 9 frames late: A is due at 12
    EXPECT_EQ(kept, std::vector<std::string>{"seen-19 at screen 19"});
    script.PlayUntil(11, window, input, check);
    EXPECT_TRUE(Messages().empty());
    script.PlayUntil(12, window, input, check);
    EXPECT_EQ(Messages(), std::vector<uint32_t>{kMsgKeyDown << 8 | 'A'});
    script.PlayUntil(20, window, input, check);
    EXPECT_TRUE(Messages().empty()) << "held by the second wait";
    state = "screen 2";
    script.PlayUntil(21, window, input, check);
    EXPECT_TRUE(Messages().empty());
    script.PlayUntil(22, window, input, check);
    EXPECT_EQ(Messages(), std::vector<uint32_t>{kMsgKeyDown << 8 | 'B'});
    EXPECT_TRUE(script.Finished());
}

TEST(InputScript, RefusesBadLinesWithTheirNumber)
{
    const struct
    {
        const char* source;
        const char* error;
    } cases[] = {
        {"1 key Nothing down", "line 1: unknown key"},
        {"\n1 key 256 down", "line 2: unknown key"},
        {"1 key A sideways", "line 1: expected down or up"},
        {"5 close\n4 close", "line 2: frames go back"},
        {"x close", "line 1: bad frame number"},
        {"-1 close", "line 1: bad frame number"},
        {"4294967296 close", "line 1: bad frame number"},
        {"1 move 10", "line 1: bad position"},
        {"1 move 10 99999999999", "line 1: bad position"},
        {"1 button 4 down", "line 1: bad button"},
        {"1 wheel 1001", "line 1: bad wheel steps"},
        {"1 focus maybe", "line 1: expected on or off"},
        {"1 step 0", "line 1: bad step"},
        {"1 step 3600001", "line 1: bad step"},
        {"1 jump", "line 1: unknown event"},
        {"1 wait  ", "line 1: wait needs a line"},
        {"1 keep ../x", "line 1: keep needs a name of letters, digits, - and _"},
        {"1 keep", "line 1: keep needs a name of letters, digits, - and _"},
    };
    for (const auto& c : cases)
    {
        InputScript script;
        std::string error;
        EXPECT_FALSE(script.Parse(c.source, error)) << c.source;
        EXPECT_EQ(error, c.error) << c.source;
        EXPECT_TRUE(script.Events().empty());
    }
    InputScript script;
    std::string error;
    EXPECT_FALSE(script.Parse("1 text " + std::string(InputScript::kMaxLineLength, 'a'), error));
    EXPECT_EQ(error, "line 1: line too long");
}
