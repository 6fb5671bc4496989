#include "SceneStage.h"

#include "SceneDump.h"

#include "QrAVObject.h"
#include "QrAction.h"
#include "QrAnimTiming.h"
#include "QrCamera.h"
#include "QrLight.h"
#include "QrNode.h"

#include <algorithm>
#include <cmath>

namespace tools
{

SceneStage::~SceneStage()
{
    if (m_camera && m_rootSet)
        m_camera->SetSceneRoot(m_cameraRoot.Get());
}

bool SceneStage::Load(const char* path)
{
    if (!m_stream.Load(path))
        return false;
    for (uint32_t i = 0; i < m_stream.GetLoadedCount() && !m_camera; ++i)
        m_camera = QrDynamicCast<QrCamera>(m_stream.GetLoadedAt(i));
    m_ownCamera = m_camera != nullptr;
    if (m_camera)
        m_root = m_camera->GetSceneRoot();
    for (uint32_t i = 0; i < m_stream.GetTopLevelCount() && !m_root; ++i)
    {
        auto* object = QrDynamicCast<QrAVObject>(m_stream.GetTopLevelAt(i));
        if (object && !object->GetParent() && !QrDynamicCast<QrCamera>(object))
            m_root = object;
    }
    if (m_root)
        m_root->UpdateAllInstances();
    if (m_camera)
        m_camera->UpdateAllInstances();
    return m_root != nullptr;
}

void SceneStage::RunTo(float time)
{
    time = std::clamp(time, 0.0f, kLongestTime);
    // The first pose of every animation, as the game applies it once after loading.
    QrAnimTiming::UpdateAll(0.0f);
    const auto frames = static_cast<uint32_t>(std::ceil(time * kFrameRate));
    float previous = 0.0f;
    for (uint32_t frame = 1; frame <= frames; ++frame)
    {
        const float now = std::min(time, float(frame) / kFrameRate);
        QrAnimTiming::UpdateAll(now);
        QrAction::UpdateAll(now, now - previous);
        previous = now;
    }
    if (m_root)
        m_root->UpdateAllInstances();
    if (m_camera)
        m_camera->UpdateAllInstances();
}

QrCamera* SceneStage::ChooseCamera()
{
    if (!m_root)
        return nullptr;
    if (!m_camera)
        m_camera = qrfdump::FramingCamera(m_root.Get());
    if (!m_rootSet)
    {
        m_cameraRoot = m_camera->GetSceneRoot();
        m_rootSet = true;
    }
    m_camera->SetSceneRoot(m_wrapper ? static_cast<QrAVObject*>(m_wrapper.Get()) : m_root.Get());
    m_camera->UpdateAllInstances();
    return m_camera.Get();
}

bool SceneStage::HasLight() const
{
    for (uint32_t i = 0; i < m_stream.GetLoadedCount(); ++i)
    {
        const auto* light = QrDynamicCast<QrLight>(m_stream.GetLoadedAt(i));
        if (light && light->GetOn() && light->GetAffectedNodes().GetCount() > 0)
            return true;
    }
    return false;
}

void SceneStage::AddHeadlight()
{
    if (!m_camera || !m_root)
        return;
    QrNode* lit = QrDynamicCast<QrNode>(m_root.Get());
    if (!lit)
    {
        m_wrapper = new QrNode;
        m_wrapper->AttachChild(m_root.Get());
        m_wrapper->UpdateAllInstances();
        m_camera->SetSceneRoot(m_wrapper.Get());
        lit = m_wrapper.Get();
    }
    // The camera looks along the negative of its direction axis; the light comes from a little
    // above the eye so that faces turned up and down read differently.
    QrPoint3 view = m_camera->GetWorldDirection() * -1.0f - m_camera->GetWorldUp() * 0.35f;
    view.Unitize();
    m_headlight = new QrLight;
    m_headlight->SetName("qrrender headlight");
    m_headlight->SetType(QrLight::kDirectional);
    m_headlight->SetLocalDirection(view);
    m_headlight->SetDiffuseColor(QrPoint3(1.0f, 1.0f, 1.0f));
    m_headlight->SetAmbientColor(QrPoint3(0.0f, 0.0f, 0.0f));
    m_ambient = new QrLight;
    m_ambient->SetName("qrrender ambient");
    m_ambient->SetType(QrLight::kAmbient);
    m_ambient->SetAmbientColor(QrPoint3(0.4f, 0.4f, 0.4f));
    for (QrLight* light : {m_headlight.Get(), m_ambient.Get()})
    {
        light->UpdateAllInstances();
        light->AttachAffectedNode(lit);
    }
}

} // namespace tools
