#pragma once
// The engine's abstract renderer: the only way the scene graph reaches the screen. The display
// sends frame calls and render state through it, the camera its view, each geometry class the
// draw call of its kind. The display holds one counted reference; so does the program.
//
// The contract every implementation keeps:
//
// State persists. Every setter governs all later draws, across draws and frames, until the same
//   setter is called again. The display sends a state only when it changes, so a renderer never
//   resets state on its own.
//
// Frames. BeginFrame opens a frame, every draw of the frame comes before EndFrame, DisplayFrame
//   presents it (lost surfaces are restored first). Clears and presents happen outside a frame.
//   ClearBuffer(rect, flags): bit 0 clears colour to the background colour, bit 1 clears depth
//   (only when there is a depth buffer) to 0.95 of its range and the stencil to 0; other bits are
//   ignored. The rectangle counts rows upward from the bottom edge (top > bottom); null means the
//   whole target.
//   SetBackgroundColor: each of r, g, b (0..1) times 255, truncated to 8 bits, packed 0x00RRGGBB.
//
// View. SetCameraData (once per camera per frame) gives the eye, the near point, the world
//   direction D (the camera looks along -D), up, the frustum (left, right, top, bottom on the near
//   plane, then near, far) and the pixel viewport (left, right, top, bottom, y up). Fog range and
//   screen-polygon placement follow the last call. SetClipPlanes, before each geometry draw, names
//   exactly the planes that draw is clipped against (normal . p > constant is inside).
//
// Lights and material. UpdateLight(light, 1) puts the light in force, (light, 0) takes it out; the
//   renderer's record of a light (keyed by its serial number) is refreshed only when the light's
//   revision differs from the one recorded. SetMaterial makes a material current; its converted
//   copy (colours clamped to 0..1, shininess unused) is likewise keyed by serial number and
//   refreshed by revision, never because values changed in place.
//
// Flag setters (depth test/write, shade, wireframe, dither, specular, correction, transparent)
//   take the effect of the property of the same kind; depth setters do nothing without a depth
//   buffer. SetAlphaBlending blends only while enabled; the factors are kept while it is off.
//   SetFog decides anew at every call: on only when enabled and depth > 0.00001; a SetCameraData
//   with far <= 0.00001 turns it off until the next SetFog. Colours are 0..1 floats, the renderer
//   works lighting and fog on a 0..255 scale and limits every lit component to 255.
//
// Textures. SetTexture(null) draws untextured. Mode setters touch the first stage and ignore codes
//   outside their range. SetMultiTexture uses entry 0 of each array for the second stage: a null
//   image array turns that stage off, a null mode array leaves that mode as it was.
//
// Draws. Arrays are world-space positions and normals, model-space planes (one per triangle, for
//   back-face culling against the eye in model space: drawn only when normal . eye > constant) and
//   per-vertex attributes; counts are 16-bit. A draw with fewer than three vertices or no
//   triangles draws nothing. Frame and draw operations return 0 on success or a renderer code.
//
// The slots the engine itself never calls (device name and flags, property check, texture
// manager, texture statistics, user word, window origin and present size, buffer images, blits)
// belong to the concrete renderer. The slot order below is fixed; add new operations at the end.

#include "QrObject.h"

#include <cstdint>

class QrBound;
class QrColorA;
class QrImage;
class QrLight;
class QrMaterialProperty;
class QrMatrix3;
class QrPlane;
class QrPoint3;
class QrProperty;
struct QrRect;
template <class T> class QrPointerList;

class QrRender : public QrObject
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    // Default of SetPropertyState for a renderer that checks nothing.
    static constexpr uint32_t kPropertyStateUnchecked = 0x80000000u;

    // Device description text; owned by the renderer.
    virtual const char* GetDeviceName() = 0;
    virtual uint32_t GetDeviceFlags() = 0;
    // Problem bits for drawing an object that carries these properties (null: none).
    virtual uint32_t SetPropertyState(const QrPointerList<QrProperty>* properties);

    virtual uint32_t BeginFrame() = 0;
    virtual uint32_t EndFrame() = 0;
    virtual uint32_t DisplayFrame() = 0;
    virtual uint32_t ClearBuffer(const QrRect* rect, uint32_t flags) = 0;
    virtual void SetBackgroundColor(const QrPoint3& color) = 0;
    virtual void UpdateLight(const QrLight* light, uint32_t enable) = 0;
    virtual void SetMaterial(const QrMaterialProperty* material) = 0;
    // frustum: left, right, top, bottom (on the near plane), near, far.
    // viewport: left, right, top, bottom in pixels, y up.
    virtual void SetCameraData(const QrPoint3& location, const QrPoint3& nearPoint, const QrPoint3& direction,
                               const QrPoint3& up, const float (&frustum)[6], const float (&viewport)[4]) = 0;
    // The drawn instance's world transform; the draw arrays are already in world space.
    virtual void SetWorldTransform(const QrPoint3& translation, const QrMatrix3& rotation, float scale) = 0;

    // Texture coordinates: textureSetCount runs of vertex-count entries (s, t, unused).
    // indices: three per triangle. eye: the camera location in model space.
    virtual uint32_t RenderShape(uint16_t triangleCount, uint16_t vertexCount, const QrPoint3* vertices,
                                 const QrPoint3* normals, const QrPlane* planes, uint16_t textureSetCount,
                                 const QrPoint3* textureCoords, const QrColorA* colors, const uint16_t* indices,
                                 const QrBound& worldBound, const QrPoint3& eye) = 0;
    // Three vertices per triangle, unindexed.
    virtual uint32_t RenderTriangles(uint16_t triangleCount, const QrPoint3* vertices, const QrPoint3* normals,
                                     const QrPlane* planes, uint16_t textureSetCount, const QrPoint3* textureCoords,
                                     const QrColorA* colors, const QrBound& worldBound, const QrPoint3& eye) = 0;
    // triangleCount + 2 vertices; odd triangles are wound (k, k + 2, k + 1).
    virtual uint32_t RenderTristrips(uint16_t triangleCount, const QrPoint3* vertices, const QrPoint3* normals,
                                     const QrPlane* planes, uint16_t textureSetCount, const QrPoint3* textureCoords,
                                     const QrColorA* colors, const QrBound& worldBound, const QrPoint3& eye) = 0;
    virtual uint32_t RenderPoints(uint16_t count, const QrPoint3* vertices, const QrPoint3* normals,
                                  const QrColorA* colors, float pointSize, const QrBound& worldBound) = 0;
    // Two vertices per line. Draws nothing unless a renderer supports lines.
    virtual uint32_t RenderLines(uint16_t lineCount, const QrPoint3* vertices, const QrPoint3* textureCoords,
                                 const QrColorA* colors, const QrBound& worldBound);
    // x and y are fractions of the viewport (y up), z of the view depth; unlit, unfogged.
    virtual uint32_t RenderScreenPolygon(uint16_t count, const QrPoint3* vertices, const QrPoint3* textureCoords,
                                         const QrColorA* colors) = 0;

    virtual void SetFog(uint8_t enabled, float depth, uint32_t mode, const QrPoint3& color) = 0;
    virtual void SetAlphaBlending(uint8_t enabled, uint32_t source, uint32_t destination) = 0;
    virtual void SetZBufferTest(uint8_t flag) = 0;
    virtual void SetZBufferWrite(uint8_t flag) = 0;
    virtual void SetShade(uint8_t flag) = 0;
    virtual void SetWireframe(uint8_t flag) = 0;
    virtual void SetDither(uint8_t flag) = 0;
    virtual void SetSpecular(uint8_t flag) = 0;
    virtual void SetVertexColorMode(uint32_t mode) = 0;
    virtual void SetTransparent(uint8_t flag) = 0;
    // May be ignored.
    virtual void SetTransparentValue(uint32_t value) = 0;

    // Texture memory: 0 or 1, or -1 to let the renderer choose.
    virtual bool PrepareTexture(QrImage* image, uint8_t allowEvict, uint8_t pin, int32_t memory) = 0;
    // Memories -1 and -1 stand for 0 and 1.
    virtual bool PrepareTexturePair(QrImage* first, QrImage* second, uint8_t allowEvict, uint8_t pin,
                                    int32_t firstMemory, int32_t secondMemory) = 0;
    virtual bool ReleaseTextures(uint8_t alsoPinned) = 0;
    virtual bool ReleaseObjectTextures(QrImage* image) = 0;
    // False, writing nothing, when the renderer cannot tell.
    virtual bool GetTextureMemory(uint32_t* total, uint32_t* available);
    virtual bool GetTextureStatistics(uint32_t* resident, uint32_t* usedThisFrame, uint32_t* frameCounter,
                                      uint32_t* createdThisFrame, uint32_t* releasedThisFrame);
    virtual uint32_t GetTextureStatus();
    virtual bool SetUserWord(uint32_t word) = 0;
    virtual uint32_t GetUserWord() = 0;

    // The renderer holds a counted reference to the bound image.
    virtual void SetTexture(QrImage* image) = 0;
    virtual void SetMultiTexture(QrImage* const* images, const uint32_t* applyModes, const uint32_t* clampModes,
                                 const uint32_t* filterModes) = 0;
    virtual void SetTextureApplyMode(uint32_t mode) = 0;
    virtual void SetTextureFilterMode(uint32_t mode) = 0;
    virtual void SetTextureClampMode(uint32_t mode) = 0;
    virtual void SetCorrection(uint8_t flag) = 0;
    // frustumCount of the planes are among the six frustum planes; bit i of frustumMask names
    // frustum plane i. The array stays valid until the end of the frame.
    virtual void SetClipPlanes(const QrPlane* const* planes, uint32_t count, uint32_t frustumCount,
                               uint32_t frustumMask) = 0;
    virtual uint32_t GetBufferWidth() = 0;
    virtual uint32_t GetBufferHeight() = 0;

    // kind 1: the back buffer; kind 2: the front buffer, or the back buffer without one; else
    // null. Borrowed.
    virtual QrImage* GetBufferImage(uint32_t kind) = 0;
    // Copies source (null: the whole image; rows from the top) to (x, y) of the back buffer, x and
    // y from its top-left corner; keyed skips source pixels of value 0.
    virtual void BlitImage(QrImage* image, const QrRect* source, int32_t x, int32_t y, uint8_t keyed) = 0;
    virtual bool GetWindowOrigin(int32_t* x, int32_t* y) = 0;
    virtual bool SetWindowOrigin(int32_t x, int32_t y) = 0;
    virtual bool GetPresentSize(uint32_t* width, uint32_t* height) = 0;
    virtual bool SetPresentSize(uint32_t width, uint32_t height) = 0;

protected:
    QrRender() = default;
    // Takes the renderer out of the image system's renderer list.
    ~QrRender() override;
};
