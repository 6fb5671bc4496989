// Renderer sample scenes: a small textured, lit and fogged yard with a colour-keyed fence and a
// glass box, and a large scene of stacked textured sheets that cover the screen many times
// over (about 19,000 triangles) for the renderer benchmark. Textures travel inside the files.

#include "SampleData.h"

#include "QrAlphaProperty.h"
#include "QrCamera.h"
#include "QrColorA.h"
#include "QrFogProperty.h"
#include "QrImage.h"
#include "QrImagePixels.h"
#include "QrLight.h"
#include "QrMaterialProperty.h"
#include "QrNode.h"
#include "QrPointer.h"
#include "QrRawImageData.h"
#include "QrSpecularProperty.h"
#include "QrTextureModeProperty.h"
#include "QrTextureProperty.h"
#include "QrTransparentProperty.h"
#include "QrTriShape.h"
#include "QrZBufferProperty.h"
#include "SampleShapes.h"

#include <cstdint>

namespace gen
{

namespace
{

// The generator has no renderer: its images only carry their pixels into the scene file.
class SampleImage final : public QrImage
{
public:
    bool LoadFromFile() override { return true; }
    bool LoadFromRawData() override { return true; }

protected:
    ~SampleImage() override = default;
};

QrImage* MakeSampleImage(uint32_t)
{
    return new SampleImage;
}

struct Rgba
{
    uint8_t r, g, b, a;
};

// A 64 x 64 picture from a function of the texel: RGB, or RGBA when it needs its alpha.
template <class Texel> QrPointer<QrImage> MakeTexture(const char* name, Texel texel, bool alpha = false)
{
    constexpr uint32_t kSize = 64;
    const uint32_t bytes = alpha ? 4 : 3;
    QrImagePixels pixels;
    pixels.Allocate(alpha ? QrImagePixels::kFormatRGBA : QrImagePixels::kFormatRGB, kSize, kSize);
    for (uint32_t y = 0; y < kSize; ++y)
    {
        uint8_t* row = pixels.GetRow(y);
        for (uint32_t x = 0; x < kSize; ++x)
        {
            const Rgba c = texel(x, y);
            uint8_t* texelBytes = row + bytes * x;
            texelBytes[0] = c.r;
            texelBytes[1] = c.g;
            texelBytes[2] = c.b;
            if (alpha)
                texelBytes[3] = c.a;
        }
    }
    QrPointer<QrRawImageData> raw(new QrRawImageData);
    raw->SetBuffer(std::move(pixels));
    raw->SetName(name);
    return QrImage::CreateFromRawData(raw, 0);
}

QrPointer<QrImage> Checker(const char* name, Rgba a, Rgba b, uint32_t cell)
{
    return MakeTexture(name, [=](uint32_t x, uint32_t y) { return ((x / cell + y / cell) & 1) ? a : b; });
}

void Texture(QrAVObject* object, QrImage* image, uint32_t applyMode = 2)
{
    QrPointer<QrTextureProperty> texture(new QrTextureProperty);
    texture->SetImage(image, 0);
    texture->SetCurrentIndex(0);
    object->AttachProperty(texture.Get());
    QrPointer<QrTextureModeProperty> mode(new QrTextureModeProperty);
    mode->m_applyMode = applyMode;
    mode->m_filterMode = 1;
    object->AttachProperty(mode.Get());
}

QrPointer<QrNode> MakeNode(const char* name, float x, float y, float z)
{
    QrPointer<QrNode> node(new QrNode);
    node->SetName(name);
    node->SetTranslate(x, y, z);
    return node;
}

QrPointer<QrLight> MakeLight(const char* name, uint32_t type, const QrPoint3& position, const QrPoint3& direction,
                             const QrPoint3& diffuse, const QrPoint3& ambient)
{
    QrPointer<QrLight> light(new QrLight);
    light->SetName(name);
    light->SetType(type);
    light->SetLocalPosition(position);
    light->SetLocalDirection(direction);
    light->SetDiffuseColor(diffuse);
    light->SetAmbientColor(ambient);
    return light;
}

void AddDepthBuffer(QrAVObject* root)
{
    QrPointer<QrZBufferProperty> depth(new QrZBufferProperty);
    depth->m_test = 1;
    depth->m_write = 1;
    root->AttachProperty(depth.Get());
}

void WriteLitScene(Context& context)
{
    QrPointer<QrNode> root = MakeNode("Yard", 0, 0, 0);
    AddDepthBuffer(root.Get());
    QrPointer<QrFogProperty> fog(new QrFogProperty);
    fog->m_enabled = 1;
    fog->m_depth = 0.7f;
    fog->m_color = QrPoint3(0.55f, 0.6f, 0.7f);
    root->AttachProperty(fog.Get());

    QrPointer<QrNode> lights = MakeNode("Lights", 0, 0, 0);
    root->AttachChild(lights.Get());
    const QrPointer<QrLight> kinds[] = {
        MakeLight("Sky", QrLight::kAmbient, {0, 0, 0}, {0, -1, 0}, {0, 0, 0}, {0.35f, 0.35f, 0.4f}),
        MakeLight("Sun", QrLight::kDirectional, {0, 0, 0}, {-0.4f, -1, -0.5f}, {0.9f, 0.85f, 0.7f}, {0, 0, 0}),
        MakeLight("Lamp", QrLight::kPoint, {2.5f, 2, -1}, {0, -1, 0}, {1, 0.6f, 0.2f}, {0, 0, 0}),
        MakeLight("Spot", QrLight::kSpot, {-3, 5, -2}, {0.4f, -1, -0.2f}, {0.4f, 0.5f, 1}, {0, 0, 0}),
    };
    kinds[2]->SetRadius(6.0f);
    kinds[3]->SetSpotAngle(25.0f);
    for (const QrPointer<QrLight>& light : kinds)
    {
        lights->AttachChild(light.Get());
        root->AttachLight(light.Get());
    }

    // Ground: a grass checker.
    QrPointer<QrTriShape> ground = MakeSheet("Ground", 12, 2.0f, QrColorA(1, 1, 1, 1));
    Texture(ground.Get(), Checker("grass", {70, 140, 60, 255}, {95, 170, 80, 255}, 8).Get());
    root->AttachChild(ground.Get());

    // A shiny crate with wood stripes.
    QrPointer<QrNode> crate = MakeNode("Crate", 0.5f, 1.0f, -3.0f);
    crate->SetRotate(0.6f, 0, 1, 0);
    root->AttachChild(crate.Get());
    QrPointer<QrTriShape> box = MakeBox("Crate Box", 1, 1, 1, QrColorA(1, 1, 1, 1));
    Texture(box.Get(),
            MakeTexture("planks",
                        [](uint32_t x, uint32_t y) {
                            return (y % 16 < 2 || x % 32 == 0) ? Rgba{90, 55, 25, 255} : Rgba{170, 120, 60, 255};
                        })
                .Get());
    QrPointer<QrMaterialProperty> shiny(new QrMaterialProperty);
    shiny->m_specular = QrPoint3(1, 1, 1);
    box->AttachProperty(shiny.Get());
    QrPointer<QrSpecularProperty> specular(new QrSpecularProperty);
    specular->m_enabled = 1;
    box->AttachProperty(specular.Get());
    crate->AttachChild(box.Get());

    // A fence panel whose black texels (the colour key) are cut out.
    QrPointer<QrNode> fence = MakeNode("Fence", -3.0f, 1.5f, -4.0f);
    fence->SetRotate(-1.5707963f, 1, 0, 0);
    root->AttachChild(fence.Get());
    QrPointer<QrTriShape> panel = MakeSheet("Fence Panel", 1, 3.0f, QrColorA(1, 1, 1, 1));
    Texture(panel.Get(),
            MakeTexture("fence",
                        [](uint32_t x, uint32_t y) {
                            return (x % 16 < 4 || y % 16 < 4) ? Rgba{200, 200, 210, 255} : Rgba{0, 0, 0, 255};
                        })
                .Get(),
            0);
    QrPointer<QrTransparentProperty> key(new QrTransparentProperty);
    key->m_enabled = 1;
    panel->AttachProperty(key.Get());
    fence->AttachChild(panel.Get());

    // A glass box, half transparent.
    QrPointer<QrNode> glassNode = MakeNode("Glass", 3.0f, 0.8f, -5.0f);
    root->AttachChild(glassNode.Get());
    QrPointer<QrTriShape> glass = MakeBox("Glass Box", 0.8f, 0.8f, 0.8f, QrColorA(0.6f, 0.8f, 1, 1));
    QrPointer<QrAlphaProperty> blend(new QrAlphaProperty);
    blend->m_enabled = 1;
    glass->AttachProperty(blend.Get());
    QrPointer<QrMaterialProperty> clear(new QrMaterialProperty);
    clear->m_alpha = 0.45f;
    glass->AttachProperty(clear.Get());
    glassNode->AttachChild(glass.Get());
    root->UpdateAllInstances();

    QrPointer<QrCamera> camera(new QrCamera(0.5f, 30.0f));
    camera->SetName("Yard Camera");
    camera->SetTranslate(0, 3.5f, 6);
    camera->Update(camera->GetCurrentInstance());
    camera->LookAt(QrPoint3(0, 0.5f, -3), QrPoint3(0, 1, 0));
    // Drawn in tree order: the glass box comes last and blends over what is behind it.
    camera->SetSceneRoot(root.Get());
    context.WriteScene("Data/Engine/Render/lit_scene.qrf", {root.Get(), camera.Get()});
}

void WriteLargeScene(Context& context)
{
    // Ten sheets of 31 x 31 cells, each wider than the view, drawn farthest first.
    constexpr int kLayers = 10;
    QrPointer<QrNode> root = MakeNode("Layers", 0, 0, 0);
    AddDepthBuffer(root.Get());
    const QrPointer<QrLight> sun =
        MakeLight("Sun", QrLight::kDirectional, {0, 0, 0}, {0.3f, -1, 0.2f}, {0.8f, 0.8f, 0.8f}, {0.3f, 0.3f, 0.3f});
    root->AttachChild(sun.Get());
    root->AttachLight(sun.Get());
    const QrPointer<QrImage> images[2] = {Checker("tiles a", {200, 80, 60, 255}, {240, 220, 180, 255}, 8),
                                          Checker("tiles b", {60, 90, 200, 255}, {180, 220, 240, 255}, 4)};
    for (int layer = 0; layer < kLayers; ++layer)
    {
        static const char* kNames[kLayers] = {"Layer 0", "Layer 1", "Layer 2", "Layer 3", "Layer 4",
                                              "Layer 5", "Layer 6", "Layer 7", "Layer 8", "Layer 9"};
        QrPointer<QrNode> node = MakeNode(kNames[layer], 0.1f * layer, -0.5f * (kLayers - 1 - layer), 0);
        QrPointer<QrTriShape> sheet = MakeSheet(nullptr, 31, 36.0f / 31.0f, QrColorA(1, 1, 1, 1));
        Texture(sheet.Get(), images[layer & 1].Get());
        node->AttachChild(sheet.Get());
        root->AttachChild(node.Get());
    }
    root->UpdateAllInstances();

    QrPointer<QrCamera> camera(new QrCamera(1.0f, 40.0f));
    camera->SetName("Top Camera");
    camera->SetTranslate(0, 12, 0);
    camera->Update(camera->GetCurrentInstance());
    camera->LookAt(QrPoint3(0, 0, 0), QrPoint3(0, 0, -1));
    camera->SetSceneRoot(root.Get());
    context.WriteScene("Data/Engine/Render/large_scene.qrf", {root.Get(), camera.Get()});
}

} // namespace

void GenerateRenderScenes(Context& context)
{
    const QrImage::CreateHook previousHook = QrImage::GetCreateHook();
    QrImage::SetCreateHook(&MakeSampleImage);
    WriteLitScene(context);
    WriteLargeScene(context);
    QrImage::SetCreateHook(previousHook);
}

} // namespace gen
