#include "tovFishingKeys.h"

#include "KeyNumbers.h"

#include <cctype>
#include <string_view>

namespace
{

using A = tovFishingAction;
using S = tovHelpLine;

enum Line : int8_t
{
    kLineMenu,
    kLineLeave,
    kLineHelp,
    kLineQuit,
    kLineChat,
    kLineMotor,
    kLineThrottle,
    kLineReverse,
    kLineIdle,
    kLineSteer,
    kLineTrim,
    kLineStand,
    kLineCast,
    kLineReel,
    kLineFastReel,
    kLineDrag,
    kLineRods,
    kLineTrollingDeploy,
    kLineTrollingMove,
    kLineTrollingSpeed,
    kLineCameras,
    kLineCount
};

const std::vector<tovHelpLine> kLines = {
    {S::kEverywhere, nullptr, "Menu (weigh-in: next page)"},
    // Escape's other meaning on its own line: the menu's line has no room left in its column.
    {S::kEverywhere, "ESC", "Network set-up: leave?"},
    {S::kEverywhere, nullptr, "This help"},
    {S::kEverywhere, nullptr, "Quit"},
    {S::kEverywhere, nullptr, "Chat (network game)"},
    {S::kDriving, nullptr, "Motor on and off"},
    {S::kDriving, nullptr, "Throttle up, down"},
    {S::kDriving, nullptr, "Reverse"},
    {S::kDriving, nullptr, "Throttle to idle"},
    {S::kDriving, nullptr, "Steer, centre"},
    {S::kDriving, nullptr, "Trim up, down"},
    {S::kFishing, nullptr, "Stand to fish, sit to drive"},
    {S::kFishing, "L BUTTON", "Hold to aim, let go: cast"},
    {S::kFishing, "L BUTTON", "Hold to reel; click a strike"},
    {S::kFishing, "R BUTTON", "Hold to reel fast"},
    {S::kFishing, nullptr, "Drag up, down"},
    {S::kFishing, nullptr, "Change rods"},
    {S::kTrolling, nullptr, "Lower, raise"},
    {S::kTrolling, nullptr, "Ahead, back, left, right"},
    {S::kTrolling, nullptr, "Slower, off"},
    {S::kCameras, nullptr, "Cameras"},
};

tovFishingKey Row(uint8_t key, A action, int8_t line, int8_t argument = 0, bool fishingScreen = true, bool ctrl = false)
{
    tovFishingKey row;
    row.key = key;
    row.ctrl = ctrl;
    row.action = action;
    row.argument = argument;
    row.line = line;
    row.fishingScreen = fishingScreen;
    return row;
}

std::vector<tovFishingKey> MakeKeys()
{
    std::vector<tovFishingKey> keys = {
        Row(plat::kKeyEscape, A::kMainMenu, kLineMenu, 0, false),
        Row(plat::kKeyH, A::kHelp, kLineHelp, 0, false),
        Row(plat::kKeyQ, A::kQuit, kLineQuit, 0, false),
        // T raises the chat panel in a network game, whatever screen is up.
        Row(plat::kKeyT, A::kChat, kLineChat, 0, false),
        Row(0, A::kMouseCast, kLineCast, 0, false),
        Row(0, A::kMouseReel, kLineReel, 0, false),
        Row(0, A::kMouseFastReel, kLineFastReel, 0, false),

        Row(plat::kKeyM, A::kMotor, kLineMotor),
        Row(plat::kKeyUp, A::kThrottleUp, kLineThrottle),
        Row(plat::kKeyDown, A::kThrottleDown, kLineThrottle),
        Row(plat::kKeyR, A::kReverse, kLineReverse),
        Row(plat::kKeySpace, A::kIdle, kLineIdle),
        Row(plat::kKeyLeft, A::kSteerLeft, kLineSteer),
        Row(plat::kKeyRight, A::kSteerRight, kLineSteer),
        Row(plat::kKeyC, A::kCentreWheel, kLineSteer),
        Row(plat::kKeyA, A::kTrimUp, kLineTrim),
        Row(plat::kKeyZ, A::kTrimDown, kLineTrim),

        Row(plat::kKeyS, A::kStandOrSit, kLineStand),
        Row(plat::kKeyEquals, A::kDragUp, kLineDrag),
        Row(plat::kKeyMinus, A::kDragDown, kLineDrag),
        Row(plat::kKeyK, A::kKeep, kHiddenKey),
        Row(plat::kKeyR, A::kRelease, kHiddenKey),

        Row(plat::kKeyY, A::kTrollingLower, kLineTrollingDeploy),
        Row(plat::kKeyG, A::kTrollingRaise, kLineTrollingDeploy),
        Row(plat::kKeyI, A::kTrollingForward, kLineTrollingMove),
        Row(plat::kKeyK, A::kTrollingBack, kLineTrollingMove),
        Row(plat::kKeyJ, A::kTrollingLeft, kLineTrollingMove),
        Row(plat::kKeyL, A::kTrollingRight, kLineTrollingMove),
        Row(plat::kKeyU, A::kTrollingSlower, kLineTrollingSpeed),
        Row(plat::kKeyO, A::kTrollingOff, kLineTrollingSpeed),

    };
    for (int8_t rod = 0; rod < 7; ++rod)
        keys.push_back(Row(static_cast<uint8_t>(plat::kKey1 + rod), A::kRod, kLineRods, rod));
    for (int8_t camera = 0; camera < 6; ++camera)
        keys.push_back(Row(static_cast<uint8_t>(plat::kKeyF1 + camera), A::kCamera, kLineCameras, camera));
    keys.push_back(Row(plat::kKeyTab, A::kNextCamera, kLineCameras));
    keys.push_back(Row(plat::kKeyF12, A::kDebugPage, kHiddenKey));
    keys.push_back(Row(plat::kKeyLeftBracket, A::kTerrainFiner, kHiddenKey));
    keys.push_back(Row(plat::kKeyRightBracket, A::kTerrainCoarser, kHiddenKey));
    keys.push_back(Row(plat::kKeyF, A::kWeatherFront, kHiddenKey, 0, true, true));
    return keys;
}

// The name a player reads on the key cap.
std::string CapName(uint8_t key)
{
    switch (key)
    {
    case plat::kKeyEscape:
        return "ESC";
    case plat::kKeyEquals:
        return "=";
    case plat::kKeyMinus:
        return "-";
    default:
        break;
    }
    std::string name(plat::KeyName(key));
    for (char& c : name)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return name;
}

// "F3" -> ("F", 3); "4" -> ("", 4); -1 for names without a trailing number.
int32_t SplitNumber(const std::string& name, std::string& prefix)
{
    size_t digits = name.size();
    while (digits > 0 && std::isdigit(static_cast<unsigned char>(name[digits - 1])))
        --digits;
    if (digits == name.size() || name.size() - digits > 2)
        return -1;
    prefix = name.substr(0, digits);
    return std::stoi(name.substr(digits));
}

} // namespace

const std::vector<tovFishingKey>& FishingKeys()
{
    static const std::vector<tovFishingKey> keys = MakeKeys();
    return keys;
}

const std::vector<tovHelpLine>& HelpLines()
{
    return kLines;
}

const char* HelpSectionTitle(tovHelpLine::Section section)
{
    static constexpr const char* kTitles[] = {"ANY SCREEN", "DRIVING", "FISHING", "TROLLING MOTOR", "CAMERAS"};
    return section < tovHelpLine::kSectionCount ? kTitles[section] : "";
}

std::string HelpLineKeys(int32_t line)
{
    if (line < 0 || line >= static_cast<int32_t>(kLines.size()))
        return {};
    if (kLines[static_cast<size_t>(line)].keys)
        return kLines[static_cast<size_t>(line)].keys;
    std::vector<std::string> names;
    for (const tovFishingKey& row : FishingKeys())
        if (row.line == line && row.key != 0)
            names.push_back((row.ctrl ? "CTRL+" : "") + CapName(row.key));
    std::string text;
    for (size_t i = 0; i < names.size();)
    {
        // A run of three or more numbered keys, each one past the last, becomes "F1-F6".
        std::string prefix;
        const int32_t first = SplitNumber(names[i], prefix);
        size_t end = i + 1;
        std::string next;
        while (first >= 0 && end < names.size() && SplitNumber(names[end], next) == first + int32_t(end - i) &&
               next == prefix)
            ++end;
        if (!text.empty())
            text += ", ";
        text += end - i >= 3 ? names[i] + "-" + names[end - 1] : names[i];
        if (end - i < 3)
            end = i + 1;
        i = end;
    }
    return text;
}

uint8_t KeyOfAction(tovFishingAction action)
{
    for (const tovFishingKey& row : FishingKeys())
        if (row.action == action)
            return row.key;
    return 0;
}
