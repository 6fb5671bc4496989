#include "QrQuaternion.h"

#include "QrMatrix3.h"
#include "QrStream.h"

#include <algorithm>
#include <cmath>

namespace
{

double Pi()
{
    static const double pi = 4.0 * std::atan2(1.0, 1.0);
    return pi;
}

double DotD(const QrQuaternion& p, const QrQuaternion& q)
{
    return double(p.w) * q.w + double(p.x) * q.x + double(p.y) * q.y + double(p.z) * q.z;
}

QrQuaternion Weighted(double wp, const QrQuaternion& p, double wq, const QrQuaternion& q)
{
    return {float(wp * p.w + wq * q.w), float(wp * p.x + wq * q.x), float(wp * p.y + wq * q.y),
            float(wp * p.z + wq * q.z)};
}

// acos of a float that rounding may have pushed just past +-1.
double SafeAcos(double c)
{
    return std::acos(std::clamp(c, -1.0, 1.0));
}

} // namespace

QrQuaternion QrQuaternion::Add(const QrQuaternion& p, const QrQuaternion& q)
{
    return {p.w + q.w, p.x + q.x, p.y + q.y, p.z + q.z};
}

QrQuaternion QrQuaternion::Subtract(const QrQuaternion& p, const QrQuaternion& q)
{
    return {p.w - q.w, p.x - q.x, p.y - q.y, p.z - q.z};
}

QrQuaternion QrQuaternion::Negate(const QrQuaternion& q)
{
    return {-q.w, -q.x, -q.y, -q.z};
}

QrQuaternion QrQuaternion::Scale(const QrQuaternion& q, float s)
{
    return {q.w * s, q.x * s, q.y * s, q.z * s};
}

QrQuaternion QrQuaternion::ScaleLeft(float s, const QrQuaternion& q)
{
    return {s * q.w, s * q.x, s * q.y, s * q.z};
}

float QrQuaternion::Dot(const QrQuaternion& p, const QrQuaternion& q)
{
    return float(DotD(p, q));
}

QrQuaternion QrQuaternion::Multiply(const QrQuaternion& p, const QrQuaternion& q)
{
    const double pw = p.w, px = p.x, py = p.y, pz = p.z;
    return {float(pw * q.w - px * q.x - py * q.y - pz * q.z), float(pw * q.x + px * q.w + py * q.z - pz * q.y),
            float(pw * q.y - px * q.z + py * q.w + pz * q.x), float(pw * q.z + px * q.y - py * q.x + pz * q.w)};
}

QrQuaternion QrQuaternion::Inverse(const QrQuaternion& q)
{
    return {q.w, -q.x, -q.y, -q.z};
}

QrQuaternion QrQuaternion::FromAngleAxis(float angle, const QrPoint3& axis)
{
    const double half = 0.5 * angle;
    const double s = std::sin(half);
    return {float(std::cos(half)), float(s * axis.x), float(s * axis.y), float(s * axis.z)};
}

void QrQuaternion::ToAngleAxis(float& angle, QrPoint3& axis) const
{
    const double length = std::sqrt(double(x) * x + double(y) * y + double(z) * z);
    if (length < 0.001)
    {
        angle = 0.0f;
        axis = QrPoint3::ZERO;
        return;
    }
    angle = float(2.0 * SafeAcos(w));
    const double inv = 1.0 / length;
    axis = {float(x * inv), float(y * inv), float(z * inv)};
}

void QrQuaternion::ToRotation(QrMatrix3& out) const
{
    const double dw = w, dx = x, dy = y, dz = z;
    const double xx = dx * dx, yy = dy * dy, zz = dz * dz;
    const double xy = dx * dy, xz = dx * dz, yz = dy * dz;
    const double wx = dw * dx, wy = dw * dy, wz = dw * dz;
    out = {float(1.0 - 2.0 * (yy + zz)), float(2.0 * xy - 2.0 * wz),   float(2.0 * xz + 2.0 * wy),
           float(2.0 * xy + 2.0 * wz),   float(1.0 - 2.0 * (xx + zz)), float(2.0 * yz - 2.0 * wx),
           float(2.0 * xz - 2.0 * wy),   float(2.0 * yz + 2.0 * wx),   float(1.0 - 2.0 * (xx + yy))};
}

QrQuaternion QrQuaternion::FromRotation(const QrMatrix3& mat)
{
    const auto& m = mat.m;
    const double trace = double(m[0][0]) + m[1][1] + m[2][2];
    if (trace > 0.0)
    {
        const double s = std::sqrt(trace + 1.0);
        const double f = 0.5 / s;
        return {float(s * 0.5), float((double(m[2][1]) - m[1][2]) * f), float((double(m[0][2]) - m[2][0]) * f),
                float((double(m[1][0]) - m[0][1]) * f)};
    }
    // The largest diagonal element keeps s well away from zero; ties keep the lower index.
    int i = 0;
    if (m[1][1] > m[0][0])
        i = 1;
    if (m[2][2] > m[i][i])
        i = 2;
    const int j = (i + 1) % 3;
    const int k = (j + 1) % 3;
    const double s = std::sqrt(double(m[i][i]) - m[j][j] - m[k][k] + 1.0);
    const double f = 0.5 / s;
    double v[3];
    v[i] = s * 0.5;
    v[j] = (double(m[i][j]) + m[j][i]) * f;
    v[k] = (double(m[i][k]) + m[k][i]) * f;
    return {float((double(m[k][j]) - m[j][k]) * f), float(v[0]), float(v[1]), float(v[2])};
}

QrQuaternion QrQuaternion::Exp(const QrQuaternion& q)
{
    const double theta = std::sqrt(double(q.x) * q.x + double(q.y) * q.y + double(q.z) * q.z);
    const double factor = theta < 0.001 ? 1.0 : std::sin(theta) / theta;
    return {float(std::cos(theta)), float(factor * q.x), float(factor * q.y), float(factor * q.z)};
}

QrQuaternion QrQuaternion::Log(const QrQuaternion& q)
{
    const double theta = SafeAcos(q.w);
    const double sinTheta = std::sin(theta);
    const double factor = sinTheta < 0.001 ? 1.0 : theta / sinTheta;
    return {0.0f, float(factor * q.x), float(factor * q.y), float(factor * q.z)};
}

QrQuaternion QrQuaternion::Slerp(float t, const QrQuaternion& p, const QrQuaternion& q)
{
    return SlerpExtraSpins(t, p, q, 0);
}

QrQuaternion QrQuaternion::SlerpExtraSpins(float t, const QrQuaternion& p, const QrQuaternion& q, int spins)
{
    const double theta = SafeAcos(DotD(p, q));
    const double sinTheta = std::sin(theta);
    if (sinTheta < 0.001)
        return p;
    const double phi = spins * Pi() * t;
    const double wp = std::sin((1.0 - t) * theta - phi) / sinTheta;
    const double wq = std::sin(t * theta + phi) / sinTheta;
    return Weighted(wp, p, wq, q);
}

QrQuaternion QrQuaternion::Intermediate(const QrQuaternion& prev, const QrQuaternion& q, const QrQuaternion& next)
{
    const QrQuaternion inv = Inverse(q);
    const QrQuaternion toNext = Log(Multiply(inv, next));
    const QrQuaternion toPrev = Log(Multiply(inv, prev));
    return Multiply(q, Exp(Scale(Add(toNext, toPrev), -0.25f)));
}

QrQuaternion QrQuaternion::Squad(float t, const QrQuaternion& p, const QrQuaternion& a, const QrQuaternion& b,
                                 const QrQuaternion& q)
{
    return SquadExtraSpins(t, p, a, b, q, 0);
}

QrQuaternion QrQuaternion::SquadExtraSpins(float t, const QrQuaternion& p, const QrQuaternion& a, const QrQuaternion& b,
                                           const QrQuaternion& q, int spins)
{
    const float blend = float(2.0 * t * (1.0 - t));
    return Slerp(blend, SlerpExtraSpins(t, p, q, spins), Slerp(t, a, b));
}

void QrQuaternion::LoadBinary(QrStream& stream)
{
    w = stream.LoadF32();
    x = stream.LoadF32();
    y = stream.LoadF32();
    z = stream.LoadF32();
}

void QrQuaternion::SaveBinary(QrStream& stream) const
{
    stream.SaveF32(w);
    stream.SaveF32(x);
    stream.SaveF32(y);
    stream.SaveF32(z);
}
