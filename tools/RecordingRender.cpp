#include "RecordingRender.h"

#include "QrBound.h"
#include "QrColorA.h"
#include "QrImage.h"
#include "QrMaterialProperty.h"
#include "QrMatrix3.h"
#include "QrPlane.h"
#include "QrPoint3.h"
#include "QrPointerList.h"
#include "QrProperty.h"
#include "QrRect.h"

#include "Format.h"

#include <utility>

QR_IMPLEMENT_RTTI(RecordingRender, QrRender)

namespace
{

std::string Num(float value)
{
    return plat::Format("%.6g", static_cast<double>(value));
}

std::string Num(uint32_t value)
{
    return plat::Format("%u", value);
}

std::string Num(int32_t value)
{
    return plat::Format("%d", value);
}

std::string Flag(uint8_t value)
{
    return plat::Format("%u", static_cast<unsigned>(value));
}

std::string Rect(const QrRect* rect)
{
    if (!rect)
        return "null";
    return plat::Format("[%d %d %d %d]", rect->left, rect->right, rect->top, rect->bottom);
}

std::string Describe(const QrPoint3& p)
{
    return "(" + Num(p.x) + " " + Num(p.y) + " " + Num(p.z) + ")";
}

std::string Describe(const QrColorA& c)
{
    return "(" + Num(c.r) + " " + Num(c.g) + " " + Num(c.b) + " " + Num(c.a) + ")";
}

std::string Describe(const QrPlane& plane)
{
    return "{" + Describe(plane.GetNormal()) + " " + Num(plane.GetConstant()) + "}";
}

std::string Describe(const QrBound& bound)
{
    return "{" + Describe(bound.GetCenter()) + " " + Num(bound.GetRadius()) + "}";
}

std::string Describe(const QrMatrix3& matrix)
{
    std::string text = "[";
    for (int row = 0; row < 3; ++row)
    {
        if (row)
            text += "; ";
        text += Num(matrix.m[row][0]) + " " + Num(matrix.m[row][1]) + " " + Num(matrix.m[row][2]);
    }
    return text + "]";
}

std::string Describe(uint16_t value)
{
    return plat::Format("%u", static_cast<unsigned>(value));
}

// By name when it has one, else by file name, else by serial number.
std::string Describe(const QrImage* image)
{
    if (!image)
        return "null";
    if (image->GetName())
        return plat::Format("\"%s\"", image->GetName());
    if (image->GetFileName())
        return plat::Format("file:%s", image->GetFileName());
    return plat::Format("#%u", image->GetSerial());
}

// A material by name, "default" for the class's default instance, else by serial number;
// then what the renderer converts from it.
std::string Describe(const QrMaterialProperty* material)
{
    if (!material)
        return "null";
    std::string text;
    if (material->GetName())
        text = plat::Format("\"%s\"", material->GetName());
    else if (material == QrMaterialProperty::GetDefault())
        text = "default";
    else
        text = plat::Format("#%u", material->GetSerial());
    return text + " revision=" + Num(material->m_revision) + " ambient=" + Describe(material->m_ambient) +
           " diffuse=" + Describe(material->m_diffuse) + " specular=" + Describe(material->m_specular) +
           " emissive=" + Describe(material->m_emissive) + " shininess=" + Num(material->m_shininess) +
           " alpha=" + Num(material->m_alpha);
}

// Class names in list order, each with its object name when it has one.
std::string Describe(const QrPointerList<QrProperty>* properties)
{
    if (!properties)
        return "null";
    std::string text = "[";
    bool first = true;
    for (const QrProperty* property : *properties)
    {
        if (!first)
            text += ' ';
        first = false;
        text += property->GetRTTI()->GetName();
        if (property->GetName())
            text += plat::Format(":%s", property->GetName());
    }
    return text + "]";
}

// Lights are shown by presence only until the light class exists.
std::string Object(const void* object, const char* type)
{
    return object ? type : "null";
}

std::string Floats(const float* values, int count)
{
    std::string text = "[";
    for (int i = 0; i < count; ++i)
    {
        if (i)
            text += ' ';
        text += Num(values[i]);
    }
    return text + "]";
}

template <class T> constexpr bool kIsComplete = requires
{
    sizeof(T);
};

} // namespace

RecordingRender::RecordingRender(uint32_t width, uint32_t height)
    : m_width(width), m_height(height), m_presentWidth(width), m_presentHeight(height)
{
}

std::string RecordingRender::GetLogText() const
{
    std::string text;
    for (const std::string& line : m_log)
        text += line + '\n';
    return text;
}

std::vector<std::string> RecordingRender::TakeLog()
{
    std::vector<std::string> log;
    log.swap(m_log);
    return log;
}

void RecordingRender::SetBufferSize(uint32_t width, uint32_t height)
{
    m_width = width;
    m_height = height;
}

void RecordingRender::Log(std::string line)
{
    m_log.push_back(std::move(line));
}

void RecordingRender::LogQuery(std::string line)
{
    if (m_logQueries)
        m_log.push_back(std::move(line));
}

template <class T> std::string RecordingRender::Array(const T* values, uint32_t count) const
{
    if (!values)
        return "null";
    if (!m_logArrays)
        return "#" + Num(count);
    std::string text = "[";
    for (uint32_t i = 0; i < count; ++i)
    {
        if (i)
            text += ' ';
        text += Describe(values[i]);
    }
    return text + "]";
}

const char* RecordingRender::GetDeviceName()
{
    LogQuery("GetDeviceName");
    return "Recording";
}

uint32_t RecordingRender::GetDeviceFlags()
{
    LogQuery("GetDeviceFlags");
    return 0;
}

uint32_t RecordingRender::SetPropertyState(const QrPointerList<QrProperty>* properties)
{
    Log("SetPropertyState properties=" + Describe(properties));
    return QrRender::SetPropertyState(properties);
}

uint32_t RecordingRender::BeginFrame()
{
    Log("BeginFrame");
    return 0;
}

uint32_t RecordingRender::EndFrame()
{
    Log("EndFrame");
    return 0;
}

uint32_t RecordingRender::DisplayFrame()
{
    Log("DisplayFrame");
    return 0;
}

uint32_t RecordingRender::ClearBuffer(const QrRect* rect, uint32_t flags)
{
    Log("ClearBuffer rect=" + Rect(rect) + " flags=" + Num(flags));
    return 0;
}

void RecordingRender::SetBackgroundColor(const QrPoint3& color)
{
    Log("SetBackgroundColor color=" + Describe(color));
}

void RecordingRender::UpdateLight(const QrLight* light, uint32_t enable)
{
    Log("UpdateLight light=" + Object(light, "light") + " enable=" + Num(enable));
}

void RecordingRender::SetMaterial(const QrMaterialProperty* material)
{
    Log("SetMaterial material=" + Describe(material));
}

void RecordingRender::SetCameraData(const QrPoint3& location, const QrPoint3& nearPoint, const QrPoint3& direction,
                                    const QrPoint3& up, const float (&frustum)[6], const float (&viewport)[4])
{
    Log("SetCameraData location=" + Describe(location) + " near=" + Describe(nearPoint) +
        " direction=" + Describe(direction) + " up=" + Describe(up) + " frustum=" + Floats(frustum, 6) +
        " viewport=" + Floats(viewport, 4));
}

void RecordingRender::SetWorldTransform(const QrPoint3& translation, const QrMatrix3& rotation, float scale)
{
    Log("SetWorldTransform translation=" + Describe(translation) + " rotation=" + Describe(rotation) +
        " scale=" + Num(scale));
}

uint32_t RecordingRender::RenderShape(uint16_t triangleCount, uint16_t vertexCount, const QrPoint3* vertices,
                                      const QrPoint3* normals, const QrPlane* planes, uint16_t textureSetCount,
                                      const QrPoint3* textureCoords, const QrColorA* colors, const uint16_t* indices,
                                      const QrBound& worldBound, const QrPoint3& eye)
{
    Log("RenderShape triangles=" + Num(uint32_t{triangleCount}) + " vertices=" + Num(uint32_t{vertexCount}) +
        " positions=" + Array(vertices, vertexCount) + " normals=" + Array(normals, vertexCount) +
        " planes=" + Array(planes, triangleCount) + " sets=" + Num(uint32_t{textureSetCount}) + " texcoords=" +
        Array(textureCoords, uint32_t{textureSetCount} * vertexCount) + " colors=" + Array(colors, vertexCount) +
        " indices=" + Array(indices, 3u * triangleCount) + " bound=" + Describe(worldBound) + " eye=" + Describe(eye));
    return 0;
}

namespace
{
// Triangle lists and strips share one line form; only the vertex count differs.
std::string TriangleDraw(const char* name, uint16_t triangleCount, uint32_t vertexCount, const std::string& vertices,
                         const std::string& normals, const std::string& planes, uint16_t textureSetCount,
                         const std::string& textureCoords, const std::string& colors, const QrBound& worldBound,
                         const QrPoint3& eye)
{
    return std::string(name) + " triangles=" + Num(uint32_t{triangleCount}) + " vertices=" + Num(vertexCount) +
           " positions=" + vertices + " normals=" + normals + " planes=" + planes +
           " sets=" + Num(uint32_t{textureSetCount}) + " texcoords=" + textureCoords + " colors=" + colors +
           " bound=" + Describe(worldBound) + " eye=" + Describe(eye);
}
} // namespace

uint32_t RecordingRender::RenderTriangles(uint16_t triangleCount, const QrPoint3* vertices, const QrPoint3* normals,
                                          const QrPlane* planes, uint16_t textureSetCount,
                                          const QrPoint3* textureCoords, const QrColorA* colors,
                                          const QrBound& worldBound, const QrPoint3& eye)
{
    const uint32_t n = 3u * triangleCount;
    Log(TriangleDraw("RenderTriangles", triangleCount, n, Array(vertices, n), Array(normals, n),
                     Array(planes, triangleCount), textureSetCount, Array(textureCoords, textureSetCount * n),
                     Array(colors, n), worldBound, eye));
    return 0;
}

uint32_t RecordingRender::RenderTristrips(uint16_t triangleCount, const QrPoint3* vertices, const QrPoint3* normals,
                                          const QrPlane* planes, uint16_t textureSetCount,
                                          const QrPoint3* textureCoords, const QrColorA* colors,
                                          const QrBound& worldBound, const QrPoint3& eye)
{
    // A strip without triangles has no vertices worth reading.
    const uint32_t n = triangleCount ? triangleCount + 2u : 0u;
    Log(TriangleDraw("RenderTristrips", triangleCount, n, Array(vertices, n), Array(normals, n),
                     Array(planes, triangleCount), textureSetCount, Array(textureCoords, textureSetCount * n),
                     Array(colors, n), worldBound, eye));
    return 0;
}

uint32_t RecordingRender::RenderPoints(uint16_t count, const QrPoint3* vertices, const QrPoint3* normals,
                                       const QrColorA* colors, float pointSize, const QrBound& worldBound)
{
    Log("RenderPoints count=" + Num(uint32_t{count}) + " positions=" + Array(vertices, count) +
        " normals=" + Array(normals, count) + " colors=" + Array(colors, count) + " size=" + Num(pointSize) +
        " bound=" + Describe(worldBound));
    return 0;
}

uint32_t RecordingRender::RenderLines(uint16_t lineCount, const QrPoint3* vertices, const QrPoint3* textureCoords,
                                      const QrColorA* colors, const QrBound& worldBound)
{
    const uint32_t n = 2u * lineCount;
    Log("RenderLines lines=" + Num(uint32_t{lineCount}) + " positions=" + Array(vertices, n) +
        " texcoords=" + Array(textureCoords, n) + " colors=" + Array(colors, n) + " bound=" + Describe(worldBound));
    return 0;
}

uint32_t RecordingRender::RenderScreenPolygon(uint16_t count, const QrPoint3* vertices, const QrPoint3* textureCoords,
                                              const QrColorA* colors)
{
    Log("RenderScreenPolygon count=" + Num(uint32_t{count}) + " vertices=" + Array(vertices, count) +
        " texcoords=" + Array(textureCoords, count) + " colors=" + Array(colors, count));
    return 0;
}

void RecordingRender::SetFog(uint8_t enabled, float depth, uint32_t mode, const QrPoint3& color)
{
    Log("SetFog enabled=" + Flag(enabled) + " depth=" + Num(depth) + " mode=" + Num(mode) +
        " color=" + Describe(color));
}

void RecordingRender::SetAlphaBlending(uint8_t enabled, uint32_t source, uint32_t destination)
{
    Log("SetAlphaBlending enabled=" + Flag(enabled) + " source=" + Num(source) + " destination=" + Num(destination));
}

void RecordingRender::SetZBufferTest(uint8_t flag)
{
    Log("SetZBufferTest flag=" + Flag(flag));
}

void RecordingRender::SetZBufferWrite(uint8_t flag)
{
    Log("SetZBufferWrite flag=" + Flag(flag));
}

void RecordingRender::SetShade(uint8_t flag)
{
    Log("SetShade flag=" + Flag(flag));
}

void RecordingRender::SetWireframe(uint8_t flag)
{
    Log("SetWireframe flag=" + Flag(flag));
}

void RecordingRender::SetDither(uint8_t flag)
{
    Log("SetDither flag=" + Flag(flag));
}

void RecordingRender::SetSpecular(uint8_t flag)
{
    Log("SetSpecular flag=" + Flag(flag));
}

void RecordingRender::SetVertexColorMode(uint32_t mode)
{
    Log("SetVertexColorMode mode=" + Num(mode));
}

void RecordingRender::SetTransparent(uint8_t flag)
{
    Log("SetTransparent flag=" + Flag(flag));
}

void RecordingRender::SetTransparentValue(uint32_t value)
{
    Log("SetTransparentValue value=" + Num(value));
}

bool RecordingRender::PrepareTexture(QrImage* image, uint8_t allowEvict, uint8_t pin, int32_t memory)
{
    Log("PrepareTexture image=" + Describe(image) + " allowEvict=" + Flag(allowEvict) + " pin=" + Flag(pin) +
        " memory=" + Num(memory));
    return image != nullptr;
}

bool RecordingRender::PrepareTexturePair(QrImage* first, QrImage* second, uint8_t allowEvict, uint8_t pin,
                                         int32_t firstMemory, int32_t secondMemory)
{
    Log("PrepareTexturePair first=" + Describe(first) + " second=" + Describe(second) +
        " allowEvict=" + Flag(allowEvict) + " pin=" + Flag(pin) + " firstMemory=" + Num(firstMemory) +
        " secondMemory=" + Num(secondMemory));
    return first && second;
}

bool RecordingRender::ReleaseTextures(uint8_t alsoPinned)
{
    Log("ReleaseTextures alsoPinned=" + Flag(alsoPinned));
    return true;
}

bool RecordingRender::ReleaseObjectTextures(QrImage* image)
{
    Log("ReleaseObjectTextures image=" + Describe(image));
    return true;
}

bool RecordingRender::GetTextureMemory(uint32_t* total, uint32_t* available)
{
    LogQuery("GetTextureMemory");
    return QrRender::GetTextureMemory(total, available);
}

bool RecordingRender::GetTextureStatistics(uint32_t* resident, uint32_t* usedThisFrame, uint32_t* frameCounter,
                                           uint32_t* createdThisFrame, uint32_t* releasedThisFrame)
{
    LogQuery("GetTextureStatistics");
    return QrRender::GetTextureStatistics(resident, usedThisFrame, frameCounter, createdThisFrame, releasedThisFrame);
}

uint32_t RecordingRender::GetTextureStatus()
{
    LogQuery("GetTextureStatus");
    return QrRender::GetTextureStatus();
}

bool RecordingRender::SetUserWord(uint32_t word)
{
    Log("SetUserWord word=" + Num(word));
    m_userWord = word;
    return true;
}

uint32_t RecordingRender::GetUserWord()
{
    LogQuery("GetUserWord");
    return m_userWord;
}

void RecordingRender::SetTexture(QrImage* image)
{
    Log("SetTexture image=" + Describe(image));
}

void RecordingRender::SetMultiTexture(QrImage* const* images, const uint32_t* applyModes, const uint32_t* clampModes,
                                      const uint32_t* filterModes)
{
    // Only entry 0 of each array reaches a texture stage.
    auto first = [](const uint32_t* modes) { return modes ? Num(modes[0]) : std::string("null"); };
    Log("SetMultiTexture image=" + (images ? Describe(images[0]) : std::string("null")) +
        " applyMode=" + first(applyModes) + " clampMode=" + first(clampModes) + " filterMode=" + first(filterModes));
}

void RecordingRender::SetTextureApplyMode(uint32_t mode)
{
    Log("SetTextureApplyMode mode=" + Num(mode));
}

void RecordingRender::SetTextureFilterMode(uint32_t mode)
{
    Log("SetTextureFilterMode mode=" + Num(mode));
}

void RecordingRender::SetTextureClampMode(uint32_t mode)
{
    Log("SetTextureClampMode mode=" + Num(mode));
}

void RecordingRender::SetCorrection(uint8_t flag)
{
    Log("SetCorrection flag=" + Flag(flag));
}

void RecordingRender::SetClipPlanes(const QrPlane* const* planes, uint32_t count, uint32_t frustumCount,
                                    uint32_t frustumMask)
{
    std::string list = "null";
    if (planes && !m_logArrays)
        list = "#" + Num(count);
    else if (planes)
    {
        list = "[";
        for (uint32_t i = 0; i < count; ++i)
        {
            if (i)
                list += ' ';
            list += planes[i] ? Describe(*planes[i]) : std::string("null");
        }
        list += "]";
    }
    Log("SetClipPlanes count=" + Num(count) + " frustumCount=" + Num(frustumCount) +
        " frustumMask=" + plat::Format("0x%x", frustumMask) + " planes=" + list);
}

uint32_t RecordingRender::GetBufferWidth()
{
    LogQuery("GetBufferWidth");
    return m_width;
}

uint32_t RecordingRender::GetBufferHeight()
{
    LogQuery("GetBufferHeight");
    return m_height;
}

QrImage* RecordingRender::GetBufferImage(uint32_t kind)
{
    LogQuery("GetBufferImage kind=" + Num(kind));
    return nullptr;
}

void RecordingRender::BlitImage(QrImage* image, const QrRect* source, int32_t x, int32_t y, uint8_t keyed)
{
    Log("BlitImage image=" + Describe(image) + " source=" + Rect(source) + " x=" + Num(x) + " y=" + Num(y) +
        " keyed=" + Flag(keyed));
}

bool RecordingRender::GetWindowOrigin(int32_t* x, int32_t* y)
{
    LogQuery("GetWindowOrigin");
    if (x)
        *x = m_originX;
    if (y)
        *y = m_originY;
    return true;
}

bool RecordingRender::SetWindowOrigin(int32_t x, int32_t y)
{
    Log("SetWindowOrigin x=" + Num(x) + " y=" + Num(y));
    m_originX = x;
    m_originY = y;
    return true;
}

bool RecordingRender::GetPresentSize(uint32_t* width, uint32_t* height)
{
    LogQuery("GetPresentSize");
    if (width)
        *width = m_presentWidth;
    if (height)
        *height = m_presentHeight;
    return true;
}

bool RecordingRender::SetPresentSize(uint32_t width, uint32_t height)
{
    Log("SetPresentSize width=" + Num(width) + " height=" + Num(height));
    m_presentWidth = width;
    m_presentHeight = height;
    return true;
}
