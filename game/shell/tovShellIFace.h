#pragma once
// Base of the shell's own screens: the background picture they hold between enter and leave,
// and the few steps every one of them takes the same way (its pack group, pictures by id from
// the main pack, drawing on the back buffer and presenting through the display).

#include "qrxInterface.h"
#include "tovAppServices.h"

#include "QrImage.h"
#include "QrPointer.h"

#include "Rect.h"

#include <cstdint>

class QrRender;
class ResourcePack;

class tovShellIFace : public qrxInterface
{
public:
    static ResourcePack* MainPack();
    static void LoadGroup(uint32_t group);
    static void UnloadGroup(uint32_t group);
    // A picture of the main pack, or null.
    static QrPointer<QrImage> Picture(uint32_t id);
    // Its size in pixels, whether or not a renderer has made it yet.
    static void PictureSize(const QrImage* image, int32_t& width, int32_t& height);
    // Both null until the application has made them.
    static QrRender* Renderer();
    static bool CanDraw();
    // Headless measurements that need no pictures skip every screen's drawing.
    static void SetDrawingSkipped(bool skipped);
    // Blits the whole picture at its top-left corner, opaque.
    static void DrawPicture(QrImage* image, int32_t x, int32_t y);
    static void Present();

    // Where the application's posted text lines (a player joined, a chat line) stand: a gap of
    // the screen where they cover none of its texts and controls, nor the chat panel raised over
    // it. Every screen a line may reach (any, while a session is open) names its own.
    virtual plat::Rect PostedTextBand() const;

    // The screens between a network join and the first day say so where they are declared. On
    // them, while this copy's game has not begun (NetIsBeforeFirstDay), the main menu would leave
    // the player seated with nothing leading back: Escape and a Back to the menu ask to leave the
    // network game instead, and the help picture opened over them takes Escape as its Back.
    virtual bool OnRoadToFirstDay() const { return false; }
    bool AllowsEscape() override;
    bool KeepsEscape() const override;

protected:
    // The one rule of every Back, Cancel or OK that leads back: to the screen, asking first when
    // that is the main menu from a screen on the road to a network game's first day not begun.
    void GoBack(int32_t screen);
    // The question to leave the network game, asked once a box is down; a screen that waits on
    // the others asks its own.
    virtual void AskToLeave();
    // The help picture is a look aside: back from it a screen keeps the way back it had (answers
    // false). Otherwise the screen came from previousId (from the one under the help picture,
    // when the picture's Escape led here), which becomes its way back.
    bool TakeWayBack(int32_t previousId);
    // Back from the help picture opened over this screen: the visit goes on, and what a screen
    // does once a visit (values taken, a game begun) is not done again.
    bool IsBackFromLook(int32_t previousId) const;

    // The screen's buttons get the pointer's messages and are drawn.
    void DrawButtons();

    QrPointer<QrImage> m_background;
};
