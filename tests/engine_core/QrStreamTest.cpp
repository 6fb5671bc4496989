#include "QrTestFixture.h"
#include "SceneFileBuilder.h"
#include "StreamTestHelpers.h"
#include "TestFiles.h"
#include "TestStreamObjects.h"

#include "QrExtraData.h"
#include "QrStream.h"
#include "QrStringExtraData.h"

#include "ByteReader.h"
#include "Files.h"

#include <cstring>
#include <string>
#include <vector>

namespace
{

using Bytes = std::vector<uint8_t>;

class QrStreamTest : public QrEngineTest
{
protected:
    void SetUp() override
    {
        QrEngineTest::SetUp();
        RegisterTestStreamClasses();
    }

    static Bytes Save(const std::vector<QrObject*>& topLevel) { return streamtest::Save(topLevel); }

    static bool Load(QrStream& stream, const Bytes& bytes)
    {
        const bool ok = stream.LoadFromMemory(bytes.data(), bytes.size());
        if (!ok)
        {
            EXPECT_EQ(stream.GetTopLevelCount(), 0u) << "a failed load keeps no top-level objects";
        }
        return ok;
    }

    // Loads, expects failure with the code and message, and returns the context.
    static std::string ExpectFailure(const Bytes& bytes, uint32_t code, const std::string& message)
    {
        QrStream stream;
        EXPECT_FALSE(Load(stream, bytes));
        EXPECT_EQ(QrStream::LastErrorCode, code);
        EXPECT_EQ(QrStream::LastErrorMessage, message);
        EXPECT_EQ(QrAction::GetActionCount(), 0u) << "a failed load starts no action";
        return QrStream::LastErrorContext;
    }

    // Saves the stream's top-level objects (and the running actions) again.
    static Bytes Resave(const QrStream& loaded)
    {
        std::vector<QrObject*> top;
        for (uint32_t i = 0; i < loaded.GetTopLevelCount(); ++i)
            top.push_back(loaded.GetTopLevelAt(i));
        return Save(top);
    }

    static size_t Occurrences(const Bytes& bytes, const std::string& text)
    {
        size_t n = 0;
        for (size_t i = 0; i + text.size() <= bytes.size(); ++i)
            n += std::memcmp(bytes.data() + i, text.data(), text.size()) == 0;
        return n;
    }
};

} // namespace

// ---------------------------------------------------------------- header and versions

TEST_F(QrStreamTest, HeaderAndVersionMatrix)
{
    const std::string prefix(QrStream::kFormatLine, QrStream::kFormatPrefixLength);
    struct Case
    {
        std::string line1;
        uint32_t code;
        std::string messageOrVersion;
    };
    const Case cases[] = {
        {QrStream::kFormatLine, 0, "2.2"},
        {prefix + "2.13", 0, "2.13"},
        {prefix + "2.14", 0, "2.14"},
        {prefix + "2.15", 0, "2.15"},
        {prefix + "2.19", 0, "2.19"},
        {prefix + "2.1", 3, "2.10 is older version, expecting 2.2"},
        {prefix + "2.12", 3, "2.12 is older version, expecting 2.2"},
        {prefix + "1.99", 3, "1.99 is older version, expecting 2.2"},
        {prefix + "2.3", 4, "2.30 is later version, expecting 2.2"},
        {prefix + "2.2\r", 4, "2.2\r is later version, expecting 2.2"},
        {prefix + "2.2 ", 4, "2.2  is later version, expecting 2.2"},
        {prefix + "2.21", 4, "2.21 is later version, expecting 2.2"},
        {prefix + "2.155", 2, "is not a QRF file"}, // longer than the version field
        {prefix + "2.2.2.2", 2, "is not a QRF file"},
        {"Quarrender File Format, Versio 2.2", 2, "is not a QRF file"},
        {"quarrender File Format, Version 2.2", 2, "is not a QRF file"},
        {"", 2, "is not a QRF file"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.line1);
        const Bytes bytes = SceneFileBuilder::WithLines(c.line1).End().Data();
        if (c.code == 0)
        {
            QrStream stream;
            EXPECT_TRUE(Load(stream, bytes)) << QrStream::LastErrorMessage;
            EXPECT_STREQ(stream.GetVersion(), c.messageOrVersion.c_str());
            EXPECT_EQ(QrStream::LastErrorCode, 0u);
        }
        else
        {
            EXPECT_FALSE(ExpectFailure(bytes, c.code, c.messageOrVersion).empty()) << "no context";
        }
    }
}

TEST_F(QrStreamTest, EachFixedHeaderLineIsComparedExactly)
{
    const std::vector<std::string> lines = SceneFileBuilder::EngineHeaderLines();
    for (size_t i = 1; i < 4; ++i)
    {
        std::vector<std::string> changed(lines.begin() + 1, lines.end());
        changed[i - 1] += " ";
        ExpectFailure(SceneFileBuilder::WithLines(lines[0], changed).End().Data(), 2, "is not a QRF file");
        changed[i - 1] = lines[i].substr(0, lines[i].size() - 1);
        ExpectFailure(SceneFileBuilder::WithLines(lines[0], changed).End().Data(), 2, "is not a QRF file");
    }
}

TEST_F(QrStreamTest, HeaderThatEndsEarlyIsNotAQrfFile)
{
    const Bytes full = SceneFileBuilder().End().Data();
    size_t headerEnd = 0;
    for (int newlines = 0; newlines < 4; ++headerEnd)
        newlines += full[headerEnd] == '\n';
    for (size_t n = 0; n <= headerEnd; ++n)
    {
        SCOPED_TRACE(n);
        ExpectFailure(Bytes(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n)), 2, "is not a QRF file");
    }
}

// ---------------------------------------------------------------- framing

TEST_F(QrStreamTest, EmptySaveIsTheHeaderAndEndOfFile)
{
    const Bytes bytes = Save({});
    EXPECT_EQ(bytes, SceneFileBuilder().End().Data());
    std::string text(bytes.begin(), bytes.end());
    EXPECT_EQ(text.rfind(std::string(QrStream::kFormatLine) + "\n", 0), 0u);

    QrStream stream;
    ASSERT_TRUE(Load(stream, bytes));
    EXPECT_EQ(stream.GetTopLevelCount(), 0u);
    EXPECT_EQ(stream.GetLoadedCount(), 0u);
}

TEST_F(QrStreamTest, LinkIdsCountFromOneInRegistrationOrder)
{
    QrPointer<TestLeaf> shared = TestLeaf::Make(1, "shared");
    QrPointer<TestLeaf> other = TestLeaf::Make(2);
    QrPointer<TestHolder> a = TestHolder::Make(shared.Get(), other.Get());
    QrPointer<TestHolder> b = TestHolder::Make(nullptr, shared.Get());
    const Bytes bytes = Save({b.Get(), a.Get()});

    // b, shared (through b), a, other (through a).
    const Bytes expected = SceneFileBuilder()
                               .TopLevel()
                               .Holder(1, 0, 2)
                               .Leaf(2, 1, "shared")
                               .TopLevel()
                               .Holder(3, 2, 4)
                               .Leaf(4, 2)
                               .End()
                               .Data();
    EXPECT_EQ(bytes, expected);

    QrStream stream;
    ASSERT_TRUE(Load(stream, bytes));
    ASSERT_EQ(stream.GetLoadedCount(), 4u);
    for (uint32_t i = 0; i < 4; ++i)
        EXPECT_EQ(stream.GetLoadedLinkID(i), i + 1);
}

TEST_F(QrStreamTest, SharedObjectIsWrittenOnceAndLinksBackToOnePointer)
{
    QrPointer<TestLeaf> shared = TestLeaf::Make(9, "shared");
    QrPointer<TestHolder> a = TestHolder::Make(shared.Get(), shared.Get(), {1, 2});
    QrPointer<TestHolder> b = TestHolder::Make(shared.Get(), nullptr);
    const Bytes bytes = Save({a.Get(), b.Get()});
    EXPECT_EQ(Occurrences(bytes, "TestLeaf"), 1u);

    QrStream stream;
    ASSERT_TRUE(Load(stream, bytes));
    ASSERT_EQ(stream.GetTopLevelCount(), 2u);
    auto* la = QrDynamicCast<TestHolder>(stream.GetTopLevelAt(0));
    auto* lb = QrDynamicCast<TestHolder>(stream.GetTopLevelAt(1));
    ASSERT_TRUE(la && lb);
    EXPECT_TRUE(la->IsEqual(a.Get()));
    EXPECT_TRUE(lb->IsEqual(b.Get()));
    ASSERT_NE(la->m_first.Get(), nullptr);
    EXPECT_EQ(la->m_first.Get(), la->m_second.Get());
    EXPECT_EQ(la->m_first.Get(), lb->m_first.Get());
    EXPECT_NE(la->m_first.Get(), shared.Get());
    EXPECT_EQ(lb->m_second.Get(), nullptr); // link id 0
    // Three holders' references and the stream's own.
    EXPECT_EQ(la->m_first->GetRefCount(), 4u);
}

TEST_F(QrStreamTest, LinkIdZeroIsNull)
{
    QrPointer<TestHolder> empty = TestHolder::Make(nullptr, nullptr);
    const Bytes bytes = Save({empty.Get()});
    EXPECT_EQ(bytes, SceneFileBuilder().TopLevel().Holder(1, 0, 0).End().Data());
    QrStream stream;
    ASSERT_TRUE(Load(stream, bytes));
    auto* loaded = QrDynamicCast<TestHolder>(stream.GetTopLevelAt(0));
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->m_first.Get(), nullptr);
    EXPECT_EQ(loaded->m_second.Get(), nullptr);
}

TEST_F(QrStreamTest, TopLevelObjectsAreKeptOnceEach)
{
    QrPointer<TestLeaf> leaf = TestLeaf::Make(1);
    QrStream saver;
    saver.InsertTopLevelObject(leaf.Get());
    saver.InsertTopLevelObject(nullptr);
    saver.InsertTopLevelObject(leaf.Get());
    EXPECT_EQ(saver.GetTopLevelCount(), 1u);
    EXPECT_TRUE(saver.IsTopLevel(leaf.Get()));
    EXPECT_FALSE(saver.IsTopLevel(nullptr));
    Bytes bytes;
    ASSERT_TRUE(saver.SaveToMemory(bytes));
    EXPECT_EQ(Occurrences(bytes, "Top Level Object"), 1u);

    // Two records that resolve to one shared object, both marked: one entry.
    const Bytes file = SceneFileBuilder()
                           .TopLevel()
                           .Object("TestKeyedLeaf", 1)
                           .LeafFields(5)
                           .String("lake.bmp")
                           .TopLevel()
                           .Object("TestKeyedLeaf", 2)
                           .LeafFields(6)
                           .String("lake.bmp")
                           .Holder(3, 2, 1)
                           .End()
                           .Data();
    QrStream stream;
    ASSERT_TRUE(Load(stream, file)) << QrStream::LastErrorContext;
    ASSERT_EQ(stream.GetTopLevelCount(), 1u);
    auto* keyed = QrDynamicCast<TestKeyedLeaf>(stream.GetTopLevelAt(0));
    ASSERT_NE(keyed, nullptr);
    EXPECT_EQ(keyed->m_value, 5); // the first record's object
    EXPECT_TRUE(stream.IsTopLevel(keyed));
    EXPECT_EQ(keyed->GetExtraData(), nullptr) << "both load records are gone";
    // Both ids name the shared object.
    ASSERT_EQ(stream.GetLoadedCount(), 3u);
    EXPECT_EQ(stream.GetLoadedAt(0), keyed);
    EXPECT_EQ(stream.GetLoadedAt(1), keyed);
    auto* holder = QrDynamicCast<TestHolder>(stream.GetLoadedAt(2));
    ASSERT_NE(holder, nullptr);
    EXPECT_EQ(holder->m_first.Get(), keyed);
    EXPECT_EQ(holder->m_second.Get(), keyed);
}

TEST_F(QrStreamTest, RecordsMayComeInAnyOrder)
{
    // References forward and backward, objects not in id order.
    const Bytes file = SceneFileBuilder()
                           .TopLevel()
                           .Holder(50, 7, 3)
                           .Leaf(3, 30)
                           .Object("TestSpecialLeaf", 7)
                           .LeafFields(70)
                           .U16(77)
                           .TopLevel()
                           .Holder(1, 3, 0)
                           .End()
                           .Data();
    QrStream stream;
    ASSERT_TRUE(Load(stream, file)) << QrStream::LastErrorContext;
    ASSERT_EQ(stream.GetTopLevelCount(), 2u);
    auto* first = QrDynamicCast<TestHolder>(stream.GetTopLevelAt(0));
    auto* second = QrDynamicCast<TestHolder>(stream.GetTopLevelAt(1));
    ASSERT_TRUE(first && second);
    ASSERT_TRUE(first->m_first && first->m_second);
    EXPECT_EQ(first->m_first->m_value, 70);
    EXPECT_TRUE(first->m_first->IsKindOf(&TestSpecialLeaf::ms_RTTI));
    EXPECT_EQ(first->m_second->m_value, 30);
    EXPECT_EQ(second->m_first.Get(), first->m_second.Get());
    EXPECT_EQ(stream.GetLoadedLinkID(0), 50u);

    // Saving renumbers in registration order.
    const Bytes again = Resave(stream);
    QrStream reloaded;
    ASSERT_TRUE(Load(reloaded, again));
    for (uint32_t i = 0; i < reloaded.GetLoadedCount(); ++i)
        EXPECT_EQ(reloaded.GetLoadedLinkID(i), i + 1);
}

// ---------------------------------------------------------------- round trips

TEST_F(QrStreamTest, LoadSaveLoadSaveIsByteIdenticalWithActions)
{
    QrPointer<TestLeaf> shared = TestLeaf::Make(-4, "shared", "label");
    shared->AddExtraData(new QrStringExtraData);
    auto* note = new QrStringExtraData;
    note->SetString("a note");
    shared->AddExtraData(note);
    auto* blob = new QrExtraData;
    blob->SetData("\x01\x02\x03", 3);
    shared->AddExtraData(blob);
    QrPointer<TestSpecialLeaf> special = TestSpecialLeaf::Make(12, 0xBEEF);
    special->SetName("special");
    QrPointer<TestHolder> h1 = TestHolder::Make(shared.Get(), special.Get(), {1, 2, 3});
    QrPointer<TestHolder> h2 = TestHolder::Make(special.Get(), nullptr);
    QrPointer<TestLeaf> lone = TestLeaf::Make(100, "lone");

    QrAction::AddAction(TestAction::Make(1, shared.Get()).Get());
    QrAction::AddAction(TestAction::Make(2).Get()); // the list runs 2, 1
    const Bytes first = Save({h1.Get(), lone.Get(), h2.Get()});
    QrAction::RemoveAll();

    std::vector<Bytes> saves{first};
    for (int round = 0; round < 2; ++round)
    {
        QrStream stream;
        ASSERT_TRUE(Load(stream, saves.back())) << QrStream::LastErrorContext;
        ASSERT_EQ(stream.GetTopLevelCount(), 3u);
        EXPECT_TRUE(stream.GetTopLevelAt(0)->IsEqual(h1.Get()));
        EXPECT_TRUE(stream.GetTopLevelAt(1)->IsEqual(lone.Get()));
        EXPECT_TRUE(stream.GetTopLevelAt(2)->IsEqual(h2.Get()));
        ASSERT_EQ(QrAction::GetActionCount(), 2u);
        saves.push_back(Resave(stream));
        QrAction::RemoveAll();
    }
    EXPECT_EQ(saves[1], first);
    EXPECT_EQ(saves[2], first);
}

TEST_F(QrStreamTest, LoadedActionsRunInTheirSavedOrder)
{
    QrPointer<TestLeaf> leaf = TestLeaf::Make(3);
    QrPointer<TestAction> a = TestAction::Make(1, leaf.Get());
    QrPointer<TestAction> b = TestAction::Make(2);
    QrPointer<TestAction> c = TestAction::Make(3, leaf.Get());
    QrAction::AddAction(a.Get());
    QrAction::AddAction(b.Get());
    QrAction::AddAction(c.Get()); // runs c, b, a
    const Bytes bytes = Save({});
    QrAction::RemoveAll();

    QrStream stream;
    ASSERT_TRUE(Load(stream, bytes));
    ASSERT_EQ(stream.GetLoadedCount(), 4u);
    std::vector<uint32_t> order;
    for (uint32_t i = 0; i < stream.GetLoadedCount(); ++i)
    {
        if (auto* action = QrDynamicCast<TestAction>(stream.GetLoadedAt(i)))
        {
            EXPECT_TRUE(QrAction::IsRunning(action));
            order.push_back(action->m_tag);
        }
    }
    EXPECT_EQ(order, (std::vector<uint32_t>{3, 2, 1})); // file order is list order

    // The list holds the loaded actions, and they keep their references.
    auto* la = QrDynamicCast<TestAction>(stream.GetLoadedAt(3));
    ASSERT_NE(la, nullptr);
    EXPECT_EQ(la->m_tag, 1u);
    EXPECT_EQ(la->m_leaf.Get(), QrDynamicCast<TestAction>(stream.GetLoadedAt(0))->m_leaf.Get());
    QrAction::UpdateAll(0.0, 0.0);
    EXPECT_EQ(la->m_updates, 1u);

    // Saving the loaded list again gives the same file.
    EXPECT_EQ(Save({}), bytes);
}

TEST_F(QrStreamTest, SavingTheSameObjectsTwiceGivesTheSameBytes)
{
    QrPointer<TestLeaf> leaf = TestLeaf::Make(1, "x");
    QrPointer<TestHolder> h = TestHolder::Make(leaf.Get(), TestLeaf::Make(2).Get(), {7});
    QrAction::AddAction(TestAction::Make(5, leaf.Get()).Get());
    const Bytes a = Save({h.Get(), leaf.Get()});
    // Allocate in between so that addresses differ from the first save's.
    std::vector<QrPointer<TestLeaf>> noise;
    for (int i = 0; i < 100; ++i)
        noise.push_back(TestLeaf::Make(i));
    const Bytes b = Save({h.Get(), leaf.Get()});
    EXPECT_EQ(a, b);
}

// ---------------------------------------------------------------- extra data across versions

TEST_F(QrStreamTest, Version213ObjectsHaveNoExtraData)
{
    const Bytes file = SceneFileBuilder("2.13").TopLevel().Leaf(1, 8, "old").End().Data();
    QrStream stream;
    ASSERT_TRUE(Load(stream, file)) << QrStream::LastErrorContext;
    EXPECT_STREQ(stream.GetVersion(), "2.13");
    ASSERT_EQ(stream.GetTopLevelCount(), 1u);
    EXPECT_EQ(stream.GetTopLevelAt(0)->GetExtraData(), nullptr);
    EXPECT_STREQ(stream.GetTopLevelAt(0)->GetName(), "old");
}

TEST_F(QrStreamTest, Version215ExtraDataHasNoSize)
{
    const Bytes file = SceneFileBuilder("2.15")
                           .TopLevel()
                           .ObjectHead("TestLeaf", 1, "mid")
                           .U32(2)
                           .String("QrExtraData")
                           .String("QrStringExtraData")
                           .String("hello")
                           .LeafFields(8)
                           .End()
                           .Data();
    QrStream stream;
    ASSERT_TRUE(Load(stream, file)) << QrStream::LastErrorContext;
    const QrExtraData* r = stream.GetTopLevelAt(0)->GetExtraData();
    ASSERT_NE(r, nullptr);
    EXPECT_TRUE(r->GetRTTI() == &QrExtraData::ms_RTTI);
    EXPECT_EQ(r->GetSize(), 0u);
    r = r->GetNext();
    ASSERT_NE(r, nullptr);
    ASSERT_TRUE(r->GetRTTI() == &QrStringExtraData::ms_RTTI);
    EXPECT_STREQ(static_cast<const QrStringExtraData*>(r)->GetString(), "hello");
    EXPECT_EQ(r->GetNext(), nullptr);
    EXPECT_EQ(static_cast<TestLeaf*>(stream.GetTopLevelAt(0))->m_value, 8);
}

TEST_F(QrStreamTest, Version215UnknownExtraDataFailsCleanly)
{
    // Its bytes cannot be stepped over, so the rest of the file cannot be trusted.
    const Bytes file = SceneFileBuilder("2.15")
                           .TopLevel()
                           .ObjectHead("TestLeaf", 1)
                           .U32(1)
                           .String("QrMysteryData")
                           .LeafFields(8)
                           .End()
                           .Data();
    const std::string context = ExpectFailure(file, 2, "is not a QRF file");
    EXPECT_NE(context.find("QrMysteryData"), std::string::npos) << context;
}

TEST_F(QrStreamTest, Version22UnknownExtraDataIsKeptAndSavedAsPlainExtraData)
{
    const Bytes file = SceneFileBuilder()
                           .TopLevel()
                           .ObjectHead("TestLeaf", 1)
                           .U32(2)
                           .String("QrMysteryData")
                           .U32(3)
                           .Bytes("abc")
                           .String("QrStringExtraData")
                           .U32(0)
                           .String("")
                           .LeafFields(8)
                           .End()
                           .Data();
    QrStream stream;
    ASSERT_TRUE(Load(stream, file)) << QrStream::LastErrorContext;
    const QrExtraData* r = stream.GetTopLevelAt(0)->GetExtraData();
    ASSERT_NE(r, nullptr);
    EXPECT_TRUE(r->GetRTTI() == &QrExtraData::ms_RTTI);
    ASSERT_EQ(r->GetSize(), 3u);
    EXPECT_EQ(std::memcmp(r->GetData(), "abc", 3), 0);
    ASSERT_NE(r->GetNext(), nullptr);
    EXPECT_EQ(static_cast<const QrStringExtraData*>(r->GetNext())->GetString(), nullptr);

    const Bytes saved = Resave(stream);
    const Bytes expected = SceneFileBuilder()
                               .TopLevel()
                               .ObjectHead("TestLeaf", 1)
                               .U32(2)
                               .String("QrExtraData")
                               .U32(3)
                               .Bytes("abc")
                               .String("QrStringExtraData")
                               .U32(0)
                               .String("")
                               .LeafFields(8)
                               .End()
                               .Data();
    EXPECT_EQ(saved, expected);
}

TEST_F(QrStreamTest, OlderVersionsReadAndSaveAsCurrent)
{
    for (const char* version : {"2.13", "2.14", "2.16", "2.19"})
    {
        SCOPED_TRACE(version);
        const Bytes file = SceneFileBuilder(version).TopLevel().Holder(1, 2, 0, {4}).Leaf(2, 6).End().Data();
        QrStream stream;
        ASSERT_TRUE(Load(stream, file)) << QrStream::LastErrorContext;
        EXPECT_STREQ(stream.GetVersion(), version);
        EXPECT_EQ(Resave(stream), SceneFileBuilder().TopLevel().Holder(1, 2, 0, {4}).Leaf(2, 6).End().Data());
    }
}

// ---------------------------------------------------------------- ownership

TEST_F(QrStreamTest, TheStreamHoldsWhatItLoadedUntilDestroyed)
{
    QrPointer<TestLeaf> kept;
    const Bytes bytes = Save({TestHolder::Make(TestLeaf::Make(1).Get(), nullptr).Get(), TestLeaf::Make(2).Get()});
    const uint32_t live = QrObject::GetLiveCount();
    {
        QrStream stream;
        ASSERT_TRUE(Load(stream, bytes));
        EXPECT_EQ(QrObject::GetLiveCount(), live + 3);
        kept = QrDynamicCast<TestLeaf>(stream.GetTopLevelAt(1));
        ASSERT_TRUE(kept);
        EXPECT_EQ(kept->GetRefCount(), 2u);
    }
    // The holder and its leaf were the stream's only; the kept leaf survives.
    EXPECT_EQ(QrObject::GetLiveCount(), live + 1);
    EXPECT_EQ(kept->GetRefCount(), 1u);
    EXPECT_EQ(kept->m_value, 2);
}

TEST_F(QrStreamTest, ALaterLoadReleasesTheEarlierOne)
{
    const Bytes bytes = Save({TestLeaf::Make(1).Get()});
    const uint32_t live = QrObject::GetLiveCount();
    QrStream stream;
    ASSERT_TRUE(Load(stream, bytes));
    ASSERT_TRUE(Load(stream, bytes));
    EXPECT_EQ(QrObject::GetLiveCount(), live + 1);
    EXPECT_EQ(stream.GetTopLevelCount(), 1u);
    EXPECT_FALSE(Load(stream, Bytes(bytes.begin(), bytes.end() - 1)));
    EXPECT_EQ(QrObject::GetLiveCount(), live);
}

TEST_F(QrStreamTest, ALaterLoadSharesNothingWithTheEarlierOne)
{
    const Bytes file =
        SceneFileBuilder().TopLevel().Object("TestKeyedLeaf", 1).LeafFields(5).String("rock.bmp").End().Data();
    QrStream stream;
    ASSERT_TRUE(Load(stream, file));
    const TestKeyedLeaf* first = QrDynamicCast<TestKeyedLeaf>(stream.GetTopLevelAt(0));
    EXPECT_EQ(stream.GetImageForFile("rock.bmp"), first);
    // The first load's objects are released; the second must not find them by key.
    ASSERT_TRUE(Load(stream, file));
    auto* second = QrDynamicCast<TestKeyedLeaf>(stream.GetTopLevelAt(0));
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->m_value, 5);
    EXPECT_EQ(stream.GetImageForFile("rock.bmp"), second);
    EXPECT_FALSE(Load(stream, Bytes(file.begin(), file.end() - 1)));
    EXPECT_EQ(stream.GetImageForFile("rock.bmp"), nullptr);
}

TEST_F(QrStreamTest, FailedLoadReleasesEverythingItMade)
{
    QrPointer<TestLeaf> leaf = TestLeaf::Make(1);
    QrAction::AddAction(TestAction::Make(1, leaf.Get()).Get());
    Bytes bytes = Save({TestHolder::Make(leaf.Get(), nullptr).Get()});
    QrAction::RemoveAll();
    const uint32_t live = QrObject::GetLiveCount();
    // Break the last record's link: everything before it has been made and linked.
    const Bytes tail = SceneFileBuilder().Holder(9, 77, 0).End().Data();
    const Bytes header = SceneFileBuilder().Data();
    bytes.resize(bytes.size() - (SceneFileBuilder().End().Data().size() - header.size()));
    bytes.insert(bytes.end(), tail.begin() + static_cast<std::ptrdiff_t>(header.size()), tail.end());

    const std::string context = ExpectFailure(bytes, 2, "is not a QRF file");
    EXPECT_NE(context.find("77"), std::string::npos) << context;
    EXPECT_EQ(QrObject::GetLiveCount(), live);
}

// ---------------------------------------------------------------- failures

TEST_F(QrStreamTest, UnknownAndAbstractClassesFailWithCode5)
{
    std::string context = ExpectFailure(SceneFileBuilder().Leaf(1, 1).Object("QrBogus", 2).End().Data(), 5,
                                        "QrBogus cannot find create function");
    EXPECT_NE(context.find("QrBogus"), std::string::npos) << context;
    EXPECT_NE(context.find("byte"), std::string::npos) << context;

    ExpectFailure(SceneFileBuilder().TopLevel().Object("QrObject", 1).End().Data(), 5,
                  "QrObject cannot find create function");
    ExpectFailure(SceneFileBuilder().Object("QrAction", 1).End().Data(), 5, "QrAction cannot find create function");
    ExpectFailure(SceneFileBuilder().Object("testleaf", 1).End().Data(), 5, "testleaf cannot find create function");
    // A marker followed by a marker names no class.
    ExpectFailure(SceneFileBuilder().TopLevel().TopLevel().Leaf(1, 1).End().Data(), 5,
                  "Top Level Object cannot find create function");
}

TEST_F(QrStreamTest, CorruptRecordsFailWithCode2AndSayWhere)
{
    struct Case
    {
        const char* what;
        Bytes bytes;
        const char* inContext;
    };
    const Case cases[] = {
        {"duplicate link id", SceneFileBuilder().Leaf(4, 1).Leaf(4, 2).End().Data(), "duplicate link id 4"},
        {"object link id 0", SceneFileBuilder().Leaf(0, 1).End().Data(), "link id 0"},
        {"link to no object", SceneFileBuilder().Holder(1, 2, 0).End().Data(), "link id 2"},
        {"link to the wrong class", SceneFileBuilder().Holder(1, 0, 1).End().Data(), "TestHolder"},
        {"no End Of File", SceneFileBuilder().Leaf(1, 1).Data(), "End Of File"},
        {"record cut short", SceneFileBuilder().Object("TestLeaf", 1).I32(1).Data(), "TestLeaf"},
        {"class name too long", SceneFileBuilder().U32(0xFFFFFFFFu).Bytes("TestLeaf").Data(), "string length"},
        {"name too long", SceneFileBuilder().String("TestLeaf").U32(1).U32(1000).Data(), "string length"},
        {"count too large", SceneFileBuilder().Holder(1, 0, 0).End().Data(), "values"},
        {"extra-data count too large", SceneFileBuilder().ObjectHead("TestLeaf", 1).U32(0x40000000).End().Data(),
         "extra-data"},
        {"extra-data block too long",
         SceneFileBuilder().ObjectHead("TestLeaf", 1).U32(1).String("QrExtraData").U32(0x7FFFFFFF).End().Data(),
         "extra-data"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        Bytes bytes = c.bytes;
        if (std::string(c.what) == "count too large")
        {
            // The value count sits just before "End Of File".
            const size_t at = bytes.size() - 4 - 11 - 4;
            bytes[at] = 0xFF;
            bytes[at + 1] = 0xFF;
        }
        const std::string context = ExpectFailure(bytes, 2, "is not a QRF file");
        EXPECT_NE(context.find(c.inContext), std::string::npos) << context;
    }
}

TEST_F(QrStreamTest, ErrorContextNamesTheRecordAndOffset)
{
    const Bytes file = SceneFileBuilder().Leaf(1, 1).ObjectHead("TestHolder", 2).U32(5).End().Data();
    const std::string context = ExpectFailure(file, 2, "is not a QRF file");
    EXPECT_NE(context.find("record 2 (TestHolder)"), std::string::npos) << context;
    EXPECT_NE(context.find("byte "), std::string::npos) << context;
}

TEST_F(QrStreamTest, ErrorsAreClearedByTheNextStream)
{
    ExpectFailure(SceneFileBuilder().Object("QrBogus", 1).End().Data(), 5, "QrBogus cannot find create function");
    QrStream fresh;
    EXPECT_EQ(QrStream::LastErrorCode, 0u);
    EXPECT_EQ(QrStream::LastErrorMessage, "");
    EXPECT_EQ(QrStream::LastErrorContext, "");
}

// ---------------------------------------------------------------- files

TEST_F(QrStreamTest, SaveAndLoadThroughFiles)
{
    testfiles::TempDir dir;
    const std::string path = dir.File("scene.qrf");
    QrPointer<TestHolder> h = TestHolder::Make(TestLeaf::Make(1, "a").Get(), nullptr, {9});
    {
        QrStream saver;
        saver.InsertTopLevelObject(h.Get());
        ASSERT_TRUE(saver.Save(path.c_str()));
    }
    Bytes onDisk;
    ASSERT_TRUE(plat::ReadFile(path, onDisk));
    EXPECT_EQ(onDisk, Save({h.Get()}));

    QrStream loader;
    ASSERT_TRUE(loader.Load(path.c_str()));
    EXPECT_EQ(loader.GetFileName(), path);
    ASSERT_EQ(loader.GetTopLevelCount(), 1u);
    EXPECT_TRUE(loader.GetTopLevelAt(0)->IsEqual(h.Get()));
}

TEST_F(QrStreamTest, MissingFileIsCode1AndUnwritableFileSetsNoCode)
{
    testfiles::TempDir dir;
    const std::string missing = dir.File("absent.qrf");
    {
        QrStream stream;
        EXPECT_FALSE(stream.Load(missing.c_str()));
        EXPECT_EQ(QrStream::LastErrorCode, 1u);
        EXPECT_EQ(QrStream::LastErrorMessage, missing + " cannot load file");
        // After a failed load the same stream still reports the next one.
        EXPECT_FALSE(stream.LoadFromMemory("x", 1));
        EXPECT_EQ(QrStream::LastErrorCode, 2u);
        EXPECT_FALSE(stream.Load(missing.c_str()));
        EXPECT_EQ(QrStream::LastErrorCode, 1u);
    }
    QrStream saver;
    EXPECT_FALSE(saver.Save(dir.File("no/such/folder/x.qrf").c_str()));
    EXPECT_EQ(QrStream::LastErrorCode, 0u);
}
