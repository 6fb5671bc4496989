#include "qrxSkyDome.h"
#include "qrxSkyCamAction.h"

#include "QrTestFixture.h"

#include "QrCamera.h"
#include "QrColorA.h"
#include "QrTextureModeProperty.h"
#include "QrTextureProperty.h"
#include "QrTriShape.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{

class qrxSkyDomeTest : public QrEngineTest
{
};

QrPoint3 Cross(const QrPoint3& a, const QrPoint3& b)
{
    return QrPoint3(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}

TEST_F(qrxSkyDomeTest, MeshIsAnInwardWoundUpperHalfSphere)
{
    const QrPoint3* v = qrxSkyDome::GetUnitVertices();
    // The first rows as the dome's layout begins.
    const float first[8][3] = {
        {0.162461f, 0.500001f, 0.85065f},  {0.525732f, 0, 0.85065f},  {0, 0, 1},
        {0.723607f, 0.525731f, 0.447213f}, {0.894427f, 0, 0.447213f}, {0.276394f, 0.850651f, 0.447213f},
        {0.951057f, 0.309017f, 0},         {0.951057f, -0.309017f, 0}};
    for (int i = 0; i < 8; ++i)
    {
        EXPECT_NEAR(v[i].x, first[i][0], 2e-6) << i;
        EXPECT_NEAR(v[i].y, first[i][1], 2e-6) << i;
        EXPECT_NEAR(v[i].z, first[i][2], 2e-6) << i;
    }
    for (int i = 0; i < qrxSkyDome::kVertexCount; ++i)
    {
        EXPECT_NEAR(v[i].x * v[i].x + v[i].y * v[i].y + v[i].z * v[i].z, 1.0f, 1e-5) << i;
        EXPECT_GE(v[i].z, 0.0f) << i;
    }
    const uint16_t* t = qrxSkyDome::GetTriangleIndices();
    float area = 0.0f; // projected onto the ground
    for (int i = 0; i < qrxSkyDome::kTriangleCount; ++i)
    {
        const uint16_t a = t[3 * i], b = t[3 * i + 1], c = t[3 * i + 2];
        ASSERT_LT(std::max({a, b, c}), qrxSkyDome::kVertexCount);
        const QrPoint3 n = Cross(v[b] - v[a], v[c] - v[b]);
        const QrPoint3 centre = (v[a] + v[b] + v[c]) / 3.0f;
        // Faces the camera at the centre, so no triangle is culled from inside.
        EXPECT_LT(n.x * centre.x + n.y * centre.y + n.z * centre.z, 0.0f) << i;
        area -= 0.5f * n.z;
    }
    // Seen from above, triangles that neither overlap nor leave holes fill the rim's decagon.
    EXPECT_NEAR(area, 5.0f * std::sin(3.14159265f / 5.0f), 1e-4);
}

TEST_F(qrxSkyDomeTest, DomeStandsFlattenedOnTheGroundAroundItsNode)
{
    QrPointer<qrxSkyDome> dome(new qrxSkyDome(1800.0f));
    EXPECT_EQ(dome->GetScale(), 1800.0f);
    dome->SetScaleFactor(0.01f);
    EXPECT_FLOAT_EQ(dome->GetScale(), 18.0f);
    dome->SetScaleFactor(-0.01f);
    EXPECT_FLOAT_EQ(dome->GetScale(), 18.0f);
    dome->UpdateAllInstances();

    QrTriShape* shape = dome->GetGeometry();
    const QrPoint3* world = shape->GetWorldVertices();
    ASSERT_NE(world, nullptr);
    // The pole straight up at a fifth of the radius, the rim on the node's ground plane.
    EXPECT_NEAR(world[2].x, 0.0f, 1e-3);
    EXPECT_NEAR(world[2].y, 18.0f * 0.2f, 1e-3);
    EXPECT_NEAR(world[2].z, 0.0f, 1e-3);
    for (int i : {6, 7, 8, 11})
    {
        EXPECT_NEAR(world[i].y, 0.0f, 1e-3) << i;
        EXPECT_NEAR(std::hypot(world[i].x, world[i].z), 18.0f, 1e-3) << i;
    }
}

TEST_F(qrxSkyDomeTest, BlendChoosesTheTextureOnTheNode)
{
    QrPointer<qrxSkyDome> dome(new qrxSkyDome(1700.0f));
    QrPointer<QrTextureProperty> a(new QrTextureProperty), b(new QrTextureProperty), c(new QrTextureProperty);
    auto shows = [&](QrTextureProperty* p) { return dome->GetPropertyList().Contains(p); };

    dome->SetFirstProperty(a.Get());
    dome->SetSecondProperty(b.Get());
    EXPECT_TRUE(shows(a.Get()));
    EXPECT_FALSE(shows(b.Get()));
    const struct
    {
        float blend;
        bool second;
    } steps[] = {{0.49f, false}, {0.5f, true}, {0.9f, true}, {0.2f, false}, {1.0f, true}};
    for (const auto& step : steps)
    {
        dome->SetBlend(step.blend);
        EXPECT_EQ(shows(b.Get()), step.second) << step.blend;
        EXPECT_EQ(shows(a.Get()), !step.second) << step.blend;
    }

    // Replacing the shown second picture shows the new one at once; the same blend again
    // then changes nothing.
    dome->SetSecondProperty(c.Get());
    EXPECT_TRUE(shows(c.Get()));
    EXPECT_FALSE(shows(b.Get()));
    dome->SetFirstProperty(b.Get());
    dome->SetBlend(1.0f);
    EXPECT_TRUE(shows(c.Get()));
    EXPECT_FALSE(shows(b.Get()));
    dome->SetSecondProperty(nullptr);
    EXPECT_FALSE(shows(c.Get()));
    dome->SetBlend(0.0f);
    EXPECT_TRUE(shows(b.Get()));
}

TEST_F(qrxSkyDomeTest, AlphaAndBrightnessGoIntoEveryVertexColour)
{
    QrPointer<qrxSkyDome> dome(new qrxSkyDome(1800.0f));
    const QrColorA* colors = dome->GetGeometry()->GetColors();
    EXPECT_EQ(colors[64].a, 0.0f);
    EXPECT_EQ(colors[64].r, 1.0f);
    const struct
    {
        float in, out;
    } cases[] = {{0.25f, 0.25f}, {-1.0f, 0.0f}, {7.0f, 1.0f}, {std::nanf(""), 0.0f}};
    for (const auto& c : cases)
    {
        dome->SetAlpha(c.in);
        dome->SetBrightness(c.in);
        for (int i = 0; i < qrxSkyDome::kVertexCount; ++i)
        {
            ASSERT_EQ(colors[i].a, c.out) << c.in;
            ASSERT_EQ(colors[i].r, c.out) << c.in;
            ASSERT_EQ(colors[i].b, c.out) << c.in;
        }
    }
}

TEST_F(qrxSkyDomeTest, TextureModeOfNewDomes)
{
    qrxSkyDome::SetTextureMode(4);
    QrPointer<qrxSkyDome> dome(new qrxSkyDome(1.0f));
    qrxSkyDome::SetTextureMode(1);
    QrTextureModeProperty* mode = nullptr;
    for (QrProperty* p : dome->GetPropertyList())
        if (p->Type() == QrProperty::kTextureMode)
            mode = static_cast<QrTextureModeProperty*>(p);
    ASSERT_NE(mode, nullptr);
    EXPECT_EQ(mode->m_applyMode, 3u);
    EXPECT_EQ(mode->m_filterMode, 4u);
    EXPECT_EQ(mode->m_clampMode, 3u);
}

TEST_F(qrxSkyDomeTest, CameraActionKeepsTheDomeOnTheCamera)
{
    QrPointer<qrxSkyDome> dome(new qrxSkyDome(1800.0f));
    dome->SetScaleFactor(0.01f);
    QrPointer<QrCamera> camera(new QrCamera(1.0f, 400.0f));
    dome->AttachToCamera(camera.Get());
    dome->AttachToCamera(nullptr);
    ASSERT_TRUE(camera->GetActions().Contains(dome->GetCameraAction()));

    qrxSkyCamAction* action = dome->GetCameraAction();
    // Without a running camera there is nothing to follow, and the action stays.
    EXPECT_TRUE(action->Update(0.0, 0.0));
    const QrPoint3 eyes[] = {{3.0f, 2.0f, -4.0f}, {-120.5f, 0.25f, 77.0f}, {0.0f, -1.0f, 0.0f}};
    for (const QrPoint3& eye : eyes)
    {
        camera->SetTranslate(eye.x, eye.y, eye.z);
        camera->Update(camera->GetCurrentInstance());
        action->SetCamera(camera.Get());
        EXPECT_TRUE(action->Update(1.0, 0.1));
        action->SetCamera(nullptr);
        // 1 - r / (s F) = 1 - 1800 / (18 x 400) = 0.75.
        EXPECT_FLOAT_EQ(dome->GetTranslate().x, eye.x);
        EXPECT_FLOAT_EQ(dome->GetTranslate().y, eye.y * 0.75f);
        EXPECT_FLOAT_EQ(dome->GetTranslate().z, eye.z);
        // The node was updated: the pole stands over the eye.
        const QrPoint3& pole = dome->GetGeometry()->GetWorldVertices()[2];
        EXPECT_NEAR(pole.x, eye.x, 1e-3);
        EXPECT_NEAR(pole.y, eye.y * 0.75f + 3.6f, 1e-3);
        EXPECT_NEAR(pole.z, eye.z, 1e-3);
    }

    // The camera outlives the dome: its action lets go instead of moving a dead node.
    QrPointer<qrxSkyCamAction> kept(action);
    dome = nullptr;
    kept->SetCamera(camera.Get());
    EXPECT_FALSE(kept->Update(2.0, 0.1));
    kept->SetCamera(nullptr);
    EXPECT_TRUE(camera->DetachObject(kept.Get()));
}

} // namespace
