#pragma once
// An attribute record with virtual accessors: an integer, five floats and four points whose
// meaning the deriving classes give (the fish keep their sizes and targets here).

#include "QrObject.h"
#include "QrPoint3.h"

#include <cstdint>

class qrxAttrib : public QrObject
{
    QR_DECLARE_RTTI

public:
    qrxAttrib() = default;

    virtual float GetF1() const { return m_f[0]; }
    virtual float GetF2() const { return m_f[1]; }
    virtual float GetF3() const { return m_f[2]; }
    virtual float GetF4() const { return m_f[3]; }
    virtual float GetF5() const { return m_f[4]; }
    virtual int32_t GetInt() const { return m_int; }
    // Each setter stores its argument and answers it.
    virtual float SetF1(float v) { return m_f[0] = v; }
    virtual float SetF2(float v) { return m_f[1] = v; }
    virtual float SetF3(float v) { return m_f[2] = v; }
    virtual float SetF4(float v) { return m_f[3] = v; }
    virtual float SetF5(float v) { return m_f[4] = v; }
    virtual int32_t SetInt(int32_t v) { return m_int = v; }
    virtual void SetP1(const QrPoint3& p) { m_p[0] = p; }
    virtual void SetP2(const QrPoint3& p) { m_p[1] = p; }
    virtual void SetP3(const QrPoint3& p) { m_p[2] = p; }
    virtual void SetP4(const QrPoint3& p) { m_p[3] = p; }
    virtual QrPoint3* GetP1() { return &m_p[0]; }
    virtual QrPoint3* GetP2() { return &m_p[1]; }
    virtual QrPoint3* GetP3() { return &m_p[2]; }
    virtual QrPoint3* GetP4() { return &m_p[3]; }

protected:
    ~qrxAttrib() override = default;

private:
    int32_t m_int = 0;
    float m_f[5] = {};
    QrPoint3 m_p[4];
};
