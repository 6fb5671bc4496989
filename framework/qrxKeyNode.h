#pragma once
// A captured key track: copies of one animation node's rotation, position and visibility keys,
// its name and its rest transform. Applying it hands the very arrays to a node (no copy), so
// switching clips is cheap; the key node remembers every node it was applied to and, when it
// dies, takes its arrays back from those still showing them, so no node keeps a dangling key.
// Reference counted: gestures share key nodes.

#include "Qr3dsAnimationNode.h"
#include "QrMatrix3.h"
#include "QrObject.h"
#include "QrPoint3.h"

#include <memory>
#include <vector>

class qrxKeyNode : public QrObject
{
    QR_DECLARE_RTTI

public:
    qrxKeyNode() = default;

    // Deep copies of the node's keys, its name and its transform.
    void CopyKeys(Qr3dsAnimationNode* node);
    // The node shows these keys from now on; unless this is "Scene Root", a track without
    // position (rotation) keys puts the stored translation (rotation) on the node.
    void ApplyTo(Qr3dsAnimationNode* node);
    // Empties whichever of the node's key sets are this key node's; keys the node got
    // elsewhere stay.
    void ReleaseFrom(Qr3dsAnimationNode* node);
    // Does the node show any of this key node's arrays?
    bool IsShownBy(const Qr3dsAnimationNode* node) const;

    int32_t GetRotCount() const { return m_rot.Count(); }
    int32_t GetPosCount() const { return m_pos.Count(); }
    int32_t GetVisibilityCount() const { return m_vis.Count(); }
    const QrPoint3& GetTranslate() const { return m_translate; }
    const QrMatrix3& GetRotate() const { return m_rotate; }

protected:
    ~qrxKeyNode() override;

private:
    template <class K> class Track
    {
    public:
        void CopyFrom(K* const* keys, int32_t count)
        {
            m_owned.clear();
            m_pointers.clear();
            for (int32_t i = 0; keys && i < count; ++i)
            {
                m_owned.push_back(keys[i]->Clone());
                m_pointers.push_back(m_owned.back().get());
            }
        }
        K** Data() { return m_pointers.empty() ? nullptr : m_pointers.data(); }
        int32_t Count() const { return int32_t(m_pointers.size()); }
        // Does a node's installed array start with this track's first key?
        bool Heads(K* const* installed) const
        {
            return installed && !m_pointers.empty() && installed[0] == m_pointers[0];
        }

    private:
        std::vector<std::unique_ptr<K>> m_owned;
        std::vector<K*> m_pointers;
    };

    void LetGo(Qr3dsAnimationNode* node);

    Track<QrRotKey> m_rot;
    Track<QrAnimKey> m_pos;
    Track<QrVisibilityKey> m_vis;
    QrPoint3 m_translate;
    QrMatrix3 m_rotate;
    // Nodes given these arrays; they are taken back from each before the arrays go.
    std::vector<QrPointer<Qr3dsAnimationNode>> m_shownBy;
};
