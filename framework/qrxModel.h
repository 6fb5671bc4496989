#pragma once
// A scene node owning one model cut from a scene file (the boat's and the fish's models load
// this way). Subclasses prepare the model in OnModelLoaded before it is attached. An idle object
// with nothing to do per frame.

#include "qrxIdleObject.h"

#include "QrNode.h"
#include "QrPointer.h"

class qrxModel : public QrNode, public qrxIdleObject
{
public:
    qrxModel() = default;

    using QrNode::Update;
    void Update(double, double) override {}

    // Loads the named node of the file and attaches it in place of the model held before. A
    // failed load keeps the model held before; false then.
    virtual bool Load(const char* path, const char* nodeName);
    // Given the model before it is attached.
    virtual void OnModelLoaded(QrAVObject*) {}

    QrAVObject* GetModel() const { return m_model.Get(); }

protected:
    ~qrxModel() override;

private:
    QrPointer<QrAVObject> m_model;
};
