// One image file per call through one reader (QR_FUZZ_READ), into pixels and into a raw image.
#include "QrImagePixels.h"
#include "QrImageReader.h"
#include "QrObject.h"
#include "QrPointer.h"
#include "QrRawImageData.h"

#include "ByteReader.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const uint32_t live = QrObject::GetLiveCount();
    {
        plat::ByteReader input(data, size);
        QrImagePixels pixels;
        QrImageReader::QR_FUZZ_READ(input, pixels);
        plat::ByteReader again(data, size);
        QrPointer<QrRawImageData> raw(new QrRawImageData);
        QrImageReader::QR_FUZZ_READ(again, *raw);
    }
    if (QrObject::GetLiveCount() != live)
    {
        std::fprintf(stderr, "engine objects left behind\n");
        std::abort();
    }
    return 0;
}
