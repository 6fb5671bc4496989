#pragma once
// A scene node whose key-framed children are stepped once a frame as an idle object: it
// collects the timing parts of the animation nodes below a root (for bones, their controller's)
// and poses them all at the frame's time. The fish, the anglers and the casting target derive
// from it. The owner adds it to an idle manager.

#include "qrxIdleObject.h"

#include "QrAnimTiming.h"
#include "QrNode.h"

#include <cstdint>
#include <vector>

class qrxKeyFramedModel : public QrNode, public qrxIdleObject
{
public:
    qrxKeyFramedModel() = default;

    using QrNode::Update;
    // Poses every collected timing part at now while enabled, or once after a change.
    void Update(double now, double elapsed) override;

    // Adds the timing parts found below root (each once). Always true.
    virtual bool CollectKeyFramed(QrObject* root);

    void SetEnabled(uint8_t enabled) { m_enabled = enabled; }
    uint8_t GetEnabled() const { return m_enabled; }
    void SetChanged(uint8_t changed) { m_changed = changed; }
    uint8_t GetChanged() const { return m_changed; }
    size_t GetTimingCount() const { return m_timings.size(); }

protected:
    ~qrxKeyFramedModel() override = default;

private:
    friend class qrxKeyFramedCollector;

    void AddTiming(QrObject* owner);

    // The objects whose timing parts are stepped, held so that none dies while listed.
    std::vector<QrPointer<QrObject>> m_owners;
    std::vector<QrAnimTiming*> m_timings;
    uint8_t m_enabled = 1;
    uint8_t m_changed = 1;
};
