#include "FrameworkTestImages.h"

#include "qrxAssetCache.h"

#include <cstring>

namespace
{

uint32_t g_made = 0;

class PlainImage : public QrImage
{
    QR_DECLARE_RTTI

public:
    bool LoadFromFile() override { return true; }
    bool LoadFromRawData() override { return true; }
    bool PrepareForRenderer(QrRender*, uint32_t) override
    {
        const char* name = GetFileName();
        if (name)
            return std::strstr(name, "missing") == nullptr;
        if (QrRawImageData* raw = GetRawData())
        {
            m_width = raw->GetWidth();
            m_height = raw->GetHeight();
        }
        return true;
    }

protected:
    ~PlainImage() override = default;
};
QR_IMPLEMENT_RTTI(PlainImage, QrImage)

QrImage* MakePlainImage(uint32_t)
{
    ++g_made;
    return new PlainImage;
}

} // namespace

void FrameworkImageTest::SetUp()
{
    QrEngineTest::SetUp();
    g_made = 0;
    m_render = new RecordingRender;
    QrImage::SetCreateHook(&MakePlainImage);
    QrImage::AddRenderer(m_render.Get(), 0);
}

void FrameworkImageTest::TearDown()
{
    qrxAssetCache::Get().Clear();
    QrImage::RemoveRenderer(m_render.Get(), 0);
    QrImage::SetCreateHook(nullptr);
    m_render = nullptr;
    QrEngineTest::TearDown();
}

uint32_t FrameworkImageTest::MadeCount()
{
    return g_made;
}
