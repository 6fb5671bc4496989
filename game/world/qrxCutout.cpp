#include "qrxCutout.h"

#include "QrAlphaProperty.h"
#include "QrCamera.h"
#include "QrTextureModeProperty.h"
#include "QrTextureProperty.h"
#include "QrTransparentProperty.h"
#include "QrTriShape.h"

QR_IMPLEMENT_RTTI(qrxCutout, QrBillboardNode)

namespace
{
const QrPoint3 kQuadVertices[4] = {{-0.5f, 0.0f, 0.0f}, {0.5f, 0.0f, 0.0f}, {0.5f, 1.0f, 0.0f}, {-0.5f, 1.0f, 0.0f}};
const uint16_t kQuadIndices[6] = {0, 1, 2, 0, 2, 3};
const QrPoint3 kQuadTexture[4] = {{0.0f, 1.0f, 0.0f}, {1.0f, 1.0f, 0.0f}, {1.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.0f}};

int32_t g_textureMode = 5;

// Made on first use, kept until exit.
struct SharedProperties
{
    QrPointer<QrTransparentProperty> transparent;
    QrPointer<QrAlphaProperty> alpha;
    QrPointer<QrTextureModeProperty> textureMode;
};

SharedProperties& Shared()
{
    static SharedProperties shared;
    if (!shared.transparent)
    {
        shared.transparent = new QrTransparentProperty;
        shared.transparent->m_enabled = 1;
        shared.transparent->m_value = 0;
        shared.alpha = new QrAlphaProperty;
        shared.alpha->m_enabled = 1;
        shared.alpha->m_source = 6;
        shared.alpha->m_destination = 7;
        shared.textureMode = new QrTextureModeProperty;
        shared.textureMode->m_applyMode = 0;
        shared.textureMode->m_filterMode = uint32_t(g_textureMode);
        shared.textureMode->m_clampMode = 0;
    }
    return shared;
}
} // namespace

void qrxCutout::SetTextureMode(int32_t value)
{
    g_textureMode = value == 0 ? 3 : value == 1 ? 5 : value;
}

void qrxCutout::CreateSharedProperties()
{
    Shared();
}

qrxCutout::qrxCutout(QrTextureProperty* texture, int32_t transparencyMode) : m_transparencyMode(transparencyMode)
{
    QrPointer<QrTriShape> quad(new QrTriShape(4, kQuadVertices, nullptr, 2, kQuadIndices, kQuadTexture, nullptr));
    quad->AttachProperty(texture);
    AddProperties(quad.Get(), transparencyMode);
    SetMode(kTurnAboutUp);
    AttachChild(quad.Get());
    UpdateAllInstances();
}

qrxCutout::~qrxCutout() = default;

QrTriShape* qrxCutout::GetQuad() const
{
    return static_cast<QrTriShape*>(GetChildAt(0));
}

void qrxCutout::AddProperties(QrTriShape* quad, int32_t transparencyMode)
{
    if (!quad)
        return;
    SharedProperties& shared = Shared();
    if (transparencyMode == kTransparentColour)
        quad->AttachProperty(shared.transparent.Get());
    else if (transparencyMode == kAlphaBlend)
        quad->AttachProperty(shared.alpha.Get());
    m_textureMode = shared.textureMode;
    quad->AttachProperty(m_textureMode.Get());
    quad->CalculateNormals();
}

void qrxCutout::UpdateOrientation(QrCamera* camera, QrAVInstance* instance)
{
    SetCurrentInstance(instance);
    if (!camera)
        return;
    const QrNode* parent = m_currentInstance->GetId();
    const QrAVInstance* p = parent ? parent->GetCurrentInstance() : nullptr;
    const QrPoint3 world =
        p ? p->m_worldTranslate + p->m_worldRotate.TimesPoint(m_translate) * p->m_worldScale : m_translate;
    const QrPoint3& eye = camera->GetWorldLocation();
    // Horizontal only: a cutout straight below a high camera is still near.
    const double dx = double(eye.x) - world.x;
    const double dz = double(eye.z) - world.z;
    if (m_cullDistance > 0.0f && dx * dx + dz * dz > double(m_cullDistance))
    {
        m_far = 1;
        return;
    }
    CameraFrame frame;
    frame.m_location = eye;
    frame.m_rotation = camera->GetWorldRotation();
    frame.m_direction = camera->GetWorldDirection();
    frame.m_up = camera->GetWorldUp();
    frame.m_right = camera->GetWorldRight();
    FaceCamera(frame, instance);
}

void qrxCutout::PushState(QrCamera* camera, QrAVInstance* instance)
{
    QrNode::PushState(camera, instance);
    if (m_orient)
        UpdateOrientation(camera, instance);
}

void qrxCutout::Draw(QrCamera* camera, QrAVInstance* instance)
{
    if (m_far)
    {
        m_far = 0;
        return;
    }
    QrNode::Draw(camera, instance);
}

void qrxCutout::Display(QrCamera* camera, QrSorter* sorter, QrAVInstance* instance)
{
    if (m_far)
    {
        m_far = 0;
        return;
    }
    QrNode::Display(camera, sorter, instance);
}
