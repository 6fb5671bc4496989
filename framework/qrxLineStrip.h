#pragma once
// Line geometry with a colour per point, drawn as point count / 2 separate segments (points 0-1,
// 2-3, ...) through the renderer's line operation. The points are the geometry's vertices, so
// they follow the instance's world transform; callers that move points in place call
// MarkVerticesChanged afterwards.

#include "QrColorA.h"
#include "QrGeometry.h"

#include <cstdint>
#include <memory>

class qrxLineStrip : public QrGeometry
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    qrxLineStrip();
    // The points are copied; without points the geometry's vertices stand in for them, and
    // without either the points start at the origin. Null colours leave the strip uncoloured.
    qrxLineStrip(uint16_t pointCount, const QrPoint3* vertices, const QrPoint3* points, const QrColorA* colors);

    void LoadBinary(QrStream& stream) override;
    void SaveBinary(QrStream& stream) override;
    bool IsEqual(const QrObject* other) const override;
    void Draw(QrCamera* camera, QrAVInstance* instance) override;
    void CalculateNormals() override {}

    // Every point gets the colour (the colour array is made when there is none).
    void SetAllColors(const QrColorA& color);

    uint16_t GetDrawnCount() const { return m_pointCount; }
    QrPoint3* GetPoints() { return GetVertices(); }
    QrColorA* GetColors() { return m_colors.get(); }

protected:
    ~qrxLineStrip() override;

    uint16_t m_pointCount = 0;
    std::unique_ptr<QrColorA[]> m_colors;
};
