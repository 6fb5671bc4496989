#include "qrxKeyGesture.h"

#include "qrxGraphSearcher.h"
#include "qrxGraphWalker.h"

#include "QrAVObject.h"
#include "QrNode.h"
#include "QrStream.h"

#include <algorithm>
#include <cstring>

namespace
{

// Rounds up the named animation nodes of a subtree into a gesture.
class qrxAnimRoundup : public qrxGraphWalker
{
public:
    explicit qrxAnimRoundup(qrxKeyGesture& gesture) : m_gesture(gesture) {}

    bool Visit(QrObject* object) override
    {
        Qr3dsAnimationNode* node = QrDynamicCast<Qr3dsAnimationNode>(object);
        const char* name = node ? node->GetName() : nullptr;
        if (name && std::strcmp(name, "multimtl node") != 0)
            m_gesture.AddKeyMap(node);
        return true;
    }

private:
    qrxKeyGesture& m_gesture;
};

} // namespace

qrxKeyGesture::~qrxKeyGesture()
{
    Clear();
}

void qrxKeyGesture::AddKeyMap(Qr3dsAnimationNode* node, qrxKeyNode* keyNode)
{
    const bool owned = keyNode == nullptr;
    QrPointer<qrxKeyNode> keys(keyNode);
    if (owned)
    {
        keys = new qrxKeyNode;
        keys->CopyKeys(node);
    }
    m_records.push_back(std::make_unique<qrxKeyMap>(node, keys.Get(), owned));
}

void qrxKeyGesture::Collect(QrObject* root)
{
    Clear();
    qrxAnimRoundup roundup(*this);
    if (root)
        roundup.Walk(root);
}

bool qrxKeyGesture::LoadFromFile(const char* fileName, const char* nodeName)
{
    QrStream stream;
    if (!fileName || !nodeName || !stream.Load(fileName))
        return false;
    qrxGraphSearcher searcher;
    for (uint32_t i = 0; i < stream.GetTopLevelCount(); ++i)
    {
        QrAVObject* top = QrDynamicCast<QrAVObject>(stream.GetTopLevelAt(i));
        if (!top || !searcher.Find(top, nodeName))
            continue;
        if (QrDynamicCast<QrNode>(top))
            Collect(top);
        else
            Clear();
        return true;
    }
    return false;
}

void qrxKeyGesture::Capture(QrObject* sourceModel, QrObject* targetModel)
{
    Collect(sourceModel);
    Bind(targetModel);
}

void qrxKeyGesture::Bind(QrObject* model)
{
    qrxGraphSearcher searcher;
    for (const std::unique_ptr<qrxKeyMap>& record : m_records)
    {
        const char* name = record->GetKeyNode()->GetName();
        record->Bind(QrDynamicCast<Qr3dsAnimationNode>(searcher.Find(model, name ? name : "")));
    }
}

void qrxKeyGesture::Apply()
{
    for (const std::unique_ptr<qrxKeyMap>& record : m_records)
        if (Qr3dsAnimationNode* target = record->GetTarget())
            record->GetKeyNode()->ApplyTo(target);
}

void qrxKeyGesture::RemoveByName(const char* name)
{
    if (!name)
        return;
    std::erase_if(m_records,
                  [name](const std::unique_ptr<qrxKeyMap>& record)
                  {
                      const char* own = record->GetKeyNode()->GetName();
                      return own && std::strcmp(own, name) == 0;
                  });
}

void qrxKeyGesture::Clear()
{
    m_records.clear();
}
