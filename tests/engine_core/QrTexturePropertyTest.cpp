#include "PropertyTestHelpers.h"

#include "QrMultiTextureProperty.h"
#include "QrTextureModeProperty.h"
#include "QrTextureProperty.h"

using proptest::HandFile;
using proptest::Load;
using proptest::RoundTrip;
using proptest::Save;

namespace
{

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

using QrTexturePropertyTest = proptest::PropertyTest;

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
