#pragma once
// A renderer that draws nothing and writes every call, with its arguments, as one text line:
// "Name key=value key=value". Floats print as %.6g, vectors as (x y z), planes and bounds as
// {(x y z) s}, arrays as [a b c]. Objects never print as addresses: images by name, file name
// or serial number; materials by name, "default" or serial number, with their values; property
// lists by class names. So a log is the same on every run and frames compare call by call.

#include "QrRender.h"

#include <cstdint>
#include <string>
#include <vector>

class RecordingRender : public QrRender
{
    QR_DECLARE_RTTI

public:
    explicit RecordingRender(uint32_t width = 640, uint32_t height = 480);

    const std::vector<std::string>& GetLog() const { return m_log; }
    // The log as text, one call per line.
    std::string GetLogText() const;
    // Returns the log and empties it (one frame at a time).
    std::vector<std::string> TakeLog();
    void ClearLog() { m_log.clear(); }

    void SetBufferSize(uint32_t width, uint32_t height);
    // Queries (Get...) are logged too unless switched off.
    void SetLogQueries(bool on) { m_logQueries = on; }
    // With arrays off a draw logs only each array's length ("#4") or null.
    void SetLogArrays(bool on) { m_logArrays = on; }

    const char* GetDeviceName() override;
    uint32_t GetDeviceFlags() override;
    uint32_t SetPropertyState(const QrPointerList<QrProperty>* properties) override;

    uint32_t BeginFrame() override;
    uint32_t EndFrame() override;
    uint32_t DisplayFrame() override;
    uint32_t ClearBuffer(const QrRect* rect, uint32_t flags) override;
    void SetBackgroundColor(const QrPoint3& color) override;
    void UpdateLight(const QrLight* light, uint32_t enable) override;
    void SetMaterial(const QrMaterialProperty* material) override;
    void SetCameraData(const QrPoint3& location, const QrPoint3& nearPoint, const QrPoint3& direction,
                       const QrPoint3& up, const float (&frustum)[6], const float (&viewport)[4]) override;
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

protected:
    ~RecordingRender() override = default;

private:
    void Log(std::string line);
    void LogQuery(std::string line);
    // Formats count entries of an array, or only its length when arrays are off.
    template <class T> std::string Array(const T* values, uint32_t count) const;

    std::vector<std::string> m_log;
    uint32_t m_width;
    uint32_t m_height;
    uint32_t m_userWord = 0;
    int32_t m_originX = 0;
    int32_t m_originY = 0;
    uint32_t m_presentWidth;
    uint32_t m_presentHeight;
    bool m_logQueries = true;
    bool m_logArrays = true;
};
