#include "QrImage.h"

#include "QrImageLoadRecord.h"
#include "QrImageReader.h"
#include "QrObjectsEqual.h"
#include "QrStream.h"
#include "QrTList.h"

#include "Format.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <thread>

namespace
{

// Stands in for the renderer's image when a scene file is read before the renderer installed
// its hook, or when the hook made nothing: it keeps the record's source, so the rest of the
// file loads in step and the file saves back unchanged. It has no surface.
class QrUnboundImage final : public QrImage
{
public:
    bool LoadFromFile() override { return false; }
    bool LoadFromRawData() override { return false; }

protected:
    ~QrUnboundImage() override = default;
};

struct RendererEntry
{
    QrRender* renderer = nullptr;
    uint32_t id = 0;
};

// Static initialisers run on the main thread.
const std::thread::id g_mainThread = std::this_thread::get_id();

QrImage::CreateHook g_hook = nullptr;
uint32_t g_errorCode = QrImage::kErrorNone;
uint32_t g_nextSerial = 1;
bool g_mipmapSwitch = false;
// Emptied (its node blocks freed) at exit by its destructor.
QrTList<RendererEntry> g_renderers(2);
// GetFileInfo's buffer, made at start-up and released at exit.
QrPointer<QrRawImageData> g_scratch(new QrRawImageData);

void AssertMainThread()
{
    assert(std::this_thread::get_id() == g_mainThread && "the image system is main-thread only");
}

uint32_t ExponentOfPowerOfTwo(uint32_t v)
{
    return static_cast<uint32_t>(std::countr_zero(v));
}

} // namespace

QR_IMPLEMENT_RTTI(QrImage, QrObject)

QrImage::QrImage() : m_serial(g_nextSerial++)
{
    AssertMainThread();
}

QrImage::~QrImage() = default;

// ---------------------------------------------------------------- program-wide state

void QrImage::SetCreateHook(CreateHook hook)
{
    AssertMainThread();
    g_hook = hook;
}

QrImage::CreateHook QrImage::GetCreateHook()
{
    return g_hook;
}

void QrImage::SetMipmapSwitch(bool on)
{
    AssertMainThread();
    g_mipmapSwitch = on;
}

bool QrImage::GetMipmapSwitch()
{
    return g_mipmapSwitch;
}

uint32_t QrImage::GetErrorCode()
{
    return g_errorCode;
}

void QrImage::SetErrorCode(uint32_t code)
{
    g_errorCode = code;
}

void QrImage::AddRenderer(QrRender* renderer, uint32_t id)
{
    AssertMainThread();
    if (renderer)
        g_renderers.AddTail({renderer, id});
}

void QrImage::RemoveRenderer(QrRender* renderer, uint32_t id)
{
    AssertMainThread();
    for (auto* node = g_renderers.GetHead(); node; node = node->m_next)
    {
        if (node->m_value.renderer == renderer && node->m_value.id == id)
        {
            g_renderers.Remove(node);
            return;
        }
    }
}

uint32_t QrImage::GetRendererCount()
{
    return g_renderers.GetCount();
}

bool QrImage::PrepareForRenderer(QrRender*, uint32_t)
{
    return true;
}

// Renderers enter and leave the list only when they are made current or destroyed, never
// while an image prepares.
bool QrImage::PrepareForAllRenderers()
{
    for (auto* node = g_renderers.GetHead(); node; node = node->m_next)
        if (!PrepareForRenderer(node->m_value.renderer, node->m_value.id))
            return false;
    return true;
}

// ---------------------------------------------------------------- creation

QrPointer<QrImage> QrImage::Finish(QrPointer<QrImage> image, uint32_t kind)
{
    if (kind == 1 || (kind == 2 && g_mipmapSwitch))
        image->m_flags |= kFlagMipmaps;
    if (!image->PrepareForAllRenderers())
        return nullptr;
    return image;
}

namespace
{
// Null without a hook (error code unchanged), or with code 4 when the hook makes nothing.
QrPointer<QrImage> MakeThroughHook(uint32_t kind)
{
    if (!g_hook)
        return nullptr;
    QrPointer<QrImage> image = g_hook(kind);
    if (!image)
        g_errorCode = QrImage::kErrorHookMadeNothing;
    return image;
}
} // namespace

QrPointer<QrImage> QrImage::CreateFromFile(const char* fileName, uint32_t kind)
{
    AssertMainThread();
    if (!fileName)
    {
        g_errorCode = kErrorNoFileName;
        return nullptr;
    }
    QrPointer<QrImage> image = MakeThroughHook(kind);
    if (!image)
        return nullptr;
    image->m_fileName = fileName;
    return Finish(std::move(image), kind);
}

QrPointer<QrImage> QrImage::CreateFromRawData(QrPointer<QrRawImageData> rawData, uint32_t kind)
{
    AssertMainThread();
    if (!rawData)
    {
        g_errorCode = kErrorNoRawData;
        return nullptr;
    }
    QrPointer<QrImage> image = MakeThroughHook(kind);
    if (!image)
        return nullptr;
    image->m_rawData = std::move(rawData);
    return Finish(std::move(image), kind);
}

// ---------------------------------------------------------------- scene files

void QrImage::CreateObject(QrStream& stream, QrObject*& out)
{
    QrImage* image = nullptr;
    if (g_hook)
    {
        image = g_hook(2);
        if (!image)
            g_errorCode = kErrorHookMadeNothing;
    }
    if (!image)
        image = new QrUnboundImage;
    auto* record = new QrImageLoadRecord;
    image->AddExtraData(record);
    out = image;
    image->LoadBinary(stream);

    QrImage* shared = record->m_sharedImage;
    if (!shared || shared == image)
        return;
    // The file was loaded already: this record's id stands for that image. The duplicate
    // goes with its load record; the shared image links once, under its own record.
    stream.ReplaceLinkObject(record->m_linkId, shared);
    out = shared;
    QrPointer<QrImage> unused(image); // the last release deletes it
}

bool QrImage::RegisterCreateFunction()
{
    static bool registered = false;
    if (registered)
        return false;
    registered = true;
    QrRegisterCreateFunction("QrImage", &QrImage::CreateObject);
    return true;
}

void QrImage::LoadBinary(QrStream& stream)
{
    QrObject::LoadBinary(stream);
    auto* record = dynamic_cast<QrImageLoadRecord*>(GetExtraData());
    const uint8_t external = stream.LoadU8();
    if (stream.Failed())
        return;
    if (external > 1)
    {
        stream.Fail(plat::Format("image source flag %u", static_cast<unsigned>(external)));
        return;
    }
    if (record)
        record->m_external = external;
    if (external == 0)
    {
        stream.LoadLinkID(this);
        return;
    }
    std::string name;
    if (!stream.LoadString(name))
        return;
    // A file that cannot be found keeps the name as written.
    std::string resolved = name;
    if (stream.ResolveFileName(resolved))
        name = std::move(resolved);
    QrObject* loaded = stream.GetImageForFile(name.c_str());
    if (loaded && loaded != this && record)
        record->m_sharedImage = static_cast<QrImage*>(loaded);
    else
        stream.SetImageForFile(name.c_str(), this);
    m_fileName = std::move(name);
}

void QrImage::LinkObject(QrStream& stream)
{
    QrObject::LinkObject(stream);
    auto* record = dynamic_cast<QrImageLoadRecord*>(GetExtraData());
    // A second record of a shared image: the image links once, under its own record.
    if (record && record->m_sharedImage)
        return;
    if (record && record->m_external == 0)
        m_rawData = stream.ResolveLinkID<QrRawImageData>(this);
    PrepareForAllRenderers();
}

bool QrImage::RegisterStreamables(QrStream& stream)
{
    if (!QrObject::RegisterStreamables(stream))
        return false;
    if (!m_fileName && m_rawData)
        m_rawData->RegisterStreamables(stream);
    return true;
}

void QrImage::SaveBinary(QrStream& stream)
{
    // The renderer's image class is not registered: files always name the base.
    SaveBinaryAs(stream, ms_RTTI.GetName());
    if (m_fileName)
    {
        stream.SaveU8(1);
        stream.SaveString(*m_fileName);
    }
    else if (m_rawData)
    {
        stream.SaveU8(0);
        stream.SaveLinkID(m_rawData.Get());
    }
    else
    {
        stream.SaveU8(1);
        stream.SaveString(nullptr);
    }
}

bool QrImage::IsEqual(const QrObject* other) const
{
    if (!QrObject::IsEqual(other) || !other->IsKindOf(&ms_RTTI))
        return false;
    const auto* image = static_cast<const QrImage*>(other);
    return QrObjectsEqual(m_rawData.Get(), image->m_rawData.Get()) && m_fileName == image->m_fileName;
}

// ---------------------------------------------------------------- file information

bool QrImage::OpenByName(const char* fileName, QrRawImageData& rawData)
{
    std::string path;
    switch (QrImageReader::Classify(fileName, path))
    {
    case QrImageReader::FileKind::kUnknown:
        return false;
    case QrImageReader::FileKind::kScene:
    {
        AssertMainThread();
        QrStream stream;
        if (!stream.Load(path.c_str()) || stream.GetTopLevelCount() != 1)
            return false;
        // The stream holds what it loaded until it goes; so does this pointer.
        QrPointer<QrRawImageData> loaded = QrDynamicCast<QrRawImageData>(stream.GetTopLevelAt(0));
        if (!loaded)
            return false;
        rawData.SetBuffer(loaded->TakeBuffer());
        return true;
    }
    default:
    {
        QrImagePixels pixels;
        if (!QrImageReader::DecodeFile(fileName, pixels))
            return false;
        rawData.SetBuffer(std::move(pixels));
        return true;
    }
    }
}

uint32_t QrImage::GetFileInfo(const char* fileName, uint32_t& width, uint32_t& height, uint32_t& levels,
                              uint32_t& bitsPerPixel, const uint8_t*& pixels, const uint8_t*& palette)
{
    AssertMainThread();
    if (!OpenByName(fileName, *g_scratch))
    {
        g_errorCode = kErrorReadFailed;
        return kErrorReadFailed;
    }
    return GetRawDataInfo(g_scratch.Get(), width, height, levels, bitsPerPixel, pixels, palette);
}

uint32_t QrImage::GetRawDataInfo(const QrRawImageData* rawData, uint32_t& width, uint32_t& height, uint32_t& levels,
                                 uint32_t& bitsPerPixel, const uint8_t*& pixels, const uint8_t*& palette)
{
    if (!rawData)
    {
        g_errorCode = kErrorNoRawData;
        return kErrorNoRawData;
    }
    width = rawData->GetWidth();
    height = rawData->GetHeight();
    levels = IsPowerOfTwoSize(width, height);
    if (levels == 0)
        levels = 1;
    bitsPerPixel = rawData->GetBytesPerPixel() * 8;
    pixels = rawData->GetPixels();
    palette = rawData->GetFormat() == QrImagePixels::kFormatPalettized ? rawData->GetPalette() : nullptr;
    return kErrorNone;
}

uint32_t QrImage::IsPowerOfTwoSize(uint32_t width, uint32_t height)
{
    if (!std::has_single_bit(width) || !std::has_single_bit(height))
        return 0;
    return std::min(ExponentOfPowerOfTwo(width), ExponentOfPowerOfTwo(height));
}

uint32_t QrImage::GetFormatFromDepth(uint32_t bits)
{
    switch (bits)
    {
    case 8:
        return QrImagePixels::kFormatPalettized;
    case 24:
        return QrImagePixels::kFormatRGB;
    case 32:
        return QrImagePixels::kFormatRGBA;
    default:
        return 4;
    }
}
