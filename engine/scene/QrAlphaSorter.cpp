#include "QrAlphaSorter.h"

#include "QrSortedDrawRecord.h"

QrAlphaSorter::QrAlphaSorter() : m_records(2), m_boundSorter(nullptr) {}

QrAlphaSorter::~QrAlphaSorter()
{
    DeleteRecords();
}

QrSorter* QrAlphaSorter::Create()
{
    return new QrAlphaSorter;
}

void QrAlphaSorter::StartSorting(QrCamera* camera)
{
    if (m_active)
        return;
    m_active = 1;
    m_camera = camera;
    m_boundSorter.SetCamera(camera);
}

bool QrAlphaSorter::AddObject(QrAVObject* object, QrAVInstance* instance)
{
    return DeferObject(object, instance);
}

bool QrAlphaSorter::DeferObject(QrAVObject* object, QrAVInstance* instance)
{
    // Outside a pass nothing would ever draw the record: the caller draws the object now.
    if (!m_active || !m_camera || !object)
        return false;
    m_records.AddTail(m_camera->CreateSortedDrawRecord(object, instance));
    return true;
}

void QrAlphaSorter::FinishSorting()
{
    if (!m_active)
        return;
    m_active = 0;
    // Held for the pass: a record's draw must not end the camera.
    QrPointer<QrCamera> camera(m_camera);
    m_boundSorter.Sort(m_records);
    m_boundSorter.StartIteration();
    while (QrSortedDrawRecord* record = m_boundSorter.GetNext())
        camera->DrawSortedRecord(record);
    m_boundSorter.FreeRecords();
    DeleteRecords();
    m_camera = nullptr;
    m_boundSorter.SetCamera(nullptr);
}

void QrAlphaSorter::DeleteRecords()
{
    while (auto* node = m_records.GetHead())
    {
        QrSortedDrawRecord* record = node->m_value;
        m_records.Remove(node);
        delete record;
    }
}
