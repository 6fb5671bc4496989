#pragma once
// The real settings backend. Implements: settings in one text file (IniDocument's form),
// read on every call and rewritten whole through a temporary file and a rename, so a crash
// never leaves half a file. A key counts as just created when the file or its section did
// not exist. Files larger than kMaxBytes are treated as damaged: read as empty, and replaced
// on the next write.
// Leaves out: locking between two programs writing at once (the instance lock keeps one
// program per user folder) and value types other than text.

#include "ConfigStore.h"

#include <cstddef>
#include <string>

namespace plat
{

class IniDocument;

class IniConfigStore : public ConfigStore
{
public:
    explicit IniConfigStore(std::string path) : m_path(std::move(path)) {}

    bool OpenKey(const std::string& key, bool& justCreated) override;
    bool ReadValue(const std::string& key, const std::string& name, std::string& out) const override;
    bool WriteValue(const std::string& key, const std::string& name, const std::string& value) override;

    const std::string& Path() const { return m_path; }

    // $XDG_CONFIG_HOME, else $HOME/.config, else the current folder.
    static std::string DefaultFolder();

    static constexpr size_t kMaxBytes = 1u << 20;

private:
    // False when the file exists but cannot be read.
    bool Load(IniDocument& document, bool& existed) const;
    bool Save(const IniDocument& document) const;

    std::string m_path;
};

} // namespace plat
