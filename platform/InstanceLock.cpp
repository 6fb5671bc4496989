#include "InstanceLock.h"

#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace plat
{

InstanceLock::~InstanceLock()
{
    Release();
}

bool InstanceLock::Acquire(const std::string& folder, const std::string& name)
{
    Release();
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    const std::string path = folder + "/" + name + ".lock";
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    // The lock belongs to this open file: a second holder, even in this process, is refused.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0)
    {
        close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

void InstanceLock::Release()
{
    if (m_fd < 0)
        return;
    // The file stays: removing it would let a third start lock a new file while the second
    // still holds the old one.
    flock(m_fd, LOCK_UN);
    close(m_fd);
    m_fd = -1;
}

} // namespace plat
