#pragma once
// The working half of one renderer, owned by exactly one QrD3DRender and deleted with it:
// the 3D device (which owns the display context), the camera record with the
// viewport and fog values derived from it, the clip planes of the next draws and the
// geometry work buffers.

#include "QrCameraRecord.h"
#include "QrTriangleRef.h"
#include "QrVertexWorkBuffer.h"

#include <cstdint>
#include <memory>
#include <vector>

class QrD3DDevice;
class QrD3DRender;
class QrPlane;
struct QrRenderCreateParams;

class QrD3DDriver
{
public:
    enum : uint32_t
    {
        // Driver state flags.
        kStateSpecular = 0x4,
        // Draw-defaults word.
        kDrawDefaultSpecular = 0x1,
    };

    // Below these a fog range or depth counts as none.
    static constexpr float kFogEpsilon = 1e-5f;

    struct FogValues
    {
        float farDepth = 1.0f; // far x depth
        float scale = 255.0f;  // 255 / farDepth
        float end = 1.0f;      // the frustum's far distance
        float nearDistance = 0.0f;
        float depth = 1.0f;
        uint8_t enabled = 0;
        uint8_t range = 0;       // squared distance rather than depth
        uint8_t vertexAlpha = 0; // the vertex alpha carries the fog amount
        uint8_t tableMode = 0;   // per-pixel depth fog when the device has it
        float start = 0.0f;      // far - (far - near) x depth
        float squaredStart = 0.0f;
        float squaredFar = 0.0f;
        float rangeScale = 0.0f; // 255 / (squaredFar - squaredStart)
    };

    struct ViewportValues
    {
        float width = 0.0f;
        float height = 0.0f;
        // Target pixels, y down.
        float left = 0.0f;
        float top = 0.0f;
        float right = 0.0f;
        float bottom = 0.0f;
    };

    QrD3DDriver();
    ~QrD3DDriver();
    QrD3DDriver(const QrD3DDriver&) = delete;
    QrD3DDriver& operator=(const QrD3DDriver&) = delete;

    // 0; 2 when the context or the device could not be made; else the failing step's code.
    uint32_t Initialize(const QrRenderCreateParams& params, QrD3DRender* owner);

    QrD3DDevice* GetDevice() const { return m_device.get(); }

    // --- camera
    // Default camera looking along -z from the origin; updates the matrices once.
    void InitCamera();
    void SetFrustum(float left, float right, float top, float bottom, float nearPlane, float farPlane);
    // Pixels with y up from the bottom of the drawing image.
    void SetViewport(float left, float right, float top, float bottom);
    // Frustum l, r, t, b, n, f; viewport left, right, top, bottom (y up). False when the
    // device's viewport record has no drawing image to cover.
    bool SetCameraData(const QrPoint3& location, const QrPoint3& direction, const QrPoint3& up,
                       const float (&frustum)[6], const float (&viewport)[4]);
    // Recomputes what the dirty flags say is out of date; 0.
    uint32_t UpdateCamera();
    void UpdateFrame();
    void UpdateProjection();
    void UpdateCombined();
    const QrCameraRecord& GetCamera() const { return m_camera; }
    const ViewportValues& GetViewport() const { return m_viewport; }
    // The eye of the next draws.
    const QrPoint3& GetCameraLocation() const { return m_drawLocation; }

    // --- fog
    void SetFog(uint8_t enabled, float depth, uint32_t function);
    const FogValues& GetFog() const { return m_fog; }

    // --- clip planes of the next draws, until the end of the frame
    void SetClipPlanes(const QrPlane* const* planes, uint32_t count);
    void ClearClipPlanes();
    const QrPlane* const* GetClipPlanes() const { return m_clipPlanes; }
    uint32_t GetClipPlaneCount() const { return m_clipPlaneCount; }

    // --- per-draw defaults and flags
    // 0, or 2 when a state could not be recorded.
    uint32_t ApplyDrawDefaults();
    uint32_t GetStateFlags() const { return m_stateFlags; }
    void SetStateFlag(uint32_t flag, bool on);
    uint32_t GetDrawDefaults() const { return m_drawDefaults; }
    // Set per draw by the render paths: the lighting computes highlights for this draw.
    void SetSpecularSwitch(bool on) { m_specularSwitch = on; }

    QrVertexWorkBuffer& GetWorkBuffer() { return m_workBuffer; }

private:
    // Fog range from the frustum and the depth in force; false when it leaves no usable range.
    bool UpdateFogRange();
    // An empty hook of the per-draw defaults.
    static uint32_t DrawHook(uint32_t word);

    std::unique_ptr<QrD3DDevice> m_device;

    QrVertexWorkBuffer m_workBuffer;
    std::vector<QrTriangleRef> m_triangles;
    uint32_t m_triangleCount = 0;
    std::vector<uint16_t> m_indexStaging;
    uint32_t m_indexCapacity = 0;

    QrCameraRecord m_camera;
    ViewportValues m_viewport;
    FogValues m_fog;
    QrPoint3 m_drawLocation;

    const QrPlane* const* m_clipPlanes = nullptr;
    uint32_t m_clipPlaneCount = 0;

    uint32_t m_stateFlags = 0;
    uint32_t m_drawDefaults = 0;
    uint32_t m_hookWord = 0;
    bool m_specularSwitch = false;
};
