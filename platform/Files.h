#pragma once
// Whole-file binary input and output. Paths are native here; Path.h turns names written
// on Windows into native paths.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace plat
{

// False when the file cannot be opened or read, or holds more than maxSize bytes (refused
// before anything is read); out is then empty.
bool ReadFile(const std::string& path, std::vector<uint8_t>& out, uint64_t maxSize = UINT64_MAX);
// Creates or truncates the file. False when it cannot be opened or fully written.
bool WriteFile(const std::string& path, const void* data, size_t size);
bool FileExists(const std::string& path);

} // namespace plat
