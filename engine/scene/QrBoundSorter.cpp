#include "QrBoundSorter.h"

#include "QrSortBox.h"
#include "QrSortedDrawRecord.h"

#include <algorithm>

QrBoundSorter::QrBoundSorter(QrCamera* camera) : m_camera(camera), m_precedence(16) {}

QrBoundSorter::~QrBoundSorter()
{
    FreeRecords();
}

void QrBoundSorter::Sort(const QrSortedDrawRecordList& records)
{
    FreeRecords();
    m_count = static_cast<int32_t>(records.GetCount());
    if (m_count == 0)
        return;
    if (m_count > m_capacity)
    {
        m_capacity = m_count;
        m_boxes.reset(new QrSortBox*[m_capacity]());
        m_runLengths.reset(new int32_t[m_capacity]());
    }

    int32_t i = 0;
    for (auto* node = records.GetHead(); node && i < m_count; node = node->m_next, ++i)
    {
        QrSortBox* box = new QrSortBox;
        box->m_record = node->m_value;
        QrPoint3 boxMin, boxMax;
        if (m_camera && box->m_record)
            m_camera->GetScreenBox(box->m_record->m_worldBound, boxMin, boxMax);
        box->m_min[0] = boxMin.x;
        box->m_min[1] = boxMin.y;
        box->m_min[2] = boxMin.z;
        box->m_max[0] = boxMax.x;
        box->m_max[1] = boxMax.y;
        box->m_max[2] = boxMax.z;
        m_boxes[i] = box;
        m_runLengths[i] = 0;
    }
    m_count = i;
    m_runLengths[0] = m_count;

    SortAndSplit(QrSortBox::kZ);
    SortAndSplit(QrSortBox::kY);
    SortAndSplit(QrSortBox::kX);

    const QrPoint3 eye = m_camera ? m_camera->GetWorldLocation() : QrPoint3::ZERO;
    for (int32_t s = 0; s < m_count; s += m_runLengths[s])
    {
        const int32_t length = m_runLengths[s];
        if (length == 2)
        {
            if (CompareByView(m_boxes[s], m_boxes[s + 1], eye) == 1)
                std::swap(m_boxes[s], m_boxes[s + 1]);
        }
        else if (length > 2)
        {
            m_precedence.Sort(&m_boxes[s], static_cast<uint32_t>(length), &QrBoundSorter::CompareByView, eye);
        }
    }
}

void QrBoundSorter::SortAndSplit(int axis)
{
    // Stable, so that boxes with equal minima keep their list order and a frame is drawn the
    // same way every time.
    auto byMin = [axis](const QrSortBox* a, const QrSortBox* b) { return a->m_min[axis] < b->m_min[axis]; };
    for (int32_t s = 0; s < m_count;)
    {
        const int32_t end = s + m_runLengths[s];
        std::stable_sort(&m_boxes[s], &m_boxes[0] + end, byMin);
        // A box touching the reach of the run so far joins it.
        int32_t i = s;
        while (i < end)
        {
            const int32_t start = i;
            float reach = m_boxes[i]->m_max[axis];
            for (++i; i < end && m_boxes[i]->m_min[axis] <= reach; ++i)
                reach = std::max(reach, m_boxes[i]->m_max[axis]);
            m_runLengths[start] = i - start;
        }
        s = end;
    }
}

int QrBoundSorter::CompareByView(const QrSortBox* a, const QrSortBox* b, const QrPoint3& eye)
{
    if (a->m_max[0] < b->m_min[0] || b->m_max[0] < a->m_min[0])
        return 0;
    if (a->m_max[1] < b->m_min[1] || b->m_max[1] < a->m_min[1])
        return 0;
    if (a->m_max[2] < b->m_min[2])
        return -1;
    if (b->m_max[2] < a->m_min[2])
        return 1;

    // Depth ranges overlap: split the segment between the centres in the ratio of the radii
    // and ask on which side of that point the eye lies.
    const QrBound& boundA = a->m_record->m_worldBound;
    const QrBound& boundB = b->m_record->m_worldBound;
    const double ra = boundA.GetRadius();
    const double rb = boundB.GetRadius();
    const double w = (ra + rb) == 0.0 ? 1.0 : rb / (ra + rb);
    const QrPoint3& ca = boundA.GetCenter();
    const QrPoint3& cb = boundB.GetCenter();
    const double dx = double(ca.x) - cb.x;
    const double dy = double(ca.y) - cb.y;
    const double dz = double(ca.z) - cb.z;
    const double qx = cb.x + w * dx;
    const double qy = cb.y + w * dy;
    const double qz = cb.z + w * dz;
    const double s = (eye.x - qx) * dx + (eye.y - qy) * dy + (eye.z - qz) * dz;
    return s > 0.0 ? -1 : 1;
}

void QrBoundSorter::StartIteration()
{
    m_cursor = m_count;
}

QrSortedDrawRecord* QrBoundSorter::GetNext()
{
    if (m_cursor <= 0)
        return nullptr;
    --m_cursor;
    return m_boxes[m_cursor] ? m_boxes[m_cursor]->m_record : nullptr;
}

void QrBoundSorter::FreeRecords()
{
    for (int32_t i = 0; i < m_count; ++i)
    {
        delete m_boxes[i];
        m_boxes[i] = nullptr;
    }
    m_count = 0;
    m_cursor = 0;
}
