#pragma once
// Sits between the scene graph and one renderer. Per property type it keeps the property the
// renderer last received and the one in force now, and sends a type again only when the
// property in force is another object (identity, never values). Objects push and pop their
// property lists on the way down and up the traversal; the pushing object's own list nodes
// hold what its properties displaced, so push and pop allocate nothing. Also keeps the stack
// of at most eight lights in force. The program makes one display and every camera draws
// through it.

#include "QrObject.h"
#include "QrPointer.h"
#include "QrPointerList.h"
#include "QrProperty.h"
#include "QrRSXAudioManager.h"

#include <cstdint>
#include <vector>

class QrAVInstance;
class QrAVObject;
class QrCamera;
class QrImage;
class QrLight;
class QrRender;
class QrSortedDrawRecord;
struct QrRect;

class QrDisplay : public QrObject
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    static constexpr uint32_t kTypeCount = QrProperty::kTypeCount;
    static constexpr int32_t kMaxLights = 8;

    QrDisplay();

    // --- renderer
    // Non-null: takes the renderer, resets both caches and sends every default. Null: lets the
    // renderer go and empties the light stack. Call before the first push, apply or frame.
    void SetRenderer(QrRender* renderer);
    // Borrowed; null when none.
    QrRender* GetRenderer() const { return m_renderer.Get(); }
    // Every last-sent and current entry becomes its type's default instance.
    void ResetStateCache();
    // Sends every default's values without comparing.
    void SendAllDefaults();

    // --- frame (nothing happens without a renderer; sizes are then 0)
    // Begins the renderer's frame and sends the default of every type whose last-sent property
    // is another object, so in-place edits reach the renderer at least once per frame.
    void ApplyDefaultState();
    void EndFrame();
    void DisplayFrame();
    // Rectangle rows count upward from the bottom; null clears the whole target.
    void ClearBuffer(const QrRect* rect, uint32_t flags);
    uint32_t GetWidth() const;
    uint32_t GetHeight() const;

    // --- traversal state
    // The list holds at most one property per type; between push and pop it holds what its
    // properties displaced. An overriding property in force swallows pushes of its type.
    void PushProperties(QrPointerList<QrProperty>& list);
    void PopProperties(QrPointerList<QrProperty>& list);
    // From the eighth light on, further pushes (and their pops) are counted and ignored.
    void PushLight(QrLight* light);
    void PopLight();
    // Sends the state in force that differs from what the renderer last received; every
    // geometry draw calls it just before the renderer's draw.
    void ApplyCurrentState();

    // Draws one deferred record with the properties and lights it captured, then puts the
    // display's own state and lights back.
    void DrawWithRecordState(QrCamera* camera, QrSortedDrawRecord* record);
    // The same with the captured state given directly: kTypeCount properties and lights
    // 0..lightTop (lightTop -1: none).
    void DrawWithState(QrCamera* camera, QrAVObject* object, QrAVInstance* instance, QrProperty* const* properties,
                       int32_t lightTop, QrLight* const* lights);

    // --- what deferred records capture, and what tests look at
    QrProperty* GetCurrent(uint32_t type) const { return type < kTypeCount ? m_current[type].Get() : nullptr; }
    QrProperty* GetLastSent(uint32_t type) const { return type < kTypeCount ? m_lastSent[type].Get() : nullptr; }
    uint32_t GetOverrideCount(uint32_t type) const { return type < kTypeCount ? m_overrideCount[type] : 0; }
    // Copies the kTypeCount current properties (not counted).
    void GetCurrentProperties(QrProperty** out) const;
    int32_t GetLightTop() const { return m_lightTop; }
    // Entries 0..GetLightTop().
    QrLight* const* GetLights() const { return m_lights; }

    // Hands a held 3D-audio interface back to the audio manager.
    void ReleaseAudio();

protected:
    ~QrDisplay() override;

private:
    // The values of one property sent with its type's setters, no comparison.
    void SendProperty(uint32_t type, QrProperty* property);
    // True when an image was bound.
    bool SendTexture(QrProperty* property);
    bool SendMultiTexture(QrProperty* property);
    // Makes the property in force the last sent; false when it already was (identity).
    bool Record(uint32_t type);
    void SendIfChanged(uint32_t type);
    // Enables or disables lights 0..top of a stack with the renderer.
    void UpdateLights(QrLight* const* lights, int32_t top, uint32_t enable);

    QrPointer<QrRender> m_renderer;
    QrPointer<QrProperty> m_lastSent[kTypeCount];
    QrPointer<QrProperty> m_current[kTypeCount];
    uint32_t m_overrideCount[kTypeCount] = {};
    int32_t m_lightTop = -1;
    // Non-zero once the stack is full: 1 plus the pushes swallowed since.
    uint32_t m_lightOverflow = 0;
    // Not counted: a light is held by the nodes that push it.
    QrLight* m_lights[kMaxLights] = {};
    QrRSXAudioManager::Interface* m_audio = nullptr;
    // Reused for the multi-texture image list.
    std::vector<QrImage*> m_multiImages;
};
