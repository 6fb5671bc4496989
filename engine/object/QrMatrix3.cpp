#include "QrMatrix3.h"

#include "QrStream.h"

#include <cmath>

namespace
{

constexpr int kMaxEigenIterations = 32;

// Householder reduction of the symmetric a to tridiagonal form: on return d holds the
// diagonal, e the sub-diagonal in e[1..2] and a the accumulated orthogonal transform.
void Tridiagonalize(double a[3][3], double d[3], double e[3])
{
    const int n = 3;
    for (int i = n - 1; i > 0; --i)
    {
        const int l = i - 1;
        double h = 0.0;
        if (l > 0)
        {
            double scale = 0.0;
            for (int k = 0; k <= l; ++k)
                scale += std::fabs(a[i][k]);
            if (scale == 0.0)
            {
                e[i] = a[i][l];
            }
            else
            {
                for (int k = 0; k <= l; ++k)
                {
                    a[i][k] /= scale;
                    h += a[i][k] * a[i][k];
                }
                double f = a[i][l];
                double g = f >= 0.0 ? -std::sqrt(h) : std::sqrt(h);
                e[i] = scale * g;
                h -= f * g;
                a[i][l] = f - g;
                f = 0.0;
                for (int j = 0; j <= l; ++j)
                {
                    a[j][i] = a[i][j] / h;
                    g = 0.0;
                    for (int k = 0; k <= j; ++k)
                        g += a[j][k] * a[i][k];
                    for (int k = j + 1; k <= l; ++k)
                        g += a[k][j] * a[i][k];
                    e[j] = g / h;
                    f += e[j] * a[i][j];
                }
                const double hh = f / (h + h);
                for (int j = 0; j <= l; ++j)
                {
                    f = a[i][j];
                    g = e[j] - hh * f;
                    e[j] = g;
                    for (int k = 0; k <= j; ++k)
                        a[j][k] -= f * e[k] + g * a[i][k];
                }
            }
        }
        else
        {
            e[i] = a[i][l];
        }
        d[i] = h;
    }
    d[0] = 0.0;
    e[0] = 0.0;
    for (int i = 0; i < n; ++i)
    {
        const int l = i - 1;
        if (d[i] != 0.0)
        {
            for (int j = 0; j <= l; ++j)
            {
                double g = 0.0;
                for (int k = 0; k <= l; ++k)
                    g += a[i][k] * a[k][j];
                for (int k = 0; k <= l; ++k)
                    a[k][j] -= g * a[k][i];
            }
        }
        d[i] = a[i][i];
        a[i][i] = 1.0;
        for (int j = 0; j <= l; ++j)
        {
            a[j][i] = 0.0;
            a[i][j] = 0.0;
        }
    }
}

// Implicit QL on the tridiagonal (d, e), rotating the columns of z along. False when one
// eigenvalue needs more than kMaxEigenIterations sweeps.
bool QLImplicit(double d[3], double e[3], double z[3][3])
{
    const int n = 3;
    for (int i = 1; i < n; ++i)
        e[i - 1] = e[i];
    e[n - 1] = 0.0;

    for (int l = 0; l < n; ++l)
    {
        int iterations = 0;
        int m;
        do
        {
            for (m = l; m < n - 1; ++m)
            {
                const double dd = std::fabs(d[m]) + std::fabs(d[m + 1]);
                if (std::fabs(e[m]) + dd == dd)
                    break;
            }
            if (m == l)
                break;
            if (iterations++ == kMaxEigenIterations)
                return false;

            double g = (d[l + 1] - d[l]) / (2.0 * e[l]);
            double r = std::hypot(g, 1.0);
            g = d[m] - d[l] + e[l] / (g + (g >= 0.0 ? std::fabs(r) : -std::fabs(r)));
            double s = 1.0;
            double c = 1.0;
            double p = 0.0;
            int i;
            for (i = m - 1; i >= l; --i)
            {
                const double f = s * e[i];
                const double b = c * e[i];
                r = std::hypot(f, g);
                e[i + 1] = r;
                if (r == 0.0)
                {
                    // Underflow: deflate and start this eigenvalue again.
                    d[i + 1] -= p;
                    e[m] = 0.0;
                    break;
                }
                s = f / r;
                c = g / r;
                g = d[i + 1] - p;
                r = (d[i] - g) * s + 2.0 * c * b;
                p = s * r;
                d[i + 1] = g + p;
                g = c * r - b;
                for (int k = 0; k < n; ++k)
                {
                    const double t = z[k][i + 1];
                    z[k][i + 1] = s * z[k][i] + c * t;
                    z[k][i] = c * z[k][i] - s * t;
                }
            }
            if (r == 0.0 && i >= l)
                continue;
            d[l] -= p;
            e[l] = g;
            e[m] = 0.0;
        } while (true);
    }
    return true;
}

} // namespace

bool QrMatrix3::Inverse(QrMatrix3& out) const
{
    const double a = m[0][0], b = m[0][1], c = m[0][2];
    const double d = m[1][0], e = m[1][1], f = m[1][2];
    const double g = m[2][0], h = m[2][1], k = m[2][2];

    const double adj[3][3] = {{e * k - f * h, c * h - b * k, b * f - c * e},
                              {f * g - d * k, a * k - c * g, c * d - a * f},
                              {d * h - e * g, b * g - a * h, a * e - b * d}};
    const double det = a * adj[0][0] + b * adj[1][0] + c * adj[2][0];

    const bool invertible = std::fabs(det) > 1e-6;
    const double factor = invertible ? 1.0 / det : 1.0;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            out.m[i][j] = float(adj[i][j] * factor);
    return invertible;
}

void QrMatrix3::MakeFromKind(int kind, float a, float b, float c, float d)
{
    *this = QrMatrix3();
    // Only the rotations need the angle's sine and cosine.
    const bool rotation = kind >= kRotationX && kind <= kRotationAxis;
    const double cosA = rotation ? std::cos(double(a)) : 0.0;
    const double sinA = rotation ? std::sin(double(a)) : 0.0;
    switch (kind)
    {
    case kIdentity:
        m[0][0] = m[1][1] = m[2][2] = 1.0f;
        break;
    case kDiagonal:
        m[0][0] = a;
        m[1][1] = b;
        m[2][2] = c;
        break;
    case kRotationX:
        *this = {1.0f, 0.0f, 0.0f, 0.0f, float(cosA), float(sinA), 0.0f, float(-sinA), float(cosA)};
        break;
    case kRotationY:
        *this = {float(cosA), 0.0f, float(-sinA), 0.0f, 1.0f, 0.0f, float(sinA), 0.0f, float(cosA)};
        break;
    case kRotationZ:
        *this = {float(cosA), float(sinA), 0.0f, float(-sinA), float(cosA), 0.0f, 0.0f, 0.0f, 1.0f};
        break;
    case kRotationAxis:
    {
        const double t = 1.0 - cosA;
        const double x = b, y = c, z = d;
        *this = {float(x * x * t + cosA),     float(x * y * t + z * sinA), float(x * z * t - y * sinA),
                 float(x * y * t - z * sinA), float(y * y * t + cosA),     float(y * z * t + x * sinA),
                 float(x * z * t + y * sinA), float(y * z * t - x * sinA), float(z * z * t + cosA)};
        break;
    }
    default:
        break;
    }
}

bool QrMatrix3::SymmetricEigen(float values[3], QrMatrix3& vectors) const
{
    double z[3][3];
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            z[i][j] = m[i][j];
    double d[3] = {};
    double e[3] = {};
    Tridiagonalize(z, d, e);
    const bool converged = QLImplicit(d, e, z);

    // Eigenvector k is column k of z.
    for (int k = 0; k < 3; ++k)
    {
        values[k] = float(d[k]);
        for (int j = 0; j < 3; ++j)
            vectors.m[k][j] = float(z[j][k]);
    }
    const float(&v)[3][3] = vectors.m;
    const double det = double(v[0][0]) * (double(v[1][1]) * v[2][2] - double(v[1][2]) * v[2][1]) -
                       double(v[0][1]) * (double(v[1][0]) * v[2][2] - double(v[1][2]) * v[2][0]) +
                       double(v[0][2]) * (double(v[1][0]) * v[2][1] - double(v[1][1]) * v[2][0]);
    if (det < 0.0)
        vectors.SetRow(2, -vectors.GetRow(2));
    return converged;
}

void QrMatrix3::LoadBinary(QrStream& stream)
{
    for (auto& row : m)
        for (float& v : row)
            v = stream.LoadF32();
}

void QrMatrix3::SaveBinary(QrStream& stream) const
{
    for (const auto& row : m)
        for (float v : row)
            stream.SaveF32(v);
}
