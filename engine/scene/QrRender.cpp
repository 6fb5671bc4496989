#include "QrRender.h"

#include "QrImage.h"

QR_IMPLEMENT_RTTI(QrRender, QrObject)
QR_IMPLEMENT_ABSTRACT_CREATE(QrRender)

QrRender::~QrRender()
{
    // Images must never be prepared for a renderer that is gone.
    QrImage::RemoveRenderer(this, 0);
    QrImage::RemoveRenderer(this, 1);
}

uint32_t QrRender::SetPropertyState(const QrPointerList<QrProperty>*)
{
    return kPropertyStateUnchecked;
}

uint32_t QrRender::RenderLines(uint16_t, const QrPoint3*, const QrPoint3*, const QrColorA*, const QrBound&)
{
    return 0;
}

bool QrRender::GetTextureMemory(uint32_t*, uint32_t*)
{
    return false;
}

bool QrRender::GetTextureStatistics(uint32_t*, uint32_t*, uint32_t*, uint32_t*, uint32_t*)
{
    return false;
}

uint32_t QrRender::GetTextureStatus()
{
    return 0;
}
