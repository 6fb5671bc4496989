#include "IniConfigStore.h"

#include "IniDocument.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include <unistd.h>

namespace plat
{

namespace fs = std::filesystem;

bool IniConfigStore::Load(IniDocument& document, bool& existed) const
{
    std::error_code ec;
    existed = fs::is_regular_file(m_path, ec);
    if (!existed)
        return !fs::exists(m_path, ec); // something else in the way is a failure
    const uintmax_t size = fs::file_size(m_path, ec);
    if (ec)
        return false;
    if (size > kMaxBytes)
        return true; // damaged: read as empty
    std::ifstream in(m_path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream text;
    text << in.rdbuf();
    document.Parse(text.str());
    return true;
}

bool IniConfigStore::Save(const IniDocument& document) const
{
    std::error_code ec;
    const fs::path path(m_path);
    if (path.has_parent_path())
        fs::create_directories(path.parent_path(), ec);
    const std::string temp = m_path + ".tmp" + std::to_string(getpid());
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out)
            return false;
        const std::string text = document.Serialize();
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        out.flush();
        if (!out)
        {
            out.close();
            fs::remove(temp, ec);
            return false;
        }
    }
    fs::rename(temp, m_path, ec);
    if (ec)
    {
        fs::remove(temp, ec);
        return false;
    }
    return true;
}

bool IniConfigStore::OpenKey(const std::string& key, bool& justCreated)
{
    justCreated = false;
    IniDocument document;
    bool existed = false;
    if (!Load(document, existed))
        return false;
    if (existed && document.HasSection(key))
        return true;
    document.AddSection(key);
    if (!Save(document))
        return false;
    justCreated = true;
    return true;
}

bool IniConfigStore::ReadValue(const std::string& key, const std::string& name, std::string& out) const
{
    IniDocument document;
    bool existed = false;
    if (!Load(document, existed) || !existed)
        return false;
    const std::string* value = document.Find(key, name);
    if (!value)
        return false;
    out = *value;
    return true;
}

bool IniConfigStore::WriteValue(const std::string& key, const std::string& name, const std::string& value)
{
    IniDocument document;
    bool existed = false;
    if (!Load(document, existed))
        return false;
    document.Set(key, name, value);
    return Save(document);
}

std::string IniConfigStore::DefaultFolder()
{
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && *xdg == '/')
        return xdg;
    const char* home = std::getenv("HOME");
    if (home && *home)
        return std::string(home) + "/.config";
    return ".";
}

} // namespace plat
