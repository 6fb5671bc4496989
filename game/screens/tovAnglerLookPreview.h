#pragma once
// The angler look screen's 3D scene: the player's boat with the angler in it on a turntable
// that turns one degree a frame, under a fixed camera that keeps aiming at it. One angler
// model per gender is kept, so a gender change only swaps the figure the boat carries. The
// look values live in the player profile; each change is saved at once.

#include "tovAngler.h"
#include "tovAnglerLooks.h"

#include "QrCamera.h"
#include "QrLight.h"
#include "QrNode.h"
#include "QrPointer.h"

#include <array>
#include <cstdint>

class tovBoat;

class tovAnglerLookPreview
{
public:
    static constexpr int32_t kPaintSchemes = tovAnglerLooks::kPaintSchemes;
    // The profile's look slots: paint scheme, second and first colour choice.
    static constexpr int32_t kLook1 = 0;
    static constexpr int32_t kLook2 = 1;
    static constexpr int32_t kLook3 = 2;

    tovAnglerLookPreview();
    virtual ~tovAnglerLookPreview();
    tovAnglerLookPreview(const tovAnglerLookPreview&) = delete;
    tovAnglerLookPreview& operator=(const tovAnglerLookPreview&) = delete;

    void Build();
    void Destroy();
    void AttachAngler();
    void StepLook1(int32_t delta);
    void StepLook2(int32_t delta);
    void StepLook3(int32_t delta);
    void RefreshViewport();
    void Step(float now, float elapsed);
    void Render(float now, float elapsed);

    void SetRotate(bool on) { m_rotate = on; }
    bool GetRotate() const { return m_rotate; }
    static float GetAngle();

    QrNode* GetRoot() const { return m_root.Get(); }
    QrNode* GetTurntable() const { return m_turntable.Get(); }
    tovBoat* GetBoat() const;
    tovAngler* GetCurrentAngler() const { return m_current.Get(); }
    tovAngler* GetAnglerModel(int32_t gender) const { return m_anglers.at(gender ? 1 : 0).Get(); }
    QrCamera* GetCamera() const { return m_camera.Get(); }

private:
    void ApplyAppearance();

    bool m_rotate = true;
    QrPointer<QrNode> m_root;
    QrPointer<QrNode> m_boat;
    QrPointer<QrNode> m_turntable;
    std::array<QrPointer<tovAngler>, 2> m_anglers;
    QrPointer<tovAngler> m_current;
    QrPointer<QrCamera> m_camera;
    QrPointer<QrLight> m_light;
};
