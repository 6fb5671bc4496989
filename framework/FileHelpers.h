#pragma once
// Plain file helpers used by start-up, profiles, saved games, the lake catalogue and the
// ambient sound. Paths may be written Windows-style; names are found regardless of case.

#include <string>
#include <vector>

// The folder of the running program with its trailing separator, in a program-wide buffer.
const char* GetProgramFolder();
bool FileExists(const char* path);
bool RemoveFile(const char* path);

using EnumFilesCallback = bool (*)(const char* fileName, void* context);
// Calls back with each matching file name (without folder). True when nothing matches or
// every callback returned true; stops at the first false and returns false.
bool EnumFiles(const char* pattern, EnumFilesCallback callback, void* context);

// Looks for the removable medium holding the marker file: each mount folder in searchRoots
// whose children are media ("/media/*" style) is tried in order. On a hit, outRoot receives
// the medium's folder and true is returned; otherwise outRoot is unchanged.
bool FindCdDrive(const char* marker, std::string& outRoot,
                 const std::vector<std::string>& searchRoots = {"/media", "/mnt", "/run/media"});
