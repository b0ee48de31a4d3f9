// POSIX file layer: open/fstat/read/write/fsync/rename.
#include "file_layer.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

namespace {

long RefuseRead(FileReadInfo* info, bool notRegular, int error)
{
    if (info) {
        info->notRegular = notRegular;
        info->reason = notRegular ? "not a regular file" : strerror(error);
    }
    return -1;
}

bool WriteAll(int fd, const unsigned char* data, size_t size)
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
int CreateTemporaryBeside(const char* path, std::string* tempPath)
{
    for (int attempt = 0; attempt < 100; attempt++) {
        *tempPath = TemporaryNameBeside(path, attempt, PATH_MAX - 1, NAME_MAX, "/");
        int fd = open(tempPath->c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// The file a save replaces: path itself, or, where path is a symbolic link,
// the file at the end of its links, so the link stays and the level it
// points at gets the new contents. False for a loop of links.
bool ResolveSaveTarget(const char* path, std::string* target)
{
    *target = path;
    for (int hop = 0; hop < 40; hop++) {
        struct stat info;
        if (lstat(target->c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return true;
        char link[PATH_MAX];
        ssize_t length = readlink(target->c_str(), link, sizeof link);
        if (length <= 0 || static_cast<size_t>(length) == sizeof link)
            return false;
        std::string next(link, static_cast<size_t>(length));
        size_t slash = target->find_last_of('/');
        if (next[0] != '/' && slash != std::string::npos)
            next = target->substr(0, slash + 1) + next;
        *target = next;
    }
    return false;
}

// An existing target is replaced only when it is a regular file the caller
// may write. Root passes every permission check, so for root the mode bits
// decide: a level that nobody may write (chmod a-w) is kept. errno says why
// not.
bool MayReplace(const std::string& target, struct stat* old, bool* exists)
{
    *exists = stat(target.c_str(), old) == 0;
    if (!*exists)
        return errno == ENOENT;
    if (!S_ISREG(old->st_mode)) {
        errno = S_ISDIR(old->st_mode) ? EISDIR : EINVAL;
        return false;
    }
    if (geteuid() == 0) {
        errno = EACCES;
        return (old->st_mode & 0222) != 0;
    }
    return faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) == 0;
}

int RefuseWrite(std::string* reason, int error)
{
    if (reason)
        *reason = error == EINVAL ? "not a regular file" : strerror(error);
    return -1;
}

}  // namespace

long ReadFilePrefix(const char* path, unsigned char* buffer, size_t capacity, FileReadInfo* info)
{
    if (info)
        *info = FileReadInfo{0, false, ""};
    // Without O_NONBLOCK, opening a FIFO waits for a writer that may never come.
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return RefuseRead(info, false, errno);
    struct stat file;
    if (fstat(fd, &file) != 0) {
        int error = errno;
        close(fd);
        return RefuseRead(info, false, error);
    }
    if (!S_ISREG(file.st_mode)) {
        close(fd);
        return RefuseRead(info, true, 0);
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    size_t total = 0;
    while (total < capacity) {
        ssize_t got = read(fd, buffer + total, capacity - total);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            int error = errno;
            close(fd);
            return RefuseRead(info, false, error);
        }
        if (got == 0)
            break;
        total += static_cast<size_t>(got);
    }
    close(fd);
    if (info) {
        // A read that stopped short reached the end, whatever fstat said.
        uint64_t statSize = static_cast<uint64_t>(file.st_size);
        info->size = total < capacity || statSize < total ? total : statSize;
    }
    return static_cast<long>(total);
}

int ReplaceFileContents(const char* path, const unsigned char* data, size_t size, std::string* reason)
{
    std::string target;
    struct stat old;
    bool exists = false;
    if (!ResolveSaveTarget(path, &target))
        return RefuseWrite(reason, ELOOP);
    if (!MayReplace(target, &old, &exists))
        return RefuseWrite(reason, errno);

    // A step the tests make fail fails as a disk that stopped answering.
    FileStep fault = GetFileFault();
    std::string tempPath;
    int fd = fault == FILE_STEP_CREATE ? -1 : CreateTemporaryBeside(target.c_str(), &tempPath);
    if (fd < 0)
        return RefuseWrite(reason, fault == FILE_STEP_CREATE ? EIO : errno);

    // Keep the permissions of the file being replaced.
    if (exists)
        fchmod(fd, old.st_mode & 07777);

    // The first step that fails gives the reason; the file is closed either way.
    int error = 0;
    if (fault == FILE_STEP_WRITE || !WriteAll(fd, data, size))
        error = fault == FILE_STEP_WRITE ? EIO : errno;
    else if (fault == FILE_STEP_FLUSH || fsync(fd) != 0)
        error = fault == FILE_STEP_FLUSH ? EIO : errno;
    if ((close(fd) != 0 || fault == FILE_STEP_CLOSE) && !error)
        error = fault == FILE_STEP_CLOSE ? EIO : errno;
    if (!error && (fault == FILE_STEP_REPLACE || rename(tempPath.c_str(), target.c_str()) != 0))
        error = fault == FILE_STEP_REPLACE ? EIO : errno;
    if (error) {
        unlink(tempPath.c_str());
        return RefuseWrite(reason, error);
    }
    return 0;
}

bool IsSameFile(const char* a, const char* b)
{
    struct stat first, second;
    return stat(a, &first) == 0 && stat(b, &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}
