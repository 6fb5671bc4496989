#pragma once
// Singly linked list whose first element lives in the header, so a list of one element costs
// no allocation. The slot type decides ownership (plain pointer or counted QrPointer). The
// header's item is null only when the list is empty.

#include "QrPointer.h"

#include <cstdint>
#include <type_traits>
#include <utility>

template <class T, class Slot> class QrTPointerListBase
{
    struct Node
    {
        Slot m_item{};
        Node* m_next = nullptr;
    };

public:
    class Iterator
    {
    public:
        explicit Iterator(const Node* node) : m_node(node) { SkipEmpty(); }
        T* operator*() const { return Raw(m_node->m_item); }
        Iterator& operator++()
        {
            m_node = m_node->m_next;
            SkipEmpty();
            return *this;
        }
        bool operator==(const Iterator& other) const { return m_node == other.m_node; }

    private:
        void SkipEmpty()
        {
            while (m_node && !Raw(m_node->m_item))
                m_node = m_node->m_next;
        }
        const Node* m_node;
    };

    QrTPointerListBase() = default;
    virtual ~QrTPointerListBase() { RemoveAll(); }
    QrTPointerListBase(const QrTPointerListBase&) = delete;
    QrTPointerListBase& operator=(const QrTPointerListBase&) = delete;

    // Head to tail; the list must not change during the walk.
    Iterator begin() const { return Iterator(&m_head); }
    Iterator end() const { return Iterator(nullptr); }

    // Null is ignored.
    void AddHead(T* p)
    {
        if (!p)
            return;
        if (!Raw(m_head.m_item))
        {
            m_head.m_item = Slot(p);
            return;
        }
        Node* node = new Node;
        node->m_item = std::move(m_head.m_item);
        node->m_next = m_head.m_next;
        m_head.m_item = Slot(p);
        m_head.m_next = node;
    }

    // Unlinks the first entry holding p; absent values change nothing. The element is
    // released only once the list is consistent again.
    void Remove(const T* p)
    {
        if (!p)
            return;
        [[maybe_unused]] Slot removed{};
        if (Raw(m_head.m_item) == p)
        {
            removed = std::move(m_head.m_item);
            m_head.m_item = Slot();
            if (Node* first = m_head.m_next)
            {
                m_head.m_item = std::move(first->m_item);
                m_head.m_next = first->m_next;
                delete first;
            }
            return;
        }
        for (Node* previous = &m_head; previous->m_next; previous = previous->m_next)
        {
            Node* node = previous->m_next;
            if (Raw(node->m_item) == p)
            {
                removed = std::move(node->m_item);
                previous->m_next = node->m_next;
                delete node;
                return;
            }
        }
    }

    // Empties the list first, then releases the elements head to tail.
    void RemoveAll()
    {
        [[maybe_unused]] Slot first = std::move(m_head.m_item);
        m_head.m_item = Slot();
        Node* node = m_head.m_next;
        m_head.m_next = nullptr;
        first = Slot();
        while (node)
        {
            Node* next = node->m_next;
            delete node;
            node = next;
        }
    }

    bool Contains(const T* p) const
    {
        if (!p)
            return false;
        for (const Node* node = &m_head; node; node = node->m_next)
            if (Raw(node->m_item) == p)
                return true;
        return false;
    }

    uint32_t GetCount() const
    {
        uint32_t count = 0;
        for (const Node* node = &m_head; node; node = node->m_next)
            if (Raw(node->m_item))
                ++count;
        return count;
    }

    bool IsEmpty() const { return !Raw(m_head.m_item) && !m_head.m_next; }

    // Visits each filled slot head to tail. The visitor may put another element into the slot
    // (never null) but must not add or remove entries; the display parks displaced state there.
    template <class F> void ForEachSlot(F&& visit)
    {
        for (Node* node = &m_head; node; node = node->m_next)
            if (Raw(node->m_item))
                visit(node->m_item);
    }

private:
    static T* Raw(const Slot& slot)
    {
        if constexpr (std::is_pointer_v<Slot>)
            return slot;
        else
            return slot.Get();
    }

    Node m_head;
};
