#pragma once
// A short splash where something breaks the water: a ten-picture flip-book on two camera-facing
// cutouts at the spot, one in the scene's above-water group and one in its below-water group,
// so it shows from either side of the surface. It rises (pictures 1 to 5), spreads (6 to 10)
// and falls back (5 to 1), a quarter second each. The fishing mode owns one per scene and runs
// it as an action of its camera.

#include "QrCameraAction.h"
#include "QrPointer.h"

#include <cstdint>

class QrAVObject;
class QrNode;
class QrTextureProperty;
class qrxCutout;
class tovScene;

class tovSplash : public QrCameraAction
{
    QR_DECLARE_RTTI

public:
    static constexpr int32_t kPictureCount = 10;
    // The ten pictures, then pictures 5 to 1 again for the fall.
    static constexpr int32_t kSlotCount = 15;
    static constexpr int32_t kMiddleSlot = 5;
    static constexpr int32_t kFallSlot = 10;

    tovSplash();

    void AttachToScene(tovScene* scene);
    // The node lets go of both parts.
    void Detach(QrNode* node);
    // Starts a splash at the node; ignored while one runs.
    void StartAt(QrAVObject* node, double startTime);
    // Asks a running splash to fall back now (or as soon as its rise allows).
    void Finish();
    // Hides the splash at once.
    void Stop();
    bool Update(double time, double elapsed) override;

    bool IsRunning() const;
    bool IsRising() const { return m_rising != 0; }
    bool IsEnding() const { return m_ending != 0; }
    QrAVObject* GetFollowedNode() const { return m_node.Get(); }
    double GetStartTime() const { return m_startTime; }
    qrxCutout* GetPartA() const { return m_partA.Get(); }
    qrxCutout* GetPartB() const { return m_partB.Get(); }
    QrTextureProperty* GetFlipBook() const { return m_flipBook.Get(); }

protected:
    ~tovSplash() override;

private:
    void Build();
    void PlaceParts(QrCamera* camera);
    void AdvanceFrame(double time);
    void ShowSlot(int32_t slot);
    void Hide();

    QrPointer<QrAVObject> m_node;
    QrPointer<qrxCutout> m_partA;
    QrPointer<qrxCutout> m_partB;
    QrPointer<QrTextureProperty> m_flipBook;
    // How far the parts are moved towards the camera, in hundredths of a unit.
    float m_distance = 1.0f;
    double m_startTime = 0.0;
    uint8_t m_ending = 0;
    uint8_t m_rising = 1;
    // The quarter second since the start in which the current phase began.
    int32_t m_window = 0;
};
