#include "QrPoint2.h"

#include "QrStream.h"

void QrPoint2::LoadBinary(QrStream& stream)
{
    x = stream.LoadF32();
    y = stream.LoadF32();
}

void QrPoint2::SaveBinary(QrStream& stream) const
{
    stream.SaveF32(x);
    stream.SaveF32(y);
}
