#pragma once
// The debugger-output channel: one line of diagnostics that the program never shows to the
// player. Start-up or a test installs the sink; without one, lines go to stderr.

#include <mutex>
#include <string>
#include <vector>

namespace plat
{

class DebugSink
{
public:
    virtual ~DebugSink() = default;
    // Called from any thread; a sink serialises its own writes.
    virtual void Write(const char* line) = 0;
};

// Writes each line to stderr, adding the line feed when the text lacks one.
class StderrDebugSink : public DebugSink
{
public:
    void Write(const char* line) override;
};

// Keeps the lines as written, for tests and the headless harness.
class RecordingDebugSink : public DebugSink
{
public:
    void Write(const char* line) override;
    std::vector<std::string> Lines() const;
    void Clear();

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_lines;
};

// Borrowed: the sink must outlive its installation. Null puts the stderr sink back.
void SetDebugSink(DebugSink* sink);
DebugSink& GetDebugSink();

// A null line is ignored.
void DebugOutput(const char* line);

} // namespace plat
