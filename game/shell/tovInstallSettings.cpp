#include "tovInstallSettings.h"

#include "DebugOutput.h"
#include "FileHelpers.h"
#include "Path.h"
#include "SoundManager.h"
#include "qrxProcessor.h"
#include "qrxRegistry.h"
#include "tovNetFacade.h"
#include "tovRegistryKey.h"
#include "tovUserProfile.h"

#include <cstdlib>
#include <filesystem>
#include <optional>

namespace
{

constexpr const char* kTitle = "TOV Tarnholm Demo";
constexpr const char* kDiscMarker = "Kestru.exe";

std::string g_installRoot = ".";
std::string g_discRoot = ".";
std::string g_writableRoot;
int32_t g_installType = 0;
bool g_skipIntro = false;

// root + folder + "\" + file, found regardless of letter case when it exists; a file not
// there yet goes into its folder as that folder is spelled on disk.
std::string BuildPath(const std::string& root, const char* folder, const char* file)
{
    const std::string path = plat::JoinPath(root, plat::NativePath(std::string(folder) + "\\" + file));
    if (std::optional<std::string> found = plat::FindPathCaseInsensitive(path))
        return *found;
    if (std::optional<std::string> dir = plat::FindPathCaseInsensitive(plat::FolderOf(path), plat::PathKind::kFolder))
        return plat::JoinPath(*dir, plat::FileNameOf(path));
    return path;
}

// The root of the disc-capable folders; empty for an install type that names none.
const std::string* DiscCapableRoot(int32_t discFromType)
{
    if (g_installType < 0 || g_installType > 2)
    {
        plat::DebugOutput("unknown install type: no data path");
        return nullptr;
    }
    return g_installType >= discFromType ? &g_discRoot : &g_installRoot;
}

} // namespace

std::string DefaultWritableRoot()
{
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg != nullptr && xdg[0] == '/')
        return plat::JoinPath(xdg, "tov");
    const char* home = std::getenv("HOME");
    return plat::JoinPath(plat::JoinPath(home != nullptr ? home : ".", ".local/share"), "tov");
}

void SetWritableRoot(const std::string& folder)
{
    g_writableRoot = folder;
}

const std::string& GetWritableRoot()
{
    if (g_writableRoot.empty())
        g_writableRoot = DefaultWritableRoot();
    return g_writableRoot;
}

void CreateWritableFolders()
{
    for (const char* folder : {"Users", "Save"})
    {
        std::error_code ec;
        std::filesystem::create_directories(plat::JoinPath(GetWritableRoot(), folder), ec);
    }
}

void SetInstallRoot(const std::string& folder)
{
    g_installRoot = folder;
}

const std::string& GetInstallRoot()
{
    return g_installRoot;
}

void SetDiscRoot(const std::string& folder)
{
    g_discRoot = folder;
}

const std::string& GetDiscRoot()
{
    return g_discRoot;
}

void SetInstallType(int32_t type)
{
    g_installType = type;
}

int32_t GetInstallType()
{
    return g_installType;
}

bool GetSkipIntro()
{
    return g_skipIntro;
}

bool ReadInstallSettings(const std::string& programFolder, const tovDiscPrompt& prompt)
{
    std::string text;
    // Kept for the installer's sake; files are always found from the program folder.
    RegReadValue(kTovRegistryKey, "InstPath", text, programFolder.c_str());
    RegWriteValue(kTovRegistryKey, "Title", kTitle);
    RegReadValue(kTovRegistryKey, "LastUser", text, TheUserProfile().GetName());
    // The name picks the profile file the game then loads and saves: one no player could type
    // (an empty one, spaces only, control characters, format marks) leaves the default player
    // current; so does a longer one an earlier session dialog took, unless its profile exists.
    if (tovUserProfile::IsKnownName(text))
        TheUserProfile().SetName(text.c_str(), false);
    else
        plat::DebugOutput("the last player's name in the settings is not a player's name: the default player is used");

    int32_t sound = 1;
    int32_t skipIntro = 0;
    int32_t runCd = 0;
    RegReadIntValue(kTovRegistryKey, "InstType", g_installType, 0);
    RegReadIntValue(kTovRegistryKey, "Sound", sound, 1);
    SetSoundEnabled(sound != 0);
    RegReadIntValue(kTovRegistryKey, "SkipIntro", skipIntro, 0);
    g_skipIntro = skipIntro != 0;
    // The settings' counterpart of --network: either one starts for network play.
    int32_t network = 0;
    RegReadIntValue(kTovRegistryKey, "Network", network, 0);
    if (network != 0)
        SetNetworkLaunch(true);
    // The builders use absolute roots, so the current folder is left alone.
    g_installRoot = programFolder;
    RegReadIntValue(kTovRegistryKey, "RunCD", runCd, 0);
    g_discRoot = programFolder;
    if (runCd != 0)
    {
        const std::string message = std::string("Unable to find ") + kTitle + " CD. Place the " + kTitle +
                                    " CD in the Drive and Press Retry to continue.";
        while (!FindCdDrive(kDiscMarker, g_discRoot))
            if (!prompt || !prompt(kTitle, message.c_str()))
                return false;
    }
    CreateWritableFolders();
    ClassifyCpu();
    tovMachineCaps caps = GetMachineCaps();
    caps.cpuFamily5 = IsCpuFamily5();
    caps.cpuFamily6Model1 = IsCpuFamily6Model1();
    caps.cpuFamily6Model3Up = IsCpuFamily6Model3Up();
    SetMachineCaps(caps);
    return true;
}

std::string AmbientFilePath(const char* file)
{
    return BuildPath(g_installRoot, "Ambient", file);
}

std::string DataRootPath(const char* file)
{
    return BuildPath(g_installRoot, "web", file);
}

std::string DataFilePath(const char* file)
{
    return BuildPath(g_installRoot, "Data", file);
}

std::string DiscDataFilePath(const char* file)
{
    const std::string* root = DiscCapableRoot(2);
    return root != nullptr ? BuildPath(*root, "Data", file) : std::string();
}

std::string LakesFilePath(const char* file)
{
    const std::string* root = DiscCapableRoot(1);
    return root != nullptr ? BuildPath(*root, "Lakes", file) : std::string();
}

std::string UsersFilePath(const char* file)
{
    return BuildPath(GetWritableRoot(), "Users", file);
}

std::string SaveFilePath(const char* file)
{
    return BuildPath(GetWritableRoot(), "Save", file);
}
