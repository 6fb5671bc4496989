#include "SampleData.h"

#include "QrPointer.h"
#include "QrTriShape.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace gen
{

namespace
{

// Closed ellipsoid of half axes (ax, ay, az): rings x segments quads between the poles, two
// triangles each, wound outward; unit normals of the ellipsoid.
QrPointer<QrTriShape> Ellipsoid(float ax, float ay, float az, int rings, int segments)
{
    std::vector<QrPoint3> vertices, normals;
    for (int r = 0; r <= rings; ++r)
    {
        const double theta = 3.14159265358979 * r / rings;
        for (int s = 0; s <= segments; ++s)
        {
            const double phi = 2.0 * 3.14159265358979 * s / segments;
            const double x = std::sin(theta) * std::cos(phi), y = std::sin(theta) * std::sin(phi), z = std::cos(theta);
            vertices.push_back(QrPoint3(float(ax * x), float(ay * y), float(az * z)));
            QrPoint3 n(float(x / ax), float(y / ay), float(z / az));
            n.Unitize();
            normals.push_back(n);
        }
    }
    std::vector<uint16_t> indices;
    const int row = segments + 1;
    for (int r = 0; r < rings; ++r)
        for (int s = 0; s < segments; ++s)
        {
            const uint16_t a = uint16_t(r * row + s), b = uint16_t(a + 1), c = uint16_t(a + row), d = uint16_t(c + 1);
            // Pole rows collapse to a point: keep only the triangle with area there.
            if (r != 0)
                indices.insert(indices.end(), {a, d, b});
            if (r != rings - 1)
                indices.insert(indices.end(), {a, c, d});
        }
    return QrPointer<QrTriShape>(new QrTriShape(uint16_t(vertices.size()), vertices.data(), normals.data(),
                                                uint16_t(indices.size() / 3), indices.data(), nullptr, nullptr));
}

} // namespace

void GenerateCollision(Context& context)
{
    // A rock at rest and a hull heading for it: over a step of one second the hull's nose
    // goes from x = 2 to x = 0 and meets the rock's surface (x = 1) half way.
    QrPointer<QrTriShape> rock = Ellipsoid(1.0f, 1.0f, 1.0f, 12, 16);
    rock->SetName("Rock");
    QrPointer<QrTriShape> hull = Ellipsoid(2.0f, 0.8f, 0.6f, 10, 24);
    hull->SetName("Hull");
    hull->SetTranslate(4.0f, 0.0f, 0.0f);
    hull->GetVelocity() = QrPoint3(-2.0f, 0.0f, 0.0f);
    context.WriteScene("Data/Engine/Collision/collide.qrf", {rock.Get(), hull.Get()});
}

} // namespace gen
