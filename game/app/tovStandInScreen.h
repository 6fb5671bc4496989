#pragma once
// Holds a screen id until the screen itself is built: a plain page that says so, and any key
// press or click returns to the screen it came from (the main menu when it came from none).

#include "qrxInterface.h"

#include <cstdint>
#include <memory>

class tovStandInScreen : public qrxInterface
{
public:
    explicit tovStandInScreen(int32_t id) : m_id(id) {}

    void Prepare(int32_t /*previousId*/) override {}
    void Enter(int32_t previousId) override;
    void Leave(int32_t /*ownId*/) override {}
    void Exit(int32_t /*nextId*/) override { m_nextScreen = 0; }
    void PreUpdate(float elapsed) override;
    int32_t Update(float now, float elapsed) override;

    template <int32_t Id> static std::unique_ptr<qrxInterface> Make() { return std::make_unique<tovStandInScreen>(Id); }

private:
    int32_t m_id;
    int32_t m_previous = 0;
};
