#pragma once
// Two-component vector for screen and texture coordinates. A plain single-precision value.

class QrStream;

class QrPoint2
{
public:
    constexpr QrPoint2() = default;
    constexpr QrPoint2(float px, float py) : x(px), y(py) {}

    // Exact, component by component.
    bool IsEqual(const QrPoint2& other) const { return x == other.x && y == other.y; }

    void LoadBinary(QrStream& stream);
    void SaveBinary(QrStream& stream) const;

    QrPoint2 operator+(const QrPoint2& o) const { return {x + o.x, y + o.y}; }
    QrPoint2 operator-(const QrPoint2& o) const { return {x - o.x, y - o.y}; }
    QrPoint2 operator-() const { return {-x, -y}; }
    QrPoint2 operator*(float s) const { return {x * s, y * s}; }
    friend QrPoint2 operator*(float s, const QrPoint2& p) { return p * s; }
    QrPoint2& operator+=(const QrPoint2& o)
    {
        x += o.x;
        y += o.y;
        return *this;
    }
    QrPoint2& operator-=(const QrPoint2& o)
    {
        x -= o.x;
        y -= o.y;
        return *this;
    }
    bool operator==(const QrPoint2& o) const { return IsEqual(o); }
    bool operator!=(const QrPoint2& o) const { return !IsEqual(o); }

    static const QrPoint2 ZERO;
    static const QrPoint2 UNIT_X;
    static const QrPoint2 UNIT_Y;

    float x = 0.0f;
    float y = 0.0f;
};

// Constant-initialised, so code running before main already sees them.
inline constexpr QrPoint2 QrPoint2::ZERO{0.0f, 0.0f};
inline constexpr QrPoint2 QrPoint2::UNIT_X{1.0f, 0.0f};
inline constexpr QrPoint2 QrPoint2::UNIT_Y{0.0f, 1.0f};
