#include "QrCameraTestHelpers.h"

#include "QrAction.h"
#include "QrAlphaProperty.h"
#include "QrBound.h"
#include "QrCamera.h"
#include "QrDisplay.h"
#include "QrNode.h"
#include "QrScreenPolygon.h"
#include "QrStream.h"
#include "QrZBufferProperty.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

using namespace camtest;

namespace
{

constexpr float kTolerance = 1e-5f;

class QrCameraTest : public CameraTest
{
protected:
    static QrPointer<QrCamera> MakeCamera() { return QrPointer<QrCamera>(new QrCamera); }

    static QrPointer<QrScreenPolygon> MakeQuad(float inset = 0.0f)
    {
        const QrPoint3 corners[4] = {{inset, inset, 0.0f},
                                     {1.0f - inset, inset, 0.0f},
                                     {1.0f - inset, 1.0f - inset, 0.0f},
                                     {inset, 1.0f - inset, 0.0f}};
        return QrPointer<QrScreenPolygon>(new QrScreenPolygon(4, corners, nullptr, nullptr));
    }

    // x / w, y / w and the depth row of a world point through the clip matrix.
    static QrPoint3 Project(const QrCamera& camera, const QrPoint3& p)
    {
        const auto& m = camera.GetClipMatrix();
        auto row = [&](int i)
        { return double(m[i][0]) * p.x + double(m[i][1]) * p.y + double(m[i][2]) * p.z + m[i][3]; };
        const double w = row(3);
        return QrPoint3(static_cast<float>(row(0) / w), static_cast<float>(row(1) / w), static_cast<float>(row(2)));
    }

    // Frustum test of a ball at (x, y, z) against the camera; localMask gets the planes passed.
    static bool Culled(QrCamera* camera, float x, float y, float z, float radius, uint32_t* localMask)
    {
        QrPointer<QrTestBall> ball(new QrTestBall("ball", x, y, z, radius));
        uint32_t mask[QrAVObject::kPlaneMaskWords] = {};
        const bool culled = ball->IsCulledByFrustum(camera, mask);
        // Give back what the test marked, as the traversal does.
        for (uint32_t w = 0; w < QrAVObject::kPlaneMaskWords; ++w)
            camera->GetPassedPlaneMask()[w] &= ~mask[w];
        if (localMask)
            *localMask = mask[0];
        return culled;
    }
};

TEST_F(QrCameraTest, DefaultCameraCullsAtEachPlane)
{
    QrPointer<QrCamera> camera = MakeCamera();
    uint32_t passed = 0;
    EXPECT_FALSE(Culled(camera.Get(), 1.5f, 0.0f, 0.0f, 0.1f, &passed));
    EXPECT_EQ(passed, 0x3Fu) << "wholly inside passes all six planes";
    EXPECT_TRUE(Culled(camera.Get(), 0.5f, 0.0f, 0.0f, 0.1f, nullptr)) << "before the near plane";
    EXPECT_TRUE(Culled(camera.Get(), 3.0f, 0.0f, 0.0f, 0.1f, nullptr)) << "beyond the far plane";
    EXPECT_TRUE(Culled(camera.Get(), 1.5f, 0.0f, -1.5f, 0.1f, nullptr)) << "left of the left plane";
    EXPECT_TRUE(Culled(camera.Get(), 1.5f, 0.0f, 1.5f, 0.1f, nullptr)) << "right of the right plane";
    EXPECT_TRUE(Culled(camera.Get(), 1.5f, 1.5f, 0.0f, 0.1f, nullptr)) << "above the top plane";
    EXPECT_TRUE(Culled(camera.Get(), 1.5f, -1.5f, 0.0f, 0.1f, nullptr)) << "below the bottom plane";

    // Touching a plane from outside culls; touching it from inside counts as inside.
    EXPECT_TRUE(Culled(camera.Get(), 0.75f, 0.0f, 0.0f, 0.25f, nullptr));
    EXPECT_FALSE(Culled(camera.Get(), 1.25f, 0.0f, 0.0f, 0.25f, &passed));
    EXPECT_EQ(passed & 1u, 1u);
    // Crossing the near plane: tested, but not passed.
    EXPECT_FALSE(Culled(camera.Get(), 1.0f, 0.0f, 0.0f, 0.25f, &passed));
    EXPECT_EQ(passed, 0x3Eu);
    for (uint32_t w = 0; w < QrAVObject::kPlaneMaskWords; ++w)
        EXPECT_EQ(camera->GetPassedPlaneMask()[w], 0u);
}

TEST_F(QrCameraTest, TraversalSendsOnlyUnpassedPlanesAndRestoresTheMask)
{
    QrPointer<QrCamera> camera = MakeCamera();
    QrPointer<QrDisplay> display = MakeDisplay();
    camera->SetDisplay(display.Get());
    QrPointer<QrNode> root(new QrNode);
    root->AttachChild(new QrTestBall("inside", 1.5f, 0.0f, 0.0f, 0.1f));
    // Crosses the left plane (x + 2z = 0) only.
    root->AttachChild(new QrTestBall("crossing", 1.5f, 0.0f, -0.75f, 0.1f));
    root->AttachChild(new QrTestBall("culled", 1.5f, 0.0f, -3.0f, 0.1f));
    root->UpdateAllInstances();
    camera->SetSceneRoot(root.Get());

    camera->RenderFrame(0.0f, 0.0f);

    EXPECT_EQ(QrTestBall::ms_drawLog, (std::vector<std::string>{"inside", "crossing"}));
    ASSERT_EQ(Render()->m_clipSets.size(), 2u);
    const CameraRender::ClipSet& inside = Render()->m_clipSets[0];
    EXPECT_EQ(inside.count, 0u);
    EXPECT_EQ(inside.frustumCount, 0u);
    EXPECT_EQ(inside.frustumMask, 0u);
    const CameraRender::ClipSet& crossing = Render()->m_clipSets[1];
    EXPECT_EQ(crossing.count, 1u);
    EXPECT_EQ(crossing.frustumCount, 1u);
    EXPECT_EQ(crossing.frustumMask, 1u << QrCamera::kLeftPlane);
    ASSERT_EQ(crossing.planes.size(), 1u);
    EXPECT_TRUE(crossing.planes[0].IsEqual(camera->GetFrustumPlane(QrCamera::kLeftPlane)));
    EXPECT_EQ(QrTestBall::ms_maskLog, (std::vector<uint32_t>{0x3Fu, 0x3Bu}));
    for (uint32_t w = 0; w < QrAVObject::kPlaneMaskWords; ++w)
        EXPECT_EQ(camera->GetPassedPlaneMask()[w], 0u) << "word " << w;
}

TEST_F(QrCameraTest, MovedCameraMapsItsFrustumOntoTheUnitRange)
{
    QrPointer<QrCamera> camera = MakeCamera();
    camera->SetTranslate(1.0f, 2.0f, 3.0f);
    camera->SetRotate(0.7f, 0.0f, 1.0f, 0.0f);
    float* frustum = camera->GetFrustum();
    const float values[6] = {-0.8f, 0.8f, 0.6f, -0.6f, 0.5f, 50.0f};
    std::memcpy(frustum, values, sizeof(values));
    camera->UpdateAllInstances();

    const QrPoint3 eye = camera->GetWorldLocation();
    const QrPoint3 d = camera->GetWorldDirection();
    const QrPoint3 focus = camera->GetWorldFocus();
    const QrPoint3 r = camera->GetWorldRight();
    const QrPoint3 u = camera->GetWorldUp();
    EXPECT_NEAR(eye.x, 1.0f, kTolerance);

    // The edges of the frustum rectangle on the image plane, and points beyond them on the
    // same rays, land on the unit square's edges and on the side planes.
    const QrPoint3 rightEdge = focus + r * 0.8f;
    const QrPoint3 farRight = eye + (rightEdge - eye) * 7.0f;
    EXPECT_NEAR(Project(*camera, rightEdge).x, 1.0f, kTolerance);
    EXPECT_NEAR(Project(*camera, farRight).x, 1.0f, kTolerance);
    EXPECT_NEAR(camera->GetFrustumPlane(QrCamera::kRightPlane).Distance(farRight), 0.0, 1e-4);
    const QrPoint3 leftEdge = focus - r * 0.8f;
    EXPECT_NEAR(Project(*camera, leftEdge).x, -1.0f, kTolerance);
    EXPECT_NEAR(camera->GetFrustumPlane(QrCamera::kLeftPlane).Distance(leftEdge), 0.0, 1e-5);
    const QrPoint3 topEdge = focus + u * 0.6f;
    EXPECT_NEAR(Project(*camera, topEdge).y, 1.0f, kTolerance);
    EXPECT_NEAR(camera->GetFrustumPlane(QrCamera::kTopPlane).Distance(topEdge), 0.0, 1e-5);
    EXPECT_NEAR(Project(*camera, focus - u * 0.6f).y, -1.0f, kTolerance);
    EXPECT_NEAR(Project(*camera, focus).x, 0.0f, kTolerance);

    // Depth: 0 on the near plane, 1 on the far plane.
    const QrPoint3 nearPoint = eye - d * 0.5f;
    const QrPoint3 farPoint = eye - d * 50.0f;
    EXPECT_NEAR(Project(*camera, nearPoint).z, 0.0f, kTolerance);
    EXPECT_NEAR(Project(*camera, farPoint).z, 1.0f, kTolerance);
    EXPECT_NEAR(camera->GetFrustumPlane(QrCamera::kNearPlane).Distance(nearPoint), 0.0, 1e-5);
    EXPECT_NEAR(camera->GetFrustumPlane(QrCamera::kFarPlane).Distance(farPoint), 0.0, 1e-4);
    EXPECT_GT(camera->GetFrustumPlane(QrCamera::kNearPlane).Distance(eye - d * 2.0f), 0.0);
    EXPECT_LT(camera->GetFrustumPlane(QrCamera::kNearPlane).Distance(eye - d * 0.25f), 0.0);
}

TEST_F(QrCameraTest, LookAtTurnsTheViewOntoTheTarget)
{
    QrPointer<QrCamera> camera = MakeCamera();
    camera->SetTranslate(1.0f, 0.0f, 0.0f);
    camera->UpdateAllInstances();
    ASSERT_TRUE(camera->LookAt({1.0f, 0.0f, -5.0f}, {0.0f, 1.0f, 0.0f}));
    // The direction axis points from the target back to the camera.
    EXPECT_NEAR(camera->GetWorldDirection().z, 1.0f, kTolerance);
    EXPECT_NEAR(camera->GetWorldUp().y, 1.0f, kTolerance);
    EXPECT_NEAR(camera->GetWorldRight().x, 1.0f, kTolerance);
    EXPECT_FALSE(Culled(camera.Get(), 1.0f, 0.0f, -1.5f, 0.1f, nullptr));
    EXPECT_TRUE(Culled(camera.Get(), 1.0f, 0.0f, 1.5f, 0.1f, nullptr)) << "behind the camera";

    // Under a turned and moved parent the world view still ends on the target.
    QrPointer<QrNode> parent(new QrNode);
    parent->SetRotate(1.0f, 0.0f, 1.0f, 0.0f);
    parent->SetTranslate(0.0f, 3.0f, 0.0f);
    QrPointer<QrCamera> child = MakeCamera();
    parent->AttachChild(child.Get());
    parent->UpdateAllInstances();
    const QrPoint3 target(-4.0f, 1.0f, 2.0f);
    ASSERT_TRUE(child->LookAt(target, {0.0f, 1.0f, 0.0f}));
    QrPoint3 expected = child->GetWorldLocation() - target;
    expected.Unitize();
    EXPECT_NEAR(child->GetWorldDirection().x, expected.x, kTolerance);
    EXPECT_NEAR(child->GetWorldDirection().y, expected.y, kTolerance);
    EXPECT_NEAR(child->GetWorldDirection().z, expected.z, kTolerance);
    EXPECT_NEAR(child->GetWorldRight().y, 0.0f, kTolerance) << "the horizon stays level";
    const QrPoint3 eye = child->GetWorldLocation();
    const QrPoint3 ahead = eye + (target - eye) * 0.3f;
    EXPECT_FALSE(Culled(child.Get(), ahead.x, ahead.y, ahead.z, 0.01f, nullptr));
}

TEST_F(QrCameraTest, LookAtRefusesDegenerateInputAndChangesNothing)
{
    QrPointer<QrCamera> camera = MakeCamera();
    camera->SetTranslate(0.0f, 1.0f, 0.0f);
    camera->UpdateAllInstances();
    const QrMatrix3 before = camera->GetRotate();
    EXPECT_FALSE(camera->LookAt({0.0f, 1.0f, 0.0f}, {0.0f, 1.0f, 0.0f})) << "target at the eye";
    EXPECT_FALSE(camera->LookAt({0.0f, 5.0f, 0.0f}, {0.0f, 1.0f, 0.0f})) << "up along the view";
    EXPECT_TRUE(camera->GetRotate().IsEqual(before));
    EXPECT_NEAR(camera->GetWorldDirection().x, -1.0f, kTolerance);
}

TEST_F(QrCameraTest, NearIsRaisedForADeepFrustum)
{
    QrPointer<QrCamera> camera(new QrCamera(0.01f, 10.0f));
    EXPECT_FLOAT_EQ(camera->GetFrustum()[QrCamera::kNear], 0.1f);
    EXPECT_FLOAT_EQ(camera->GetFrustum()[QrCamera::kFar], 10.0f);
    camera = new QrCamera(1.0f, 20000.0f);
    EXPECT_FLOAT_EQ(camera->GetFrustum()[QrCamera::kNear], 2.0f);
    camera = new QrCamera(0.5f, 10.0f);
    EXPECT_FLOAT_EQ(camera->GetFrustum()[QrCamera::kNear], 0.5f);
    // The planes follow the constructor's values.
    EXPECT_NEAR(camera->GetFrustumPlane(QrCamera::kFarPlane).GetConstant(), -10.0f, kTolerance);
}

TEST_F(QrCameraTest, SetViewportFromDisplayClearsThePixelRectangle)
{
    QrPointer<QrCamera> camera = MakeCamera();
    camera->SetViewportFromDisplay(3);
    QrPointer<QrDisplay> display = MakeDisplay(640, 480);
    camera->SetDisplay(display.Get());
    const float viewport[4] = {0.25f, 0.75f, 0.5f, 0.0f};
    std::memcpy(camera->GetViewport(), viewport, sizeof(viewport));
    camera->SetViewportFromDisplay(3);
    EXPECT_EQ(Render()->GetLog(), (std::vector<std::string>{"ClearBuffer rect=[160 480 240 0] flags=3"}));

    Render()->ClearLog();
    Render()->SetBufferSize(640, 0);
    camera->SetViewportFromDisplay(3);
    EXPECT_TRUE(Render()->GetLog().empty());
}

TEST_F(QrCameraTest, RenderFrameDrawsSceneThenPolygonsInsideOneFrame)
{
    QrPointer<QrCamera> camera = MakeCamera();
    QrPointer<QrDisplay> display = MakeDisplay(640, 480);
    camera->SetDisplay(display.Get());
    QrPointer<QrNode> root(new QrNode);
    root->AttachChild(new QrTestBall("a", 1.5f, 0.0f, 0.0f, 0.1f));
    root->AttachChild(new QrTestBall("b", 1.5f, 0.2f, 0.0f, 0.1f));
    root->UpdateAllInstances();
    camera->SetSceneRoot(root.Get());
    QrPointer<QrScreenPolygon> first = MakeQuad(0.0f);
    QrPointer<QrScreenPolygon> second = MakeQuad(0.25f);
    camera->AttachScreenPolygon(first.Get());
    camera->AttachScreenPolygon(nullptr);
    camera->AttachScreenPolygon(second.Get());
    QrPointer<QrTestCameraAction> action(new QrTestCameraAction);
    camera->AttachObject(action.Get());

    camera->RenderFrame(2.5f, 0.25f);

    EXPECT_EQ(Render()->Calls(
                  {"SetCameraData", "BeginFrame", "SetClipPlanes", "RenderPoints", "RenderScreenPolygon", "EndFrame"}),
              (std::vector<std::string>{"SetCameraData", "BeginFrame", "SetClipPlanes", "RenderPoints", "SetClipPlanes",
                                        "RenderPoints", "RenderScreenPolygon", "RenderScreenPolygon", "EndFrame"}));
    EXPECT_EQ(QrTestBall::ms_drawLog, (std::vector<std::string>{"a", "b"}));
    // Polygons in index order, the empty slot skipped, vertices as given.
    ASSERT_EQ(Render()->m_polygons.size(), 2u);
    EXPECT_TRUE(Render()->m_polygons[0][2].IsEqual({1.0f, 1.0f, 0.0f}));
    EXPECT_TRUE(Render()->m_polygons[1][0].IsEqual({0.25f, 0.25f, 0.0f}));

    EXPECT_EQ(action->m_seen.size(), 1u);
    EXPECT_FLOAT_EQ(camera->GetFrameTime(), 2.5f);
    EXPECT_FLOAT_EQ(camera->GetFrameElapsed(), 0.25f);
}

TEST_F(QrCameraTest, RecordedFrameOfASmallScene)
{
    QrPointer<QrCamera> camera = MakeCamera();
    QrPointer<QrDisplay> display = MakeDisplay(320, 240);
    camera->SetDisplay(display.Get());
    QrPointer<QrNode> root(new QrNode);
    QrPointer<QrZBufferProperty> depth(new QrZBufferProperty);
    depth->m_test = 1;
    depth->m_write = 1;
    root->AttachProperty(depth.Get());
    root->AttachChild(new QrTestBall("inside", 1.5f, 0.0f, 0.0f, 0.25f));
    QrPointer<QrTestBall> crossing(new QrTestBall("crossing", 1.5f, 0.0f, -0.75f, 0.25f));
    QrPointer<QrAlphaProperty> blend(new QrAlphaProperty);
    blend->m_enabled = 1;
    crossing->AttachProperty(blend.Get());
    root->AttachChild(crossing.Get());
    root->UpdateAllInstances();
    camera->SetSceneRoot(root.Get());
    const QrPoint3 corners[3] = {{0.0f, 0.0f, 0.0f}, {0.5f, 0.0f, 0.0f}, {0.0f, 0.5f, 0.0f}};
    const QrColorA colors[3] = {{1.0f, 0.0f, 0.0f, 1.0f}, {1.0f, 0.0f, 0.0f, 1.0f}, {1.0f, 0.0f, 0.0f, 1.0f}};
    camera->AttachScreenPolygon(QrPointer<QrScreenPolygon>(new QrScreenPolygon(3, corners, nullptr, colors)).Get());
    Render()->SetLogArrays(false);

    camera->RenderFrame(0.0f, 0.0f);

    // Planes the ball has passed are not sent; the screen polygon sees the frame's defaults
    // again, after the scene's properties were popped.
    const std::vector<std::string> expected = {
        "SetCameraData location=(0 0 0) near=(1 0 0) direction=(-1 0 0) up=(0 1 0) frustum=[-0.5 0.5 0.5 -0.5 1 2] "
        "viewport=[0 320 240 0]",
        "BeginFrame",
        "SetClipPlanes count=0 frustumCount=0 frustumMask=0x0 planes=#0",
        "SetZBufferTest flag=1",
        "SetZBufferWrite flag=1",
        "RenderPoints count=1 positions=#1 normals=null colors=null size=1 bound={(1.5 0 0) 0.25}",
        "SetClipPlanes count=1 frustumCount=1 frustumMask=0x4 planes=#1",
        "SetAlphaBlending enabled=1 source=6 destination=7",
        "RenderPoints count=1 positions=#1 normals=null colors=null size=1 bound={(1.5 0 -0.75) 0.25}",
        "SetZBufferTest flag=0",
        "SetZBufferWrite flag=0",
        "SetAlphaBlending enabled=0 source=6 destination=7",
        "RenderScreenPolygon count=3 vertices=#3 texcoords=null colors=#3",
        "EndFrame",
    };
    EXPECT_EQ(Render()->GetLog(), expected);
    camera->SetSceneRoot(nullptr);
}

TEST_F(QrCameraTest, OffAxisFocusShiftsTheFrustumRecord)
{
    QrPointer<QrCamera> camera = MakeCamera();
    QrPointer<QrDisplay> display = MakeDisplay(640, 480);
    camera->SetDisplay(display.Get());
    // The focus point shifted right by 0.5 on the image plane: the rectangle around it, seen
    // at the near plane (0.5 of the image plane's distance 2).
    camera->GetLocalFocus() = QrPoint3(2.0f, 0.0f, 0.5f);
    camera->GetFrustum()[QrCamera::kNear] = 0.5f;
    camera->UpdateAllInstances();
    camera->RenderFrame(0.0f, 0.0f);
    EXPECT_FLOAT_EQ(Render()->m_frustum[QrCamera::kLeft], -0.125f);
    EXPECT_FLOAT_EQ(Render()->m_frustum[QrCamera::kRight], 0.375f);
    EXPECT_FLOAT_EQ(Render()->m_frustum[QrCamera::kTop], 0.25f);
}

TEST_F(QrCameraTest, RenderFrameNeedsADisplayWithARendererAndASize)
{
    QrPointer<QrCamera> camera = MakeCamera();
    QrPointer<QrTestCameraAction> action(new QrTestCameraAction);
    camera->AttachObject(action.Get());
    camera->RenderFrame(1.0f, 0.5f);
    EXPECT_FLOAT_EQ(camera->GetFrameTime(), 1.0f) << "the frame arguments are kept";
    EXPECT_TRUE(action->m_seen.empty());

    QrPointer<QrDisplay> bare(new QrDisplay);
    camera->SetDisplay(bare.Get());
    camera->RenderFrame(1.0f, 0.5f);
    EXPECT_TRUE(action->m_seen.empty());

    QrPointer<QrDisplay> display = MakeDisplay(0, 480);
    camera->SetDisplay(display.Get());
    camera->RenderFrame(1.0f, 0.5f);
    EXPECT_TRUE(action->m_seen.empty());
    EXPECT_TRUE(Render()->GetLog().empty());
}

TEST_F(QrCameraTest, FocusOnTheEyePlaneDrawsNothing)
{
    QrPointer<QrCamera> camera = MakeCamera();
    QrPointer<QrDisplay> display = MakeDisplay();
    camera->SetDisplay(display.Get());
    camera->GetLocalFocus() = QrPoint3(0.0f, 1.0f, 0.0f);
    camera->UpdateAllInstances();
    QrPointer<QrTestCameraAction> action(new QrTestCameraAction);
    camera->AttachObject(action.Get());
    camera->RenderFrame(0.0f, 0.0f);
    EXPECT_EQ(action->m_seen.size(), 1u) << "the actions still run";
    EXPECT_TRUE(Render()->GetLog().empty()) << "no view can be made of a focus point on the eye plane";
    const auto& m = camera->GetClipMatrix();
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            EXPECT_TRUE(std::isfinite(m[i][j]));
}

TEST_F(QrCameraTest, CameraUnderTheRootIsNeitherDrawnNorBounded)
{
    QrPointer<QrCamera> camera = MakeCamera();
    QrPointer<QrDisplay> display = MakeDisplay();
    camera->SetDisplay(display.Get());
    QrPointer<QrNode> root(new QrNode);
    QrPointer<QrTestBall> ball(new QrTestBall("ball", 1.5f, 0.0f, 0.0f, 0.1f));
    root->AttachChild(ball.Get());
    root->AttachChild(camera.Get());
    camera->SetTranslate(0.25f, 0.0f, 0.0f);
    root->UpdateAllInstances();
    camera->SetSceneRoot(root.Get());
    EXPECT_TRUE(root->GetWorldBound().IsEqual(ball->GetWorldBound()));
    EXPECT_TRUE(camera->GetWorldBound().GetCenter().IsEqual({0.25f, 0.0f, 0.0f}));
    EXPECT_EQ(camera->GetWorldBound().GetRadius(), 0.0f);

    camera->RenderFrame(0.0f, 0.0f);
    EXPECT_EQ(QrTestBall::ms_drawLog, (std::vector<std::string>{"ball"}));
    EXPECT_EQ(Render()->Calls({"RenderPoints"}).size(), 1u);
    // Releasing the root releases the camera's reference cycle through the root.
    camera->SetSceneRoot(nullptr);
}

TEST_F(QrCameraTest, CloneCopiesScreenPolygonsAtTheirIndices)
{
    QrPointer<QrCamera> camera = MakeCamera();
    QrPointer<QrScreenPolygon> first = MakeQuad(0.1f);
    QrPointer<QrScreenPolygon> third = MakeQuad(0.2f);
    camera->AttachScreenPolygon(first.Get());
    camera->AttachScreenPolygon(nullptr);
    camera->AttachScreenPolygon(third.Get());
    for (int i = 0; i < 4; ++i)
        camera->AttachScreenPolygon(MakeQuad(0.3f).Get());
    camera->GetFrustum()[QrCamera::kFar] = 9.0f;
    camera->SetScaleValue(2.0f);
    camera->SetDisplayPassFlag(1);
    QrPointer<QrNode> root(new QrNode);
    camera->SetSceneRoot(root.Get());
    camera->AttachObject(QrPointer<QrTestCameraAction>(new QrTestCameraAction).Get());
    camera->UpdateAllInstances();

    QrPointer<QrCamera> clone(QrDynamicCast<QrCamera>(camera->CreateClone().Get()));
    ASSERT_TRUE(clone);
    ASSERT_NE(clone.Get(), camera.Get());
    // Seven slots, every polygon a new object, the empty slot still empty.
    ASSERT_EQ(clone->GetScreenPolygonCount(), 7u);
    EXPECT_EQ(clone->GetScreenPolygonAt(1), nullptr);
    for (uint32_t i : {0u, 2u, 3u, 6u})
    {
        ASSERT_NE(clone->GetScreenPolygonAt(i), nullptr) << i;
        EXPECT_NE(clone->GetScreenPolygonAt(i), camera->GetScreenPolygonAt(i)) << i;
        EXPECT_TRUE(clone->GetScreenPolygonAt(i)->IsEqual(camera->GetScreenPolygonAt(i))) << i;
    }
    EXPECT_EQ(camera->GetScreenPolygonAt(0), first.Get());
    EXPECT_EQ(first->GetRefCount(), 2u) << "the source's polygons are not shared with the clone";
    EXPECT_EQ(clone->GetSceneRoot(), nullptr);
    EXPECT_EQ(clone->GetDisplay(), nullptr);
    EXPECT_TRUE(clone->GetActions().IsEmpty());
    EXPECT_FLOAT_EQ(clone->GetFrustum()[QrCamera::kFar], 9.0f);
    EXPECT_TRUE(clone->GetFrustumPlane(QrCamera::kFarPlane).IsEqual(camera->GetFrustumPlane(QrCamera::kFarPlane)));
    EXPECT_EQ(clone->GetDisplayPassFlag(), 1);
    EXPECT_FLOAT_EQ(clone->GetScaleValue(), 2.0f);
}

// A camera with every streamed value away from its default, a scene root, a display, screen
// polygons with an empty slot and two actions.
class QrCameraStreamTest : public QrCameraTest
{
protected:
    void SetUp() override
    {
        QrCameraTest::SetUp();
        m_camera = MakeCamera();
        m_camera->SetName("view");
        m_camera->SetTranslate(1.0f, 2.0f, 3.0f);
        m_camera->GetLocalFocus() = QrPoint3(3.0f, 0.5f, 0.0f);
        m_camera->GetLocalUp() = QrPoint3(0.0f, 0.0f, 1.0f);
        m_camera->SetRightAxisStale();
        m_camera->GetLocalRight();
        const float frustum[6] = {-0.8f, 0.7f, 0.3f, -0.4f, 0.25f, 80.0f};
        const float viewport[4] = {0.1f, 0.9f, 0.8f, 0.2f};
        std::memcpy(m_camera->GetFrustum(), frustum, sizeof(frustum));
        std::memcpy(m_camera->GetViewport(), viewport, sizeof(viewport));
        m_camera->SetDisplayPassFlag(1);
        m_camera->SetSortFlag(0);
        m_camera->SetScaleValue(1.5f);
        m_root = new QrNode;
        m_root->SetName("root");
        m_camera->SetSceneRoot(m_root.Get());
        m_display = new QrDisplay;
        m_camera->SetDisplay(m_display.Get());
        m_camera->AttachScreenPolygon(MakeQuad(0.1f).Get());
        m_camera->AttachScreenPolygon(nullptr);
        m_camera->AttachScreenPolygon(MakeQuad(0.2f).Get());
        for (const char* name : {"second", "first"})
        {
            QrPointer<QrTestCameraAction> action(new QrTestCameraAction);
            action->SetName(name);
            m_camera->AttachObject(action.Get());
        }
    }

    void TearDown() override
    {
        m_camera = nullptr;
        m_root = nullptr;
        m_display = nullptr;
        QrCameraTest::TearDown();
    }

    QrPointer<QrCamera> m_camera;
    QrPointer<QrNode> m_root;
    QrPointer<QrDisplay> m_display;
};

TEST_F(QrCameraStreamTest, RoundTripKeepsEveryValueAndReference)
{
    const std::vector<uint8_t> bytes = Save({m_camera.Get()});
    std::vector<QrPointer<QrObject>> loaded = Load(bytes);
    ASSERT_EQ(loaded.size(), 1u) << QrStream::LastErrorMessage << " " << QrStream::LastErrorContext;
    QrCamera* camera = QrDynamicCast<QrCamera>(loaded[0].Get());
    ASSERT_NE(camera, nullptr);
    EXPECT_TRUE(camera->IsEqual(m_camera.Get()));
    EXPECT_EQ(Save({camera}), bytes);

    ASSERT_NE(camera->GetSceneRoot(), nullptr);
    EXPECT_STREQ(camera->GetSceneRoot()->GetName(), "root");
    EXPECT_NE(camera->GetDisplay(), nullptr);
    ASSERT_EQ(camera->GetScreenPolygonCount(), 3u);
    EXPECT_EQ(camera->GetScreenPolygonAt(1), nullptr);
    std::vector<std::string> names;
    for (QrCameraAction* action : camera->GetActions())
        names.emplace_back(action->GetName());
    EXPECT_EQ(names, (std::vector<std::string>{"first", "second"}));
    EXPECT_EQ(QrAction::GetActionCount(), 0u) << "camera actions run from their camera only";
}

TEST_F(QrCameraStreamTest, FilesUpToVersionTwoSixteenCarryOneMoreByteAfterTheScale)
{
    QrPointer<QrCamera> plain = MakeCamera();
    plain->SetScaleValue(3.0f);
    std::vector<uint8_t> bytes = Save({plain.Get()});
    const std::string current = "Version 2.2\n";
    auto header = std::search(bytes.begin(), bytes.end(), current.begin(), current.end());
    ASSERT_NE(header, bytes.end());

    // After the scale: root and display ids and the two counts, then "End Of File".
    const size_t afterScale = bytes.size() - (4 * 4) - (4 + 11);
    std::vector<uint8_t> old = bytes;
    old.insert(old.begin() + static_cast<std::ptrdiff_t>(afterScale), 0xAB);
    const std::string older = "Version 2.16\n";
    const size_t at = static_cast<size_t>(header - bytes.begin());
    old.erase(old.begin() + static_cast<std::ptrdiff_t>(at),
              old.begin() + static_cast<std::ptrdiff_t>(at + current.size()));
    old.insert(old.begin() + static_cast<std::ptrdiff_t>(at), older.begin(), older.end());

    std::vector<QrPointer<QrObject>> loaded = Load(old);
    ASSERT_EQ(loaded.size(), 1u) << QrStream::LastErrorMessage << " " << QrStream::LastErrorContext;
    EXPECT_TRUE(loaded[0]->IsEqual(plain.Get()));
    EXPECT_EQ(Save({loaded[0].Get()}), bytes) << "the byte is never written";

    // The same record under the current version is out of step.
    std::vector<uint8_t> wrong = bytes;
    wrong.insert(wrong.begin() + static_cast<std::ptrdiff_t>(afterScale), 0xAB);
    loaded = Load(wrong);
    EXPECT_TRUE(loaded.empty() || !loaded[0]->IsEqual(plain.Get()));
}

TEST_F(QrCameraTest, EqualityIgnoresRootAndDisplayButNotActions)
{
    QrPointer<QrCamera> a = MakeCamera();
    QrPointer<QrCamera> b = MakeCamera();
    QrPointer<QrNode> root(new QrNode);
    QrPointer<QrDisplay> display(new QrDisplay);
    a->SetSceneRoot(root.Get());
    a->SetDisplay(display.Get());
    EXPECT_TRUE(a->IsEqual(b.Get()));

    a->AttachObject(QrPointer<QrTestCameraAction>(new QrTestCameraAction).Get());
    EXPECT_FALSE(a->IsEqual(b.Get()));
    b->AttachObject(QrPointer<QrTestCameraAction>(new QrTestCameraAction).Get());
    EXPECT_TRUE(a->IsEqual(b.Get()));

    b->AttachScreenPolygon(MakeQuad().Get());
    EXPECT_FALSE(a->IsEqual(b.Get()));
    a->AttachScreenPolygon(nullptr);
    EXPECT_FALSE(a->IsEqual(b.Get())) << "an empty slot against a polygon";
}

} // namespace
