// Two copies of the game, each its own headless process, in one network session over the
// loopback interface: one hosts, one joins, both fish one lake and each sees the other's boat;
// the host is killed and the joiner goes on without it. Every wait polls the runs' live digests
// until what it waits for is there or the copy has stopped, under one deadline for the scenario.

#include "GameProcesses.h"
#include "GccWarnings.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace
{

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

// Each network player's boat as this copy's digest lists it: slot to lake-map x and z.
std::map<int32_t, std::pair<double, double>> Boats(const Digest& digest)
{
    std::map<int32_t, std::pair<double, double>> boats;
    std::istringstream lines(Field(digest, "net.boat"));
    std::string line;
    while (std::getline(lines, line, '|'))
    {
        std::istringstream words(line);
        int32_t slot = -1;
        double x = 0.0, z = 0.0;
        if (words >> slot >> x >> z)
            boats[slot] = {x, z};
    }
    return boats;
}

// The players this copy lists: slot to name.
std::map<int32_t, std::string> Players(const Digest& digest)
{
    std::map<int32_t, std::string> players;
    std::istringstream lines(Field(digest, "net.player"));
    std::string line;
    while (std::getline(lines, line, '|'))
    {
        const size_t space = line.find(' ');
        if (space != std::string::npos)
            players[std::stoi(line.substr(0, space))] = line.substr(space + 1);
    }
    return players;
}

// The names of the standings' rows, heaviest first (the digest lists them in place order).
std::vector<std::string> StandingNames(const Digest& digest)
{
    std::vector<std::string> names;
    std::istringstream rows(Field(digest, "save.standing"));
    std::string row;
    while (std::getline(rows, row, '|'))
    {
        std::istringstream words(row);
        std::string total, fish, name;
        if (words >> total >> fish && std::getline(words >> std::ws, name))
            names.push_back(name);
    }
    return names;
}

// This copy's own slot; -1 outside a session.
int32_t Slot(const Digest& digest)
{
    const std::string slot = Field(digest, "net.slot");
    return slot.empty() ? -1 : std::stoi(slot);
}

double Distance(const std::pair<double, double>& a, const std::pair<double, double>& b)
{
    return std::hypot(a.first - b.first, a.second - b.second);
}

// Two copies on a free loopback address, each with its folder in the test's own. On a failure
// both copies' output and last digests go into the test's log: a run that fails once under load
// is not rerun to learn why.
class NetScenarioTest : public MultiCopyScenario
{
protected:
    // Nobody goes silent but a host killed on purpose, which its test lets go on a time-out of its own.
    NetScenarioTest() { m_netTimeoutMs = kRoomAtAnyLoadMs; }
    std::vector<std::string> Evidence() const override
    {
        return FilesOf({"host", "guest", "late"}, {".log", ".txt", ".txt.day1"});
    }
    // who is "host", "guest" or "late": its folder, digest (who.txt) and output (who.log).
    // seed, when given, fixes the copy's random draws (its fish among them).
    GameProcess Launch(const char* who, const char* flag, const char* script, const char* calendar,
                       const char* seed = nullptr, const char* frames = "200000")
    {
        std::vector<std::string> args = CopyArgs(who, flag, script, calendar, frames);
        if (seed != nullptr)
            args.insert(args.end(), {"--seed", seed});
        return GameProcess(args, m_dir.File(std::string(who) + ".log"));
    }

    // True once the host's digest shows the start-of-day screen.
    bool HostReachesDayStart(GameProcess& host)
    {
        const auto atDayStart = [](const Digest& d) { return Field(d, "screen") == "19"; };
        return host.Started() && atDayStart(WaitForDigest("host", host, atDayStart));
    }
    // Both copies' weigh-ins reach their results, on one board: the host's standings.
    std::string OneResultsBoard(GameProcess& host, GameProcess& guest)
    {
        const auto results = [](const Digest& d) { return Field(d, "weigh_in.results") == "1"; };
        const Digest atHost = WaitForDigest("host", host, results, "board");
        const Digest atGuest = WaitForDigest("guest", guest, results, "board");
        EXPECT_TRUE(results(atHost)) << "the host's weigh-in has its results";
        EXPECT_TRUE(results(atGuest)) << "the joiner's weigh-in has its results";
        const std::string standings = Field(atHost, "save.standing");
        EXPECT_EQ(Field(atGuest, "save.standing"), standings);
        return standings;
    }
};

// Both copies go from the game-mode screen to the start of the day, the host opening the
// session on its profiles screen and the other joining it there; the host presses Start once
// it sees the second player, and the day begins for both when both have. Started on different
// calendars, both have the host's weather on their first frame on the lake. Each drives off from
// its own start and coasts to rest; each must see the other's boat where the other's own
// digest puts it. Then the host is killed: the joiner carries on alone, as host, without the
// lost player's boat.
TEST_F(NetScenarioTest, TwoProcessesDriveOnOneLakeAndEachSeesTheOtherUntilOneIsKilled)
{
    // How soon the joiner lets the killed host go, which the test waits for.
    m_netTimeoutMs = kKilledCopyLetGoMs;
    // A day apart: left alone, the two copies would fish under different skies.
    GameProcess host = Launch("host", "--host", "net_host_day.script", "1780315200");
    ASSERT_TRUE(host.Started());
    const std::string hostDigest = DigestPath("host");
    Digest seen = WaitForDigest("host", host, [](const Digest& d) { return Field(d, "screen") == "19"; });
    ASSERT_EQ(Field(seen, "screen"), "19") << "the host reaches the start of the day";
    EXPECT_EQ(Field(seen, "net.host"), "1");
    EXPECT_TRUE(HasPlayers(seen, "1"));

    GameProcess guest = Launch("guest", "--join", "net_join_day.script", "1780401600");
    ASSERT_TRUE(guest.Started());
    const std::string guestDigest = DigestPath("guest");

    // The day begins for both, together, each boat at its own slot's start; the first day frames
    // come well before the keys drive off.
    const auto ownBoat = [](const Digest& d) { return Field(d, "screen") == "2" && Boats(d).count(Slot(d)) == 1; };
    Digest atHost = WaitForDigest("host", host, ownBoat);
    Digest atGuest = WaitForDigest("guest", guest, ownBoat);
    ASSERT_TRUE(ownBoat(atHost)) << "the host's day begins";
    ASSERT_TRUE(ownBoat(atGuest)) << "the joiner's day begins";
    const int32_t hostSlot = Slot(atHost);
    const int32_t guestSlot = Slot(atGuest);
    EXPECT_EQ(hostSlot, 0) << "the host keeps slot 0";
    ASSERT_NE(guestSlot, hostSlot);
    // Each copy's first frame on the lake: one sky, the host's, down to the generator's state.
    const Digest hostLake = WaitForDigest(
        "host", host, [](const Digest& d) { return !Field(d, "save.weather").empty(); }, "lake");
    const Digest guestLake = WaitForDigest(
        "guest", guest, [](const Digest& d) { return !Field(d, "save.weather").empty(); }, "lake");
    EXPECT_EQ(Field(hostLake, "screen"), "2");
    EXPECT_EQ(Field(guestLake, "screen"), "2");
    const auto sky = [](const Digest& d)
    {
        // Generator state, air, cloud and fog; the record's hash last is left out.
        const std::string line = Field(d, "save.weather");
        return line.substr(0, line.rfind(' '));
    };
    ASSERT_NE(sky(hostLake), "");
    EXPECT_EQ(sky(guestLake), sky(hostLake));
    const auto hostStart = Boats(atHost)[hostSlot];
    const auto guestStart = Boats(atGuest)[guestSlot];
    EXPECT_GT(Distance(hostStart, guestStart), 10.0) << "each starts at its own slot's start location";

    // Each lists the other's boat too, once that player's first state is in.
    const auto bothBoats = [](const Digest& d) { return Field(d, "screen") == "2" && Boats(d).size() == 2; };
    EXPECT_TRUE(bothBoats(atHost = WaitForDigest("host", host, bothBoats)));
    EXPECT_TRUE(bothBoats(atGuest = WaitForDigest("guest", guest, bothBoats)));
    EXPECT_TRUE(HasPlayers(atHost, "2"));
    EXPECT_TRUE(HasPlayers(atGuest, "2"));
    EXPECT_EQ(Field(atGuest, "net.host"), "0");
    // Both copies call each player by one name, the two names differ, and the line the joiner
    // typed at the start of the day and sent with Return reached the host under the joiner's name.
    const auto names = Players(atHost);
    EXPECT_EQ(names, Players(atGuest));
    ASSERT_EQ(names.size(), 2u);
    EXPECT_NE(names.at(hostSlot), names.at(guestSlot));
    EXPECT_NE(names.at(guestSlot).find("Casey"), std::string::npos) << names.at(guestSlot);
    EXPECT_NE(Field(atHost, "net.line").find(names.at(guestSlot) + ": Hello from the dock"), std::string::npos)
        << Field(atHost, "net.line");
    EXPECT_NE(Field(atGuest, "net.line").find("Hello from the dock"), std::string::npos) << "shown locally too";

    // Both drive off and coast to rest. Between records a remote boat runs on by dead
    // reckoning, so the two copies agree only once the boats rest and the last records are in:
    // poll until they do, within a few thousandths of a map cell.
    constexpr double kTolerance = 0.01;
    constexpr double kDriven = 0.2;
    const auto agree = [&]
    {
        atHost = ReadDigest(hostDigest);
        atGuest = ReadDigest(guestDigest);
        auto h = Boats(atHost), g = Boats(atGuest);
        return h.count(hostSlot) && h.count(guestSlot) && g.count(hostSlot) && g.count(guestSlot) &&
               Distance(h[hostSlot], hostStart) > kDriven && Distance(g[guestSlot], guestStart) > kDriven &&
               Distance(g[hostSlot], h[hostSlot]) <= kTolerance && Distance(h[guestSlot], g[guestSlot]) <= kTolerance;
    };
    WaitFor(agree, [&] { return host.Running() && guest.Running(); });
    auto h = Boats(atHost), g = Boats(atGuest);
    EXPECT_GT(Distance(h[hostSlot], hostStart), kDriven) << "the host's boat left its start";
    EXPECT_GT(Distance(g[guestSlot], guestStart), kDriven) << "the joiner's boat left its start";
    EXPECT_LE(Distance(g[hostSlot], h[hostSlot]), kTolerance) << "the joiner sees the host's boat where it is";
    EXPECT_LE(Distance(h[guestSlot], g[guestSlot]), kTolerance) << "the host sees the joiner's boat where it is";

    host.Kill();
    const int64_t framesAtKill = Frames(ReadDigest(guestDigest));
    seen = WaitForDigest("guest", guest,
                         [&](const Digest& d) { return HasPlayers(d, "1") && Boats(d).count(hostSlot) == 0; });
    EXPECT_TRUE(HasPlayers(seen, "1")) << "the joiner notices the lost host";
    EXPECT_EQ(Boats(seen).count(hostSlot), 0u) << "the lost player's boat leaves the lake";
    EXPECT_EQ(Boats(seen).count(guestSlot), 1u);
    EXPECT_EQ(Field(seen, "net.host"), "1");
    EXPECT_EQ(Field(seen, "screen"), "2");
    seen = WaitForDigest("guest", guest, [&](const Digest& d) { return Frames(d) > framesAtKill + 5; });
    EXPECT_TRUE(guest.Running()) << "the joiner goes on";
    EXPECT_GT(Frames(seen), framesAtKill + 5);
}

// Three copies on the start-of-day screen, the second joiner coming once the first is seated:
// before the day every copy lists all three players in the same slots under the same names
// (each copy takes its player's name after it joined), and the first joiner is told of the
// second.
TEST_F(NetScenarioTest, ThreeProcessesListEveryPlayerBeforeTheDay)
{
    const auto listsAll = [](const Digest& d)
    {
        const std::string names = Field(d, "net.player");
        return Field(d, "screen") == "19" && HasPlayers(d, "3") && names.find("Casey") != std::string::npos &&
               names.find("Drew") != std::string::npos;
    };

    GameProcess host = Launch("host", "--host", "net_table_host.script", "1780315200");
    ASSERT_TRUE(host.Started());
    ASSERT_EQ(Field(WaitForDigest("host", host, [](const Digest& d) { return Field(d, "screen") == "19"; }), "screen"),
              "19");
    GameProcess guest = Launch("guest", "--join", "net_table_join.script", "1780315200");
    ASSERT_TRUE(guest.Started());
    ASSERT_TRUE(HasPlayers(WaitForDigest("guest", guest, [](const Digest& d) { return HasPlayers(d, "2"); }), "2"));
    GameProcess late = Launch("late", "--join", "net_table_join_late.script", "1780315200");
    ASSERT_TRUE(late.Started());

    // The first joiner is told of the host as it came in and of the second joiner later. The
    // lines are posted apart from the player list, which may show the second joiner first.
    const auto joinLines = [](const Digest& d)
    {
        const std::string lines = Field(d, "net.line");
        size_t joined = 0;
        for (size_t at = lines.find(" has joined the game"); at != std::string::npos;
             at = lines.find(" has joined the game", at + 1))
            ++joined;
        return joined;
    };
    const Digest atHost = WaitForDigest("host", host, listsAll);
    const Digest atGuest =
        WaitForDigest("guest", guest, [&](const Digest& d) { return listsAll(d) && joinLines(d) >= 2; });
    const Digest atLate = WaitForDigest("late", late, listsAll);
    EXPECT_TRUE(listsAll(atHost));
    EXPECT_TRUE(listsAll(atGuest)) << "the first joiner lists the second";
    EXPECT_TRUE(listsAll(atLate));
    const auto names = Players(atHost);
    EXPECT_EQ(names.size(), 3u);
    EXPECT_EQ(Players(atGuest), names);
    EXPECT_EQ(Players(atLate), names);
    EXPECT_EQ(joinLines(atGuest), 2u) << Field(atGuest, "net.line");
}

// A one-day tournament for two players: each fishes its day, the weigh-in waits for both and
// both copies' results boards list the same anglers with the same catches, both players among
// them.
TEST_F(NetScenarioTest, TwoProcessesPlayAOneDayTournamentToOneResultsBoard)
{
    // Seeded: each copy's fish, and so the moment its strike comes, are the same on every run;
    // these strike early, for the day's frames on both copies are most of the scenario's time.
    GameProcess host = Launch("host", "--host", "net_tournament_host.script", "1780315200", "7");
    ASSERT_TRUE(HostReachesDayStart(host));
    GameProcess guest = Launch("guest", "--join", "net_tournament_join.script", "1780401600", "2");
    ASSERT_TRUE(guest.Started());

    const std::string standings = OneResultsBoard(host, guest);
    // A final's field of five: both players and three computer anglers.
    EXPECT_EQ(std::count(standings.begin(), standings.end(), '|'), 4) << standings;
    // Each human player kept a fish on its own copy: both boards weigh it under its name.
    std::set<std::string> weighed;
    std::istringstream rows(standings);
    std::string row;
    while (std::getline(rows, row, '|'))
    {
        std::istringstream words(row);
        double total = 0.0;
        int32_t fish = 0;
        std::string name;
        if (words >> total >> fish && std::getline(words >> std::ws, name) && fish >= 1 && total > 0.0)
            weighed.insert(name);
    }
    for (const char* name : {"AnglerAngler", "AnglerCasey"})
        EXPECT_EQ(weighed.count(name), 1u) << name << " with a fish in " << standings;
}

// A one-day tournament that ends while the joiner looks at the travel map: the day's end takes it
// from the map to the weigh-in, as the lake would, and both copies reach one results board.
TEST_F(NetScenarioTest, TheDaysEndTakesAPlayerFromTheTravelMapToTheResults)
{
    GameProcess host = Launch("host", "--host", "net_map_day_host.script", "1780315200", "7");
    ASSERT_TRUE(HostReachesDayStart(host));
    GameProcess guest = Launch("guest", "--join", "net_map_day_join.script", "1780401600", "8");
    ASSERT_TRUE(guest.Started());

    const Digest onMap = WaitForDigest(
        "guest", guest, [](const Digest& d) { return Field(d, "screen") == "12"; }, "map");
    ASSERT_EQ(Field(onMap, "screen"), "12") << "the joiner opens the travel map";
    // The joiner's day ended on the map: its weigh-in has the results too.
    const std::string standings = OneResultsBoard(host, guest);
    for (const char* name : {"AnglerAngler", "AnglerCasey"})
        EXPECT_NE(standings.find(name), std::string::npos) << name << " in " << standings;
}

// A headless copy told to join where no game answers, or to host where another socket holds the
// port (one the test holds and never answers on), says so once on standard error and ends with
// exit code 1, on the frame its session failed: a host that could not host would go on to a day
// that waits for players for good.
TEST_F(NetScenarioTest, AHeadlessSessionThatCannotOpenEndsWithItsMessage)
{
    uint16_t port = 0;
    const int held = BindLoopback(port);
    ASSERT_GE(held, 0);
    const std::string address = "127.0.0.1:" + std::to_string(port);
    const struct
    {
        const char* flag;
        std::string reason;
    } rows[] = {{"--join", "No game was found at " + address + "."}, {"--host", "Could not create session."}};
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.flag);
        const std::string who = std::string("copy") + (row.flag + 2);
        GameProcess copy({"--headless", "--data", TARNHOLM_DATA, "--user-dir", m_dir.File(who), "--screen", "5",
                          row.flag, address, "--frames", "300", "--digest", m_dir.File(who + ".txt")},
                         m_dir.File(who + ".log"));
        ASSERT_TRUE(copy.Started());
        WaitFor([&] { return !copy.Running(); });
        EXPECT_EQ(copy.ExitCode(), 1);
        std::ifstream log(m_dir.File(who + ".log"));
        const std::string said((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
        EXPECT_NE(said.find("tarnholm: " + row.reason + "\n"), std::string::npos) << said;
        EXPECT_EQ(said.find(row.reason), said.rfind(row.reason)) << said;
        // The live digest of its last frame: the run did not go on to its frame count.
        const std::string frames = Field(ReadDigest(m_dir.File(who + ".txt")), "frames");
        ASSERT_FALSE(frames.empty());
        EXPECT_LT(std::stoi(frames), 10);
    }
    close(held);
}

// A two-day tournament for three copies, in which the players who keep no fish on day 1 are cut
// (the computer anglers' catches come from the host's calendar, the players' fish from their
// seeds). A cut copy stays in the session on the start-of-day wait, holding no one: the copies
// that advance play day 2 to the final, whose board every copy shows alike, without the cut.
// Each copy then goes on to the main menu.
class NetCutScenarioTest : public NetScenarioTest
{
protected:
    struct Copy
    {
        const char* who;
        const char* flag;
        const char* script;
        const char* seed;
        const char* name;
        // Outside the first five of day 1.
        bool cut;
    };

    void PlayTwoDays(const Copy& host, const Copy& guest, const Copy& late)
    {
        // A copy that stands on one screen for good ends here. A copy's own clock runs a day out
        // in 3000 frames (600 s at 200 ms a frame) while a loaded host may not have ended it yet:
        // each of the two days may take that long.
        constexpr const char* kFrames = "9000";
        GameProcess hostRun = Launch(host.who, host.flag, host.script, "1780315200", host.seed, kFrames);
        ASSERT_TRUE(HostReachesDayStart(hostRun));
        GameProcess guestRun = Launch(guest.who, guest.flag, guest.script, "1780315200", guest.seed, kFrames);
        ASSERT_TRUE(
            HasPlayers(WaitForDigest("guest", guestRun, [](const Digest& d) { return HasPlayers(d, "2"); }), "2"));
        GameProcess lateRun = Launch(late.who, late.flag, late.script, "1780315200", late.seed, kFrames);

        std::vector<std::pair<const Copy*, GameProcess*>> copies = {
            {&host, &hostRun}, {&guest, &guestRun}, {&late, &lateRun}};
        // Every copy, the final's board behind it, stands on the main menu of its own accord.
        ASSERT_TRUE(EndOnTheMainMenu({{host.who, &hostRun}, {guest.who, &guestRun}, {late.who, &lateRun}}));

        // Day 1: one board on every copy; its first five go on.
        const auto digest = [this](const Copy& copy, const char* kept)
        { return ReadDigest(m_dir.File(std::string(copy.who) + ".txt." + kept)); };
        const std::vector<std::string> dayOne = StandingNames(digest(host, "day1"));
        ASSERT_EQ(dayOne.size(), 10u);
        const std::set<std::string> finalists(dayOne.begin(), dayOne.begin() + 5);
        std::string finalBoard;
        for (const auto& [copy, process] : copies)
        {
            SCOPED_TRACE(copy->who);
            EXPECT_EQ(StandingNames(digest(*copy, "day1")), dayOne);
            const bool cut = finalists.count(copy->name) == 0;
            ASSERT_EQ(cut, copy->cut) << "day 1 as the case plays it";
            // After day 1's board: the cut copy on its wait, every copy's standings the next
            // day's field alone.
            const Digest next = digest(*copy, "next");
            if (cut)
            {
                EXPECT_EQ(Field(next, "screen"), "19") << "the cut waits on the start of the day";
            }
            const std::vector<std::string> field = StandingNames(next);
            EXPECT_EQ(std::set<std::string>(field.begin(), field.end()), finalists);
            // The final's board: the same rows on every copy, the cut players' not among them.
            const Digest board = digest(*copy, "board");
            EXPECT_EQ(Field(board, "weigh_in.results"), "1");
            const std::vector<std::string> finalNames = StandingNames(board);
            EXPECT_EQ(std::set<std::string>(finalNames.begin(), finalNames.end()), finalists);
            if (finalBoard.empty())
                finalBoard = Field(board, "save.standing");
            EXPECT_EQ(Field(board, "save.standing"), finalBoard);
        }
        // Honest copies ask the host for its parameters within their share: no flood is told.
        for (const auto& [copy, process] : copies)
        {
            std::ifstream in(m_dir.File(std::string(copy->who) + ".log"));
            const std::string output((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            EXPECT_EQ(output.find("asks for the parameters"), std::string::npos) << copy->who;
        }
    }
};

// The host keeps no fish and is cut, as is Drew; Casey alone goes on to the final. Casey's seed
// brings its strike early: day 1 on three copies is most of the scenario's time.
TEST_F(NetCutScenarioTest, AHostCutFromTheFieldHoldsNoOneToTheFinal)
{
    PlayTwoDays({"host", "--host", "net_cut_host_idle.script", "3", "AnglerAngler", true},
                {"guest", "--join", "net_cut_join.script", "2", "AnglerCasey", false},
                {"late", "--join", "net_cut_join_idle.script", "9", "AnglerDrew", true});
}

// The host alone keeps a fish and goes on, whatever it lands; Casey and Drew are cut and wait
// out the final.
TEST_F(NetCutScenarioTest, AJoinerCutFromTheFieldHoldsNoOneToTheFinal)
{
    PlayTwoDays({"host", "--host", "net_cut_host_fish.script", "6", "AnglerAngler", false},
                {"guest", "--join", "net_cut_join_idle_casey.script", "8", "AnglerCasey", true},
                {"late", "--join", "net_cut_join_idle.script", "9", "AnglerDrew", true});
}

} // namespace
