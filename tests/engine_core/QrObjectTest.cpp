#include "QrTestFixture.h"
#include "TestStreamObjects.h"

#include "QrExtraData.h"
#include "QrObject.h"
#include "QrStringExtraData.h"

#include <cstring>
#include <vector>

namespace
{

class QrObjectTest : public QrEngineTest
{
protected:
    void SetUp() override
    {
        QrEngineTest::SetUp();
        RegisterTestStreamClasses();
    }
};

std::vector<const QrExtraData*> Chain(const QrObject* object)
{
    std::vector<const QrExtraData*> records;
    for (const QrExtraData* r = object->GetExtraData(); r; r = r->GetNext())
        records.push_back(r);
    return records;
}

} // namespace

// ---------------------------------------------------------------- reference counting

TEST_F(QrObjectTest, PointersCountReferencesAndTheLastReleaseDeletes)
{
    const uint32_t live = QrObject::GetLiveCount();
    QrPointer<TestLeaf> a = TestLeaf::Make(1);
    EXPECT_EQ(QrObject::GetLiveCount(), live + 1);
    EXPECT_EQ(a->GetRefCount(), 1u);
    {
        QrPointer<TestLeaf> b = a;
        QrPointer<QrObject> c = b; // converting copy
        EXPECT_EQ(a->GetRefCount(), 3u);
        QrPointer<TestLeaf> d = std::move(b);
        EXPECT_FALSE(b);
        EXPECT_EQ(a->GetRefCount(), 3u);
    }
    EXPECT_EQ(a->GetRefCount(), 1u);
    a = nullptr;
    EXPECT_EQ(QrObject::GetLiveCount(), live);
}

TEST_F(QrObjectTest, SelfAssignmentKeepsTheCount)
{
    QrPointer<TestLeaf> a = TestLeaf::Make(1);
    QrPointer<TestLeaf>& alias = a;
    a = alias;
    EXPECT_EQ(a->GetRefCount(), 1u);
    a = a.Get();
    EXPECT_EQ(a->GetRefCount(), 1u);
    QrPointer<TestLeaf> b = a;
    a = b; // a different pointer to the same object
    EXPECT_EQ(a->GetRefCount(), 2u);
    a = std::move(b); // moving onto the same object drops one of the two references
    EXPECT_EQ(a->GetRefCount(), 1u);
}

TEST_F(QrObjectTest, AssigningAnObjectOwnedOnlyByTheOldOneKeepsItAlive)
{
    QrPointer<TestLeaf> leaf = TestLeaf::Make(42);
    QrPointer<QrObject> p = TestHolder::Make(leaf.Get(), nullptr);
    TestLeaf* raw = leaf.Get();
    leaf = nullptr; // the holder is now the leaf's only owner
    ASSERT_EQ(raw->GetRefCount(), 1u);

    const uint32_t live = QrObject::GetLiveCount();
    p = static_cast<TestHolder*>(p.Get())->m_first.Get(); // releases the holder, which releases the leaf
    ASSERT_EQ(p.Get(), raw);
    EXPECT_EQ(QrObject::GetLiveCount(), live - 1); // the holder went, the leaf stayed
    EXPECT_EQ(p->GetRefCount(), 1u);
    EXPECT_EQ(static_cast<TestLeaf*>(p.Get())->m_value, 42);

    // The same through a QrPointer on the right-hand side.
    QrPointer<TestHolder> holder = TestHolder::Make(TestLeaf::Make(7).Get(), nullptr);
    QrPointer<QrObject> q = holder;
    holder = nullptr;
    q = static_cast<TestHolder*>(q.Get())->m_first;
    EXPECT_EQ(static_cast<TestLeaf*>(q.Get())->m_value, 7);
    EXPECT_EQ(q->GetRefCount(), 1u);
}

TEST_F(QrObjectTest, PointerComparisons)
{
    QrPointer<TestLeaf> a = TestLeaf::Make(1);
    QrPointer<TestLeaf> b = a;
    QrPointer<TestLeaf> none;
    EXPECT_TRUE(a == b);
    EXPECT_TRUE(a == a.Get());
    EXPECT_TRUE(none == nullptr);
    EXPECT_FALSE(a == nullptr);
    EXPECT_FALSE(none);
}

// ---------------------------------------------------------------- class records

TEST_F(QrObjectTest, KindOfWalksTheBaseChain)
{
    QrPointer<TestSpecialLeaf> special = TestSpecialLeaf::Make(1, 2);
    QrPointer<TestLeaf> leaf = TestLeaf::Make(1);
    QrPointer<TestHolder> holder = TestHolder::Make(nullptr, nullptr);

    EXPECT_TRUE(special->IsKindOf(&TestSpecialLeaf::ms_RTTI));
    EXPECT_TRUE(special->IsKindOf(&TestLeaf::ms_RTTI));
    EXPECT_TRUE(special->IsKindOf(&QrObject::ms_RTTI));
    EXPECT_FALSE(special->IsKindOf(&TestHolder::ms_RTTI));
    EXPECT_FALSE(special->IsKindOf(nullptr));
    EXPECT_FALSE(leaf->IsKindOf(&TestSpecialLeaf::ms_RTTI)); // a base is not kind of its derivation
    EXPECT_TRUE(holder->IsKindOf(&QrObject::ms_RTTI));

    EXPECT_TRUE(special->IsExactly(&TestSpecialLeaf::ms_RTTI));
    EXPECT_FALSE(special->IsExactly(&TestLeaf::ms_RTTI));

    EXPECT_EQ(QrDynamicCast<TestLeaf>(special.Get()), special.Get());
    EXPECT_EQ(QrDynamicCast<TestSpecialLeaf>(leaf.Get()), nullptr);
    EXPECT_EQ(QrDynamicCast<TestLeaf>(holder.Get()), nullptr);
    EXPECT_EQ(QrDynamicCast<TestLeaf>(nullptr), nullptr);

    EXPECT_STREQ(special->GetRTTI()->GetName(), "TestSpecialLeaf");
    EXPECT_EQ(special->GetRTTI()->GetBaseRTTI()->GetBaseRTTI(), &QrObject::ms_RTTI);
    EXPECT_EQ(QrObject::ms_RTTI.GetBaseRTTI(), nullptr);
}

// ---------------------------------------------------------------- names and comparison

TEST_F(QrObjectTest, NamesAndEquality)
{
    QrPointer<TestLeaf> a = TestLeaf::Make(3);
    QrPointer<TestLeaf> b = TestLeaf::Make(3);
    EXPECT_EQ(a->GetName(), nullptr);
    EXPECT_TRUE(a->IsEqual(b.Get())); // both unnamed

    a->SetName("bass");
    EXPECT_STREQ(a->GetName(), "bass");
    EXPECT_FALSE(a->IsEqual(b.Get())); // named against unnamed, both ways
    EXPECT_FALSE(b->IsEqual(a.Get()));

    b->SetName("bass");
    EXPECT_TRUE(a->IsEqual(b.Get()));
    b->SetName("Bass"); // names compare case-sensitively
    EXPECT_FALSE(a->IsEqual(b.Get()));

    // The name is a copy, not the caller's buffer.
    char buffer[] = "perch";
    a->SetName(buffer);
    std::strcpy(buffer, "trout");
    EXPECT_STREQ(a->GetName(), "perch");

    a->SetName(nullptr);
    EXPECT_EQ(a->GetName(), nullptr);
    b->SetName(nullptr);
    EXPECT_TRUE(a->IsEqual(b.Get()));

    EXPECT_FALSE(a->IsEqual(nullptr));
    QrPointer<TestSpecialLeaf> special = TestSpecialLeaf::Make(3, 0);
    EXPECT_FALSE(a->IsEqual(special.Get())); // other class, though a kind of the same
    EXPECT_FALSE(special->IsEqual(a.Get()));
}

TEST_F(QrObjectTest, ExtraDataIsNotCompared)
{
    QrPointer<TestLeaf> a = TestLeaf::Make(3);
    QrPointer<TestLeaf> b = TestLeaf::Make(3);
    a->AddExtraData(new QrExtraData);
    EXPECT_TRUE(a->IsEqual(b.Get()));
}

// ---------------------------------------------------------------- extra-data chain

TEST_F(QrObjectTest, AddExtraDataPushesAtTheHead)
{
    QrPointer<TestLeaf> leaf = TestLeaf::Make(1);
    auto* first = new QrExtraData;
    auto* second = new QrStringExtraData;
    leaf->AddExtraData(first);
    leaf->AddExtraData(second);
    leaf->AddExtraData(nullptr);
    EXPECT_EQ(Chain(leaf.Get()), (std::vector<const QrExtraData*>{second, first}));
    // The object deletes its chain (AddressSanitizer reports a leak otherwise).
}

TEST_F(QrObjectTest, RemoveExtraDataUnlinksWithoutDeleting)
{
    QrPointer<TestLeaf> leaf = TestLeaf::Make(1);
    QrExtraData* r[4];
    for (QrExtraData*& record : r)
        record = new QrExtraData;
    for (int i = 3; i >= 0; --i)
        leaf->AddExtraData(r[i]); // chain r0 r1 r2 r3

    leaf->RemoveExtraData(r[0]); // head
    EXPECT_EQ(Chain(leaf.Get()), (std::vector<const QrExtraData*>{r[1], r[2], r[3]}));
    EXPECT_EQ(r[0]->GetNext(), nullptr);

    leaf->RemoveExtraData(r[2]); // interior
    EXPECT_EQ(Chain(leaf.Get()), (std::vector<const QrExtraData*>{r[1], r[3]}));

    leaf->RemoveExtraData(r[3]); // tail
    EXPECT_EQ(Chain(leaf.Get()), (std::vector<const QrExtraData*>{r[1]}));

    QrExtraData stranger;
    stranger.SetNext(r[1]); // looks linked, but is not in the chain
    leaf->RemoveExtraData(&stranger);
    leaf->RemoveExtraData(r[0]); // removed before
    leaf->RemoveExtraData(nullptr);
    EXPECT_EQ(Chain(leaf.Get()), (std::vector<const QrExtraData*>{r[1]}));
    EXPECT_EQ(stranger.GetNext(), r[1]);

    leaf->RemoveExtraData(r[1]);
    EXPECT_EQ(leaf->GetExtraData(), nullptr);
    for (QrExtraData* record : r)
        delete record;
}

TEST_F(QrObjectTest, ExtraDataRecordsOwnTheirBytes)
{
    QrExtraData record;
    const uint8_t bytes[3] = {1, 2, 3};
    record.SetData(bytes, 3);
    ASSERT_EQ(record.GetSize(), 3u);
    EXPECT_NE(record.GetData(), bytes);
    EXPECT_EQ(std::memcmp(record.GetData(), bytes, 3), 0);
    record.SetData(nullptr, 2); // a size without bytes gives zeros
    EXPECT_EQ(record.GetData()[0], 0);
    EXPECT_EQ(record.GetData()[1], 0);
    record.SetData(nullptr, 0);
    EXPECT_EQ(record.GetData(), nullptr);

    QrStringExtraData text;
    EXPECT_EQ(text.GetString(), nullptr);
    text.SetString("note");
    EXPECT_STREQ(text.GetString(), "note");
    text.SetString(nullptr);
    EXPECT_EQ(text.GetString(), nullptr);
    EXPECT_STREQ(text.GetRTTI()->GetName(), "QrStringExtraData");
    EXPECT_EQ(text.GetRTTI()->GetBaseRTTI(), &QrExtraData::ms_RTTI);
    EXPECT_EQ(QrExtraData::ms_RTTI.GetBaseRTTI(), nullptr);
}
