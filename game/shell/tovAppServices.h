#pragma once
// What the shell and the layers above it ask of the game's application without including it:
// the renderer and display every screen draws through, the main pack, the shared ambient
// sound and vertex-colour property, the busy picture and posted text lines. The application
// installs itself at start-up; until then (and in tests) the null object answers nothing.

#include <cstdint>

class QrDisplay;
class QrRender;
class QrVertexColorProperty;
class ResourcePack;
class qrxAmbientSound;

class tovAppServices
{
public:
    virtual ~tovAppServices() = default;

    // The application's screens the layers below it lead to by number; the application's own
    // names (tovApp::kMainMenuId), said here where those layers can see them.
    static constexpr int32_t kMainMenuId = 8;
    static constexpr int32_t kHelpPictureId = 22;
    static constexpr int32_t kSetUpId = 4;
    static constexpr int32_t kWeighInId = 10;

    // Null before the renderer exists and after it failed.
    virtual QrRender* GetRenderer() = 0;
    virtual QrDisplay* GetDisplay() = 0;
    virtual ResourcePack* GetMainPack() = 0;
    virtual qrxAmbientSound* GetAmbientSound() = 0;
    virtual QrVertexColorProperty* GetSharedVertexColor() = 0;
    // Set when the display reports no 3D acceleration.
    virtual bool IsSoftwareRendering() const = 0;

    // Draws the busy picture and presents at once (before switches and loads).
    virtual void ShowBusyPicture() = 0;
    // Appends a text line to the main window's lines through the window's message queue.
    virtual void PostTextToMainWindow(const char* text) = 0;
    // Posted lines are drawn in this face, each row within the window's width less a margin
    // either side; a longer line wraps.
    static constexpr const char* kPostedTextFace = "Verdana";
    static constexpr int32_t kPostedTextHeight = 18;
    static constexpr int32_t kPostedTextWeight = 400;
    static constexpr int32_t kPostedTextMargin = 8;
    static constexpr int32_t kPostedTextWidth = 640 - 2 * kPostedTextMargin;
    virtual void RecreateRenderer(bool fullScreen) = 0;
    // The network session turned this player away: the player is told why (a headless run ends
    // with it, failed, as a refused join does).
    virtual void ReportSessionRefusal(const char* /*text*/) {}
};

class tovNullAppServices : public tovAppServices
{
public:
    QrRender* GetRenderer() override { return nullptr; }
    QrDisplay* GetDisplay() override { return nullptr; }
    ResourcePack* GetMainPack() override { return nullptr; }
    qrxAmbientSound* GetAmbientSound() override { return nullptr; }
    QrVertexColorProperty* GetSharedVertexColor() override { return nullptr; }
    bool IsSoftwareRendering() const override { return false; }
    void ShowBusyPicture() override {}
    void PostTextToMainWindow(const char* /*text*/) override {}
    void RecreateRenderer(bool /*fullScreen*/) override {}
};

// Borrowed; null puts the null object back.
void SetAppServices(tovAppServices* services);
tovAppServices& GetAppServices();
