#pragma once
// Builds scene-file bytes by hand for tests: old versions, damaged headers and records the
// engine's writer never makes. The fixed header lines come from the engine's own empty save.

#include "ByteWriter.h"

#include <cstdint>
#include <string>
#include <vector>

class SceneFileBuilder
{
public:
    // Header whose first line is the engine's 32-character prefix followed by version
    // (version "2.2" gives the exact format line). The builder writes no extra-data count
    // in objects of version "2.13" or older.
    SceneFileBuilder() : SceneFileBuilder(std::string("2.2")) {}
    explicit SceneFileBuilder(const std::string& version);
    // Header with a first line given whole, and lines 2-4 optionally replaced.
    static SceneFileBuilder WithLines(const std::string& line1, std::vector<std::string> lines234 = {});

    // The engine's own header lines (4 of them, without line feeds).
    static std::vector<std::string> EngineHeaderLines();

    SceneFileBuilder& String(const std::string& text);
    SceneFileBuilder& U8(uint8_t v);
    SceneFileBuilder& U16(uint16_t v);
    SceneFileBuilder& U32(uint32_t v);
    SceneFileBuilder& I32(int32_t v);
    SceneFileBuilder& F32(float v);
    SceneFileBuilder& Bytes(const std::string& bytes);

    SceneFileBuilder& TopLevel() { return String("Top Level Object"); }
    SceneFileBuilder& End() { return String("End Of File"); }
    // Class name, link id and name; then, for versions after "2.13", an extra-data count of 0.
    SceneFileBuilder& Object(const std::string& className, uint32_t linkId, const std::string& name = "");
    // The same without the extra-data count, for records that bring their own.
    SceneFileBuilder& ObjectHead(const std::string& className, uint32_t linkId, const std::string& name = "");
    // A whole TestLeaf record (value, weight, label) with no extra data.
    SceneFileBuilder& Leaf(uint32_t linkId, int32_t value, const std::string& name = "");
    // The TestLeaf fields after the object part.
    SceneFileBuilder& LeafFields(int32_t value, const std::string& label = "");
    // A whole TestHolder record.
    SceneFileBuilder& Holder(uint32_t linkId, uint32_t first, uint32_t second, std::vector<uint16_t> values = {});

    const std::vector<uint8_t>& Data() const { return m_writer.Buffer(); }

private:
    struct NoHeader
    {
    };
    explicit SceneFileBuilder(NoHeader) {}
    void Line(const std::string& text);

    std::string m_version;
    plat::ByteWriter m_writer;
};
