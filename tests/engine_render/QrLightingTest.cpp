// Per-vertex lighting against colours worked out by hand: each light kind, attenuation and
// reach, the spot cone (also wider than a half space), material limits, vertex-colour
// combination, the 255 ceiling and the specular term.

#include "QrBound.h"
#include "QrColorA.h"
#include "QrD3DDriver.h"
#include "QrLight.h"
#include "QrLightVertices.h"
#include "QrMaterialProperty.h"
#include "QrTestFixture.h"
#include "QrTransformedVertex.h"

#include <cmath>

namespace
{

class QrLightingTest : public QrEngineTest
{
protected:
    void SetUp() override
    {
        QrEngineTest::SetUp();
        m_driver = std::make_unique<QrD3DDriver>();
        m_material = new QrMaterialProperty;
        m_material->m_ambient = QrPoint3(0.5f, 0.5f, 0.5f);
        m_material->m_diffuse = QrPoint3(0.5f, 0.5f, 0.5f);
        m_driver->GetMaterialCache().SetCurrent(m_material.Get());
        m_bound.Set(QrPoint3(), 0.0f);
    }

    void TearDown() override
    {
        m_lights.clear();
        m_material = nullptr;
        m_driver.reset();
        QrEngineTest::TearDown();
    }

    // A light in force with diffuse white and no ambient.
    QrLight* AddLight(uint32_t type, const QrPoint3& position, const QrPoint3& direction = QrPoint3())
    {
        QrPointer<QrLight> light(new QrLight);
        light->SetType(type);
        light->SetLocalPosition(position);
        light->SetLocalDirection(direction);
        light->SetAmbientColor(QrPoint3(0.0f, 0.0f, 0.0f));
        light->SetAttenuate(0);
        light->UpdateAllInstances();
        m_lights.push_back(light);
        return light.Get();
    }

    void Enable(QrLight* light, bool on = true) { m_driver->GetLightCache().Update(*light, on); }

    // Lights one vertex at p with normal n and returns its record.
    QrTransformedVertex Light(const QrPoint3& p, const QrPoint3& n, const QrColorA* color = nullptr,
                              bool specular = false, bool add = false, bool withNormals = true)
    {
        QrTransformedVertex record;
        record.used = 1;
        record.batch = 7;
        QrLightVertices(*m_driver, 1, &record, &p, withNormals ? &n : nullptr, nullptr, color, m_bound, specular, add);
        EXPECT_EQ(record.batch, 0u);
        return record;
    }

    const QrPoint3 kUp{0.0f, 0.0f, 1.0f};
    std::unique_ptr<QrD3DDriver> m_driver;
    QrPointer<QrMaterialProperty> m_material;
    std::vector<QrPointer<QrLight>> m_lights;
    QrBound m_bound;
};

TEST_F(QrLightingTest, DirectionalLightIsTheCosineOfItsNormalisedDirection)
{
    Enable(AddLight(QrLight::kDirectional, QrPoint3(), QrPoint3(0.0f, 0.0f, -2.0f)));
    QrTransformedVertex v = Light(QrPoint3(), kUp);
    EXPECT_FLOAT_EQ(v.red, 127.5f);
    EXPECT_FLOAT_EQ(v.blue, 127.5f);
    EXPECT_FLOAT_EQ(v.alpha, 255.0f);
    // From behind: nothing.
    v = Light(QrPoint3(), QrPoint3(0.0f, 0.0f, -1.0f));
    EXPECT_EQ(v.red, 0.0f);

    // A direction too short to normalise lights nothing.
    m_driver = std::make_unique<QrD3DDriver>();
    m_driver->GetMaterialCache().SetCurrent(m_material.Get());
    Enable(AddLight(QrLight::kDirectional, QrPoint3(), QrPoint3(0.0f, 0.0f, -1e-7f)));
    EXPECT_EQ(Light(QrPoint3(), kUp).red, 0.0f);
}

TEST_F(QrLightingTest, PointLightWithoutAttenuationFallsWithTheAngleOnly)
{
    Enable(AddLight(QrLight::kPoint, QrPoint3(0.0f, 0.0f, 2.0f)));
    EXPECT_FLOAT_EQ(Light(QrPoint3(), kUp).green, 127.5f);
    EXPECT_FLOAT_EQ(Light(QrPoint3(0.0f, -2.0f, 0.0f), kUp).green, 127.5f * 2.0f / std::sqrt(8.0f));
}

TEST_F(QrLightingTest, AttenuationReachesOneSixtyFourthAtTheRadius)
{
    QrLight* light = AddLight(QrLight::kPoint, QrPoint3(0.0f, 0.0f, 10.0f));
    light->SetAttenuate(1);
    light->SetRadius(10.0f);
    light->SetFalloff(0.0f);
    Enable(light);
    m_bound.Set(QrPoint3(), 1.0f);
    EXPECT_FLOAT_EQ(Light(QrPoint3(), kUp).red, 127.5f / 64.0f);
    // Halfway: 1/32 with falloff 0.
    EXPECT_FLOAT_EQ(Light(QrPoint3(0.0f, 0.0f, 5.0f), kUp).red, 127.5f / 32.0f);
}

TEST_F(QrLightingTest, CubicFalloffGivesAnEighthAtHalfTheRadius)
{
    QrLight* light = AddLight(QrLight::kPoint, QrPoint3(0.0f, 0.0f, 5.0f));
    light->SetAttenuate(1);
    light->SetRadius(10.0f);
    light->SetFalloff(1.0f);
    Enable(light);
    EXPECT_FLOAT_EQ(Light(QrPoint3(), kUp).red, 127.5f / 8.0f);
    // Its reach is the radius: the pure cube root, not a division by a zero linear term.
    QrLightRecord* record = m_driver->GetLightCache().Find(static_cast<int32_t>(light->GetSerial()));
    ASSERT_TRUE(record);
    EXPECT_NEAR(QrLightCache::Range(*record), 10.0f, 1e-4f);
}

TEST_F(QrLightingTest, ShapesBeyondAPointLightsReachGetNothingFromIt)
{
    // Reach 10 for falloff 0; the light is 12 from the bound's centre.
    m_material->m_specular = QrPoint3(1.0f, 1.0f, 1.0f);
    m_material->m_revision++;
    m_driver->GetMaterialCache().SetCurrent(m_material.Get());
    QrLight* light = AddLight(QrLight::kPoint, QrPoint3(0.0f, 0.0f, 12.0f));
    light->SetAttenuate(1);
    light->SetRadius(10.0f);
    light->SetFalloff(0.0f);
    Enable(light);
    m_driver->SetCameraData(QrPoint3(0.0f, 0.0f, 12.0f), QrPoint3(0.0f, 0.0f, 1.0f), QrPoint3(0.0f, 1.0f, 0.0f),
                            {-1, 1, 1, -1, 1, 100}, {0, 640, 480, 0});
    m_bound.Set(QrPoint3(), 1.9f);
    QrTransformedVertex v = Light(QrPoint3(), kUp, nullptr, true);
    EXPECT_EQ(v.red, 0.0f);
    EXPECT_EQ(v.specular, 0.0f);
    m_bound.Set(QrPoint3(), 2.1f);
    v = Light(QrPoint3(), kUp, nullptr, true);
    EXPECT_FLOAT_EQ(v.red, 127.5f * 12.0f / (144.0f * 6.4f));
    // 255 (R.E)^2 / ((E.E) (D2 (D2 k2 + k1) + D2)) with R = E = V = (0, 0, 12).
    EXPECT_FLOAT_EQ(v.specular, 255.0f * 144.0f / (144.0f * 6.4f + 144.0f));
}

TEST_F(QrLightingTest, LightWithoutRadiusAddsOnlyItsAmbient)
{
    QrLight* light = AddLight(QrLight::kPoint, QrPoint3(0.0f, 0.0f, 2.0f));
    light->SetAttenuate(1);
    light->SetRadius(0.0f);
    light->SetAmbientColor(QrPoint3(0.2f, 0.2f, 0.2f));
    Enable(light);
    m_bound.Set(QrPoint3(), 10.0f);
    EXPECT_NEAR(Light(QrPoint3(), kUp).red, 0.5f * 255.0f * 0.2f, 1e-4f);
}

TEST_F(QrLightingTest, SpotConeIsFullOnTheAxisAndEmptyAtItsEdge)
{
    QrLight* spot = AddLight(QrLight::kSpot, QrPoint3(0.0f, 0.0f, 2.0f), QrPoint3(0.0f, 0.0f, -1.0f));
    spot->SetSpotAngle(30.0f);
    Enable(spot);
    EXPECT_NEAR(Light(QrPoint3(), kUp).red, 127.5f, 1e-3f);
    // 30 degrees off the axis, and beyond.
    const float edge = 2.0f * std::tan(30.0f * 0.01745328f);
    EXPECT_NEAR(Light(QrPoint3(edge, 0.0f, 0.0f), kUp).red, 0.0f, 1e-3f);
    EXPECT_EQ(Light(QrPoint3(2.0f, 0.0f, 0.0f), kUp).red, 0.0f);
    // Half the way to the edge: 1 - tan^2(beta) / tan^2(alpha), times the cosine at the vertex.
    const QrPoint3 half(edge * 0.5f, 0.0f, 0.0f);
    const float d = std::sqrt(4.0f + half.x * half.x);
    EXPECT_NEAR(Light(half, kUp).red, 127.5f * 0.75f * 2.0f / d, 1e-3f);
}

TEST_F(QrLightingTest, SpotWiderThanAHalfSpaceLightsEverythingAheadEvenly)
{
    QrLight* spot = AddLight(QrLight::kSpot, QrPoint3(0.0f, 0.0f, 2.0f), QrPoint3(0.0f, 0.0f, -1.0f));
    spot->SetSpotAngle(120.0f);
    Enable(spot);
    const QrTransformedVertex v = Light(QrPoint3(3.0f, 0.0f, 0.0f), kUp);
    EXPECT_TRUE(std::isfinite(v.red));
    EXPECT_NEAR(v.red, 127.5f * 2.0f / std::sqrt(13.0f), 1e-3f);
    // Behind the light: nothing.
    EXPECT_EQ(Light(QrPoint3(0.0f, 0.0f, 3.0f), QrPoint3(0.0f, 0.0f, -1.0f)).red, 0.0f);
}

TEST_F(QrLightingTest, MaterialColoursAreLimitedToZeroAndOne)
{
    m_material->m_diffuse = QrPoint3(2.0f, 0.5f, -1.0f);
    m_material->m_alpha = 1.5f;
    m_material->m_revision++;
    m_driver->GetMaterialCache().SetCurrent(m_material.Get());
    Enable(AddLight(QrLight::kDirectional, QrPoint3(), QrPoint3(0.0f, 0.0f, -1.0f)));
    const QrTransformedVertex v = Light(QrPoint3(), kUp);
    EXPECT_FLOAT_EQ(v.red, 255.0f);
    EXPECT_FLOAT_EQ(v.green, 127.5f);
    EXPECT_FLOAT_EQ(v.blue, 0.0f);
    EXPECT_FLOAT_EQ(v.alpha, 255.0f);
}

TEST_F(QrLightingTest, MaterialCopyIsRefreshedOnlyWhenItsRevisionMoves)
{
    m_material->m_emissive = QrPoint3(1.0f, 1.0f, 1.0f);
    m_driver->GetMaterialCache().SetCurrent(m_material.Get());
    EXPECT_EQ(Light(QrPoint3(), kUp).red, 0.0f);
    m_material->m_revision++;
    m_driver->GetMaterialCache().SetCurrent(m_material.Get());
    EXPECT_EQ(Light(QrPoint3(), kUp).red, 255.0f);
}

TEST_F(QrLightingTest, WithoutLightsVerticesGetTheEmissiveColourAndMaterialAlpha)
{
    m_material->m_emissive = QrPoint3(0.2f, 0.4f, 0.6f);
    m_material->m_alpha = 0.5f;
    m_material->m_revision++;
    m_driver->GetMaterialCache().SetCurrent(m_material.Get());
    QrLight* off = AddLight(QrLight::kDirectional, QrPoint3(), QrPoint3(0.0f, 0.0f, -1.0f));
    Enable(off);
    Enable(off, false);
    const QrTransformedVertex v = Light(QrPoint3(), kUp);
    EXPECT_FLOAT_EQ(v.red, 0.2f * 255.0f);
    EXPECT_FLOAT_EQ(v.green, 0.4f * 255.0f);
    EXPECT_FLOAT_EQ(v.blue, 0.6f * 255.0f);
    EXPECT_FLOAT_EQ(v.alpha, 127.5f);
    // The record stays for the light's return.
    EXPECT_TRUE(m_driver->GetLightCache().Find(static_cast<int32_t>(off->GetSerial())));
    Enable(off);
    EXPECT_FLOAT_EQ(Light(QrPoint3(), kUp).red, 0.2f * 255.0f + 127.5f);
}

TEST_F(QrLightingTest, VertexColoursMultiplyOrAddAndEverySumStopsAt255)
{
    QrLight* light = AddLight(QrLight::kDirectional, QrPoint3(), QrPoint3(0.0f, 0.0f, -1.0f));
    light->SetAmbientColor(QrPoint3(0.2f, 0.2f, 0.2f));
    Enable(light);
    const QrColorA c(0.5f, 1.0f, 0.0f, 0.5f);
    // Lit: 127.5 diffuse + 25.5 ambient = 153.
    QrTransformedVertex v = Light(QrPoint3(), kUp, &c);
    EXPECT_FLOAT_EQ(v.red, 76.5f);
    EXPECT_FLOAT_EQ(v.green, 153.0f);
    EXPECT_FLOAT_EQ(v.blue, 0.0f);
    EXPECT_FLOAT_EQ(v.alpha, 127.5f);
    v = Light(QrPoint3(), kUp, &c, false, true);
    EXPECT_FLOAT_EQ(v.red, 255.0f);
    EXPECT_FLOAT_EQ(v.green, 255.0f);
    EXPECT_FLOAT_EQ(v.blue, 153.0f);
    EXPECT_FLOAT_EQ(v.alpha, 127.5f);
    // Without normals: the emissive colour (black) with the vertex colour, no ambient.
    v = Light(QrPoint3(), kUp, &c, false, true, false);
    EXPECT_FLOAT_EQ(v.red, 127.5f);
    EXPECT_FLOAT_EQ(v.blue, 0.0f);
}

TEST_F(QrLightingTest, SpecularHighlightIsTheSquaredCosineOfTheReflection)
{
    m_material->m_specular = QrPoint3(0.0f, 0.0f, 0.5f);
    m_material->m_revision++;
    m_driver->GetMaterialCache().SetCurrent(m_material.Get());
    QrLight* light = AddLight(QrLight::kDirectional, QrPoint3(), QrPoint3(0.0f, -1.0f, -1.0f));
    light->SetSpecularColor(QrPoint3(0.0f, 0.0f, 1.0f));
    Enable(light);
    // The reflection of (0, -1, -1)/sqrt 2 is (0, -1, 1)/sqrt 2; the eye straight along it,
    // then from straight above, 45 degrees off it.
    m_driver->SetCameraData(QrPoint3(0.0f, -4.0f, 4.0f), QrPoint3(0.0f, 0.0f, 1.0f), QrPoint3(0.0f, 1.0f, 0.0f),
                            {-1, 1, 1, -1, 1, 100}, {0, 640, 480, 0});
    EXPECT_NEAR(Light(QrPoint3(), kUp, nullptr, true).specular, 127.5f, 1e-3f);
    m_driver->SetCameraData(QrPoint3(0.0f, 0.0f, 4.0f), QrPoint3(0.0f, 0.0f, 1.0f), QrPoint3(0.0f, 1.0f, 0.0f),
                            {-1, 1, 1, -1, 1, 100}, {0, 640, 480, 0});
    EXPECT_NEAR(Light(QrPoint3(), kUp, nullptr, true).specular, 127.5f * 0.5f, 1e-3f);
    // Without the flag the kernel leaves the highlight alone.
    EXPECT_EQ(Light(QrPoint3(), kUp).specular, 0.0f);
}

TEST_F(QrLightingTest, SpecularDividesByEachKindsOwnDistanceTerm)
{
    // Vertex at the origin facing up, light 2 above it (D2 = 4), eye 8 above: R = V = (0, 0, 2),
    // E = (0, 0, 8), so S (R.E)^2 / (E.E) = 4 S with S = 255 x 0.25. A spot of 30 degrees
    // pointing down also multiplies by t = s^2 - D2 cos^2 and divides by s^2 sin^2 (s^2 = 4).
    m_material->m_specular = QrPoint3(0.0f, 0.0f, 0.25f);
    m_bound.Set(QrPoint3(), 1.0f);
    const float alpha = 30.0f * 0.01745328f;
    const float cos2 = std::cos(alpha) * std::cos(alpha);
    const float sin2 = std::sin(alpha) * std::sin(alpha);
    const float t = 4.0f - 4.0f * cos2;
    const float k1 = 6.4f; // radius 10, falloff 0
    const float s = 255.0f * 0.25f;
    struct Case
    {
        const char* what;
        uint32_t type;
        bool attenuated;
        float expected;
    } cases[] = {
        {"point", QrLight::kPoint, false, 4.0f * s / (2.0f + 4.0f)},
        {"attenuated point", QrLight::kPoint, true, 4.0f * s / (4.0f * k1 + 4.0f)},
        {"spot", QrLight::kSpot, false, 4.0f * s * t / (2.0f * 4.0f * sin2)},
        {"attenuated spot", QrLight::kSpot, true, 4.0f * s * t / (4.0f * k1 * 4.0f * sin2)},
    };
    for (const Case& c : cases)
    {
        m_driver = std::make_unique<QrD3DDriver>();
        m_driver->GetMaterialCache().SetCurrent(m_material.Get());
        m_driver->SetCameraData(QrPoint3(0.0f, 0.0f, 8.0f), QrPoint3(0.0f, 0.0f, 1.0f), QrPoint3(0.0f, 1.0f, 0.0f),
                                {-1, 1, 1, -1, 1, 100}, {0, 640, 480, 0});
        QrLight* light = AddLight(c.type, QrPoint3(0.0f, 0.0f, 2.0f), QrPoint3(0.0f, 0.0f, -1.0f));
        light->SetSpotAngle(30.0f);
        light->SetSpecularColor(QrPoint3(0.0f, 0.0f, 1.0f));
        light->SetAttenuate(c.attenuated ? 1 : 0);
        light->SetRadius(10.0f);
        light->SetFalloff(0.0f);
        Enable(light);
        EXPECT_NEAR(Light(QrPoint3(), kUp, nullptr, true).specular, c.expected, c.expected * 1e-4f) << c.what;
    }
}

TEST_F(QrLightingTest, ReachOfAPartlyCubicFalloffIsTheRootOfTheCubic)
{
    // Falloff strictly between 0 and 1: both coefficients count. A light at half its brightest
    // reaches where k2 d^3 + k1 d = 64 x 0.5, short of the radius where the sum is 64.
    QrLight* light = AddLight(QrLight::kPoint, QrPoint3(0.0f, 0.0f, 20.0f));
    light->SetDiffuseColor(QrPoint3(0.5f, 0.25f, 0.1f));
    light->SetAttenuate(1);
    light->SetRadius(10.0f);
    light->SetFalloff(0.8f);
    Enable(light);
    QrLightRecord* record = m_driver->GetLightCache().Find(static_cast<int32_t>(light->GetSerial()));
    ASSERT_TRUE(record);
    ASSERT_GT(record->k1, 0.0f);
    ASSERT_GT(record->k2, 1e-5f);
    EXPECT_NEAR(record->k1 * 10.0f + record->k2 * 1000.0f, 64.0f, 1e-3f);
    const float range = QrLightCache::Range(*record);
    EXPECT_NEAR(record->k2 * range * range * range + record->k1 * range, 32.0f, 1e-3f);
    EXPECT_LT(range, 10.0f);
    // A shape just inside that reach is lit, one just beyond it is not.
    m_bound.Set(QrPoint3(), 20.0f - range + 0.01f);
    EXPECT_GT(Light(QrPoint3(), kUp).red, 0.0f);
    m_bound.Set(QrPoint3(), 20.0f - range - 0.01f);
    EXPECT_EQ(Light(QrPoint3(), kUp).red, 0.0f);
}

TEST_F(QrLightingTest, NegativeIdsAreNeverStored)
{
    EXPECT_EQ(m_driver->GetLightCache().FindOrCreate(-1), nullptr);
    EXPECT_EQ(m_driver->GetMaterialCache().FindOrCreate(-5), nullptr);
    // Seventeen lights take a second block of records; the live list holds them all.
    for (int i = 0; i < 17; ++i)
        ASSERT_TRUE(m_driver->GetLightCache().FindOrCreate(100 + 53 * i));
    EXPECT_EQ(m_driver->GetLightCache().GetBlockCount(), 2u);
    int live = 0;
    for (QrLightRecord* r = m_driver->GetLightCache().GetLive(); r; r = r->listLink)
        ++live;
    EXPECT_EQ(live, 17);
    EXPECT_EQ(m_driver->GetLightCache().Find(100 + 53 * 5)->id, 100 + 53 * 5);
}

} // namespace
