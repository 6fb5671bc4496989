#pragma once
// The message box (screen 21): a panel with a text and one (OK) or two (yes, no) answer
// buttons, raised over the current screen by ShowMessage and never switched to. An answer
// runs the caller's callback once and lowers the box.

#include "tovMessageBox.h"
#include "tovShellIFace.h"

#include <cstdint>
#include <memory>
#include <string>

class qrxFloatingText;

namespace plat
{
class Font;
}

class tovMessageIFace : public tovShellIFace
{
public:
    tovMessageIFace();
    ~tovMessageIFace() override;

    // The one instance, or null.
    static tovMessageIFace* GetInstance();

    // The text is copied: callers format it into their own buffers.
    void SetMessage(int32_t mode, tovMessageCallback callback, uintptr_t argument, const char* text);
    // A button's click.
    void Answer(int32_t answer);
    // Keys that answer the message as its first and second buttons do (0: none); a new
    // message has none. Presses count from the frame after the box's first: the key that
    // raised it does not answer it.
    void SetAnswerKeys(uint8_t first, uint8_t second);
    // A key-down message (a virtual key) taken by a loop of its own, not the frame's keys:
    // true when it is one of the answer keys, which then answers.
    bool AnswerByKey(uint32_t virtualKey);

    void Prepare(int32_t previousId) override;
    void Enter(int32_t previousId) override;
    void Leave(int32_t ownId) override;
    void Exit(int32_t nextId) override;
    // Always 0: the box never switches screens.
    int32_t Update(float now, float elapsed) override;

    const std::string& GetText() const { return m_text; }
    int32_t GetMode() const { return m_mode; }

private:
    void AddAnswerButton(int32_t id, int32_t x, int32_t y, uint32_t normal, uint32_t highlight, int32_t answer);

    std::unique_ptr<plat::Font> m_font;
    std::unique_ptr<qrxFloatingText> m_floatingText;
    std::string m_text;
    uintptr_t m_argument = 0;
    tovMessageCallback m_callback = nullptr;
    bool m_answered = false;
    int32_t m_mode = kMessageOk;
    int32_t m_answer = 0;
    uint8_t m_answerKeys[2] = {};
    // The read of the keys the box first saw after its answer keys were given; none yet.
    static constexpr uint64_t kNoRead = UINT64_MAX;
    uint64_t m_keysRead = kNoRead;
    // Counts messages given, so a callback that raises a new box keeps it up.
    uint32_t m_serial = 0;
};
