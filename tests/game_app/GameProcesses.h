#pragma once
// What the multi-copy scenarios share: a loopback port of their own, a game process that is killed and
// reaped with its owner, the digest a headless copy keeps writing, read as fields, and the one
// wait every scenario's steps go through.

#include "GccWarnings.h"
#include "SpawnGame.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <iostream>
#include <iterator>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

// Binds a UDP socket to 127.0.0.1:port (0: any free port); the socket, or -1, and the port.
inline int BindLoopback(uint16_t& port)
{
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    socklen_t length = sizeof address;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
    {
        close(fd);
        return -1;
    }
    port = ntohs(address.sin_port);
    return fd;
}

// A UDP port P on 127.0.0.1 for one scenario's copies, with P+1 to P+9 where its joiners listen,
// all its own until the lease ends. They lie below the kernel's ephemeral range, so no socket
// bound to port 0 (another test's) is given one while the copies start; a lock file per port keeps
// scenarios running side by side apart, and goes with its lease. `first`, when not 0, is the first
// port tried.
class LoopbackPortLease
{
public:
    static constexpr int kSpan = 10;

    explicit LoopbackPortLease(uint16_t first = 0)
    {
        int ephemeralLow = 32768;
        std::ifstream("/proc/sys/net/ipv4/ip_local_port_range") >> ephemeralLow;
        const int count = std::min(ephemeralLow, 65536) - kSpan + 1 - kLowest;
        if (count < 1000)
        {
            // No room below the ephemeral range: any free port, as the kernel gives one.
            uint16_t port = 0;
            if (const int fd = BindLoopback(port); fd >= 0)
            {
                close(fd);
                m_port = port;
            }
            return;
        }
        const int start = first >= kLowest && first < kLowest + count
                              ? first - kLowest
                              : static_cast<int>(std::random_device()() % static_cast<unsigned>(count));
        for (int i = 0; i < count && m_port == 0; ++i)
            if (TakeSpan(static_cast<uint16_t>(kLowest + (start + i) % count)))
                m_port = static_cast<uint16_t>(kLowest + (start + i) % count);
    }
    ~LoopbackPortLease() { LetGo(); }
    LoopbackPortLease(const LoopbackPortLease&) = delete;
    LoopbackPortLease& operator=(const LoopbackPortLease&) = delete;
    // 0 when no port was free.
    uint16_t Port() const { return m_port; }

    static std::string LockPath(uint16_t port) { return "/tmp/tarnholm-test-port-" + std::to_string(port) + ".lock"; }
    // The lock file at `path`, opened and locked: its descriptor, or -1 when another lease holds it.
    static int LockFile(const std::string& path)
    {
        // A few tries: each retry means a lease ended meanwhile.
        for (int attempt = 0; attempt < 100; ++attempt)
        {
            const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
            if (fd < 0)
                return -1;
            if (!LockedAndStillNamed(fd, path))
            {
                const bool held = errno == EWOULDBLOCK;
                close(fd);
                if (held)
                    return -1;
                // A lease ended between the open and the lock: its file is gone, so open again.
                continue;
            }
            return fd;
        }
        return -1;
    }
    // Locks an open lock file; true when the lock is taken and `path` still names the locked file.
    // False with errno EWOULDBLOCK when another holds the lock.
    static bool LockedAndStillNamed(int fd, const std::string& path)
    {
        if (flock(fd, LOCK_EX | LOCK_NB) != 0)
            return false;
        struct stat locked = {};
        struct stat named = {};
        if (fstat(fd, &locked) != 0 || stat(path.c_str(), &named) != 0 || locked.st_dev != named.st_dev ||
            locked.st_ino != named.st_ino)
        {
            errno = ESTALE;
            return false;
        }
        return true;
    }

private:
    static constexpr int kLowest = 10000;

    // Locks and checks every port from `port` on; on any port held, lets go of what it took.
    bool TakeSpan(uint16_t port)
    {
        for (int k = 0; k < kSpan; ++k)
        {
            auto at = static_cast<uint16_t>(port + k);
            const std::string path = LockPath(at);
            const int lock = LockFile(path);
            if (lock < 0)
                break;
            m_locks.push_back({at, lock});
            if (const int fd = BindLoopback(at); fd >= 0)
                close(fd);
            else
                break;
        }
        if (m_locks.size() == static_cast<size_t>(kSpan))
            return true;
        // Held by a socket outside the leases or by another lease: let the ports go, and their files.
        LetGo();
        return false;
    }
    void LetGo()
    {
        // Unlinked while still locked: whoever opened a file before this and locks it after holds a
        // name no longer in the folder, which LockFile refuses.
        for (const auto& [port, lock] : m_locks)
        {
            unlink(LockPath(port).c_str());
            close(lock);
        }
        m_locks.clear();
    }

    std::vector<std::pair<uint16_t, int>> m_locks;
    uint16_t m_port = 0;
};

// One game process, killed and reaped when it goes out of scope.
class GameProcess
{
public:
    GameProcess(const std::vector<std::string>& args, const std::string& log) { m_pid = SpawnGame(args, log); }
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
        m_exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        m_pid = -1;
        return false;
    }
    // The code the process ended with by itself; -1 while it runs or after a signal.
    int ExitCode() const { return m_exitCode; }
    // Freezes the process where it stands, as a copy that stops answering does (SIGSTOP); GoOn
    // lets it run on (SIGCONT). A stopped process still dies by Kill.
    void Stop()
    {
        if (m_pid > 0)
            kill(m_pid, SIGSTOP);
    }
    void GoOn()
    {
        if (m_pid > 0)
            kill(m_pid, SIGCONT);
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
    int m_exitCode = -1;
};

// A digest's lines by their first word; a word on several lines keeps them all, joined by '|'.
using Digest = std::map<std::string, std::string>;

inline Digest ReadDigest(const std::string& path)
{
    Digest fields;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line))
    {
        const size_t space = line.find(' ');
        // GCC 12 at -O3 takes the inlined string copy here for one past its object: it is not.
        QR_GCC_STRING_BOUNDS_OFF
        if (space != std::string::npos)
            fields[line.substr(0, space)] += (fields.count(line.substr(0, space)) ? "|" : "") + line.substr(space + 1);
        QR_GCC_STRING_BOUNDS_ON
    }
    return fields;
}

inline std::string Field(const Digest& digest, const char* name)
{
    const auto found = digest.find(name);
    return found == digest.end() ? "" : found->second;
}

// One copy of a scenario: its name (its files who.*), --host or --join, its script and seed.
// The names of a board's rows ("total fish name|...").
inline std::vector<std::string> BoardNames(const std::string& board)
{
    std::vector<std::string> names;
    std::istringstream rows(board);
    for (std::string row; std::getline(rows, row, '|');)
    {
        std::istringstream words(row);
        std::string total, fish, name;
        if (words >> total >> fish && std::getline(words >> std::ws, name))
            names.push_back(name);
    }
    return names;
}

struct ScenarioCopy
{
    const char* who;
    const char* flag;
    const char* script;
    const char* seed;
};

// When this program started: CTest runs each shard of a suite as one run of it.
inline const std::chrono::steady_clock::time_point kProgramStart = std::chrono::steady_clock::now();

// A scenario's fixture: a folder and a free loopback address for its copies, and one wait that
// every step goes through. A wait ends a hang, never a slow run: it fails once no copy has moved
// for two minutes (or the copy it waits on has stood that long), whatever the scenario's whole
// time. A copy moves when its screen, day, network phase or game clock changes, or a line the
// wait names; one that only draws frames stands, as a copy held in a wait for a peer does. On a
// failure the files Evidence() names in the folder (each copy's output and digests) go into the
// test's log: a run that fails once under load is not rerun to learn why.
class MultiCopyScenario : public ::testing::Test
{
protected:
    // A copy stands that long only when it hangs: under load copies draw a frame a second or two,
    // and no step of a scenario holds a copy's screen, day, phase and clock that long.
    static constexpr std::chrono::seconds kStallLimit{120};
    // The digest lines whose change is a copy's movement, whatever the wait.
    static constexpr const char* kMovingLines[] = {"screen", "session.day", "net.phase", "clock.game_seconds"};
    // scripts/test stops a test at ten minutes: a shard's scenarios together end within nine, so
    // that one that would outlast them fails here, with its evidence. Multi-copy suites run as
    // shards (SLOW_SUITES); a run of the whole program by hand has no such bound.
    static constexpr std::chrono::minutes kShardLimit{9};

    void SetUp() override
    {
        m_deadline = std::chrono::steady_clock::time_point::max();
        if (std::getenv("GTEST_TOTAL_SHARDS") != nullptr)
            m_deadline = kProgramStart + kShardLimit;
        ASSERT_NE(m_port.Port(), 0);
        m_address = "127.0.0.1:" + std::to_string(m_port.Port());
    }

    // The one wait: polls `done` every 50 ms while `going` holds and no hang is seen; whether
    // `done` held at the last look.
    bool WaitFor(
        const std::function<bool()>& done, const std::function<bool()>& going = [] { return true; }) const
    {
        return WaitWatching(done, going, nullptr);
    }
    // Polls the digest of copy `who` (who.txt, or with `kept` the one it kept as who.txt.KEPT)
    // until `ready` holds of it, the copy has stopped or a hang is seen; the last digest read
    // either way. A change of any of `lines` in the copy's live digest is movement too.
    Digest WaitForDigest(const std::string& who, GameProcess& copy, const std::function<bool(const Digest&)>& ready,
                         const char* kept = nullptr, const std::vector<std::string>& lines = {}) const
    {
        return WaitForDigestWhile(
            who, [&] { return copy.Running(); }, ready, kept, lines);
    }
    // The same, while `going` holds.
    Digest WaitForDigestWhile(const std::string& who, const std::function<bool()>& going,
                              const std::function<bool(const Digest&)>& ready, const char* kept = nullptr,
                              const std::vector<std::string>& lines = {}) const
    {
        const std::string path = DigestPath(who, kept);
        Digest digest;
        const Waited waited{who, lines};
        WaitWatching(
            [&]
            {
                digest = ReadDigest(path);
                return ready(digest);
            },
            going, &waited);
        return digest;
    }
    // Copies whose digests the waits watch: each copy started with CopyArgs is.
    void Watch(const std::string& who) const
    {
        for (const Watched& copy : m_watched)
            if (copy.who == who)
                return;
        m_watched.push_back({who, "", "", "", m_now()});
    }
    // Waits until every copy shows the main menu, the scenario's last state, then ends them,
    // the first (the host) last, so that no joiner sees its host go. Whether all got there.
    bool EndOnTheMainMenu(const std::vector<std::pair<std::string, GameProcess*>>& copies) const
    {
        bool all = true;
        for (const auto& [who, process] : copies)
        {
            const Digest last = WaitForDigest(who, *process, [](const Digest& d) { return Field(d, "screen") == "8"; });
            EXPECT_EQ(Field(last, "screen"), "8") << who << " ends on the main menu";
            all = all && Field(last, "screen") == "8";
        }
        for (auto copy = copies.rbegin(); copy != copies.rend(); ++copy)
            copy->second->Kill();
        return all;
    }
    std::string DigestPath(const std::string& who, const char* kept = nullptr) const
    {
        return m_dir.File(who + ".txt") + (kept != nullptr ? std::string(".") + kept : "");
    }
    void TearDown() override
    {
        if (!HasFailure())
            return;
        for (const std::string& name : Evidence())
        {
            std::ifstream in(m_dir.File(name));
            std::cerr << "---- " << name << "\n";
            if (in && in.peek() != std::ifstream::traits_type::eof())
                std::cerr << in.rdbuf() << "\n";
        }
    }
    virtual std::vector<std::string> Evidence() const = 0;
    // Every copy's file of every suffix.
    static std::vector<std::string> FilesOf(std::initializer_list<const char*> copies,
                                            std::initializer_list<const char*> suffixes)
    {
        std::vector<std::string> names;
        for (const char* copy : copies)
            for (const char* suffix : suffixes)
                names.push_back(std::string(copy) + suffix);
        return names;
    }

    // A headless copy in the session at m_address, its folder and digest (who.txt) in m_dir. A
    // lost peer is noticed after m_netTimeoutMs; a day's frame is slow in the sanitizer build, so a
    // frame moves the game on 200 ms and the boats drive off and come to rest in few frames.
    std::vector<std::string> CopyArgs(const std::string& who, const char* flag, const std::string& script,
                                      const char* calendar = "1780315200", const char* frames = "200000") const
    {
        Watch(who);
        return {"--headless",
                "--calendar-time",
                calendar,
                "--data",
                TARNHOLM_DATA,
                "--user-dir",
                m_dir.File(who),
                "--screen",
                "1",
                flag,
                m_address,
                "--net-timeout-ms",
                m_netTimeoutMs,
                "--step-ms",
                "200",
                "--script",
                std::string(TARNHOLM_SCRIPTS) + "/" + script,
                "--frames",
                frames,
                "--digest",
                m_dir.File(who + ".txt")};
    }

    // A copy's network time-out: how long the others wait on its silence before they let it go.
    // Short, a killed copy is let go soon, but so is one that a loaded machine leaves that long
    // unscheduled; each scenario says what its time-out is for.
    const char* m_netTimeoutMs = "3000";
    // No copy of the scenario is let go on its silence: only a hang stands this long, and the
    // wait reports a hang itself.
    static constexpr const char* kRoomAtAnyLoadMs = "60000";
    // A copy killed on purpose is let go within a short part of the scenario, and no loaded copy
    // stands unscheduled this long.
    static constexpr const char* kKilledCopyLetGoMs = "20000";

    testfiles::TempDir m_dir;
    LoopbackPortLease m_port;
    std::string m_address;
    std::chrono::steady_clock::time_point m_deadline;
    std::chrono::milliseconds m_stallLimit = kStallLimit;
    // The watch's clock and its rest between looks; a test of the watch runs both on its own time.
    std::function<std::chrono::steady_clock::time_point()> m_now = [] { return std::chrono::steady_clock::now(); };
    std::function<void(std::chrono::milliseconds)> m_rest = [](std::chrono::milliseconds rest)
    { std::this_thread::sleep_for(rest); };

private:
    struct Watched
    {
        std::string who;
        std::string frames;
        std::string screen;
        // The moving lines and the lines the wait names, as last seen.
        std::string state;
        std::chrono::steady_clock::time_point moved;
    };
    // The copy a wait waits on and the lines it names.
    struct Waited
    {
        const std::string& who;
        const std::vector<std::string>& lines;
    };

    bool WaitWatching(const std::function<bool()>& done, const std::function<bool()>& going, const Waited* waited) const
    {
        // A copy that stood before this wait began (held in a frame by a peer the test has only now
        // let go) has the whole limit again.
        const auto since = m_now();
        while (!done())
        {
            if (m_hung || !going())
                return done();
            const auto now = m_now();
            if (now >= m_deadline)
            {
                ADD_FAILURE() << "the shard's scenarios ran out of their " << kShardLimit.count() << " minutes"
                              << CopiesNow(now);
                m_hung = true;
                return done();
            }
            if (now - m_lastLook >= std::chrono::seconds(1))
            {
                m_lastLook = now;
                if (const char* hang = Hang(now, since, waited))
                {
                    ADD_FAILURE() << hang << CopiesNow(now);
                    m_hung = true;
                    return done();
                }
            }
            m_rest(std::chrono::milliseconds(50));
        }
        return true;
    }
    // Reads every watched copy's live digest; what hangs, or nullptr while something moves. A
    // copy moved when a moving line, or for the copy waited on a line the wait names, differs from
    // the last look; a new frame alone is no movement.
    const char* Hang(std::chrono::steady_clock::time_point now, std::chrono::steady_clock::time_point since,
                     const Waited* waited) const
    {
        if (m_watched.empty())
            return nullptr;
        bool anyMoved = false;
        for (Watched& copy : m_watched)
        {
            const bool isWaited = waited != nullptr && copy.who == waited->who;
            const Digest digest = ReadDigest(DigestPath(copy.who));
            copy.frames = Field(digest, "frames");
            copy.screen = Field(digest, "screen");
            std::string state;
            for (const char* line : kMovingLines)
                state += Field(digest, line) + "\n";
            if (isWaited)
                for (const std::string& line : waited->lines)
                    state += Field(digest, line.c_str()) + "\n";
            if (state != copy.state)
            {
                copy.state = std::move(state);
                copy.moved = now;
            }
            const bool stands = now - std::max(copy.moved, since) >= m_stallLimit;
            if (isWaited && stands)
                return "the copy waited on has stood still (screen, day, phase, clock and the lines waited on)";
            anyMoved = anyMoved || !stands;
        }
        return anyMoved ? nullptr : "no copy has moved (screen, day, phase or clock)";
    }
    // Each watched copy's frame, screen, time standing and last digest.
    std::string CopiesNow(std::chrono::steady_clock::time_point now) const
    {
        std::string text;
        for (const Watched& copy : m_watched)
        {
            const auto standing = std::chrono::duration_cast<std::chrono::seconds>(now - copy.moved).count();
            text += "\n==== " + copy.who + ": frame " + copy.frames + ", screen " + copy.screen + ", standing " +
                    std::to_string(standing) + " s; its last digest:\n";
            std::ifstream in(DigestPath(copy.who));
            text.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
        return text;
    }

    mutable std::vector<Watched> m_watched;
    mutable std::chrono::steady_clock::time_point m_lastLook{};
    mutable bool m_hung = false;
};
