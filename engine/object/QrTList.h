#pragma once
// Doubly linked list whose nodes come from the list's own pool: nodes are made a block at a
// time and a removed node goes back to the free list, so steady use does not touch the heap.
// The blocks are freed by RemoveAll and the destructor. A node's value is reset (a counted
// reference released) when the node is removed.

#include <cstdint>
#include <memory>
#include <utility>

template <class T> class QrTList
{
public:
    struct Node
    {
        T m_value{};
        Node* m_next = nullptr;
        Node* m_prev = nullptr;
    };

    explicit QrTList(uint32_t blockSize = 2) : m_blockSize(blockSize ? blockSize : 1) {}
    virtual ~QrTList() { RemoveAll(); }
    QrTList(const QrTList&) = delete;
    QrTList& operator=(const QrTList&) = delete;

    uint32_t GetCount() const { return m_count; }
    Node* GetHead() const { return m_head; }
    Node* GetTail() const { return m_tail; }
    // Blocks made so far (until RemoveAll).
    uint32_t GetBlockCount() const
    {
        uint32_t n = 0;
        for (const Block* b = m_blocks; b; b = b->m_next)
            ++n;
        return n;
    }

    Node* AddTail(T value)
    {
        Node* node = NewNode();
        node->m_value = std::move(value);
        node->m_next = nullptr;
        node->m_prev = m_tail;
        if (m_tail)
            m_tail->m_next = node;
        else
            m_head = node;
        m_tail = node;
        ++m_count;
        return node;
    }

    // Unlinks a node of this list and returns it to the free list. The old value is dropped
    // after the list is consistent again.
    void Remove(Node* node)
    {
        if (!node)
            return;
        if (node->m_prev)
            node->m_prev->m_next = node->m_next;
        else
            m_head = node->m_next;
        if (node->m_next)
            node->m_next->m_prev = node->m_prev;
        else
            m_tail = node->m_prev;
        --m_count;
        [[maybe_unused]] T old = std::move(node->m_value);
        node->m_value = T{};
        node->m_prev = nullptr;
        node->m_next = m_free;
        m_free = node;
    }

    // Empties the list and frees every block; values are dropped head to tail.
    void RemoveAll()
    {
        Node* node = m_head;
        Block* blocks = m_blocks;
        m_head = m_tail = m_free = nullptr;
        m_blocks = nullptr;
        m_count = 0;
        for (; node; node = node->m_next)
        {
            [[maybe_unused]] T old = std::move(node->m_value);
            node->m_value = T{};
        }
        while (blocks)
        {
            Block* next = blocks->m_next;
            delete blocks;
            blocks = next;
        }
    }

private:
    struct Block
    {
        Block* m_next = nullptr;
        std::unique_ptr<Node[]> m_nodes;
    };

    Node* NewNode()
    {
        if (!m_free)
        {
            Block* block = new Block;
            block->m_nodes.reset(new Node[m_blockSize]);
            for (uint32_t i = 0; i < m_blockSize; ++i)
            {
                block->m_nodes[i].m_next = m_free;
                m_free = &block->m_nodes[i];
            }
            block->m_next = m_blocks;
            m_blocks = block;
        }
        Node* node = m_free;
        m_free = node->m_next;
        return node;
    }

    uint32_t m_count = 0;
    Node* m_head = nullptr;
    Node* m_tail = nullptr;
    Node* m_free = nullptr;
    Block* m_blocks = nullptr;
    uint32_t m_blockSize;
};
