#include "TerrainTestHelpers.h"

#include "QrLight.h"
#include "QrMaterialProperty.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

using namespace terraintest;

namespace
{

class QrTerrainLightingTest : public QrEngineTest
{
};

constexpr uint16_t kSize = 9;

// Heights with scale 1 (samples 0 .. 65535 to 0 .. 65535) so slopes are exact.
QrPointer<QrTerrainPage> UnitScalePage(const std::vector<uint16_t>& heights, float spacing = 4.0f)
{
    return QrPointer<QrTerrainPage>(
        new QrTerrainPage(kSize, 0.0f, 0.0f, 0.0f, 65535.0f, spacing, heights.data(), false));
}

void ExpectNear(const QrPoint3& actual, const QrPoint3& expected, const char* what)
{
    EXPECT_NEAR(actual.x, expected.x, 1e-6f) << what;
    EXPECT_NEAR(actual.y, expected.y, 1e-6f) << what;
    EXPECT_NEAR(actual.z, expected.z, 1e-6f) << what;
}

void ExpectColor(const QrColorA& actual, float r, float g, float b, const char* what)
{
    EXPECT_NEAR(actual.r, r, 1e-6f) << what;
    EXPECT_NEAR(actual.g, g, 1e-6f) << what;
    EXPECT_NEAR(actual.b, b, 1e-6f) << what;
    EXPECT_EQ(actual.a, 1.0f) << what;
}

// Material and light chosen so that B = (0.3, 0.05, 0.1) and D = (0.2, 0.3, 0.1).
struct Lighting
{
    QrPointer<QrMaterialProperty> material{new QrMaterialProperty};
    QrPointer<QrLight> light{new QrLight};

    explicit Lighting(uint32_t type)
    {
        material->m_emissive = QrPoint3(0.1f, 0.0f, 0.0f);
        material->m_ambient = QrPoint3(0.5f, 0.25f, 1.0f);
        material->m_diffuse = QrPoint3(0.5f, 1.0f, 0.25f);
        light->SetType(type);
        light->SetAmbientColor(QrPoint3(0.8f, 0.4f, 0.2f));
        light->SetDiffuseColor(QrPoint3(0.8f, 0.6f, 0.8f));
        light->SetDimmer(0.5f);
    }
    void Place(const QrPoint3& position, const QrPoint3& direction)
    {
        light->SetLocalPosition(position);
        light->SetLocalDirection(direction);
        light->UpdateAllInstances();
    }
};

constexpr float kBaseR = 0.3f, kBaseG = 0.05f, kBaseB = 0.1f;
constexpr float kDiffuseR = 0.2f, kDiffuseG = 0.3f, kDiffuseB = 0.1f;

} // namespace

TEST_F(QrTerrainLightingTest, FlatPagesPointUpEverywhereWithOrWithoutNeighbours)
{
    const auto flat = [](int, int) { return uint16_t(1000); };
    auto centre = MakePage(kSize, flat);
    auto west = MakePage(kSize, flat), east = MakePage(kSize, flat);
    auto south = MakePage(kSize, flat), north = MakePage(kSize, flat);
    QrTerrainPage* neighbours[4] = {south.Get(), east.Get(), north.Get(), west.Get()};
    for (QrTerrainPage* const* block :
         {static_cast<QrTerrainPage* const*>(neighbours), static_cast<QrTerrainPage* const*>(nullptr)})
    {
        std::vector<QrPoint3> normals(kSize * kSize, QrPoint3(9.0f, 9.0f, 9.0f));
        centre->ComputeNormals(block, normals.data());
        for (const QrPoint3& n : normals)
            ASSERT_EQ(n, QrPoint3(0.0f, 0.0f, 1.0f));
    }
}

TEST_F(QrTerrainLightingTest, BorderNormalsOfALonePageContinueTheSlope)
{
    // A plane rising 3 per column and 2 per row at spacing 4: every vertex, borders and
    // corners included, has the plane's normal (-0.75, -0.5, 1) normalised.
    const auto heights = MakeHeights(kSize, [](int c, int r) { return uint16_t(1000 + 3 * c + 2 * r); });
    auto page = UnitScalePage(heights);
    QrPoint3 expected(-0.75f, -0.5f, 1.0f);
    expected.Unitize();
    std::vector<QrPoint3> normals(kSize * kSize, QrPoint3(std::numeric_limits<float>::quiet_NaN(), 0.0f, 0.0f));
    page->ComputeNormals(nullptr, normals.data());
    for (uint32_t i = 0; i < normals.size(); ++i)
        ExpectNear(normals[i], expected, "lone page");

    // The same with a neighbour block whose west and north pages are missing.
    const auto eastHeights = MakeHeights(kSize, [](int c, int r) { return uint16_t(1000 + 3 * (c + 8) + 2 * r); });
    const auto southHeights = MakeHeights(kSize, [](int c, int r) { return uint16_t(1000 + 3 * c + 2 * (r - 8)); });
    auto east = UnitScalePage(eastHeights);
    auto south = UnitScalePage(southHeights);
    QrTerrainPage* neighbours[4] = {south.Get(), east.Get(), nullptr, nullptr};
    std::fill(normals.begin(), normals.end(), QrPoint3(std::numeric_limits<float>::quiet_NaN(), 0.0f, 0.0f));
    page->ComputeNormals(neighbours, normals.data());
    for (uint32_t i = 0; i < normals.size(); ++i)
        ExpectNear(normals[i], expected, "partial neighbour block");
}

TEST_F(QrTerrainLightingTest, NormalsAreEqualOnBothSidesOfEveryPageBorder)
{
    Block block;
    std::vector<QrPoint3> normals[Block::kPages][Block::kPages];
    for (int p = 0; p < Block::kPages; ++p)
        for (int q = 0; q < Block::kPages; ++q)
        {
            normals[p][q].assign(129 * 129, QrPoint3(std::numeric_limits<float>::quiet_NaN(), 0.0f, 0.0f));
            block.At(p, q)->ComputeNormals(block.Neighbours(p, q).data(), normals[p][q].data());
            for (const QrPoint3& n : normals[p][q])
                ASSERT_NEAR(n.Length(), 1.0f, 1e-5f) << "every normal written, page " << p << "," << q;
        }
    for (int p = 0; p < Block::kPages; ++p)
        for (int q = 0; q < Block::kPages; ++q)
            for (int i = 0; i < 129; ++i)
            {
                if (q + 1 < Block::kPages)
                {
                    ASSERT_EQ(normals[p][q][i * 129 + 128], normals[p][q + 1][i * 129])
                        << "column border of page " << p << "," << q << " row " << i;
                }
                if (p + 1 < Block::kPages)
                {
                    ASSERT_EQ(normals[p][q][128 * 129 + i], normals[p + 1][q][i])
                        << "row border of page " << p << "," << q << " column " << i;
                }
            }
    // The rough pages are not flat: the test compares real slopes.
    EXPECT_LT(normals[1][2][64 * 129 + 64].z, 0.999f);
}

TEST_F(QrTerrainLightingTest, ComputingIntoThePageMakesGridAndDrawNormals)
{
    auto page = MakePage(kSize, [](int c, int) { return uint16_t(c * 100); });
    EXPECT_EQ(page->GetGridNormals(), nullptr);
    EXPECT_EQ(page->GetDrawNormals(), nullptr);
    page->ComputeNormals(nullptr, nullptr);
    ASSERT_NE(page->GetGridNormals(), nullptr);
    EXPECT_NE(page->GetDrawNormals(), nullptr);
    EXPECT_LT(page->GetGridNormals()[40].x, 0.0f) << "rising along +x leans the normal back";
}

TEST_F(QrTerrainLightingTest, AmbientLightGivesEveryVertexTheBaseColour)
{
    auto page = MakePage(kSize, [](int c, int r) { return uint16_t(c * r * 300); });
    Lighting lighting(QrLight::kAmbient);
    page->LightVertices(lighting.light.Get(), lighting.material.Get(), nullptr);
    ASSERT_NE(page->GetGridColors(), nullptr);
    EXPECT_NE(page->GetDrawColors(), nullptr);
    EXPECT_EQ(page->GetGridNormals(), nullptr) << "normals went to a temporary array";
    for (uint32_t i = 0; i < kSize * kSize; ++i)
        ExpectColor(page->GetGridColors()[i], kBaseR, kBaseG, kBaseB, "ambient");
}

TEST_F(QrTerrainLightingTest, DirectionalLightAddsTheDiffuseColourByTheCosine)
{
    // Slope 0.75 along +x: normal (-0.6, 0, 0.8).
    const auto heights = MakeHeights(kSize, [](int c, int) { return uint16_t(1000 + 3 * c); });
    auto page = UnitScalePage(heights);
    Lighting lighting(QrLight::kDirectional);
    lighting.Place(QrPoint3(), QrPoint3(0.0f, 0.0f, -1.0f)); // straight down
    page->LightVertices(lighting.light.Get(), lighting.material.Get(), nullptr);
    for (uint32_t i = 0; i < kSize * kSize; ++i)
        ExpectColor(page->GetGridColors()[i], kBaseR + kDiffuseR * 0.8f, kBaseG + kDiffuseG * 0.8f,
                    kBaseB + kDiffuseB * 0.8f, "from above");

    // Travelling along the slope's normal direction, the light hits the back: base only.
    lighting.Place(QrPoint3(), QrPoint3(-0.6f, 0.0f, 0.8f));
    page->LightVertices(lighting.light.Get(), lighting.material.Get(), nullptr);
    ExpectColor(page->GetGridColors()[40], kBaseR, kBaseG, kBaseB, "from behind");
}

TEST_F(QrTerrainLightingTest, PointLightLightsEveryVertexIncludingTheBorders)
{
    auto page = MakePage(kSize, [](int, int) { return uint16_t(0); });
    Lighting lighting(QrLight::kPoint);
    // Above vertex (2, 3) at height 4.
    lighting.Place(QrPoint3(2.0f, 3.0f, 4.0f), QrPoint3());
    page->LightVertices(lighting.light.Get(), lighting.material.Get(), nullptr);
    const QrColorA* colors = page->GetGridColors();
    ExpectColor(colors[3 * kSize + 2], kBaseR + kDiffuseR, kBaseG + kDiffuseG, kBaseB + kDiffuseB, "below");
    // Vertex (5, 3): 3 to the side, 4 below: cosine 4 / 5, no attenuation.
    ExpectColor(colors[3 * kSize + 5], kBaseR + kDiffuseR * 0.8f, kBaseG + kDiffuseG * 0.8f, kBaseB + kDiffuseB * 0.8f,
                "to the side");
    // Border vertex (2, 0): 3 away, 4 below.
    ExpectColor(colors[0 * kSize + 2], kBaseR + kDiffuseR * 0.8f, kBaseG + kDiffuseG * 0.8f, kBaseB + kDiffuseB * 0.8f,
                "on the border");

    // A light exactly at a vertex gives it nothing but the base.
    lighting.Place(QrPoint3(4.0f, 4.0f, 0.0f), QrPoint3());
    page->LightVertices(lighting.light.Get(), lighting.material.Get(), nullptr);
    ExpectColor(page->GetGridColors()[4 * kSize + 4], kBaseR, kBaseG, kBaseB, "at the light");
}

TEST_F(QrTerrainLightingTest, SpotLightIsFullOnItsAxisAndOffOutsideItsCone)
{
    auto page = MakePage(kSize, [](int, int) { return uint16_t(0); });
    Lighting lighting(QrLight::kSpot);
    lighting.light->SetSpotAngle(30.0f);
    lighting.Place(QrPoint3(4.0f, 4.0f, 2.0f), QrPoint3(0.0f, 0.0f, -1.0f));
    page->LightVertices(lighting.light.Get(), lighting.material.Get(), nullptr);
    const QrColorA* colors = page->GetGridColors();
    ExpectColor(colors[4 * kSize + 4], kBaseR + kDiffuseR, kBaseG + kDiffuseG, kBaseB + kDiffuseB, "on the axis");
    ExpectColor(colors[4 * kSize + 8], kBaseR, kBaseG, kBaseB, "outside the cone");

    // Inside the cone: vertex (5, 4), L = (-1, 0, 2).
    const float angle = 30.0f * QrLight::kDegreesToRadians;
    const float cos2 = std::cos(angle) * std::cos(angle), sin2 = std::sin(angle) * std::sin(angle);
    const float q = -2.0f, length2 = 5.0f;
    const float u = q * q - length2 * cos2;
    const float w = u * 2.0f / (std::sqrt(length2) * q * q * sin2);
    ASSERT_GT(w, 0.0f);
    ExpectColor(colors[4 * kSize + 5], kBaseR + kDiffuseR * w, kBaseG + kDiffuseG * w, kBaseB + kDiffuseB * w,
                "inside");

    // Pointing up, the page lies behind the light.
    lighting.Place(QrPoint3(4.0f, 4.0f, 2.0f), QrPoint3(0.0f, 0.0f, 1.0f));
    page->LightVertices(lighting.light.Get(), lighting.material.Get(), nullptr);
    ExpectColor(page->GetGridColors()[4 * kSize + 4], kBaseR, kBaseG, kBaseB, "behind");
}

TEST_F(QrTerrainLightingTest, ALightIsTakenIntoThePagesFrame)
{
    // The same page moved by (100, 50, 0) and lit from the moved position: the same colours.
    auto still = MakePage(kSize, [](int c, int r) { return uint16_t(c * 900 + r * 400); });
    auto moved = MakePage(kSize, [](int c, int r) { return uint16_t(c * 900 + r * 400); });
    moved->SetTranslate(100.0f, 50.0f, 0.0f);
    moved->UpdateAllInstances();
    Lighting lighting(QrLight::kPoint);
    lighting.Place(QrPoint3(3.0f, 2.0f, 9.0f), QrPoint3());
    still->LightVertices(lighting.light.Get(), lighting.material.Get(), nullptr);
    lighting.Place(QrPoint3(103.0f, 52.0f, 9.0f), QrPoint3());
    moved->LightVertices(lighting.light.Get(), lighting.material.Get(), nullptr);
    for (uint32_t i = 0; i < kSize * kSize; ++i)
        ExpectColor(moved->GetGridColors()[i], still->GetGridColors()[i].r, still->GetGridColors()[i].g,
                    still->GetGridColors()[i].b, "moved");
}

TEST_F(QrTerrainLightingTest, ASecondLightReplacesTheColours)
{
    auto page = MakePage(kSize, [](int, int) { return uint16_t(0); });
    Lighting sun(QrLight::kDirectional);
    sun.Place(QrPoint3(), QrPoint3(0.0f, 0.0f, -1.0f));
    page->LightVertices(sun.light.Get(), sun.material.Get(), nullptr);
    Lighting ambient(QrLight::kAmbient);
    page->LightVertices(ambient.light.Get(), ambient.material.Get(), nullptr);
    for (uint32_t i = 0; i < kSize * kSize; ++i)
        ExpectColor(page->GetGridColors()[i], kBaseR, kBaseG, kBaseB, "not summed");

    // A missing material is the default one; a missing light changes nothing.
    page->LightVertices(ambient.light.Get(), nullptr, nullptr);
    const QrMaterialProperty* def = QrMaterialProperty::GetDefault();
    const float r = def->m_emissive.x + def->m_ambient.x * 0.8f * 0.5f;
    EXPECT_NEAR(page->GetGridColors()[0].r, r, 1e-6f);
    page->LightVertices(nullptr, nullptr, nullptr);
    EXPECT_NEAR(page->GetGridColors()[0].r, r, 1e-6f);
}
