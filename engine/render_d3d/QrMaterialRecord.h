#pragma once
// The renderer's copy of one material, every component limited to 0..1.

#include "QrPoint3.h"

#include <cstdint>

struct QrMaterialRecord
{
    uint32_t revision = 0;
    int32_t id = 0;
    QrPoint3 ambient;
    QrPoint3 diffuse;
    QrPoint3 specular;
    QrPoint3 emissive;
    float alpha = 1.0f;
    // Next in the bucket; next free while free.
    QrMaterialRecord* link = nullptr;
};
