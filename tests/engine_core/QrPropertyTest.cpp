#include "PropertyTestHelpers.h"
#include "TestFiles.h"

#include "QrAction.h"
#include "QrAlphaProperty.h"
#include "QrAudioProperty.h"
#include "QrCorrectionProperty.h"
#include "QrDitherProperty.h"
#include "QrFlipTextures.h"
#include "QrFogProperty.h"
#include "QrImage.h"
#include "QrMaterialProperty.h"
#include "QrMultiTextureProperty.h"
#include "QrShadeProperty.h"
#include "QrSpecularProperty.h"
#include "QrTextureProperty.h"
#include "QrTransparentProperty.h"
#include "QrVertexColorProperty.h"
#include "QrWireframeProperty.h"
#include "QrZBufferProperty.h"

#include "Files.h"

#include <functional>

using proptest::HandFile;
using proptest::Load;
using proptest::RoundTrip;
using proptest::Save;

namespace
{

using Change = std::function<void(QrProperty&)>;

template <class T, class F> Change On(F f)
{
    return [f](QrProperty& p) { f(static_cast<T&>(p)); };
}

struct FieldCase
{
    const char* field;
    Change change;
};

struct ClassCase
{
    const char* className;
    std::function<QrProperty*()> make;
    std::vector<FieldCase> fields;
};

template <class T> std::function<QrProperty*()> Make()
{
    return [] { return new T; };
}

// Each entry changes one field away from its default; every field must be streamed and compared.
std::vector<ClassCase> SimpleCases()
{
    return {
        {"QrAlphaProperty",
         Make<QrAlphaProperty>(),
         {{"enabled", On<QrAlphaProperty>([](auto& p) { p.m_enabled = 1; })},
          {"source", On<QrAlphaProperty>([](auto& p) { p.m_source = 2; })},
          {"destination", On<QrAlphaProperty>([](auto& p) { p.m_destination = 9; })}}},
        {"QrAudioProperty",
         Make<QrAudioProperty>(),
         {{"value A", On<QrAudioProperty>([](auto& p) { p.m_valueA = 0.25f; })},
          {"value B", On<QrAudioProperty>([](auto& p) { p.m_valueB = -3.5f; })},
          {"flag", On<QrAudioProperty>([](auto& p) { p.m_flag = 1; })}}},
        {"QrCorrectionProperty",
         Make<QrCorrectionProperty>(),
         {{"enabled", On<QrCorrectionProperty>([](auto& p) { p.m_enabled = 0; })}}},
        {"QrFogProperty",
         Make<QrFogProperty>(),
         {{"enabled", On<QrFogProperty>([](auto& p) { p.m_enabled = 1; })},
          {"depth", On<QrFogProperty>([](auto& p) { p.m_depth = 0.5f; })},
          {"mode", On<QrFogProperty>([](auto& p) { p.m_mode = 2; })},
          {"red", On<QrFogProperty>([](auto& p) { p.m_color.x = 0.1f; })},
          {"green", On<QrFogProperty>([](auto& p) { p.m_color.y = 0.2f; })},
          {"blue", On<QrFogProperty>([](auto& p) { p.m_color.z = 0.3f; })}}},
        {"QrMaterialProperty",
         Make<QrMaterialProperty>(),
         {{"ambient x", On<QrMaterialProperty>([](auto& p) { p.m_ambient.x = 0.0f; })},
          {"ambient y", On<QrMaterialProperty>([](auto& p) { p.m_ambient.y = 0.1f; })},
          {"ambient z", On<QrMaterialProperty>([](auto& p) { p.m_ambient.z = 0.2f; })},
          {"diffuse x", On<QrMaterialProperty>([](auto& p) { p.m_diffuse.x = 1.0f; })},
          {"diffuse y", On<QrMaterialProperty>([](auto& p) { p.m_diffuse.y = 0.9f; })},
          {"diffuse z", On<QrMaterialProperty>([](auto& p) { p.m_diffuse.z = 0.8f; })},
          {"specular x", On<QrMaterialProperty>([](auto& p) { p.m_specular.x = 0.3f; })},
          {"specular y", On<QrMaterialProperty>([](auto& p) { p.m_specular.y = 0.4f; })},
          {"specular z", On<QrMaterialProperty>([](auto& p) { p.m_specular.z = 0.5f; })},
          {"emissive x", On<QrMaterialProperty>([](auto& p) { p.m_emissive.x = 0.6f; })},
          {"emissive y", On<QrMaterialProperty>([](auto& p) { p.m_emissive.y = 0.7f; })},
          {"emissive z", On<QrMaterialProperty>([](auto& p) { p.m_emissive.z = 0.75f; })},
          {"shininess", On<QrMaterialProperty>([](auto& p) { p.m_shininess = 12.0f; })},
          {"alpha", On<QrMaterialProperty>([](auto& p) { p.m_alpha = 0.5f; })}}},
        {"QrShadeProperty",
         Make<QrShadeProperty>(),
         {{"smooth", On<QrShadeProperty>([](auto& p) { p.m_smooth = 0; })}}},
        {"QrTransparentProperty",
         Make<QrTransparentProperty>(),
         {{"enabled", On<QrTransparentProperty>([](auto& p) { p.m_enabled = 1; })},
          {"value", On<QrTransparentProperty>([](auto& p) { p.m_value = 0xFF00FF00u; })}}},
        {"QrWireframeProperty",
         Make<QrWireframeProperty>(),
         {{"enabled", On<QrWireframeProperty>([](auto& p) { p.m_enabled = 1; })}}},
        {"QrZBufferProperty",
         Make<QrZBufferProperty>(),
         {{"test", On<QrZBufferProperty>([](auto& p) { p.m_test = 1; })},
          {"write", On<QrZBufferProperty>([](auto& p) { p.m_write = 1; })}}},
        {"QrDitherProperty",
         Make<QrDitherProperty>(),
         {{"enabled", On<QrDitherProperty>([](auto& p) { p.m_enabled = 1; })}}},
        {"QrVertexColorProperty",
         Make<QrVertexColorProperty>(),
         {{"mode", On<QrVertexColorProperty>([](auto& p) { p.m_mode = 1; })}}},
        {"QrSpecularProperty",
         Make<QrSpecularProperty>(),
         {{"enabled", On<QrSpecularProperty>([](auto& p) { p.m_enabled = 1; })}}},
    };
}

} // namespace

using QrPropertyTest = proptest::PropertyTest;

TEST_F(QrPropertyTest, EveryFieldIsStreamedAndCompared)
{
    for (ClassCase& c : SimpleCases())
    {
        c.fields.push_back({"override", [](QrProperty& p) { p.m_override = 1; }});
        for (const FieldCase& f : c.fields)
        {
            SCOPED_TRACE(std::string(c.className) + " " + f.field);
            QrPointer<QrProperty> fresh = c.make();
            QrPointer<QrProperty> changed = c.make();
            EXPECT_STREQ(changed->GetRTTI()->GetName(), c.className);
            f.change(*changed);
            EXPECT_FALSE(changed->IsEqual(fresh.Get()));
            EXPECT_FALSE(fresh->IsEqual(changed.Get()));
            QrPointer<QrObject> loaded = RoundTrip(changed.Get());
            ASSERT_TRUE(loaded);
            EXPECT_FALSE(loaded->IsEqual(fresh.Get()));
        }
    }
}

TEST_F(QrPropertyTest, AllFieldsChangedTogetherRoundTrip)
{
    for (ClassCase& c : SimpleCases())
    {
        SCOPED_TRACE(c.className);
        QrPointer<QrProperty> p = c.make();
        p->m_override = 1;
        for (const FieldCase& f : c.fields)
            f.change(*p);
        QrPointer<QrObject> loaded = RoundTrip(p.Get());
        ASSERT_TRUE(loaded);
        EXPECT_EQ(static_cast<QrProperty*>(loaded.Get())->m_override, 1);
    }
}

TEST_F(QrPropertyTest, DefaultsCoverEveryTypeIdOnce)
{
    for (uint32_t type = 0; type < QrProperty::kTypeCount; ++type)
    {
        QrProperty* d = QrProperty::GetDefault(type);
        ASSERT_NE(d, nullptr) << type;
        EXPECT_EQ(d->Type(), type) << d->GetRTTI()->GetName();
        EXPECT_EQ(QrProperty::GetDefault(type), d) << "one default instance per type";
    }
    EXPECT_EQ(QrProperty::GetDefault(QrProperty::kTypeCount), nullptr);
    // A new object has the default instance's values.
    for (ClassCase& c : SimpleCases())
    {
        QrPointer<QrProperty> p = c.make();
        EXPECT_TRUE(p->IsEqual(QrProperty::GetDefault(p->Type()))) << c.className;
    }
}

TEST_F(QrPropertyTest, AlphaRecordBytesAreExact)
{
    QrPointer<QrAlphaProperty> alpha = new QrAlphaProperty;
    alpha->m_enabled = 1;

    HandFile file("2.2");
    file.BeginProperty("QrAlphaProperty", 1);
    for (uint8_t b : {1, 6, 0, 0, 0, 7, 0, 0, 0})
        file.w.U8(b);
    const std::vector<uint8_t> expected = file.End();
    EXPECT_EQ(Save({alpha.Get()}), expected);

    std::vector<QrPointer<QrObject>> loaded = Load(expected);
    ASSERT_EQ(loaded.size(), 1u);
    auto* a = QrDynamicCast<QrAlphaProperty>(loaded[0].Get());
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->m_enabled, 1);
    EXPECT_EQ(a->m_source, 6u);
    EXPECT_EQ(a->m_destination, 7u);
    EXPECT_EQ(a->m_override, 0);
}

TEST_F(QrPropertyTest, FlagBytesKeepTheirValue)
{
    // A flag byte is stored as read: 2 stays 2 rather than turning into 1.
    HandFile file("2.2");
    file.BeginProperty("QrZBufferProperty", 1, true, 2);
    file.w.U8(2);
    file.w.U8(0);
    std::vector<QrPointer<QrObject>> loaded = Load(file.End());
    ASSERT_EQ(loaded.size(), 1u);
    auto* z = QrDynamicCast<QrZBufferProperty>(loaded[0].Get());
    ASSERT_NE(z, nullptr);
    EXPECT_EQ(z->m_override, 2);
    EXPECT_EQ(z->m_test, 2);
    EXPECT_EQ(z->m_write, 0);
}

TEST_F(QrPropertyTest, BarePropertyCannotBeCreatedFromAFile)
{
    HandFile file("2.2");
    file.BeginProperty("QrProperty", 1);
    EXPECT_TRUE(Load(file.End()).empty());
    EXPECT_EQ(QrStream::LastErrorCode, QrStream::kErrorNoCreateFunction);
}

TEST_F(QrPropertyTest, MaterialSerialsAreConsecutiveAndFreshOnLoad)
{
    QrPointer<QrMaterialProperty> a = new QrMaterialProperty;
    QrPointer<QrMaterialProperty> b = new QrMaterialProperty;
    EXPECT_EQ(b->GetSerial(), a->GetSerial() + 1);

    a->m_diffuse.y = 0.25f;
    a->m_changed = 0;
    a->m_revision = 9;
    std::vector<QrPointer<QrObject>> loaded = Load(Save({a.Get()}));
    ASSERT_EQ(loaded.size(), 1u);
    auto* c = QrDynamicCast<QrMaterialProperty>(loaded[0].Get());
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->GetSerial(), b->GetSerial() + 1) << "a loaded material takes the next serial";
    // Flag and revision are not in the file: the loaded material starts as a new one.
    EXPECT_EQ(c->m_changed, 1);
    EXPECT_EQ(c->m_revision, 1u);
    EXPECT_TRUE(c->IsEqual(a.Get()));
    EXPECT_TRUE(a->IsEqual(c));
}

TEST_F(QrPropertyTest, SampleSceneHoldsEveryTypeAwayFromItsDefault)
{
    const std::string folder = testfiles::DataDir() + "/Data/Engine/";
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(plat::ReadFile(folder + "properties.qrf", bytes));
    std::vector<QrPointer<QrObject>> loaded = Load(bytes);
    ASSERT_EQ(loaded.size(), QrProperty::kTypeCount + 1);

    bool seen[QrProperty::kTypeCount] = {};
    QrFlipTextures* flip = nullptr;
    for (QrPointer<QrObject>& object : loaded)
    {
        if (auto* p = QrDynamicCast<QrProperty>(object.Get()))
        {
            ASSERT_LT(p->Type(), QrProperty::kTypeCount);
            EXPECT_FALSE(seen[p->Type()]) << p->GetRTTI()->GetName();
            seen[p->Type()] = true;
            EXPECT_FALSE(p->IsEqual(QrProperty::GetDefault(p->Type()))) << p->GetRTTI()->GetName();
        }
        else
        {
            flip = QrDynamicCast<QrFlipTextures>(object.Get());
        }
    }
    for (uint32_t type = 0; type < QrProperty::kTypeCount; ++type)
        EXPECT_TRUE(seen[type]) << type;
    ASSERT_NE(flip, nullptr);
    ASSERT_NE(flip->GetTarget(), nullptr);
    EXPECT_TRUE(QrAction::IsRunning(flip));

    // The images it names are the generated ones.
    QrTextureProperty* texture = flip->GetTarget();
    ASSERT_GT(texture->GetImageCount(), 1u);
    for (uint32_t i = 0; i < texture->GetImageCount(); ++i)
    {
        QrPointer<QrImage> image = texture->GetImage(i);
        ASSERT_TRUE(image && image->GetFileName()) << i;
        EXPECT_TRUE(plat::FileExists(folder + image->GetFileName())) << image->GetFileName();
    }
    auto* multi = QrDynamicCast<QrMultiTextureProperty>(loaded[QrProperty::kMultiTexture].Get());
    ASSERT_NE(multi, nullptr);
    ASSERT_TRUE(multi->GetImage(0));
    EXPECT_TRUE(plat::FileExists(folder + multi->GetImage(0)->GetFileName()));
}
