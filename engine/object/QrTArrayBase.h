#pragma once
// Bookkeeping shared by the engine's arrays: slots that may be empty (callers skip nulls), a
// used size one past the highest slot set, a count of filled slots and a grow-by (0: never
// grow). The slot type decides ownership: a plain pointer, a counted QrPointer or an owning
// unique_ptr. Appends that cannot store report it, so a caller never loses a new object.

#include "QrPointer.h"

#include <cstdint>
#include <memory>
#include <type_traits>
#include <utility>

template <class T, class Slot> class QrTArrayBase
{
public:
    // Returned by the appends when nothing was stored.
    static constexpr uint32_t kInvalidIndex = 0xFFFFFFFFu;

    explicit QrTArrayBase(uint32_t capacity = 0, uint32_t growBy = 1) : m_growBy(growBy) { Reallocate(capacity); }
    virtual ~QrTArrayBase() { SetSize(0); }
    QrTArrayBase(const QrTArrayBase&) = delete;
    QrTArrayBase& operator=(const QrTArrayBase&) = delete;

    uint32_t GetCapacity() const { return m_capacity; }
    uint32_t GetUsedSize() const { return m_usedSize; }
    uint32_t GetCount() const { return m_count; }
    uint32_t GetGrowBy() const { return m_growBy; }
    void SetGrowBy(uint32_t growBy) { m_growBy = growBy; }

    // Plain pointer to the element, or null past the used size.
    T* GetAtChecked(uint32_t i) const { return i < m_usedSize ? Raw(m_data[i]) : nullptr; }

    // False when i is beyond the capacity: nothing is stored.
    bool SetAt(uint32_t i, T* p)
    {
        if (i >= m_capacity)
            return false;
        if (i >= m_usedSize)
            m_usedSize = i + 1;
        Slot& slot = m_data[i];
        T* old = Raw(slot);
        if (old == p)
            return true;
        if (p && !old)
            ++m_count;
        else if (!p && old)
            --m_count;
        // Take the new element before the old one is released: the old may own the new.
        [[maybe_unused]] Slot previous = std::move(slot);
        slot = Slot(p);
        return true;
    }

    // Grows to i + grow-by first when i is beyond the capacity; false when it may not grow.
    bool SetAtAndGrow(uint32_t i, T* p)
    {
        if (i >= m_capacity && !Grow(i))
            return false;
        return SetAt(i, p);
    }

    // Appends at the used size; the index, or kInvalidIndex when the array may not grow.
    uint32_t Add(T* p)
    {
        const uint32_t i = m_usedSize;
        return SetAtAndGrow(i, p) ? i : kInvalidIndex;
    }

    // Fills the first hole below the used size, else appends. Null is ignored.
    uint32_t AddFirstEmpty(T* p)
    {
        if (!p)
            return kInvalidIndex;
        const uint32_t i = FirstEmpty();
        return SetAtAndGrow(i, p) ? i : kInvalidIndex;
    }

    // Clears slot i and hands its element out; an empty result past the used size.
    Slot RemoveAt(uint32_t i)
    {
        if (i >= m_usedSize)
            return Slot();
        Slot removed = std::move(m_data[i]);
        m_data[i] = Slot();
        if (Raw(removed))
            --m_count;
        if (i == m_usedSize - 1)
            --m_usedSize;
        return removed;
    }

    // Reallocates to n slots; slots at n and above are released first.
    void SetSize(uint32_t n)
    {
        if (n == m_capacity)
            return;
        while (m_usedSize > n)
        {
            // One slot at a time, the array consistent before each release.
            Slot removed = std::move(m_data[m_usedSize - 1]);
            m_data[m_usedSize - 1] = Slot();
            if (Raw(removed))
                --m_count;
            --m_usedSize;
        }
        Reallocate(n);
    }

protected:
    static T* Raw(const Slot& slot)
    {
        if constexpr (std::is_pointer_v<Slot>)
            return slot;
        else if constexpr (std::is_same_v<Slot, QrPointer<T>>)
            return slot.Get();
        else
            return slot.get();
    }

    const Slot& SlotAt(uint32_t i) const { return m_data[i]; }

    uint32_t FirstEmpty() const
    {
        for (uint32_t i = 0; i < m_usedSize; ++i)
            if (!Raw(m_data[i]))
                return i;
        return m_usedSize;
    }

    // Moves the filled slots to the front in their order and shrinks to exactly count slots.
    void Compact()
    {
        uint32_t to = 0;
        for (uint32_t from = 0; from < m_usedSize; ++from)
        {
            if (!Raw(m_data[from]))
                continue;
            if (from != to)
                m_data[to] = std::move(m_data[from]);
            ++to;
        }
        for (uint32_t i = to; i < m_usedSize; ++i)
            m_data[i] = Slot();
        m_usedSize = to;
        Reallocate(m_count);
    }

private:
    bool Grow(uint32_t i)
    {
        if (m_growBy == 0 || i > kInvalidIndex - m_growBy)
            return false;
        SetSize(i + m_growBy);
        return true;
    }

    void Reallocate(uint32_t n)
    {
        std::unique_ptr<Slot[]> fresh(n ? new Slot[n]() : nullptr);
        for (uint32_t i = 0; i < m_usedSize && i < n; ++i)
            fresh[i] = std::move(m_data[i]);
        m_data = std::move(fresh);
        m_capacity = n;
    }

    std::unique_ptr<Slot[]> m_data;
    uint32_t m_capacity = 0;
    uint32_t m_usedSize = 0;
    uint32_t m_count = 0;
    uint32_t m_growBy = 1;
};
