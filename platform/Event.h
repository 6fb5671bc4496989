#pragma once
// A signal flag: manual-reset events stay set until Reset; auto-reset events let exactly one
// wait through per Set.

#include "Waitable.h"

namespace plat
{

class Event : public Waitable
{
public:
    enum class Reset
    {
        kManual,
        kAuto,
    };

    explicit Event(Reset reset, bool initiallySet = false) : m_manual(reset == Reset::kManual), m_set(initiallySet) {}

    void Set();
    void Clear();
    bool IsSet() const;

protected:
    bool TryTakeLocked() override;

private:
    const bool m_manual;
    bool m_set;
};

} // namespace plat
