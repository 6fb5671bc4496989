#pragma once
// Program-wide pool of fixed-size records for classes made and dropped every frame. A class
// takes it with QR_DECLARE_POOLED: requests of exactly sizeof(T) come from a free list
// refilled BlockCount records at a time; any other size (a derived class) goes to the heap.
// Blocks are kept until exit, so that after warm-up allocation never touches the heap.
// Main thread only: the free list has no lock.

#include <cstddef>
#include <cstdint>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define QR_POOL_POISON(p, n) ASAN_POISON_MEMORY_REGION(p, n)
#define QR_POOL_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION(p, n)
#else
#define QR_POOL_POISON(p, n) ((void)(p), (void)(n))
#define QR_POOL_UNPOISON(p, n) ((void)(p), (void)(n))
#endif

template <class T, uint32_t BlockCount = 4> class QrTPool
{
    static_assert(BlockCount > 0, "a block holds at least one record");

public:
    static void* Allocate(std::size_t size)
    {
        if (size != sizeof(T))
            return ::operator new(size);
        if (!ms_free)
            Refill();
        FreeRecord* record = ms_free;
        ms_free = record->m_next;
        --ms_freeCount;
        QR_POOL_UNPOISON(record, sizeof(T));
        return record;
    }

    static void Free(void* p, std::size_t size)
    {
        if (!p)
            return;
        if (size != sizeof(T))
        {
            ::operator delete(p);
            return;
        }
        Push(p);
    }

    // Blocks made since start-up, and records waiting on the free list.
    static uint32_t GetBlockCount() { return ms_blockCount; }
    static uint32_t GetFreeCount() { return ms_freeCount; }

private:
    struct FreeRecord
    {
        FreeRecord* m_next;
    };
    static_assert(sizeof(T) >= sizeof(FreeRecord), "a free record holds the free-list link");

    // Every record slot must be able to hold the link as well as a T.
    static constexpr std::size_t kAlign = alignof(T) > alignof(FreeRecord) ? alignof(T) : alignof(FreeRecord);
    static constexpr std::size_t kStride = (sizeof(T) + kAlign - 1) / kAlign * kAlign;

    struct Block
    {
        Block* m_next;
        alignas(kAlign) unsigned char m_records[kStride * BlockCount];
    };

    static void Refill()
    {
        // Blocks stay reachable from the block list until exit.
        Block* block = new Block;
        block->m_next = ms_blocks;
        ms_blocks = block;
        ++ms_blockCount;
        for (uint32_t i = BlockCount; i-- > 0;)
            Push(block->m_records + i * kStride);
    }

    static void Push(void* p)
    {
        // A freed record is poisoned except for its link, so a use after delete is caught.
        FreeRecord* record = static_cast<FreeRecord*>(p);
        record->m_next = ms_free;
        ms_free = record;
        ++ms_freeCount;
        QR_POOL_POISON(reinterpret_cast<unsigned char*>(p) + sizeof(FreeRecord), sizeof(T) - sizeof(FreeRecord));
    }

    static inline FreeRecord* ms_free = nullptr;
    static inline Block* ms_blocks = nullptr;
    static inline uint32_t ms_blockCount = 0;
    static inline uint32_t ms_freeCount = 0;
};

// In a class body: serve the class's own allocations from its pool.
#define QR_DECLARE_POOLED(classname)                                                                                   \
public:                                                                                                                \
    static void* operator new(std::size_t size)                                                                        \
    {                                                                                                                  \
        return QrTPool<classname>::Allocate(size);                                                                     \
    }                                                                                                                  \
    static void operator delete(void* p, std::size_t size)                                                             \
    {                                                                                                                  \
        QrTPool<classname>::Free(p, size);                                                                             \
    }
