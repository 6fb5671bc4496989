#pragma once
// What the network tournament scenarios write of their copies' scripts: lines one frame apart, the
// clicks and chat lines of the menus, the first game's road to the lake and its days' ends, and a
// fixture that launches a copy on a script file or on a script it writes.

#include "GameProcesses.h"

#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

// Script lines one frame apart from `frame` on; a wait holds them, and later lines keep their distance.
class ScriptText
{
public:
    explicit ScriptText(int frame) : m_frame(frame) {}
    ScriptText& operator<<(const std::string& lines)
    {
        std::istringstream in(lines);
        for (std::string line; std::getline(in, line);)
            m_text << m_frame++ << ' ' << line << '\n';
        return *this;
    }
    // A script's lines from frame `from` on, shifted to follow; they keep their distances.
    ScriptText& Follow(const std::string& script, int from)
    {
        std::istringstream in(script);
        int shift = 0;
        bool first = true;
        for (std::string line; std::getline(in, line);)
        {
            std::istringstream words(line);
            int frame = 0;
            std::string rest;
            if (!(words >> frame) || frame < from || !std::getline(words >> std::ws, rest))
                continue;
            if (first)
                shift = m_frame - frame;
            first = false;
            m_text << frame + shift << ' ' << rest << '\n';
            m_frame = frame + shift + 1;
        }
        return *this;
    }
    std::string Text() const { return m_text.str(); }

private:
    int m_frame;
    std::ostringstream m_text;
};

inline std::string Click(int x, int y)
{
    return "move " + std::to_string(x) + " " + std::to_string(y) + "\nbutton 0 down\nbutton 0 up\n";
}

inline std::string Say(const char* text)
{
    return std::string("key T down\nkey T up\ntext ") + text + "\nkey Return down\nkey Return up\n";
}

// The first game's road to the lake: TOURNAMENT on the game select, a new profile of the typed
// name, the set-up's Accept; a joiner presses Start once all three are in the session.
inline std::string FirstGameStart(const std::string& typed)
{
    return "5 move 531 311\n6 button 0 down\n7 button 0 up\n20 move 90 40\n21 button 0 down\n22 button 0 up\n"
           "30 text " +
           typed +
           "\n35 move 500 285\n36 button 0 down\n37 button 0 up\n"
           "50 move 170 442\n51 button 0 down\n52 button 0 up\n"
           "70 move 170 442\n71 button 0 down\n72 button 0 up\n";
}

// A game's end on every copy, game `game` of `days` days: each earlier day's board kept (dayN) and
// clicked, the next day run out, the final's board kept (boardN), a click, the main menu kept (endN).
inline std::string Final(int game, int days = 2)
{
    const std::string n = std::to_string(game);
    const std::string weighIn = "wait screen 10\nstep 500\nwait weigh_in.results 1\n";
    std::string text;
    for (int day = 1; day < days; ++day)
        text += weighIn + "keep day" + n + "\n" + Click(320, 300) + "wait weigh_in.results 0\nstep 1700000\n";
    return text + weighIn + "keep board" + n + "\n" + Click(320, 300) + "wait screen 8\nkeep end" + n + "\nstep 200\n";
}

// The host's day: the others' boats on its lake, then the day run out.
inline std::string HostDay()
{
    return "wait screen 2\nwait net.boat 1 *\nwait net.boat 2 *\nstep 1700000\n";
}

// From the main menu after a final to the next game's start: PLAY GAME, TOURNAMENT, the profile
// kept, the set-up's Accept. `atGameSelect` goes on the game select before its TOURNAMENT,
// `atProfiles` on the profiles screen before its Accept.
inline std::string NextGameStart(const std::string& atGameSelect = "", const std::string& atProfiles = "")
{
    return Click(520, 109) + "wait screen 1\n" + atGameSelect + Click(531, 311) + "wait screen 5\n" + atProfiles +
           Click(170, 442) + "wait screen 4\n" + Click(170, 442) + "wait screen 19\n";
}

// A multi-copy scenario whose copies play a script file of the scripts' folder or one it writes.
class NetGameScenario : public MultiCopyScenario
{
protected:
    std::unique_ptr<GameProcess> Launch(const std::string& who, const char* flag, const std::string& script,
                                        const char* seed)
    {
        std::vector<std::string> args = CopyArgs(who, flag, script);
        args.insert(args.end(), {"--seed", seed});
        return std::make_unique<GameProcess>(args, m_dir.File(who + ".log"));
    }
    // The copy plays `text`, written into the scenario's folder.
    std::unique_ptr<GameProcess> LaunchWritten(const std::string& who, const char* flag, const std::string& text,
                                               const char* seed)
    {
        const std::string path = m_dir.File(who + ".script");
        std::ofstream(path) << text;
        std::vector<std::string> args = CopyArgs(who, flag, who + ".script");
        for (size_t i = 0; i + 1 < args.size(); ++i)
            if (args[i] == "--script")
                args[i + 1] = path;
        args.insert(args.end(), {"--seed", seed});
        return std::make_unique<GameProcess>(args, m_dir.File(who + ".log"));
    }
    std::string Log(const std::string& who) const
    {
        std::ifstream in(m_dir.File(who + ".log"));
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    // A script file of the scripts' folder.
    static std::string ScriptFile(const std::string& name)
    {
        std::ifstream in(std::string(TARNHOLM_SCRIPTS) + "/" + name);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    // Nobody refused, and honest copies stay within every share.
    void ExpectNoRefusalOrShareLine(const std::vector<std::string>& copies) const
    {
        for (const std::string& who : copies)
        {
            SCOPED_TRACE(who);
            const std::string log = Log(who);
            for (const char* line : {"The game has already begun.", "sends more of one kind", "asks for the parameters",
                                     "turned this player away"})
                EXPECT_EQ(log.find(line), std::string::npos) << line;
        }
    }
};
