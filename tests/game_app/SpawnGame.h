#pragma once
// Starts the game program (TARNHOLM_PROGRAM) with the given arguments, its output and errors
// into one log file. The process id, or -1 when it did not start. `changes` edits the
// environment the program gets: "NAME=VALUE" sets a variable, "NAME" alone removes it.
// ScenarioWatchdog bounds a whole scenario of several copies.

#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
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

// One deadline for a whole scenario of several copies, in place of a limit for each wait: a bound
// for a hang, far above what the slowest build under load needs, so that no wait fails because
// the machine is busy. Each wait polls the copies' states until what it waits for holds, a copy
// it needs has stopped, or the deadline has passed.
class ScenarioWatchdog
{
public:
    // Two scenarios in one shard of a suite stay within the test runner's ten minutes.
    static constexpr std::chrono::minutes kLimit{4};

    explicit ScenarioWatchdog(std::chrono::steady_clock::duration limit = kLimit)
        : m_end(std::chrono::steady_clock::now() + limit)
    {
    }
    bool Expired() const { return std::chrono::steady_clock::now() >= m_end; }
    // Polls `done` every 50 ms while `going` holds and the deadline is ahead; whether it held at
    // the last look.
    bool WaitFor(const std::function<bool()>& done, const std::function<bool()>& going) const
    {
        while (!done())
        {
            if (!going() || Expired())
                return done();
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return true;
    }
    bool WaitFor(const std::function<bool()>& done) const
    {
        return WaitFor(done, [] { return true; });
    }

private:
    std::chrono::steady_clock::time_point m_end;
};
