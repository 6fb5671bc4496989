#include "uCircleTarget.h"
#include "uRangeControl.h"
#include "uSteeringWheel.h"
#include "uThrottle.h"
#include "uVRangeControl.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace
{

struct ControlCase
{
    std::string name;
    std::function<std::unique_ptr<uValueControl>()> make;
    std::function<void(uValueControl&)> act;
    float expected;
};

template <class T> T& As(uValueControl& c)
{
    return dynamic_cast<T&>(c);
}

std::unique_ptr<uValueControl> Circle(float value)
{
    auto c = std::make_unique<uCircleTarget>();
    c->SetUpper(360.0f);
    c->SetLower(0.0f);
    c->SetStep(1.0f);
    c->SetValue(value);
    return c;
}

TEST(uValueControlTest, Table)
{
    auto range25 = [] { return std::make_unique<uRangeControl>(2.0f, 5.0f); };
    auto wheel = [] { return std::make_unique<uSteeringWheel>(0.1f); };
    auto throttle = [] { return std::make_unique<uThrottle>(0.3f); };
    auto vrange = [] { return std::make_unique<uVRangeControl>(); };
    const std::vector<ControlCase> cases = {
        {"range starts at its minimum", range25, [](uValueControl&) {}, 2.0f},
        {"range clamps a set value", range25, [](uValueControl& c) { c.SetValue(7.0f); }, 5.0f},
        {"range decreases no further than its minimum", range25,
         [](uValueControl& c)
         {
             c.SetValue(2.5f);
             c.Decrease(30.0f);
         },
         2.0f},
        {"raising the minimum clamps again", range25,
         [](uValueControl& c)
         {
             c.SetValue(7.0f);
             As<uRangeControl>(c).SetMin(6.0f);
         },
         6.0f},
        {"reset takes a default outside the limits", range25,
         [](uValueControl& c)
         {
             c.SetDefault(9.0f);
             c.Reset();
         },
         9.0f},
        {"wheel inside its dead zone", wheel, [](uValueControl& c) { c.SetValue(0.05f); }, 0.0f},
        {"wheel past its dead zone", wheel, [](uValueControl& c) { c.SetValue(0.55f); }, 0.5f},
        {"wheel at the lower limit", wheel, [](uValueControl& c) { c.SetValue(-1.0f); }, -1.0f},
        {"throttle in reverse", throttle, [](uValueControl& c) { As<uThrottle>(c).SetReverse(true); }, -0.3f},
        {"one increase leaves reverse for neutral", throttle,
         [](uValueControl& c)
         {
             As<uThrottle>(c).SetReverse(true);
             c.Increase(1.0f);
         },
         0.0f},
        {"the next increase moves forward", throttle,
         [](uValueControl& c)
         {
             As<uThrottle>(c).SetReverse(true);
             c.Increase(1.0f);
             c.Increase(1.0f);
         },
         0.1f},
        {"vrange stops on its target", vrange,
         [](uValueControl& c)
         {
             c.SetValue(0.95f);
             As<uVRangeControl>(c).SetTarget(1.0f);
             As<uVRangeControl>(c).StepToTarget(1.0f);
         },
         1.0f},
        {"circle wraps past its upper bound", [] { return Circle(350.0f); },
         [](uValueControl& c) { c.Increase(20.0f); }, 10.0f},
        {"circle brings a far value round", [] { return Circle(0.0f); },
         [](uValueControl& c) { c.SetValue(360.0f * 5000.0f + 90.0f); }, 90.0f},
        {"circle with an empty span keeps its value",
         []
         {
             auto c = std::make_unique<uCircleTarget>();
             c->SetUpper(5.0f);
             c->SetLower(5.0f);
             return c;
         },
         [](uValueControl& c) { c.SetValue(42.0f); }, 42.0f},
        {"circle target turns up through the bound and stops", [] { return Circle(350.0f); },
         [](uValueControl& c)
         {
             auto& t = As<uCircleTarget>(c);
             t.SetTarget(10.0f);
             t.StepToTarget(15.0f);
             EXPECT_FLOAT_EQ(t.GetValue(), 365.0f);
             EXPECT_FLOAT_EQ(t.GetWrappedValue(), 5.0f);
             t.StepToTarget(15.0f);
         },
         10.0f},
        {"circle target turns down the short way", [] { return Circle(10.0f); },
         [](uValueControl& c)
         {
             auto& t = As<uCircleTarget>(c);
             t.SetTarget(350.0f);
             t.StepToTarget(5.0f);
             EXPECT_FLOAT_EQ(t.GetValue(), 5.0f);
             t.StepToTarget(30.0f);
         },
         350.0f},
        {"circle target ties turn down", [] { return Circle(0.0f); },
         [](uValueControl& c)
         {
             auto& t = As<uCircleTarget>(c);
             t.SetTarget(180.0f);
             t.StepToTarget(1.0f);
         },
         -1.0f},
    };
    for (const ControlCase& test : cases)
    {
        SCOPED_TRACE(test.name);
        std::unique_ptr<uValueControl> control = test.make();
        test.act(*control);
        EXPECT_FLOAT_EQ(control->GetValue(), test.expected);
    }
}

} // namespace
