#pragma once
// Stands in the screen table for a screen that is not built yet: a plain panel that says so
// in words, and goes back to where the player came from on a click, Space, Escape or after a
// few seconds (the main menu when there is nowhere to go back to).

#include "tovShellIFace.h"

#include <cstdint>
#include <memory>
#include <string>

class qrxFloatingText;

namespace plat
{
class Font;
}

class tovNotBuiltIFace : public tovShellIFace
{
public:
    static constexpr uint32_t kTimeoutMs = 4000;

    tovNotBuiltIFace(int32_t id, std::string name);
    ~tovNotBuiltIFace() override;

    void Prepare(int32_t previousId) override;
    void Enter(int32_t previousId) override;
    void Leave(int32_t ownId) override;
    void Exit(int32_t nextId) override;
    void PreUpdate(float elapsed) override;
    int32_t Update(float now, float elapsed) override;

    // What the panel says.
    std::string GetText() const;

private:
    void GoBack();

    int32_t m_id;
    std::string m_name;
    std::unique_ptr<plat::Font> m_font;
    std::unique_ptr<qrxFloatingText> m_floatingText;
    bool m_starting = false;
    uint32_t m_deadline = UINT32_MAX;
};
