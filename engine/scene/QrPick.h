#pragma once
// A ray-pick query carried down the tree by FindIntersections, with the results found so
// far. The pick owns its result records.

#include "QrTPointerArray.h"

#include <cstdint>

class QrPickResult;

class QrPick
{
public:
    QrPick() = default;
    QrPick(const QrPick&) = delete;
    QrPick& operator=(const QrPick&) = delete;
    ~QrPick();

    // Adds to the first empty slot of the results; the pick takes ownership.
    void AddResult(QrPickResult* result);
    // Deletes every result.
    void ClearResults();
    uint32_t GetResultCount() const { return m_results.GetCount(); }
    // Results in the order found (slot index below the used size; empty slots are null).
    QrPickResult* GetResultAt(uint32_t index) const { return m_results.GetAt(index); }
    // Pick type 1 with second mode 1: stop at the first hit.
    bool StopsAtFirstHit() const { return m_pickType == 1 && m_secondMode == 1; }

    uint32_t m_pickType = 0;
    uint32_t m_secondMode = 0;
    // 0: record the object whose world bound the ray meets, without testing triangles.
    uint32_t m_intersectionLevel = 0;
    uint8_t m_frontFacesOnly = 0;
    uint32_t m_reserved = 0;
    uint8_t m_wantTextureCoordinate = 0;
    uint8_t m_wantNormal = 0;
    uint8_t m_smoothNormal = 0;
    uint8_t m_wantColor = 0;

private:
    QrTPointerArray<QrPickResult> m_results{0, 1};
};
