#include "tovSplash.h"

#include "qrxCutout.h"
#include "tovScene.h"

#include "tovInstallSettings.h"

#include "qrxAssetCache.h"

#include "QrAVInstance.h"
#include "QrCamera.h"
#include "QrNode.h"
#include "QrTextureProperty.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

QR_IMPLEMENT_RTTI(tovSplash, QrCameraAction)

namespace
{
constexpr float kScale = 0.02f;
constexpr float kHeightAbove = -0.0025f;
constexpr float kHeightBelow = -0.01f;
// Pictures a second, and pictures a phase.
constexpr double kPictureRate = 20.0;
constexpr double kPhaseLength = 5.0;
// Far past any splash: keeps the phase count in range for a clock that jumped.
constexpr double kLongestCount = 1.0e6;

QrPointer<QrImage> SplashPicture(int32_t picture)
{
    char name[32];
    std::snprintf(name, sizeof name, "splsh_%02d.tga", int(picture));
    const QrPointer<QrTextureProperty> texture = qrxAssetCache::Get().Load(DataFilePath(name).c_str(), 0);
    return texture ? texture->GetImage(0) : nullptr;
}

QrPoint3 WorldPosition(QrAVObject* object)
{
    const QrAVInstance* instance = object->GetCurrentInstance();
    return instance ? instance->m_worldTranslate : object->GetTranslate();
}
} // namespace

tovSplash::tovSplash()
{
    Build();
}

tovSplash::~tovSplash() = default;

void tovSplash::Build()
{
    m_flipBook = new QrTextureProperty;
    for (int32_t f = 1; f <= kPictureCount; ++f)
    {
        const QrPointer<QrImage> image = SplashPicture(f);
        m_flipBook->SetImage(image.Get(), uint32_t(f - 1));
        if (f <= kMiddleSlot)
            m_flipBook->SetImage(image.Get(), uint32_t(kSlotCount - f));
    }
    m_flipBook->SetImageCount(kSlotCount);
    m_partA = new qrxCutout(m_flipBook.Get(), qrxCutout::kAlphaBlend);
    m_partB = new qrxCutout(m_flipBook.Get(), qrxCutout::kAlphaBlend);
    for (qrxCutout* part : {m_partA.Get(), m_partB.Get()})
    {
        part->SetScale(kScale);
        part->SetAppCulled(1);
    }
}

void tovSplash::AttachToScene(tovScene* scene)
{
    if (!scene)
        return;
    if (m_partA)
        scene->AttachToGroupA(m_partA.Get());
    if (m_partB)
        scene->AttachToGroupB(m_partB.Get());
}

void tovSplash::Detach(QrNode* node)
{
    if (!node)
        return;
    node->DetachChild(m_partA.Get());
    node->DetachChild(m_partB.Get());
}

bool tovSplash::IsRunning() const
{
    return m_partA && !m_partA->GetAppCulled();
}

void tovSplash::StartAt(QrAVObject* node, double startTime)
{
    if (!m_partA || IsRunning())
        return;
    m_node = node;
    m_startTime = startTime;
    m_partA->SetAppCulled(0);
    m_partB->SetAppCulled(0);
    m_ending = 0;
    m_rising = 1;
    m_window = 0;
    m_flipBook->SetCurrentIndex(0);
}

void tovSplash::Finish()
{
    if (!m_partA)
        return;
    m_ending = 1;
    if (!m_rising)
        m_flipBook->SetCurrentIndex(kFallSlot);
}

void tovSplash::Hide()
{
    m_partA->SetAppCulled(1);
    m_partB->SetAppCulled(1);
    m_node = nullptr;
}

void tovSplash::Stop()
{
    if (!m_partA)
        return;
    Hide();
    m_ending = 0;
    m_rising = 0;
}

bool tovSplash::Update(double time, double)
{
    QrCamera* camera = GetCamera();
    if (!camera || camera->GetAppCulled() || !m_node || !m_partA || !m_partB || m_partA->GetAppCulled())
        return true;
    PlaceParts(camera);
    AdvanceFrame(time);
    m_partA->UpdateAllInstances();
    m_partB->UpdateAllInstances();
    return true;
}

void tovSplash::PlaceParts(QrCamera* camera)
{
    const QrPoint3 target = WorldPosition(m_node.Get());
    const QrPoint3 eye = camera->GetWorldLocation();
    QrPoint3 toward = eye - target;
    toward.Unitize();
    const QrPoint3 p = target + toward * (0.01f * m_distance);
    // Exactly 0 counts as above water.
    const float h = eye.y >= 0.0f ? kHeightAbove : kHeightBelow;
    m_partA->SetTranslate(p.x, h, p.z);
    m_partB->SetTranslate(p.x, h, p.z);
}

void tovSplash::AdvanceFrame(double time)
{
    // A clock that runs backwards or is not a number holds the first picture of the phase.
    double pictures = (time - m_startTime) * kPictureRate;
    if (!(pictures >= 0.0) || !std::isfinite(pictures))
        pictures = 0.0;
    // Phases end by the quarter second the time has reached, not by the picture count
    // wrapping between two frames: a frame of a whole quarter second would never see it wrap.
    const double count = std::min(pictures, kLongestCount);
    const int32_t window = int32_t(count / kPhaseLength);
    const int32_t k = int32_t(std::fmod(count, kPhaseLength));
    if (m_rising)
    {
        if (window <= m_window)
        {
            if (m_ending && k > 2)
            {
                m_rising = 0;
                ShowSlot(k + kFallSlot);
            }
            else
                ShowSlot(k);
            return;
        }
        m_rising = 0;
        ++m_window;
        // The spread's first picture shows even when an end was asked for; the fall follows.
        if (window == m_window)
        {
            ShowSlot(k + kMiddleSlot);
            return;
        }
    }
    if (!m_ending)
    {
        if (window <= m_window)
        {
            ShowSlot(k + kMiddleSlot);
            return;
        }
        m_ending = 1;
        ++m_window;
    }
    if (window <= m_window)
    {
        ShowSlot(k + kFallSlot);
        return;
    }
    Hide();
    m_ending = 0;
}

void tovSplash::ShowSlot(int32_t slot)
{
    m_flipBook->SetCurrentIndex(std::clamp(slot, 0, kSlotCount - 1));
}
