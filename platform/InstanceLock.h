#pragma once
// Keeps a second copy of the program from running on the same user folder: an exclusive
// lock on a file in that folder, held until released or the process ends (the system drops
// it then, even after a crash).

#include <string>

namespace plat
{

class InstanceLock
{
public:
    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Creates the folder when missing and locks "<folder>/<name>.lock". False when another
    // holder has it (in this or another process) or the file cannot be made.
    bool Acquire(const std::string& folder, const std::string& name);
    void Release();
    bool Held() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

} // namespace plat
