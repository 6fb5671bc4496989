#pragma once
// A triangle shape built vertex by vertex, for the generated models; without texture
// coordinates a vertex gets (0, 0).

#include "QrColorA.h"
#include "QrPoint3.h"
#include "QrPointer.h"
#include "QrTriShape.h"

#include <cstdint>
#include <vector>

namespace gen
{

struct Mesh
{
    std::vector<QrPoint3> vertices;
    std::vector<QrPoint3> uv;
    std::vector<QrColorA> colors;
    std::vector<uint16_t> indices;

    uint16_t Add(const QrPoint3& p, const QrPoint3& t, const QrColorA& c)
    {
        vertices.push_back(p);
        uv.push_back(t);
        colors.push_back(c);
        return uint16_t(vertices.size() - 1);
    }
    uint16_t Add(const QrPoint3& p, const QrColorA& c) { return Add(p, QrPoint3(0.0f, 0.0f, 0.0f), c); }
    void Triangle(uint16_t a, uint16_t b, uint16_t c) { indices.insert(indices.end(), {a, b, c}); }
    QrPointer<QrTriShape> Make(const char* name) const
    {
        QrPointer<QrTriShape> shape(new QrTriShape(uint16_t(vertices.size()), vertices.data(), nullptr,
                                                   uint16_t(indices.size() / 3), indices.data(), uv.data(),
                                                   colors.data()));
        shape->CalculateNormals();
        shape->SetName(name);
        return shape;
    }
};

} // namespace gen
