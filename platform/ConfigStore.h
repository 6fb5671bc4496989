#pragma once
// The installation settings in place of a registry key: named keys ("software\Maker\Game")
// holding named text values. Names compare without regard to case. A real backend keeps
// them in a file, a headless one in memory; start-up picks one.

#include <string>

namespace plat
{

class ConfigStore
{
public:
    virtual ~ConfigStore() = default;

    // Opens the key, creating it when absent; `justCreated` tells whether it did not exist
    // before. False when it could not be created (nothing can be stored then).
    virtual bool OpenKey(const std::string& key, bool& justCreated) = 0;
    // The whole stored text, however long. False when the key or the value is absent.
    virtual bool ReadValue(const std::string& key, const std::string& name, std::string& out) const = 0;
    // Creates the key when needed. False when the value could not be stored.
    virtual bool WriteValue(const std::string& key, const std::string& name, const std::string& value) = 0;
};

} // namespace plat
