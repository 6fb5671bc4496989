#pragma once
// Orders deferred draw records back to front without comparing every pair: each record is
// boxed in screen space through the camera, the boxes are cut into clusters that overlap on
// all three axes (sweeps on depth, then y, then x), and only inside a cluster are pairs
// compared by view. Records come out farthest first. Owned by its alpha sorter; its arrays
// stay allocated and only grow.

#include "QrCamera.h"
#include "QrPrecedenceSort.h"
#include "QrRecordSorter.h"

#include <cstdint>
#include <memory>

class QrSortBox;

class QrBoundSorter : public QrRecordSorter
{
public:
    explicit QrBoundSorter(QrCamera* camera = nullptr);
    ~QrBoundSorter() override;

    void Sort(const QrSortedDrawRecordList& records) override;
    void StartIteration() override;
    QrSortedDrawRecord* GetNext() override;
    void FreeRecords() override;

    QrCamera* GetCamera() const { return m_camera.Get(); }
    void SetCamera(QrCamera* camera) { m_camera = camera; }

    // 0: no order (apart on screen); -1: a is nearer, so drawn after b; 1: b is nearer.
    static int CompareByView(const QrSortBox* a, const QrSortBox* b, const QrPoint3& eye);

private:
    void SortAndSplit(int axis);

    QrPointer<QrCamera> m_camera;
    int32_t m_count = 0;
    int32_t m_capacity = 0;
    std::unique_ptr<QrSortBox*[]> m_boxes;
    // Entry s: length of the run starting at s; entries inside a run mean nothing.
    std::unique_ptr<int32_t[]> m_runLengths;
    int32_t m_cursor = 0;
    QrPrecedenceSort m_precedence;
};
