#include "qrxIdleManager.h"
#include "qrxIdleObject.h"

#include "QrTestFixture.h"
#include "TestStreamObjects.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace
{

struct Step
{
    std::string name;
    double now;
    double elapsed;
    QrObject* context;
    bool operator==(const Step&) const = default;
};

class RecordingIdle : public qrxIdleObject
{
public:
    RecordingIdle(std::string name, std::vector<Step>& steps) : m_name(std::move(name)), m_steps(steps) {}
    void Update(double now, double elapsed) override { m_steps.push_back({m_name, now, elapsed, GetContext()}); }

private:
    std::string m_name;
    std::vector<Step>& m_steps;
};

class qrxIdleManagerTest : public QrEngineTest
{
protected:
    std::vector<Step> m_steps;
};

TEST_F(qrxIdleManagerTest, StepsInAddOrderWithElapsedFromTheSecondStep)
{
    qrxIdleManager manager;
    RecordingIdle a("a", m_steps), b("b", m_steps);
    manager.Add(&a);
    manager.Add(&b);
    manager.Add(&a);
    manager.Update(2.0);
    manager.Update(2.5);
    const std::vector<Step> expected = {
        {"a", 2.0, 0.0, nullptr}, {"b", 2.0, 0.0, nullptr}, {"a", 2.0, 0.0, nullptr},
        {"a", 2.5, 0.5, nullptr}, {"b", 2.5, 0.5, nullptr}, {"a", 2.5, 0.5, nullptr},
    };
    EXPECT_EQ(m_steps, expected);

    // A step at time 0.0 leaves the next one a first step too.
    qrxIdleManager fresh;
    fresh.Add(&b);
    fresh.Update(0.0);
    fresh.Update(3.0);
    EXPECT_EQ(m_steps.back().elapsed, 0.0);
}

TEST_F(qrxIdleManagerTest, ContextIsHeldOnlyDuringTheCall)
{
    qrxIdleManager manager;
    RecordingIdle a("a", m_steps);
    manager.Add(&a);
    QrPointer<TestLeaf> context = TestLeaf::Make(1);
    const uint32_t before = context->GetRefCount();
    manager.UpdateAll(1.0, context.Get());
    ASSERT_EQ(m_steps.size(), 1u);
    EXPECT_EQ(m_steps[0].context, context.Get());
    EXPECT_EQ(a.GetContext(), nullptr);
    EXPECT_EQ(context->GetRefCount(), before);
}

TEST_F(qrxIdleManagerTest, RemovalAndDestructionTakeObjectsOffTheList)
{
    qrxIdleManager first, second;
    RecordingIdle kept("kept", m_steps);
    auto gone = std::make_unique<RecordingIdle>("gone", m_steps);
    RecordingIdle removed("removed", m_steps);
    first.Add(gone.get());
    second.Add(gone.get());
    first.Add(&removed);
    first.Add(&kept);
    EXPECT_TRUE(first.Remove(&removed));
    EXPECT_FALSE(first.Remove(&removed));
    gone.reset();
    EXPECT_EQ(first.GetCount(), 1u);
    EXPECT_EQ(second.GetCount(), 0u);
    first.Update(1.0);
    second.Update(1.0);
    ASSERT_EQ(m_steps.size(), 1u);
    EXPECT_EQ(m_steps[0].name, "kept");
    // A manager destroyed first leaves its objects free to join another.
    {
        qrxIdleManager shortLived;
        shortLived.Add(&kept);
    }
    second.Add(&kept);
    second.Update(2.0);
    EXPECT_EQ(m_steps.size(), 2u);
}

} // namespace

namespace
{

// Runs an action in its step: destroys or removes an object, or adds one.
class ActingIdle : public qrxIdleObject
{
public:
    ActingIdle(std::string name, std::vector<Step>& steps, std::function<void()> action)
        : m_name(std::move(name)), m_steps(steps), m_action(std::move(action))
    {
    }
    void Update(double now, double elapsed) override
    {
        m_steps.push_back({m_name, now, elapsed, GetContext()});
        m_action();
    }

private:
    std::string m_name;
    std::vector<Step>& m_steps;
    std::function<void()> m_action;
};

TEST_F(qrxIdleManagerTest, ObjectsLeaveAndJoinFromInsideAStep)
{
    qrxIdleManager manager;
    auto other = std::make_unique<RecordingIdle>("other", m_steps);
    std::unique_ptr<ActingIdle> self;
    RecordingIdle late("late", m_steps);
    ActingIdle killer("killer", m_steps,
                      [&]
                      {
                          other.reset();
                          manager.Add(&late);
                      });
    self = std::make_unique<ActingIdle>("self", m_steps, [&] { self.reset(); });
    RecordingIdle last("last", m_steps);
    manager.Add(&killer);
    manager.Add(other.get());
    manager.Add(self.get());
    manager.Add(&last);
    manager.Update(1.0);
    std::vector<std::string> names;
    for (const Step& step : m_steps)
        names.push_back(step.name);
    EXPECT_EQ(names, (std::vector<std::string>{"killer", "self", "last"}));
    EXPECT_EQ(manager.GetCount(), 3u);
    m_steps.clear();
    manager.Update(2.0);
    names.clear();
    for (const Step& step : m_steps)
        names.push_back(step.name);
    EXPECT_EQ(names, (std::vector<std::string>{"killer", "last", "late"}));
}

} // namespace
