#pragma once
// The renderer's copy of one engine light, refreshed when the light's revision moves: colours
// already scaled by the dimmer and the per-light constants the lighting kernels need.

#include "QrPoint3.h"

#include <cstdint>

struct QrLightRecord
{
    enum : uint32_t
    {
        kOn = 0x1,
        kRangeStale = 0x2,
        kLinearOnly = 0x8,
        kAttenuated = 0x10,
    };

    uint32_t flags = 0;
    uint32_t type = 0;
    QrPoint3 position;
    // Unit length, or zero for a direction too short to normalise.
    QrPoint3 direction;
    float spotAngle = 0.0f; // radians
    float cos2 = 0.0f;
    float sin2 = 0.0f;
    float spotExponent = 0.0f;
    // Attenuation 1 / (k1 d + k2 d^3).
    float k1 = 0.0f;
    float k2 = 0.0f;
    float dimmer = 0.0f;
    QrPoint3 ambient;
    QrPoint3 diffuse;
    QrPoint3 specular;
    QrPoint3 ambientDimmed;
    QrPoint3 diffuseDimmed;
    QrPoint3 specularDimmed;
    // How far an attenuated point light reaches; recomputed lazily while kRangeStale is set.
    float range = 0.0f;
    int32_t id = 0;
    uint32_t revision = 0;
    QrLightRecord* hashLink = nullptr;
    // The live list (newest first); the free list while free.
    QrLightRecord* listLink = nullptr;
};
