#pragma once
// The installation's settings, read once at start-up, and the folder roots every data file is
// found from. Read-only data lives under the install root (the program folder, or the folder
// the data flag names); "Users" and "Save" live under the writable root ($XDG_DATA_HOME's
// game folder unless the user-folder flag names another). Names may be written Windows-style
// in any letter case; the builders find the file as it is spelled on disk. Main thread only.

#include <cstdint>
#include <functional>
#include <string>

// Asked when the data disc is needed and not found: true to search again, false to give up.
using tovDiscPrompt = std::function<bool(const char* title, const char* text)>;

// The start-up read of the installation's settings. False only when the disc is needed, not
// found, and the prompt gives up (no prompt gives up at once).
bool ReadInstallSettings(const std::string& programFolder, const tovDiscPrompt& prompt = {});

// The folder "Users" and "Save" go under; an empty folder puts back the default.
void SetWritableRoot(const std::string& folder);
const std::string& GetWritableRoot();
// $XDG_DATA_HOME/tov, or ~/.local/share/tov.
std::string DefaultWritableRoot();
// Creates "Users" and "Save" under the writable root; an existing folder is no error.
void CreateWritableFolders();

// Read by ReadInstallSettings; set directly by tests and the harness.
void SetInstallRoot(const std::string& folder);
const std::string& GetInstallRoot();
void SetDiscRoot(const std::string& folder);
const std::string& GetDiscRoot();
// 0: everything under the install root; 1: "Lakes" on the disc; 2: "Data" and "Lakes" there.
void SetInstallType(int32_t type);
int32_t GetInstallType();
bool GetSkipIntro();

// Native paths of a file (or a pattern) in each folder. Each returns its own string.
std::string AmbientFilePath(const char* file);
std::string DataRootPath(const char* file);
std::string DataFilePath(const char* file);
std::string DiscDataFilePath(const char* file);
std::string LakesFilePath(const char* file);
std::string UsersFilePath(const char* file);
std::string SaveFilePath(const char* file);
