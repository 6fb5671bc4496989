#include "QrPick.h"

#include "QrPickResult.h"

QrPick::~QrPick()
{
    ClearResults();
}

void QrPick::AddResult(QrPickResult* result)
{
    if (!result)
        return;
    if (m_results.AddFirstEmpty(result) == QrTPointerArray<QrPickResult>::kInvalidIndex)
        delete result;
}

void QrPick::ClearResults()
{
    for (uint32_t i = 0; i < m_results.GetUsedSize(); ++i)
        delete m_results.GetAt(i);
    m_results.SetSize(0);
}
