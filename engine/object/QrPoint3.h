#pragma once
// Three-component vector: positions, directions, normals and RGB colours. A plain value,
// stored in single precision; compound arithmetic is carried out in double and rounded once.

#include <cmath>

class QrMatrix3;
class QrStream;

class QrPoint3
{
public:
    constexpr QrPoint3() = default;
    constexpr QrPoint3(float px, float py, float pz) : x(px), y(py), z(pz) {}

    // out = this + other, out = this - other.
    void Add(const QrPoint3& other, QrPoint3& out) const;
    void Subtract(const QrPoint3& other, QrPoint3& out) const;
    void AddAssign(const QrPoint3& other);
    void SubtractAssign(const QrPoint3& other);
    void Scale(float s, QrPoint3& out) const;
    void Negate(QrPoint3& out) const;
    // In place; multiplies by 1 / s, so s = 0 gives infinities.
    void DivideScalar(float s);

    float Dot(const QrPoint3& other) const;
    QrPoint3 Cross(const QrPoint3& other) const;
    float Length() const;
    // In place; returns the old length. Lengths of 1e-6 or less make the zero vector and return 0.
    float Unitize();
    // Exact, component by component.
    bool IsEqual(const QrPoint3& other) const;
    // Row vector times matrix: component j = sum over i of p_i m_ij (the transpose applied to p).
    QrPoint3 TimesMatrix(const QrMatrix3& m) const;

    void LoadBinary(QrStream& stream);
    void SaveBinary(QrStream& stream) const;
    // Loads or saves, as the stream does.
    void StreamBinary(QrStream& stream);

    QrPoint3 operator+(const QrPoint3& o) const { return {x + o.x, y + o.y, z + o.z}; }
    QrPoint3 operator-(const QrPoint3& o) const { return {x - o.x, y - o.y, z - o.z}; }
    QrPoint3 operator-() const { return {-x, -y, -z}; }
    QrPoint3 operator*(float s) const { return {x * s, y * s, z * s}; }
    friend QrPoint3 operator*(float s, const QrPoint3& p) { return p * s; }
    QrPoint3 operator/(float s) const;
    QrPoint3& operator+=(const QrPoint3& o)
    {
        AddAssign(o);
        return *this;
    }
    QrPoint3& operator-=(const QrPoint3& o)
    {
        SubtractAssign(o);
        return *this;
    }
    QrPoint3& operator*=(float s)
    {
        Scale(s, *this);
        return *this;
    }
    bool operator==(const QrPoint3& o) const { return IsEqual(o); }
    bool operator!=(const QrPoint3& o) const { return !IsEqual(o); }

    static const QrPoint3 ZERO;

    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

// Constant-initialised, so code running before main already sees it.
inline constexpr QrPoint3 QrPoint3::ZERO{0.0f, 0.0f, 0.0f};

// Inline: skinning, normal and culling loops call these per vertex, where a call costs more
// than the arithmetic.

inline void QrPoint3::Add(const QrPoint3& other, QrPoint3& out) const
{
    out = {x + other.x, y + other.y, z + other.z};
}

inline void QrPoint3::Subtract(const QrPoint3& other, QrPoint3& out) const
{
    out = {x - other.x, y - other.y, z - other.z};
}

inline void QrPoint3::AddAssign(const QrPoint3& other)
{
    x += other.x;
    y += other.y;
    z += other.z;
}

inline void QrPoint3::SubtractAssign(const QrPoint3& other)
{
    x -= other.x;
    y -= other.y;
    z -= other.z;
}

inline void QrPoint3::Scale(float s, QrPoint3& out) const
{
    out = {x * s, y * s, z * s};
}

inline void QrPoint3::Negate(QrPoint3& out) const
{
    out = {-x, -y, -z};
}

inline void QrPoint3::DivideScalar(float s)
{
    const double inv = 1.0 / double(s);
    x = float(x * inv);
    y = float(y * inv);
    z = float(z * inv);
}

inline QrPoint3 QrPoint3::operator/(float s) const
{
    QrPoint3 r = *this;
    r.DivideScalar(s);
    return r;
}

inline float QrPoint3::Dot(const QrPoint3& other) const
{
    return float(double(x) * other.x + double(y) * other.y + double(z) * other.z);
}

inline QrPoint3 QrPoint3::Cross(const QrPoint3& other) const
{
    return {float(double(y) * other.z - double(z) * other.y), float(double(z) * other.x - double(x) * other.z),
            float(double(x) * other.y - double(y) * other.x)};
}

inline float QrPoint3::Length() const
{
    return float(std::sqrt(double(x) * x + double(y) * y + double(z) * z));
}

inline float QrPoint3::Unitize()
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

inline bool QrPoint3::IsEqual(const QrPoint3& other) const
{
    return x == other.x && y == other.y && z == other.z;
}
