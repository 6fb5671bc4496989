#include "QrLightVertices.h"

#include "QrBound.h"
#include "QrColorA.h"
#include "QrD3DDriver.h"
#include "QrLight.h"
#include "QrLightCache.h"
#include "QrMaterialRecord.h"
#include "QrPoint3.h"
#include "QrRenderCode.h"
#include "QrTransformedVertex.h"

#include <cmath>
#include <vector>

namespace
{

inline float Dot(const QrPoint3& a, const QrPoint3& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

inline float AtMost255(float v)
{
    return v > 255.0f ? 255.0f : v;
}

struct Rgb
{
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
};

void CopyPositionAndTexture(QrTransformedVertex& v, const QrPoint3& p, const QrPoint3* textureCoords, uint32_t i)
{
    v.x = p.x;
    v.y = p.y;
    v.z = p.z;
    if (textureCoords)
    {
        v.tu0 = textureCoords[i].x;
        v.tv0 = textureCoords[i].y;
    }
    v.batch = 0;
}

// Adds the light's diffuse term at P with normal N to colour.
void AddDiffuse(const QrActiveLight& light, const QrPoint3& p, const QrPoint3& n, Rgb& colour)
{
    const QrLightRecord& l = *light.record;
    float f = 0.0f;
    if (l.type == QrLight::kDirectional)
    {
        f = -Dot(l.direction, n);
    }
    else
    {
        const QrPoint3 v = l.position - p;
        const float d2 = Dot(v, v);
        const float facing = Dot(v, n);
        if (!(facing > 0.0f))
            return;
        const bool attenuated = (l.flags & QrLightRecord::kAttenuated) != 0;
        if (l.type == QrLight::kPoint)
        {
            if (!attenuated)
                f = facing / std::sqrt(d2);
            else if (l.flags & QrLightRecord::kLinearOnly)
                f = facing / (d2 * l.k1);
            else
                f = facing / (d2 * (d2 * l.k2 + l.k1));
        }
        else
        {
            const float s = Dot(v, l.direction);
            if (!(s < 0.0f))
                return;
            const float t = s * s - d2 * l.cos2;
            const float edge = s * s * l.sin2;
            if (!(t > 0.0f) || !(edge > 0.0f))
                return;
            const float spot = t / edge;
            // Same term in both kernels: turning highlights on must not dim or tint a spot's light.
            f = attenuated ? facing * spot / (d2 * (d2 * l.k2 + l.k1)) : facing * spot / std::sqrt(d2);
        }
    }
    if (!(f > 0.0f))
        return;
    colour.r += light.red * f;
    colour.g += light.green * f;
    colour.b += light.blue * f;
}

// The light's grey highlight at P with normal N seen from the eye.
float SpecularTerm(const QrActiveLight& light, const QrPoint3& p, const QrPoint3& n, const QrPoint3& eye)
{
    const QrLightRecord& l = *light.record;
    const QrPoint3 e = eye - p;
    const float ee = Dot(e, e);
    if (!(ee > 0.0f))
        return 0.0f;
    QrPoint3 r;
    float numerator = light.specular;
    float w = 1.0f;
    if (l.type == QrLight::kDirectional)
    {
        const float d = -Dot(l.direction, n);
        r = l.direction + n * (2.0f * d);
    }
    else
    {
        const QrPoint3 v = l.position - p;
        const float d2 = Dot(v, v);
        const float facing = Dot(v, n);
        r = n * (2.0f * facing) - v;
        const bool attenuated = (l.flags & QrLightRecord::kAttenuated) != 0;
        // Attenuated lights share the attenuation divisor; unattenuated ones fall with the
        // distance, the point light once more with its square.
        const float distance = attenuated ? d2 * (d2 * l.k2 + l.k1) : std::sqrt(d2);
        if (l.type == QrLight::kPoint)
        {
            w = distance + d2;
        }
        else
        {
            const float s = Dot(v, l.direction);
            if (!(s < 0.0f))
                return 0.0f;
            const float t = s * s - d2 * l.cos2;
            if (!(t > 0.0f))
                return 0.0f;
            numerator *= t;
            w = distance * s * s * l.sin2;
        }
    }
    const float re = Dot(r, e);
    if (!(re > 0.0f) || !(w > 0.0f))
        return 0.0f;
    return numerator * re * re / (ee * w);
}

} // namespace

uint32_t QrLightVertices(QrD3DDriver& driver, uint32_t count, QrTransformedVertex* records, const QrPoint3* positions,
                         const QrPoint3* normals, const QrPoint3* textureCoords, const QrColorA* colors,
                         const QrBound& bound, bool specular, bool addColors)
{
    const QrMaterialRecord& material = driver.GetLightingMaterial();
    const float emissiveR = material.emissive.x * 255.0f;
    const float emissiveG = material.emissive.y * 255.0f;
    const float emissiveB = material.emissive.z * 255.0f;
    const float alpha = material.alpha * 255.0f;

    // The lights in force: their ambient sum, and those whose light reaches the shape.
    bool anyOn = false;
    Rgb ambient;
    std::vector<QrActiveLight>& active = driver.GetActiveLightScratch();
    active.clear();
    const float materialSpecular = 255.0f * material.specular.z;
    for (QrLightRecord* l = driver.GetLightCache().GetLive(); l; l = l->listLink)
    {
        if (!(l->flags & QrLightRecord::kOn))
            continue;
        anyOn = true;
        ambient.r += l->ambientDimmed.x;
        ambient.g += l->ambientDimmed.y;
        ambient.b += l->ambientDimmed.z;
        // A light of an unknown kind adds only its ambient, so one odd light leaves the others lit.
        if (!normals || l->type == QrLight::kAmbient || l->type > QrLight::kSpot)
            continue;
        if (l->type == QrLight::kPoint && (l->flags & QrLightRecord::kAttenuated))
        {
            const float range = QrLightCache::Range(*l);
            const QrPoint3 toCenter = l->position - bound.GetCenter();
            const float reach = bound.GetRadius() + range;
            if (!(Dot(toCenter, toCenter) < reach * reach))
                continue;
        }
        QrActiveLight a;
        a.record = l;
        a.red = l->diffuseDimmed.x * material.diffuse.x * 255.0f;
        a.green = l->diffuseDimmed.y * material.diffuse.y * 255.0f;
        a.blue = l->diffuseDimmed.z * material.diffuse.z * 255.0f;
        a.specular = materialSpecular * l->specularDimmed.z;
        active.push_back(a);
    }
    const bool lit = normals && anyOn;
    const Rgb ambientTerm{material.ambient.x * 255.0f * ambient.r, material.ambient.y * 255.0f * ambient.g,
                          material.ambient.z * 255.0f * ambient.b};
    const QrPoint3& eye = driver.GetCameraLocation();

    for (uint32_t i = 0; i < count; ++i)
    {
        QrTransformedVertex& v = records[i];
        if (!v.used)
            continue;
        const QrPoint3& p = positions[i];
        CopyPositionAndTexture(v, p, textureCoords, i);
        Rgb c{emissiveR, emissiveG, emissiveB};
        float a = alpha;
        float highlight = 0.0f;
        if (lit)
        {
            const QrPoint3& n = normals[i];
            for (const QrActiveLight& light : active)
            {
                AddDiffuse(light, p, n, c);
                if (specular && light.specular > 0.0f)
                    highlight += SpecularTerm(light, p, n, eye);
            }
            c.r += ambientTerm.r;
            c.g += ambientTerm.g;
            c.b += ambientTerm.b;
        }
        if (colors)
        {
            const QrColorA& vc = colors[i];
            if (addColors)
            {
                c.r += 255.0f * vc.r;
                c.g += 255.0f * vc.g;
                c.b += 255.0f * vc.b;
            }
            else
            {
                c.r *= vc.r;
                c.g *= vc.g;
                c.b *= vc.b;
            }
            a *= vc.a;
        }
        v.red = AtMost255(c.r);
        v.green = AtMost255(c.g);
        v.blue = AtMost255(c.b);
        v.alpha = AtMost255(a);
        // Lit points read the fog from the record: none.
        v.fog = 255.0f;
        if (specular)
            v.specular = highlight > 255.0f ? 255.0f : highlight > 0.0f ? highlight : 0.0f;
    }
    return QrRenderCode::kOk;
}
