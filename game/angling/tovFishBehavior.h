#pragma once
// A fish's behaviour: seven states and the events that move between them, with the time spent
// in the current state and the cool-down after the fish lost interest or fled. A plain value
// that the fish model and the population's records hold; it draws nothing and asks no world.

#include <cstdint>

class tovFishBehavior
{
public:
    enum State : int32_t
    {
        kCruise = 0,
        kAttracted = 1,
        kStrike = 2,
        kFight = 3,
        kFlee = 4,
        kLanded = 5,
        kLivewell = 6, // the livewell display: in place, slow fins, no world
        kStateCount = 7
    };

    enum Event : int32_t
    {
        kNoticeLure,   // a lure in reach appeals to it
        kTakeLure,     // close enough and it strikes
        kLoseInterest, // followed too long without striking
        kHookSet,      // the angler set the hook in time
        kSpit,         // the hook was not set in time
        kSpook,        // a fast boat passed close
        kLineBroke,
        kHookPulled,
        kLand,    // brought to the boat
        kRelease, // let go from the boat
        kCalm,    // flight over
        kEventCount
    };

    // Seconds.
    // Long enough for a fish to catch up with a lure reeled away from it.
    static constexpr double kFollowTime = 10.0;
    static constexpr double kInterestCoolDown = 20.0;
    static constexpr double kFleeTime = 10.0;

    State GetState() const { return m_state; }
    // Forces a state, as the livewell view does with 6; a value outside 0..6 changes nothing.
    void SetBehavior(int32_t state);
    // False, changing nothing, where the event does not apply in the current state.
    bool Apply(Event event);
    // The state an event leads to from a state, or -1 where it does not apply.
    static int32_t Transition(int32_t state, Event event);

    // Advances the clocks; a flight ends by itself, a follow without strike ends in lost
    // interest and a strike not answered in the hook-set window ends in a spit. Returns the
    // event that fired, or -1.
    int32_t Step(double elapsed, double hookWindow);

    double GetTimeInState() const { return m_timeInState; }
    // A fish cooling down ignores lures.
    bool IsCoolingDown() const { return m_coolDown > 0.0; }
    bool IsHooked() const { return m_state == kFight; }

private:
    State m_state = kCruise;
    double m_timeInState = 0.0;
    double m_coolDown = 0.0;
};
