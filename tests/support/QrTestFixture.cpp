#include "QrTestFixture.h"

#include "QrAction.h"
#include "QrEngineCoreClasses.h"
#include "QrObject.h"

void QrEngineTest::SetUp()
{
    RegisterEngineCoreClasses();
    QrAction::RemoveAll();
    m_liveAtStart = QrObject::GetLiveCount();
}

void QrEngineTest::TearDown()
{
    QrAction::RemoveAll();
    EXPECT_EQ(QrObject::GetLiveCount(), m_liveAtStart) << "engine objects leaked or released twice";
}
