#pragma once
// The exit statuses every command-line tool uses, and the check for a request for help.

#include <cstring>

namespace tools
{

enum ToolExit : int
{
    kExitOk = 0,
    kExitInputFailed = 1, // the input could not be read, drawn or written
    kExitUsage = 2,       // the command line was wrong
};

inline bool IsHelp(const char* argument)
{
    return std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0;
}

} // namespace tools
