#include "TestStreamObjects.h"

#include "QrStream.h"

QR_IMPLEMENT_RTTI(TestLeaf, QrObject)
QR_IMPLEMENT_CREATE(TestLeaf)
QR_IMPLEMENT_RTTI(TestSpecialLeaf, TestLeaf)
QR_IMPLEMENT_CREATE(TestSpecialLeaf)
QR_IMPLEMENT_RTTI(TestHolder, QrObject)
QR_IMPLEMENT_CREATE(TestHolder)
QR_IMPLEMENT_RTTI(TestAction, QrAction)
QR_IMPLEMENT_CREATE(TestAction)
QR_IMPLEMENT_RTTI(TestKeyedLeaf, TestLeaf)

namespace
{
bool SameLeaf(const TestLeaf* a, const TestLeaf* b)
{
    return a == b || (a && b && a->IsEqual(b));
}
} // namespace

// ---------------------------------------------------------------- TestLeaf

QrPointer<TestLeaf> TestLeaf::Make(int32_t value, const char* name, const char* label)
{
    QrPointer<TestLeaf> leaf(new TestLeaf);
    leaf->m_value = value;
    leaf->m_weight = static_cast<float>(value) * 0.25f;
    leaf->SetName(name);
    if (label)
        leaf->m_label = label;
    return leaf;
}

void TestLeaf::Fields(QrStream& stream)
{
    stream.Field(m_value);
    stream.Field(m_weight);
}

void TestLeaf::LoadBinary(QrStream& stream)
{
    QrObject::LoadBinary(stream);
    Fields(stream);
    m_label = stream.LoadOptionalString();
}

void TestLeaf::SaveBinary(QrStream& stream)
{
    QrObject::SaveBinary(stream);
    Fields(stream);
    stream.SaveString(m_label ? m_label->c_str() : nullptr);
}

bool TestLeaf::IsEqual(const QrObject* other) const
{
    if (!QrObject::IsEqual(other))
        return false;
    const auto* leaf = static_cast<const TestLeaf*>(other);
    return m_value == leaf->m_value && m_weight == leaf->m_weight && m_label == leaf->m_label;
}

// ---------------------------------------------------------------- TestSpecialLeaf

QrPointer<TestSpecialLeaf> TestSpecialLeaf::Make(int32_t value, uint16_t extra)
{
    QrPointer<TestSpecialLeaf> leaf(new TestSpecialLeaf);
    leaf->m_value = value;
    leaf->m_extra = extra;
    return leaf;
}

void TestSpecialLeaf::LoadBinary(QrStream& stream)
{
    TestLeaf::LoadBinary(stream);
    m_extra = stream.LoadU16();
}

void TestSpecialLeaf::SaveBinary(QrStream& stream)
{
    TestLeaf::SaveBinary(stream);
    stream.SaveU16(m_extra);
}

bool TestSpecialLeaf::IsEqual(const QrObject* other) const
{
    return TestLeaf::IsEqual(other) && m_extra == static_cast<const TestSpecialLeaf*>(other)->m_extra;
}

// ---------------------------------------------------------------- TestHolder

QrPointer<TestHolder> TestHolder::Make(TestLeaf* first, TestLeaf* second, std::vector<uint16_t> values)
{
    QrPointer<TestHolder> holder(new TestHolder);
    holder->m_first = first;
    holder->m_second = second;
    holder->m_values = std::move(values);
    return holder;
}

void TestHolder::LoadBinary(QrStream& stream)
{
    QrObject::LoadBinary(stream);
    stream.LoadLinkID(this);
    stream.LoadLinkID(this);
    const uint32_t count = stream.LoadCount(2, "values");
    m_values.resize(count);
    for (uint16_t& v : m_values)
        v = stream.LoadU16();
}

void TestHolder::LinkObject(QrStream& stream)
{
    QrObject::LinkObject(stream);
    m_first = stream.ResolveLinkID<TestLeaf>(this);
    m_second = stream.ResolveLinkID<TestLeaf>(this);
}

bool TestHolder::RegisterStreamables(QrStream& stream)
{
    if (!QrObject::RegisterStreamables(stream))
        return false;
    if (m_first)
        m_first->RegisterStreamables(stream);
    if (m_second)
        m_second->RegisterStreamables(stream);
    return true;
}

void TestHolder::SaveBinary(QrStream& stream)
{
    QrObject::SaveBinary(stream);
    stream.SaveLinkID(m_first.Get());
    stream.SaveLinkID(m_second.Get());
    stream.SaveU32(static_cast<uint32_t>(m_values.size()));
    for (uint16_t v : m_values)
        stream.SaveU16(v);
}

bool TestHolder::IsEqual(const QrObject* other) const
{
    if (!QrObject::IsEqual(other))
        return false;
    const auto* holder = static_cast<const TestHolder*>(other);
    return SameLeaf(m_first.Get(), holder->m_first.Get()) && SameLeaf(m_second.Get(), holder->m_second.Get()) &&
           m_values == holder->m_values;
}

// ---------------------------------------------------------------- TestAction

QrPointer<TestAction> TestAction::Make(uint32_t tag, TestLeaf* leaf)
{
    QrPointer<TestAction> action(new TestAction);
    action->m_tag = tag;
    action->m_leaf = leaf;
    return action;
}

void TestAction::LoadBinary(QrStream& stream)
{
    QrAction::LoadBinary(stream);
    m_tag = stream.LoadU32();
    stream.LoadLinkID(this);
}

void TestAction::LinkObject(QrStream& stream)
{
    QrAction::LinkObject(stream);
    m_leaf = stream.ResolveLinkID<TestLeaf>(this);
}

bool TestAction::RegisterStreamables(QrStream& stream)
{
    if (!QrAction::RegisterStreamables(stream))
        return false;
    if (m_leaf)
        m_leaf->RegisterStreamables(stream);
    return true;
}

void TestAction::SaveBinary(QrStream& stream)
{
    QrAction::SaveBinary(stream);
    stream.SaveU32(m_tag);
    stream.SaveLinkID(m_leaf.Get());
}

bool TestAction::IsEqual(const QrObject* other) const
{
    if (!QrAction::IsEqual(other))
        return false;
    const auto* action = static_cast<const TestAction*>(other);
    return m_tag == action->m_tag && SameLeaf(m_leaf.Get(), action->m_leaf.Get());
}

bool TestAction::Update(double, double)
{
    ++m_updates;
    return true;
}

// ---------------------------------------------------------------- TestKeyedLeaf

namespace
{
class TestKeyedLoadRecord : public QrLoadRecord
{
public:
    QrObject* m_shared = nullptr;
};
} // namespace

QrPointer<TestKeyedLeaf> TestKeyedLeaf::Make(int32_t value, const char* key)
{
    QrPointer<TestKeyedLeaf> leaf(new TestKeyedLeaf);
    leaf->m_value = value;
    leaf->m_key = key;
    return leaf;
}

void TestKeyedLeaf::CreateObject(QrStream& stream, QrObject*& out)
{
    auto* leaf = new TestKeyedLeaf;
    auto* record = new TestKeyedLoadRecord;
    leaf->SetExtraDataHead(record);
    out = leaf;
    leaf->LoadBinary(stream);
    if (!record->m_shared)
        return;
    // The duplicate goes; its id now names the shared object, which takes the record so that
    // the link pass deletes it.
    leaf->RemoveExtraData(record);
    leaf->IncRefCount();
    leaf->DecRefCount();
    out = record->m_shared;
    stream.ReplaceLinkObject(record->m_linkId, record->m_shared);
    record->m_shared->AddExtraData(record);
}

bool TestKeyedLeaf::RegisterCreateFunction()
{
    static bool registered = false;
    if (registered)
        return false;
    registered = true;
    QrRegisterCreateFunction("TestKeyedLeaf", &TestKeyedLeaf::CreateObject);
    return true;
}

void TestKeyedLeaf::LoadBinary(QrStream& stream)
{
    TestLeaf::LoadBinary(stream);
    stream.LoadString(m_key);
    if (stream.Failed() || m_key.empty())
        return;
    if (QrObject* shared = stream.GetImageForFile(m_key.c_str()))
    {
        if (auto* record = dynamic_cast<TestKeyedLoadRecord*>(GetExtraData()))
            record->m_shared = shared;
    }
    else
    {
        stream.SetImageForFile(m_key.c_str(), this);
    }
}

void TestKeyedLeaf::SaveBinary(QrStream& stream)
{
    TestLeaf::SaveBinary(stream);
    stream.SaveString(m_key);
}

bool TestKeyedLeaf::IsEqual(const QrObject* other) const
{
    return TestLeaf::IsEqual(other) && m_key == static_cast<const TestKeyedLeaf*>(other)->m_key;
}

void RegisterTestStreamClasses()
{
    TestLeaf::RegisterCreateFunction();
    TestSpecialLeaf::RegisterCreateFunction();
    TestHolder::RegisterCreateFunction();
    TestAction::RegisterCreateFunction();
    TestKeyedLeaf::RegisterCreateFunction();
}
