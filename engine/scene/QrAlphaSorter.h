#pragma once
// The engine's sorter: while active it defers every object handed to it as a draw record and,
// when the pass finishes, draws the records back to front through the camera. A subclass may
// defer only some objects by overriding AddObject and calling DeferObject for those.

#include "QrBoundSorter.h"
#include "QrRecordSorter.h"
#include "QrSorter.h"

#include <cstdint>

class QrAlphaSorter : public QrSorter
{
public:
    QrAlphaSorter();
    ~QrAlphaSorter() override;

    // The factory the program starts with.
    static QrSorter* Create();

    // Only when inactive: becomes active for the camera. A second call does nothing.
    void StartSorting(QrCamera* camera) override;
    // Only when active: draws the deferred records farthest first and drops them.
    void FinishSorting() override;
    // Defers every object while active.
    bool AddObject(QrAVObject* object, QrAVInstance* instance) override;

    bool IsActive() const { return m_active != 0; }
    uint32_t GetRecordCount() const { return m_records.GetCount(); }

protected:
    // Makes the record and appends it; false when there is no pass to defer it to.
    bool DeferObject(QrAVObject* object, QrAVInstance* instance);
    void DeleteRecords();

    // Not counted: the bound sorter holds the counted reference for the pass.
    QrCamera* m_camera = nullptr;
    QrSortedDrawRecordList m_records;
    QrBoundSorter m_boundSorter;
    uint8_t m_active = 0;
};
