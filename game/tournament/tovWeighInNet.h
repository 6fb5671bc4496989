#pragma once
// The weigh-in of a network day: each player publishes its day's catch, every copy waits until
// every player has (phases 7 and 8), and the field is the session's players plus computer
// anglers drawn from the seed the host shares then, so that every copy shows the same board.
// Main thread; outside a network game nothing is exchanged and the field stays as it was.

#include "tovNetPhases.h"

#include <cstdint>
#include <string>
#include <vector>

class tovStandings;
struct tovOpponentRollContext;

namespace tovWeighInNet
{

// The weigh-in's network phases, under this namespace too.
using ::kBetweenDaysPhase;
using ::kClosedPhase;
using ::kClosePhase;
using ::kResultsPhase;
using ::kResultsTakenPhase;

struct Catch
{
    int32_t ounces = 0;
    int32_t fish = 0;
};

struct Player
{
    std::string name;
    Catch day;
    // The session's id of the player.
    uint32_t id = 0;
};

// The day's catch as the board counts it: at most five fish, a sixth's smallest left out.
Catch DayCatch(std::vector<int32_t> livewellOunces);

// Publishes the local catch and waits for every player to publish theirs; then every other
// player of the session, in slot order, with its catch. Empty outside a network game.
std::vector<Player> ExchangeCatches(const Catch& local);

// Waits for every player at the end of the results; false when the program quits.
bool CloseResults();

// Between two days each player's phase is that of a fishing game ended, until it is in the next
// day; the host goes on once every player has left the day, so that no phase of the day before
// stands for one of the next (a host cut from the field ends its day at once). False when the
// program quits.
bool LeaveDay();

// The seed the host shares with the weigh-in phase (0 outside a network game).
uint32_t FieldSeed();

// A session id as a row's mark in the standings (never negative; 0 for none).
int32_t RowMark(uint32_t id);

// The other players into the day's field (set up by RunDay): on the first day rows 1 upward take
// their names and are marked as theirs; later days find each by its mark. A marked row whose
// player brought no results this day has left (MarkLeft). Row 0 is marked localMark (0 on a cut
// copy). Each player gets its catch as that many fish of equal weight. Then every computer
// angler's catch is drawn again, in the order of the names, from the seed, so that each gets the
// same catch on every copy whatever row it holds there. The ranking starts in the names' order,
// a player before a computer angler of the same name, so that equal totals stand in one order
// on every copy.
void PlacePlayers(tovStandings& standings, const std::vector<Player>& players, int32_t localMark, uint32_t seed,
                  const tovOpponentRollContext& ctx);

} // namespace tovWeighInNet
