#pragma once
// What the weigh-in asks of the rest of the game: the local livewell, the fish-size routine,
// the screen's sounds, the message box and the lake's sound groups. The game installs its own;
// until the anglers exist the default has an empty livewell. Every call is on the main thread,
// and so is every end action handed back.

#include "SoundRecord.h"
#include "tovMessageBox.h"

#include <cstdint>
#include <vector>

class tovWeighInPorts
{
public:
    virtual ~tovWeighInPorts();

    // Ounces of the local livewell's occupied places, in livewell order; empty without a
    // local angler.
    virtual std::vector<int32_t> LivewellWeights();
    // Takes the fish at a livewell place (0 to 5) out: its ounces, or -1 when the place is empty.
    virtual int32_t TakeLivewellFish(int32_t place);
    // Releases the livewell's first fish of this weight (the sixth fish of a day).
    virtual void ReleaseLivewellFish(int32_t ounces);
    // Pounds of one fish of a species, drawn by the fish layer's size routine.
    virtual float FishSize(int32_t species, float x, float low, float high, int32_t skill, float factor);

    // False when the sound cannot play: its end action will not come.
    virtual bool PlaySound(int32_t id, bool restart, SoundEndCallback onEnd, uintptr_t arg);
    virtual void StopSound(int32_t id);
    // The opening sound's ambient channel; the answer is whether its end action will come.
    // Disallowing lets a sound that plays finish, and its end still comes; a null end action
    // drops the one given before.
    virtual bool SetOpeningSound(bool allowed, SoundEndCallback onEnd, uintptr_t arg);
    // Off on a day's entry: the menu and lake ambient groups; on when the screen is left for
    // another: ambient groups 1 and 7.
    virtual void SetLakeSounds(bool on);
    virtual void ShowMessageBox(const char* text, tovMessageCallback callback, uintptr_t arg)
    {
        ShowMessage(kMessageOk, callback, arg, text);
    }

private:
    static void OnOpeningChannelEnd(uintptr_t self, int channel, const char* name);

    SoundEndCallback m_openingEnd = nullptr;
    uintptr_t m_openingArg = 0;
};
