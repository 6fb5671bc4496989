#pragma once
// Runs a command-line tool as a user runs it, keeping what it wrote to each stream apart.

#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace toolrun
{

struct Result
{
    int status = -1; // the exit status; -1 when the program did not exit normally
    std::string out;
    std::string err;
};

inline std::string ReadAll(std::FILE* file)
{
    std::string text;
    for (int c; (c = std::fgetc(file)) != EOF;)
        text.push_back(static_cast<char>(c));
    return text;
}

// program and arguments go to the shell as they stand.
inline Result Run(const std::string& program, const std::string& arguments)
{
    Result result;
    std::FILE* err = std::tmpfile();
    if (!err)
        return result;
    const std::string command = program + " " + arguments + " 2>&" + std::to_string(fileno(err));
    if (std::FILE* pipe = popen(command.c_str(), "r"))
    {
        result.out = ReadAll(pipe);
        const int raw = pclose(pipe);
        result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }
    std::rewind(err);
    result.err = ReadAll(err);
    std::fclose(err);
    return result;
}

} // namespace toolrun
