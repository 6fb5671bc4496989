#include "tovFishingHud.h"

#include "tovBoat.h"
#include "tovCastController.h"
#include "tovFishingBoatProbe.h"
#include "tovFishingWorld.h"
#include "tovGameClock.h"
#include "tovShellIFace.h"

#include "QrRender.h"
#include "qrxFloatingText.h"

#include "Font.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace
{

constexpr int32_t kHourInset = 16;

float Finite(float value)
{
    return std::isfinite(value) ? value : 0.0f;
}

// Into [-180, 180), the needle table's range for a pointer.
float Wrap(double degrees)
{
    if (!std::isfinite(degrees))
        return 0.0f;
    double a = std::fmod(degrees + 180.0, 360.0);
    if (a < 0.0)
        a += 360.0;
    return static_cast<float>(a - 180.0);
}

qrxRoundGauge Gauge(tovFishingHud::Place at, float minimum, float maximum)
{
    const int32_t size = tovFishingHud::kFaceSize;
    qrxRoundGauge gauge(at.x, at.y, at.x + size, at.y + size);
    gauge.SetRange(minimum, maximum);
    return gauge;
}

} // namespace

tovFishingHud::tovFishingHud()
    : m_speed(Gauge(kSpeedAt, -kSweep, kSweep)), m_tach(Gauge(kTachAt, -kSweep, kSweep)),
      m_compass(Gauge(kCompassAt, -kSweep, kSweep)), m_clock(Gauge(kClockAt, 0.0f, 360.0f)),
      m_hourHand(kClockAt.x + kHourInset, kClockAt.y + kHourInset, kClockAt.x + kFaceSize - kHourInset,
                 kClockAt.y + kFaceSize - kHourInset),
      m_tension(Gauge(kTensionAt, -kSweep, kSweep)), m_lcdFont(plat::Font::Create("Verdana", 18, 700)),
      m_smallFont(plat::Font::Create("Verdana", 13, 700))
{
    m_hourHand.SetRange(0.0f, 360.0f);
    if (m_lcdFont)
        m_lcd = std::make_unique<qrxFloatingText>(m_lcdFont.get(), plat::MakeColorRef(150, 240, 160));
    if (m_smallFont)
    {
        m_label = std::make_unique<qrxFloatingText>(m_smallFont.get(), plat::MakeColorRef(255, 255, 255));
        // Nearly black: pure black is the overlay's transparent key.
        m_labelShadow = std::make_unique<qrxFloatingText>(m_smallFont.get(), plat::MakeColorRef(16, 16, 16));
    }
}

tovFishingHud::~tovFishingHud() = default;

void tovFishingHud::LoadPictures()
{
    for (uint32_t id = kSpeedFace; id < kPictureEnd; ++id)
        m_faces[id - kSpeedFace] = tovShellIFace::Picture(id);
}

void tovFishingHud::ReleasePictures()
{
    for (QrPointer<QrImage>& face : m_faces)
        face = nullptr;
}

float tovFishingHud::DialAngle(float fraction)
{
    return -kSweep + 2.0f * kSweep * std::clamp(Finite(fraction), 0.0f, 1.0f);
}

float tovFishingHud::CompassAngle(float heading)
{
    return Wrap(heading);
}

void tovFishingHud::ClockAngles(double timeOfDay, float& hour, float& minute)
{
    const double seconds = std::isfinite(timeOfDay) ? timeOfDay : 0.0;
    const double hours = std::fmod(std::fmod(seconds / 3600.0, 12.0) + 12.0, 12.0);
    hour = static_cast<float>(hours * 30.0);
    minute = Wrap(std::fmod(seconds / 60.0, 60.0) * 6.0);
}

tovFishingHud::Readings tovFishingHud::Read(tovFishingWorld* world, const tovCastController* cast)
{
    Readings r;
    r.timeOfDay = TheGameClock().GetTimeOfDay();
    tovBoat* boat = world && world->IsBuilt() ? world->GetPlayerBoat() : nullptr;
    if (boat)
    {
        r.speedMph = Finite(boat->GetSpeedMph());
        r.rpm = Finite(boat->GetRpm());
        r.heading = Finite(boat->GetHeadingDegrees());
        if (const auto* probe = dynamic_cast<const tovFishingBoatProbe*>(boat->GetProbe()))
        {
            r.depthFeet = Finite(probe->GetDepthFeet());
            r.waterTemperature = Finite(probe->GetWaterTemperature());
        }
    }
    if (cast)
    {
        r.fighting = cast->GetPhase() == tovCastController::kFighting;
        const float strength = cast->GetLineStrength();
        r.dragPounds = Finite(cast->GetDragPounds());
        if (strength > 0.0f)
        {
            r.tension = Finite(cast->GetLineTension() / strength);
            r.drag = Finite(r.dragPounds / strength);
        }
    }
    return r;
}

void tovFishingHud::DrawFace(Picture picture, Place at)
{
    QrRender* renderer = tovShellIFace::Renderer();
    QrImage* face = m_faces[picture - kSpeedFace].Get();
    // Keyed: the black corners let the view through.
    if (renderer && face)
        renderer->BlitImage(face, nullptr, at.x, at.y, 1);
}

void tovFishingHud::Draw(const Readings& r)
{
    DrawFace(kSpeedFace, kSpeedAt);
    m_speed.DrawValue(std::clamp(r.speedMph / kTopSpeed, 0.0f, 1.0f));
    DrawFace(kTachFace, kTachAt);
    m_tach.DrawValue(std::clamp(r.rpm / kTopRpm, 0.0f, 1.0f));
    DrawFace(kCompassFace, kCompassAt);
    m_compass.DrawPointer(CompassAngle(r.heading));
    DrawFace(kClockFace, kClockAt);
    float hour = 0.0f;
    float minute = 0.0f;
    ClockAngles(r.timeOfDay, hour, minute);
    m_hourHand.DrawValue(hour / 360.0f);
    m_clock.DrawPointer(minute);
    DrawDepthFinder(r);
    if (r.fighting)
        DrawFight(r);
}

std::string tovFishingHud::DepthText(float feet)
{
    // Three digits at most; over dry ground (a negative depth) it reads 0.
    char text[32];
    std::snprintf(text, sizeof text, "%d ft", static_cast<int32_t>(std::clamp(Finite(feet), 0.0f, 999.0f)));
    return text;
}

std::string tovFishingHud::TemperatureText(float fahrenheit)
{
    char text[32];
    std::snprintf(text, sizeof text, "%d%cF", static_cast<int32_t>(std::clamp(Finite(fahrenheit), -99.0f, 199.0f)),
                  '\xb0');
    return text;
}

std::string tovFishingHud::DragText(float pounds)
{
    char text[32];
    std::snprintf(text, sizeof text, "Drag %.1f lb", static_cast<double>(std::clamp(Finite(pounds), 0.0f, 99.9f)));
    return text;
}

void tovFishingHud::DrawDepthFinder(const Readings& r)
{
    DrawFace(kDepthPanel, kDepthAt);
    if (!m_lcd)
        return;
    const std::string texts[2] = {DepthText(r.depthFeet), TemperatureText(r.waterTemperature)};
    for (int32_t i = 0; i < 2; ++i)
    {
        // Centred in its screen.
        const plat::Size size = m_lcdFont->MeasureText(texts[i]);
        m_lcd->DrawText(kDepthAt.x + kScreenLeft + i * kScreenStep + (kScreenWidth - size.width) / 2,
                        kDepthAt.y + kScreenTop + (kScreenHeight - size.height) / 2, texts[i].c_str(), nullptr);
    }
}

void tovFishingHud::DrawFight(const Readings& r)
{
    DrawFace(kTensionFace, kTensionAt);
    m_tension.DrawValue(std::clamp(r.tension, 0.0f, 1.0f));
    m_tension.DrawPointer(DialAngle(r.drag));
    if (!m_label || !m_labelShadow)
        return;
    // Under the gauge, shadowed so that it reads over a bright sky.
    const std::string text = DragText(r.dragPounds);
    const int32_t x = kTensionAt.x + (kFaceSize - m_smallFont->MeasureText(text).width) / 2;
    const int32_t y = kTensionAt.y + kFaceSize + 2;
    m_labelShadow->DrawText(x + 1, y + 1, text.c_str(), nullptr);
    m_label->DrawText(x, y, text.c_str(), nullptr);
}
