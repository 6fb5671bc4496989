#include "QrTestFixture.h"
#include "TestStreamObjects.h"

#include "QrCreateFunctionMap.h"
#include "QrExtraData.h"
#include "QrStream.h"
#include "QrStringExtraData.h"

#include <map>
#include <string>
#include <vector>

namespace
{

class QrCreateFunctionMapTest : public QrEngineTest
{
protected:
    void SetUp() override
    {
        QrEngineTest::SetUp();
        RegisterTestStreamClasses();
    }
};

void MakeNothing(QrStream&, QrObject*& out)
{
    out = nullptr;
}

void MakeNothingEither(QrStream&, QrObject*& out)
{
    out = nullptr;
}

std::map<std::string, QrCreateFunction> Entries(const QrTStringMap<QrCreateFunction>& map)
{
    std::map<std::string, QrCreateFunction> entries;
    map.ForEach([&](const char* key, QrCreateFunction f) { entries[key] = f; });
    return entries;
}

} // namespace

TEST_F(QrCreateFunctionMapTest, LaterInsertionUnderAnEqualKeyReplacesTheValue)
{
    QrCreateFunctionMap map;
    map.SetAt("QrNode", &MakeNothing);
    map.SetAt("QrNode", &MakeNothingEither);
    EXPECT_EQ(map.GetCount(), 1u);
    QrCreateFunction f = nullptr;
    ASSERT_TRUE(map.GetAt("QrNode", f));
    EXPECT_EQ(f, &MakeNothingEither);
}

TEST_F(QrCreateFunctionMapTest, KeysAreCaseSensitiveCopies)
{
    QrCreateFunctionMap map;
    std::string key = "QrNode";
    map.SetAt(key.c_str(), &MakeNothing);
    map.SetAt("qrnode", &MakeNothingEither);
    key = "QrXxxx"; // the map keeps its own copy
    EXPECT_EQ(map.GetCount(), 2u);

    QrCreateFunction f = nullptr;
    ASSERT_TRUE(map.GetAt("QrNode", f));
    EXPECT_EQ(f, &MakeNothing);
    ASSERT_TRUE(map.GetAt("qrnode", f));
    EXPECT_EQ(f, &MakeNothingEither);
    f = nullptr;
    EXPECT_FALSE(map.GetAt("QRNODE", f));
    EXPECT_FALSE(map.GetAt("QrXxxx", f));
    EXPECT_FALSE(map.GetAt("", f));
    EXPECT_EQ(f, nullptr); // untouched by a failed lookup
}

TEST_F(QrCreateFunctionMapTest, ManyKeysShareTheBucketsAndAllStayReachable)
{
    // More keys than buckets, with characters above 127 (hashed as signed bytes).
    QrTStringMap<int> map;
    std::vector<std::string> keys;
    for (int i = 0; i < 200; ++i)
        keys.push_back("Qr" + std::to_string(i) + (i % 3 == 0 ? "\xE9t\xE9" : ""));
    for (size_t i = 0; i < keys.size(); ++i)
        map.SetAt(keys[i].c_str(), static_cast<int>(i));
    EXPECT_EQ(map.GetCount(), keys.size());
    for (size_t i = 0; i < keys.size(); ++i)
    {
        int v = -1;
        ASSERT_TRUE(map.GetAt(keys[i].c_str(), v)) << keys[i];
        EXPECT_EQ(v, static_cast<int>(i));
    }
    size_t visited = 0;
    map.ForEach([&](const char*, int) { ++visited; });
    EXPECT_EQ(visited, keys.size());

    map.RemoveAll();
    EXPECT_EQ(map.GetCount(), 0u);
    int v = -1;
    EXPECT_FALSE(map.GetAt(keys[0].c_str(), v));
}

TEST_F(QrCreateFunctionMapTest, SettingAValueUnderTheMapsOwnKeyCopy)
{
    // Callers may pass back a key the map handed out (ForEach).
    QrTStringMap<int> map;
    map.SetAt("QrNode", 1);
    map.SetAt("QrLight", 2);
    std::vector<const char*> keys;
    map.ForEach([&](const char* key, int) { keys.push_back(key); });
    for (const char* key : keys)
        map.SetAt(key, 7);
    EXPECT_EQ(map.GetCount(), 2u);
    int v = 0;
    ASSERT_TRUE(map.GetAt("QrNode", v));
    EXPECT_EQ(v, 7);
    ASSERT_TRUE(map.GetAt("QrLight", v));
    EXPECT_EQ(v, 7);
}

TEST_F(QrCreateFunctionMapTest, RegisteringAClassAgainChangesNothing)
{
    const uint32_t count = QrCreateFunctionMap::Get().GetCount();
    EXPECT_FALSE(TestLeaf::RegisterCreateFunction());
    EXPECT_FALSE(QrObject::RegisterCreateFunction());
    RegisterTestStreamClasses();
    EXPECT_EQ(QrCreateFunctionMap::Get().GetCount(), count);
    EXPECT_EQ(QrCreateFunctionMap::Find("TestLeaf"), &TestLeaf::CreateObject);
}

TEST_F(QrCreateFunctionMapTest, LookupIsByExactName)
{
    EXPECT_EQ(QrCreateFunctionMap::Find("TestHolder"), &TestHolder::CreateObject);
    EXPECT_EQ(QrCreateFunctionMap::Find("testholder"), nullptr);
    EXPECT_EQ(QrCreateFunctionMap::Find("TestHolder "), nullptr);
    EXPECT_EQ(QrCreateFunctionMap::Find(""), nullptr);
    EXPECT_EQ(QrCreateFunctionMap::Find(nullptr), nullptr);
}

TEST_F(QrCreateFunctionMapTest, AbstractClassesAreRegisteredButMakeNothing)
{
    for (const char* name : {"QrObject", "QrAction"})
    {
        QrCreateFunction create = QrCreateFunctionMap::Find(name);
        ASSERT_NE(create, nullptr) << name;
        QrStream stream;
        QrObject* out = reinterpret_cast<QrObject*>(&stream); // anything but null
        create(stream, out);
        EXPECT_EQ(out, nullptr) << name;
    }
}

// Every registered class is made by its own name, and a made object saves, loads back equal
// and saves to the same bytes. The objects are made from a stream with nothing to read, so
// this also checks that every class survives a record that ends at once.
TEST_F(QrCreateFunctionMapTest, EveryRegisteredClassIsMadeByItsNameAndRoundTrips)
{
    const std::map<std::string, QrCreateFunction> entries = Entries(QrCreateFunctionMap::Get());
    EXPECT_EQ(entries.size(), QrCreateFunctionMap::Get().GetCount());
    ASSERT_TRUE(entries.count("QrObject"));
    ASSERT_TRUE(entries.count("TestHolder"));

    size_t concrete = 0;
    for (const auto& [name, create] : entries)
    {
        SCOPED_TRACE(name);
        QrPointer<QrObject> object;
        {
            QrStream empty;
            QrObject* out = nullptr;
            create(empty, out);
            object = out;
        }
        if (!object)
            continue;
        ++concrete;
        EXPECT_STREQ(object->GetRTTI()->GetName(), name.c_str());
        // The create function attached a load record; the loader would remove it.
        QrExtraData* record = object->GetExtraData();
        ASSERT_NE(record, nullptr);
        object->RemoveExtraData(record);
        delete record;

        std::vector<uint8_t> first;
        std::vector<uint8_t> second;
        {
            QrStream saver;
            saver.InsertTopLevelObject(object.Get());
            ASSERT_TRUE(saver.SaveToMemory(first));
        }
        QrStream loader;
        ASSERT_TRUE(loader.LoadFromMemory(first.data(), first.size()))
            << QrStream::LastErrorMessage << " / " << QrStream::LastErrorContext;
        ASSERT_EQ(loader.GetTopLevelCount(), 1u);
        QrObject* loaded = loader.GetTopLevelAt(0);
        EXPECT_TRUE(object->IsEqual(loaded));
        EXPECT_TRUE(loaded->IsEqual(object.Get()));
        EXPECT_EQ(loaded->GetExtraData(), nullptr); // no load record left behind
        QrStream resaver;
        resaver.InsertTopLevelObject(loaded);
        ASSERT_TRUE(resaver.SaveToMemory(second));
        EXPECT_EQ(first, second);
        QrAction::RemoveAll(); // actions start running when loaded
    }
    EXPECT_GE(concrete, 5u);
}

TEST_F(QrCreateFunctionMapTest, ExtraDataClassesAreRegisteredByName)
{
    EXPECT_EQ(QrFindExtraDataCreateFunction("QrExtraData"), &QrExtraData::CreateObject);
    EXPECT_EQ(QrFindExtraDataCreateFunction("QrStringExtraData"), &QrStringExtraData::CreateObject);
    EXPECT_EQ(QrFindExtraDataCreateFunction("qrextradata"), nullptr);
    EXPECT_EQ(QrFindExtraDataCreateFunction(nullptr), nullptr);
}
