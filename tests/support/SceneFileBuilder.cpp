#include "SceneFileBuilder.h"

#include "QrStream.h"

#include <cstring>

std::vector<std::string> SceneFileBuilder::EngineHeaderLines()
{
    std::vector<uint8_t> bytes;
    QrStream stream;
    stream.SaveToMemory(bytes);
    std::vector<std::string> lines(1);
    for (uint8_t b : bytes)
    {
        if (b != '\n')
        {
            lines.back().push_back(static_cast<char>(b));
            continue;
        }
        if (lines.size() == 4)
            break;
        lines.emplace_back();
    }
    return lines;
}

SceneFileBuilder::SceneFileBuilder(const std::string& version) : m_version(version)
{
    const std::vector<std::string> lines = EngineHeaderLines();
    Line(version == "2.2" ? lines[0] : std::string(QrStream::kFormatLine, QrStream::kFormatPrefixLength) + version);
    for (size_t i = 1; i < lines.size(); ++i)
        Line(lines[i]);
}

SceneFileBuilder SceneFileBuilder::WithLines(const std::string& line1, std::vector<std::string> lines234)
{
    SceneFileBuilder b{NoHeader{}};
    b.m_version = "2.2";
    const std::vector<std::string> lines = EngineHeaderLines();
    b.Line(line1);
    for (size_t i = 1; i < lines.size(); ++i)
        b.Line(i - 1 < lines234.size() ? lines234[i - 1] : lines[i]);
    return b;
}

void SceneFileBuilder::Line(const std::string& text)
{
    m_writer.Write(text.data(), text.size());
    m_writer.U8('\n');
}

SceneFileBuilder& SceneFileBuilder::String(const std::string& text)
{
    m_writer.U32(static_cast<uint32_t>(text.size()));
    m_writer.Write(text.data(), text.size());
    return *this;
}

SceneFileBuilder& SceneFileBuilder::U8(uint8_t v)
{
    m_writer.U8(v);
    return *this;
}

SceneFileBuilder& SceneFileBuilder::U16(uint16_t v)
{
    m_writer.U16(v);
    return *this;
}

SceneFileBuilder& SceneFileBuilder::U32(uint32_t v)
{
    m_writer.U32(v);
    return *this;
}

SceneFileBuilder& SceneFileBuilder::I32(int32_t v)
{
    m_writer.I32(v);
    return *this;
}

SceneFileBuilder& SceneFileBuilder::F32(float v)
{
    m_writer.F32(v);
    return *this;
}

SceneFileBuilder& SceneFileBuilder::Bytes(const std::string& bytes)
{
    m_writer.Write(bytes.data(), bytes.size());
    return *this;
}

SceneFileBuilder& SceneFileBuilder::ObjectHead(const std::string& className, uint32_t linkId, const std::string& name)
{
    return String(className).U32(linkId).String(name);
}

SceneFileBuilder& SceneFileBuilder::Object(const std::string& className, uint32_t linkId, const std::string& name)
{
    ObjectHead(className, linkId, name);
    if (std::strcmp(m_version.c_str(), "2.13") > 0)
        U32(0);
    return *this;
}

SceneFileBuilder& SceneFileBuilder::LeafFields(int32_t value, const std::string& label)
{
    return I32(value).F32(static_cast<float>(value) * 0.25f).String(label);
}

SceneFileBuilder& SceneFileBuilder::Leaf(uint32_t linkId, int32_t value, const std::string& name)
{
    return Object("TestLeaf", linkId, name).LeafFields(value);
}

SceneFileBuilder& SceneFileBuilder::Holder(uint32_t linkId, uint32_t first, uint32_t second,
                                           std::vector<uint16_t> values)
{
    Object("TestHolder", linkId).U32(first).U32(second).U32(static_cast<uint32_t>(values.size()));
    for (uint16_t v : values)
        U16(v);
    return *this;
}
