#include "DebugOutput.h"

#include <atomic>
#include <cstdio>
#include <cstring>

namespace plat
{

namespace
{

StderrDebugSink& DefaultSink()
{
    // Never destroyed, so late lines from static destructors still have somewhere to go.
    static auto* sink = new StderrDebugSink;
    return *sink;
}

std::atomic<DebugSink*> g_sink{nullptr};

} // namespace

void StderrDebugSink::Write(const char* line)
{
    const size_t length = std::strlen(line);
    // One call per line keeps lines from two threads whole.
    if (length > 0 && line[length - 1] == '\n')
        std::fputs(line, stderr);
    else
        std::fprintf(stderr, "%s\n", line);
}

void RecordingDebugSink::Write(const char* line)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_lines.emplace_back(line);
}

std::vector<std::string> RecordingDebugSink::Lines() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_lines;
}

void RecordingDebugSink::Clear()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_lines.clear();
}

void SetDebugSink(DebugSink* sink)
{
    g_sink.store(sink, std::memory_order_release);
}

DebugSink& GetDebugSink()
{
    DebugSink* sink = g_sink.load(std::memory_order_acquire);
    return sink ? *sink : DefaultSink();
}

void DebugOutput(const char* line)
{
    if (line != nullptr)
        GetDebugSink().Write(line);
}

} // namespace plat
