#pragma once
// A captured animation: key tracks of named animation nodes (copied from a source model or a
// scene file) bound to the nodes of the same names in a target model. Applying it switches the
// target's animation (the angler's cast, reel and idle moves). The gesture owns its records.

#include "qrxKeyMap.h"

#include <memory>
#include <vector>

class QrObject;

class qrxKeyGesture
{
public:
    qrxKeyGesture() = default;
    qrxKeyGesture(const qrxKeyGesture&) = delete;
    qrxKeyGesture& operator=(const qrxKeyGesture&) = delete;
    ~qrxKeyGesture();

    // Without a key node, copies node's keys into a new one; with one, shares it. The record
    // starts bound to node.
    void AddKeyMap(Qr3dsAnimationNode* node, qrxKeyNode* keyNode = nullptr);
    // Clears, then copies every named animation node below root (except "multimtl node").
    void Collect(QrObject* root);
    // Collects from the first top-level object of the file whose subtree holds nodeName (only
    // clears when that object is no node); false when no such object or the file does not load.
    bool LoadFromFile(const char* fileName, const char* nodeName);
    void Capture(QrObject* sourceModel, QrObject* targetModel);
    void CaptureFrom(QrObject* sourceModel, QrObject* targetModel) { Capture(sourceModel, targetModel); }
    // Binds each record to model's animation node of its name, or to nothing.
    void Bind(QrObject* model);
    void Apply();
    void RemoveByName(const char* name);
    void Clear();

    size_t GetCount() const { return m_records.size(); }
    const qrxKeyMap* GetAt(size_t index) const { return index < m_records.size() ? m_records[index].get() : nullptr; }

private:
    std::vector<std::unique_ptr<qrxKeyMap>> m_records;
};
