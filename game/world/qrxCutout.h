#pragma once
// A flat picture standing in the scene: a unit quad (base centred on the origin, one unit wide
// and high) with a texture that has transparent parts. While it is drawn it turns towards the
// camera, and it is skipped when its squared horizontal distance to the camera exceeds its
// cull distance. Plants, trees, rocks and the splash are made of cutouts. The transparency and
// texture-mode properties are shared by every cutout.

#include "QrBillboardNode.h"
#include "QrPointer.h"

#include <cstdint>

class QrTextureModeProperty;
class QrTextureProperty;
class QrTriShape;

class qrxCutout : public QrBillboardNode
{
    QR_DECLARE_RTTI

public:
    enum : int32_t
    {
        kTransparentColour = 1,
        kAlphaBlend = 2,
    };
    // 25 world units, squared.
    static constexpr float kDefaultCullDistance = 625.0f;

    // transparencyMode: kTransparentColour, kAlphaBlend, or anything else for neither.
    qrxCutout(QrTextureProperty* texture, int32_t transparencyMode);

    // Attaches the shared transparency property of the mode and the shared texture-mode
    // property to the quad.
    void AddProperties(QrTriShape* quad, int32_t transparencyMode);
    // 0 gives 3, 1 gives 5, anything else itself. Read only when the shared texture-mode
    // property is made, i.e. by the first cutout.
    static void SetTextureMode(int32_t value);
    // Makes the shared properties now (fixtures that count live objects do this first).
    static void CreateSharedProperties();

    // The turn toward the camera, or the far flag when the camera is beyond the cull distance.
    void UpdateOrientation(QrCamera* camera, QrAVInstance* instance);

    void PushState(QrCamera* camera, QrAVInstance* instance) override;
    void Draw(QrCamera* camera, QrAVInstance* instance) override;
    void Display(QrCamera* camera, QrSorter* sorter, QrAVInstance* instance) override;

    // A squared horizontal distance; 0 or less draws at any distance.
    float GetCullDistance() const { return m_cullDistance; }
    void SetCullDistance(float squared) { m_cullDistance = squared; }
    bool GetOrientationFlag() const { return m_orient != 0; }
    void SetOrientationFlag(bool on) { m_orient = on ? 1 : 0; }
    bool IsFar() const { return m_far != 0; }
    int32_t GetTransparencyMode() const { return m_transparencyMode; }
    QrTriShape* GetQuad() const;

protected:
    ~qrxCutout() override;

private:
    int32_t m_transparencyMode;
    uint8_t m_orient = 1;
    // Set by the orientation step beyond the cull distance; the next draw or display is
    // skipped and clears it.
    uint8_t m_far = 0;
    float m_cullDistance = kDefaultCullDistance;
    QrPointer<QrTextureModeProperty> m_textureMode;
};
