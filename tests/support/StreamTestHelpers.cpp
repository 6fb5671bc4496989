#include "StreamTestHelpers.h"

#include "QrStream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <random>

namespace streamtest
{

Bytes Save(std::initializer_list<QrObject*> topLevel)
{
    return Save(std::vector<QrObject*>(topLevel));
}

Bytes Save(const std::vector<QrObject*>& topLevel)
{
    QrStream stream;
    for (QrObject* object : topLevel)
        stream.InsertTopLevelObject(object);
    Bytes bytes;
    EXPECT_TRUE(stream.SaveToMemory(bytes));
    return bytes;
}

std::vector<QrPointer<QrObject>> Load(const Bytes& bytes)
{
    QrStream stream;
    std::vector<QrPointer<QrObject>> out;
    if (!stream.LoadFromMemory(bytes.data(), bytes.size()))
        return out;
    for (uint32_t i = 0; i < stream.GetTopLevelCount(); ++i)
        out.emplace_back(stream.GetTopLevelAt(i));
    return out;
}

QrPointer<QrObject> RoundTrip(QrObject* object)
{
    const Bytes first = Save({object});
    std::vector<QrPointer<QrObject>> loaded = Load(first);
    if (loaded.size() != 1)
    {
        ADD_FAILURE() << object->GetRTTI()->GetName() << " did not load back: " << QrStream::LastErrorMessage << " ("
                      << QrStream::LastErrorContext << ")";
        return nullptr;
    }
    EXPECT_TRUE(loaded[0]->IsEqual(object)) << object->GetRTTI()->GetName();
    EXPECT_TRUE(object->IsEqual(loaded[0].Get())) << object->GetRTTI()->GetName();
    EXPECT_EQ(Save({loaded[0].Get()}), first) << object->GetRTTI()->GetName();
    return loaded[0];
}

void ExpectEveryPrefixFails(const Bytes& bytes, size_t strideOneBytes, const std::function<void()>& cleanup)
{
    std::vector<size_t> lengths;
    for (size_t length = 0; length < bytes.size() && length < strideOneBytes; ++length)
        lengths.push_back(length);
    if (lengths.size() < bytes.size())
    {
        if (LongRun())
        {
            for (size_t length = lengths.size(); length < bytes.size(); ++length)
                lengths.push_back(length);
        }
        else
        {
            std::mt19937 random(static_cast<uint32_t>(bytes.size()));
            std::uniform_int_distribution<size_t> pick(strideOneBytes, bytes.size() - 1);
            for (int i = 0; i < 256; ++i)
                lengths.push_back(pick(random));
        }
    }
    const uint32_t live = QrObject::GetLiveCount();
    for (size_t length : lengths)
    {
        {
            QrStream stream;
            ASSERT_FALSE(stream.LoadFromMemory(bytes.data(), length)) << "prefix of " << length << " bytes";
            ASSERT_EQ(stream.GetTopLevelCount(), 0u) << "prefix of " << length << " bytes";
        }
        if (cleanup)
            cleanup();
        ASSERT_EQ(QrObject::GetLiveCount(), live) << "prefix of " << length << " bytes";
    }
    EXPECT_FALSE(Load(bytes).empty()) << "the whole file does not load";
    if (cleanup)
        cleanup();
}

bool LongRun()
{
    const char* value = std::getenv("QR_TEST_LONG");
    return value && *value && std::strcmp(value, "0") != 0;
}

void SweepDamage(const Bytes& valid, size_t samples, const std::function<void(const Bytes&, const std::string&)>& load)
{
    std::vector<size_t> offsets;
    if (LongRun() || valid.size() <= samples)
    {
        offsets.resize(valid.size());
        for (size_t i = 0; i < offsets.size(); ++i)
            offsets[i] = i;
    }
    else
    {
        // Fixed seed: a failure names an offset that the next run probes again.
        std::mt19937 random(static_cast<uint32_t>(valid.size()));
        std::uniform_int_distribution<size_t> pick(0, valid.size() - 1);
        for (size_t i = 0; i < samples; ++i)
            offsets.push_back(pick(random));
        std::sort(offsets.begin(), offsets.end());
    }
    for (size_t at : offsets)
    {
        load(Bytes(valid.begin(), valid.begin() + static_cast<std::ptrdiff_t>(at)), "prefix " + std::to_string(at));
        for (uint32_t pattern : {0xFFFFFFFFu, 0x7FFFFFFFu})
        {
            if (at + 4 > valid.size())
                break;
            Bytes bytes = valid;
            std::memcpy(bytes.data() + at, &pattern, 4);
            load(bytes, "word " + std::to_string(pattern) + " at " + std::to_string(at));
        }
        if (::testing::Test::HasFatalFailure())
            return;
    }
}

} // namespace streamtest
