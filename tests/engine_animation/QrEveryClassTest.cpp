// Every class in the registry (engine and animation), one test case each: the populated object
// the kitchen-sink sample holds saves alone, loads back equal and saves to the same bytes; so
// does the object its create function makes from a record that ends at once. Abstract classes
// make nothing and appear in no file.
#include "AnimationTestFixture.h"
#include "StreamTestHelpers.h"
#include "TestFiles.h"

#include "gen/GenKitchenSink.h"

#include "Qr3dsSkinAndBone.h"
#include "QrAction.h"
#include "QrCreateFunctionMap.h"
#include "QrEngineAnimationClasses.h"
#include "QrExtraData.h"
#include "QrLight.h"
#include "QrLoadRecord.h"
#include "QrStream.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace
{

std::vector<std::string> RegisteredClassNames()
{
    RegisterEngineAnimationClasses();
    std::vector<std::string> names;
    QrCreateFunctionMap::Get().ForEach([&](const char* name, QrCreateFunction) { names.push_back(name); });
    std::sort(names.begin(), names.end());
    return names;
}

class QrEveryClassTest : public QrAnimationTest, public ::testing::WithParamInterface<std::string>
{
protected:
    void SetUp() override
    {
        QrAnimationTest::SetUp();
        m_create = QrCreateFunctionMap::Find(GetParam().c_str());
        ASSERT_NE(m_create, nullptr);
    }

    void TearDown() override
    {
        m_sink.reset();
        QrAction::RemoveAll(); // loaded actions start running
        QrAnimationTest::TearDown();
    }

    // What the create function makes from an empty record, without its load record; null for
    // abstract classes.
    QrPointer<QrObject> MakeFromEmptyRecord()
    {
        QrStream empty;
        QrObject* out = nullptr;
        m_create(empty, out);
        QrPointer<QrObject> object(out);
        if (object)
        {
            QrExtraData* record = object->GetExtraData();
            EXPECT_NE(record, nullptr) << "no load record attached";
            if (record)
            {
                object->RemoveExtraData(record);
                delete record;
            }
        }
        return object;
    }

    // The kitchen sink as loaded, with nothing left running: a save writes every running action.
    QrStream& Sink()
    {
        if (!m_sink)
        {
            m_sink = std::make_unique<QrStream>();
            const std::string path = testfiles::DataDir() + "/" + gen::kKitchenSinkFile;
            EXPECT_TRUE(m_sink->Load(path.c_str())) << QrStream::LastErrorMessage << " " << QrStream::LastErrorContext;
            QrAction::RemoveAll();
        }
        return *m_sink;
    }

    // The first object of the file stored under the class's name.
    QrObject* FindInSink(const std::string& name)
    {
        QrStream& sink = Sink();
        for (uint32_t i = 0; i < sink.GetLoadedCount(); ++i)
        {
            const char* stored = gen::StoredClassName(sink.GetLoadedAt(i));
            if (stored && name == stored)
                return sink.GetLoadedAt(i);
        }
        return nullptr;
    }

    static std::vector<uint8_t> SaveAlone(QrObject* object)
    {
        std::vector<uint8_t> bytes;
        QrStream saver;
        saver.InsertTopLevelObject(object);
        EXPECT_TRUE(saver.SaveToMemory(bytes));
        return bytes;
    }

    static void ExpectRoundTripAlone(QrObject* object)
    {
        const std::vector<uint8_t> first = SaveAlone(object);
        QrStream loader;
        ASSERT_TRUE(loader.LoadFromMemory(first.data(), first.size()))
            << QrStream::LastErrorMessage << " / " << QrStream::LastErrorContext;
        ASSERT_EQ(loader.GetTopLevelCount(), 1u);
        QrObject* loaded = loader.GetTopLevelAt(0);
        EXPECT_STREQ(gen::StoredClassName(loaded), gen::StoredClassName(object));
        EXPECT_TRUE(object->IsEqual(loaded));
        EXPECT_TRUE(loaded->IsEqual(object));
        for (uint32_t i = 0; i < loader.GetLoadedCount(); ++i)
            for (QrExtraData* r = loader.GetLoadedAt(i)->GetExtraData(); r; r = r->GetNext())
                EXPECT_EQ(dynamic_cast<QrLoadRecord*>(r), nullptr) << "load record left on object " << i;
        EXPECT_EQ(SaveAlone(loaded), first);
    }

    QrCreateFunction m_create = nullptr;
    std::unique_ptr<QrStream> m_sink;
};

} // namespace

TEST_P(QrEveryClassTest, KitchenSinkObjectRoundTripsAlone)
{
    const QrPointer<QrObject> made = MakeFromEmptyRecord();
    QrObject* populated = FindInSink(GetParam());
    if (!made)
    {
        EXPECT_EQ(populated, nullptr) << "an abstract class was stored";
        return;
    }
    ASSERT_NE(populated, nullptr) << "the kitchen sink holds no " << GetParam();
    // A light's nodes are recorded by the nodes, so a light saved without them comes back
    // lighting nothing: it is saved as its copy without nodes, and that copy round-trips.
    auto* light = QrDynamicCast<QrLight>(populated);
    if (light && light->GetAffectedNodes().GetCount() != 0)
    {
        const QrPointer<QrAVObject> copy = light->CreateClone();
        copy->SetName(light->GetName()); // clones go unnamed
        EXPECT_EQ(SaveAlone(light), SaveAlone(copy.Get()));
        ExpectRoundTripAlone(copy.Get());
        return;
    }
    ExpectRoundTripAlone(populated);
}

TEST_P(QrEveryClassTest, ObjectFromAnEmptyRecordRoundTrips)
{
    const QrPointer<QrObject> made = MakeFromEmptyRecord();
    if (!made)
        return; // abstract: checked above
    EXPECT_STREQ(gen::StoredClassName(made.Get()), GetParam().c_str());
    ExpectRoundTripAlone(made.Get());
}

// The stride-1 sweep: a cut at any byte of any class's record fails cleanly.
TEST_P(QrEveryClassTest, EveryPrefixOfThePopulatedObjectFailsCleanly)
{
    QrObject* populated = FindInSink(GetParam());
    if (!populated)
        return; // abstract: checked above
    const std::vector<uint8_t> bytes = SaveAlone(populated);
    RecordProperty("bytes", static_cast<int>(bytes.size()));
    // Bindings join the program-wide list as they are made; nodes and cameras hold the tree.
    streamtest::ExpectEveryPrefixFails(bytes, 4096,
                                       []
                                       {
                                           QrAction::RemoveAll();
                                           Qr3dsSkinAndBone::FreeSharedBuffers();
                                       });
}

INSTANTIATE_TEST_SUITE_P(Registry, QrEveryClassTest, ::testing::ValuesIn(RegisteredClassNames()),
                         [](const ::testing::TestParamInfo<std::string>& param) { return param.param; });
