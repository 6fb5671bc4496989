#pragma once
// A terrain page whose texture repeats a given number of times across it: once above water,
// many times below, where the under-water texture tiles the lake floor. The page holds a share
// of its height samples, so they live as long as it does. Held by its sector.

#include "QrTerrainPage.h"

#include <memory>
#include <vector>

class qrxTerrainPage : public QrTerrainPage
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    using Samples = std::vector<uint16_t>;

    // An empty page (the class registry's).
    qrxTerrainPage() = default;
    // Fewer than size x size samples give an empty page.
    qrxTerrainPage(uint16_t size, float originX, float originY, float minHeight, float maxHeight, float spacing,
                   std::shared_ptr<const Samples> samples, bool hasTextureCoords);

    // Repeats of the texture across the page; sets the texture step per sample to match.
    void SetTextureRepeat(float repeat);
    float GetTextureRepeat() const { return m_textureRepeat; }

protected:
    ~qrxTerrainPage() override = default;

private:
    std::shared_ptr<const Samples> m_samples;
    float m_textureRepeat = 1.0f;
};
