#pragma once
// A key array as its owner holds it: count and plain key pointers, either owned (installed by
// copying or loading: freed by the array) or borrowed (handed in by a caller that keeps
// ownership and must keep the keys alive while they are installed). Owned keys that a borrowed
// array replaces are kept until the array dies, since a caller may still hold pointers to
// them and put them back later.

#include <cstdint>
#include <memory>
#include <vector>

template <class K> class QrKeyArray
{
public:
    QrKeyArray() = default;
    QrKeyArray(const QrKeyArray&) = delete;
    QrKeyArray& operator=(const QrKeyArray&) = delete;

    K* const* GetKeys() const { return m_count > 0 ? m_keys : nullptr; }
    K** GetKeys() { return m_count > 0 ? m_keys : nullptr; }
    int32_t GetCount() const { return m_count; }
    bool IsEmpty() const { return m_count <= 0; }
    bool IsOwned() const { return !m_owned.empty(); }
    K* operator[](int32_t i) const { return m_keys[i]; }
    K* First() const { return m_count > 0 ? m_keys[0] : nullptr; }
    K* Last() const { return m_count > 0 ? m_keys[m_count - 1] : nullptr; }

    // Frees the owned keys and leaves none; borrowed keys are only let go.
    void Clear()
    {
        m_owned.clear();
        m_pointers.clear();
        m_keys = nullptr;
        m_count = 0;
    }

    // Owned clones of keys[0 .. count); none for a null array or a count below 1.
    void CopyFrom(K* const* keys, int32_t count)
    {
        std::vector<std::unique_ptr<K>> clones;
        if (keys && count > 0)
            for (int32_t i = 0; i < count; ++i)
                clones.push_back(keys[i]->Clone());
        Take(std::move(clones));
    }

    // Takes keys already made.
    void Take(std::vector<std::unique_ptr<K>> keys)
    {
        Clear();
        m_owned = std::move(keys);
        for (const auto& key : m_owned)
            m_pointers.push_back(key.get());
        m_keys = m_pointers.data();
        m_count = int32_t(m_pointers.size());
    }

    // Uses the caller's array as it is; none for a null array or a count below 1.
    void Borrow(K** keys, int32_t count)
    {
        Retire();
        m_keys = keys && count > 0 ? keys : nullptr;
        m_count = m_keys ? count : 0;
    }

    // A one-entry array of the array's own holding the caller's key.
    void BorrowOne(K* key)
    {
        Retire();
        if (!key)
            return;
        m_pointers.assign(1, key);
        m_keys = m_pointers.data();
        m_count = 1;
    }

private:
    void Retire()
    {
        for (auto& key : m_owned)
            m_retired.push_back(std::move(key));
        m_owned.clear();
        m_pointers.clear();
        m_keys = nullptr;
        m_count = 0;
    }

    K** m_keys = nullptr;
    int32_t m_count = 0;
    std::vector<std::unique_ptr<K>> m_owned;
    std::vector<K*> m_pointers;
    std::vector<std::unique_ptr<K>> m_retired;
};
