#include "ReadOnlyFile.h"

#include "Path.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace plat
{

ReadOnlyFile::~ReadOnlyFile()
{
    Close();
}

bool ReadOnlyFile::Open(const std::string& path)
{
    Close();
    const auto found = FindPathCaseInsensitive(NativePath(path), PathKind::kFile);
    if (!found)
        return false;
    const int fd = ::open(found->c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info = {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
    {
        ::close(fd);
        return false;
    }
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    m_fd = fd;
    m_size = static_cast<uint64_t>(info.st_size);
    return true;
}

void ReadOnlyFile::Close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_size = 0;
}

bool ReadOnlyFile::ReadAt(uint64_t offset, void* out, size_t size) const
{
    if (m_fd < 0 || offset > m_size || size > m_size - offset)
        return false;
    auto* bytes = static_cast<uint8_t*>(out);
    while (size > 0)
    {
        const ssize_t got = ::pread(m_fd, bytes, size, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        bytes += got;
        offset += static_cast<uint64_t>(got);
        size -= static_cast<size_t>(got);
    }
    return true;
}

} // namespace plat
