#include "qrxKeypadNavigator.h"
#include "qrxProgramEntry.h"

#include "FrameworkInputFixture.h"
#include "FrameworkTestApp.h"

#include "QrNode.h"

#include "KeyNumbers.h"

namespace
{

class qrxKeypadNavigatorTest : public FrameworkInputTest
{
protected:
    void SetUp() override
    {
        FrameworkInputTest::SetUp();
        m_keys.Connect(&m_input, &m_window);
        m_object = new QrNode;
    }
    void TearDown() override
    {
        Hold({});
        m_object = nullptr;
        FrameworkInputTest::TearDown();
    }
    // Holds exactly these keys for the next frame.
    void Hold(std::initializer_list<uint8_t> keys)
    {
        for (uint8_t key : m_held)
            m_input.SetKey(key, false);
        m_held.assign(keys.begin(), keys.end());
        for (uint8_t key : m_held)
            m_input.SetKey(key, true);
        qrxKeyMapper::BeginFrame();
        m_keys.Poll();
    }

    qrxKeyMapper m_keys;
    QrPointer<QrNode> m_object;
    std::vector<uint8_t> m_held;
};

TEST_F(qrxKeypadNavigatorTest, MovesAlongTheForwardAxisScaledByTheModifiers)
{
    qrxKeypadNavigator navigator(m_object.Get(), nullptr);
    struct Case
    {
        std::initializer_list<uint8_t> keys;
        float forward; // expected step along x with the identity rotation
    };
    const Case cases[] = {
        {{plat::kKeyKeypad8}, 0.5f},
        {{plat::kKeyKeypad8, plat::kKeyKeypad2}, 0.5f},
        {{plat::kKeyKeypad2}, -0.5f},
        {{plat::kKeyKeypad8, plat::kKeyLeftShift}, 1.0f},
        {{plat::kKeyKeypad8, plat::kKeyRightCtrl}, 0.25f},
        {{plat::kKeyKeypad8, plat::kKeyRightShift, plat::kKeyLeftCtrl}, 50.0f},
    };
    for (const Case& c : cases)
    {
        m_object->SetTranslate(0.0f, 0.0f, 0.0f);
        Hold(c.keys);
        navigator.HandleKeys(0.5f);
        EXPECT_FLOAT_EQ(m_object->GetTranslate().x, c.forward);
        EXPECT_FLOAT_EQ(m_object->GetTranslate().y, 0.0f);
    }
    qrxKeyMapper::SetKeysActive(false);
    m_object->SetTranslate(0.0f, 0.0f, 0.0f);
    navigator.HandleKeys(0.5f);
    qrxKeyMapper::SetKeysActive(true);
    EXPECT_FLOAT_EQ(m_object->GetTranslate().x, 0.0f) << "nothing moves while keys are off";
}

TEST_F(qrxKeypadNavigatorTest, KeypadFiveLevelsTheFrameWithoutMovingIt)
{
    qrxKeypadNavigator navigator(m_object.Get(), nullptr);
    Hold({plat::kKeyKeypad4, plat::kKeyKeypad7});
    navigator.HandleKeys(30.0f);
    EXPECT_NE(m_object->GetRotate().m[0][0], 1.0f);
    m_object->SetTranslate(3.0f, 4.0f, 5.0f);
    Hold({plat::kKeyKeypad5});
    navigator.HandleKeys(1.0f);
    QrMatrix3 identity;
    identity.MakeIdentity();
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            EXPECT_EQ(m_object->GetRotate().m[i][j], identity.m[i][j]);
    EXPECT_EQ(m_object->GetTranslate().x, 3.0f);
}

TEST(qrxProgramEntryTest, ThrownMessagesEndInAnErrorBox)
{
    plat::HeadlessWindowBackend window;
    EXPECT_EQ(RunGuarded(&window, [] { return 3; }), 3);
    EXPECT_TRUE(window.MessageBoxes().empty());
    EXPECT_EQ(RunGuarded(&window, []() -> int { throw "qrxMouse::Connect() -- DirectInput::CreateDevice() failed."; }),
              1);
    ASSERT_EQ(window.MessageBoxes().size(), 1u);
    EXPECT_EQ(window.MessageBoxes()[0].title, "Error");
    EXPECT_EQ(window.MessageBoxes()[0].text, "qrxMouse::Connect() -- DirectInput::CreateDevice() failed.");
}

} // namespace
