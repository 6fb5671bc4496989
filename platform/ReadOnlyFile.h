#pragma once
// A file read at explicit positions: several threads may read one open file without sharing
// a file position.

#include <cstddef>
#include <cstdint>
#include <string>

namespace plat
{

class ReadOnlyFile
{
public:
    ReadOnlyFile() = default;
    ~ReadOnlyFile();
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    // Opens an existing file (the path is native, found regardless of letter case).
    bool Open(const std::string& path);
    void Close();
    bool IsOpen() const { return m_fd >= 0; }
    uint64_t Size() const { return m_size; }
    // Reads exactly size bytes at offset; false on a short or failed read.
    bool ReadAt(uint64_t offset, void* out, size_t size) const;

private:
    int m_fd = -1;
    uint64_t m_size = 0;
};

} // namespace plat
