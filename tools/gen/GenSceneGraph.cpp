// Scene-graph sample scenes: a small dock on a lake with a node tree that shares a leaf, nested
// and scaled transforms, one light of every kind, transparent water, a camera with screen
// polygons; and a camera-less tree of shapes for tools that frame a scene themselves.
#include "SampleData.h"

#include "QrAlphaProperty.h"
#include "QrCamera.h"
#include "QrColorA.h"
#include "QrLight.h"
#include "QrMaterialProperty.h"
#include "QrNode.h"
#include "QrPointer.h"
#include "QrScreenPolygon.h"
#include "QrTriShape.h"
#include "SampleObjects.h"
#include "SampleShapes.h"

#include <cstdint>
#include <vector>

namespace gen
{

namespace
{

QrPointer<QrNode> MakeNode(const char* name, float x, float y, float z)
{
    QrPointer<QrNode> node(new QrNode);
    node->SetName(name);
    node->SetTranslate(x, y, z);
    return node;
}

QrPointer<QrLight> MakeLight(const char* name, uint32_t type, const QrPoint3& position, const QrPoint3& direction,
                             const QrPoint3& diffuse)
{
    QrPointer<QrLight> light(new QrLight);
    light->SetName(name);
    light->SetType(type);
    light->SetLocalPosition(position);
    light->SetLocalDirection(direction);
    light->SetDiffuseColor(diffuse);
    light->SetAmbientColor(QrPoint3(0.1f, 0.1f, 0.1f));
    return light;
}

// A half-transparent blend with a material to match.
void MakeTransparent(QrAVObject* object, float alpha)
{
    QrPointer<QrAlphaProperty> blend(new QrAlphaProperty);
    blend->m_enabled = 1;
    QrPointer<QrMaterialProperty> material(new QrMaterialProperty);
    material->m_diffuse = QrPoint3(0.2f, 0.4f, 0.6f);
    material->m_alpha = alpha;
    object->AttachProperty(blend.Get());
    object->AttachProperty(material.Get());
}

void WriteSceneGraph(Context& context)
{
    QrPointer<QrNode> root = MakeNode("Scene Root", 0, 0, 0);

    // Lights of every kind hang in the tree (they need a world place) and light all of it.
    QrPointer<QrNode> lights = MakeNode("Lights", 0, 0, 0);
    root->AttachChild(lights.Get());
    const QrPointer<QrLight> kinds[] = {
        MakeLight("Sky", QrLight::kAmbient, {0, 0, 0}, {0, -1, 0}, {0.3f, 0.3f, 0.35f}),
        MakeLight("Sun", QrLight::kDirectional, {0, 0, 0}, {0.3f, -1, -0.2f}, {1, 0.95f, 0.8f}),
        MakeLight("Lantern", QrLight::kPoint, {2, 3, -8}, {0, -1, 0}, {1, 0.7f, 0.3f}),
        MakeLight("Spotlight", QrLight::kSpot, {-3, 6, -6}, {0.3f, -1, -0.4f}, {0.8f, 0.8f, 1}),
    };
    kinds[2]->SetRadius(12.0f);
    kinds[3]->SetSpotAngle(30.0f);
    kinds[3]->SetSpotExponent(2.0f);
    for (const QrPointer<QrLight>& light : kinds)
    {
        lights->AttachChild(light.Get());
        root->AttachLight(light.Get());
    }

    // The dock: nested, turned and scaled nodes; one post shape shared by every pile.
    QrPointer<QrNode> dock = MakeNode("Dock", 0, 0, -10);
    dock->SetRotate(0.3f, 0, 1, 0);
    root->AttachChild(dock.Get());
    QrPointer<QrTriShape> post = MakeBox("Post", 0.15f, 1.0f, 0.15f, QrColorA(0.45f, 0.3f, 0.2f, 1));
    const float pileX[] = {-2, 2, -2, 2};
    const float pileZ[] = {-1, -1, 1, 1};
    for (int i = 0; i < 4; ++i)
    {
        static const char* kNames[] = {"Pile 1", "Pile 2", "Pile 3", "Pile 4"};
        QrPointer<QrNode> pile = MakeNode(kNames[i], pileX[i], -0.5f, pileZ[i]);
        if (i == 3)
            pile->SetScale(1.25f); // a thicker pile: the shared shape under a scaled parent
        pile->AttachChild(post.Get());
        dock->AttachChild(pile.Get());
    }
    QrPointer<QrNode> deck = MakeNode("Deck", 0, 0.55f, 0);
    dock->AttachChild(deck.Get());
    QrPointer<QrNode> boards = MakeNode("Boards", 0, 0, 0);
    boards->SetRotate(0.05f, 0, 0, 1); // a slight tilt inside the turned dock
    deck->AttachChild(boards.Get());
    boards->AttachChild(MakeBox("Planks", 2.5f, 0.05f, 1.4f, QrColorA(0.6f, 0.5f, 0.35f, 1)).Get());
    QrPointer<QrNode> crate = MakeNode("Crate", 1.5f, 0.35f, 0.5f);
    crate->SetScale(0.6f);
    crate->SetRotate(0.7f, 0, 1, 0);
    boards->AttachChild(crate.Get());
    crate->AttachChild(MakeBox("Crate Box", 0.5f, 0.5f, 0.5f, QrColorA(0.7f, 0.6f, 0.3f, 1)).Get());

    // Transparent things: the water sheet and a glass float, each with a blend and a material.
    QrPointer<QrNode> lake = MakeNode("Lake", 0, -0.2f, -10);
    root->AttachChild(lake.Get());
    QrPointer<QrTriShape> water = MakeSheet("Water", 8, 4.0f, QrColorA(0.2f, 0.4f, 0.6f, 0.5f));
    MakeTransparent(water.Get(), 0.5f);
    lake->AttachChild(water.Get());
    QrPointer<QrNode> buoy = MakeNode("Buoy", 4, 0.2f, 3);
    lake->AttachChild(buoy.Get());
    QrPointer<QrTriShape> glass = MakeBox("Glass Float", 0.3f, 0.3f, 0.3f, QrColorA(0.8f, 0.9f, 1, 0.3f));
    MakeTransparent(glass.Get(), 0.3f);
    buoy->AttachChild(glass.Get());
    root->UpdateAllInstances();

    QrPointer<QrCamera> camera = MakeOverlayCamera(root.Get(), QrPoint3(0, 4, 6), QrPoint3(0, 0, -10));
    context.WriteScene("Data/Engine/scenegraph.qrf", {root.Get(), camera.Get()});
}

// Shapes without a camera: whoever draws it frames the world bound.
void WriteShapes(Context& context)
{
    QrPointer<QrNode> root = MakeNode("Shapes", 0, 0, 0);
    QrPointer<QrTriShape> cube = MakeBox("Cube", 0.5f, 0.5f, 0.5f, QrColorA(0.9f, 0.2f, 0.2f, 1));
    for (int i = 0; i < 3; ++i)
    {
        static const char* kNames[] = {"Left", "Middle", "Right"};
        QrPointer<QrNode> slot = MakeNode(kNames[i], float(i - 1) * 2.0f, 0, 0);
        slot->SetRotate(0.4f * float(i), 0.6f, 0.8f, 0);
        slot->AttachChild(cube.Get());
        root->AttachChild(slot.Get());
    }
    root->AttachChild(MakeSheet("Floor", 4, 2.0f, QrColorA(0.3f, 0.6f, 0.3f, 1)).Get());
    root->UpdateAllInstances();
    context.WriteScene("Data/Engine/shapes.qrf", {root.Get()});
}

} // namespace

QrPointer<QrScreenPolygon> MakePanel(float left, float bottom, float right, float top, const QrColorA& color)
{
    const QrPoint3 vertices[] = {{left, bottom, 0}, {right, bottom, 0}, {right, top, 0}, {left, top, 0}};
    const QrPoint3 uv[] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    const QrColorA colors[] = {color, color, color, color};
    return QrPointer<QrScreenPolygon>(new QrScreenPolygon(4, vertices, uv, colors));
}

QrPointer<QrCamera> MakeOverlayCamera(QrNode* root, const QrPoint3& eye, const QrPoint3& target)
{
    // The camera stands outside the tree: its scene root holds the tree, so a camera inside it
    // would keep the tree alive by itself.
    QrPointer<QrCamera> camera(new QrCamera(0.5f, 200.0f));
    camera->SetName("Main Camera");
    camera->SetTranslate(eye.x, eye.y, eye.z);
    camera->Update(camera->GetCurrentInstance());
    camera->LookAt(target, QrPoint3(0, 1, 0));
    camera->SetSceneRoot(root);
    // Drawn through the display pass, so the transparent objects go through the sorter.
    camera->SetDisplayPassFlag(1);
    camera->AttachScreenPolygon(MakePanel(0.02f, 0.02f, 0.3f, 0.1f, QrColorA(0, 0, 0, 1)).Get());
    QrPointer<QrScreenPolygon> shade = MakePanel(0, 0.9f, 1, 1, QrColorA(0, 0, 0.2f, 0.4f));
    QrPointer<QrAlphaProperty> blend(new QrAlphaProperty);
    blend->m_enabled = 1;
    shade->AttachProperty(blend.Get());
    camera->AttachScreenPolygon(shade.Get());
    return camera;
}

void GenerateSceneGraph(Context& context)
{
    WriteSceneGraph(context);
    WriteShapes(context);
}

} // namespace gen
