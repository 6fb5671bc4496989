#pragma once
// One deferred draw: the object, the instance it is drawn under, its world bound and the
// display state in force when it was deferred (the current property of every type and the
// enabled lights), with the camera's traversal state. Made by QrCamera::CreateSortedDrawRecord,
// drawn by QrCamera::DrawSortedRecord; made and dropped every frame, so served from a pool.
// The property and light pointers are not counted: the record lives within one display pass,
// while the objects that hold them are still being drawn.

#include "QrAVObject.h"
#include "QrBound.h"
#include "QrProperty.h"
#include "QrTPool.h"

#include <cstdint>

class QrLight;

class QrSortedDrawRecord
{
    QR_DECLARE_POOLED(QrSortedDrawRecord)

public:
    static constexpr uint32_t kPropertyCount = QrProperty::kTypeCount;
    static constexpr int32_t kMaxLights = 8;

    QrSortedDrawRecord() = default;
    QrSortedDrawRecord(const QrSortedDrawRecord&) = delete;
    QrSortedDrawRecord& operator=(const QrSortedDrawRecord&) = delete;

    // Copies kPropertyCount pointers in property-type order.
    void SetProperties(QrProperty* const* properties);
    // Stores the top (-1: no lights) and copies top + 1 light pointers.
    void SetLights(int32_t lightTop, QrLight* const* lights);

    QrPointer<QrAVObject> m_geometry;
    QrAVInstance* m_instance = nullptr;
    QrBound m_worldBound;
    QrProperty* m_properties[kPropertyCount] = {};
    int32_t m_lightTop = -1;
    QrLight* m_lights[kMaxLights] = {};
    uint8_t m_sortFlag = 0;
    uint32_t m_passedPlaneMask[QrAVObject::kPlaneMaskWords] = {};
};
