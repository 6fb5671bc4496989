// Two copies of the game, each its own headless process, in one network session over the
// loopback interface: one hosts, one joins, each sees the other; the joiner is killed and the
// host goes on without it. Every wait is a bounded poll of the runs' live digests.

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <csignal>
#include <fcntl.h>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace
{

// A UDP port on 127.0.0.1 that nothing holds right now.
uint16_t FreeLoopbackPort()
{
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    if (fd < 0)
        return 0;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    uint16_t port = 0;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    close(fd);
    return port;
}

// One game process, killed and reaped when it goes out of scope.
class GameProcess
{
public:
    GameProcess(const std::vector<std::string>& args, const std::string& log)
    {
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(TARNHOLM_PROGRAM));
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        if (posix_spawn(&m_pid, TARNHOLM_PROGRAM, &actions, nullptr, argv.data(), environ) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~GameProcess() { Kill(); }
    GameProcess(const GameProcess&) = delete;
    GameProcess& operator=(const GameProcess&) = delete;

    bool Started() const { return m_pid > 0; }
    bool Running()
    {
        if (m_pid <= 0)
            return false;
        int status = 0;
        if (waitpid(m_pid, &status, WNOHANG) == 0)
            return true;
        m_pid = -1;
        return false;
    }
    void Kill()
    {
        if (m_pid <= 0)
            return;
        kill(m_pid, SIGKILL);
        int status = 0;
        waitpid(m_pid, &status, 0);
        m_pid = -1;
    }

private:
    pid_t m_pid = -1;
};

std::map<std::string, std::string> ReadDigest(const std::string& path)
{
    std::map<std::string, std::string> fields;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line))
    {
        const size_t space = line.find(' ');
        if (space != std::string::npos)
            fields[line.substr(0, space)] += (fields.count(line.substr(0, space)) ? "|" : "") + line.substr(space + 1);
    }
    return fields;
}

using Digest = std::map<std::string, std::string>;

// Polls the digest until `ready` holds or the time is up; the last digest read either way.
Digest WaitForDigest(const std::string& path, GameProcess& process, const std::function<bool(const Digest&)>& ready,
                     std::chrono::seconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    Digest digest;
    while (std::chrono::steady_clock::now() < end && process.Running())
    {
        digest = ReadDigest(path);
        if (ready(digest))
            return digest;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return ReadDigest(path);
}

bool HasPlayers(const Digest& digest, const char* count)
{
    const auto found = digest.find("net.players");
    return found != digest.end() && found->second == count;
}

int64_t Frames(const Digest& digest)
{
    const auto found = digest.find("frames");
    return found == digest.end() ? -1 : std::stoll(found->second);
}

std::string Field(const Digest& digest, const char* name)
{
    const auto found = digest.find(name);
    return found == digest.end() ? "" : found->second;
}

std::vector<std::string> RunArgs(const testfiles::TempDir& dir, const char* who, const char* flag,
                                 const std::string& address, const char* script)
{
    return {"--headless",
            "--data",
            TARNHOLM_DATA,
            "--user-dir",
            dir.File(who),
            "--screen",
            "1",
            flag,
            address,
            "--script",
            std::string(TARNHOLM_SCRIPTS) + "/" + script,
            "--frames",
            "200000",
            "--digest",
            dir.File(std::string(who) + ".txt")};
}

// Both copies go from the game-mode screen to the start of the day, the host opening the
// session on its profiles screen and the other joining it there; the joiner presses Start and
// waits for the host, who never does. The host is killed: the joiner carries on alone and
// its day begins.
TEST(NetScenarioTest, TwoProcessesMeetAtTheStartOfTheDayAndOneGoesOnWhenTheOtherIsKilled)
{
    testfiles::TempDir dir;
    const uint16_t port = FreeLoopbackPort();
    ASSERT_NE(port, 0);
    const std::string address = "127.0.0.1:" + std::to_string(port);
    const std::chrono::seconds limit(60);

    GameProcess host(RunArgs(dir, "host", "--host", address, "net_to_day_start.script"), dir.File("host.log"));
    ASSERT_TRUE(host.Started());
    const std::string hostDigest = dir.File("host.txt");
    Digest seen = WaitForDigest(
        hostDigest, host, [](const Digest& d) { return Field(d, "screen") == "19"; }, limit);
    ASSERT_EQ(Field(seen, "screen"), "19") << "the host reaches the start of the day";
    EXPECT_EQ(Field(seen, "net.host"), "1");
    EXPECT_TRUE(HasPlayers(seen, "1"));

    GameProcess guest(RunArgs(dir, "guest", "--join", address, "net_day_start.script"), dir.File("guest.log"));
    ASSERT_TRUE(guest.Started());
    const std::string guestDigest = dir.File("guest.txt");
    // Well past its Start: still on the start of the day, waiting for the host.
    seen = WaitForDigest(
        guestDigest, guest, [](const Digest& d) { return Frames(d) >= 300; }, limit);
    EXPECT_EQ(Field(seen, "screen"), "19") << "Start waits for every player";
    EXPECT_TRUE(HasPlayers(seen, "2")) << "the joiner sees the host and itself";
    EXPECT_EQ(Field(seen, "net.host"), "0");
    EXPECT_NE(Field(seen, "net.slot"), "0") << "the host keeps slot 0";
    seen = WaitForDigest(
        hostDigest, host, [](const Digest& d) { return HasPlayers(d, "2"); }, limit);
    EXPECT_TRUE(HasPlayers(seen, "2")) << "the host sees the joiner";
    EXPECT_EQ(Field(seen, "screen"), "19");

    host.Kill();
    const int64_t framesAtKill = Frames(ReadDigest(guestDigest));
    // The peer time-out is ten seconds: the joiner notices the silence after it.
    seen = WaitForDigest(
        guestDigest, guest, [](const Digest& d) { return Field(d, "screen") == "2"; }, limit);
    EXPECT_EQ(Field(seen, "screen"), "2") << "the day begins for the one left";
    EXPECT_EQ(Field(seen, "net.host"), "1");
    EXPECT_TRUE(HasPlayers(seen, "1"));
    EXPECT_TRUE(guest.Running()) << "the joiner goes on";
    EXPECT_GT(Frames(seen), framesAtKill);
}

} // namespace
