#pragma once
// Colour with alpha, each component from 0 to 1. A plain value.

class QrStream;

class QrColorA
{
public:
    constexpr QrColorA() = default;
    constexpr QrColorA(float pr, float pg, float pb, float pa) : r(pr), g(pg), b(pb), a(pa) {}

    // Exact comparison of the four components.
    bool IsEqual(const QrColorA& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }

    void LoadBinary(QrStream& stream);
    void SaveBinary(QrStream& stream) const;

    bool operator==(const QrColorA& o) const { return IsEqual(o); }
    bool operator!=(const QrColorA& o) const { return !IsEqual(o); }

    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
    float a = 0.0f;
};
