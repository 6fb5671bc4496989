#pragma once
// Scene-file helpers shared by the property tests: save objects to memory, load them back,
// and write records by hand for files of older versions.

#include "QrTestFixture.h"
#include "StreamTestHelpers.h"

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

using streamtest::Load;
using streamtest::RoundTrip;
using streamtest::Save;

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
