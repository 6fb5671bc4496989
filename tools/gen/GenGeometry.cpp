// One scene per geometry class beyond the plain shape, and per special light, each with values
// that differ from the defaults: a triangle list and a strip with fewer triangles active than
// allocated, a particle cloud and one that faces the camera, lines, an environment-mapped shape,
// and the shadow and projected lights over a small patch of ground.

#include "SampleData.h"
#include "SampleObjects.h"

#include "QrAlphaProperty.h"
#include "QrAutoNormalParticles.h"
#include "QrColorA.h"
#include "QrEnvMappedTriShape.h"
#include "QrLines.h"
#include "QrMaterialProperty.h"
#include "QrNode.h"
#include "QrParticles.h"
#include "QrPointer.h"
#include "QrProjectedLight.h"
#include "QrShadowLight.h"
#include "QrTriShape.h"
#include "QrTriStrip.h"
#include "QrTriangles.h"

#include <cmath>
#include <vector>

namespace gen
{

namespace
{

// Colour of vertex i of n: a ramp from warm to cool, half transparent at the end.
QrColorA Ramp(size_t i, size_t n)
{
    const float t = n > 1 ? float(i) / float(n - 1) : 0.0f;
    return QrColorA(1.0f - t, 0.5f, t, 1.0f - 0.5f * t);
}

std::vector<QrColorA> Ramps(size_t n)
{
    std::vector<QrColorA> colors;
    for (size_t i = 0; i < n; ++i)
        colors.push_back(Ramp(i, n));
    return colors;
}

// Texture coordinates from the x and y of each position over a span.
std::vector<QrPoint3> Planar(const std::vector<QrPoint3>& positions, float span)
{
    std::vector<QrPoint3> coords;
    for (const QrPoint3& p : positions)
        coords.push_back(QrPoint3(p.x / span, p.y / span, 0.0f));
    return coords;
}

QrPointer<QrNode> Root(const char* name)
{
    QrPointer<QrNode> root = new QrNode;
    root->SetName("Scene Root");
    QrPointer<QrNode> holder = new QrNode;
    holder->SetName(name);
    root->AttachChild(holder.Get());
    return root;
}

void Write(Context& context, const char* file, QrNode* root)
{
    root->UpdateAllInstances();
    context.WriteScene(std::string("Data/Engine/Geometry/") + file, {root});
}

// A 4 x 4 ground grid in z = 0 around the origin, two triangles per cell, facing +z.
QrPointer<QrTriShape> Ground(float size)
{
    std::vector<QrPoint3> vertices;
    std::vector<QrPoint3> normals;
    for (int j = 0; j <= 4; ++j)
        for (int i = 0; i <= 4; ++i)
        {
            vertices.push_back(QrPoint3((i - 2) * size, (j - 2) * size, 0.0f));
            normals.push_back(QrPoint3(0.0f, 0.0f, 1.0f));
        }
    std::vector<uint16_t> indices;
    for (uint16_t j = 0; j < 4; ++j)
        for (uint16_t i = 0; i < 4; ++i)
        {
            const uint16_t a = uint16_t(j * 5 + i), b = uint16_t(a + 1), c = uint16_t(a + 6), d = uint16_t(a + 5);
            indices.insert(indices.end(), {a, b, c, a, c, d});
        }
    const std::vector<QrPoint3> coords = Planar(vertices, 4 * size);
    return new QrTriShape(uint16_t(vertices.size()), vertices.data(), normals.data(), uint16_t(indices.size() / 3),
                          indices.data(), coords.data(), nullptr);
}

// Twelve particles on a rising spiral.
std::vector<QrPoint3> Spiral()
{
    std::vector<QrPoint3> positions;
    for (int k = 0; k < 12; ++k)
        positions.push_back(QrPoint3(std::cos(0.6f * float(k)), std::sin(0.6f * float(k)), 0.2f * float(k)));
    return positions;
}

// One object under its own holder node.
void WriteHeld(Context& context, const char* file, const char* holder, QrAVObject* object)
{
    QrPointer<QrNode> root = Root(holder);
    static_cast<QrNode*>(root->GetChildAt(0))->AttachChild(object);
    Write(context, file, root.Get());
}

} // namespace

QrPointer<QrMaterialProperty> MakeGlowMaterial(const char* name)
{
    QrPointer<QrMaterialProperty> glow = new QrMaterialProperty;
    glow->SetName(name);
    glow->m_emissive = QrPoint3(1.0f, 1.0f, 1.0f);
    return glow;
}

QrPointer<QrTriangles> MakeCutFan()
{
    // Six triangles of a fan cut apart, four of them active.
    std::vector<QrPoint3> vertices;
    for (int k = 0; k < 6; ++k)
    {
        const float a0 = float(k) * 1.0471976f, a1 = float(k + 1) * 1.0471976f;
        vertices.insert(vertices.end(), {QrPoint3(0.0f, 0.0f, 0.5f), QrPoint3(std::cos(a0), std::sin(a0), 0.0f),
                                         QrPoint3(std::cos(a1), std::sin(a1), 0.0f)});
    }
    const std::vector<QrPoint3> coords = Planar(vertices, 2.0f);
    const std::vector<QrColorA> colors = Ramps(vertices.size());
    QrPointer<QrTriangles> list = new QrTriangles(6, vertices.data(), nullptr, coords.data(), colors.data());
    list->SetName("cut fan");
    list->CalculateNormals();
    list->SetActiveTriangleCount(4);
    list->SetTranslate(2.0f, 0.0f, -1.0f);
    return list;
}

QrPointer<QrTriStrip> MakeRibbon()
{
    // A ribbon of eight vertices rising as it goes, six active, its front towards +z.
    std::vector<QrPoint3> vertices;
    for (int k = 0; k < 8; ++k)
        vertices.push_back(QrPoint3(float(k / 2), float(1 - k % 2), 0.25f * float(k)));
    const std::vector<QrPoint3> coords = Planar(vertices, 4.0f);
    const std::vector<QrColorA> colors = Ramps(vertices.size());
    QrPointer<QrTriStrip> strip = new QrTriStrip(8, vertices.data(), nullptr, coords.data(), colors.data());
    strip->SetName("ribbon");
    strip->CalculateNormals();
    strip->SetActiveVertexCount(6);
    strip->SetRotate(0.5f, 0.0f, 0.0f, 1.0f);
    return strip;
}

QrPointer<QrLines> MakeZigzag()
{
    // A zigzag of five points with coordinates and colours; the count word is the segment count.
    std::vector<QrPoint3> vertices;
    for (int k = 0; k < 5; ++k)
        vertices.push_back(QrPoint3(float(k), (k % 2) ? 1.0f : 0.0f, 0.0f));
    const std::vector<QrPoint3> coords = Planar(vertices, 4.0f);
    const std::vector<QrColorA> colors = Ramps(vertices.size());
    QrPointer<QrLines> lines = new QrLines(5, vertices.data(), nullptr, coords.data(), colors.data(), 4);
    lines->SetName("zigzag");
    lines->SetScale(2.0f);
    return lines;
}

QrPointer<QrParticles> MakeSparks()
{
    const std::vector<QrPoint3> positions = Spiral();
    const std::vector<QrColorA> colors = Ramps(positions.size());
    QrPointer<QrParticles> sparks = new QrParticles(12, positions.data(), nullptr, colors.data());
    sparks->SetName("sparks");
    sparks->SetParticleSize(0.15f);
    sparks->SetActiveCount(9);
    return sparks;
}

QrPointer<QrAutoNormalParticles> MakeBubbles()
{
    const std::vector<QrPoint3> positions = Spiral();
    QrPointer<QrAutoNormalParticles> bubbles = new QrAutoNormalParticles(12, positions.data(), nullptr, nullptr);
    bubbles->SetName("bubbles");
    bubbles->SetParticleSize(0.3f);
    bubbles->SetActiveCount(12);
    bubbles->SetTranslate(0.0f, 0.0f, -3.0f);
    return bubbles;
}

QrPointer<QrEnvMappedTriShape> MakeChromeLure()
{
    // A small chrome pyramid: four sides, with smooth normals and a second texture set.
    const QrPoint3 vertices[] = {{0, 0, 1}, {1, 1, 0}, {-1, 1, 0}, {-1, -1, 0}, {1, -1, 0}};
    const uint16_t indices[] = {0, 1, 2, 0, 2, 3, 0, 3, 4, 0, 4, 1};
    const QrPoint3 coords[] = {{0.5f, 0.5f, 0}, {1, 1, 0}, {0, 1, 0}, {0, 0, 0}, {1, 0, 0}};
    QrPointer<QrEnvMappedTriShape> chrome = new QrEnvMappedTriShape(5, vertices, nullptr, 4, indices, coords, nullptr);
    chrome->CalculateNormals();
    chrome->AddTextureSet(coords);
    chrome->SetName("chrome lure");
    chrome->SetTranslate(0.0f, 0.0f, 1.0f);
    return chrome;
}

QrPointer<QrShadowLight> MakeBoatShadow()
{
    QrPointer<QrShadowLight> light = new QrShadowLight;
    light->SetName("boat shadow");
    light->SetShadowKind(2);
    light->SetShadowScale(0.8f);
    light->SetShadowObject(new QrAlphaProperty);
    light->SetProjectionMode(QrProjectionFrame::kBox);
    light->GetFrame().GetLocalFocus() = QrPoint3(3.0f, 0.0f, 0.0f);
    light->GetFrame().GetWidth() = 2.5f;
    light->GetFrame().GetHeight() = 1.5f;
    light->SetRotate(-1.5707964f, 0.0f, 1.0f, 0.0f);
    light->SetTranslate(0.0f, 0.0f, 4.0f);
    return light;
}

QrPointer<QrProjectedLight> MakeCaustics()
{
    QrPointer<QrProjectedLight> light = new QrProjectedLight;
    light->SetName("caustics");
    light->SetProjectionKind(1);
    light->SetProjectionKind2(3);
    light->SetProjectionValue(2);
    light->SetProjectionOffset(QrPoint3(0.1f, 0.2f, 0.0f));
    light->SetProjectionFactor(4);
    light->SetProjectedObject(new QrAlphaProperty);
    light->GetFrame().GetLocalFocus() = QrPoint3(5.0f, 0.0f, 0.0f);
    light->GetFrame().GetLocalCenter() = QrPoint3(0.0f, 0.5f, 0.0f);
    light->GetFrame().GetWidth() = 4.0f;
    light->GetFrame().GetHeight() = 3.0f;
    light->SetRotate(-1.5707964f, 0.0f, 1.0f, 0.0f);
    light->SetTranslate(0.0f, 0.0f, 5.0f);
    return light;
}

void GenerateGeometry(Context& context)
{
    WriteHeld(context, "triangles.qrf", "fan", MakeCutFan().Get());
    WriteHeld(context, "tristrip.qrf", "ribbon", MakeRibbon().Get());
    WriteHeld(context, "lines.qrf", "lines", MakeZigzag().Get());
    QrPointer<QrParticles> sparks = MakeSparks();
    sparks->AttachProperty(MakeGlowMaterial("spark glow").Get());
    WriteHeld(context, "particles.qrf", "sparks", sparks.Get());
    WriteHeld(context, "autonormal_particles.qrf", "bubbles", MakeBubbles().Get());
    WriteHeld(context, "envmapped.qrf", "chrome", MakeChromeLure().Get());

    // The shadow light hangs in the scene; its receiver is the ground node beside it (not an
    // ancestor of the light, which would keep both alive).
    QrPointer<QrNode> shadowRoot = Root("ground");
    QrNode* ground = static_cast<QrNode*>(shadowRoot->GetChildAt(0));
    ground->AttachChild(Ground(1.0f).Get());
    QrPointer<QrTriShape> rock = Ground(0.25f);
    rock->SetTranslate(1.0f, 1.0f, 0.5f);
    ground->AttachChild(rock.Get());
    QrPointer<QrShadowLight> shadow = MakeBoatShadow();
    shadowRoot->AttachChild(shadow.Get());
    shadowRoot->UpdateAllInstances();
    shadow->AttachReceiver(ground);
    Write(context, "shadowlight.qrf", shadowRoot.Get());

    QrPointer<QrNode> projectedRoot = Root("ground");
    static_cast<QrNode*>(projectedRoot->GetChildAt(0))->AttachChild(Ground(1.0f).Get());
    projectedRoot->AttachChild(MakeCaustics().Get());
    Write(context, "projectedlight.qrf", projectedRoot.Get());
}

} // namespace gen
