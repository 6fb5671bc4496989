#pragma once
// A light that carries a projection volume (like a small camera looking from the light) and a
// set of shadow receivers: the triangle shapes below the nodes it is given, one record per
// receiving shape instance. It keeps the volume and the receivers current and streams them for
// whatever consumer the scene is made for; no engine draw reads them, and its type (5) keeps the
// renderer's ordinary lighting away from it. Receivers are counted references: a receiver node
// that also holds the light keeps both alive.

#include "QrLight.h"
#include "QrProjectionFrame.h"
#include "QrShadowReceiver.h"

#include <cstdint>
#include <memory>
#include <vector>

class QrShadowLight : public QrLight
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    static constexpr uint32_t kShadowType = 5;

    QrShadowLight();

    void LoadBinary(QrStream& stream) override;
    void LinkObject(QrStream& stream) override;
    bool RegisterStreamables(QrStream& stream) override;
    void SaveBinary(QrStream& stream) override;
    bool IsEqual(const QrObject* other) const override;
    void AppendDescendLinks(std::vector<QrAVObject*>& out) const override;
    void ReleaseLinks() override;

    // A shadow light of its own, sharing the shadow object and the receiver nodes.
    QrPointer<QrAVObject> CreateClone() override;
    // The light's world data, then the world projection frame and the volume planes.
    void UpdateWorldData(QrAVInstance* instance) override;
    // The projection frame places a shadow light: these do nothing.
    void SetLocalPosition(const QrPoint3& position) override;
    void SetLocalDirection(const QrPoint3& direction) override;
    void SetType(uint32_t type) override;

    // Holds the node and collects a record for every triangle-shape instance below it.
    void AttachReceiver(QrNode* node);
    // Records for object and what lies below it: a node's children with their instances under
    // it, a triangle shape with the instance given (every instance without one). Culled objects
    // and other classes add nothing.
    void CollectReceivers(QrAVObject* object, QrAVInstance* instance);
    // The five planes from the world frame for the projection mode.
    void UpdateVolumePlanes();

    uint32_t GetReceiverCount() const { return static_cast<uint32_t>(m_receivers.size()); }
    QrNode* GetReceiverAt(uint32_t index) const { return m_receivers[index].Get(); }
    uint32_t GetReceiverRecordCount();
    QrShadowReceiver* GetReceiverRecordAt(uint32_t index);

    uint32_t GetShadowKind() const { return m_shadowKind; }
    void SetShadowKind(uint32_t kind) { m_shadowKind = kind; }
    uint32_t GetProjectionMode() const { return m_projectionMode; }
    void SetProjectionMode(uint32_t mode) { m_projectionMode = mode; }
    float GetShadowScale() const { return m_shadowScale; }
    void SetShadowScale(float scale) { m_shadowScale = scale; }
    QrObject* GetShadowObject() const { return m_shadowObject.Get(); }
    void SetShadowObject(QrObject* object) { m_shadowObject = object; }
    // Local values are written directly; run a world update afterwards.
    QrProjectionFrame& GetFrame() { return m_frame; }
    const QrProjectionFrame& GetFrame() const { return m_frame; }

protected:
    ~QrShadowLight() override;

private:
    // A loaded light links before the nodes after it in the file have their children, so its
    // records are collected at their first use instead.
    void CollectPendingReceivers();

    uint32_t m_shadowKind = 3;
    uint32_t m_projectionMode = QrProjectionFrame::kPyramid;
    QrProjectionFrame m_frame;
    float m_shadowScale = 1.5f;
    QrPointer<QrObject> m_shadowObject;
    std::vector<QrPointer<QrNode>> m_receivers;
    std::vector<std::unique_ptr<QrShadowReceiver>> m_records;
    bool m_receiversPending = false;
};
