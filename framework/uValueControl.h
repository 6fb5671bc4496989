#pragma once
// A numeric state that input nudges in steps (throttle, wheel, trim): Increase and Decrease
// move the value by amount x step, where the amount is normally the frame time or 1. This base
// is unbounded; the subclasses clamp or wrap.

class uValueControl
{
public:
    explicit uValueControl(float value);
    virtual ~uValueControl() = default;

    virtual void Increase(float amount);
    virtual void Decrease(float amount);
    // Back to the default, which is not clamped.
    virtual void Reset();
    virtual void SetValue(float value);
    virtual float GetValue() const;
    virtual void SetStep(float step);
    virtual float GetStep() const;
    virtual void SetDefault(float value);
    virtual float GetDefault() const;

protected:
    // Above high gives high, else below low gives low.
    static float Clamp(float value, float low, float high)
    {
        if (value > high)
            return high;
        return value < low ? low : value;
    }

    float m_value;
    float m_default;
    float m_step = 0.1f;
};
