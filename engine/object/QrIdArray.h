#pragma once
// Owned records keyed by an id (a positioned object's per-parent instance records). The array
// deletes its records; a removal compacts it so that no holes stay behind. TRecord provides
// GetId() and SetId(id) and has a virtual destructor (records are subclassed).

#include "QrTArrayBase.h"

#include <memory>
#include <type_traits>

template <class TRecord, class TKey = uint32_t>
class QrIdArray : protected QrTArrayBase<TRecord, std::unique_ptr<TRecord>>
{
    static_assert(std::has_virtual_destructor_v<TRecord>, "records are deleted through their base");
    using Base = QrTArrayBase<TRecord, std::unique_ptr<TRecord>>;

public:
    using Base::Base;
    using Base::GetCapacity;
    using Base::GetCount;
    using Base::GetGrowBy;
    using Base::GetUsedSize;

    // The record, or null past the used size.
    TRecord* GetAt(uint32_t i) const { return this->GetAtChecked(i); }

    TRecord* Find(TKey id) const
    {
        for (uint32_t i = 0; i < this->GetUsedSize(); ++i)
        {
            TRecord* record = this->GetAtChecked(i);
            if (record && record->GetId() == id)
                return record;
        }
        return nullptr;
    }

    // The record with the id, or a new one from owner->CreateInstance() stored in the first hole
    // (or appended). Null when the owner makes nothing or the array may not grow.
    template <class TOwner> TRecord* FindOrAdd(TKey id, TOwner* owner)
    {
        if (TRecord* found = Find(id))
            return found;
        if (!owner)
            return nullptr;
        std::unique_ptr<TRecord> made(owner->CreateInstance());
        if (!made)
            return nullptr;
        TRecord* record = made.get();
        if (this->AddFirstEmpty(record) == Base::kInvalidIndex)
            return nullptr; // not stored: made deletes it
        made.release();
        record->SetId(id);
        return record;
    }

    // Deletes the record with the id, then packs the rest to the front and shrinks the storage
    // to exactly the records left. An absent id changes nothing.
    void Remove(TKey id)
    {
        for (uint32_t i = 0; i < this->GetUsedSize(); ++i)
        {
            TRecord* record = this->GetAtChecked(i);
            if (record && record->GetId() == id)
            {
                this->RemoveAt(i);
                if (this->GetCount() != this->GetCapacity())
                    this->Compact();
                return;
            }
        }
    }

    // The record whose id was from, now to; null and no change when absent.
    TRecord* ReplaceId(TKey from, TKey to)
    {
        TRecord* record = Find(from);
        if (record)
            record->SetId(to);
        return record;
    }

    void SetFirstId(TKey id)
    {
        if (TRecord* record = this->GetAtChecked(0))
            record->SetId(id);
    }

    // True and the id when slot i holds a record; false and a zero id otherwise.
    bool GetIdAt(uint32_t i, TKey& out) const
    {
        const TRecord* record = this->GetAtChecked(i);
        out = record ? record->GetId() : TKey{};
        return record != nullptr;
    }
};
