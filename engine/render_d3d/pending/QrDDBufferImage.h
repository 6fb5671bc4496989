#pragma once
// PENDING: stand-in until the image classes are merged; removed then.

#include "QrDDImage.h"

class QrDDBufferImage : public QrDDImage
{
    QR_DECLARE_RTTI

public:
    static QrPointer<QrDDBufferImage> Create(const std::shared_ptr<plat::Surface>& surface);

protected:
    ~QrDDBufferImage() override = default;
};
