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

constexpr int32_t kFaceSize = 80;
constexpr int32_t kHourInset = 13;

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
    qrxRoundGauge gauge(at.x, at.y, at.x + kFaceSize, at.y + kFaceSize);
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
        m_label = std::make_unique<qrxFloatingText>(m_smallFont.get(), plat::MakeColorRef(255, 255, 255));
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

void tovFishingHud::DrawDepthFinder(const Readings& r)
{
    DrawFace(kDepthPanel, kDepthAt);
    if (!m_lcd)
        return;
    char text[32];
    std::snprintf(text, sizeof text, "%d ft", static_cast<int32_t>(std::clamp(r.depthFeet, -9999.0f, 9999.0f)));
    m_lcd->DrawText(kDepthAt.x + 12, kDepthAt.y + 14, text, nullptr);
    std::snprintf(text, sizeof text, "%d F", static_cast<int32_t>(std::clamp(r.waterTemperature, -999.0f, 999.0f)));
    m_lcd->DrawText(kDepthAt.x + 64, kDepthAt.y + 14, text, nullptr);
}

void tovFishingHud::DrawFight(const Readings& r)
{
    DrawFace(kTensionFace, kTensionAt);
    m_tension.DrawValue(std::clamp(r.tension, 0.0f, 1.0f));
    m_tension.DrawPointer(DialAngle(r.drag));
    if (!m_label)
        return;
    char text[32];
    std::snprintf(text, sizeof text, "Drag %4.1f lb", static_cast<double>(std::clamp(r.dragPounds, 0.0f, 999.0f)));
    m_label->DrawText(kTensionAt.x - 8, kTensionAt.y + kFaceSize + 2, text, nullptr);
}
