#include "QrCameraTestHelpers.h"

#include "QrAlphaProperty.h"
#include "QrCamera.h"
#include "QrDisplay.h"
#include "QrScreenPolygon.h"
#include "QrStream.h"
#include "QrZBufferProperty.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

using namespace camtest;

namespace
{

const QrPoint3 kTriangle[3] = {{0.1f, 0.2f, 0.5f}, {0.9f, 0.2f, 0.5f}, {0.5f, 0.8f, 0.25f}};
const QrPoint3 kTexture[3] = {{0.0f, 0.0f, 7.0f}, {1.0f, 0.0f, 7.0f}, {0.5f, 1.0f, 7.0f}};
const QrColorA kColors[3] = {{1.0f, 0.0f, 0.0f, 1.0f}, {0.0f, 1.0f, 0.0f, 0.5f}, {0.0f, 0.0f, 1.0f, 0.0f}};

class QrScreenPolygonTest : public CameraTest
{
protected:
    static QrPointer<QrScreenPolygon> Make(const QrPoint3* texture, const QrColorA* colors)
    {
        return QrPointer<QrScreenPolygon>(new QrScreenPolygon(3, kTriangle, texture, colors));
    }

    static std::vector<QrProperty*> Properties(const QrScreenPolygon& polygon)
    {
        std::vector<QrProperty*> list;
        for (QrProperty* property : polygon.GetPropertyList())
            list.push_back(property);
        return list;
    }
};

TEST_F(QrScreenPolygonTest, ConstructionCopiesOnlyTheArraysGiven)
{
    QrPoint3 vertices[3] = {kTriangle[0], kTriangle[1], kTriangle[2]};
    QrPointer<QrScreenPolygon> polygon(new QrScreenPolygon(3, vertices, nullptr, nullptr));
    vertices[0] = QrPoint3(5.0f, 5.0f, 5.0f);
    EXPECT_TRUE(polygon->GetVertices()[0].IsEqual(kTriangle[0]));
    EXPECT_EQ(polygon->GetTextureCoords(), nullptr);
    EXPECT_EQ(polygon->GetColors(), nullptr) << "no colours given: drawn opaque white, not transparent black";

    QrPointer<QrScreenPolygon> full = Make(kTexture, kColors);
    ASSERT_NE(full->GetColors(), nullptr);
    EXPECT_TRUE(full->GetColors()[1].IsEqual(kColors[1]));
    EXPECT_TRUE(full->GetTextureCoords()[2].IsEqual(kTexture[2]));
}

TEST_F(QrScreenPolygonTest, WithoutPropertiesItDrawsWithTheStateInForce)
{
    QrPointer<QrDisplay> display = MakeDisplay();
    QrPointer<QrScreenPolygon> polygon = Make(nullptr, kColors);
    polygon->Draw(display.Get());
    ASSERT_EQ(Render()->GetLog().size(), 1u);
    EXPECT_EQ(Render()->Calls({"RenderScreenPolygon"}).size(), 1u);
    ASSERT_EQ(Render()->m_polygons.size(), 1u);
    EXPECT_TRUE(Render()->m_polygons[0][2].IsEqual(kTriangle[2]));
}

TEST_F(QrScreenPolygonTest, ItsPropertiesHoldOnlyForItsOwnDraw)
{
    QrPointer<QrDisplay> display = MakeDisplay();
    QrPointer<QrScreenPolygon> polygon = Make(nullptr, nullptr);
    QrPointer<QrAlphaProperty> blend(new QrAlphaProperty);
    blend->m_enabled = 1;
    polygon->AttachProperty(blend.Get());
    QrProperty* before = display->GetCurrent(QrProperty::kAlpha);

    polygon->Draw(display.Get());
    EXPECT_EQ(Render()->Calls({"SetAlphaBlending", "RenderScreenPolygon"}),
              (std::vector<std::string>{"SetAlphaBlending", "RenderScreenPolygon"}));
    EXPECT_EQ(display->GetCurrent(QrProperty::kAlpha), before);
    EXPECT_EQ(Properties(*polygon), (std::vector<QrProperty*>{blend.Get()})) << "the list holds its own again";

    // Without a renderer nothing is pushed or drawn.
    QrPointer<QrDisplay> bare(new QrDisplay);
    polygon->Draw(bare.Get());
    polygon->Draw(nullptr);
    EXPECT_EQ(Properties(*polygon), (std::vector<QrProperty*>{blend.Get()}));
}

TEST_F(QrScreenPolygonTest, DrawnInTheViewportOfTheCameraCountedFromTheBottom)
{
    QrPointer<QrDisplay> display = MakeDisplay(640, 480);
    QrPointer<QrCamera> camera(new QrCamera);
    camera->SetDisplay(display.Get());
    // The lower-left quarter of the screen.
    const float viewport[4] = {0.0f, 0.5f, 0.5f, 0.0f};
    std::memcpy(camera->GetViewport(), viewport, sizeof(viewport));
    camera->AttachScreenPolygon(Make(nullptr, nullptr).Get());
    camera->RenderFrame(0.0f, 0.0f);
    EXPECT_EQ(Render()->Calls({"SetCameraData", "RenderScreenPolygon", "EndFrame"}),
              (std::vector<std::string>{"SetCameraData", "RenderScreenPolygon", "EndFrame"}));
    // The renderer places the fractions in this pixel rectangle, rows counted up from the bottom.
    EXPECT_FLOAT_EQ(Render()->m_viewport[1], 320.0f);
    EXPECT_FLOAT_EQ(Render()->m_viewport[2], 240.0f);
    EXPECT_FLOAT_EQ(Render()->m_viewport[3], 0.0f);
    ASSERT_EQ(Render()->m_polygons.size(), 1u);
    EXPECT_TRUE(Render()->m_polygons[0][0].IsEqual(kTriangle[0])) << "fractions reach the renderer unchanged";
}

TEST_F(QrScreenPolygonTest, RoundTripKeepsArraysAndPropertyOrder)
{
    QrPointer<QrScreenPolygon> polygon = Make(kTexture, kColors);
    polygon->SetName("meter digit");
    QrPointer<QrAlphaProperty> blend(new QrAlphaProperty);
    QrPointer<QrZBufferProperty> depth(new QrZBufferProperty);
    depth->m_test = 1;
    polygon->AttachProperty(depth.Get());
    polygon->AttachProperty(blend.Get());

    const std::vector<uint8_t> bytes = Save({polygon.Get()});
    std::vector<QrPointer<QrObject>> loaded = Load(bytes);
    ASSERT_EQ(loaded.size(), 1u) << QrStream::LastErrorMessage << " " << QrStream::LastErrorContext;
    auto* copy = QrDynamicCast<QrScreenPolygon>(loaded[0].Get());
    ASSERT_NE(copy, nullptr);
    EXPECT_TRUE(copy->IsEqual(polygon.Get()));
    EXPECT_EQ(Save({copy}), bytes);
    const std::vector<QrProperty*> properties = Properties(*copy);
    ASSERT_EQ(properties.size(), 2u);
    EXPECT_NE(QrDynamicCast<QrAlphaProperty>(properties[0]), nullptr);
    EXPECT_NE(QrDynamicCast<QrZBufferProperty>(properties[1]), nullptr);
    EXPECT_TRUE(copy->GetTextureCoords()[0].IsEqual(kTexture[0])) << "the unused third value is kept";
}

TEST_F(QrScreenPolygonTest, AbsentTextureCoordinatesAreAZeroMarker)
{
    QrPointer<QrScreenPolygon> polygon = Make(nullptr, kColors);
    const std::vector<uint8_t> bytes = Save({polygon.Get()});
    // The vertex block, then the marker.
    std::vector<uint8_t> pattern(sizeof(kTriangle));
    std::memcpy(pattern.data(), kTriangle, sizeof(kTriangle));
    auto at = std::search(bytes.begin(), bytes.end(), pattern.begin(), pattern.end());
    ASSERT_NE(at, bytes.end());
    const size_t marker = static_cast<size_t>(at - bytes.begin()) + pattern.size();
    ASSERT_LE(marker + 8, bytes.size());
    uint32_t textureMarker = 1, colorMarker = 0;
    std::memcpy(&textureMarker, &bytes[marker], 4);
    std::memcpy(&colorMarker, &bytes[marker + 4], 4);
    EXPECT_EQ(textureMarker, 0u);
    EXPECT_NE(colorMarker, 0u);

    std::vector<QrPointer<QrObject>> loaded = Load(bytes);
    ASSERT_EQ(loaded.size(), 1u);
    auto* copy = QrDynamicCast<QrScreenPolygon>(loaded[0].Get());
    EXPECT_EQ(copy->GetTextureCoords(), nullptr);
    ASSERT_NE(copy->GetColors(), nullptr);
}

TEST_F(QrScreenPolygonTest, EqualityNeedsTheSameOptionalArraysAndProperties)
{
    QrPointer<QrScreenPolygon> plain = Make(nullptr, nullptr);
    QrPointer<QrScreenPolygon> coloured = Make(nullptr, kColors);
    EXPECT_TRUE(plain->IsEqual(Make(nullptr, nullptr).Get()));
    EXPECT_FALSE(plain->IsEqual(coloured.Get()));
    EXPECT_FALSE(coloured->IsEqual(plain.Get()));
    EXPECT_FALSE(plain->IsEqual(Make(kTexture, nullptr).Get()));

    QrPointer<QrScreenPolygon> other = Make(nullptr, nullptr);
    other->AttachProperty(QrPointer<QrAlphaProperty>(new QrAlphaProperty).Get());
    EXPECT_FALSE(plain->IsEqual(other.Get()));
    const QrPoint3 moved[3] = {kTriangle[0], kTriangle[1], {0.5f, 0.8f, 0.5f}};
    EXPECT_FALSE(plain->IsEqual(QrPointer<QrScreenPolygon>(new QrScreenPolygon(3, moved, nullptr, nullptr)).Get()));
}

TEST_F(QrScreenPolygonTest, CloneCopiesArraysAndSharesProperties)
{
    QrPointer<QrScreenPolygon> polygon = Make(kTexture, kColors);
    QrPointer<QrAlphaProperty> blend(new QrAlphaProperty);
    QrPointer<QrZBufferProperty> depth(new QrZBufferProperty);
    polygon->AttachProperty(depth.Get());
    polygon->AttachProperty(blend.Get());
    QrPointer<QrScreenPolygon> clone = polygon->Clone();
    EXPECT_TRUE(clone->IsEqual(polygon.Get()));
    EXPECT_NE(clone->GetVertices(), polygon->GetVertices());
    EXPECT_NE(clone->GetColors(), polygon->GetColors());
    EXPECT_EQ(Properties(*clone), Properties(*polygon));
    EXPECT_EQ(blend->GetRefCount(), 3u);
}

TEST_F(QrScreenPolygonTest, PropertiesGoToTheHeadOnePerType)
{
    QrPointer<QrScreenPolygon> polygon = Make(nullptr, nullptr);
    QrPointer<QrAlphaProperty> a(new QrAlphaProperty);
    QrPointer<QrZBufferProperty> b(new QrZBufferProperty);
    QrPointer<QrAlphaProperty> c(new QrAlphaProperty);
    polygon->AttachProperty(a.Get());
    polygon->AttachProperty(nullptr);
    polygon->AttachProperty(b.Get());
    polygon->AttachProperty(a.Get());
    EXPECT_EQ(Properties(*polygon), (std::vector<QrProperty*>{a.Get(), b.Get()}));
    EXPECT_EQ(a->GetRefCount(), 2u);
    polygon->AttachProperty(c.Get());
    EXPECT_EQ(Properties(*polygon), (std::vector<QrProperty*>{c.Get(), b.Get()}));
    EXPECT_EQ(a->GetRefCount(), 1u);
    EXPECT_TRUE(polygon->DetachProperty(c.Get()));
    EXPECT_EQ(Properties(*polygon), (std::vector<QrProperty*>{b.Get()}));
    polygon->AttachProperty(a.Get());
    polygon->RemoveAllProperties();
    EXPECT_TRUE(Properties(*polygon).empty());
    EXPECT_EQ(a->GetRefCount(), 1u);
    EXPECT_EQ(b->GetRefCount(), 1u);
    EXPECT_FALSE(polygon->DetachProperty(a.Get()));
}

TEST_F(QrScreenPolygonTest, CorruptRecordsFailCleanly)
{
    QrPointer<QrScreenPolygon> polygon = Make(kTexture, kColors);
    polygon->AttachProperty(QrPointer<QrAlphaProperty>(new QrAlphaProperty).Get());
    const std::vector<uint8_t> bytes = Save({polygon.Get()});
    for (size_t length = 0; length < bytes.size(); ++length)
    {
        std::vector<uint8_t> prefix(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length));
        EXPECT_TRUE(Load(prefix).empty()) << "prefix of " << length << " bytes";
    }

    // A vertex count far beyond the record: the u16 just before the vertex block.
    std::vector<uint8_t> pattern(sizeof(kTriangle));
    std::memcpy(pattern.data(), kTriangle, sizeof(kTriangle));
    const size_t vertices =
        static_cast<size_t>(std::search(bytes.begin(), bytes.end(), pattern.begin(), pattern.end()) - bytes.begin());
    ASSERT_LT(vertices, bytes.size());
    std::vector<uint8_t> huge = bytes;
    huge[vertices - 2] = 0xFF;
    huge[vertices - 1] = 0xFF;
    EXPECT_TRUE(Load(huge).empty());
    EXPECT_EQ(QrStream::LastErrorCode, uint32_t{QrStream::kErrorNotQrf});
}

} // namespace
