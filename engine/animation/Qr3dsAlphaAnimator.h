#pragma once
// Property animator that writes the value of its float keys into the alpha of a material.

#include "Qr3dsPropertyAnimator.h"
#include "QrFloatKey.h"
#include "QrKeyArray.h"

class Qr3dsAlphaAnimator : public Qr3dsPropertyAnimator
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    Qr3dsAlphaAnimator();

    void LoadBinary(QrStream& stream) override;
    void SaveBinary(QrStream& stream) override;
    bool IsEqual(const QrObject* other) const override;
    // Writes only into a target of exactly the material class; an animator without keys does
    // nothing.
    void ApplyAtTime(float time) override;

    // Copies the keys; the time range becomes exactly theirs.
    void SetKeys(QrFloatKey* const* keys, int32_t count);
    int32_t GetKeyCount() const { return m_keys.GetCount(); }
    QrFloatKey* const* GetKeys() const { return m_keys.GetKeys(); }

protected:
    ~Qr3dsAlphaAnimator() override;

private:
    int32_t m_keyCache = 0;
    QrKeyArray<QrFloatKey> m_keys;
};
