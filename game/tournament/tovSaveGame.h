#pragma once
// Saving the running game to a ".wsv" file and loading one back. A load reads and checks the
// whole file (and that its lake is installed and its player can have a profile) before
// anything of the running game changes; a save writes a temporary file and renames it over
// the old one. Main thread only.
#include "tovSavedGame.h"
#include <string>

class tovSaveGame
{
public:
    enum class LoadResult
    {
        kOk,
        kCannotOpen,
        kWrongVersion,
        kBadHeader,
        kBadRecords,
    };

    // The running game as a saved game would hold it.
    static tovSavedGame Capture();
    // False, writing nothing, when no game with a player's angler is running.
    static bool SaveToFile(const std::string& path);
    // Reads, checks and, when all is well, applies the file.
    static LoadResult LoadFromFile(const std::string& path);
    // Checks what the file alone cannot tell: the lake is installed, the boats lie on it and
    // the name is that of an existing profile. Nothing changes.
    static LoadResult CheckApplicable(const tovSavedGame& game);
    // Ends the running game and rebuilds session, lake, world and anglers from a checked game.
    static void Apply(const tovSavedGame& game);

    // Letters, digits and spaces, as many as the profiles screen's name field holds, or up to
    // 31 of them when the profile exists (an earlier session dialog took such names).
    static bool IsTypedProfileName(const std::string& name);

    // The message the load screen shows for a failed load.
    static const char* LoadMessage(LoadResult result);

private:
    static void ApplyHeader(const tovSavedGame& game);
    static void ApplyAnglers(const tovSavedGame& game);
};
