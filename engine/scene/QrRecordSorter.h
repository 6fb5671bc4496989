#pragma once
// Orders a list of deferred draw records and hands them out one by one for drawing.
// Owned by the sorter that uses it.

#include "QrTList.h"

class QrSortedDrawRecord;

using QrSortedDrawRecordList = QrTList<QrSortedDrawRecord*>;

class QrRecordSorter
{
public:
    QrRecordSorter() = default;
    QrRecordSorter(const QrRecordSorter&) = delete;
    QrRecordSorter& operator=(const QrRecordSorter&) = delete;
    virtual ~QrRecordSorter() = default;

    virtual void Sort(const QrSortedDrawRecordList& records) = 0;
    virtual void StartIteration() = 0;
    // Null after the last record.
    virtual QrSortedDrawRecord* GetNext() = 0;
    // Drops what Sort made; the records themselves stay with their list.
    virtual void FreeRecords() = 0;
};
