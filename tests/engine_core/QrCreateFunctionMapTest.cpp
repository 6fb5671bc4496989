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

TEST_F(QrCreateFunctionMapTest, ExtraDataClassesAreRegisteredByName)
{
    EXPECT_EQ(QrFindExtraDataCreateFunction("QrExtraData"), &QrExtraData::CreateObject);
    EXPECT_EQ(QrFindExtraDataCreateFunction("QrStringExtraData"), &QrStringExtraData::CreateObject);
    EXPECT_EQ(QrFindExtraDataCreateFunction("qrextradata"), nullptr);
    EXPECT_EQ(QrFindExtraDataCreateFunction(nullptr), nullptr);
}
