#include "SampleShapes.h"

#include "QrColorA.h"
#include "QrPoint3.h"

#include <cstdint>
#include <vector>

namespace gen
{

QrPointer<QrTriShape> MakeBox(const char* name, float hx, float hy, float hz, const QrColorA& color)
{
    // Each face: its four corners in counter-clockwise order seen from outside.
    static const int8_t kFaces[6][4][3] = {
        {{1, -1, -1}, {1, 1, -1}, {1, 1, 1}, {1, -1, 1}}, {{-1, -1, 1}, {-1, 1, 1}, {-1, 1, -1}, {-1, -1, -1}},
        {{-1, 1, -1}, {-1, 1, 1}, {1, 1, 1}, {1, 1, -1}}, {{-1, -1, 1}, {-1, -1, -1}, {1, -1, -1}, {1, -1, 1}},
        {{-1, -1, 1}, {1, -1, 1}, {1, 1, 1}, {-1, 1, 1}}, {{1, -1, -1}, {-1, -1, -1}, {-1, 1, -1}, {1, 1, -1}},
    };
    static const QrPoint3 kCorners[4] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    std::vector<QrPoint3> vertices;
    std::vector<QrPoint3> uv;
    std::vector<QrColorA> colors;
    std::vector<uint16_t> indices;
    for (const auto& face : kFaces)
    {
        const uint16_t base = static_cast<uint16_t>(vertices.size());
        for (int k = 0; k < 4; ++k)
        {
            vertices.emplace_back(face[k][0] * hx, face[k][1] * hy, face[k][2] * hz);
            uv.push_back(kCorners[k]);
            colors.push_back(color);
        }
        for (uint16_t k : {0, 1, 2, 0, 2, 3})
            indices.push_back(static_cast<uint16_t>(base + k));
    }
    QrPointer<QrTriShape> box(new QrTriShape(static_cast<uint16_t>(vertices.size()), vertices.data(), nullptr,
                                             static_cast<uint16_t>(indices.size() / 3), indices.data(), uv.data(),
                                             colors.data()));
    box->CalculateNormals();
    if (name)
        box->SetName(name);
    return box;
}

QrPointer<QrTriShape> MakeSheet(const char* name, int cells, float size, const QrColorA& color)
{
    std::vector<QrPoint3> vertices;
    std::vector<QrPoint3> uv;
    std::vector<QrColorA> colors;
    std::vector<uint16_t> indices;
    const float half = cells * size * 0.5f;
    for (int row = 0; row <= cells; ++row)
        for (int column = 0; column <= cells; ++column)
        {
            vertices.emplace_back(column * size - half, 0.0f, row * size - half);
            uv.emplace_back(float(column) / cells, float(row) / cells, 0.0f);
            colors.push_back(color);
        }
    for (int row = 0; row < cells; ++row)
        for (int column = 0; column < cells; ++column)
        {
            const uint16_t a = static_cast<uint16_t>(row * (cells + 1) + column);
            const uint16_t b = static_cast<uint16_t>(a + cells + 1);
            for (uint16_t index : {a, b, uint16_t(b + 1), a, uint16_t(b + 1), uint16_t(a + 1)})
                indices.push_back(index);
        }
    QrPointer<QrTriShape> sheet(new QrTriShape(static_cast<uint16_t>(vertices.size()), vertices.data(), nullptr,
                                               static_cast<uint16_t>(indices.size() / 3), indices.data(), uv.data(),
                                               colors.data()));
    sheet->CalculateNormals();
    if (name)
        sheet->SetName(name);
    return sheet;
}

} // namespace gen
