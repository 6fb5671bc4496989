#include "SampleData.h"
#include "SampleObjects.h"
#include "SampleShapes.h"

#include "QrBSPNode.h"
#include "QrBillboardNode.h"
#include "QrCollisionSwitch.h"
#include "QrColorA.h"
#include "QrFltAnimationNode.h"
#include "QrLODNode.h"
#include "QrMaterialProperty.h"
#include "QrSwitchNode.h"

#include "Format.h"

#include <string>

namespace gen
{

namespace
{

// A named empty node standing in for a shape, tinted so that viewers tell the children apart.
QrPointer<QrNode> Part(const std::string& name, float x, float y, float z, float red, float green, float blue)
{
    QrPointer<QrNode> part = new QrNode;
    part->SetName(name.c_str());
    part->SetTranslate(x, y, z);
    QrPointer<QrMaterialProperty> tint = new QrMaterialProperty;
    tint->m_diffuse = QrPoint3(red, green, blue);
    tint->m_ambient = QrPoint3(red * 0.5f, green * 0.5f, blue * 0.5f);
    part->AttachProperty(tint.Get());
    return part;
}

QrPointer<QrNode> MakeSwitch()
{
    QrPointer<QrSwitchNode> node = new QrSwitchNode;
    node->SetName("lure choice");
    node->SetTranslate(0.0f, 1.0f, -4.0f);
    node->AttachChild(Part("spinner", 0.0f, 0.0f, 0.0f, 0.9f, 0.8f, 0.1f).Get());
    node->AttachChild(Part("crankbait", 0.0f, 0.0f, 0.0f, 0.2f, 0.7f, 0.2f).Get());
    node->SetAt(3, Part("worm", 0.0f, 0.0f, 0.0f, 0.6f, 0.1f, 0.5f).Get()); // slot 2 stays empty
    node->SetActiveIndex(1);
    node->SetUpdateActiveOnly(1);
    return node;
}

QrPointer<QrNode> MakeLOD()
{
    QrPointer<QrLODNode> node = new QrLODNode;
    node->SetName("bass levels");
    node->SetScale(1.5f);
    const char* const names[] = {"bass high", "bass medium", "bass low"};
    const float limits[] = {0.0f, 12.5f, 40.0f, 150.0f};
    for (uint32_t i = 0; i < 3; ++i)
    {
        node->AttachChild(Part(names[i], 0.0f, 0.0f, 0.0f, 0.3f, 0.5f - 0.1f * float(i), 0.2f).Get());
        node->AddRange(limits[i], limits[i + 1], i);
        node->SetRangeCenter(i, QrPoint3(0.0f, 0.25f * float(i), 0.0f));
    }
    node->SetPerRangeCenters(1);
    return node;
}

QrPointer<QrNode> MakeBillboard()
{
    QrPointer<QrBillboardNode> node = new QrBillboardNode;
    node->SetName("reed cut-out");
    node->SetMode(QrBillboardNode::kFaceViewPlane);
    node->SetTranslate(6.0f, 0.0f, 2.0f);
    node->AttachChild(Part("reed", 0.0f, 1.0f, 0.0f, 0.4f, 0.6f, 0.2f).Get());
    return node;
}

QrPointer<QrNode> MakeBSP()
{
    QrPointer<QrBSPNode> node = new QrBSPNode;
    node->SetName("dock split");
    node->SetModelPlane(QrPlane(QrPoint3(0.0f, 0.0f, 1.0f), 2.0f));
    node->AttachChild(Part("dock front", 0.0f, 0.0f, 3.0f, 0.6f, 0.4f, 0.2f).Get());
    node->AttachChild(Part("dock back", 0.0f, 0.0f, 1.0f, 0.4f, 0.3f, 0.2f).Get());
    return node;
}

QrPointer<QrNode> MakeCollisionSwitch()
{
    QrPointer<QrCollisionSwitch> node = new QrCollisionSwitch;
    node->SetName("weeds");
    node->SetCollide(0);
    node->AttachChild(Part("weed patch", 1.0f, 0.0f, 1.0f, 0.1f, 0.5f, 0.1f).Get());
    node->AttachChild(Part("lily pads", -1.0f, 0.0f, 2.0f, 0.2f, 0.6f, 0.3f).Get());
    return node;
}

QrPointer<QrNode> MakeFltAnimation()
{
    QrPointer<QrFltAnimationNode> node = new QrFltAnimationNode;
    node->SetName("splash flip-book");
    node->SetPeriod(0.75);
    node->SetSwing(1);
    for (int i = 0; i < 6; ++i)
    {
        const float shade = 0.5f + 0.1f * float(i);
        node->AttachChild(Part(plat::Format("splash %d", i), 0.0f, 0.1f * float(i), 0.0f, shade, shade, 1.0f).Get());
    }
    return node;
}

} // namespace

std::vector<QrPointer<QrNode>> MakeSpecialNodes()
{
    return {MakeSwitch(), MakeLOD(), MakeBillboard(), MakeBSP(), MakeCollisionSwitch(), MakeFltAnimation()};
}

// One scene per special node class, each away from its defaults. In its own file every part
// holds a box of the part's tint, so that a viewer sees which children the node draws; the
// flip-book's boxes grow frame by frame.
void GenerateSpecialNodes(Context& context)
{
    struct Scene
    {
        const char* file;
        QrPoint3 half; // of the first part's box
        float growth;  // added to the height of each later part's box
    };
    const Scene scenes[] = {
        {"switch", {0.5f, 0.15f, 0.15f}, 0.0f},          {"lod", {1.0f, 0.35f, 0.2f}, 0.0f},
        {"billboard", {0.1f, 1.0f, 0.02f}, 0.0f},        {"bsp", {1.5f, 0.1f, 0.5f}, 0.0f},
        {"collision_switch", {0.6f, 0.05f, 0.6f}, 0.0f}, {"flt_animation", {0.4f, 0.1f, 0.4f}, 0.12f},
    };
    const std::vector<QrPointer<QrNode>> nodes = MakeSpecialNodes();
    for (size_t i = 0; i < nodes.size(); ++i)
    {
        const Scene& scene = scenes[i];
        float hy = scene.half.y;
        for (uint32_t c = 0; c < nodes[i]->GetChildCount(); ++c)
        {
            if (auto* part = QrDynamicCast<QrNode>(nodes[i]->GetChildAt(c)))
            {
                part->AttachChild(
                    MakeBox(nullptr, scene.half.x, hy, scene.half.z, QrColorA(1.0f, 1.0f, 1.0f, 1.0f)).Get());
                hy += scene.growth;
            }
        }
        nodes[i]->UpdateAllInstances();
        context.WriteScene(std::string("Data/Engine/Nodes/") + scene.file + ".qrf", {nodes[i].Get()});
    }
}

} // namespace gen
