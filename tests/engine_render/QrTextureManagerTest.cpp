// The texture manager as the renderer and a draw see it: cache keys, images that cannot have a
// texture, the per-frame statistics, the binding answer of a stage, new pixels, the choice of
// texture memory, pair preparation, pinning and the release of textures.

#include "TextureTestRig.h"

#include "QrDDBufferImage.h"
#include "QrDDContext.h"
#include "QrRenderCreateParams.h"

namespace
{

// ---------------------------------------------------------------- keys

TEST(QrTextureKeyTest, AspectCodeOfWideAndTallTextures)
{
    EXPECT_EQ(QrTextureManager::AspectOf(QrTextureManager::MakeKey(9, 6, false, 0, 1)), 7u);  // 512 x 64
    EXPECT_EQ(QrTextureManager::AspectOf(QrTextureManager::MakeKey(10, 2, false, 0, 1)), 7u); // wider still
    EXPECT_EQ(QrTextureManager::AspectOf(QrTextureManager::MakeKey(5, 5, false, 0, 1)), 4u);
    EXPECT_EQ(QrTextureManager::AspectOf(QrTextureManager::MakeKey(6, 9, false, 0, 1)), 1u);  // 64 x 512
    EXPECT_EQ(QrTextureManager::AspectOf(QrTextureManager::MakeKey(6, 10, false, 0, 1)), 0u); // 64 x 1024
    EXPECT_EQ(QrTextureManager::AspectOf(QrTextureManager::MakeKey(0, 14, false, 0, 1)), 0u);
}

TEST(QrTextureKeyTest, SizeClassIsTheByteSizeAbove256Clamped)
{
    // Depth classes 0, 1 and 2 are 1, 2 and 4 bytes per texel.
    EXPECT_EQ(QrTextureManager::SizeClassOf(QrTextureManager::MakeKey(8, 8, false, 0, 1)), 9u); // 128 KB
    EXPECT_EQ(QrTextureManager::SizeClassOf(QrTextureManager::MakeKey(5, 5, false, 0, 1)), 3u); // 2 KB
    EXPECT_EQ(QrTextureManager::SizeClassOf(QrTextureManager::MakeKey(5, 5, false, 1, 2)), 4u); // 4 KB
    EXPECT_EQ(QrTextureManager::SizeClassOf(QrTextureManager::MakeKey(4, 4, false, 2, 0)), 0u); // exactly 256 bytes
    EXPECT_EQ(QrTextureManager::SizeClassOf(QrTextureManager::MakeKey(0, 0, false, 2, 0)), 0u);
    EXPECT_EQ(QrTextureManager::SizeClassOf(QrTextureManager::MakeKey(14, 14, false, 1, 2)), 15u);
}

TEST(QrTextureKeyTest, FieldsAndBucket)
{
    // 32 x 32 palettised with mipmaps: size class 2, aspect 4, the kind's high bit set.
    const uint32_t key = QrTextureManager::MakeKey(5, 5, true, 2, 0);
    EXPECT_EQ(key & 0xFF, 0x55u);
    EXPECT_EQ(QrTextureManager::BucketOf(key), 2u * 16 + 4 * 2 + 1);
    // Mipmapping and the RGB/alpha kinds only tell records apart within one bucket.
    EXPECT_EQ(QrTextureManager::BucketOf(QrTextureManager::MakeKey(5, 5, false, 0, 0)),
              QrTextureManager::BucketOf(QrTextureManager::MakeKey(5, 5, true, 1, 0)));
    EXPECT_NE(QrTextureManager::MakeKey(5, 5, false, 0, 0), QrTextureManager::MakeKey(5, 5, true, 0, 0));
    EXPECT_NE(QrTextureManager::BucketOf(QrTextureManager::MakeKey(5, 5, false, 0, 0)),
              QrTextureManager::BucketOf(QrTextureManager::MakeKey(5, 5, false, 2, 0)));
    EXPECT_EQ(QrTextureManager::BucketOf(QrTextureManager::MakeKey(14, 14, true, 2, 2)) / 16, 15u);
}

class QrTextureManagerTest : public QrTextureTest
{
protected:
    void SeparateMemories() { Software().caps.deviceCaps |= plat::kDevCapsSeparateTextureMemories; }
    void Stages(uint32_t count)
    {
        Software().caps.maxTextureBlendStages = count;
        Software().caps.maxSimultaneousTextures = count;
    }
    uint32_t StageOf(QrImage* image, uint32_t memory)
    {
        plat::SurfaceDesc desc;
        TextureOf(image, memory)->GetDesc(desc);
        return desc.textureStage;
    }
};

// ---------------------------------------------------------------- images without a texture

TEST_F(QrTextureManagerTest, ImageOfOtherThanPowerOfTwoSidesIsMarkedAndNotCheckedAgain)
{
    ASSERT_NO_FATAL_FAILURE(Open());
    QrPointer<QrDDImage> image = FlatImage(100, 64);
    NextFrame();
    EXPECT_FALSE(Use(image.Get()));
    EXPECT_EQ(Manager().GetRecord(image.Get(), 0), Manager().GetSentinel());
    for (int frame = 0; frame < 3; ++frame)
    {
        NextFrame();
        m_calls.Clear();
        EXPECT_FALSE(Use(image.Get()));
        EXPECT_FALSE(m_renderer->PrepareTexture(image.Get(), 1, 0, 0));
        EXPECT_TRUE(m_calls.Records().empty());
    }
    // The mark is in no bucket: releasing leaves it.
    EXPECT_TRUE(m_renderer->ReleaseObjectTextures(image.Get()));
    EXPECT_TRUE(m_renderer->ReleaseTextures(1));
    EXPECT_EQ(Manager().GetRecord(image.Get(), 0), Manager().GetSentinel());
    EXPECT_EQ(Manager().GetResidentCount(), 0u);
}

TEST_F(QrTextureManagerTest, MissingImageFileIsReportedOnce)
{
    ASSERT_NO_FATAL_FAILURE(Open());
    QrPointer<QrImage> image = QrImage::CreateFromFile("no such picture.tga", 2);
    ASSERT_TRUE(image);
    NextFrame();
    ClearOutput();
    EXPECT_FALSE(Use(image.Get()));
    EXPECT_EQ(Output(), std::vector<std::string>{"Create Texture failed: image file not found or of invalid format\n"});
    ClearOutput();
    NextFrame();
    EXPECT_FALSE(Use(image.Get()));
    EXPECT_TRUE(Output().empty());
}

TEST_F(QrTextureManagerTest, NothingToPrepareWithoutARendererImage)
{
    ASSERT_NO_FATAL_FAILURE(Open());
    EXPECT_FALSE(m_renderer->PrepareTexture(nullptr, 1, 0, 0));
    EXPECT_TRUE(m_renderer->ReleaseObjectTextures(nullptr));
    // No image: nothing bound, which is no failure.
    QrPointer<QrImage> last;
    std::shared_ptr<plat::Surface> texture;
    bool changed = true, mipmapped = true, alpha = true;
    EXPECT_TRUE(Manager().GetTexture(0, nullptr, last, texture, changed, mipmapped, alpha));
    EXPECT_FALSE(changed);
    EXPECT_EQ(texture, nullptr);
    EXPECT_FALSE(mipmapped);
    EXPECT_FALSE(alpha);
}

// ---------------------------------------------------------------- frames and statistics

TEST_F(QrTextureManagerTest, ImageDrawnTwiceInAFrameCountsOnce)
{
    ASSERT_NO_FATAL_FAILURE(Open());
    QrPointer<QrDDImage> a = FlatImage(4, 4);
    QrPointer<QrDDImage> b = FlatImage(8, 4);
    NextFrame();
    const uint32_t frame = Manager().GetFrameNumber();
    ASSERT_TRUE(Use(a.Get()));
    ASSERT_TRUE(Use(a.Get()));
    ASSERT_TRUE(Use(b.Get()));
    uint32_t resident = 0, used = 0, counter = 0, created = 0, released = 0;
    ASSERT_TRUE(m_renderer->GetTextureStatistics(&resident, &used, &counter, &created, &released));
    EXPECT_EQ(resident, 2u);
    EXPECT_EQ(used, 2u);
    EXPECT_EQ(created, 2u);
    EXPECT_EQ(released, 0u);
    EXPECT_EQ(Record(a.Get())->m_lastUsed, frame);

    NextFrame();
    EXPECT_EQ(Manager().GetFrameNumber(), frame + 1);
    ASSERT_TRUE(Use(a.Get()));
    ASSERT_TRUE(m_renderer->GetTextureStatistics(&resident, &used, &counter, &created, &released));
    EXPECT_EQ(resident, 2u);
    EXPECT_EQ(used, 1u);
    EXPECT_EQ(created, 0u);
    EXPECT_EQ(m_renderer->GetTextureStatus(), QrTextureManager::kStatusFrame);
}

TEST_F(QrTextureManagerTest, ChangedTellsTheStageWhenToBindAgain)
{
    ASSERT_NO_FATAL_FAILURE(Open());
    QrPointer<QrDDImage> a = FlatImage(4, 4);
    QrPointer<QrDDImage> translucent = RgbaImage(4, 4, [](uint32_t, uint32_t) { return 0x80FF0000u; });
    QrPointer<QrDDImage> mipmapped = RgbImage(
        8, 8, [](uint32_t x, uint32_t) { return x * 0x102030u; }, 1);
    QrPointer<QrImage> last;
    std::shared_ptr<plat::Surface> texture;
    bool changed = false, mip = false, alpha = false;
    auto bind = [&](QrImage* image) { return Manager().GetTexture(0, image, last, texture, changed, mip, alpha); };

    ASSERT_TRUE(bind(a.Get()));
    EXPECT_TRUE(changed);
    EXPECT_EQ(last.Get(), a.Get());
    EXPECT_EQ(texture.get(), TextureOf(a.Get()));
    EXPECT_FALSE(mip);
    EXPECT_FALSE(alpha);
    ASSERT_TRUE(bind(a.Get()));
    EXPECT_FALSE(changed);

    ASSERT_TRUE(bind(translucent.Get()));
    EXPECT_TRUE(changed);
    EXPECT_TRUE(alpha);
    EXPECT_EQ(Record(translucent.Get())->m_texture->Format(), plat::PixelFormat::Argb4444);
    ASSERT_TRUE(bind(mipmapped.Get()));
    EXPECT_TRUE(changed);
    EXPECT_TRUE(mip);
    EXPECT_FALSE(alpha);

    ASSERT_TRUE(bind(nullptr));
    EXPECT_TRUE(changed);
    EXPECT_EQ(last.Get(), nullptr);
    EXPECT_EQ(texture, nullptr);
    ASSERT_TRUE(bind(nullptr));
    EXPECT_FALSE(changed);

    // The same image with a texture made anew must be bound again.
    ASSERT_TRUE(bind(a.Get()));
    ASSERT_TRUE(m_renderer->ReleaseObjectTextures(a.Get()));
    ASSERT_TRUE(bind(a.Get()));
    EXPECT_TRUE(changed);
    EXPECT_EQ(texture.get(), TextureOf(a.Get()));
}

TEST_F(QrTextureManagerTest, BufferImageBindsItsOwnSurface)
{
    ASSERT_NO_FATAL_FAILURE(Open());
    auto* back = QrDynamicCast<QrDDBufferImage>(m_renderer->GetBufferImage(1));
    ASSERT_NE(back, nullptr);
    QrPointer<QrImage> last;
    std::shared_ptr<plat::Surface> texture;
    bool changed = false, mip = true, alpha = false;
    ASSERT_TRUE(Manager().GetTexture(0, back, last, texture, changed, mip, alpha));
    EXPECT_TRUE(changed);
    EXPECT_EQ(texture, back->GetTexture());
    EXPECT_FALSE(mip);
    EXPECT_EQ(Manager().GetResidentCount(), 0u);
    EXPECT_EQ(Manager().GetRecord(back, 0), nullptr);
}

TEST_F(QrTextureManagerTest, NewPixelsAreUploadedIntoTheSameTexture)
{
    ASSERT_NO_FATAL_FAILURE(Open());
    QrPointer<QrRawImageData> raw = new QrRawImageData;
    raw->AllocatePixels(QrImagePixels::kFormatRGB, 4, 4);
    std::fill_n(raw->GetPixels(), 48, uint8_t{0x80});
    QrPointer<QrDDImage> image = MakeImage(raw);
    QrPointer<QrImage> last;
    std::shared_ptr<plat::Surface> texture;
    bool changed = false, mip = false, alpha = false;
    ASSERT_TRUE(Manager().GetTexture(0, image.Get(), last, texture, changed, mip, alpha));
    const std::shared_ptr<plat::Surface> first = texture;
    EXPECT_EQ(TexelAt(*first, 2, 2), plat::PackColor(plat::PixelFormat::Rgb565, 0xFF808080));

    NextFrame();
    raw->GetPixels()[3 * 10] = 0xFF; // pixel (2, 2) turns red-ish
    ASSERT_TRUE(image->LoadFromRawData());
    ASSERT_TRUE(Manager().GetTexture(0, image.Get(), last, texture, changed, mip, alpha));
    EXPECT_FALSE(changed);
    EXPECT_EQ(texture, first);
    EXPECT_EQ(TexelAt(*first, 2, 2), plat::PackColor(plat::PixelFormat::Rgb565, 0xFFFF8080));
    EXPECT_EQ(Record(image.Get())->m_revision, image->GetPixelRevision());
    EXPECT_EQ(Manager().GetCreatedThisFrame(), 0u);
}

TEST_F(QrTextureManagerTest, TextureOfAnotherSizeReplacesAPinnedOneAndStaysPinned)
{
    ASSERT_NO_FATAL_FAILURE(Open());
    QrPointer<QrDDImage> image = RgbImage(
        8, 8, [](uint32_t x, uint32_t y) { return x * 0x200000u + y * 0x2000u; }, 1);
    ASSERT_TRUE(m_renderer->PrepareTexture(image.Get(), 1, 1, 0));
    QrPointer<QrImage> last = image.Get();
    std::shared_ptr<plat::Surface> texture;
    bool changed = false, mip = false, alpha = false;
    ASSERT_TRUE(Manager().GetTexture(0, image.Get(), last, texture, changed, mip, alpha));
    EXPECT_EQ(texture->Width(), 8u);

    // A new reduction level is seen when the pixels next change.
    NextFrame();
    m_renderer->SetUserWord(1);
    image->RaisePixelRevision();
    ASSERT_TRUE(Manager().GetTexture(0, image.Get(), last, texture, changed, mip, alpha));
    EXPECT_TRUE(changed);
    EXPECT_EQ(texture->Width(), 4u);
    const QrTextureRecord* record = Record(image.Get());
    ASSERT_NE(record, nullptr);
    EXPECT_TRUE(record->m_flags & QrTextureRecord::kFlagPinned);
    EXPECT_EQ(Manager().GetPinnedHead(0), record);
    EXPECT_EQ(record->m_size, 4u * 4 * 2);
    EXPECT_EQ(Manager().GetBytesInUse(0), record->m_size);
    EXPECT_EQ(Manager().GetCreatedThisFrame(), 1u);
    EXPECT_EQ(Manager().GetReleasedThisFrame(), 1u);
}

// ---------------------------------------------------------------- memories and pairs

TEST_F(QrTextureManagerTest, NewTextureGoesToTheEmptierMemory)
{
    SeparateMemories();
    ASSERT_NO_FATAL_FAILURE(Open());
    ASSERT_TRUE(Manager().HasSeparateMemories());
    QrPointer<QrDDImage> a = FlatImage(4, 4);
    QrPointer<QrDDImage> b = FlatImage(4, 4);
    QrPointer<QrDDImage> c = FlatImage(8, 8);
    // Both memories empty: memory 1.
    ASSERT_TRUE(m_renderer->PrepareTexture(a.Get(), 1, 0, -1));
    EXPECT_NE(Record(a.Get(), 1), nullptr);
    EXPECT_EQ(Record(a.Get(), 0), nullptr);
    EXPECT_EQ(StageOf(a.Get(), 1), 1u);
    ASSERT_TRUE(m_renderer->PrepareTexture(b.Get(), 1, 0, -1));
    EXPECT_NE(Record(b.Get(), 0), nullptr);
    EXPECT_EQ(StageOf(b.Get(), 0), 0u);
    // Where it already is, however full that memory.
    ASSERT_TRUE(m_renderer->PrepareTexture(c.Get(), 1, 0, 1));
    ASSERT_TRUE(m_renderer->PrepareTexture(a.Get(), 1, 0, -1));
    EXPECT_TRUE(Use(a.Get(), -1));
    EXPECT_EQ(Manager().GetResidentCount(), 3u);
    EXPECT_EQ(Manager().GetBytesInUse(0), 32u);
    EXPECT_EQ(Manager().GetBytesInUse(1), 32u + 128u);
}

TEST_F(QrTextureManagerTest, CreationFlagKeepsOneMemory)
{
    SeparateMemories();
    ASSERT_NO_FATAL_FAILURE(Open(9 | QrRenderCreateParams::kFlagNoMultitextureTrials));
    EXPECT_FALSE(Manager().HasSeparateMemories());
    QrPointer<QrDDImage> a = FlatImage(4, 4);
    ASSERT_TRUE(m_renderer->PrepareTexture(a.Get(), 1, 0, 1));
    EXPECT_NE(Record(a.Get(), 0), nullptr);
}

TEST_F(QrTextureManagerTest, PairOnADeviceWithOneStageSharesItsMemory)
{
    Stages(1);
    ASSERT_NO_FATAL_FAILURE(Open());
    ASSERT_FALSE(Manager().HasSeparateMemories());
    QrPointer<QrDDImage> a = FlatImage(4, 4);
    QrPointer<QrDDImage> b = FlatImage(8, 8);
    EXPECT_TRUE(m_renderer->PrepareTexturePair(a.Get(), b.Get(), 1, 0, -1, -1));
    EXPECT_NE(Record(a.Get(), 0), nullptr);
    EXPECT_NE(Record(b.Get(), 0), nullptr);
    EXPECT_EQ(Manager().GetResidentCount(), 2u);
}

TEST_F(QrTextureManagerTest, PairOnADeviceWithTwoStagesGoesToOneMemoryEach)
{
    Stages(2);
    SeparateMemories();
    ASSERT_NO_FATAL_FAILURE(Open());
    QrPointer<QrDDImage> a = FlatImage(4, 4);
    QrPointer<QrDDImage> b = FlatImage(4, 4);
    EXPECT_TRUE(m_renderer->PrepareTexturePair(a.Get(), b.Get(), 1, 1, -1, -1));
    ASSERT_NE(Record(a.Get(), 0), nullptr);
    ASSERT_NE(Record(b.Get(), 1), nullptr);
    EXPECT_EQ(StageOf(a.Get(), 0), 0u);
    EXPECT_EQ(StageOf(b.Get(), 1), 1u);
    EXPECT_EQ(Manager().GetPinnedHead(0), Record(a.Get(), 0));
    EXPECT_EQ(Manager().GetPinnedHead(1), Record(b.Get(), 1));

    // Memories given: as given; one image that cannot be a texture fails the pair.
    QrPointer<QrDDImage> c = FlatImage(4, 4);
    QrPointer<QrDDImage> odd = FlatImage(100, 64);
    EXPECT_FALSE(m_renderer->PrepareTexturePair(c.Get(), odd.Get(), 1, 0, 1, 0));
    EXPECT_NE(Record(c.Get(), 1), nullptr);
    EXPECT_EQ(Manager().GetRecord(odd.Get(), 0), Manager().GetSentinel());
}

// ---------------------------------------------------------------- release

TEST_F(QrTextureManagerTest, ReleasingOneImageLeavesTheOthers)
{
    SeparateMemories();
    ASSERT_NO_FATAL_FAILURE(Open());
    QrPointer<QrDDImage> a = FlatImage(4, 4);
    QrPointer<QrDDImage> b = FlatImage(4, 4);
    ASSERT_TRUE(m_renderer->PrepareTexture(a.Get(), 1, 0, 0));
    ASSERT_TRUE(m_renderer->PrepareTexture(a.Get(), 1, 1, 1));
    ASSERT_TRUE(m_renderer->PrepareTexture(b.Get(), 1, 0, 0));
    NextFrame();
    ASSERT_TRUE(m_renderer->ReleaseObjectTextures(a.Get()));
    EXPECT_EQ(Manager().GetRecord(a.Get(), 0), nullptr);
    EXPECT_EQ(Manager().GetRecord(a.Get(), 1), nullptr);
    EXPECT_EQ(Manager().GetPinnedHead(1), nullptr);
    EXPECT_NE(Record(b.Get(), 0), nullptr);
    EXPECT_EQ(Manager().GetResidentCount(), 1u);
    EXPECT_EQ(Manager().GetReleasedThisFrame(), 2u);
    EXPECT_EQ(Manager().GetBytesInUse(0) + Manager().GetBytesInUse(1), 32u);
}

TEST_F(QrTextureManagerTest, PinnedTexturesStayUnlessReleasedWithThem)
{
    SeparateMemories();
    ASSERT_NO_FATAL_FAILURE(Open());
    QrPointer<QrDDImage> pinned0 = FlatImage(4, 4);
    QrPointer<QrDDImage> pinned1 = FlatImage(4, 4);
    QrPointer<QrDDImage> cached = FlatImage(4, 4);
    ASSERT_TRUE(m_renderer->PrepareTexture(pinned0.Get(), 1, 1, 0));
    ASSERT_TRUE(m_renderer->PrepareTexture(pinned1.Get(), 1, 1, 1));
    ASSERT_TRUE(m_renderer->PrepareTexture(cached.Get(), 1, 0, 1));
    ASSERT_TRUE(m_renderer->ReleaseTextures(0));
    EXPECT_EQ(Record(cached.Get(), 1), nullptr);
    EXPECT_NE(Record(pinned0.Get(), 0), nullptr);
    EXPECT_NE(Record(pinned1.Get(), 1), nullptr);
    ASSERT_TRUE(m_renderer->ReleaseTextures(1));
    EXPECT_EQ(Record(pinned0.Get(), 0), nullptr);
    EXPECT_EQ(Record(pinned1.Get(), 1), nullptr);
    EXPECT_EQ(Manager().GetPinnedHead(0), nullptr);
    EXPECT_EQ(Manager().GetPinnedHead(1), nullptr);
    EXPECT_EQ(Manager().GetBytesInUse(0) + Manager().GetBytesInUse(1), 0u);
}

TEST_F(QrTextureManagerTest, DyingImageTakesItsTexturesFromEveryDevice)
{
    ASSERT_NO_FATAL_FAILURE(Open());
    QrPointer<QrD3DRender> second = Create(Windowed(9));
    ASSERT_TRUE(second);
    QrTextureManager& other = *Device(*second).GetTextureManager();
    ASSERT_NE(&other, &Manager());
    QrPointer<QrDDImage> a = FlatImage(4, 4);
    QrPointer<QrDDImage> b = FlatImage(4, 4);
    ASSERT_TRUE(m_renderer->PrepareTexture(a.Get(), 1, 0, 0));
    ASSERT_TRUE(m_renderer->PrepareTexture(b.Get(), 1, 1, 0));
    ASSERT_TRUE(second->PrepareTexture(a.Get(), 1, 1, 0));
    const uint32_t free = Manager().GetFreeRecordCount();
    a = nullptr;
    EXPECT_EQ(Manager().GetResidentCount(), 0u);
    EXPECT_EQ(Manager().GetFreeRecordCount(), free + 1);
    EXPECT_EQ(other.GetPinnedHead(0), nullptr);
    EXPECT_NE(Record(b.Get()), nullptr);
    b = nullptr;
    EXPECT_EQ(Manager().GetPinnedHead(0), nullptr);
    second = nullptr;
}

TEST_F(QrTextureManagerTest, ClosingTheDeviceClearsEveryImagesEntries)
{
    ASSERT_NO_FATAL_FAILURE(Open());
    QrPointer<QrDDImage> a = FlatImage(4, 4);
    QrPointer<QrDDImage> odd = FlatImage(100, 64);
    ASSERT_TRUE(Use(a.Get()));
    EXPECT_FALSE(Use(odd.Get()));
    const uint32_t key0 = Manager().GetMemoryKey(0);
    const uint32_t key1 = Manager().GetMemoryKey(1);
    EXPECT_NE(key0, key1);
    EXPECT_NE(key0, m_renderer->GetSerial());
    m_renderer = nullptr;
    QrD3DRender::ReleaseCurrentRenderer();
    EXPECT_TRUE(QrTextureManager::GetManagers().empty());
    EXPECT_EQ(a->GetTextureRecord(key0), nullptr);
    EXPECT_EQ(odd->GetTextureRecord(key0), nullptr);
}

// ---------------------------------------------------------------- memory and pool

TEST_F(QrTextureManagerTest, TextureMemoryReportsTheBudgetAndWhatIsLeft)
{
    ASSERT_NO_FATAL_FAILURE(OpenHardware(4 * kSmallTexture));
    QrPointer<QrDDImage> a = FlatImage(32, 32);
    uint32_t total = 0, free = 0;
    ASSERT_TRUE(m_renderer->GetTextureMemory(&total, &free));
    EXPECT_EQ(total, 4 * kSmallTexture);
    EXPECT_EQ(free, total);
    ASSERT_TRUE(Use(a.Get()));
    EXPECT_EQ(FreeVideoMemory(), 3 * kSmallTexture);
    EXPECT_TRUE(TextureOf(a.Get())->Caps() & plat::kCapsVideoMemory);
    a = nullptr;
    EXPECT_EQ(FreeVideoMemory(), total);
}

TEST_F(QrTextureManagerTest, RecordsComeFromBlocksOfThirtyTwo)
{
    ASSERT_NO_FATAL_FAILURE(Open());
    EXPECT_EQ(Manager().GetRecordBlockCount(), 1u);
    std::vector<QrPointer<QrDDImage>> images;
    for (int i = 0; i < 33; ++i)
    {
        images.push_back(FlatImage(1, 1));
        ASSERT_TRUE(Use(images.back().Get()));
    }
    EXPECT_EQ(Manager().GetRecordBlockCount(), 2u);
    EXPECT_EQ(Manager().GetFreeRecordCount(), 31u);
    ASSERT_TRUE(m_renderer->ReleaseTextures(1));
    EXPECT_EQ(Manager().GetFreeRecordCount(), 64u);
    // Released records are used again before any new block.
    for (int i = 0; i < 33; ++i)
        ASSERT_TRUE(Use(images[i].Get()));
    EXPECT_EQ(Manager().GetRecordBlockCount(), 2u);
}

} // namespace
