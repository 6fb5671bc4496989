#pragma once
// The engine's chained hash map of 37 buckets: a generic map keyed by a u32 value, and the
// string-keyed derivation (class registry, extra-data registry, a stream's file-name map).
// Later insertions under an equal key replace the value.

#include <cstdint>
#include <cstring>
#include <memory>
#include <type_traits>

template <class TKey, class TValue>
class QrTPointerMap
{
public:
    static constexpr uint32_t kBucketCount = 37;

    QrTPointerMap() : m_buckets(new Node*[kBucketCount]()) {}
    QrTPointerMap(const QrTPointerMap&) = delete;
    QrTPointerMap& operator=(const QrTPointerMap&) = delete;
    virtual ~QrTPointerMap() { RemoveAll(); }

    uint32_t GetCount() const { return m_count; }

    void SetAt(TKey key, TValue value)
    {
        const uint32_t b = Hash(key);
        for (Node* n = m_buckets[b]; n; n = n->next)
        {
            if (IsKeyEqual(n->key, key))
            {
                // The stored key stays: the caller's key may be that very copy.
                n->value = value;
                return;
            }
        }
        Node* node = new Node();
        node->next = m_buckets[b];
        if (node->next)
            node->next->previous = node;
        m_buckets[b] = node;
        SetNode(node, key, value);
        ++m_count;
    }

    // False (and value untouched) when absent.
    bool GetAt(TKey key, TValue& value) const
    {
        for (Node* n = m_buckets[Hash(key)]; n; n = n->next)
        {
            if (IsKeyEqual(n->key, key))
            {
                value = n->value;
                return true;
            }
        }
        return false;
    }

    void RemoveAll()
    {
        for (uint32_t b = 0; b < kBucketCount; ++b)
        {
            Node* n = m_buckets[b];
            while (n)
            {
                Node* next = n->next;
                ClearNode(n);
                delete n;
                n = next;
            }
            m_buckets[b] = nullptr;
        }
        m_count = 0;
    }

    // Visits every entry bucket by bucket, each bucket from its head.
    template <class F>
    void ForEach(F&& visit) const
    {
        for (uint32_t b = 0; b < kBucketCount; ++b)
            for (Node* n = m_buckets[b]; n; n = n->next)
                visit(n->key, n->value);
    }

protected:
    struct Node
    {
        TKey key{};
        TValue value{};
        Node* next = nullptr;
        Node* previous = nullptr;
    };

    virtual uint32_t Hash(TKey key) const
    {
        if constexpr (std::is_pointer_v<TKey>)
            return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(key) % kBucketCount);
        else
            return static_cast<uint32_t>(key) % kBucketCount;
    }
    virtual bool IsKeyEqual(TKey a, TKey b) const { return a == b; }
    virtual void SetNode(Node* node, TKey key, TValue value)
    {
        node->key = key;
        node->value = value;
    }
    virtual void ClearNode(Node*) {}

private:
    std::unique_ptr<Node*[]> m_buckets;
    uint32_t m_count = 0;
};

template <class TValue>
class QrTStringMap : public QrTPointerMap<const char*, TValue>
{
    using Base = QrTPointerMap<const char*, TValue>;
    using typename Base::Node;

public:
    ~QrTStringMap() override { Base::RemoveAll(); }

    // h = h * 33 + c over the characters as signed bytes, wrapping in 32 bits.
    static uint32_t HashString(const char* key)
    {
        uint32_t h = 0;
        for (const char* c = key; *c; ++c)
            h = h * 33u + static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(*c)));
        return h % Base::kBucketCount;
    }

protected:
    uint32_t Hash(const char* key) const override { return HashString(key); }
    bool IsKeyEqual(const char* a, const char* b) const override { return std::strcmp(a, b) == 0; }
    void SetNode(Node* node, const char* key, TValue value) override
    {
        const size_t n = std::strlen(key);
        char* copy = new char[n + 1];
        std::memcpy(copy, key, n + 1);
        node->key = copy;
        node->value = value;
    }
    void ClearNode(Node* node) override
    {
        delete[] node->key;
        node->key = nullptr;
    }
};
