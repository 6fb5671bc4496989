#pragma once
// Shapes and scene-file helpers shared by the geometry tests.

#include "PropertyTestHelpers.h"
#include "QrTestFixture.h"

#include "QrCamera.h"
#include "QrColorA.h"
#include "QrDisplay.h"
#include "QrGeometryInstance.h"
#include "QrNode.h"
#include "QrPlane.h"
#include "QrPointer.h"
#include "QrStream.h"
#include "QrTriShape.h"

#include <cstdint>
#include <string>
#include <vector>

namespace geomtest
{

// A shape whose protected parts a test may reach, saved under "QrTriShape".
class OpenShape : public QrTriShape
{
public:
    using QrTriShape::QrTriShape;

    void UpdateWorldNormals(QrAVInstance* instance) override
    {
        ++m_rebuilds;
        QrTriShape::UpdateWorldNormals(instance);
    }

    void DropPlanes() { m_planes.reset(); }
    uint16_t* Indices() { return m_indices.get(); }
    void BorrowColors(QrColorA* colors) { SetColors(colors, true); }
    void BorrowTextureCoords(QrPoint3* coords, uint16_t sets) { SetTextureCoords(coords, sets, true); }

    int m_rebuilds = 0;
};

// A unit square in the z = 0 plane, two triangles facing +z, with every attribute array.
inline QrPointer<OpenShape> MakeSquare(bool withNormals = true)
{
    const QrPoint3 vertices[] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    const QrPoint3 normals[] = {{0, 0, 1}, {0, 0, 1}, {0, 0, 1}, {0, 0, 1}};
    const uint16_t indices[] = {0, 1, 2, 0, 2, 3};
    const QrPoint3 uv[] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    const QrColorA colors[] = {{1, 0, 0, 1}, {0, 1, 0, 1}, {0, 0, 1, 1}, {1, 1, 1, 0.5f}};
    return QrPointer<OpenShape>(new OpenShape(4, vertices, withNormals ? normals : nullptr, 2, indices, uv, colors));
}

inline QrGeometryInstance* GeometryInstance(QrAVInstance* instance)
{
    return static_cast<QrGeometryInstance*>(instance);
}

using proptest::Load;
using proptest::Save;

// The shared round trip (save, load, compare, save again), typed for the geometry tests.
template <class T> QrPointer<T> RoundTrip(QrObject* object)
{
    QrPointer<QrObject> loaded = proptest::RoundTrip(object);
    if (loaded)
    {
        EXPECT_TRUE(object->IsEqual(loaded.Get()));
    }
    return QrPointer<T>(QrDynamicCast<T>(loaded.Get()));
}

// A camera at the origin looking down +x (far plane at 100) drawing a scene root into a
// capturing renderer: a recording renderer that also keeps draw arguments and forgets them
// in ClearCaptures().
template <class TRender> class CameraDrawTest : public QrEngineTest
{
protected:
    void SetUp() override
    {
        QrEngineTest::SetUp();
        m_root = new QrNode;
        m_display = new QrDisplay;
        m_render = new TRender;
        m_display->SetRenderer(m_render.Get());
        m_camera = new QrCamera;
        m_camera->GetFrustum()[QrCamera::kFar] = 100.0f;
        m_camera->Update(m_camera->GetCurrentInstance());
        m_camera->SetDisplay(m_display.Get());
        m_camera->SetSceneRoot(m_root.Get());
    }

    void TearDown() override
    {
        m_camera = nullptr;
        m_root = nullptr;
        m_display = nullptr;
        m_render = nullptr;
        QrEngineTest::TearDown();
    }

    // Draws one frame; the names of the calls, in order.
    std::vector<std::string> DrawFrame()
    {
        m_root->UpdateAllInstances();
        m_render->ClearLog();
        m_render->ClearCaptures();
        m_camera->RenderFrame(0.0f, 0.0f);
        std::vector<std::string> names;
        for (const std::string& line : m_render->GetLog())
            names.push_back(line.substr(0, line.find(' ')));
        return names;
    }

    QrPointer<QrDisplay> m_display;
    QrPointer<TRender> m_render;
    QrPointer<QrCamera> m_camera;
    QrPointer<QrNode> m_root;
};

} // namespace geomtest
