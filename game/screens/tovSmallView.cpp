#include "tovSmallView.h"

#include "tovAppServices.h"

#include "QrCorrectionProperty.h"
#include "QrDitherProperty.h"
#include "QrZBufferProperty.h"

void BuildSmallView(const tovSmallViewSetup& setup, QrPointer<QrNode>& root, QrPointer<QrCamera>& camera,
                    QrPointer<QrLight>& light)
{
    root = new QrNode;
    QrPointer<QrZBufferProperty> depth(new QrZBufferProperty);
    depth->m_test = 1;
    depth->m_write = 1;
    QrPointer<QrDitherProperty> dither(new QrDitherProperty);
    dither->m_enabled = 1;
    QrPointer<QrCorrectionProperty> correction(new QrCorrectionProperty);
    correction->m_enabled = 1;
    root->AttachProperty(depth.Get());
    root->AttachProperty(dither.Get());
    root->AttachProperty(correction.Get());

    camera = new QrCamera(setup.nearPlane, setup.farPlane);
    float* frustum = camera->GetFrustum();
    frustum[QrCamera::kLeft] = -setup.frustumX;
    frustum[QrCamera::kRight] = setup.frustumX;
    frustum[QrCamera::kTop] = setup.frustumY;
    frustum[QrCamera::kBottom] = -setup.frustumY;
    for (int i = 0; i < 4; ++i)
        camera->GetViewport()[i] = setup.viewport[i];
    camera->SetDisplay(GetAppServices().GetDisplay());
    camera->SetSceneRoot(root.Get());
    camera->SetTranslate(0.0f, setup.cameraHeight, 0.0f);
    root->AttachChild(camera.Get());

    light = new QrLight;
    light->SetType(QrLight::kPoint);
    light->SetLocalPosition(QrPoint3(0.15f, 0.15f, 0.0f));
    const float grey = 100.0f / 255.0f;
    light->SetDiffuseColor(QrPoint3(grey, grey, grey));
    light->SetAmbientColor(QrPoint3(grey, grey, grey));
    // A radius of 0.25 would leave the model beyond the light's reach, lit by the ambient term alone.
    light->SetRadius(setup.lightRadius);
    light->SetFalloff(0.5f);
    light->AttachAffectedNode(root.Get());
}

void DestroySmallView(QrPointer<QrNode>& root, QrPointer<QrCamera>& camera, QrPointer<QrLight>& light)
{
    // The camera names the root and the root holds the camera: both links go.
    if (camera)
    {
        camera->SetSceneRoot(nullptr);
        if (root)
            root->DetachChild(camera.Get());
    }
    camera = nullptr;
    if (light && root)
        light->DetachAffectedNode(root.Get());
    light = nullptr;
    root = nullptr;
}
