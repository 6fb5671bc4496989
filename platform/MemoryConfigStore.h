#pragma once
// Settings that live as long as the store: the headless backend, and a stand-in in tests.

#include "ConfigStore.h"
#include "IniDocument.h"

namespace plat
{

class MemoryConfigStore : public ConfigStore
{
public:
    bool OpenKey(const std::string& key, bool& justCreated) override;
    bool ReadValue(const std::string& key, const std::string& name, std::string& out) const override;
    bool WriteValue(const std::string& key, const std::string& name, const std::string& value) override;

private:
    IniDocument m_document;
};

} // namespace plat
