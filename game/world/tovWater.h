#pragma once
// The lake's water surface: a 4 x 4 block of patches that all show one animated wave grid,
// with three rings of flat layer quads out to the horizon at ever coarser scales. The node
// follows the camera in whole patches. Below water every mesh turns over and the rings move
// from under the wave troughs to over the crests. Built in code by the fishing mode, which
// hands it to the scene root and the sky; never loaded from a scene file.

#include "qrxIdleObject.h"
#include "tovWaterEffects.h"

#include "QrNode.h"
#include "QrPointer.h"

#include <array>
#include <cstdint>

class QrAlphaProperty;
class QrCamera;
class QrTriShape;
class qrxAnimatedTextureProperty;
class qrxIdleManager;
class qrxWaveGrid;
class tovWaterFollowAction;

class tovWater : public QrNode, public qrxIdleObject, public tovWaterEffects
{
    QR_DECLARE_RTTI

public:
    static constexpr int32_t kRingCount = 3;
    static constexpr int32_t kRingTiles = 8;
    static constexpr int32_t kPatchSide = 4;

    // n cells of the given spacing along each side of a patch. The surface texture's idle part
    // goes to textureIdle (the fishing world's manager; null leaves it unstepped).
    tovWater(int32_t n, float spacing, qrxIdleManager* textureIdle);

    // Transparency of the water and its effects needs detail level 2, or 8 when the display
    // has no 3D acceleration (level = detail x 15, truncated).
    static bool IsTransparencyAllowed();

    // Runs the wave step while active.
    void Update(double now, double elapsed) override;
    using QrNode::Update;
    // Off flattens the water and stops the waves.
    void SetActive(bool on) override;
    bool IsActive() const { return m_active != 0; }
    // Wave radius a; the rings sit 1.1 a, 1.2 a and 1.3 a away from the plane.
    void SetWaveScale(float a) override;
    void SetWavePeriod(float seconds) override;
    void SetAlphaFlag(bool on);
    qrxAnimatedTextureProperty* GetAnimatedTexture() const override { return m_texture.Get(); }
    void AttachToCamera(QrCamera* camera);
    void SetUnderwater(bool below);
    bool IsUnderwater() const { return m_below != 0; }
    // Moves the block in whole patches so the camera's position p lies near its middle.
    void Recentre(const QrPoint3& p);

    qrxWaveGrid* GetWaveGrid() const { return m_grid.Get(); }
    float GetPatchSize() const { return m_patchSize; }
    QrNode* GetPatch(int32_t index) const;
    // Ring k (1 to 3), tile t (0 to 7).
    QrNode* GetRingNode(int32_t k, int32_t t) const;
    QrTriShape* GetRingMesh(int32_t k) const;
    QrAlphaProperty* GetLayerAlpha() const { return m_layerAlpha.Get(); }
    tovWaterFollowAction* GetFollowAction() const { return m_follow.Get(); }

protected:
    ~tovWater() override;

private:
    void AttachSurfaceProperties(bool transparent, qrxIdleManager* textureIdle);
    void BuildRing(int32_t k);
    QrPointer<QrTriShape> MakeRingMesh(float tile) const;
    void SetRingHeight(int32_t k, float h, bool below);
    void SetRingHeights(float a, bool below);
    void FlipWinding();

    uint8_t m_below = 0;
    int32_t m_cells;
    float m_patchSize;
    float m_spacing;
    QrPointer<qrxWaveGrid> m_grid;
    std::array<QrPointer<QrTriShape>, kRingCount> m_ringMeshes;
    QrPointer<tovWaterFollowAction> m_follow;
    std::array<QrPointer<QrNode>, kPatchSide * kPatchSide> m_patches;
    std::array<std::array<QrPointer<QrNode>, kRingTiles>, kRingCount> m_ringNodes;
    QrPointer<QrAlphaProperty> m_layerAlpha;
    QrPointer<qrxAnimatedTextureProperty> m_texture;
    uint8_t m_active = 1;
};
