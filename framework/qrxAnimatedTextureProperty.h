#pragma once
// A texture that cycles through numbered frame pictures by time (the water surface, the lake
// bottom): frames "name00.bmp", "name01.bmp", ... next to a base picture "name.bmp", loaded
// through the asset cache. The owner adds it to an idle manager, which steps it by the frame
// time.

#include "qrxIdleObject.h"

#include "QrTextureProperty.h"

#include <cstdint>
#include <string>

class qrxAnimatedTextureProperty : public QrTextureProperty, public qrxIdleObject
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    // More frames than any surface uses; a range from a file cannot make the loader spin.
    static constexpr int32_t kMaxFrames = 1000;
    static constexpr int32_t kMaxDigits = 9;

    qrxAnimatedTextureProperty();

    void LoadBinary(QrStream& stream) override;
    void LinkObject(QrStream& stream) override;
    void SaveBinary(QrStream& stream) override;
    bool IsEqual(const QrObject* other) const override;

    // Frame numbers first, first + step, ... up to last, written with digits digits.
    void MakeFrameFormat(int32_t first, int32_t last, int32_t step, int32_t digits);
    void SetFrames(const char* baseName, bool loadNow);
    // The numbered frames that exist, in order; without the first one, the base picture alone.
    void LoadFrames();
    // Seconds for all frames (at least 0.01); the interval follows from the frame count.
    void SetCycleTime(float seconds);
    // Seconds per frame (at least 0.01); the cycle time no longer applies.
    void SetFrameInterval(float seconds);
    void SetRunning(uint8_t running) { m_running = running; }
    uint8_t GetRunning() const { return m_running; }
    void SetFrameSkipping(uint8_t skipping) { m_frameSkipping = skipping; }

    // Advances after an interval has gathered: one frame, or with frame skipping as many as
    // fit into the gathered time.
    void Update(double now, double elapsed) override;

    int32_t GetFrameCount() const { return m_frameCount; }
    float GetFrameInterval() const { return m_interval; }
    float GetCycleTime() const { return m_cycleTime; }
    const std::string& GetFrameFormat() const { return m_format; }
    // The file of frame number n.
    std::string FramePath(int32_t n) const;

protected:
    ~qrxAnimatedTextureProperty() override = default;

private:
    void Fields(QrStream& stream);
    void SanitiseSettings();
    void ComputeInterval();

    uint8_t m_running = 1;
    double m_accumulated = 0.0;
    float m_interval = 0.1f;
    float m_cycleTime = 1.0f;
    uint8_t m_frameSkipping = 0;
    std::string m_baseName;
    int32_t m_frameCount = 0;
    int32_t m_first = 0;
    int32_t m_last = 0;
    int32_t m_step = 1;
    int32_t m_digits = 2;
    std::string m_format;
};
