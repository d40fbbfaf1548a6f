#include "data/DiskWrite.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <cstdint>
#else
#include <unistd.h>
#endif

bool FlushToDisk(std::FILE* file) {
    if (file == nullptr || std::fflush(file) != 0 || std::ferror(file) != 0)
        return false;
#ifdef _WIN32
    const std::intptr_t handle = _get_osfhandle(_fileno(file));
    if (handle == -1)
        return false;
    if (!FlushFileBuffers(reinterpret_cast<HANDLE>(handle))) {
        errno = GetLastError() == ERROR_DISK_FULL ? ENOSPC : EIO;
        return false;
    }
    return true;
#else
    return fsync(fileno(file)) == 0;
#endif
}
