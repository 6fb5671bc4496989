#include "MemoryConfigStore.h"

namespace plat
{

bool MemoryConfigStore::OpenKey(const std::string& key, bool& justCreated)
{
    justCreated = m_document.AddSection(key);
    return true;
}

bool MemoryConfigStore::ReadValue(const std::string& key, const std::string& name, std::string& out) const
{
    const std::string* value = m_document.Find(key, name);
    if (!value)
        return false;
    out = *value;
    return true;
}

bool MemoryConfigStore::WriteValue(const std::string& key, const std::string& name, const std::string& value)
{
    m_document.Set(key, name, value);
    return true;
}

} // namespace plat
