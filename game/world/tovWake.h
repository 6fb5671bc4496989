#pragma once
// The foam trail behind a moving boat: a ring of tiles laid one after the other at the stern,
// chained edge to edge into one strip that spreads sideways and fades as it ages, and a short
// stern patch that joins the newest tile to the boat. A boat owns two (inner and outer); its
// frame update feeds them. Vertices are in the coordinates of the wake's parent.

#include "QrNode.h"
#include "QrPoint3.h"
#include "QrPointer.h"

#include <cstdint>
#include <string>

class QrMatrix3;
class QrTextureProperty;
class QrTriShape;

class tovWake : public QrNode
{
    QR_DECLARE_RTTI

public:
    static constexpr int32_t kTileCount = 25;
    static constexpr int32_t kMinTiles = 10;
    static constexpr int32_t kStatusLineCount = 14;

    tovWake();

    void SetTexture(QrTextureProperty* texture);
    // When set, the stern points move inward with speed.
    void SetNarrowing(bool narrowing) { m_narrowing = narrowing ? 1 : 0; }
    // 0 to 1: fewer tiles and a faster spread at the low end.
    void SetPerformance(float performance);
    // Off hides the strip; on starts a fresh one.
    void SetEnabled(bool enabled);
    void SetUnderwater(bool aboveWater);
    using QrNode::Update;
    // One frame: the boat's position and orientation (x across, z along, y up), its speed and
    // its speed over the maximum.
    void Update(double elapsed, const QrPoint3& position, const QrMatrix3& orientation, float velocity,
                float normalisedVelocity);
    void SetTileAlpha(int32_t tile, float alpha);
    // The parent's origin moved by -shift: every laid point moves by shift, so the strip stays
    // where it lies on the water.
    void MoveOrigin(const QrPoint3& shift);

    int GetStatusLineCount() const { return kStatusLineCount; }
    std::string DebugDump(int line) const;

    QrTriShape* GetTile(int32_t i) const;
    QrTriShape* GetSternPatch() const { return m_stern.Get(); }
    int32_t GetNewestTile() const { return m_newest; }
    int32_t GetTilesAvailable() const { return m_available; }
    int32_t GetTilesInUse() const { return m_inUse; }
    float GetSpreadFactor() const { return m_spreadFactor; }
    float GetTransparency(int32_t i) const;
    bool IsEnabled() const { return m_enabled != 0; }

protected:
    ~tovWake() override;

private:
    struct Stern
    {
        QrPoint3 nearLeft, nearRight, farLeft, farRight;
    };
    Stern SternPoints(const QrPoint3& position, const QrMatrix3& orientation) const;
    int32_t TileFromNewest(int32_t k) const;
    void Spread(double elapsed);
    void Fade();
    void LayTile(const Stern& stern, const QrMatrix3& orientation);
    void RefreshVisibility();
    void HideTile(int32_t i);

    QrPointer<QrTriShape> m_tiles[kTileCount];
    int32_t m_newest = -1;
    QrPointer<QrTriShape> m_stern;
    uint8_t m_narrowing = 1;
    uint8_t m_enabled = 1;
    int32_t m_available = kTileCount;
    int32_t m_inUse = 0;
    float m_performance = 1.0f;
    float m_velocity = 0.0f;
    float m_normalisedVelocity = 0.0f;
    float m_wakeSpeed = 0.0f;
    float m_wakeLength = 0.0f;
    float m_spreadRate = 0.5f;
    float m_spreadFactor = 1.0f;
    float m_transparency[kTileCount] = {};
    QrPoint3 m_lastPosition;
    QrPointer<QrTextureProperty> m_texture;
    uint8_t m_aboveWater = 1;
    double m_accumulated = 0.0;
};
