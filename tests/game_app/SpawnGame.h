#pragma once
// Starts the game program (TARNHOLM_PROGRAM) with the given arguments, its output and errors
// into one log file. The process id, or -1 when it did not start. `changes` edits the
// environment the program gets: "NAME=VALUE" sets a variable, "NAME" alone removes it.

#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

inline pid_t SpawnGame(const std::vector<std::string>& args, const std::string& log,
                       const std::vector<std::string>& changes = {})
{
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(TARNHOLM_PROGRAM));
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    const auto nameOf = [](const std::string& entry) { return entry.substr(0, entry.find('=')); };
    std::vector<char*> envp;
    for (char** entry = environ; *entry; ++entry)
        if (std::none_of(changes.begin(), changes.end(),
                         [&](const std::string& change) { return nameOf(change) == nameOf(*entry); }))
            envp.push_back(*entry);
    for (const std::string& change : changes)
        if (change.find('=') != std::string::npos)
            envp.push_back(const_cast<char*>(change.c_str()));
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = -1;
    if (posix_spawn(&pid, TARNHOLM_PROGRAM, &actions, nullptr, argv.data(), envp.data()) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}
