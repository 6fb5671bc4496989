#pragma once
// The 3D half of a renderer, owned by the driver: it opens a device on the context's surfaces
// (hardware, then MMX, then RGB), probes what the device can do, and keeps the render-state
// cache: setters only record what is asked, and each draw sends only the states whose asked
// value differs from the one last sent. It owns the display context, the vertex buffers and
// a use of the texture manager. Also the renderer's log and last-error text.

#include "CapsProfile.h"
#include "DeviceState.h"
#include "Palette.h"
#include "QrPointer.h"
#include "QrVertexBuffer.h"
#include "QrZFormatChoice.h"
#include "Viewport3D.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QrAlphaProperty;
class QrD3DDriver;
class QrD3DRender;
class QrDDContext;
class QrDDImage;
class QrFogProperty;
class QrImage;
class QrPixelFormat;
class QrProperty;
class QrTextureManager;
class QrTextureModeProperty;
class QrVertexColorProperty;
struct QrRect;
struct QrRenderCreateParams;
template <class T> class QrPointerList;

namespace plat
{
class Device3D;
class Graphics3D;
class Surface;
} // namespace plat

class QrD3DDevice
{
public:
    // Capability word (GetDeviceFlags).
    enum : uint32_t
    {
        kCapMipmaps = 0x1,
        kCapSquareOnly = 0x2,
        kCapOpened = 0x4,
        kCapHardware = 0x8,
        kCapAlphaTextures = 0x40,
        kCapSystemMemoryTextures = 0x80,
    };

    // Requested state word: render states in the low bits, device facts above.
    enum : uint32_t
    {
        kStateWireframe = 0x1,
        kStateCorrection = 0x2,
        kStateGouraud = 0x4,
        kStateColorKey = 0x8,
        kStateAlphaBlend = 0x10,
        kStateZTest = 0x20,
        kStateZWrite = 0x40,
        kStateDither = 0x200,
        kStateSpecular = 0x400,

        kFactSuspended = 0x100, // clear and present do nothing
        kFactHardware = 0x4000,
        kFactSquareOnly = 0x8000,
        kFactAgp2x = 0x10000,
        kFactAgp1x = 0x20000,
        kFactMmx = 0x40000,
        kFactTableFog = 0x80000,
        kFactIndependentUV = 0x100000,
        kFactOpened = 0x200000,
    };

    // Draw flags word.
    enum : uint32_t
    {
        kDrawInScene = 0x2,
        kDrawStateDirty = 0x10,
        kDrawFlagsAtOpen = 0x12,
    };

    // Multitexture mode flags.
    enum : uint32_t
    {
        kModeVertexLast = 0x1,
        kModeSeparateMemories = 0x2,
        kModeMultiTrilinear = 0x4,
        kModeStage1Trilinear = 0x8,
        kModeDiffuseArg1 = 0x10,
        kModeDiffuseArg1Again = 0x20,
    };

    // Validation result bits.
    enum : uint32_t
    {
        kProblemPasses = 0x1,
        kProblemTrilinear = 0x2,
        kProblemDither = 0x4,
        kProblemVertexStage = 0x400,
        kProblemSpecular = 0x2000,
        kProblemFatal = 0x40000000,
        kProblemTexture = 0x40000008,
        kProblemBlend = 0x40000010,
        kProblemApplyMode = 0x40000020,
        kProblemPassesWithAlpha = 0x40000040,
        kProblemClamp = 0x40000080,
        kProblemMixedClamp = 0x40000100,
        kProblemFog = 0x40000200,
        kProblemMultiTextureCount = 0x40001000,
        kProblemDepthOrKey = 0x40002000,
    };

    static constexpr uint32_t kFilterModes = 6;
    static constexpr uint32_t kBlendCodes = 11;
    static constexpr uint32_t kMultiTextureModes = 8;
    static constexpr uint32_t kFormatClasses = 4; // the texture manager's three kinds, then "no texture"
    static constexpr uint32_t kNoTextureClass = 3;
    static constexpr uint8_t kSinglePass = 0x80;
    static constexpr uint32_t kDefaultVertexCapacity = 2048;
    // Depth the clears and the projection map the far plane to.
    static constexpr float kFarDepth = 0.95f;

    struct FilterRow
    {
        plat::TextureFilter min = plat::TextureFilter::Point;
        plat::TextureFilter mag = plat::TextureFilter::Point;
        plat::TextureFilter mip = plat::TextureFilter::None;
    };

    QrD3DDevice();
    // Closes an opened device: releases everything and deletes the context.
    ~QrD3DDevice();
    QrD3DDevice(const QrD3DDevice&) = delete;
    QrD3DDevice& operator=(const QrD3DDevice&) = delete;

    // --- the renderer log
    // Every line goes to the debugger output with a line feed; kept lines also become the
    // last-error text (at most 255 characters; null with keep empties it).
    static void Log(const char* message, bool keep);
    static const char* GetLastError();

    // --- opening: the device owns the context from here on, also when opening fails.
    uint32_t Open(const QrRenderCreateParams& params, QrD3DRender* owner, std::unique_ptr<QrDDContext> context);
    uint32_t CreateDevice(plat::DeviceKind kind);
    uint32_t CheckCaps();
    // Ranks one enumerated depth format against the choice so far; always continues.
    static bool EnumZFormatCallback(plat::PixelFormat format, QrZFormatChoice& choice);
    // Kind 1: the render-target formats; other kinds: the texture manager's.
    const std::vector<QrPixelFormat>* GetTargetFormats(uint32_t kind) const;
    uint32_t GetTargetFormatCount(uint32_t kind) const;
    // Every texture manager releases what it holds for the image.
    static void PurgeTextures(QrDDImage* image);

    void SetDriver(QrD3DDriver* driver) { m_driver = driver; }
    QrD3DDriver* GetDriver() const { return m_driver; }
    QrDDContext* GetContext() const { return m_context.get(); }
    plat::Device3D* GetDevice3D() const { return m_device.get(); }
    const plat::DeviceCaps& GetDescription() const { return m_description; }
    plat::DeviceKind GetKind() const { return m_kind; }
    const char* GetName() const { return m_name.c_str(); }
    uint32_t GetCapabilities() const { return m_capabilities; }
    uint32_t GetVertexCapacity() const { return m_vertexCapacity; }
    plat::PixelFormat GetZFormat(plat::DeviceKind kind) const { return m_zFormats[static_cast<uint32_t>(kind)]; }
    QrTextureManager* GetTextureManager() const { return m_textureManager; }
    const QrVertexBuffer& GetVertexBuffer() const { return m_vertexBuffer; }
    QrVertexBuffer& VertexBuffer() { return m_vertexBuffer; }
    // Two texture-coordinate sets in the next batch's vertices; every draw clears it.
    void SetTwoSets(bool on) { m_twoSets = on; }
    bool GetTwoSets() const { return m_twoSets; }
    // Locks a buffer for a batch of triangles or lines; 0, or 2 when none could be locked.
    uint32_t BeginBatch(uint8_t mode);
    uint32_t GetDrawFlags() const { return m_drawFlags; }
    uint32_t GetFrameTextureCount() const { return m_frameTextures; }
    uint32_t GetSerial() const { return m_serial; }

    // --- viewport and frame
    uint32_t CreateViewport();
    uint32_t AttachViewport();
    // Re-sends the viewport record.
    uint32_t SetViewport();
    // The record covers the whole drawing image; false without one.
    bool FillViewportRecord();
    const plat::ViewportDesc& GetViewportRecord() const { return m_viewportRecord; }
    // Rectangle y up from the bottom (null: all); flags 0x1 colour, 0x2 depth.
    uint32_t Clear(const QrRect* rect, uint32_t flags);
    uint32_t BeginScene(QrD3DRender* renderer);
    uint32_t EndScene();
    uint32_t Present();
    void SetClearColor(float red, float green, float blue);
    // 0..1 components as 0x00RRGGBB, each times 255 truncated to its low eight bits.
    static uint32_t PackColor(float red, float green, float blue);
    uint32_t GetClearColor() const { return m_clearColor; }

    // --- render-state requests (recorded only; 0)
    uint32_t SetWireframe(bool on);
    uint32_t SetCorrection(bool on);
    uint32_t SetSmoothShading(bool on);
    uint32_t SetColorKey(bool on);
    uint32_t SetDither(bool on);
    uint32_t SetSpecular(bool on);
    // Nothing changes without a depth buffer.
    uint32_t SetZBufferTest(bool on);
    uint32_t SetZBufferWrite(bool on);
    // Engine blend codes 0..10; others leave the factors as they were.
    uint32_t SetBlendFactors(uint32_t source, uint32_t destination);
    uint32_t SetTextureFilter(uint32_t mode, uint32_t slot);
    uint32_t SetTextureClamp(uint32_t mode, uint32_t slot);
    uint32_t SetTextureApplyMode(uint32_t mode);
    uint32_t SetSecondApplyMode(uint32_t mode);
    uint32_t SetVertexColorMode(uint32_t mode);
    // Held by counted reference; null clears the slot.
    uint32_t SetStageTexture(QrImage* image, uint32_t slot);
    // Sent at once, but only when it differs from the colour last sent.
    uint32_t SetFogColor(float red, float green, float blue);
    // The alpha-blend request; 0.
    uint32_t SetAlphaBlendRequest(bool on);

    // --- appliers
    // Sends what changed since the last apply; vertexFog: the vertices carry the fog.
    uint32_t ApplyRenderStates(bool vertexFog);
    void ApplyTextureFilter(bool hasMipmaps, bool canInterpolateMipmaps, uint32_t stage, uint32_t slot);
    void ApplyTextureClamp(uint32_t stage, uint32_t slot);
    // Creation defaults: clears the driver's state flags, then correction and Gouraud on.
    uint32_t ApplyDefaultStates(uint32_t& driverStateFlags);
    // Element index of the object's property array, with one more reference.
    static QrPointer<QrImage> GetPropertyElement(const QrProperty* object, uint32_t index);

    uint32_t GetRequestedState() const { return m_requested; }
    uint32_t GetCurrentState() const { return m_current; }
    uint32_t GetFogSetup() const { return m_fogSetup; }
    uint32_t GetApplyMode(uint32_t slot) const { return slot < 2 ? m_applyMode[slot] : 0; }
    uint32_t GetVertexColorMode() const { return m_vertexColorMode; }
    QrImage* GetStageTexture(uint32_t slot) const;
    uint32_t GetRequestedFilter(uint32_t slot) const { return slot < 2 ? m_filterRequested[slot] : 0; }
    plat::BlendFactor GetRequestedSource() const { return m_srcBlendRequested; }
    plat::BlendFactor GetRequestedDestination() const { return m_destBlendRequested; }

    // --- capabilities and multitexturing
    // Per-pixel fog flag, filter table and blend masks; 0, or the device-caps code when no
    // usable texture filter exists.
    uint32_t ProbeBlendCaps();
    // Fills the mode table, by trial drawing when asked; 0.
    uint32_t DetectMultitextureModes(bool runTrials);
    // A 16 x 16 texture of the format (stage -1: none recorded); null on any failure.
    std::shared_ptr<plat::Surface> CreateTrialTexture(plat::PixelFormat format, bool videoMemory, int32_t stage);
    const FilterRow& GetFilterRow(uint32_t mode) const { return m_filters[mode < kFilterModes ? mode : 0]; }
    uint32_t GetSourceBlendMask() const { return m_srcBlendMask; }
    uint32_t GetDestinationBlendMask() const { return m_destBlendMask; }
    uint8_t GetModeEntry(uint32_t mode, uint32_t first, uint32_t second) const;
    uint32_t GetModeFlags() const { return m_modeFlags; }
    // The multi-pass class of a mode: 2 when the device can blend both factors of its
    // two-pass form, else 0.
    uint32_t MultiPassClass(uint32_t mode) const;

    // --- per draw: which textures go on which stage, in one pass or two
    // Chooses the pass mode for the textures, modes and mode table in force.
    void ChooseMultitexturePath(bool twoSetVertices);
    // Sets the stages (and, for two passes, the frame-buffer blend) up for the pass; true when
    // another pass follows.
    bool SetUpPass(uint32_t pass);
    // 0 one texture or none, 1 both in one pass, 2 two passes.
    uint32_t GetPassMode() const { return m_passMode; }
    uint32_t GetZBias() const { return m_zBias; }

    // --- whole property states
    // The known starting state, sent and recorded; E_FAIL without a viewport.
    uint32_t SetRenderModes();
    // Problem bits for drawing an object that carries these properties; sends nothing.
    uint32_t ValidatePropertyState(const QrPointerList<QrProperty>* properties);

private:
    // The parts of ValidatePropertyState that need more than one property or the device's caps.
    bool CanBlend(const QrAlphaProperty& alpha) const;
    bool CanApply(uint32_t applyMode, bool secondTexture) const;
    uint32_t ClampProblems(uint32_t clampMode) const;
    uint32_t MultiTextureProblems(QrImage* base, QrImage* second, uint32_t multiMode, const QrTextureModeProperty& mode,
                                  const QrVertexColorProperty& vertexColor) const;
    bool CanFog(const QrFogProperty& fog, bool multiPass) const;

    // One attempt of a device kind on freshly made surfaces. False: no device, try the next.
    bool TryDeviceKind(const QrRenderCreateParams& params, plat::DeviceKind kind, uint32_t& code);
    uint32_t PreparePalette(const QrRenderCreateParams& params);
    void FillFilterTable();
    bool FillFilterTableNewStyle();
    bool FillFilterTableOldStyle();
    void FillBlendMasks();
    // Stage 1 set-up of a multitexture mode (trials).
    void SetUpStage1(uint32_t mode, bool onlyChanged = false);
    void SetStageOp(uint32_t stage, plat::TextureOp colorOp, uint32_t colorArg1, uint32_t colorArg2,
                    plat::TextureOp alphaOp, uint32_t alphaArg1, uint32_t alphaArg2);
    // Stage 0 modulating the vertex colour, by arrangement.
    void SetUpTrialStage0();
    // Draws the two trial triangles and validates; passes, or 0 when validation fails.
    uint32_t DrawTrial();
    void RunTrials(std::shared_ptr<plat::Surface> (&textures)[3][2], uint32_t& single, uint32_t& multi,
                   uint32_t& unavailable, bool& stage1Tested);
    void SetStageFilters(uint32_t stage, plat::TextureFilter min, plat::TextureFilter mag, plat::TextureFilter mip);
    void Render(plat::RenderState state, uint32_t value);
    void Stage(uint32_t stage, plat::StageState state, uint32_t value);
    // Sends only what differs from the value last sent to the stage.
    void StageIfChanged(uint32_t stage, plat::StageState state, uint32_t value);
    void SetStageOpIfChanged(uint32_t stage, plat::TextureOp colorOp, uint32_t colorArg1, uint32_t colorArg2,
                             plat::TextureOp alphaOp, uint32_t alphaArg1, uint32_t alphaArg2);
    // The stage combining by the texture apply mode. twoPass: -1 one pass, else the pass's
    // vertex-colour flag.
    void SetUpApplyStage(uint32_t stage, uint32_t applyMode, bool hasTexture, bool alphaTexture, int twoPass);
    void DisableStage1();
    // The image's texture (null: none) on the stage, with the slot's filter and addressing;
    // false, with the driver's texture-error bit set, when no texture could be had.
    bool BindTexture(uint32_t stage, QrImage* image, uint32_t slot);
    void SetZBias(uint32_t bias);
    void SendAlphaBlend(bool on, plat::BlendFactor source, plat::BlendFactor destination, bool factors);
    void Light(plat::LightState state, uint32_t value);
    void ApplyFog(bool vertexFog);
    // The bit of the requested word follows on.
    void Request(uint32_t bit, bool on);
    bool HasDepthBuffer() const;

    static std::string ms_lastError;

    QrD3DDriver* m_driver = nullptr;
    std::unique_ptr<QrDDContext> m_context;
    uint32_t m_serial = 0;
    QrVertexBuffer m_vertexBuffer;
    uint32_t m_drawFlags = 0;

    std::shared_ptr<plat::Graphics3D> m_graphics;
    std::shared_ptr<plat::Device3D> m_device;
    plat::DeviceKind m_kind = plat::DeviceKind::Rgb;
    plat::DeviceCaps m_description;

    std::shared_ptr<plat::Viewport3D> m_viewport;
    plat::ViewportDesc m_viewportRecord;
    uint32_t m_vertexCapacity = 0;
    plat::PixelFormat m_zFormats[plat::kDeviceKindCount] = {};
    std::vector<QrPixelFormat> m_targetFormats;
    FilterRow m_filters[kFilterModes];
    plat::BlendFactor m_blendTable[kBlendCodes];
    uint32_t m_capabilities = 0;
    std::string m_name;
    QrTextureManager* m_textureManager = nullptr;
    uint32_t m_frameTextures = 0;
    std::array<plat::PaletteEntry, 256> m_palette{};

    // Render-state cache.
    uint32_t m_requested = 0;
    uint32_t m_current = 0;
    uint32_t m_changed = 0;
    plat::BlendFactor m_srcBlendRequested = plat::BlendFactor::SrcAlpha;
    plat::BlendFactor m_destBlendRequested = plat::BlendFactor::InvSrcAlpha;
    plat::BlendFactor m_srcBlendCurrent = plat::BlendFactor::SrcAlpha;
    plat::BlendFactor m_destBlendCurrent = plat::BlendFactor::InvSrcAlpha;
    uint32_t m_fogSetup = 0;
    uint32_t m_fogColor = 0;
    uint32_t m_clearColor = 0;
    uint32_t m_applyMode[2] = {2, 0};
    uint32_t m_vertexColorMode = 5;
    QrPointer<QrImage> m_stageTextures[2];
    uint32_t m_filterRequested[2] = {0, 0};
    uint32_t m_filterSent[2] = {0, 0};
    plat::TextureAddress m_addressURequested[2] = {plat::TextureAddress::Wrap, plat::TextureAddress::Wrap};
    plat::TextureAddress m_addressVRequested[2] = {plat::TextureAddress::Wrap, plat::TextureAddress::Wrap};
    plat::TextureAddress m_addressUSent[2] = {plat::TextureAddress::Wrap, plat::TextureAddress::Wrap};
    plat::TextureAddress m_addressVSent[2] = {plat::TextureAddress::Wrap, plat::TextureAddress::Wrap};

    // Capability probing and multitexture modes.
    uint32_t m_srcBlendMask = 0;
    uint32_t m_destBlendMask = 0;
    uint8_t m_modeTable[kMultiTextureModes][kFormatClasses][kFormatClasses] = {};
    uint32_t m_modeFlags = 0;

    // Per-draw multitexture state.
    bool m_twoSets = false;
    bool m_drawTwoSets = false;
    uint32_t m_passMode = 0;
    QrImage* m_drawBase = nullptr;
    QrImage* m_drawSecond = nullptr;
    QrPointer<QrImage> m_boundImages[2];
    bool m_boundAlpha[2] = {false, false};
    uint32_t m_zBias = 0;
    static constexpr uint32_t kUnsent = 0xFFFFFFFFu;
    uint32_t m_stageSent[4][plat::kStageStateCount];
};
