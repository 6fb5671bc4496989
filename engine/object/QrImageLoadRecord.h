#pragma once
// Load record of an image: its source flag, and the image already loaded from the same stream
// under the same file name, which the record's link id then stands for.

#include "QrLoadRecord.h"

class QrImage;

class QrImageLoadRecord : public QrLoadRecord
{
public:
    // 1: the record names a file; 0: it links a raw image.
    uint8_t m_external = 1;
    QrImage* m_sharedImage = nullptr;
};
