#include "qrxAnimatedTextureProperty.h"

#include "FileHelpers.h"
#include "qrxAssetCache.h"

#include "QrStream.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

QR_IMPLEMENT_RTTI(qrxAnimatedTextureProperty, QrTextureProperty)
QR_IMPLEMENT_CREATE(qrxAnimatedTextureProperty)

namespace
{

constexpr float kMinSeconds = 0.01f;

// At least the minimum; NaN from a file counts as below it.
float AtLeastMinimum(float seconds)
{
    return seconds >= kMinSeconds ? seconds : kMinSeconds;
}

QrPointer<QrImage> LoadFrame(const std::string& path)
{
    const QrPointer<QrTextureProperty> texture = qrxAssetCache::Get().Load(path.c_str(), 0);
    return texture ? texture->GetImage(0) : nullptr;
}

} // namespace

qrxAnimatedTextureProperty::qrxAnimatedTextureProperty()
{
    MakeFrameFormat(0, 0, 1, 2);
}

void qrxAnimatedTextureProperty::MakeFrameFormat(int32_t first, int32_t last, int32_t step, int32_t digits)
{
    m_first = std::max(first, 0);
    m_last = std::max(std::max(last, 0), m_first);
    m_step = std::max(step, 1);
    m_digits = std::clamp(digits, 0, kMaxDigits);
    char format[16];
    std::snprintf(format, sizeof format, "%%s%%0%dd", int(m_digits));
    m_format = format;
}

std::string qrxAnimatedTextureProperty::FramePath(int32_t n) const
{
    // Folder, file name and extension of the base name; the number goes before the extension.
    const size_t slash = m_baseName.find_last_of("/\\");
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    size_t dot = m_baseName.find_last_of('.');
    if (dot == std::string::npos || dot < nameStart)
        dot = m_baseName.size();
    char number[24];
    std::snprintf(number, sizeof number, "%0*d", int(m_digits), int(n));
    return m_baseName.substr(0, dot) + number + m_baseName.substr(dot);
}

void qrxAnimatedTextureProperty::SetFrames(const char* baseName, bool loadNow)
{
    m_baseName = baseName ? baseName : "";
    if (loadNow)
        LoadFrames();
}

void qrxAnimatedTextureProperty::LoadFrames()
{
    std::vector<QrPointer<QrImage>> frames;
    if (FileExists(FramePath(m_first).c_str()))
    {
        // Missing or unreadable frames drop out and the rest keep their order; numbers without
        // a file are not put to the cache, which would remember each one.
        const int64_t last = std::min<int64_t>(m_last, int64_t(m_first) + int64_t(m_step) * (kMaxFrames - 1));
        for (int64_t n = m_first; n <= last; n += m_step)
        {
            const std::string path = FramePath(int32_t(n));
            if (!FileExists(path.c_str()))
                continue;
            if (QrPointer<QrImage> image = LoadFrame(path))
                frames.push_back(image);
        }
    }
    if (frames.empty())
        if (QrPointer<QrImage> image = LoadFrame(m_baseName))
            frames.push_back(image);
    for (size_t i = 0; i < frames.size(); ++i)
        SetImage(frames[i].Get(), uint32_t(i));
    SetImageCount(uint32_t(frames.size()));
    m_frameCount = int32_t(frames.size());
    ComputeInterval();
    SetCurrentIndex(0);
}

void qrxAnimatedTextureProperty::ComputeInterval()
{
    // A cycle time of -1 says the interval was set directly.
    if (m_cycleTime < 0.0f)
        return;
    m_interval = m_frameCount > 0 ? m_cycleTime / float(m_frameCount) : 0.1f;
}

void qrxAnimatedTextureProperty::SetCycleTime(float seconds)
{
    m_cycleTime = AtLeastMinimum(seconds);
    ComputeInterval();
}

void qrxAnimatedTextureProperty::SetFrameInterval(float seconds)
{
    m_interval = AtLeastMinimum(seconds);
    m_cycleTime = -1.0f;
}

void qrxAnimatedTextureProperty::Update(double, double elapsed)
{
    if (!m_running)
        return;
    m_accumulated += elapsed;
    if (!(m_accumulated >= m_interval))
        return;
    if (m_frameCount > 0)
    {
        const double steps = m_frameSkipping ? std::floor(m_accumulated / m_interval) : 1.0;
        const double current = std::max(GetCurrentIndex(), 0);
        SetCurrentIndex(int32_t(std::fmod(current + steps, double(m_frameCount))));
    }
    m_accumulated = 0.0;
}

// --- scene file

void qrxAnimatedTextureProperty::Fields(QrStream& stream)
{
    stream.Field(m_running);
    stream.Field(m_accumulated);
    stream.Field(m_interval);
    stream.Field(m_cycleTime);
    stream.Field(m_frameSkipping);
    stream.Field(m_frameCount);
    stream.Field(m_first);
    stream.Field(m_last);
    stream.Field(m_step);
    stream.Field(m_digits);
}

void qrxAnimatedTextureProperty::LoadBinary(QrStream& stream)
{
    QrTextureProperty::LoadBinary(stream);
    Fields(stream);
    stream.LoadString(m_baseName);
    SanitiseSettings();
}

void qrxAnimatedTextureProperty::SanitiseSettings()
{
    MakeFrameFormat(m_first, m_last, m_step, m_digits);
    if (!(m_interval >= kMinSeconds))
        m_interval = kMinSeconds;
    if (!(m_cycleTime >= kMinSeconds))
        m_cycleTime = -1.0f;
    if (!(m_accumulated >= 0.0) || !std::isfinite(m_accumulated))
        m_accumulated = 0.0;
}

void qrxAnimatedTextureProperty::LinkObject(QrStream& stream)
{
    QrTextureProperty::LinkObject(stream);
    // The frame count steps the current index: never past the frames the file holds.
    m_frameCount = std::clamp(m_frameCount, 0, int32_t(GetImageCount()));
}

void qrxAnimatedTextureProperty::SaveBinary(QrStream& stream)
{
    QrTextureProperty::SaveBinary(stream);
    Fields(stream);
    stream.SaveString(m_baseName);
}

bool qrxAnimatedTextureProperty::IsEqual(const QrObject* object) const
{
    if (!QrTextureProperty::IsEqual(object))
        return false;
    const auto* o = static_cast<const qrxAnimatedTextureProperty*>(object);
    return m_running == o->m_running && m_accumulated == o->m_accumulated && m_interval == o->m_interval &&
           m_cycleTime == o->m_cycleTime && m_frameSkipping == o->m_frameSkipping && m_baseName == o->m_baseName &&
           m_frameCount == o->m_frameCount && m_first == o->m_first && m_last == o->m_last && m_step == o->m_step &&
           m_digits == o->m_digits;
}
