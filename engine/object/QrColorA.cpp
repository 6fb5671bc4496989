#include "QrColorA.h"

#include "QrStream.h"

void QrColorA::LoadBinary(QrStream& stream)
{
    r = stream.LoadF32();
    g = stream.LoadF32();
    b = stream.LoadF32();
    a = stream.LoadF32();
}

void QrColorA::SaveBinary(QrStream& stream) const
{
    stream.SaveF32(r);
    stream.SaveF32(g);
    stream.SaveF32(b);
    stream.SaveF32(a);
}
