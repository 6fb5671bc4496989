#pragma once
// A full-screen picture shown until a click, a new Space press or its time-out, measured from
// its first update. The intro, logo and exit splashes differ in group, picture, time-out and
// what the end does.

#include "tovShellIFace.h"

#include <cstdint>

class tovSplashIFace : public tovShellIFace
{
public:
    struct Setup
    {
        uint32_t group;
        uint32_t picture;
        uint32_t timeoutMs;
        // 0: the exit splash, which ends the program instead.
        int32_t nextScreen;
        bool allowsMenuSounds;
    };

    explicit tovSplashIFace(const Setup& setup);

    void Prepare(int32_t previousId) override;
    void Enter(int32_t previousId) override;
    void Leave(int32_t ownId) override;
    void Exit(int32_t nextId) override;
    void PreUpdate(float elapsed) override;
    int32_t Update(float now, float elapsed) override;
    // Posted lines stand under the picture's title.
    plat::Rect PostedTextBand() const override { return {4, 300, 636, 380}; }

    // Engine milliseconds; all bits set while unarmed.
    uint32_t GetDeadline() const { return m_deadline; }

protected:
    virtual void Finish();

private:
    Setup m_setup;
    bool m_starting = false;
    uint32_t m_deadline = UINT32_MAX;
};
