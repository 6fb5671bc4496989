// Builds a resource pack from a manifest, or lists a pack's groups and items.
//   qrpack build MANIFEST OUTBASE   writes OUTBASE.waf and OUTBASE.wdt
//   qrpack list BASE                reads BASE.waf/.wdt with the program's own reader
// Manifest lines: TYPE ID FLAGS GROUPS FILE, where TYPE is picture, sound, bytes, data or a
// number, FLAGS a number (1 background, 2 on first use), GROUPS a comma list or "-", and FILE
// a path relative to the manifest. Sound files are PCM WAVE: their format record becomes the
// item's info. "#" starts a comment. Exit codes: 0 success, 1 bad input, 2 usage.

#include "PackWriter.h"

#include "Files.h"
#include "Path.h"
#include "ResourcePack.h"
#include "WaveFile.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

namespace
{

constexpr int kOk = 0;
constexpr int kInputFailed = 1;
constexpr int kUsage = 2;

void PrintUsage(std::FILE* out)
{
    std::fprintf(out, "usage: qrpack build MANIFEST OUTBASE\n"
                      "       qrpack list BASE\n"
                      "Manifest lines: TYPE ID FLAGS GROUPS FILE\n"
                      "  TYPE    picture, sound, bytes, data, or a number (0x80000010)\n"
                      "  FLAGS   0, 1 (loaded in the background), 2 (loaded on first use)\n"
                      "  GROUPS  comma-separated group ids, or - for none\n"
                      "  FILE    relative to the manifest; sounds are PCM WAVE files\n");
}

bool ParseNumber(const std::string& text, uint32_t& out)
{
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text.c_str(), &end, 0);
    if (text.empty() || *end != '\0' || value > 0xFFFFFFFFull)
        return false;
    out = uint32_t(value);
    return true;
}

bool ParseType(const std::string& text, uint32_t& type)
{
    if (text == "picture")
        type = 0x80000010;
    else if (text == "sound")
        type = 0x80000004;
    else if (text == "bytes")
        type = 0x80000007;
    else if (text == "data")
        type = 0x80000001;
    else
        return ParseNumber(text, type);
    return true;
}

bool LoadSound(const std::string& path, tools::PackItem& item, std::string& error)
{
    plat::WaveFile wave;
    const uint16_t code = wave.Open(path);
    if (code != plat::WaveFile::kOk)
    {
        error = "not a readable WAVE file (code " + std::to_string(code) + ")";
        return false;
    }
    item.info = wave.FormatBytes();
    item.data.resize(wave.DataSize());
    uint32_t got = 0;
    if (wave.Read(item.data.data(), wave.DataSize(), got) != plat::WaveFile::kOk || got != wave.DataSize())
    {
        error = "the WAVE data cannot be read";
        return false;
    }
    return true;
}

bool ParseLine(const std::string& line, const std::string& folder, tools::PackContents& pack, std::string& error)
{
    std::istringstream fields(line);
    std::string typeText, idText, flagsText, groupsText, file;
    if (!(fields >> typeText >> idText >> flagsText >> groupsText >> file))
    {
        error = "expected TYPE ID FLAGS GROUPS FILE";
        return false;
    }
    tools::PackItem item;
    if (!ParseType(typeText, item.type) || !ParseNumber(idText, item.id) || !ParseNumber(flagsText, item.flags) ||
        item.flags > 3)
    {
        error = "bad type, id or flags";
        return false;
    }
    std::vector<uint32_t> groups;
    if (groupsText != "-")
    {
        std::istringstream list(groupsText);
        std::string one;
        while (std::getline(list, one, ','))
        {
            uint32_t group = 0;
            if (!ParseNumber(one, group))
            {
                error = "bad group id \"" + one + "\"";
                return false;
            }
            groups.push_back(group);
        }
    }
    const std::string path = plat::JoinPath(folder, plat::NativePath(file));
    if (item.type == 0x80000004)
    {
        if (!LoadSound(path, item, error))
        {
            error = file + ": " + error;
            return false;
        }
    }
    else if (!plat::ReadFile(path, item.data))
    {
        error = "cannot read " + file;
        return false;
    }
    pack.Add(std::move(item), groups);
    return true;
}

int Build(const std::string& manifestPath, const std::string& outBase)
{
    std::ifstream manifest(manifestPath);
    if (!manifest)
    {
        std::fprintf(stderr, "qrpack: cannot open %s\n", manifestPath.c_str());
        return kInputFailed;
    }
    const std::string folder = plat::FolderOf(manifestPath);
    tools::PackContents pack;
    std::string line;
    for (int number = 1; std::getline(manifest, line); ++number)
    {
        const size_t hash = line.find('#');
        if (hash != std::string::npos)
            line.resize(hash);
        if (line.find_first_not_of(" \t\r") == std::string::npos)
            continue;
        std::string error;
        if (!ParseLine(line, folder, pack, error))
        {
            std::fprintf(stderr, "qrpack: %s:%d: %s\n", manifestPath.c_str(), number, error.c_str());
            return kInputFailed;
        }
    }
    std::string error;
    if (!tools::WritePackFiles(pack, outBase, error))
    {
        std::fprintf(stderr, "qrpack: %s\n", error.c_str());
        return kInputFailed;
    }
    return kOk;
}

int List(const std::string& base)
{
    ResourcePack* pack = nullptr;
    const uint16_t code = ResourcePack::Open(base, &pack, false);
    if (code != kResourceOk)
    {
        std::fprintf(stderr, "qrpack: cannot open the pack %s (code %u)\n", base.c_str(), unsigned(code));
        return kInputFailed;
    }
    for (const ResourcePack::Group& group : pack->Groups())
    {
        std::printf("group %u: %zu items\n", group.id, group.entries.size());
        for (const auto& [type, id] : group.entries)
            std::printf("  0x%08X %u\n", type, id);
    }
    for (const ResourcePack::TypeTable& table : pack->Types())
    {
        std::printf("type 0x%08X: %u items\n", table.type, table.count);
        for (uint32_t i = 0; i < table.count; ++i)
        {
            const ResourcePack::Item& item = table.items[i];
            std::printf("  %u flags %u info %u data %u\n", item.id, item.flags, item.infoLength, item.dataSize);
        }
    }
    ResourcePack::Close(&pack);
    return kOk;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0))
    {
        PrintUsage(stdout);
        return kOk;
    }
    if (argc == 4 && std::strcmp(argv[1], "build") == 0)
        return Build(argv[2], argv[3]);
    if (argc == 3 && std::strcmp(argv[1], "list") == 0)
        return List(argv[2]);
    PrintUsage(stderr);
    return kUsage;
}
