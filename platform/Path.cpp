#include "Path.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace plat
{

namespace
{

bool IsSeparator(char c)
{
    return c == '/' || c == '\\';
}

// Only ASCII letters fold: Windows data names are ASCII, and bytes of other encodings must
// not fold differently from one locale to the next.
char LowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

size_t LastSeparator(std::string_view path)
{
    for (size_t i = path.size(); i > 0; --i)
    {
        if (IsSeparator(path[i - 1]))
            return i - 1;
    }
    return std::string_view::npos;
}

bool IsKind(const std::string& path, PathKind kind)
{
    std::error_code ec;
    const fs::file_status st = fs::status(path, ec);
    if (ec || !fs::exists(st))
        return false;
    switch (kind)
    {
    case PathKind::kFile:
        return fs::is_regular_file(st);
    case PathKind::kFolder:
        return fs::is_directory(st);
    case PathKind::kAny:
        break;
    }
    return true;
}

bool MatchWildcards(std::string_view pattern, std::string_view name)
{
    // Greedy scan that backtracks to the last "*" only: linear in practice, no recursion.
    size_t p = 0;
    size_t n = 0;
    size_t star = std::string_view::npos;
    size_t resume = 0;
    while (n < name.size())
    {
        if (p < pattern.size() && (pattern[p] == '?' || LowerAscii(pattern[p]) == LowerAscii(name[n])))
        {
            ++p;
            ++n;
        }
        else if (p < pattern.size() && pattern[p] == '*')
        {
            star = p++;
            resume = n;
        }
        else if (star != std::string_view::npos)
        {
            p = star + 1;
            n = ++resume;
        }
        else
        {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

} // namespace

std::string NativePath(std::string_view name)
{
    std::string out(name);
    std::replace(out.begin(), out.end(), '\\', '/');
    return out;
}

std::string JoinPath(std::string_view folder, std::string_view name)
{
    if (folder.empty())
        return NativePath(name);
    std::string out = NativePath(folder);
    if (!IsSeparator(out.back()))
        out += '/';
    out += NativePath(name);
    return out;
}

std::string FileNameOf(std::string_view path)
{
    const size_t sep = LastSeparator(path);
    return std::string(sep == std::string_view::npos ? path : path.substr(sep + 1));
}

std::string FolderOf(std::string_view path)
{
    const size_t sep = LastSeparator(path);
    if (sep == std::string_view::npos)
        return std::string();
    if (sep == 0)
        return "/";
    return NativePath(path.substr(0, sep));
}

std::string ExtensionOf(std::string_view path)
{
    const std::string name = FileNameOf(path);
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string ToLowerAscii(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = LowerAscii(c);
    return out;
}

bool EqualNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
    {
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    }
    return true;
}

std::optional<std::string> FindPathCaseInsensitive(const std::string& path, PathKind kind)
{
    const std::string native = NativePath(path);
    if (native.empty())
        return std::nullopt;
    if (IsKind(native, kind))
        return native;

    std::string found = native.front() == '/' ? "/" : "";
    std::vector<std::string_view> parts;
    const std::string_view view(native);
    for (size_t start = 0; start < view.size();)
    {
        size_t end = view.find('/', start);
        if (end == std::string_view::npos)
            end = view.size();
        if (end > start)
            parts.push_back(view.substr(start, end - start));
        start = end + 1;
    }
    if (parts.empty())
        return std::nullopt;

    for (size_t i = 0; i < parts.size(); ++i)
    {
        const std::string_view part = parts[i];
        // Every component but the last has to be a folder to walk into.
        const PathKind want = i + 1 == parts.size() ? kind : PathKind::kFolder;
        std::string exact = JoinPath(found, part);
        if (IsKind(exact, want))
        {
            found = std::move(exact);
            continue;
        }
        if (part == "." || part == "..")
            return std::nullopt;

        std::optional<std::string> best;
        std::error_code ec;
        const std::string folder = found.empty() ? "." : found;
        for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        {
            std::string name = it->path().filename().string();
            if (!EqualNoCase(name, part) || (best && name >= *best))
                continue;
            if (IsKind(JoinPath(found, name), want))
                best = std::move(name);
        }
        if (!best)
            return std::nullopt;
        found = JoinPath(found, *best);
    }
    return found;
}

bool MatchesPattern(std::string_view pattern, std::string_view name)
{
    if (MatchWildcards(pattern, name))
        return true;
    const bool endsInDotStar = pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*";
    return endsInDotStar && name.find('.') == std::string_view::npos &&
           MatchWildcards(pattern.substr(0, pattern.size() - 2), name);
}

std::vector<std::string> ListFiles(const std::string& folder, std::string_view pattern)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder.empty() ? "." : folder, ec), end; !ec && it != end; it.increment(ec))
    {
        std::error_code typeError;
        if (!it->is_regular_file(typeError) || typeError)
            continue;
        std::string name = it->path().filename().string();
        if (MatchesPattern(pattern, name))
            names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> FindFiles(const std::string& pathPattern)
{
    const std::string native = NativePath(pathPattern);
    const std::string pattern = FileNameOf(native);
    const std::string folder = FolderOf(native);
    if (folder.empty())
        return ListFiles(".", pattern);
    const std::optional<std::string> found = FindPathCaseInsensitive(folder, PathKind::kFolder);
    return found ? ListFiles(*found, pattern) : std::vector<std::string>();
}

} // namespace plat
