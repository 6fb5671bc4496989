#pragma once
// The installation settings' string and integer values, kept in the installed settings store
// (a file in place of the registry key). A read of a key or value that is not there stores
// the default and hands it out. Main thread only.

#include <cstdint>
#include <string>

namespace plat
{
class ConfigStore;
}

// Borrowed; null leaves every read with its default and every write undone.
void SetSettingsStore(plat::ConfigStore* store);
plat::ConfigStore* GetSettingsStore();

// True when the stored text was read; false, with the default written and handed out, when
// the key was just created or the value was missing.
bool RegReadValue(const char* keyPath, const char* valueName, std::string& out, const char* defaultValue);
// False when the key was just created, true when it existed.
bool RegWriteValue(const char* keyPath, const char* valueName, const char* text);
// Like RegReadValue for decimal text, but false only when the key was just created.
bool RegReadIntValue(const char* keyPath, const char* valueName, int32_t& out, int32_t defaultValue);
