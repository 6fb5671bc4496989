#pragma once
// A polygon given in the viewport of the camera that draws it, drawn over the scene after
// each frame: x and y are fractions of the viewport (y up from its bottom edge), z a fraction
// of the view depth from near to far. It has no transform, bound or culling, only its arrays
// and its own properties, pushed on the display around its draw. Held by cameras (and the
// loader); the arrays never change after construction or loading.

#include "QrColorA.h"
#include "QrObject.h"
#include "QrPoint3.h"
#include "QrPointerList.h"
#include "QrProperty.h"

#include <cstdint>
#include <memory>

class QrDisplay;

class QrScreenPolygon : public QrObject
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    QrScreenPolygon();
    // Copies count entries of each array given; texture coordinates and colours may be null
    // (a polygon without colours draws opaque white).
    QrScreenPolygon(uint16_t count, const QrPoint3* vertices, const QrPoint3* textureCoords, const QrColorA* colors);

    void LoadBinary(QrStream& stream) override;
    void LinkObject(QrStream& stream) override;
    // Enters the properties too: the record names them by link id.
    bool RegisterStreamables(QrStream& stream) override;
    void SaveBinary(QrStream& stream) override;
    bool IsEqual(const QrObject* other) const override;

    // The current state of the display with this polygon's properties pushed, then the
    // renderer's screen-polygon draw.
    void Draw(QrDisplay* display);
    // A new polygon with copies of the arrays and the same property objects, in order.
    QrPointer<QrScreenPolygon> Clone() const;

    // Null is ignored; the property becomes the head of the list in place of any of its type.
    void AttachProperty(QrProperty* property);
    // Removes one entry of the property; false when it is not in the list.
    bool DetachProperty(QrProperty* property);
    void RemoveAllProperties() { m_properties.RemoveAll(); }
    QrPointerList<QrProperty>& GetPropertyList() { return m_properties; }
    const QrPointerList<QrProperty>& GetPropertyList() const { return m_properties; }

    uint16_t GetVertexCount() const { return m_count; }
    const QrPoint3* GetVertices() const { return m_vertices.get(); }
    // Null when absent.
    const QrPoint3* GetTextureCoords() const { return m_textureCoords.get(); }
    const QrColorA* GetColors() const { return m_colors.get(); }

protected:
    ~QrScreenPolygon() override = default;

private:
    QrPointerList<QrProperty> m_properties;
    uint16_t m_count = 0;
    std::unique_ptr<QrPoint3[]> m_vertices;
    // The third value of each entry is carried but not drawn.
    std::unique_ptr<QrPoint3[]> m_textureCoords;
    std::unique_ptr<QrColorA[]> m_colors;
};
