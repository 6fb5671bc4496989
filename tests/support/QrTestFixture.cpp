#include "QrTestFixture.h"

#include "QrAction.h"
#include "QrEngineCoreClasses.h"
#include "QrObject.h"
#include "QrProperty.h"

void QrEngineTest::SetUp()
{
    RegisterEngineCoreClasses();
    QrAction::RemoveAll();
    // Default properties live until exit; make them before counting.
    QrProperty::CreateDefaults();
    m_liveAtStart = QrObject::GetLiveCount();
}

void QrEngineTest::TearDown()
{
    QrAction::RemoveAll();
    EXPECT_EQ(QrObject::GetLiveCount(), m_liveAtStart) << "engine objects leaked or released twice";
}
