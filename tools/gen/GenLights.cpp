// A small lit scene: a node tree with one light of each kind, lights attached to the nodes they
// light (one light lights two subtrees), and a sound emitter placed in it.

#include "SampleData.h"
#include "SampleObjects.h"

#include "QrAudioEmitter.h"
#include "QrLight.h"
#include "QrNode.h"
#include "QrPointer.h"

namespace gen
{

std::vector<QrPointer<QrLight>> MakeLightKinds()
{
    QrPointer<QrLight> ambient = new QrLight;
    ambient->SetName("sky");
    ambient->SetType(QrLight::kAmbient);
    ambient->SetAmbientColor(QrPoint3(0.2f, 0.2f, 0.3f));

    QrPointer<QrLight> sun = new QrLight;
    sun->SetName("sun");
    sun->SetType(QrLight::kDirectional);
    sun->SetLocalDirection(QrPoint3(-0.5f, -1.0f, 0.25f));
    sun->SetDiffuseColor(QrPoint3(1.0f, 0.95f, 0.8f));

    QrPointer<QrLight> lantern = new QrLight;
    lantern->SetName("lantern");
    lantern->SetType(QrLight::kPoint);
    lantern->SetLocalPosition(QrPoint3(0.0f, 1.5f, 0.0f));
    lantern->SetRadius(6.0f);
    lantern->SetFalloff(0.25f);

    QrPointer<QrLight> beam = new QrLight;
    beam->SetName("beam");
    beam->SetType(QrLight::kSpot);
    beam->SetLocalPosition(QrPoint3(0.0f, 3.0f, 0.0f));
    beam->SetLocalDirection(QrPoint3(0.0f, -1.0f, 0.0f));
    beam->SetSpotAngle(25.0f);
    beam->SetSpotExponent(2.0f);
    beam->SetAttenuate(0);
    return {ambient, sun, lantern, beam};
}

QrPointer<QrAudioEmitter> MakeLoonCall()
{
    QrPointer<QrAudioEmitter> loon = new QrAudioEmitter;
    loon->SetName("loon call");
    loon->SetSourceName("Sounds\\loon.wav");
    loon->SetTranslate(-8.0f, 2.0f, 12.0f);
    return loon;
}

void GenerateLights(Context& context)
{
    QrPointer<QrNode> root = new QrNode;
    root->SetName("Scene Root");
    QrPointer<QrNode> shore = new QrNode;
    shore->SetName("shore");
    QrPointer<QrNode> dock = new QrNode;
    dock->SetName("dock");
    dock->SetTranslate(4.0f, 0.0f, -2.0f);
    root->AttachChild(shore.Get());
    root->AttachChild(dock.Get());

    const std::vector<QrPointer<QrLight>> lights = MakeLightKinds();
    QrLight* ambient = lights[0].Get();
    QrLight* sun = lights[1].Get();
    QrLight* lantern = lights[2].Get();
    QrLight* beam = lights[3].Get();

    // Lights hang in the tree so that they move with it, and light the nodes they are attached to.
    root->AttachChild(ambient);
    root->AttachChild(sun);
    dock->AttachChild(lantern);
    dock->AttachChild(beam);
    ambient->AttachAffectedNode(root.Get());
    sun->AttachAffectedNode(shore.Get());
    sun->AttachAffectedNode(dock.Get());
    lantern->AttachAffectedNode(dock.Get());
    beam->AttachAffectedNode(dock.Get());

    shore->AttachChild(MakeLoonCall().Get());

    root->UpdateAllInstances();
    context.WriteScene("Data/Engine/lights.qrf", {root.Get()});
}

} // namespace gen
