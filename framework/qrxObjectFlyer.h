#pragma once
// Moves and turns one scene object by a speed and a turn rate scaled by the frame time (the
// boat drives its model with one). Without an object every move and turn is ignored.
// Subclasses may take over how a step is applied through Translate and Rotate.

#include "QrAVObject.h"
#include "QrMatrix3.h"
#include "QrPoint3.h"
#include "QrPointer.h"

class qrxObjectFlyer
{
public:
    explicit qrxObjectFlyer(QrAVObject* object = nullptr);
    qrxObjectFlyer(const qrxObjectFlyer&) = delete;
    qrxObjectFlyer& operator=(const qrxObjectFlyer&) = delete;
    virtual ~qrxObjectFlyer() = default;

    void SetObject(QrAVObject* object) { m_object = object; }
    QrAVObject* GetObject() const { return m_object.Get(); }

    // Distance amount x speed factor x elapsed along the object's own third world axis, or
    // along the direction turned by the world rotation.
    void MoveForward(float amount, float elapsed);
    void MoveBackward(float amount, float elapsed);
    // Degrees amount x turn factor x elapsed about the second axis.
    void TurnLeft(float amount, float elapsed);
    void TurnRight(float amount, float elapsed);

    // Adds delta to the local translation, then updates the world data.
    virtual void Translate(const QrPoint3& delta);
    // Local rotation becomes rotation x turn, then updates the world data.
    virtual void Rotate(const QrMatrix3& turn);

    float m_speedFactor = 1.0f;
    float m_turnFactor = 1.0f;
    QrPoint3 m_direction;
    uint8_t m_ownAxis = 1;

private:
    void Move(float distance);
    void Turn(float degrees);

    QrPointer<QrAVObject> m_object;
};
