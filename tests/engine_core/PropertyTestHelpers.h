#pragma once
// Scene-file helpers shared by the property tests: save objects to memory, load them back,
// and write records by hand for files of older versions.

#include "QrTestFixture.h"

#include "QrObject.h"
#include "QrPointer.h"
#include "QrProperty.h"
#include "QrStream.h"

#include "ByteWriter.h"

#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

namespace proptest
{

// The default instances live until exit, so they are made before the fixture counts objects.
class PropertyTest : public QrEngineTest
{
protected:
    void SetUp() override
    {
        QrProperty::CreateDefaults();
        QrEngineTest::SetUp();
    }
};

inline std::vector<uint8_t> Save(std::initializer_list<QrObject*> topLevel)
{
    QrStream stream;
    for (QrObject* object : topLevel)
        stream.InsertTopLevelObject(object);
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(stream.SaveToMemory(bytes));
    return bytes;
}

// The top-level objects of the file, held after the stream is gone; empty when it fails.
inline std::vector<QrPointer<QrObject>> Load(const std::vector<uint8_t>& bytes)
{
    QrStream stream;
    std::vector<QrPointer<QrObject>> out;
    if (!stream.LoadFromMemory(bytes.data(), bytes.size()))
        return out;
    for (uint32_t i = 0; i < stream.GetTopLevelCount(); ++i)
        out.emplace_back(stream.GetTopLevelAt(i));
    return out;
}

// Save, load, compare, save again: the loaded object is returned for further checks.
inline QrPointer<QrObject> RoundTrip(QrObject* object)
{
    const std::vector<uint8_t> first = Save({object});
    std::vector<QrPointer<QrObject>> loaded = Load(first);
    if (loaded.size() != 1)
    {
        ADD_FAILURE() << object->GetRTTI()->GetName() << " did not load back: " << QrStream::LastErrorMessage << " ("
                      << QrStream::LastErrorContext << ")";
        return nullptr;
    }
    EXPECT_TRUE(loaded[0]->IsEqual(object)) << object->GetRTTI()->GetName();
    EXPECT_EQ(Save({loaded[0].Get()}), first) << object->GetRTTI()->GetName();
    return loaded[0];
}

// A scene file written by hand, for versions the writer no longer produces.
class HandFile
{
public:
    explicit HandFile(const char* version)
    {
        const std::string first = std::string("Quarrender File Format, Version ") + version;
        for (const std::string& line : {first, std::string("Engine object stream"),
                                        std::string("Records are little-endian"), std::string("Objects follow")})
        {
            w.Write(line.data(), line.size());
            w.U8('\n');
        }
        m_extraData = std::strcmp(version, "2.13") > 0;
    }
    void String(const char* text)
    {
        w.U32(static_cast<uint32_t>(std::strlen(text)));
        w.Write(text, std::strlen(text));
    }
    // Class name, then the object part: link id, no name, no extra data; then the override flag.
    void BeginProperty(const char* className, uint32_t linkId, bool topLevel = true, uint8_t overrideFlag = 0)
    {
        if (topLevel)
            String("Top Level Object");
        String(className);
        w.U32(linkId);
        w.U32(0);
        if (m_extraData)
            w.U32(0);
        w.U8(overrideFlag);
    }
    std::vector<uint8_t> End()
    {
        String("End Of File");
        return w.Take();
    }

    plat::ByteWriter w;

private:
    bool m_extraData = true;
};

} // namespace proptest
