#include "AnimationTestFixture.h"

#include "Qr3dsSkinAndBone.h"
#include "QrEngineAnimationClasses.h"

void QrAnimationTest::SetUp()
{
    RegisterEngineAnimationClasses();
    QrEngineTest::SetUp();
    m_timingAtStart = QrAnimTiming::GetListCount();
}

void QrAnimationTest::TearDown()
{
    // Skin bindings live on their program-wide list until it is released.
    Qr3dsSkinAndBone::FreeSharedBuffers();
    EXPECT_EQ(QrAnimTiming::GetListCount(), m_timingAtStart) << "timing parts left on the list";
    QrEngineTest::TearDown();
}

QrPointer<TimedProbe> TimedProbe::Make(uint32_t mode)
{
    QrPointer<TimedProbe> probe(new TimedProbe);
    probe->SetMode(mode);
    return probe;
}

void TimedProbe::ApplyAtTime(float time)
{
    m_applied.push_back(time);
    if (m_onApply)
        m_onApply(*this, time);
}
