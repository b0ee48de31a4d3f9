// POSIX file layer: open/read/write/fsync/rename.
#include "file_layer.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

long ReadFilePrefix(const char* path, unsigned char* buffer, size_t capacity)
{
    int fd = open(path, O_RDONLY);
    if (fd < 0)
        return -1;
    size_t total = 0;
    while (total < capacity) {
        ssize_t got = read(fd, buffer + total, capacity - total);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            close(fd);
            return -1;
        }
        if (got == 0)
            break;
        total += static_cast<size_t>(got);
    }
    close(fd);
    return static_cast<long>(total);
}

static bool WriteAll(int fd, const unsigned char* data, size_t size)
{
    while (size > 0) {
        ssize_t put = write(fd, data, size);
        if (put < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += put;
        size -= static_cast<size_t>(put);
    }
    return true;
}

// A name beside the target that no file has yet, so the new file never
// replaces anything before it is complete.
static int CreateTemporaryBeside(const char* path, std::string* tempPath)
{
    for (int attempt = 0; attempt < 100; attempt++) {
        *tempPath = TemporaryNameBeside(path, attempt, PATH_MAX - 1, NAME_MAX, "/");
        int fd = open(tempPath->c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

int ReplaceFileContents(const char* path, const unsigned char* data, size_t size)
{
    FileStep fault = GetFileFault();
    std::string tempPath;
    int fd = fault == FILE_STEP_CREATE ? -1 : CreateTemporaryBeside(path, &tempPath);
    if (fd < 0)
        return -1;

    // Keep the permissions of the file being replaced.
    struct stat old;
    if (stat(path, &old) == 0)
        fchmod(fd, old.st_mode & 07777);

    bool ok = fault != FILE_STEP_WRITE && WriteAll(fd, data, size);
    ok = ok && fault != FILE_STEP_FLUSH && fsync(fd) == 0;
    bool closed = close(fd) == 0 && fault != FILE_STEP_CLOSE;
    ok = ok && closed;
    ok = ok && fault != FILE_STEP_REPLACE && rename(tempPath.c_str(), path) == 0;
    if (!ok) {
        unlink(tempPath.c_str());
        return -1;
    }
    return 0;
}
