#include "FileHelpers.h"

#include "Path.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>

namespace
{

char g_programFolder[plat::kMaxPath];

bool HoldsMarker(const std::filesystem::path& root, const char* marker)
{
    return FileExists((root / marker).string().c_str());
}

} // namespace

const char* GetProgramFolder()
{
    char exe[4096] = {};
    const ssize_t length = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
    std::string folder = length > 0 ? plat::FolderOf(std::string(exe, size_t(length))) : std::string(".");
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    std::snprintf(g_programFolder, sizeof g_programFolder, "%s", folder.c_str());
    return g_programFolder;
}

bool FileExists(const char* path)
{
    if (!path || !*path)
        return false;
    return plat::FindPathCaseInsensitive(plat::NativePath(path), plat::PathKind::kFile).has_value();
}

bool RemoveFile(const char* path)
{
    if (!path || !*path)
        return false;
    const auto found = plat::FindPathCaseInsensitive(plat::NativePath(path), plat::PathKind::kFile);
    return found && ::unlink(found->c_str()) == 0;
}

bool EnumFiles(const char* pattern, EnumFilesCallback callback, void* context)
{
    if (!pattern || !callback)
        return true;
    const std::string native = plat::NativePath(pattern);
    const std::string folder = plat::FolderOf(native);
    const auto found =
        plat::FindPathCaseInsensitive(folder.empty() ? std::string(".") : folder, plat::PathKind::kFolder);
    if (!found)
        return true;
    for (const std::string& name : plat::ListFiles(*found, plat::FileNameOf(native)))
    {
        if (!callback(name.c_str(), context))
            return false;
    }
    return true;
}

bool FindCdDrive(const char* marker, std::string& outRoot, const std::vector<std::string>& searchRoots)
{
    if (!marker || !*marker)
        return false;
    std::error_code ec;
    for (const std::string& root : searchRoots)
    {
        for (const auto& entry : std::filesystem::directory_iterator(root, ec))
        {
            if (!entry.is_directory(ec))
                continue;
            // "/run/media" holds one folder per user, and the media inside it.
            if (HoldsMarker(entry.path(), marker))
            {
                outRoot = entry.path().string();
                return true;
            }
            for (const auto& inner : std::filesystem::directory_iterator(entry.path(), ec))
            {
                if (inner.is_directory(ec) && HoldsMarker(inner.path(), marker))
                {
                    outRoot = inner.path().string();
                    return true;
                }
            }
        }
    }
    return false;
}
