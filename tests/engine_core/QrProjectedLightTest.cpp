// The projected light: perspective and parallel projections worked out by hand, the modes that
// leave them alone, the second projection kind that older files lack, files and clones.

#include "GeometryFamilyTestHelpers.h"
#include "QrMathTestHelpers.h"

#include "QrAlphaProperty.h"
#include "QrProjectedLight.h"
#include "SceneFileBuilder.h"

#include <cstring>

using namespace familytest;
using geomtest::Load;
using geomtest::RoundTrip;
using geomtest::Save;

namespace
{

void ExpectRow(const float (&row)[4], float a, float b, float c, float d, const char* what)
{
    EXPECT_NEAR(row[0], a, 1e-6f) << what;
    EXPECT_NEAR(row[1], b, 1e-6f) << what;
    EXPECT_NEAR(row[2], c, 1e-6f) << what;
    EXPECT_NEAR(row[3], d, 1e-6f) << what;
}

float Apply(const float (&row)[4], const QrPoint3& p)
{
    return row[0] * p.x + row[1] * p.y + row[2] * p.z + row[3];
}

QrPointer<QrProjectedLight> MakeLight(uint32_t mode)
{
    QrPointer<QrProjectedLight> light(new QrProjectedLight);
    light->SetProjectionMode(mode);
    light->Update(light->GetCurrentInstance());
    return light;
}

class QrProjectedLightTest : public QrEngineTest
{
};

} // namespace

TEST_F(QrProjectedLightTest, DefaultFrameMapsTheRectangleOntoTheUnitSquare)
{
    QrPointer<QrProjectedLight> light = MakeLight(0);
    EXPECT_EQ(light->GetType(), QrProjectedLight::kProjectedType);
    const auto& m = light->GetPerspectiveProjection();
    ExpectRow(m[0], 0, 0, 2, 0, "first");
    ExpectRow(m[1], 0, 2, 0, 0, "second");
    ExpectRow(m[2], 0, 0, 0, 0, "third, never written");
    ExpectRow(m[3], 1, 0, 0, 0, "fourth");
    const QrPoint3 rightEdge(1, 0, 0.5f);
    EXPECT_FLOAT_EQ(Apply(m[0], rightEdge) / Apply(m[3], rightEdge), 1.0f);
    // The planes are the shadow light's pyramid.
    EXPECT_TRUE(Near(light->GetFrame().GetPlane(4).GetNormal(), {1, 0, 0}));
    EXPECT_NEAR(light->GetFrame().GetPlane(4).GetConstant(), 1.01f, 1e-6f);
}

TEST_F(QrProjectedLightTest, PerspectiveRowsForAMovedWideRectangleAndAnOffAxisCentre)
{
    // Lifted to z = 3, focus 2 ahead, width 2, height 4: P = (2, 0, 3), C = (0, 0, 3), e = 2.
    QrPointer<QrProjectedLight> light(new QrProjectedLight);
    light->GetFrame().GetLocalFocus() = QrPoint3(2, 0, 0);
    light->GetFrame().GetWidth() = 2.0f;
    light->GetFrame().GetHeight() = 4.0f;
    light->SetTranslate(0, 0, 3);
    light->Update(light->GetCurrentInstance());
    const auto& m = light->GetPerspectiveProjection();
    ExpectRow(m[0], 0, 0, 2, -6, "first");
    ExpectRow(m[1], 0, 1, 0, 0, "second");
    ExpectRow(m[3], 1, 0, 0, 0, "fourth");
    // A corner of the rectangle, and a point twice as far along the ray through it, map to
    // the corner of the unit square.
    for (const QrPoint3& p : {QrPoint3(2, 2, 4), QrPoint3(4, 4, 5)})
    {
        EXPECT_FLOAT_EQ(Apply(m[0], p) / Apply(m[3], p), 1.0f);
        EXPECT_FLOAT_EQ(Apply(m[1], p) / Apply(m[3], p), 1.0f);
    }

    // A projection centre half a unit above the axis: e = 1, gy = -(U . (C - P)) * 2 = -1.
    QrPointer<QrProjectedLight> offAxis(new QrProjectedLight);
    offAxis->GetFrame().GetLocalCenter() = QrPoint3(0, 0.5f, 0);
    offAxis->Update(offAxis->GetCurrentInstance());
    const auto& o = offAxis->GetPerspectiveProjection();
    ExpectRow(o[1], 1, 2, 0, -1, "second");
    const QrPoint3 topMiddle(1, 0.5f, 0);
    EXPECT_FLOAT_EQ(Apply(o[1], topMiddle) / Apply(o[3], topMiddle), 1.0f);
}

TEST_F(QrProjectedLightTest, ParallelRowsProjectAlongTheLineFromTheCentreToTheFocus)
{
    QrPointer<QrProjectedLight> light = MakeLight(1);
    EXPECT_EQ(light->GetParallelProjection(), QrMatrix3(0, 0, 1, 0, 1, 0, 1, 0, 0));
    EXPECT_EQ(light->GetParallelOffset(), QrPoint3::ZERO);

    // Along A = (1, -1, 0): the second row leans so that it does not change along A.
    light->GetFrame().GetLocalCenter() = QrPoint3(0, 1, 0);
    light->GetFrame().GetHeight() = 0.5f;
    light->Update(light->GetCurrentInstance());
    const QrMatrix3& m = light->GetParallelProjection();
    EXPECT_TRUE(Near(m.GetRow(0), {0, 0, 1}));
    EXPECT_TRUE(Near(m.GetRow(1), {2, 2, 0}));
    EXPECT_TRUE(Near(m.GetRow(2), {1, 0, 0}));
    EXPECT_FLOAT_EQ(m.GetRow(1).Dot(QrPoint3(1, -1, 0)), 0.0f);

    // A line across the light's x axis has no parallel projection along it: no division by
    // zero, the rows project straight along x.
    light->GetFrame().GetLocalCenter() = QrPoint3(1, 1, 0);
    light->Update(light->GetCurrentInstance());
    EXPECT_TRUE(Near(m.GetRow(0), {0, 0, 1}));
    EXPECT_TRUE(Near(m.GetRow(1), {0, 2, 0}));
}

TEST_F(QrProjectedLightTest, OtherModesLeaveBothProjectionsAndThePlanes)
{
    QrPointer<QrProjectedLight> light = MakeLight(0);
    light->SetProjectionMode(1);
    light->Update(light->GetCurrentInstance());
    const QrMatrix3 parallel = light->GetParallelProjection();
    float perspective[4][4];
    std::memcpy(perspective, light->GetPerspectiveProjection(), sizeof(perspective));
    const QrPlane left = light->GetFrame().GetPlane(0);

    light->SetProjectionMode(2);
    light->GetFrame().GetLocalFocus() = QrPoint3(5, 5, 5);
    light->GetFrame().GetWidth() = 9.0f;
    light->Update(light->GetCurrentInstance());
    EXPECT_EQ(light->GetParallelProjection(), parallel);
    EXPECT_EQ(std::memcmp(perspective, light->GetPerspectiveProjection(), sizeof(perspective)), 0);
    EXPECT_EQ(light->GetFrame().GetPlane(0), left);
    // Mode 1 wrote no perspective rows: they are still mode 0's.
    ExpectRow(light->GetPerspectiveProjection()[0], 0, 0, 2, 0, "first");
}

TEST_F(QrProjectedLightTest, FilesKeepEveryStreamedValueAndTheProjectedObject)
{
    QrPointer<QrProjectedLight> light = MakeLight(1);
    light->SetProjectionKind(4);
    light->SetProjectionKind2(6);
    light->SetProjectionValue(7);
    light->SetProjectionOffset(QrPoint3(1, 2, 3));
    light->SetProjectionFactor(9);
    light->GetFrame().GetLocalUp() = QrPoint3(0, 0, 1);
    light->GetFrame().SetRightAxisStale();
    light->GetFrame().GetLocalRight();
    light->SetRotate(0.5f, 1, 0, 0);
    light->Update(light->GetCurrentInstance());
    light->SetProjectedObject(new QrAlphaProperty);
    QrPointer<QrProjectedLight> loaded = RoundTrip<QrProjectedLight>(light.Get());
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->GetProjectionKind2(), 6u);
    ASSERT_NE(loaded->GetProjectedObject(), nullptr);
    EXPECT_TRUE(loaded->GetProjectedObject()->IsKindOf(&QrAlphaProperty::ms_RTTI));
    EXPECT_EQ(loaded->GetParallelProjection(), light->GetParallelProjection());

    light->SetProjectionFactor(10);
    EXPECT_FALSE(light->IsEqual(loaded.Get()));
    light->SetProjectionFactor(9);
    light->SetProjectedObject(nullptr);
    EXPECT_FALSE(light->IsEqual(loaded.Get()));

    // Without a projected object the link is null.
    QrPointer<QrProjectedLight> bare = RoundTrip<QrProjectedLight>(light.Get());
    ASSERT_TRUE(bare);
    EXPECT_EQ(bare->GetProjectedObject(), nullptr);
}

TEST_F(QrProjectedLightTest, OlderFilesLackTheSecondKindAndASaveWritesIt)
{
    QrPointer<QrProjectedLight> light = MakeLight(0);
    light->SetProjectionKind(0x11223344);
    light->SetProjectionKind2(0x55667788);
    const std::vector<uint8_t> current = Save({light.Get()});
    light->SetProjectionKind2(0);
    const std::vector<uint8_t> withZero = Save({light.Get()});

    // The same record in a "2.16" file: a header of that version, the second kind cut out.
    const std::vector<uint8_t> header = SceneFileBuilder().Data();
    ASSERT_TRUE(std::equal(header.begin(), header.end(), current.begin()));
    std::vector<uint8_t> old = SceneFileBuilder("2.16").Data();
    old.insert(old.end(), current.begin() + std::ptrdiff_t(header.size()), current.end());
    const uint8_t kinds[] = {0x44, 0x33, 0x22, 0x11, 0x88, 0x77, 0x66, 0x55};
    auto at = std::search(old.begin(), old.end(), std::begin(kinds), std::end(kinds));
    ASSERT_NE(at, old.end());
    old.erase(at + 4, at + 8);

    std::vector<QrPointer<QrObject>> loaded = Load(old);
    ASSERT_EQ(loaded.size(), 1u) << QrStream::LastErrorMessage << " " << QrStream::LastErrorContext;
    auto* older = QrDynamicCast<QrProjectedLight>(loaded[0].Get());
    ASSERT_NE(older, nullptr);
    EXPECT_EQ(older->GetProjectionKind(), 0x11223344u);
    EXPECT_EQ(older->GetProjectionKind2(), 0u);
    EXPECT_TRUE(older->IsEqual(light.Get()));
    EXPECT_EQ(Save({older}), withZero);
}

TEST_F(QrProjectedLightTest, ACloneIsAProjectedLightOfItsOwn)
{
    QrPointer<QrProjectedLight> light = MakeLight(1);
    light->SetProjectionValue(3);
    light->SetProjectedObject(new QrAlphaProperty);
    QrPointer<QrAVObject> copy = light->CreateClone();
    auto* clone = QrDynamicCast<QrProjectedLight>(copy.Get());
    ASSERT_NE(clone, nullptr);
    EXPECT_NE(clone->GetSerial(), light->GetSerial());
    EXPECT_TRUE(clone->IsEqual(light.Get()));
    EXPECT_EQ(clone->GetProjectedObject(), light->GetProjectedObject());
    // Setters of an ordinary light do nothing here either.
    clone->SetType(QrLight::kSpot);
    EXPECT_EQ(clone->GetType(), QrProjectedLight::kProjectedType);
}
