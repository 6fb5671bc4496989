// Scene-file load and save of 100,000 small objects, beside a plain copy of the same bytes:
// the ratio of load time to copy time shows what the stream adds per byte.
//   tree: one top-level root over a binary tree of nodes (few top-level objects)
//   flat: every node top-level, each referring to two earlier ones
#include "QrEngineCoreClasses.h"
#include "QrObject.h"
#include "QrStream.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace
{

constexpr int kObjectCount = 100000;

// A named node with two references, the typical shape of a scene record.
class BenchNode : public QrObject
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    static BenchNode* Make() { return new BenchNode; }

    void LoadBinary(QrStream& stream) override
    {
        QrObject::LoadBinary(stream);
        stream.Field(m_value);
        stream.LoadLinkID(this);
        stream.LoadLinkID(this);
    }
    void LinkObject(QrStream& stream) override
    {
        QrObject::LinkObject(stream);
        m_a = stream.ResolveLinkID<BenchNode>(this);
        m_b = stream.ResolveLinkID<BenchNode>(this);
    }
    bool RegisterStreamables(QrStream& stream) override
    {
        if (!QrObject::RegisterStreamables(stream))
            return false;
        if (m_a)
            m_a->RegisterStreamables(stream);
        if (m_b)
            m_b->RegisterStreamables(stream);
        return true;
    }
    void SaveBinary(QrStream& stream) override
    {
        QrObject::SaveBinary(stream);
        stream.Field(m_value);
        stream.SaveLinkID(m_a.Get());
        stream.SaveLinkID(m_b.Get());
    }

    float m_value = 0.0f;
    QrPointer<BenchNode> m_a;
    QrPointer<BenchNode> m_b;

protected:
    BenchNode() = default;
    ~BenchNode() override = default;
};

QR_IMPLEMENT_RTTI(BenchNode, QrObject)
QR_IMPLEMENT_CREATE(BenchNode)

struct Scene
{
    std::vector<QrPointer<BenchNode>> nodes;
    std::vector<QrObject*> topLevel;
};

Scene MakeScene(bool flat)
{
    RegisterEngineCoreClasses();
    BenchNode::RegisterCreateFunction();
    Scene scene;
    scene.nodes.reserve(kObjectCount);
    for (int i = 0; i < kObjectCount; ++i)
    {
        scene.nodes.emplace_back(BenchNode::Make());
        scene.nodes.back()->SetName(("node " + std::to_string(i)).c_str());
        scene.nodes.back()->m_value = static_cast<float>(i);
    }
    for (int i = 0; i < kObjectCount; ++i)
    {
        BenchNode& node = *scene.nodes[i];
        if (flat)
        {
            // Earlier nodes only, so that registering never recurses deeply; no long chain either,
            // whose release would recurse once per node (past the stack under AddressSanitizer).
            // The first refers to none: to itself, it would never be released.
            node.m_a = i > 0 ? scene.nodes[i / 3].Get() : nullptr;
            node.m_b = i > 0 ? scene.nodes[i / 2].Get() : nullptr;
            scene.topLevel.push_back(&node);
        }
        else
        {
            node.m_a = 2 * i + 1 < kObjectCount ? scene.nodes[2 * i + 1].Get() : nullptr;
            node.m_b = 2 * i + 2 < kObjectCount ? scene.nodes[2 * i + 2].Get() : nullptr;
        }
    }
    if (!flat)
        scene.topLevel.push_back(scene.nodes[0].Get());
    return scene;
}

std::vector<uint8_t> SaveScene(const Scene& scene)
{
    QrStream stream;
    for (QrObject* object : scene.topLevel)
        stream.InsertTopLevelObject(object);
    std::vector<uint8_t> bytes;
    stream.SaveToMemory(bytes);
    return bytes;
}

const std::vector<uint8_t>& SceneBytes(bool flat)
{
    static std::vector<uint8_t> bytes[2];
    if (bytes[flat].empty())
        bytes[flat] = SaveScene(MakeScene(flat));
    return bytes[flat];
}

void Report(benchmark::State& state, size_t bytes)
{
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kObjectCount);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
    state.counters["file_MB"] = static_cast<double>(bytes) / 1e6;
}

void BM_Load(benchmark::State& state)
{
    const bool flat = state.range(0) != 0;
    const std::vector<uint8_t>& bytes = SceneBytes(flat);
    for (auto _ : state)
    {
        auto stream = std::make_unique<QrStream>();
        if (!stream->LoadFromMemory(bytes.data(), bytes.size()) || stream->GetLoadedCount() != kObjectCount)
            state.SkipWithError(QrStream::LastErrorContext.c_str());
        state.PauseTiming(); // releasing the objects is not loading
        stream.reset();
        state.ResumeTiming();
    }
    Report(state, bytes.size());
}

void BM_Save(benchmark::State& state)
{
    const bool flat = state.range(0) != 0;
    const Scene scene = MakeScene(flat);
    size_t size = 0;
    for (auto _ : state)
    {
        std::vector<uint8_t> bytes = SaveScene(scene);
        size = bytes.size();
        benchmark::DoNotOptimize(bytes.data());
    }
    Report(state, size);
}

void BM_Copy(benchmark::State& state)
{
    const std::vector<uint8_t>& bytes = SceneBytes(state.range(0) != 0);
    std::vector<uint8_t> copy(bytes.size());
    for (auto _ : state)
    {
        std::memcpy(copy.data(), bytes.data(), bytes.size());
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    }
    Report(state, bytes.size());
}

} // namespace

BENCHMARK(BM_Load)->ArgName("flat")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Save)->ArgName("flat")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Copy)->ArgName("flat")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
