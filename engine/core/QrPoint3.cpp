#include "QrPoint3.h"

#include "QrMatrix3.h"
#include "QrStream.h"

#include <cmath>

void QrPoint3::Add(const QrPoint3& other, QrPoint3& out) const
{
    out = {x + other.x, y + other.y, z + other.z};
}

void QrPoint3::Subtract(const QrPoint3& other, QrPoint3& out) const
{
    out = {x - other.x, y - other.y, z - other.z};
}

void QrPoint3::AddAssign(const QrPoint3& other)
{
    x += other.x;
    y += other.y;
    z += other.z;
}

void QrPoint3::SubtractAssign(const QrPoint3& other)
{
    x -= other.x;
    y -= other.y;
    z -= other.z;
}

void QrPoint3::Scale(float s, QrPoint3& out) const
{
    out = {x * s, y * s, z * s};
}

void QrPoint3::Negate(QrPoint3& out) const
{
    out = {-x, -y, -z};
}

void QrPoint3::DivideScalar(float s)
{
    const double inv = 1.0 / double(s);
    x = float(x * inv);
    y = float(y * inv);
    z = float(z * inv);
}

QrPoint3 QrPoint3::operator/(float s) const
{
    QrPoint3 r = *this;
    r.DivideScalar(s);
    return r;
}

float QrPoint3::Dot(const QrPoint3& other) const
{
    return float(double(x) * other.x + double(y) * other.y + double(z) * other.z);
}

QrPoint3 QrPoint3::Cross(const QrPoint3& other) const
{
    return {float(double(y) * other.z - double(z) * other.y), float(double(z) * other.x - double(x) * other.z),
            float(double(x) * other.y - double(y) * other.x)};
}

float QrPoint3::Length() const
{
    return float(std::sqrt(double(x) * x + double(y) * y + double(z) * z));
}

float QrPoint3::Unitize()
{
    const double length = std::sqrt(double(x) * x + double(y) * y + double(z) * z);
    if (length <= 1e-6)
    {
        *this = ZERO;
        return 0.0f;
    }
    const double inv = 1.0 / length;
    x = float(x * inv);
    y = float(y * inv);
    z = float(z * inv);
    return float(length);
}

bool QrPoint3::IsEqual(const QrPoint3& other) const
{
    return x == other.x && y == other.y && z == other.z;
}

QrPoint3 QrPoint3::TimesMatrix(const QrMatrix3& m) const
{
    QrPoint3 r;
    float* out[3] = {&r.x, &r.y, &r.z};
    for (int j = 0; j < 3; ++j)
        *out[j] = float(double(x) * m.m[0][j] + double(y) * m.m[1][j] + double(z) * m.m[2][j]);
    return r;
}

void QrPoint3::LoadBinary(QrStream& stream)
{
    x = stream.LoadF32();
    y = stream.LoadF32();
    z = stream.LoadF32();
}

void QrPoint3::SaveBinary(QrStream& stream) const
{
    stream.SaveF32(x);
    stream.SaveF32(y);
    stream.SaveF32(z);
}
