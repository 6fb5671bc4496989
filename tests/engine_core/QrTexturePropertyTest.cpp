#include "PropertyTestHelpers.h"

#include "QrAlphaProperty.h"
#include "QrImage.h"
#include "QrMultiTextureProperty.h"
#include "QrTextureModeProperty.h"
#include "QrTextureProperty.h"

using proptest::HandFile;
using proptest::Load;
using proptest::RoundTrip;
using proptest::Save;

namespace
{

uint32_t g_lastKind = 0;
bool g_hookMakesNothing = false;

// The renderer's image as far as texture properties see it: a source and nothing more.
class PropTestImage : public QrImage
{
public:
    bool LoadFromFile() override { return true; }
    bool LoadFromRawData() override { return true; }

protected:
    ~PropTestImage() override = default;
};

QrImage* MakeTestImage(uint32_t kind)
{
    g_lastKind = kind;
    return g_hookMakesNothing ? nullptr : new PropTestImage;
}

QrPointer<QrImage> Image(const char* name)
{
    return QrImage::CreateFromFile(name, 2);
}

// The one property a hand-made file holds, or null.
template <class T> QrPointer<T> LoadOne(const std::vector<uint8_t>& bytes)
{
    std::vector<QrPointer<QrObject>> loaded = Load(bytes);
    if (loaded.size() != 1)
        return nullptr;
    return QrDynamicCast<T>(loaded[0].Get());
}

std::vector<uint8_t> TextureModeFile(const char* version, uint32_t apply, uint32_t filter, uint32_t clamp)
{
    HandFile file(version);
    file.BeginProperty("QrTextureModeProperty", 1);
    file.w.U32(apply);
    file.w.U32(filter);
    file.w.U32(clamp);
    return file.End();
}

} // namespace

class QrTexturePropertyTest : public proptest::PropertyTest
{
protected:
    void SetUp() override
    {
        proptest::PropertyTest::SetUp();
        g_lastKind = 0;
        g_hookMakesNothing = false;
        QrImage::SetCreateHook(&MakeTestImage);
    }
    void TearDown() override
    {
        QrImage::SetCreateHook(nullptr);
        proptest::PropertyTest::TearDown();
    }
};

TEST_F(QrTexturePropertyTest, TextureModeStreamsAndComparesAllThreeModes)
{
    using Change = void (*)(QrTextureModeProperty&);
    const std::pair<const char*, Change> changes[] = {
        {"apply", [](QrTextureModeProperty& p) { p.m_applyMode = 0; }},
        {"filter", [](QrTextureModeProperty& p) { p.m_filterMode = 5; }},
        {"clamp", [](QrTextureModeProperty& p) { p.m_clampMode = 1; }},
        {"override", [](QrTextureModeProperty& p) { p.m_override = 1; }},
    };
    for (const auto& [field, change] : changes)
    {
        SCOPED_TRACE(field);
        QrPointer<QrTextureModeProperty> fresh = new QrTextureModeProperty;
        QrPointer<QrTextureModeProperty> p = new QrTextureModeProperty;
        change(*p);
        EXPECT_FALSE(p->IsEqual(fresh.Get()));
        EXPECT_TRUE(RoundTrip(p.Get()));
    }
}

TEST_F(QrTexturePropertyTest, OldFilesNumberedClampModesFromOne)
{
    // Before 2.14 the clamp modes ran 1..4; other values are kept.
    const uint32_t remapped[][2] = {{0, 0}, {1, 0}, {2, 1}, {3, 2}, {4, 3}, {5, 5}, {77, 77}};
    for (const auto& [stored, held] : remapped)
    {
        QrPointer<QrTextureModeProperty> old = LoadOne<QrTextureModeProperty>(TextureModeFile("2.13", 2, 4, stored));
        ASSERT_TRUE(old) << QrStream::LastErrorMessage;
        EXPECT_EQ(old->m_clampMode, held) << stored;
        EXPECT_EQ(old->m_applyMode, 2u);
        EXPECT_EQ(old->m_filterMode, 4u);

        QrPointer<QrTextureModeProperty> current = LoadOne<QrTextureModeProperty>(TextureModeFile("2.2", 2, 4, stored));
        ASSERT_TRUE(current);
        EXPECT_EQ(current->m_clampMode, stored);
    }
    // 2.14 is the first version with the present numbering.
    QrPointer<QrTextureModeProperty> first = LoadOne<QrTextureModeProperty>(TextureModeFile("2.14", 3, 0, 4));
    ASSERT_TRUE(first);
    EXPECT_EQ(first->m_clampMode, 4u);
}

TEST_F(QrTexturePropertyTest, MultiTextureModeListsRoundTrip)
{
    QrPointer<QrMultiTextureProperty> p = new QrMultiTextureProperty;
    p->m_override = 1;
    p->m_applyModes = {3, 7};
    p->m_clampModes = {0};
    p->m_filterModes = {2, 1, 5};
    QrPointer<QrObject> loaded = RoundTrip(p.Get());
    ASSERT_TRUE(loaded);

    // Each list is compared on its own: the same values in another list are a difference.
    QrPointer<QrMultiTextureProperty> q = new QrMultiTextureProperty;
    q->m_override = 1;
    q->m_applyModes = {3, 7};
    q->m_clampModes = {2, 1, 5};
    q->m_filterModes = {0};
    EXPECT_FALSE(q->IsEqual(p.Get()));
}

TEST_F(QrTexturePropertyTest, MultiTextureFromOldFileHasNoModesAndSavesEmptyLists)
{
    HandFile old("2.13");
    old.BeginProperty("QrMultiTextureProperty", 1);
    old.w.U32(0); // no images, and nothing more before 2.14
    QrPointer<QrMultiTextureProperty> p = LoadOne<QrMultiTextureProperty>(old.End());
    ASSERT_TRUE(p) << QrStream::LastErrorMessage << " " << QrStream::LastErrorContext;
    EXPECT_EQ(p->GetApplyModes(), nullptr);
    EXPECT_EQ(p->GetClampModes(), nullptr);
    EXPECT_EQ(p->GetFilterModes(), nullptr);

    HandFile expected("2.2");
    expected.BeginProperty("QrMultiTextureProperty", 1);
    for (int i = 0; i < 4; ++i)
        expected.w.U32(0);
    EXPECT_EQ(Save({p.Get()}), expected.End());
}

TEST_F(QrTexturePropertyTest, OversizedCountsFailBeforeAllocating)
{
    HandFile texture("2.2");
    texture.BeginProperty("QrTextureProperty", 1);
    texture.w.I32(0);
    texture.w.U32(0xFFFFFFFFu);
    EXPECT_TRUE(Load(texture.End()).empty());
    EXPECT_EQ(QrStream::LastErrorCode, static_cast<uint32_t>(QrStream::kErrorNotQrf));

    HandFile multi("2.2");
    multi.BeginProperty("QrMultiTextureProperty", 1);
    multi.w.U32(0);
    multi.w.U32(1);
    multi.w.U32(3);
    multi.w.U32(0x40000000u);
    EXPECT_TRUE(Load(multi.End()).empty());
    EXPECT_EQ(QrStream::LastErrorCode, static_cast<uint32_t>(QrStream::kErrorNotQrf));
}

TEST_F(QrTexturePropertyTest, ImageListRoundTripKeepsHolesSharingAndLength)
{
    QrPointer<QrImage> a = Image("Images/prop_a.bmp");
    QrPointer<QrImage> b = Image("Images/prop_b.tga");
    QrPointer<QrTextureProperty> p = new QrTextureProperty;
    p->m_override = 1;
    p->SetImage(a.Get(), 0);
    p->SetImage(b.Get(), 2);
    p->SetImage(a.Get(), 3);
    p->SetImage(nullptr, 5); // trailing empty entries belong to the list too
    p->SetCurrentIndex(2);

    QrPointer<QrObject> loaded = RoundTrip(p.Get());
    auto* copy = QrDynamicCast<QrTextureProperty>(loaded.Get());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->GetImageCount(), 6u);
    EXPECT_EQ(copy->GetImage(0), copy->GetImage(3)) << "one image, stored once";
    EXPECT_FALSE(copy->GetImage(1));
    ASSERT_TRUE(copy->GetCurrentImage());
    EXPECT_STREQ(copy->GetCurrentImage()->GetFileName(), "Images/prop_b.tga");
}

TEST_F(QrTexturePropertyTest, TexturePropertyComparesIndexAndEveryEntry)
{
    QrPointer<QrImage> a = Image("a.bmp");
    QrPointer<QrImage> a2 = Image("a.bmp");
    QrPointer<QrImage> b = Image("b.bmp");
    auto make = [&](QrImage* first, QrImage* second, int32_t index)
    {
        QrPointer<QrTextureProperty> p = new QrTextureProperty;
        p->SetImage(first, 0);
        p->SetImage(second, 1);
        p->SetCurrentIndex(index);
        return p;
    };
    QrPointer<QrTextureProperty> base = make(a.Get(), b.Get(), 0);
    EXPECT_TRUE(base->IsEqual(make(a2.Get(), b.Get(), 0).Get())) << "images compare by content";
    EXPECT_FALSE(base->IsEqual(make(a.Get(), b.Get(), 1).Get()));
    EXPECT_FALSE(base->IsEqual(make(a.Get(), a.Get(), 0).Get()));
    EXPECT_FALSE(base->IsEqual(make(a.Get(), nullptr, 0).Get())) << "empty against present";
    EXPECT_FALSE(make(a.Get(), nullptr, 0)->IsEqual(base.Get()));
    QrPointer<QrTextureProperty> longer = make(a.Get(), b.Get(), 0);
    longer->SetImage(nullptr, 2);
    EXPECT_FALSE(base->IsEqual(longer.Get())) << "a trailing empty entry still counts";
}

TEST_F(QrTexturePropertyTest, MadeFromAFileName)
{
    QrPointer<QrTextureProperty> p = new QrTextureProperty("Images/prop_a.bmp");
    EXPECT_EQ(g_lastKind, 2u);
    EXPECT_EQ(p->GetCurrentIndex(), 0);
    ASSERT_TRUE(p->GetCurrentImage());
    EXPECT_STREQ(p->GetCurrentImage()->GetFileName(), "Images/prop_a.bmp");

    // No image: nothing to bind.
    g_hookMakesNothing = true;
    QrPointer<QrTextureProperty> none = new QrTextureProperty("missing.bmp");
    EXPECT_EQ(none->GetCurrentIndex(), -1);
    EXPECT_EQ(none->GetImageCount(), 0u);
    EXPECT_FALSE(none->GetCurrentImage());
    QrPointer<QrTextureProperty> unnamed = new QrTextureProperty(nullptr);
    EXPECT_EQ(unnamed->GetCurrentIndex(), -1);
}

TEST_F(QrTexturePropertyTest, SettingTheCountReleasesTheEntriesPastIt)
{
    QrPointer<QrTextureProperty> p = new QrTextureProperty;
    p->SetImage(Image("a.bmp").Get(), 3);
    EXPECT_EQ(p->GetImageCount(), 4u);
    for (uint32_t i = 0; i < 3; ++i)
        EXPECT_FALSE(p->GetImage(i));
    p->SetImage(Image("b.bmp").Get(), 1);

    const uint32_t live = QrObject::GetLiveCount();
    p->SetImageCount(2);
    EXPECT_EQ(QrObject::GetLiveCount(), live - 1) << "the image at 3 is released";
    EXPECT_EQ(p->GetImageCount(), 2u);
    ASSERT_TRUE(p->GetImage(1));

    // The current index may point past the list or be negative: no image either way.
    p->SetCurrentIndex(5);
    EXPECT_FALSE(p->GetCurrentImage());
    p->SetCurrentIndex(-1);
    EXPECT_FALSE(p->GetCurrentImage());
    p->SetCurrentIndex(1);
    EXPECT_EQ(p->GetCurrentImage(), p->GetImage(1));
}

TEST_F(QrTexturePropertyTest, MultiTextureImagesRoundTrip)
{
    QrPointer<QrImage> a = Image("Images/prop_a.bmp");
    QrPointer<QrMultiTextureProperty> p = new QrMultiTextureProperty;
    p->SetImage(a.Get(), 1);
    p->m_applyModes = {0, 5};
    p->m_clampModes = {3, 3};
    p->m_filterModes = {1, 2};
    EXPECT_EQ(p->GetImageCount(), 2u);
    EXPECT_EQ(p->GetNonNullImageCount(), 1u);
    QrPointer<QrObject> loaded = RoundTrip(p.Get());
    auto* copy = QrDynamicCast<QrMultiTextureProperty>(loaded.Get());
    ASSERT_NE(copy, nullptr);
    EXPECT_FALSE(copy->GetImage(0));
    ASSERT_TRUE(copy->GetImage(1));
    ASSERT_NE(copy->GetApplyModes(), nullptr);
    EXPECT_EQ(copy->GetApplyModes()[1], 5u);

    QrPointer<QrMultiTextureProperty> other = new QrMultiTextureProperty;
    other->SetImage(a.Get(), 0);
    other->m_applyModes = p->m_applyModes;
    other->m_clampModes = p->m_clampModes;
    other->m_filterModes = p->m_filterModes;
    EXPECT_FALSE(other->IsEqual(p.Get())) << "the image sits in another entry";
}

TEST_F(QrTexturePropertyTest, OldMultiTextureFileStillLinksItsImages)
{
    HandFile old("2.13");
    old.BeginProperty("QrMultiTextureProperty", 1);
    old.w.U32(1);
    old.w.U32(2);
    old.String("QrImage");
    old.w.U32(2);
    old.w.U32(0);
    old.w.U8(1);
    old.String("Images/prop_a.bmp");
    QrPointer<QrMultiTextureProperty> p = LoadOne<QrMultiTextureProperty>(old.End());
    ASSERT_TRUE(p) << QrStream::LastErrorMessage << " " << QrStream::LastErrorContext;
    ASSERT_TRUE(p->GetImage(0));
    EXPECT_STREQ(p->GetImage(0)->GetFileName(), "Images/prop_a.bmp");
    EXPECT_EQ(p->GetApplyModes(), nullptr);
}

TEST_F(QrTexturePropertyTest, ImageLinkToAnotherClassFailsTheLoad)
{
    HandFile file("2.2");
    file.BeginProperty("QrTextureProperty", 1);
    file.w.I32(0);
    file.w.U32(1);
    file.w.U32(2);
    file.BeginProperty("QrAlphaProperty", 2, false);
    for (int i = 0; i < 9; ++i)
        file.w.U8(0);
    EXPECT_TRUE(Load(file.End()).empty());
    EXPECT_EQ(QrStream::LastErrorCode, static_cast<uint32_t>(QrStream::kErrorNotQrf));
}

