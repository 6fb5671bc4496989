#pragma once
// The engine's renderer on the display and 3D device of the platform. Made only by Create;
// most operations pass straight on to the driver it owns, the driver's device, the device's
// context or its texture manager. The first renderer made stays the current one until the
// program lets it go.

#include "QrDDFormatSource.h"
#include "QrPointer.h"
#include "QrRender.h"

#include <cstdint>
#include <memory>
#include <vector>

class QrD3DDriver;
struct QrRenderCreateParams;

class QrD3DRender : public QrRender, public QrDDFormatSource
{
    QR_DECLARE_RTTI

public:
    // Makes every engine image from now on a renderer image; true.
    static bool SetImageHook();
    // Null on any failure, with the reason in the last-error text.
    static QrPointer<QrD3DRender> Create(const QrRenderCreateParams& params);
    // The first renderer made; null until then or after ReleaseCurrentRenderer.
    static QrD3DRender* GetCurrentRenderer();
    static void ReleaseCurrentRenderer();
    // The last creation failure, at most 255 characters; empty when none was kept.
    static const char* GetLastErrorText();

    uint32_t GetSerial() const { return m_serial; }
    QrD3DDriver* GetDriver() const { return m_driver.get(); }

    const char* GetDeviceName() override;
    uint32_t GetDeviceFlags() override;
    uint32_t SetPropertyState(const QrPointerList<QrProperty>* properties) override;

    uint32_t BeginFrame() override;
    uint32_t EndFrame() override;
    uint32_t DisplayFrame() override;
    uint32_t ClearBuffer(const QrRect* rect, uint32_t flags) override;
    void SetBackgroundColor(const QrPoint3& color) override;
    // The colour clears fill with, packed 0x00RRGGBB as SetBackgroundColor stores it.
    uint32_t GetBackgroundColor() const;
    void UpdateLight(const QrLight* light, uint32_t enable) override;
    void SetMaterial(const QrMaterialProperty* material) override;
    void SetCameraData(const QrPoint3& location, const QrPoint3& nearPoint, const QrPoint3& direction,
                       const QrPoint3& up, const float (&frustum)[6], const float (&viewport)[4]) override;
    // The draws carry world-space arrays: nothing to do.
    void SetWorldTransform(const QrPoint3& translation, const QrMatrix3& rotation, float scale) override;

    uint32_t RenderShape(uint16_t triangleCount, uint16_t vertexCount, const QrPoint3* vertices,
                         const QrPoint3* normals, const QrPlane* planes, uint16_t textureSetCount,
                         const QrPoint3* textureCoords, const QrColorA* colors, const uint16_t* indices,
                         const QrBound& worldBound, const QrPoint3& eye) override;
    uint32_t RenderTriangles(uint16_t triangleCount, const QrPoint3* vertices, const QrPoint3* normals,
                             const QrPlane* planes, uint16_t textureSetCount, const QrPoint3* textureCoords,
                             const QrColorA* colors, const QrBound& worldBound, const QrPoint3& eye) override;
    uint32_t RenderTristrips(uint16_t triangleCount, const QrPoint3* vertices, const QrPoint3* normals,
                             const QrPlane* planes, uint16_t textureSetCount, const QrPoint3* textureCoords,
                             const QrColorA* colors, const QrBound& worldBound, const QrPoint3& eye) override;
    uint32_t RenderPoints(uint16_t count, const QrPoint3* vertices, const QrPoint3* normals, const QrColorA* colors,
                          float pointSize, const QrBound& worldBound) override;
    uint32_t RenderLines(uint16_t lineCount, const QrPoint3* vertices, const QrPoint3* textureCoords,
                         const QrColorA* colors, const QrBound& worldBound) override;
    uint32_t RenderScreenPolygon(uint16_t count, const QrPoint3* vertices, const QrPoint3* textureCoords,
                                 const QrColorA* colors) override;

    void SetFog(uint8_t enabled, float depth, uint32_t mode, const QrPoint3& color) override;
    void SetAlphaBlending(uint8_t enabled, uint32_t source, uint32_t destination) override;
    void SetZBufferTest(uint8_t flag) override;
    void SetZBufferWrite(uint8_t flag) override;
    void SetShade(uint8_t flag) override;
    void SetWireframe(uint8_t flag) override;
    void SetDither(uint8_t flag) override;
    void SetSpecular(uint8_t flag) override;
    void SetVertexColorMode(uint32_t mode) override;
    void SetTransparent(uint8_t flag) override;
    // Ignored.
    void SetTransparentValue(uint32_t value) override;

    bool PrepareTexture(QrImage* image, uint8_t allowEvict, uint8_t pin, int32_t memory) override;
    bool PrepareTexturePair(QrImage* first, QrImage* second, uint8_t allowEvict, uint8_t pin, int32_t firstMemory,
                            int32_t secondMemory) override;
    bool ReleaseTextures(uint8_t alsoPinned) override;
    bool ReleaseObjectTextures(QrImage* image) override;
    bool GetTextureMemory(uint32_t* total, uint32_t* available) override;
    bool GetTextureStatistics(uint32_t* resident, uint32_t* usedThisFrame, uint32_t* frameCounter,
                              uint32_t* createdThisFrame, uint32_t* releasedThisFrame) override;
    uint32_t GetTextureStatus() override;
    // The texture manager skips this many top mip levels.
    bool SetUserWord(uint32_t word) override;
    uint32_t GetUserWord() override;

    void SetTexture(QrImage* image) override;
    void SetMultiTexture(QrImage* const* images, const uint32_t* applyModes, const uint32_t* clampModes,
                         const uint32_t* filterModes) override;
    void SetTextureApplyMode(uint32_t mode) override;
    void SetTextureFilterMode(uint32_t mode) override;
    void SetTextureClampMode(uint32_t mode) override;
    void SetCorrection(uint8_t flag) override;
    void SetClipPlanes(const QrPlane* const* planes, uint32_t count, uint32_t frustumCount,
                       uint32_t frustumMask) override;
    uint32_t GetBufferWidth() override;
    uint32_t GetBufferHeight() override;

    QrImage* GetBufferImage(uint32_t kind) override;
    void BlitImage(QrImage* image, const QrRect* source, int32_t x, int32_t y, uint8_t keyed) override;
    bool GetWindowOrigin(int32_t* x, int32_t* y) override;
    bool SetWindowOrigin(int32_t x, int32_t y) override;
    bool GetPresentSize(uint32_t* width, uint32_t* height) override;
    bool SetPresentSize(uint32_t width, uint32_t height) override;

    // --- the renderer's own operations
    // Copies source (null: all of the image) into destination (null: the whole back buffer),
    // stretching; the result of the copy.
    virtual uint32_t BlitImageRect(QrImage* image, const QrRect* source, const QrRect* destination, uint8_t keyed);
    // Attaches the display palette to the front buffer again; 0.
    virtual uint32_t RefreshPalette();
    // Kind 1: the render-target formats; other kinds: the texture formats. The result carries
    // no meaning (always false); callers look at the list.
    virtual bool GetFormatList(uint32_t kind, const std::vector<QrPixelFormat>*& out);
    virtual uint32_t GetFormatCount(uint32_t kind);

    // The formats the renderer's images are made in: kind 1 the render target's, other kinds
    // the texture formats; no extra surface caps.
    const QrPixelFormat* GetImageFormats(uint32_t kind, uint32_t& count, uint32_t& caps) override;

protected:
    ~QrD3DRender() override;

private:
    QrD3DRender();

    // The present origin and size may be read and moved only by a window, or by an off-screen
    // renderer that copies its picture.
    bool PresentIsMovable() const;

    std::unique_ptr<QrD3DDriver> m_driver;
    uint32_t m_serial = 0;
    uint32_t m_userWord = 0;
};
