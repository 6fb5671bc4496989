#include "qrxObjectFlyer.h"

#include <cmath>

qrxObjectFlyer::qrxObjectFlyer(QrAVObject* object) : m_object(object) {}

void qrxObjectFlyer::MoveForward(float amount, float elapsed)
{
    Move(amount * m_speedFactor * elapsed);
}

void qrxObjectFlyer::MoveBackward(float amount, float elapsed)
{
    Move(-(amount * m_speedFactor * elapsed));
}

void qrxObjectFlyer::TurnLeft(float amount, float elapsed)
{
    Turn(amount * m_turnFactor * elapsed);
}

void qrxObjectFlyer::TurnRight(float amount, float elapsed)
{
    Turn(-(amount * m_turnFactor * elapsed));
}

void qrxObjectFlyer::Move(float distance)
{
    const QrAVInstance* instance = m_object ? m_object->GetCurrentInstance() : nullptr;
    if (!instance)
        return;
    const QrMatrix3& world = instance->m_worldRotate;
    Translate(m_ownAxis ? world.GetColumn(2) * distance : world * (m_direction * distance));
}

void qrxObjectFlyer::Turn(float degrees)
{
    if (!m_object)
        return;
    // The rounded degree (not pi / 180) keeps turns identical with peers stepping the same boats.
    const float angle = degrees * 3.1416f / 180.0f;
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    Rotate(QrMatrix3(c, 0.0f, -s, 0.0f, 1.0f, 0.0f, s, 0.0f, c));
}

void qrxObjectFlyer::Translate(const QrPoint3& delta)
{
    if (!m_object)
        return;
    m_object->GetTranslate() += delta;
    m_object->UpdateAllInstances();
}

void qrxObjectFlyer::Rotate(const QrMatrix3& turn)
{
    if (!m_object)
        return;
    m_object->GetRotate() = m_object->GetRotate() * turn;
    m_object->UpdateAllInstances();
}
