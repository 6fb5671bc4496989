#include "tovAlphaOnlySorter.h"

#include "QrAlphaProperty.h"
#include "QrCamera.h"
#include "QrDisplay.h"

QrSorter* tovAlphaOnlySorter::Create()
{
    return new tovAlphaOnlySorter;
}

bool tovAlphaOnlySorter::AddObject(QrAVObject* object, QrAVInstance* instance)
{
    if (!m_camera)
        return false;
    QrDisplay* display = m_camera->GetDisplay();
    if (!display)
        return false;
    const auto* alpha = static_cast<const QrAlphaProperty*>(display->GetCurrent(QrAlphaProperty::kType));
    if (!alpha || !alpha->m_enabled)
        return false;
    return DeferObject(object, instance);
}
