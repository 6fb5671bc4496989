#include "qrxTerrainPage.h"

QR_IMPLEMENT_RTTI(qrxTerrainPage, QrTerrainPage)
QR_IMPLEMENT_CREATE(qrxTerrainPage)

namespace
{

const uint16_t* Enough(const std::shared_ptr<const qrxTerrainPage::Samples>& samples, uint16_t size)
{
    return samples && samples->size() >= size_t(size) * size ? samples->data() : nullptr;
}

} // namespace

qrxTerrainPage::qrxTerrainPage(uint16_t size, float originX, float originY, float minHeight, float maxHeight,
                               float spacing, std::shared_ptr<const Samples> samples, bool hasTextureCoords)
    : QrTerrainPage(size, originX, originY, minHeight, maxHeight, spacing, Enough(samples, size), hasTextureCoords),
      m_samples(std::move(samples))
{
}

void qrxTerrainPage::SetTextureRepeat(float repeat)
{
    m_textureRepeat = repeat;
    if (GetCellCount() > 0)
        SetTextureStep(repeat / float(GetCellCount()));
}
