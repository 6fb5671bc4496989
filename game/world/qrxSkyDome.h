#pragma once
// The sky drawn around the camera: a flattened, textured half sphere with vertex colours that
// carry its alpha (for cross-fading one dome over another) and its brightness. It owns the
// camera action that keeps it centred on the camera. Held by the sky controller; the scene
// holds it as a child like any node.

#include "QrNode.h"
#include "QrPointer.h"

#include <cstdint>

class QrCamera;
class QrColorA;
class QrTextureModeProperty;
class QrTextureProperty;
class QrTriShape;
class qrxSkyCamAction;

class qrxSkyDome : public QrNode
{
    QR_DECLARE_RTTI

public:
    static constexpr uint16_t kVertexCount = 65;
    static constexpr uint16_t kTriangleCount = 40;

    explicit qrxSkyDome(float radius);

    // The filter mode of the texture-mode property of domes built afterwards.
    static void SetTextureMode(uint32_t mode);
    static uint32_t GetTextureMode();

    // From 0.5 on the second texture shows, below it the first. The same blend again changes
    // nothing, even when the properties were replaced in between.
    void SetBlend(float blend);
    float GetBlend() const { return m_blend; }
    void SetFirstProperty(QrTextureProperty* property);
    void SetSecondProperty(QrTextureProperty* property);
    QrTextureProperty* GetFirstProperty() const { return m_first.Get(); }
    QrTextureProperty* GetSecondProperty() const { return m_second.Get(); }

    // Puts the dome's camera action on the camera's list; null is ignored.
    void AttachToCamera(QrCamera* camera);
    qrxSkyCamAction* GetCameraAction() const { return m_camAction.Get(); }

    void SetScaleFactor(float factor);
    float GetScaleFactor() const { return m_scaleFactor; }
    float GetRadius() const { return m_radius; }

    // Each limited to [0, 1] and written into every vertex colour (alpha, or red, green, blue).
    void SetAlpha(float alpha);
    void SetBrightness(float brightness);
    float GetAlpha() const { return m_alpha; }
    float GetBrightness() const { return m_brightness; }

    QrTriShape* GetGeometry() const { return m_geometry.Get(); }

    // The shared mesh tables: unit upper half sphere (z >= 0), in five sectors of 13 vertices.
    static const QrPoint3* GetUnitVertices();
    static const uint16_t* GetTriangleIndices();

protected:
    ~qrxSkyDome() override;

private:
    void AttachTexture(QrPointer<QrTextureProperty>& slot, bool& attached);
    void DetachTexture(QrPointer<QrTextureProperty>& slot, bool& attached);
    QrColorA* Colors();

    QrPointer<QrTriShape> m_geometry;
    QrPointer<QrTextureProperty> m_first;
    QrPointer<QrTextureProperty> m_second;
    // Whether each texture is on the node's property list now.
    bool m_firstAttached = false;
    bool m_secondAttached = false;
    float m_blend = 0.0f;
    QrPointer<qrxSkyCamAction> m_camAction;
    float m_scaleFactor = 1.0f;
    float m_radius = 0.0f;
    float m_alpha = 0.0f;
    float m_brightness = 1.0f;
    QrPointer<QrTextureModeProperty> m_textureMode;
};
