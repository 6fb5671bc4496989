#include "QrCopyVertices.h"

#include "QrColorA.h"
#include "QrMaterialRecord.h"
#include "QrPoint3.h"
#include "QrTransformedVertex.h"

namespace
{

// One loop for the four kernels; the colour step is chosen at compile time.
template <class SetColour>
void Copy(uint32_t count, QrTransformedVertex* records, const QrPoint3* positions, const QrPoint3* textureCoords,
          SetColour setColour)
{
    for (uint32_t i = 0; i < count; ++i)
    {
        QrTransformedVertex& v = records[i];
        if (!v.used)
            continue;
        v.x = positions[i].x;
        v.y = positions[i].y;
        v.z = positions[i].z;
        if (textureCoords)
        {
            v.tu0 = textureCoords[i].x;
            v.tv0 = textureCoords[i].y;
        }
        setColour(v, i);
        v.batch = 0;
    }
}

} // namespace

void QrCopyVertices(uint32_t count, QrTransformedVertex* records, const QrPoint3* positions,
                    const QrPoint3* textureCoords)
{
    Copy(count, records, positions, textureCoords, [](QrTransformedVertex&, uint32_t) {});
}

void QrCopyVerticesVertexColor(uint32_t count, QrTransformedVertex* records, const QrPoint3* positions,
                               const QrPoint3* textureCoords, const QrColorA* colors)
{
    Copy(count, records, positions, textureCoords,
         [colors](QrTransformedVertex& v, uint32_t i)
         {
             v.red = colors[i].r * 255.0f;
             v.green = colors[i].g * 255.0f;
             v.blue = colors[i].b * 255.0f;
             v.alpha = colors[i].a * 255.0f;
         });
}

void QrCopyVerticesMaterial(uint32_t count, QrTransformedVertex* records, const QrPoint3* positions,
                            const QrPoint3* textureCoords, const QrMaterialRecord& material)
{
    const float r = material.diffuse.x * 255.0f;
    const float g = material.diffuse.y * 255.0f;
    const float b = material.diffuse.z * 255.0f;
    const float a = material.alpha * 255.0f;
    Copy(count, records, positions, textureCoords,
         [=](QrTransformedVertex& v, uint32_t)
         {
             v.red = r;
             v.green = g;
             v.blue = b;
             v.alpha = a;
         });
}

void QrCopyVerticesMaterialVertexColor(uint32_t count, QrTransformedVertex* records, const QrPoint3* positions,
                                       const QrPoint3* textureCoords, const QrMaterialRecord& material,
                                       const QrColorA* colors)
{
    const float r = material.diffuse.x * 255.0f;
    const float g = material.diffuse.y * 255.0f;
    const float b = material.diffuse.z * 255.0f;
    const float a = material.alpha * 255.0f;
    Copy(count, records, positions, textureCoords,
         [=](QrTransformedVertex& v, uint32_t i)
         {
             v.red = r * colors[i].r;
             v.green = g * colors[i].g;
             v.blue = b * colors[i].b;
             v.alpha = a * colors[i].a;
         });
}
