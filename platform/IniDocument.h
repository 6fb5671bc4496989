#pragma once
// The text form of the settings: "[key]" section lines followed by "name=value" lines.
// Values keep any byte: backslash, line breaks and NUL are written as \\, \n, \r and \0.
// Reading takes what it can of a damaged text: lines that are neither a section, a value nor
// a comment are skipped, values before the first section are dropped, a later duplicate
// replaces an earlier one.

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace plat
{

class IniDocument
{
public:
    void Parse(std::string_view text);
    std::string Serialize() const;

    bool HasSection(std::string_view key) const;
    // Adds an empty section; true when it was not there.
    bool AddSection(std::string_view key);
    const std::string* Find(std::string_view key, std::string_view name) const;
    void Set(std::string_view key, std::string_view name, std::string_view value);

private:
    struct Entry
    {
        std::string name;
        std::string value;
    };
    // Entries keep their order for writing; the index finds them by folded name, so a large
    // damaged file still loads in n log n.
    struct Section
    {
        std::string key;
        std::vector<Entry> entries;
        std::map<std::string, size_t> index;
    };
    Section* FindSection(std::string_view key);
    const Section* FindSection(std::string_view key) const;

    std::vector<Section> m_sections;
    std::map<std::string, size_t> m_index;
};

} // namespace plat
