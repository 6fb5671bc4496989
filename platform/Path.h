#pragma once
// Paths written on Windows, used on a case-sensitive file system. Throughout, both "/" and
// "\" separate folders: names come from Windows-made data, and no file of ours has a
// backslash in its name. Drive letters are not expected and pass through as text.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plat
{

// Fixed path buffers of the data formats hold this many characters, terminator included,
// so a usable path has at most kMaxPath - 1 characters.
constexpr size_t kMaxPath = 260;

inline bool FitsMaxPath(std::string_view path)
{
    return path.size() < kMaxPath;
}

// "Data\Lakes\x.BMP" -> "Data/Lakes/x.BMP".
std::string NativePath(std::string_view name);
// folder + "/" + name, without doubling a trailing separator; an empty folder gives name.
std::string JoinPath(std::string_view folder, std::string_view name);
// The file name without its folder: "x.BMP".
std::string FileNameOf(std::string_view path);
// The folder without the trailing separator: "Data/Lakes"; "" for a bare name, "/" at the root.
std::string FolderOf(std::string_view path);
// From the last "." of the file name, the dot included: ".BMP"; "" when there is none.
// A dot in a folder name does not count.
std::string ExtensionOf(std::string_view path);

std::string ToLowerAscii(std::string_view text);
bool EqualNoCase(std::string_view a, std::string_view b);

enum class PathKind
{
    kAny,
    kFile,
    kFolder,
};

// Finds an existing path the way Windows would, ignoring letter case. The path as written
// wins when it exists; otherwise each component is matched without regard to case. When
// several entries of one folder differ only by case, the exact spelling is taken, else the
// lexically first. Relative paths start at the current folder. The result is native.
std::optional<std::string> FindPathCaseInsensitive(const std::string& path, PathKind kind = PathKind::kAny);

// Windows-style wildcard match ("*", "?"), ignoring ASCII case. As on Windows, a pattern
// ending in ".*" also matches names without a dot, so "*.*" matches every name.
bool MatchesPattern(std::string_view pattern, std::string_view name);

// Names of the regular files in folder that match pattern, sorted by byte value so runs
// repeat. An unreadable or missing folder gives nothing.
std::vector<std::string> ListFiles(const std::string& folder, std::string_view pattern);
// The same for a path with wildcards in its last component ("Lakes\*.waf"); the folder part
// is looked up without regard to case.
std::vector<std::string> FindFiles(const std::string& pathPattern);

} // namespace plat
