// Damaged scene files: every prefix, overwritten words and flipped bytes of a small valid file
// must fail cleanly or load, never crash, hang, leak or allocate beyond what the input can
// hold. Run under AddressSanitizer, which also reports the largest single allocation.
#include "QrTestFixture.h"
#include "SceneFileBuilder.h"
#include "SceneRun.h"
#include "StreamTestHelpers.h"
#include "TestFiles.h"
#include "TestStreamObjects.h"

#include "Qr3dsParticleSystem.h"
#include "QrEngineAnimationClasses.h"
#include "QrExtraData.h"
#include "QrMeshCollider.h"
#include "QrProjectedLight.h"
#include "QrShadowLight.h"
#include "QrStream.h"
#include "QrStringExtraData.h"

#include "Files.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QR_TEST_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define QR_TEST_ASAN 1
#endif

#ifdef QR_TEST_ASAN
// From the sanitizer runtime (its header does not ship with every compiler).
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*mallocHook)(const volatile void*, size_t),
                                                         void (*freeHook)(const volatile void*));
#endif

namespace
{

using Bytes = std::vector<uint8_t>;

// Largest single allocation while armed (AddressSanitizer builds only).
struct AllocationWatch
{
    static inline bool s_armed = false;
    static inline size_t s_largest = 0;

    static bool Available()
    {
#ifdef QR_TEST_ASAN
        static const bool installed = []
        {
            __sanitizer_install_malloc_and_free_hooks(&OnMalloc, &OnFree);
            return true;
        }();
        return installed;
#else
        return false;
#endif
    }
    static void OnMalloc(const volatile void*, size_t size)
    {
        if (s_armed && size > s_largest)
            s_largest = size;
    }
    static void OnFree(const volatile void*) {}
};

// Reads past its own failure: everything after the first error must come back as zeros.
class TestStickyProbe : public QrObject
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    static inline uint32_t s_afterU32 = 1;
    static inline float s_afterF32 = 1.0f;
    static inline bool s_afterString = true;
    static inline uint32_t s_afterCount = 1;

    void LoadBinary(QrStream& stream) override
    {
        QrObject::LoadBinary(stream);
        stream.LoadCount(1, "probe items"); // the file gives more than it holds
        s_afterU32 = stream.LoadU32();
        s_afterF32 = stream.LoadF32();
        std::string text;
        s_afterString = stream.LoadString(text) || !text.empty();
        s_afterCount = stream.LoadCount(1, "more probe items");
    }
    // The same layout, so that the probe also survives a round trip.
    void SaveBinary(QrStream& stream) override
    {
        QrObject::SaveBinary(stream);
        stream.SaveU32(0);
        stream.SaveU32(0);
        stream.SaveF32(0.0f);
        stream.SaveString(nullptr);
        stream.SaveU32(0);
    }

protected:
    TestStickyProbe() = default;
    ~TestStickyProbe() override = default;
};

QR_IMPLEMENT_RTTI(TestStickyProbe, QrObject)
QR_IMPLEMENT_CREATE(TestStickyProbe)

class QrStreamCorruptionTest : public QrEngineTest
{
protected:
    void SetUp() override
    {
        QrEngineTest::SetUp();
        RegisterTestStreamClasses();
        TestStickyProbe::RegisterCreateFunction();
        AllocationWatch::Available();
        m_valid = MakeValidFile();
    }

    // A few kilobytes: every test class, names and labels, both kinds of extra data, shared
    // references, null references, two records sharing one key and two running actions.
    static Bytes MakeValidFile()
    {
        std::vector<QrPointer<TestLeaf>> leaves;
        for (int i = 0; i < 8; ++i)
        {
            const std::string name = "leaf " + std::to_string(i);
            leaves.push_back(TestLeaf::Make(i * 11 - 20, i % 3 ? name.c_str() : nullptr, i % 2 ? "label" : nullptr));
        }
        auto* text = new QrStringExtraData;
        text->SetString("spawning ground");
        leaves[1]->AddExtraData(text);
        auto* blob = new QrExtraData;
        blob->SetData("\x10\x20\x30\x40\x50", 5);
        leaves[1]->AddExtraData(blob);
        leaves[2]->AddExtraData(new QrExtraData);
        QrPointer<TestSpecialLeaf> special = TestSpecialLeaf::Make(77, 0x1234);
        special->SetName("special");
        QrPointer<TestKeyedLeaf> keyA = TestKeyedLeaf::Make(1, "rock.bmp");
        QrPointer<TestKeyedLeaf> keyB = TestKeyedLeaf::Make(2, "rock.bmp");

        std::vector<uint16_t> values;
        for (uint16_t v = 0; v < 300; ++v)
            values.push_back(static_cast<uint16_t>(v * 257));
        std::vector<QrPointer<TestHolder>> holders = {
            TestHolder::Make(leaves[0].Get(), leaves[1].Get(), values),
            TestHolder::Make(leaves[1].Get(), special.Get(), {1, 2, 3}),
            TestHolder::Make(keyA.Get(), keyB.Get()),
            TestHolder::Make(nullptr, leaves[2].Get(), {9}),
        };
        holders[0]->SetName("holder with many values");

        QrAction::AddAction(TestAction::Make(1, leaves[3].Get()).Get());
        QrAction::AddAction(TestAction::Make(2).Get());
        QrStream stream;
        for (auto& h : holders)
            stream.InsertTopLevelObject(h.Get());
        for (size_t i = 4; i < leaves.size(); ++i)
            stream.InsertTopLevelObject(leaves[i].Get());
        Bytes bytes;
        stream.SaveToMemory(bytes);
        QrAction::RemoveAll();
        return bytes;
    }

    // Loads damaged bytes; whatever happens, nothing may stay behind.
    void LoadDamaged(const Bytes& bytes, const std::string& what)
    {
        const uint32_t live = QrObject::GetLiveCount();
        AllocationWatch::s_largest = 0;
        {
            QrStream stream;
            AllocationWatch::s_armed = true;
            const bool ok = stream.LoadFromMemory(bytes.data(), bytes.size());
            AllocationWatch::s_armed = false;
            if (!ok)
            {
                ++m_failed;
                EXPECT_EQ(stream.GetTopLevelCount(), 0u) << what;
                EXPECT_EQ(stream.GetLoadedCount(), 0u) << what;
                EXPECT_EQ(QrAction::GetActionCount(), 0u) << what;
                EXPECT_TRUE(QrStream::LastErrorCode >= 2 && QrStream::LastErrorCode <= 5) << what;
                EXPECT_FALSE(QrStream::LastErrorMessage.empty()) << what;
                EXPECT_FALSE(QrStream::LastErrorContext.empty()) << what;
            }
            else
            {
                ++m_loaded;
                // What did load can be saved again.
                Bytes again;
                QrStream saver;
                for (uint32_t i = 0; i < stream.GetTopLevelCount(); ++i)
                    saver.InsertTopLevelObject(stream.GetTopLevelAt(i));
                EXPECT_TRUE(saver.SaveToMemory(again)) << what;
            }
            QrAction::RemoveAll();
        }
        EXPECT_EQ(QrObject::GetLiveCount(), live) << what;
        // Nothing read from a file may ask for more than a small multiple of the file.
        EXPECT_LE(AllocationWatch::s_largest, 8 * bytes.size() + 65536) << what;
    }

    Bytes m_valid;
    size_t m_failed = 0;
    size_t m_loaded = 0;
};

} // namespace

TEST_F(QrStreamCorruptionTest, TheValidFileLoads)
{
    EXPECT_GT(m_valid.size(), 1500u);
    EXPECT_LT(m_valid.size(), 8192u);
    QrStream stream;
    ASSERT_TRUE(stream.LoadFromMemory(m_valid.data(), m_valid.size())) << QrStream::LastErrorContext;
    EXPECT_EQ(stream.GetTopLevelCount(), 8u);
    EXPECT_EQ(QrAction::GetActionCount(), 2u);
    QrAction::RemoveAll();
}

TEST_F(QrStreamCorruptionTest, EveryPrefixFailsCleanly)
{
    for (size_t n = 0; n < m_valid.size(); ++n)
    {
        LoadDamaged(Bytes(m_valid.begin(), m_valid.begin() + static_cast<std::ptrdiff_t>(n)),
                    "prefix " + std::to_string(n));
        ASSERT_EQ(m_loaded, 0u) << "prefix " << n << " loaded";
        ASSERT_EQ(QrStream::LastErrorCode, 2u) << "prefix " << n << ": " << QrStream::LastErrorContext;
        if (HasFailure())
            break;
    }
    EXPECT_EQ(m_failed, m_valid.size());
}

TEST_F(QrStreamCorruptionTest, OverwrittenWordsNeverCrashOrOverAllocate)
{
    const uint32_t patterns[] = {0xFFFFFFFFu, 0x7FFFFFFFu, 0x80000000u, 0x00010000u, 0x00000000u, 0x00000001u};
    for (size_t at = 0; at + 4 <= m_valid.size(); ++at)
    {
        for (uint32_t pattern : patterns)
        {
            Bytes bytes = m_valid;
            std::memcpy(bytes.data() + at, &pattern, 4);
            LoadDamaged(bytes, "word " + std::to_string(pattern) + " at " + std::to_string(at));
        }
        if (HasFailure())
            break;
    }
    // Most damage is caught; some (a value, a byte of a name) is not damage the format can see.
    EXPECT_GT(m_failed, 0u);
    EXPECT_GT(m_loaded, 0u);
}

TEST_F(QrStreamCorruptionTest, FlippedBytesNeverCrash)
{
    for (size_t at = 0; at < m_valid.size(); ++at)
    {
        for (uint8_t mask : {uint8_t{0xFF}, uint8_t{0x01}, uint8_t{0x80}})
        {
            Bytes bytes = m_valid;
            bytes[at] ^= mask;
            LoadDamaged(bytes, "byte " + std::to_string(at) + " ^ " + std::to_string(mask));
        }
        if (HasFailure())
            break;
    }
    EXPECT_GT(m_failed, 0u);
}

// The generated sample scenes hold the engine's own classes; damage to them must be caught
// the same way. CI probes a seeded sample of offsets in the files under 64 KB; the "long"
// label probes every file, at up to 2,000 offsets or ~64 MB of parsing each.
TEST_F(QrStreamCorruptionTest, DamagedSampleScenesFailCleanly)
{
    std::vector<std::string> files;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(testfiles::DataDir(), ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
    {
        // Animated samples, the kitchen sink and the fish and lure models need the animation
        // library's classes, the framework's samples the framework's; their own tests damage them.
        const std::string folder = it->path().parent_path().string();
        if (it->path().extension() == ".qrf" && it->path().parent_path().filename() != "Animation" &&
            it->path().filename() != "kitchen_sink.qrf" && folder.find("/Data/Framework") == std::string::npos &&
            folder.find("/Data/Angling") == std::string::npos)
            files.push_back(it->path().string());
    }
    std::sort(files.begin(), files.end());
    ASSERT_FALSE(files.empty()) << "no sample scenes under " << testfiles::DataDir();
    for (const std::string& file : files)
    {
        SCOPED_TRACE(file);
        Bytes valid;
        ASSERT_TRUE(plat::ReadFile(file, valid));
        if (!streamtest::LongRun() && valid.size() > (64u << 10))
            continue;
        {
            QrStream stream;
            ASSERT_TRUE(stream.LoadFromMemory(valid.data(), valid.size())) << QrStream::LastErrorContext;
            QrAction::RemoveAll();
        }
        const size_t probes =
            streamtest::LongRun() ? std::clamp<size_t>((64u << 20) / std::max<size_t>(1, valid.size()), 32, 2000) : 48;
        m_loaded = 0;
        streamtest::SweepDamage(valid, probes,
                                [&](const Bytes& bytes, const std::string& what)
                                {
                                    const uint32_t before = m_loaded;
                                    LoadDamaged(bytes, what);
                                    if (bytes.size() < valid.size())
                                    {
                                        EXPECT_EQ(m_loaded, before) << what << " loaded";
                                    }
                                });
        if (HasFailure())
            break;
    }
}

TEST_F(QrStreamCorruptionTest, AllocationWatchIsActiveUnderAddressSanitizer)
{
    if (!AllocationWatch::Available())
        GTEST_SKIP() << "not an AddressSanitizer build";
    AllocationWatch::s_largest = 0;
    AllocationWatch::s_armed = true;
    std::vector<char> block(123457);
    AllocationWatch::s_armed = false;
    EXPECT_GE(AllocationWatch::s_largest, block.size());
}

TEST_F(QrStreamCorruptionTest, ReadsAfterTheFirstErrorReturnZeros)
{
    const Bytes file = SceneFileBuilder()
                           .Object("TestStickyProbe", 1)
                           .U32(1000) // items that are not there
                           .U32(0xAABBCCDD)
                           .F32(2.5f)
                           .String("text")
                           .U32(1)
                           .End()
                           .Data();
    QrStream stream;
    EXPECT_FALSE(stream.LoadFromMemory(file.data(), file.size()));
    EXPECT_EQ(QrStream::LastErrorCode, 2u);
    EXPECT_NE(QrStream::LastErrorContext.find("probe items"), std::string::npos) << QrStream::LastErrorContext;
    EXPECT_EQ(TestStickyProbe::s_afterU32, 0u);
    EXPECT_EQ(TestStickyProbe::s_afterF32, 0.0f);
    EXPECT_FALSE(TestStickyProbe::s_afterString);
    EXPECT_EQ(TestStickyProbe::s_afterCount, 0u);
}

// --- reference chains through links the scene-graph walk does not follow

namespace
{

// Link ids are written little-endian; every id here is below 2^32.
void PutU32(Bytes& bytes, size_t at, uint32_t value)
{
    std::memcpy(bytes.data() + at, &value, 4);
}

// Two objects of one class, the first linking the second, saved; their records then repeated
// count times, record i (link id i) linking record i - 1. The head is the last record, the last
// the stream lets go of, so its release walks the whole chain. cycle makes the first record
// link the last instead of nothing.
template <class T> Bytes LinkChain(uint32_t count, void (T::*setLink)(QrObject*), bool cycle = false)
{
    QrPointer<T> head(new T);
    QrPointer<T> tail(new T);
    (head.Get()->*setLink)(tail.Get());
    QrStream saver;
    saver.InsertTopLevelObject(head.Get());
    Bytes saved;
    saver.SaveToMemory(saved);
    (head.Get()->*setLink)(nullptr);

    const std::string name = T::ms_RTTI.GetName();
    std::string key(4, '\0');
    const uint32_t length = uint32_t(name.size());
    std::memcpy(key.data(), &length, 4);
    key += name;
    const std::string text(saved.begin(), saved.end());
    const size_t first = text.find(key);
    const size_t second = text.find(key, first + 1);
    const size_t end = text.size() - (4 + std::strlen("End Of File"));
    EXPECT_NE(second, std::string::npos);
    EXPECT_EQ(second - first, end - second) << "both records are of one size";
    if (second == std::string::npos || second - first != end - second)
        return {};
    const Bytes head1(saved.begin() + std::ptrdiff_t(first), saved.begin() + std::ptrdiff_t(second));
    const Bytes tail2(saved.begin() + std::ptrdiff_t(second), saved.begin() + std::ptrdiff_t(end));
    // The records differ in their own id (1, 2) and in the link (2, 0).
    std::vector<size_t> differ;
    for (size_t i = 0; i < head1.size(); ++i)
        if (head1[i] != tail2[i])
            differ.push_back(i);
    EXPECT_EQ(differ.size(), 2u);
    if (differ.size() != 2)
        return {};

    Bytes out(saved.begin(), saved.begin() + std::ptrdiff_t(first));
    // The stream's top-level marker stands before the head in the saved file: drop it here.
    const size_t marker = 4 + std::strlen("Top Level Object");
    out.resize(out.size() - marker);
    for (uint32_t id = 1; id <= count; ++id)
    {
        if (id == count)
            out.insert(out.end(), saved.begin() + std::ptrdiff_t(first - marker),
                       saved.begin() + std::ptrdiff_t(first));
        Bytes record = head1;
        PutU32(record, differ[0], id);
        PutU32(record, differ[1], id > 1 ? id - 1 : (cycle ? count : 0));
        out.insert(out.end(), record.begin(), record.end());
    }
    out.insert(out.end(), saved.begin() + std::ptrdiff_t(end), saved.end());
    return out;
}

// A fountain whose collider is bound to the fountain itself.
Bytes ColliderBoundToItsSystem()
{
    QrPointer<Qr3dsParticleSystem> fountain(new Qr3dsParticleSystem);
    fountain->SetName("fountain");
    QrPointer<QrMeshCollider> collider(new QrMeshCollider);
    collider->SetMesh(fountain.Get());
    fountain->AddCollider(collider.Get());
    QrStream saver;
    saver.InsertTopLevelObject(fountain.Get());
    Bytes saved;
    saver.SaveToMemory(saved);
    collider->SetMesh(nullptr);
    return saved;
}

// Node i holds shadow light i, which receives node i - 1: saved as two such pairs closed in a
// loop, the pairs' records then repeated count times (the head pair last). cycle makes the first
// light receive the last node instead of nothing.
Bytes ReceiverChain(uint32_t count, bool cycle = false)
{
    QrPointer<QrNode> nodes[2] = {new QrNode, new QrNode};
    QrPointer<QrShadowLight> lights[2] = {new QrShadowLight, new QrShadowLight};
    for (int i = 0; i < 2; ++i)
    {
        nodes[i]->AttachChild(lights[i].Get());
        lights[i]->AttachReceiver(nodes[1 - i].Get());
    }
    QrStream saver;
    saver.InsertTopLevelObject(nodes[0].Get());
    Bytes saved;
    saver.SaveToMemory(saved);
    for (int i = 0; i < 2; ++i)
        nodes[i]->DetachChild(lights[i].Get());

    const auto key = [](const char* name)
    {
        std::string k(4, '\0');
        const uint32_t length = uint32_t(std::strlen(name));
        std::memcpy(k.data(), &length, 4);
        return k + name;
    };
    const std::string text(saved.begin(), saved.end());
    const size_t first = text.find(key("QrNode"));
    const size_t second = text.find(key("QrNode"), first + 1);
    const size_t end = text.size() - (4 + std::strlen("End Of File"));
    EXPECT_NE(second, std::string::npos);
    EXPECT_EQ(second - first, end - second) << "both pairs are of one size";
    if (second == std::string::npos || second - first != end - second)
        return {};
    const Bytes unit1(saved.begin() + std::ptrdiff_t(first), saved.begin() + std::ptrdiff_t(second));
    const Bytes unit2(saved.begin() + std::ptrdiff_t(second), saved.begin() + std::ptrdiff_t(end));
    // The pairs differ in the node's id and child (1, 2 against 3, 4) and in the light's id and
    // receiver (2, 3 against 4, 1).
    std::vector<size_t> differ;
    for (size_t i = 0; i < unit1.size(); ++i)
        if (unit1[i] != unit2[i])
            differ.push_back(i);
    EXPECT_EQ(differ.size(), 4u);
    if (differ.size() != 4)
        return {};

    const size_t marker = 4 + std::strlen("Top Level Object");
    Bytes out(saved.begin(), saved.begin() + std::ptrdiff_t(first - marker));
    for (uint32_t i = 1; i <= count; ++i)
    {
        if (i == count)
            out.insert(out.end(), saved.begin() + std::ptrdiff_t(first - marker),
                       saved.begin() + std::ptrdiff_t(first));
        Bytes pair = unit1;
        PutU32(pair, differ[0], 2 * i - 1);
        PutU32(pair, differ[1], 2 * i);
        PutU32(pair, differ[2], 2 * i);
        PutU32(pair, differ[3], i > 1 ? 2 * i - 3 : (cycle ? 2 * count - 1 : 0));
        out.insert(out.end(), pair.begin(), pair.end());
    }
    out.insert(out.end(), saved.begin() + std::ptrdiff_t(end), saved.end());
    return out;
}

// Links the check follows that an object still names after a failed load's release: any one
// may close a loop the release was to break.
int32_t g_linksKeptAfterRelease = 0;

void CountLinksKeptAfterRelease(QrObject* object)
{
    std::vector<QrAVObject*> links;
    if (QrAVObject* scene = QrDynamicCast<QrAVObject>(object))
        scene->AppendDescendLinks(links);
    g_linksKeptAfterRelease += static_cast<int32_t>(links.size());
}

struct LinkCase
{
    const char* name;
    Bytes (*make)();
    // Refused with this in the context.
    const char* refusedWith;
};

const LinkCase kLinkCases[] = {
    {"100,000 projected lights each projecting the next",
     [] { return LinkChain<QrProjectedLight>(100000, &QrProjectedLight::SetProjectedObject); }, "deeper than"},
    {"100,000 shadow lights each casting the next",
     [] { return LinkChain<QrShadowLight>(100000, &QrShadowLight::SetShadowObject); }, "deeper than"},
    {"projected lights projecting one another",
     [] { return LinkChain<QrProjectedLight>(3, &QrProjectedLight::SetProjectedObject, true); }, "own subtree"},
    {"shadow lights casting one another",
     [] { return LinkChain<QrShadowLight>(3, &QrShadowLight::SetShadowObject, true); }, "own subtree"},
    {"100,000 mesh colliders each bound to the next",
     [] { return LinkChain<QrMeshCollider>(100000, &QrMeshCollider::SetMesh); }, "expected QrAVObject"},
    {"a collider bound to its own particle system", ColliderBoundToItsSystem, "own subtree"},
    {"100,000 shadow lights each receiving the node of the next", [] { return ReceiverChain(100000); }, "deeper than"},
    {"shadow lights receiving one another's nodes", [] { return ReceiverChain(3, true); }, "own subtree"},
};

} // namespace

// Links no draw follows (a light's projected or shadow object or receivers, a collider's mesh)
// still hold what they name: chained 100,000 deep, the release recursed once per link and
// overflowed the stack; closed in a loop, nothing was freed. The load refuses both, as it does
// for children, and its release drops every link the check follows.
TEST_F(QrStreamCorruptionTest, ChainsAndLoopsThroughLinksNoDrawFollowsAreRefused)
{
    RegisterEngineAnimationClasses();
    // Called for each object after the scene graph's own release (added once).
    QrStream::AddFailedLoadRelease(&CountLinksKeptAfterRelease);
    for (const LinkCase& c : kLinkCases)
    {
        SCOPED_TRACE(c.name);
        const Bytes bytes = c.make();
        ASSERT_FALSE(bytes.empty());
        g_linksKeptAfterRelease = 0;
        // Loaded, it would be updated and drawn before its release.
        const SceneRun run = RunSceneBytes(bytes, {2, 0.5f});
        EXPECT_FALSE(run.loaded);
        EXPECT_EQ(run.errorCode, 2u);
        EXPECT_NE(run.errorContext.find(c.refusedWith), std::string::npos) << run.errorContext;
        EXPECT_EQ(run.objectsLeft, 0);
        EXPECT_EQ(g_linksKeptAfterRelease, 0);
    }
}
