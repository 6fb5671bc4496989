#include "qrxKeypadNavigator.h"

#include "qrxKeyMapper.h"

#include "QrMatrix3.h"

#include "KeyNumbers.h"

namespace
{

constexpr float kRadiansPerDegree = 0.017453333f;

bool Down(uint8_t key)
{
    return qrxKeyMapper::IsKeyDown(key);
}

// +1, -1 or 0 for a key pair; the first wins when both are held.
float Pair(uint8_t first, uint8_t second)
{
    if (Down(first))
        return 1.0f;
    return Down(second) ? -1.0f : 0.0f;
}

// Turns about one of the object's own axes (0 forward, 1 up, 2 side).
void Turn(QrAVObject& object, int axis, float degrees)
{
    QrMatrix3 turn;
    const float a[3] = {axis == 0 ? 1.0f : 0.0f, axis == 1 ? 1.0f : 0.0f, axis == 2 ? 1.0f : 0.0f};
    turn.MakeRotation(degrees * kRadiansPerDegree, a[0], a[1], a[2]);
    object.GetRotate() = object.GetRotate() * turn;
}

} // namespace

qrxKeypadNavigator::qrxKeypadNavigator(QrAVObject* moved, QrAVObject* frame) : m_moved(moved), m_frame(frame) {}

void qrxKeypadNavigator::SetMovedObject(QrAVObject* object)
{
    m_moved = object;
}

void qrxKeypadNavigator::SetFrameObject(QrAVObject* object)
{
    m_frame = object;
}

// The frame's columns are its axes: 0 forward (where a camera looks), 1 up, 2 side.
void qrxKeypadNavigator::HandleKeys(float elapsed)
{
    if (!m_moved)
        return;
    if (!m_frame)
        m_frame = m_moved;
    const bool shift = Down(plat::kKeyLeftShift) || Down(plat::kKeyRightShift);
    const bool ctrl = Down(plat::kKeyLeftCtrl) || Down(plat::kKeyRightCtrl);
    const bool alt = Down(plat::kKeyLeftAlt) || Down(plat::kKeyRightAlt);
    float move = 1.0f;
    float turn = 1.0f;
    if (shift && ctrl)
    {
        move = m_moveShiftCtrl;
        turn = m_turnShiftCtrl;
    }
    else if (shift)
    {
        move = m_moveShift;
        turn = m_turnShift;
    }
    else if (ctrl)
    {
        move = m_moveCtrl;
        turn = m_turnCtrl;
    }
    const float step = elapsed * m_moveSpeed * move;
    const float degrees = elapsed * m_turnSpeed * turn;
    QrMatrix3& r = m_frame->GetRotate();
    QrPoint3& t = m_moved->GetTranslate();

    if (const float f = Pair(plat::kKeyKeypad8, plat::kKeyKeypad2); f != 0.0f)
    {
        t.x += r.m[0][0] * step * f;
        t.z += r.m[2][0] * step * f;
    }
    if (const float u = Pair(plat::kKeyKeypad9, plat::kKeyKeypad3); u != 0.0f)
        t.y += r.m[1][1] * step * u;
    const float side = Pair(plat::kKeyKeypad6, plat::kKeyKeypad4);
    if (alt && side != 0.0f)
    {
        t.x += r.m[0][2] * step * side;
        t.z += r.m[2][2] * step * side;
    }
    else if (side != 0.0f)
        Turn(*m_frame, 1, -side * degrees);
    if (const float p = Pair(plat::kKeyKeypad7, plat::kKeyKeypad1); p != 0.0f)
        Turn(*m_frame, 2, p * degrees);
    if (const float roll = Pair(plat::kKeyKeypad0, plat::kKeyKeypadDecimal); roll != 0.0f)
        Turn(*m_frame, 0, roll * degrees);
    if (Down(plat::kKeyKeypad5))
        m_frame->GetRotate().MakeIdentity();
    m_moved->UpdateAllInstances();
}
