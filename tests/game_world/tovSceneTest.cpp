#include "tovScene.h"
#include "qrxWaveGrid.h"
#include "tovWater.h"
#include "tovWaterCrossAction.h"
#include "tovWorldServices.h"

#include "QrTestFixture.h"
#include "RecordingRender.h"

#include "QrAlphaProperty.h"
#include "QrCamera.h"
#include "QrColorA.h"
#include "QrDisplay.h"
#include "QrTriShape.h"
#include "QrZBufferProperty.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{

// Keeps the x of every drawn shape's bound centre: the tests place each part at its own x.
class OrderRender : public RecordingRender
{
public:
    uint32_t RenderShape(uint16_t triangleCount, uint16_t vertexCount, const QrPoint3* vertices,
                         const QrPoint3* normals, const QrPlane* planes, uint16_t textureSetCount,
                         const QrPoint3* textureCoords, const QrColorA* colors, const uint16_t* indices,
                         const QrBound& worldBound, const QrPoint3& eye) override
    {
        // The water's patches and rings all lie near x = 0 and count once.
        const int x = int(worldBound.GetCenter().x + (worldBound.GetCenter().x < 0 ? -0.5f : 0.5f));
        if (m_order.empty() || m_order.back() != x)
            m_order.push_back(x);
        return RecordingRender::RenderShape(triangleCount, vertexCount, vertices, normals, planes, textureSetCount,
                                            textureCoords, colors, indices, worldBound, eye);
    }
    std::vector<int> m_order;

protected:
    ~OrderRender() override = default;
};

class FakeWorld : public tovWorldServices
{
public:
    void SetUnderwater(bool below) override { m_switches.push_back(below); }
    void SetLightAPosition(const QrPoint3& position) override { m_light = position; }
    std::vector<bool> m_switches;
    QrPoint3 m_light{-1.0f, -1.0f, -1.0f};
};

// A small triangle centred near (x, y, 0).
QrPointer<QrTriShape> Marker(float x, float y)
{
    const QrPoint3 v[3] = {{-0.2f, -0.2f, 0.0f}, {0.2f, -0.2f, 0.0f}, {0.0f, 0.2f, 0.0f}};
    const uint16_t indices[3] = {0, 1, 2};
    QrPointer<QrTriShape> shape(new QrTriShape(3, v, nullptr, 1, indices, nullptr, nullptr));
    shape->SetTranslate(x, y, 0.0f);
    return shape;
}

QrPointer<QrNode> Transparent(float y)
{
    QrPointer<QrNode> node(new QrNode);
    node->SetTranslate(0.0f, y, 0.0f);
    QrPointer<QrTriShape> leaf = Marker(0.0f, 0.0f);
    leaf->AttachProperty(QrPointer<QrAlphaProperty>(new QrAlphaProperty).Get());
    node->AttachChild(leaf.Get());
    return node;
}

class tovSceneTest : public QrEngineTest
{
protected:
    void TearDown() override
    {
        SetWorldServices(nullptr);
        QrEngineTest::TearDown();
    }
};

TEST_F(tovSceneTest, AttachSortsByTransparencyAndHeight)
{
    QrPointer<tovScene> scene(new tovScene);
    EXPECT_EQ(scene->GetChildAt(0), scene->GetGeneralGroup());
    EXPECT_EQ(scene->GetChildAt(4), scene->GetSecondGroup());
    struct Case
    {
        QrPointer<QrAVObject> object;
        QrNode* group;
    } cases[] = {{Transparent(-0.5f), scene->GetGroupB()},
                 {Transparent(0.0f), scene->GetGroupA()},
                 {Transparent(7.0f), scene->GetGroupA()},
                 {Marker(0.0f, -3.0f), scene->GetGeneralGroup()},
                 {Marker(0.0f, 3.0f), scene->GetGeneralGroup()}};
    for (Case& c : cases)
    {
        scene->AttachChild(c.object.Get());
        EXPECT_EQ(c.object->GetParent(), c.group) << c.object->GetTranslate().y;
        // The search leaves the alpha property where it was and adds no z-buffer property.
        if (c.group != scene->GetGeneralGroup())
        {
            EXPECT_EQ(static_cast<QrNode*>(c.object.Get())->GetChildAt(0)->GetPropertyList().GetCount(), 1u);
        }
        else
        {
            EXPECT_EQ(c.object->GetPropertyList().GetCount(), 0u);
        }
    }

    // Groups A and B add their z-buffer property.
    QrPointer<QrTriShape> a = Marker(0, 0), b = Marker(0, 0);
    scene->AttachToGroupA(a.Get());
    scene->AttachToGroupB(b.Get());
    EXPECT_EQ(a->GetParent(), scene->GetGroupA());
    EXPECT_EQ(b->GetParent(), scene->GetGroupB());
    EXPECT_TRUE(a->GetPropertyList().Contains(scene->GetZBufferA()));
    EXPECT_TRUE(b->GetPropertyList().Contains(scene->GetZBufferB()));
}

TEST_F(tovSceneTest, DetachFindsTheOwningGroupAndLeavesForeignObjects)
{
    QrPointer<tovScene> scene(new tovScene);
    QrPointer<tovWater> water(new tovWater(1, 1.6f, nullptr));
    scene->SetWater(water.Get());
    EXPECT_EQ(water->GetParent(), scene.Get());
    QrPointer<QrNode> below = Transparent(-0.5f);
    scene->AttachChild(below.Get());
    QrPointer<QrTriShape> opaque = Marker(0, 0);
    scene->AttachChild(opaque.Get());
    QrPointer<QrNode> elsewhere(new QrNode);
    QrPointer<QrTriShape> foreign = Marker(0, 0);
    elsewhere->AttachChild(foreign.Get());

    EXPECT_EQ(scene->DetachChild(nullptr).Get(), nullptr);
    EXPECT_EQ(scene->DetachChild(below.Get()).Get(), below.Get());
    EXPECT_EQ(scene->GetGroupB()->GetNonEmptyChildCount(), 0u);
    EXPECT_EQ(scene->DetachChild(opaque.Get()).Get(), opaque.Get());
    EXPECT_EQ(scene->GetGeneralGroup()->GetNonEmptyChildCount(), 0u);
    EXPECT_EQ(scene->DetachChild(foreign.Get()).Get(), foreign.Get());
    EXPECT_EQ(foreign->GetParent(), elsewhere.Get());
    EXPECT_EQ(scene->DetachChild(water.Get()).Get(), water.Get());
    EXPECT_EQ(scene->GetNonEmptyChildCount(), 5u);
}

TEST_F(tovSceneTest, UnderwaterTradesDepthWritesAndTurnsTheWaterOnce)
{
    QrPointer<tovScene> scene(new tovScene);
    QrPointer<tovWater> water(new tovWater(1, 1.6f, nullptr));
    scene->SetWater(water.Get());
    auto facesUp = [&water] { return water->GetWaveGrid()->GetPlanes()[0].GetNormal().y > 0.0f; };
    EXPECT_TRUE(facesUp());
    EXPECT_EQ(scene->GetZBufferA()->m_write, 1);
    EXPECT_EQ(scene->GetZBufferB()->m_write, 0);
    scene->SetUnderwater(true);
    EXPECT_FALSE(facesUp());
    scene->SetUnderwater(true);
    EXPECT_FALSE(facesUp());
    EXPECT_TRUE(water->IsUnderwater());
    EXPECT_EQ(scene->GetZBufferA()->m_write, 0);
    EXPECT_EQ(scene->GetZBufferB()->m_write, 1);
    EXPECT_EQ(scene->GetZBufferA()->m_test, 1);
    scene->SetUnderwater(false);
    EXPECT_TRUE(facesUp());
    EXPECT_EQ(scene->GetZBufferA()->m_write, 1);
}

// Parts at x = 1 (first group), 2 (general), 3 (group A), 4 (second), 5 (group B), 0 (water).
TEST_F(tovSceneTest, DrawsTheFarSideOfTheWaterFirst)
{
    QrPointer<tovScene> scene(new tovScene);
    scene->GetFirstGroup()->AttachChild(Marker(1, 0).Get());
    scene->GetGeneralGroup()->AttachChild(Marker(2, 0).Get());
    scene->AttachToGroupA(Marker(3, 0.5f).Get());
    scene->GetSecondGroup()->AttachChild(Marker(4, 0).Get());
    scene->AttachToGroupB(Marker(5, -0.5f).Get());
    // Patches of 0.01: the whole surface out to its last ring lies within half a unit of x = 0.
    QrPointer<tovWater> water(new tovWater(1, 0.01f, nullptr));
    scene->SetWater(water.Get());
    scene->UpdateAllInstances();

    QrPointer<OrderRender> render(new OrderRender);
    QrPointer<QrDisplay> display(new QrDisplay);
    display->SetRenderer(render.Get());
    QrPointer<QrCamera> camera(new QrCamera(0.1f, 100.0f));
    camera->SetDisplay(display.Get());
    camera->SetSceneRoot(scene.Get());
    camera->SetDisplayPassFlag(1);
    camera->SetSortFlag(0);
    const struct
    {
        float height;
        std::vector<int> order;
    } cases[] = {{2.0f, {1, 2, 5, 4, 0, 3}}, {0.0f, {1, 2, 5, 4, 0, 3}}, {-2.0f, {1, 2, 3, 4, 0, 5}}};
    for (const auto& c : cases)
    {
        camera->SetTranslate(3.0f, c.height, 12.0f);
        camera->UpdateAllInstances();
        ASSERT_TRUE(camera->LookAt(QrPoint3(3.0f, 0.0f, 0.0f), QrPoint3(0.0f, 1.0f, 0.0f)));
        render->m_order.clear();
        camera->RenderFrame(0.0f, 0.0f);
        EXPECT_EQ(render->m_order, c.order) << c.height;
    }
    display->SetRenderer(nullptr);
}

TEST_F(tovSceneTest, CrossingActionSwitchesOnSignChangesOnly)
{
    QrPointer<QrCamera> camera(new QrCamera);
    QrPointer<tovWaterCrossAction> action(new tovWaterCrossAction);
    // Without a fishing world it does nothing and stays.
    action->SetCamera(camera.Get());
    EXPECT_TRUE(action->Update(0.0, 0.0));
    FakeWorld world;
    SetWorldServices(&world);
    const struct
    {
        float height;
        std::vector<bool> switches;
    } steps[] = {{0.0f, {}},
                 {1.0f, {}},
                 {-0.25f, {true}},
                 {-3.0f, {true}},
                 {0.0f, {true, false}},
                 {-0.0f, {true, false}},
                 {-1e-6f, {true, false, true}}};
    for (const auto& step : steps)
    {
        camera->SetTranslate(2.0f, step.height, 5.0f);
        camera->UpdateAllInstances();
        EXPECT_TRUE(action->Update(0.0, 0.0));
        EXPECT_EQ(world.m_switches, step.switches) << step.height;
        EXPECT_EQ(world.m_light, QrPoint3(2.0f, step.height, 5.0f));
    }
    // A camera that starts below water switches on its first update.
    QrPointer<tovWaterCrossAction> fresh(new tovWaterCrossAction);
    fresh->SetCamera(camera.Get());
    world.m_switches.clear();
    fresh->Update(0.0, 0.0);
    EXPECT_EQ(world.m_switches, std::vector<bool>{true});
    action->SetCamera(nullptr);
    fresh->SetCamera(nullptr);
}

} // namespace
