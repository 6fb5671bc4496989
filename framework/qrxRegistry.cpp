#include "qrxRegistry.h"

#include "ConfigStore.h"

#include <cstdio>
#include <cstdlib>

namespace
{

plat::ConfigStore* g_store = nullptr;

enum class ReadResult
{
    kRead,
    kKeyCreated,
    kValueMissing,
};

// Values are read whole, however long: a fixed buffer would turn a long value into a missing
// one and overwrite it with the default.
ReadResult ReadOrDefault(const char* keyPath, const char* valueName, std::string& out, const std::string& fallback)
{
    bool justCreated = false;
    if (g_store && g_store->OpenKey(keyPath, justCreated) && !justCreated &&
        g_store->ReadValue(keyPath, valueName, out))
        return ReadResult::kRead;
    if (g_store)
        g_store->WriteValue(keyPath, valueName, fallback);
    out = fallback;
    return justCreated || !g_store ? ReadResult::kKeyCreated : ReadResult::kValueMissing;
}

} // namespace

void SetSettingsStore(plat::ConfigStore* store)
{
    g_store = store;
}

plat::ConfigStore* GetSettingsStore()
{
    return g_store;
}

bool RegReadValue(const char* keyPath, const char* valueName, std::string& out, const char* defaultValue)
{
    return ReadOrDefault(keyPath, valueName, out, defaultValue ? defaultValue : "") == ReadResult::kRead;
}

bool RegWriteValue(const char* keyPath, const char* valueName, const char* text)
{
    bool justCreated = false;
    if (!g_store || !g_store->OpenKey(keyPath, justCreated))
        return false;
    g_store->WriteValue(keyPath, valueName, text ? text : "");
    return !justCreated;
}

bool RegReadIntValue(const char* keyPath, const char* valueName, int32_t& out, int32_t defaultValue)
{
    char fallback[16];
    std::snprintf(fallback, sizeof fallback, "%d", defaultValue);
    std::string text;
    const ReadResult result = ReadOrDefault(keyPath, valueName, text, fallback);
    out = static_cast<int32_t>(std::strtol(text.c_str(), nullptr, 10));
    return result != ReadResult::kKeyCreated;
}
