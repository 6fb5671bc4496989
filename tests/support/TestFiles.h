#pragma once
// Paths for tests: a fresh temporary folder per test, and the source and build trees.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace testfiles
{

// A new empty folder under the system's temporary folder, removed by the returned guard.
class TempDir
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

// The repository root and the build folder (from the environment CTest sets).
std::string SourceDir();
std::string BinaryDir();
// The generated sample data tree.
std::string DataDir();

// A whole file's bytes, empty when it cannot be read; and writing them back over it.
std::vector<uint8_t> ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
// A damaged copy of a file's bytes: cut at a drawn offset on even trials, eight bytes from it
// overwritten with drawn values on odd ones. pick(lo, hi) draws a whole number in lo..hi.
std::vector<uint8_t> DamagedCopy(const std::vector<uint8_t>& good, int trial,
                                 const std::function<int32_t(int32_t, int32_t)>& pick);

} // namespace testfiles
