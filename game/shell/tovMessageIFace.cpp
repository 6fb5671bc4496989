#include "tovMessageIFace.h"

#include "qrxFloatingText.h"
#include "qrxKeyMapper.h"
#include "tovShellButton.h"

#include "Font.h"
#include "KeyNumbers.h"

namespace
{

tovMessageIFace* g_instance = nullptr;

constexpr uint32_t kGroup = 32;
constexpr uint32_t kClickSound = 6183;
constexpr int32_t kLeft = 130;
constexpr int32_t kTop = 120;
constexpr int32_t kTextLeft = 157;
constexpr int32_t kTextTop = 141;
constexpr int32_t kTextRight = 477;
constexpr int32_t kTextBottom = 271;

} // namespace

tovMessageIFace::tovMessageIFace() : m_font(plat::Font::Create("Verdana", 20, 400))
{
    g_instance = this;
}

tovMessageIFace::~tovMessageIFace()
{
    if (g_instance == this)
        g_instance = nullptr;
}

tovMessageIFace* tovMessageIFace::GetInstance()
{
    return g_instance;
}

void tovMessageIFace::SetMessage(int32_t mode, tovMessageCallback callback, uintptr_t argument, const char* text)
{
    m_mode = mode == kMessageTwoAnswers ? kMessageTwoAnswers : kMessageOk;
    m_callback = callback;
    m_argument = argument;
    m_text = text ? text : "";
    m_answerKeys[0] = m_answerKeys[1] = 0;
    ++m_serial;
}

void tovMessageIFace::SetAnswerKeys(uint8_t first, uint8_t second)
{
    m_answerKeys[0] = first;
    m_answerKeys[1] = m_mode == kMessageTwoAnswers ? second : 0;
    m_keysRead = kNoRead;
}

bool tovMessageIFace::AnswerByKey(uint32_t virtualKey)
{
    for (int32_t answer = 0; answer < 2; ++answer)
        if (m_answerKeys[answer] != 0 && plat::VirtualKeyOfKey(m_answerKeys[answer]) == virtualKey)
        {
            Answer(answer);
            return true;
        }
    return false;
}

void tovMessageIFace::Answer(int32_t answer)
{
    m_answer = answer;
    m_answered = true;
}

void tovMessageIFace::AddAnswerButton(int32_t id, int32_t x, int32_t y, uint32_t normal, uint32_t highlight,
                                      int32_t answer)
{
    AddButton(new tovShellButton(x, y, normal, highlight, kClickSound, [this, answer] { Answer(answer); }), id);
}

void tovMessageIFace::Prepare(int32_t)
{
    LoadGroup(kGroup);
}

void tovMessageIFace::Enter(int32_t)
{
    if (m_mode == kMessageOk)
    {
        AddAnswerButton(1, 247, 307, 56, 55, 0);
        m_background = Picture(54);
    }
    else
    {
        AddAnswerButton(1, 320, 311, 102, 101, 0);
        AddAnswerButton(2, 219, 311, 100, 99, 1);
        m_background = Picture(98);
    }
    if (m_font)
        m_floatingText = std::make_unique<qrxFloatingText>(m_font.get(), plat::MakeColorRef(255, 255, 255));
    UnloadGroup(kGroup);
    m_answered = false;
    m_answer = 0;
}

void tovMessageIFace::Leave(int32_t)
{
    m_background = nullptr;
    m_floatingText.reset();
    ClearButtons();
}

void tovMessageIFace::Exit(int32_t) {}

int32_t tovMessageIFace::Update(float, float)
{
    if (CanDraw())
    {
        DrawPicture(m_background.Get(), kLeft, kTop);
        if (m_floatingText)
            m_floatingText->DrawBoxedText(kTextLeft, kTextTop, kTextRight, kTextBottom, m_text.c_str(), nullptr);
    }
    // Answers come in without a renderer too.
    DrawButtons();
    // A wait's frames read no keys: its loop hands them over as messages (AnswerByKey).
    if (m_keysRead == kNoRead)
        m_keysRead = qrxKeyMapper::GetReadFrame();
    const bool newKeys = qrxKeyMapper::GetReadFrame() > m_keysRead;
    for (int32_t answer = 0; answer < 2 && !m_answered && newKeys; ++answer)
        if (m_answerKeys[answer] != 0 && qrxKeyMapper::WasKeyPressed(m_answerKeys[answer]))
            Answer(answer);
    if (m_answered)
    {
        m_answered = false;
        const uint32_t serial = m_serial;
        if (m_callback)
            m_callback(m_answer, m_argument);
        if (serial == m_serial)
            ShowMessageScreen(false);
    }
    return 0;
}
