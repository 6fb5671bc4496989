#pragma once
// Where each vertex's colour comes from: 0 none, 1 vertex colours, 2 and 3 the material
// unlit, 4 to 6 lit (5, the default, modulated by the vertex colours); above 6 as 0.

#include "QrProperty.h"

class QrVertexColorProperty : public QrProperty
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    static constexpr uint32_t kType = kVertexColor;

    QrVertexColorProperty() = default;

    void LoadBinary(QrStream& stream) override;
    void SaveBinary(QrStream& stream) override;
    bool IsEqual(const QrObject* other) const override;
    uint32_t Type() const override { return kType; }

    static QrVertexColorProperty* GetDefault();

    uint32_t m_mode = 5;

protected:
    ~QrVertexColorProperty() override = default;

private:
    // The stream fields, walked in the same order by LoadBinary and SaveBinary.
    void Fields(QrStream& stream);
};
