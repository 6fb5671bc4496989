#pragma once
// The scene of a small 3D window on a screen: a depth-tested, dithered, corrected root, a camera
// drawing it into part of the display and a grey point light.

#include "QrCamera.h"
#include "QrLight.h"
#include "QrNode.h"
#include "QrPointer.h"

struct tovSmallViewSetup
{
    float nearPlane;
    float farPlane;
    float frustumX;
    float frustumY;
    // Left, right, top, bottom as fractions of the display.
    const float* viewport;
    float cameraHeight;
    float lightRadius;
};

// Builds root, camera and light; the camera hangs under the root.
void BuildSmallView(const tovSmallViewSetup& setup, QrPointer<QrNode>& root, QrPointer<QrCamera>& camera,
                    QrPointer<QrLight>& light);

// Breaks the camera's and the light's links to the root and lets all three go.
void DestroySmallView(QrPointer<QrNode>& root, QrPointer<QrCamera>& camera, QrPointer<QrLight>& light);
