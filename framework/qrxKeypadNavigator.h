#pragma once
// Moves and turns a scene object (a free camera) from the numeric keypad, read from the key
// state each frame: moves change the moved object's translation, turns the frame object's
// rotation (the frame object defaults to the moved one). Shift and Ctrl scale the steps.

#include "QrAVObject.h"
#include "QrPointer.h"

class qrxKeypadNavigator
{
public:
    qrxKeypadNavigator(QrAVObject* moved, QrAVObject* frame);
    virtual ~qrxKeypadNavigator() = default;

    void SetMovedObject(QrAVObject* object);
    void SetFrameObject(QrAVObject* object);
    void HandleKeys(float elapsed);

    float m_moveSpeed = 1.0f;
    float m_moveShift = 2.0f;
    float m_moveCtrl = 0.5f;
    float m_moveShiftCtrl = 100.0f;
    float m_turnSpeed = 1.0f;
    float m_turnShift = 1.25f;
    float m_turnCtrl = 0.75f;
    float m_turnShiftCtrl = 1.25f;

private:
    QrPointer<QrAVObject> m_moved;
    QrPointer<QrAVObject> m_frame;
};
