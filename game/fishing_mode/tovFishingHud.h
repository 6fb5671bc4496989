#pragma once
// The fishing screen's head-up display: round instruments over the view (speedometer,
// tachometer, compass and clock; the line's tension with the drag's mark while a fish is on)
// and the depth finder's two screens, the depth and the water's temperature. The faces are
// pictures of the main pack; the needles are drawn over them each frame.

#include "QrImage.h"
#include "QrPointer.h"
#include "qrxRoundGauge.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace plat
{
class Font;
}
class qrxFloatingText;
class tovCastController;
class tovFishingWorld;

class tovFishingHud
{
public:
    // The fishing screen's pack group and its pictures.
    static constexpr uint32_t kGroup = 26;
    enum Picture : uint32_t
    {
        kSpeedFace = 5200,
        kTachFace,
        kCompassFace,
        kClockFace,
        kTensionFace,
        kDepthPanel,
        kPictureEnd,
    };
    // The bottom bar's buttons: a normal and a lit picture each, in button order.
    static constexpr uint32_t kFirstButtonPicture = 5210;
    // The motor button pushed in (and under the pointer) while the motor runs.
    static constexpr uint32_t kMotorRunningPicture = 5222;
    // The menu button greyed while the menu would be refused.
    static constexpr uint32_t kMenuRefusedPicture = 5224;

    static constexpr float kTopSpeed = 60.0f;
    static constexpr float kTopRpm = 6000.0f;
    // The dials' needles sweep from this angle left of straight up to as far right.
    static constexpr float kSweep = 135.0f;

    // What the instruments show in one frame.
    struct Readings
    {
        float speedMph = 0.0f;
        float rpm = 0.0f;
        float heading = 0.0f;   // degrees, 0 north (+z), 90 east (+x)
        double timeOfDay = 0.0; // seconds since midnight
        float depthFeet = 0.0f;
        float waterTemperature = 0.0f; // degrees Fahrenheit
        bool fighting = false;
        float tension = 0.0f;    // the line's pull over its strength
        float drag = 0.0f;       // the drag over the line's strength
        float dragPounds = 0.0f; // the drag setting
    };

    // Where the instruments sit on the 640 by 480 screen.
    struct Place
    {
        int32_t x;
        int32_t y;
    };
    static constexpr int32_t kFaceSize = 96;
    static constexpr Place kSpeedAt{4, 8};
    static constexpr Place kTachAt{104, 8};
    static constexpr Place kCompassAt{204, 8};
    static constexpr Place kDepthAt{384, 8};
    static constexpr Place kClockAt{540, 8};
    static constexpr Place kTensionAt{540, 108};
    // The depth finder's two screens (depth, then water temperature), in its picture.
    static constexpr int32_t kScreenLeft = 6;
    static constexpr int32_t kScreenTop = 20;
    static constexpr int32_t kScreenWidth = 65;
    static constexpr int32_t kScreenHeight = 38;
    static constexpr int32_t kScreenStep = 71;

    // What the depth finder's screens and the drag line say.
    static std::string DepthText(float feet);
    static std::string TemperatureText(float fahrenheit);
    static std::string DragText(float pounds);

    tovFishingHud();
    ~tovFishingHud();
    tovFishingHud(const tovFishingHud&) = delete;
    tovFishingHud& operator=(const tovFishingHud&) = delete;

    // The faces from the main pack (its group loaded by the screen); dropped again on leaving.
    void LoadPictures();
    void ReleasePictures();
    // The local boat, its probe, the day's clock and the fight, as the instruments read them.
    static Readings Read(tovFishingWorld* world, const tovCastController* cast);
    void Draw(const Readings& readings);

    // Needle angles (degrees, 0 up, clockwise) for the readings; the hour hand sweeps the whole
    // face, the others the dial's 270 degrees.
    static float DialAngle(float fraction);
    static float CompassAngle(float heading);
    static void ClockAngles(double timeOfDay, float& hour, float& minute);

private:
    void DrawFace(Picture picture, Place at);
    void DrawDepthFinder(const Readings& readings);
    void DrawFight(const Readings& readings);

    qrxRoundGauge m_speed;
    qrxRoundGauge m_tach;
    qrxRoundGauge m_compass;
    qrxRoundGauge m_clock;
    // A smaller dial on the clock's centre, so the hour hand is the shorter one.
    qrxRoundGauge m_hourHand;
    qrxRoundGauge m_tension;
    std::array<QrPointer<QrImage>, kPictureEnd - kSpeedFace> m_faces;
    std::unique_ptr<plat::Font> m_lcdFont;
    std::unique_ptr<plat::Font> m_smallFont;
    std::unique_ptr<qrxFloatingText> m_lcd;
    std::unique_ptr<qrxFloatingText> m_label;
    std::unique_ptr<qrxFloatingText> m_labelShadow;
};
