#include "QrPoint3.h"

#include "QrMatrix3.h"
#include "QrStream.h"

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

void QrPoint3::StreamBinary(QrStream& stream)
{
    if (stream.IsLoading())
        LoadBinary(stream);
    else
        SaveBinary(stream);
}
