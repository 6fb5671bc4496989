#pragma once
// A light source placed in the scene. It lights the subtrees of the nodes it is attached to
// (each side keeps a plain pointer to the other and the two lists are kept in step). The
// renderer keys its copy of a light by serial number and refreshes it when the revision moves;
// the display raises the revision when it pushes a light whose changed flag is set.

#include "QrAVObject.h"
#include "QrPoint3.h"
#include "QrTPointerList.h"

#include <cstdint>

class QrDisplay;
class QrNode;

class QrLight : public QrAVObject
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    enum : uint32_t
    {
        kAmbient = 0,
        kDirectional = 1,
        kPoint = 2,
        kSpot = 3,
    };

    // Degrees to radians as the renderer converts the spot angle.
    static constexpr float kDegreesToRadians = 0.01745328f;
    // The renderer's lighting scale: an attenuated light gives 1/64 of its light at its radius.
    static constexpr float kAttenuationScale = 64.0f;

    // Takes the next serial number.
    QrLight();

    void LoadBinary(QrStream& stream) override;
    void SaveBinary(QrStream& stream) override;
    bool IsEqual(const QrObject* other) const override;

    // A light has one world record: attaching only sets its parent, detaching clears it.
    QrAVInstance* AttachParent(QrNode* parent) override;
    void DetachParent(QrNode* parent) override;
    // A copy with its own serial number (the renderer must not confuse the two) and no nodes.
    QrPointer<QrAVObject> CreateClone() override;
    bool IsDisplayable() override;
    void UpdateWorldData(QrAVInstance* instance) override;
    // The bound is the light's world position.
    bool UpdateWorldBound(QrAVInstance* instance) override;

    virtual void SetLocalPosition(const QrPoint3& position);
    virtual void SetLocalDirection(const QrPoint3& direction);
    virtual void SetType(uint32_t type);

    // --- the nodes this light lights
    void AttachAffectedNode(QrNode* node);
    void DetachAffectedNode(QrNode* node);
    const QrTPointerList<QrNode>& GetAffectedNodes() const { return m_affectedNodes; }

    // Values the renderer takes: each setter marks the light changed.
    void SetAmbientColor(const QrPoint3& color);
    void SetDiffuseColor(const QrPoint3& color);
    void SetSpecularColor(const QrPoint3& color);
    void SetDimmer(float dimmer);
    void SetRadius(float radius);
    void SetFalloff(float falloff);
    void SetAttenuate(uint8_t attenuate);
    void SetSpotAngle(float degrees);
    void SetSpotExponent(float exponent);
    // Switching the light does not touch the renderer's record: the node just stops pushing it.
    void SetOn(uint8_t on) { m_on = on; }

    uint8_t GetOn() const { return m_on; }
    float GetDimmer() const { return m_dimmer; }
    uint32_t GetType() const { return m_type; }
    const QrPoint3& GetLocalPosition() const { return m_localPosition; }
    const QrPoint3& GetLocalDirection() const { return m_localDirection; }
    const QrPoint3& GetWorldPosition() const { return m_worldPosition; }
    const QrPoint3& GetWorldDirection() const { return m_worldDirection; }
    const QrPoint3& GetAmbientColor() const { return m_ambient; }
    const QrPoint3& GetDiffuseColor() const { return m_diffuse; }
    const QrPoint3& GetSpecularColor() const { return m_specular; }
    float GetRadius() const { return m_radius; }
    float GetFalloff() const { return m_falloff; }
    uint8_t GetAttenuate() const { return m_attenuate; }
    float GetSpotAngle() const { return m_spotAngle; }
    float GetSpotExponent() const { return m_spotExponent; }

    uint32_t GetSerial() const { return m_serial; }
    uint32_t GetRevision() const { return m_revision; }
    uint8_t GetChanged() const { return m_changed; }
    uint32_t GetUseCount() const { return m_useCount; }

    // --- what the renderer derives from the light (world values, so after a world update)
    // Attenuation coefficients from the radius and falloff; both the largest float for a radius
    // not above 0, so that such a light gives no diffuse light.
    void GetAttenuation(float& first, float& second) const;
    // Distance at which an attenuated point light falls to 1/64 of its strongest diffuse
    // component; the largest float for every other light (unlimited).
    float GetReach() const;
    // Factor of the diffuse term at a world position with unit normal: 0 for ambient lights and
    // for points the light does not reach, attenuation included.
    float GetDiffuseFactor(const QrPoint3& position, const QrPoint3& normal) const;

protected:
    ~QrLight() override;

    // Copies the light's values (not its serial, bookkeeping or nodes) into a new light.
    void CopyMembers(QrLight* clone);

    QrPoint3 m_localPosition;
    QrPoint3 m_localDirection;
    QrPoint3 m_worldPosition;
    QrPoint3 m_worldDirection;
    uint8_t m_on = 1;
    // Degrees.
    float m_spotAngle = 0.0f;
    float m_spotExponent = 0.0f;
    float m_dimmer = 1.0f;
    QrPoint3 m_ambient{1.0f, 1.0f, 1.0f};
    QrPoint3 m_diffuse{1.0f, 1.0f, 1.0f};
    // Only its blue component scales the specular term.
    QrPoint3 m_specular{1.0f, 1.0f, 1.0f};
    float m_radius = 1.0f;
    float m_falloff = 0.5f;
    uint8_t m_attenuate = 1;
    uint32_t m_type = kPoint;

private:
    // The stream fields after the positioned-object part, in file order, for both directions.
    void Fields(QrStream& stream);

    // The display's bookkeeping: stack entries holding the light, and the changed flag it turns
    // into a new revision when it pushes the light.
    friend class QrDisplay;

    uint32_t m_serial;
    uint32_t m_useCount = 0;
    uint8_t m_changed = 1;
    uint32_t m_revision = 1;
    QrTPointerList<QrNode> m_affectedNodes;

    static uint32_t ms_nextSerial;
};
