#include "IniDocument.h"

#include <cctype>

namespace plat
{

namespace
{

// Names compare without regard to case.
std::string Folded(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

std::string Unescape(std::string_view s)
{
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i)
    {
        if (s[i] != '\\' || i + 1 == s.size())
        {
            out += s[i];
            continue;
        }
        const char next = s[++i];
        switch (next)
        {
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        case '0':
            out += '\0';
            break;
        case '\\':
            out += '\\';
            break;
        default: // an unknown escape of a damaged file stays as written
            out += '\\';
            out += next;
        }
    }
    return out;
}

std::string Escape(std::string_view s)
{
    std::string out;
    out.reserve(s.size());
    for (const char c : s)
    {
        switch (c)
        {
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\0':
            out += "\\0";
            break;
        case '\\':
            out += "\\\\";
            break;
        default:
            out += c;
        }
    }
    return out;
}

// Names cannot carry line breaks, '=' or brackets through the text form; they are replaced.
std::string CleanName(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        if (c == '\n' || c == '\r' || c == '\0' || c == '=' || c == '[' || c == ']')
            c = '_';
    return std::string(Trim(out));
}

} // namespace

void IniDocument::Parse(std::string_view text)
{
    m_sections.clear();
    m_index.clear();
    Section* current = nullptr;
    while (!text.empty())
    {
        const size_t end = text.find('\n');
        std::string_view raw = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (!raw.empty() && raw.back() == '\r')
            raw.remove_suffix(1);
        const std::string_view line = Trim(raw);
        if (line.empty() || line.front() == '#' || line.front() == ';')
            continue;
        if (line.front() == '[')
        {
            if (line.back() != ']')
            {
                current = nullptr; // a broken header: its values have no home
                continue;
            }
            const std::string key = CleanName(line.substr(1, line.size() - 2));
            AddSection(key);
            current = FindSection(key);
            continue;
        }
        // The value is everything after '=', spaces at either end included.
        const size_t eq = raw.find('=');
        if (!current || eq == std::string_view::npos)
            continue;
        Set(current->key, Trim(raw.substr(0, eq)), Unescape(raw.substr(eq + 1)));
    }
}

std::string IniDocument::Serialize() const
{
    std::string out;
    for (const Section& section : m_sections)
    {
        out += '[' + section.key + "]\n";
        for (const Entry& entry : section.entries)
            out += entry.name + '=' + Escape(entry.value) + '\n';
    }
    return out;
}

IniDocument::Section* IniDocument::FindSection(std::string_view key)
{
    const auto it = m_index.find(Folded(key));
    return it == m_index.end() ? nullptr : &m_sections[it->second];
}

const IniDocument::Section* IniDocument::FindSection(std::string_view key) const
{
    return const_cast<IniDocument*>(this)->FindSection(key);
}

bool IniDocument::HasSection(std::string_view key) const
{
    return FindSection(CleanName(key)) != nullptr;
}

bool IniDocument::AddSection(std::string_view key)
{
    const std::string clean = CleanName(key);
    if (!m_index.emplace(Folded(clean), m_sections.size()).second)
        return false;
    m_sections.push_back({clean, {}, {}});
    return true;
}

const std::string* IniDocument::Find(std::string_view key, std::string_view name) const
{
    const Section* section = FindSection(CleanName(key));
    if (!section)
        return nullptr;
    const auto it = section->index.find(Folded(CleanName(name)));
    return it == section->index.end() ? nullptr : &section->entries[it->second].value;
}

void IniDocument::Set(std::string_view key, std::string_view name, std::string_view value)
{
    AddSection(key);
    Section* section = FindSection(CleanName(key));
    const std::string clean = CleanName(name);
    const auto [it, added] = section->index.emplace(Folded(clean), section->entries.size());
    if (added)
        section->entries.push_back({clean, std::string(value)});
    else
        section->entries[it->second].value = value;
}

} // namespace plat
