#pragma once
// The fishing screen's keys in one table: the screen's key handling dispatches through it and
// the help picture is drawn from it, so a key moved here moves on the picture too. Rows that
// other parts handle (the shell's keys, the chat panel's) and the mouse's moves are listed for
// the picture only; the debug keys are handled but never shown.

#include <cstdint>
#include <string>
#include <vector>

enum class tovFishingAction : uint8_t
{
    // Shown only: the shell, the chat panel and the mouse act on these themselves.
    kMainMenu,
    kHelp,
    kQuit,
    kChat,
    kMouseCast,
    kMouseReel,
    kMouseFastReel,
    // Driving.
    kMotor,
    kThrottleUp,
    kThrottleDown,
    kReverse,
    kIdle,
    kSteerLeft,
    kSteerRight,
    kCentreWheel,
    kTrimUp,
    kTrimDown,
    // Fishing.
    kStandOrSit,
    kDragUp,
    kDragDown,
    kRod, // argument 0..6
          // The catch box's answers where no message box asks (the box's buttons answer in the window).
    kKeep,
    kRelease,
    // The trolling motor.
    kTrollingLower,
    kTrollingRaise,
    kTrollingForward,
    kTrollingBack,
    kTrollingLeft,
    kTrollingRight,
    kTrollingSlower,
    kTrollingOff,
    // Cameras.
    kCamera, // argument 0..5
    kNextCamera,
    // Debug.
    kDebugPage,
    kTerrainFiner,
    kTerrainCoarser,
    kWeatherFront,
};

struct tovFishingKey
{
    uint8_t key = 0; // the platform's key number; 0 for a mouse row
    bool ctrl = false;
    tovFishingAction action = tovFishingAction::kMainMenu;
    int8_t argument = 0;
    // The help picture's line; kHidden for keys the picture leaves out.
    int8_t line = 0;
    // True where the fishing screen's own key handling acts on the row.
    bool fishingScreen = true;
};

struct tovHelpLine
{
    enum Section : uint8_t
    {
        kEverywhere,
        kDriving,
        kFishing,
        kTrolling,
        kCameras,
        kSectionCount
    };
    Section section = kEverywhere;
    // Shown instead of the keys' names (the mouse's lines); null for the keys' names.
    const char* keys = nullptr;
    const char* text = "";
};

constexpr int8_t kHiddenKey = -1;

// Every row, in the order the screen tests them.
const std::vector<tovFishingKey>& FishingKeys();
// The help picture's lines, indexed by tovFishingKey::line.
const std::vector<tovHelpLine>& HelpLines();
const char* HelpSectionTitle(tovHelpLine::Section section);
// The keys of a help line as the picture shows them ("UP, DOWN", "F1-F6, TAB"); runs of
// numbered keys close up into a range.
std::string HelpLineKeys(int32_t line);
// The key of the first row with this action, or 0.
uint8_t KeyOfAction(tovFishingAction action);
