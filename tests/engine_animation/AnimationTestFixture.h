#pragma once
// Fixture of the animation tests: the engine fixture with the animation classes registered,
// which releases the skin bindings' program-wide list and then checks that every timing part
// made during a test left the program-wide list.
// TimedProbe is an animated object whose apply runs a test's callback.

#include "QrTestFixture.h"

#include "QrAnimTiming.h"
#include "QrObject.h"

#include <cstdint>
#include <functional>
#include <vector>

class QrAnimationTest : public QrEngineTest
{
protected:
    void SetUp() override;
    void TearDown() override;

private:
    uint32_t m_timingAtStart = 0;
};

class TimedProbe : public QrObject, public QrAnimTiming
{
public:
    static QrPointer<TimedProbe> Make(uint32_t mode = kModeUpdate);

    void ApplyAtTime(float time) override;

    // Times of every apply, in order.
    std::vector<float> m_applied;
    std::function<void(TimedProbe&, float)> m_onApply;

protected:
    TimedProbe() = default;
    ~TimedProbe() override = default;
};
