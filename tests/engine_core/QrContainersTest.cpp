#include "QrTestFixture.h"

#include "QrIdArray.h"
#include "QrObject.h"
#include "QrPointerList.h"
#include "QrTArray.h"
#include "QrTList.h"
#include "QrTPointerArray.h"
#include "QrTPointerList.h"
#include "QrTPool.h"

#include <functional>
#include <vector>

namespace
{

// An engine object that can own another and report its own destruction.
class Counted : public QrObject
{
public:
    Counted() = default;
    QrPointer<Counted> m_child;
    std::function<void()> m_onDestroy;

protected:
    ~Counted() override
    {
        if (m_onDestroy)
            m_onDestroy();
    }
};

// Holds a reference so the test can read counts of objects the container released.
QrPointer<Counted> MakeCounted()
{
    return QrPointer<Counted>(new Counted);
}

// ---------------------------------------------------------------- QrTArray / QrTPointerArray

using QrTArrayTest = QrEngineTest;

TEST_F(QrTArrayTest, SetAtLeavesHolesBelowTheUsedSize)
{
    QrTArray<Counted> array(10, 1);
    QrPointer<Counted> p = MakeCounted();
    EXPECT_TRUE(array.SetAt(5, p.Get()));
    EXPECT_EQ(array.GetUsedSize(), 6u);
    EXPECT_EQ(array.GetCount(), 1u);
    for (uint32_t i = 0; i < 5; ++i)
        EXPECT_EQ(array.GetAtChecked(i), nullptr) << i;
    EXPECT_EQ(array.GetAt(5), p);
    EXPECT_EQ(p->GetRefCount(), 2u);

    // Beyond the capacity nothing is stored, and the caller is told.
    QrPointer<Counted> q = MakeCounted();
    EXPECT_FALSE(array.SetAt(10, q.Get()));
    EXPECT_EQ(array.GetUsedSize(), 6u);
    EXPECT_EQ(q->GetRefCount(), 1u);
}

TEST_F(QrTArrayTest, ReplacingAndClearingKeepCountAndReferences)
{
    QrTArray<Counted> array(4, 1);
    QrPointer<Counted> a = MakeCounted();
    QrPointer<Counted> b = MakeCounted();
    array.SetAt(2, a.Get());
    array.SetAt(2, a.Get());
    EXPECT_EQ(a->GetRefCount(), 2u) << "storing the same element twice takes one reference";
    array.SetAt(2, b.Get());
    EXPECT_EQ(a->GetRefCount(), 1u);
    EXPECT_EQ(b->GetRefCount(), 2u);
    EXPECT_EQ(array.GetCount(), 1u);
    array.SetAt(2, nullptr);
    EXPECT_EQ(b->GetRefCount(), 1u);
    EXPECT_EQ(array.GetCount(), 0u);
    EXPECT_EQ(array.GetUsedSize(), 3u) << "clearing through SetAt keeps the used size";
}

TEST_F(QrTArrayTest, ReplacingAnOwnerWithWhatItOwnsKeepsTheOwned)
{
    QrTArray<Counted> array(1, 1);
    Counted* owner = new Counted;
    Counted* owned = new Counted;
    owner->m_child = owned;
    array.SetAt(0, owner);
    // The owner dies here; its child must already be referenced by the slot.
    array.SetAt(0, owned);
    ASSERT_EQ(array.GetAtChecked(0), owned);
    EXPECT_EQ(owned->GetRefCount(), 1u);
}

TEST_F(QrTArrayTest, RemoveAtLastLowersTheUsedSizeByOneOnly)
{
    QrTArray<Counted> array(8, 1);
    QrPointer<Counted> first = MakeCounted();
    QrPointer<Counted> last = MakeCounted();
    array.SetAt(0, first.Get());
    array.SetAt(4, last.Get());

    QrPointer<Counted> removed = array.RemoveAt(4);
    EXPECT_EQ(removed, last) << "the removed element is handed out with its reference";
    EXPECT_EQ(last->GetRefCount(), 2u);
    EXPECT_EQ(array.GetUsedSize(), 4u);
    EXPECT_EQ(array.GetCount(), 1u);

    // A hole: used size falls only when the cleared slot was the last.
    EXPECT_FALSE(array.RemoveAt(3));
    EXPECT_EQ(array.GetUsedSize(), 3u);
    EXPECT_FALSE(array.RemoveAt(1));
    EXPECT_EQ(array.GetUsedSize(), 3u);
    EXPECT_FALSE(array.RemoveAt(7)) << "past the used size";
    EXPECT_EQ(array.GetCount(), 1u);
}

TEST_F(QrTArrayTest, AddFirstEmptyFillsAHoleBeforeAppending)
{
    QrTArray<Counted> array(3, 2);
    std::vector<QrPointer<Counted>> objects;
    for (int i = 0; i < 5; ++i)
        objects.push_back(MakeCounted());
    EXPECT_EQ(array.Add(objects[0].Get()), 0u);
    EXPECT_EQ(array.Add(objects[1].Get()), 1u);
    EXPECT_EQ(array.Add(objects[2].Get()), 2u);
    array.RemoveAt(1);

    EXPECT_EQ(array.AddFirstEmpty(objects[3].Get()), 1u);
    EXPECT_EQ(array.GetCount(), 3u);
    EXPECT_EQ(array.GetCapacity(), 3u);
    EXPECT_EQ(array.AddFirstEmpty(nullptr), QrTArray<Counted>::kInvalidIndex);
    EXPECT_EQ(array.GetUsedSize(), 3u);

    // Full: grows by its grow-by and appends.
    EXPECT_EQ(array.AddFirstEmpty(objects[4].Get()), 3u);
    EXPECT_EQ(array.GetCapacity(), 5u);
    EXPECT_EQ(array.GetCount(), 4u);
    EXPECT_EQ(array.GetAtChecked(0), objects[0].Get()) << "growing keeps the elements";
    EXPECT_EQ(array.GetAtChecked(1), objects[3].Get());
}

TEST_F(QrTArrayTest, SetSizeReleasesTheCutSlots)
{
    QrTArray<Counted> array(5, 1);
    int destroyed = 0;
    QrPointer<Counted> kept = MakeCounted();
    array.SetAt(0, kept.Get());
    array.SetAt(1, MakeCounted().Get());
    for (uint32_t i = 2; i < 5; ++i)
    {
        Counted* c = new Counted;
        c->m_onDestroy = [&destroyed] { ++destroyed; };
        array.SetAt(i, c);
    }
    array.SetAt(3, nullptr);
    ASSERT_EQ(destroyed, 1);

    array.SetSize(2);
    EXPECT_EQ(destroyed, 3);
    EXPECT_EQ(array.GetCapacity(), 2u);
    EXPECT_EQ(array.GetUsedSize(), 2u);
    EXPECT_EQ(array.GetCount(), 2u);
    EXPECT_EQ(kept->GetRefCount(), 2u);

    array.SetSize(6);
    EXPECT_EQ(array.GetCapacity(), 6u);
    EXPECT_EQ(array.GetUsedSize(), 2u);
    EXPECT_EQ(array.GetAtChecked(0), kept.Get());
}

TEST_F(QrTArrayTest, GrowByZeroReportsAnAppendItCannotStore)
{
    QrTArray<Counted> array(2, 0);
    QrPointer<Counted> a = MakeCounted();
    QrPointer<Counted> extra = MakeCounted();
    EXPECT_EQ(array.Add(a.Get()), 0u);
    EXPECT_EQ(array.Add(a.Get()), 1u);
    EXPECT_EQ(array.Add(extra.Get()), QrTArray<Counted>::kInvalidIndex);
    EXPECT_EQ(array.AddFirstEmpty(extra.Get()), QrTArray<Counted>::kInvalidIndex);
    EXPECT_FALSE(array.SetAtAndGrow(4, extra.Get()));
    EXPECT_EQ(array.GetCapacity(), 2u) << "grow-by 0 never grows";
    EXPECT_EQ(array.GetUsedSize(), 2u);
    EXPECT_EQ(extra->GetRefCount(), 1u) << "the refused element is left to its caller";

    // With room again it takes the element.
    array.RemoveAt(1);
    EXPECT_EQ(array.AddFirstEmpty(extra.Get()), 1u);

    QrTArray<Counted> growing(0, 3);
    EXPECT_TRUE(growing.SetAtAndGrow(4, extra.Get()));
    EXPECT_EQ(growing.GetCapacity(), 7u);
    EXPECT_EQ(growing.GetUsedSize(), 5u);
}

TEST_F(QrTArrayTest, PlainArraysAndListsTakeNoReferences)
{
    QrPointer<Counted> a = MakeCounted(), b = MakeCounted();
    QrTPointerArray<Counted> array(1, 1);
    array.Add(a.Get());
    array.Add(b.Get());
    EXPECT_EQ(array.RemoveAt(0), a.Get());
    QrTPointerList<Counted> list;
    list.AddHead(a.Get());
    list.AddHead(b.Get());
    list.Remove(b.Get());
    EXPECT_TRUE(list.Contains(a.Get()));
    EXPECT_EQ(a->GetRefCount(), 1u);
    EXPECT_EQ(b->GetRefCount(), 1u);
}

// ---------------------------------------------------------------- QrIdArray

struct Record
{
    explicit Record(int* alive) : m_alive(alive) { ++*m_alive; }
    virtual ~Record() { --*m_alive; }
    uint32_t GetId() const { return m_id; }
    void SetId(uint32_t id) { m_id = id; }

    int* m_alive;
    uint32_t m_id = 0;
};

struct RecordOwner
{
    Record* CreateInstance()
    {
        ++m_made;
        return m_refuse ? nullptr : new Record(&m_alive);
    }
    int m_alive = 0;
    int m_made = 0;
    bool m_refuse = false;
};

std::vector<uint32_t> Ids(const QrIdArray<Record>& array)
{
    std::vector<uint32_t> ids;
    for (uint32_t i = 0; i < array.GetUsedSize(); ++i)
    {
        uint32_t id = 0;
        ids.push_back(array.GetIdAt(i, id) ? id : 0xDEAD);
    }
    return ids;
}

using QrIdArrayTest = QrEngineTest;

TEST_F(QrIdArrayTest, FindOrAddMakesOneRecordPerId)
{
    RecordOwner owner;
    QrIdArray<Record> array(1, 1);
    Record* seven = array.FindOrAdd(7, &owner);
    ASSERT_NE(seven, nullptr);
    EXPECT_EQ(seven->GetId(), 7u);
    EXPECT_EQ(array.FindOrAdd(7, &owner), seven);
    EXPECT_EQ(owner.m_made, 1);
    Record* nine = array.FindOrAdd(9, &owner);
    EXPECT_EQ(array.Find(9), nine);
    EXPECT_EQ(array.Find(8), nullptr);
    EXPECT_EQ(array.GetCapacity(), 2u);
    EXPECT_EQ(Ids(array), (std::vector<uint32_t>{7, 9}));
}

TEST_F(QrIdArrayTest, OwnerMakingNothingStoresNothing)
{
    RecordOwner owner;
    owner.m_refuse = true;
    QrIdArray<Record> array(1, 1);
    EXPECT_EQ(array.FindOrAdd(3, &owner), nullptr);
    EXPECT_EQ(array.GetCount(), 0u);
    EXPECT_EQ(array.GetUsedSize(), 0u);
    EXPECT_EQ(array.FindOrAdd(3, static_cast<RecordOwner*>(nullptr)), nullptr);
}

TEST_F(QrIdArrayTest, FullArrayThatMayNotGrowDeletesTheMadeRecord)
{
    RecordOwner owner;
    {
        QrIdArray<Record> array(1, 0);
        ASSERT_NE(array.FindOrAdd(1, &owner), nullptr);
        EXPECT_EQ(array.FindOrAdd(2, &owner), nullptr);
        EXPECT_EQ(owner.m_made, 2);
        EXPECT_EQ(owner.m_alive, 1) << "the record that found no slot was not leaked";
        EXPECT_EQ(array.Find(2), nullptr);
    }
    EXPECT_EQ(owner.m_alive, 0);
}

TEST_F(QrIdArrayTest, RemoveDeletesAndPacksTheRestInOrder)
{
    RecordOwner owner;
    QrIdArray<Record> array(2, 2);
    for (uint32_t id : {1u, 2u, 3u, 4u})
        array.FindOrAdd(id, &owner);
    ASSERT_EQ(array.GetCapacity(), 4u);

    array.Remove(2);
    EXPECT_EQ(owner.m_alive, 3);
    EXPECT_EQ(Ids(array), (std::vector<uint32_t>{1, 3, 4}));
    EXPECT_EQ(array.GetCapacity(), 3u);
    EXPECT_EQ(array.GetCount(), 3u);

    array.Remove(42);
    EXPECT_EQ(Ids(array), (std::vector<uint32_t>{1, 3, 4}));

    // The last record: no hole is left, the storage still fits the records exactly.
    array.Remove(4);
    EXPECT_EQ(Ids(array), (std::vector<uint32_t>{1, 3}));
    EXPECT_EQ(array.GetCapacity(), 2u);

    // A new record is appended after the packed ones.
    array.FindOrAdd(5, &owner);
    EXPECT_EQ(Ids(array), (std::vector<uint32_t>{1, 3, 5}));

    EXPECT_NE(array.ReplaceId(3, 8), nullptr);
    EXPECT_EQ(array.ReplaceId(3, 9), nullptr);
    EXPECT_EQ(Ids(array), (std::vector<uint32_t>{1, 8, 5}));
}

TEST_F(QrIdArrayTest, RemovingTheOnlyRecordLeavesCapacityZero)
{
    RecordOwner owner;
    QrIdArray<Record> array(1, 1);
    array.FindOrAdd(0, &owner);
    array.Remove(0);
    EXPECT_EQ(array.GetCapacity(), 0u);
    EXPECT_EQ(array.GetUsedSize(), 0u);
    EXPECT_EQ(array.GetCount(), 0u);
    EXPECT_EQ(owner.m_alive, 0);
    // And it grows again from nothing.
    EXPECT_NE(array.FindOrAdd(6, &owner), nullptr);
    EXPECT_EQ(array.GetCapacity(), 1u);
}

// ---------------------------------------------------------------- pointer lists

template <class List> std::vector<Counted*> Items(const List& list)
{
    std::vector<Counted*> items;
    for (Counted* c : list)
        items.push_back(c);
    return items;
}

using QrPointerListTest = QrEngineTest;

TEST_F(QrPointerListTest, AddHeadPutsTheNewestFirst)
{
    QrPointer<Counted> a = MakeCounted(), b = MakeCounted(), c = MakeCounted();
    QrPointerList<Counted> list;
    EXPECT_TRUE(list.IsEmpty());
    list.AddHead(a.Get());
    list.AddHead(nullptr);
    list.AddHead(b.Get());
    list.AddHead(c.Get());
    EXPECT_EQ(Items(list), (std::vector<Counted*>{c.Get(), b.Get(), a.Get()}));
    EXPECT_EQ(list.GetCount(), 3u);
    EXPECT_FALSE(list.IsEmpty());
    EXPECT_TRUE(list.Contains(a.Get()));
    EXPECT_FALSE(list.Contains(nullptr));
    EXPECT_EQ(a->GetRefCount(), 2u);
}

TEST_F(QrPointerListTest, RemovingTheHeaderItemMovesTheFirstNodeUp)
{
    QrPointer<Counted> a = MakeCounted(), b = MakeCounted();
    QrPointerList<Counted> list;
    list.AddHead(a.Get());
    list.AddHead(b.Get());
    list.Remove(b.Get());
    EXPECT_EQ(Items(list), (std::vector<Counted*>{a.Get()}));
    EXPECT_EQ(b->GetRefCount(), 1u);
    list.Remove(a.Get());
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(list.GetCount(), 0u);
    EXPECT_EQ(a->GetRefCount(), 1u);
    // An empty list takes a new element into its header again.
    list.AddHead(b.Get());
    EXPECT_EQ(Items(list), (std::vector<Counted*>{b.Get()}));
}

TEST_F(QrPointerListTest, RemovingANodeRelinksItsNeighbours)
{
    QrPointer<Counted> a = MakeCounted(), b = MakeCounted(), c = MakeCounted(), d = MakeCounted();
    QrPointerList<Counted> list;
    for (Counted* x : {a.Get(), b.Get(), c.Get()})
        list.AddHead(x);
    list.Remove(b.Get());
    EXPECT_EQ(Items(list), (std::vector<Counted*>{c.Get(), a.Get()}));
    list.Remove(d.Get());
    EXPECT_EQ(list.GetCount(), 2u);
    list.Remove(a.Get());
    EXPECT_EQ(Items(list), (std::vector<Counted*>{c.Get()}));
    EXPECT_EQ(b->GetRefCount(), 1u);
    EXPECT_EQ(a->GetRefCount(), 1u);
}

TEST_F(QrPointerListTest, ReleasedElementSeesTheListAlreadyWithoutIt)
{
    QrPointerList<Counted> list;
    QrPointer<Counted> other = MakeCounted();
    std::vector<std::pair<bool, uint32_t>> seen;
    Counted* leaving = new Counted;
    leaving->m_onDestroy = [&] { seen.emplace_back(list.Contains(leaving), list.GetCount()); };
    list.AddHead(other.Get());
    list.AddHead(leaving);
    list.Remove(leaving);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_FALSE(seen[0].first);
    EXPECT_EQ(seen[0].second, 1u);

    // The same from a node behind the header.
    Counted* behind = new Counted;
    behind->m_onDestroy = [&] { seen.emplace_back(list.Contains(behind), list.GetCount()); };
    list.RemoveAll();
    list.AddHead(behind);
    list.AddHead(other.Get());
    list.Remove(behind);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_FALSE(seen[1].first);
    EXPECT_EQ(seen[1].second, 1u);

    Counted* last = new Counted;
    last->m_onDestroy = [&] { seen.emplace_back(list.Contains(last), list.GetCount()); };
    list.AddHead(last);
    list.RemoveAll();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_FALSE(seen[2].first);
    EXPECT_EQ(seen[2].second, 0u);
    EXPECT_EQ(other->GetRefCount(), 1u);
}

// ---------------------------------------------------------------- QrTList

template <class T> std::vector<T> Values(const QrTList<T>& list)
{
    std::vector<T> values;
    for (auto* node = list.GetHead(); node; node = node->m_next)
        values.push_back(node->m_value);
    // The backward links must tell the same story.
    std::vector<T> backward;
    for (auto* node = list.GetTail(); node; node = node->m_prev)
        backward.insert(backward.begin(), node->m_value);
    EXPECT_EQ(values, backward);
    return values;
}

using QrTListTest = QrEngineTest;

TEST_F(QrTListTest, RemoveRelinksHeadTailAndMiddle)
{
    QrTList<uint32_t> list(2);
    auto* n1 = list.AddTail(1);
    auto* n2 = list.AddTail(2);
    auto* n3 = list.AddTail(3);
    list.AddTail(4);
    list.Remove(n2);
    EXPECT_EQ(Values(list), (std::vector<uint32_t>{1, 3, 4}));
    list.Remove(n1);
    EXPECT_EQ(Values(list), (std::vector<uint32_t>{3, 4}));
    list.Remove(list.GetTail());
    EXPECT_EQ(Values(list), (std::vector<uint32_t>{3}));
    list.Remove(n3);
    EXPECT_EQ(list.GetCount(), 0u);
    EXPECT_EQ(list.GetHead(), nullptr);
    EXPECT_EQ(list.GetTail(), nullptr);
    list.AddTail(5);
    EXPECT_EQ(Values(list), (std::vector<uint32_t>{5}));
}

TEST_F(QrTListTest, RemovedNodesAreReusedBeforeANewBlock)
{
    QrTList<uint32_t> list(2);
    list.AddTail(1);
    auto* second = list.AddTail(2);
    EXPECT_EQ(list.GetBlockCount(), 1u);
    list.AddTail(3);
    EXPECT_EQ(list.GetBlockCount(), 2u);
    for (uint32_t i = 0; i < 50; ++i)
    {
        list.Remove(second);
        auto* again = list.AddTail(10 + i);
        EXPECT_EQ(again, second) << "a freed node is taken first";
        second = again;
    }
    EXPECT_EQ(list.GetBlockCount(), 2u);
    list.RemoveAll();
    EXPECT_EQ(list.GetBlockCount(), 0u);
    EXPECT_EQ(list.GetCount(), 0u);
    list.AddTail(7);
    EXPECT_EQ(Values(list), (std::vector<uint32_t>{7}));
}

TEST_F(QrTListTest, CountedValuesAreReleasedOnRemoveAndRemoveAll)
{
    QrPointer<Counted> a = MakeCounted(), b = MakeCounted();
    std::vector<int> order;
    {
        QrTList<QrPointer<Counted>> list(2);
        auto* node = list.AddTail(a);
        list.AddTail(b);
        EXPECT_EQ(a->GetRefCount(), 2u);
        list.Remove(node);
        EXPECT_EQ(a->GetRefCount(), 1u) << "a node on the free list holds nothing";

        for (int i = 0; i < 3; ++i)
        {
            Counted* c = new Counted;
            c->m_onDestroy = [&order, i] { order.push_back(i); };
            list.AddTail(QrPointer<Counted>(c));
        }
        list.RemoveAll();
        EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
        EXPECT_EQ(b->GetRefCount(), 1u);
        list.AddTail(b);
    }
    EXPECT_EQ(b->GetRefCount(), 1u);
}

// ---------------------------------------------------------------- QrTPool

struct PooledRecord
{
    QR_DECLARE_POOLED(PooledRecord)

    virtual ~PooledRecord() = default;
    uint32_t m_payload[10] = {};
};

// A larger derived record must bypass the pool in both directions.
struct LargerRecord : PooledRecord
{
    uint32_t m_more[6] = {};
};

using QrTPoolTest = QrEngineTest;

TEST_F(QrTPoolTest, WarmPoolServesRecordsWithoutNewBlocks)
{
    using Pool = QrTPool<PooledRecord>;
    {
        std::vector<PooledRecord*> warm;
        for (int i = 0; i < 8; ++i)
            warm.push_back(new PooledRecord);
        for (PooledRecord* r : warm)
            delete r;
    }
    const uint32_t blocks = Pool::GetBlockCount();
    const uint32_t free = Pool::GetFreeCount();
    ASSERT_GE(free, 8u);

    for (int frame = 0; frame < 100; ++frame)
    {
        std::vector<PooledRecord*> records;
        for (int i = 0; i < 8; ++i)
        {
            records.push_back(new PooledRecord);
            records.back()->m_payload[9] = static_cast<uint32_t>(i);
        }
        EXPECT_EQ(Pool::GetFreeCount(), free - 8);
        for (PooledRecord* r : records)
            delete r;
    }
    EXPECT_EQ(Pool::GetBlockCount(), blocks);
    EXPECT_EQ(Pool::GetFreeCount(), free);

    // Last freed, first served.
    PooledRecord* r = new PooledRecord;
    const auto address = reinterpret_cast<uintptr_t>(r);
    delete r;
    r = new PooledRecord;
    EXPECT_EQ(reinterpret_cast<uintptr_t>(r), address);
    delete r;
}

TEST_F(QrTPoolTest, EmptyFreeListTakesOneBlockOfFour)
{
    using Pool = QrTPool<PooledRecord>;
    std::vector<PooledRecord*> records;
    // Drain the free list, then one more record makes exactly one block.
    while (Pool::GetFreeCount() > 0)
        records.push_back(new PooledRecord);
    const uint32_t blocks = Pool::GetBlockCount();
    records.push_back(new PooledRecord);
    EXPECT_EQ(Pool::GetBlockCount(), blocks + 1);
    EXPECT_EQ(Pool::GetFreeCount(), 3u);
    for (int i = 0; i < 3; ++i)
        records.push_back(new PooledRecord);
    EXPECT_EQ(Pool::GetBlockCount(), blocks + 1);
    EXPECT_EQ(Pool::GetFreeCount(), 0u);
    for (PooledRecord* r : records)
        delete r;
}

TEST_F(QrTPoolTest, OtherSizesGoToTheHeap)
{
    using Pool = QrTPool<PooledRecord>;
    delete new PooledRecord; // make sure the pool has a free record to lose
    const uint32_t blocks = Pool::GetBlockCount();
    const uint32_t free = Pool::GetFreeCount();
    PooledRecord* larger = new LargerRecord;
    EXPECT_EQ(Pool::GetFreeCount(), free);
    EXPECT_EQ(Pool::GetBlockCount(), blocks);
    // Deleted through the base: the larger size must not enter the free list.
    delete larger;
    EXPECT_EQ(Pool::GetFreeCount(), free);
}

#if defined(__SANITIZE_ADDRESS__)
using QrTPoolDeathTest = QrEngineTest;

// Pooled memory is never freed, so the pool itself must make a use after delete visible.
TEST_F(QrTPoolDeathTest, RecordUsedAfterDeleteIsReported)
{
    PooledRecord* record = new PooledRecord;
    volatile uint32_t* payload = &record->m_payload[5];
    delete record;
    EXPECT_DEATH(*payload = 1, "use-after-poison");
}
#endif

} // namespace
