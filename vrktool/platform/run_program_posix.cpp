#include "platform.h"

#include <dirent.h>
#include <errno.h>
#include <stdio.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

namespace {

// The program's whole path from PATH's absolute entries only: an empty or
// relative entry would run whatever the current folder holds by that name.
std::string FindOnPath(const std::string& name)
{
    const char* path = getenv("PATH");
    std::string entries = path ? path : "";
    size_t start = 0;
    for (;;) {
        size_t end = entries.find(':', start);
        std::string entry = entries.substr(start, end == std::string::npos ? std::string::npos : end - start);
        struct stat info;
        std::string candidate = entry + "/" + name;
        if (!entry.empty() && entry[0] == '/' && stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            access(candidate.c_str(), X_OK) == 0)
            return candidate;
        if (end == std::string::npos)
            return "";
        start = end + 1;
    }
}

}  // namespace

int RunProgram(const std::vector<std::string>& args, std::string* output)
{
    output->clear();
    std::string program = args.empty() ? "" : FindOnPath(args[0]);
    int fds[2];
    if (program.empty() || pipe(fds) != 0)
        return -1;
    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    pid_t child = fork();
    if (child < 0) {
        close(fds[0]);
        close(fds[1]);
        return -1;
    }
    if (child == 0) {
        dup2(fds[1], STDOUT_FILENO);
        close(fds[0]);
        close(fds[1]);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(fds[1]);
    char chunk[4096];
    for (;;) {
        ssize_t got = read(fds[0], chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        output->append(chunk, static_cast<size_t>(got));
    }
    close(fds[0]);
    int status;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) == 127)
        return -1;
    return WEXITSTATUS(status);
}

std::string GetToolPath()
{
    char path[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0)
        return "";
    return std::string(path, static_cast<size_t>(length));
}

bool PathExists(const std::string& path)
{
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
}

bool MakeFolder(const std::string& path)
{
    struct stat info;
    return mkdir(path.c_str(), 0777) == 0 || (stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode));
}

void MakeExecutable(const std::string& path)
{
    struct stat info;
    if (stat(path.c_str(), &info) == 0)
        chmod(path.c_str(), (info.st_mode & 07777) | ((info.st_mode & 0444) >> 2));
}

bool ListFolderNames(const std::string& folder, std::vector<std::string>* names)
{
    names->clear();
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return false;
    while (struct dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        struct stat info;
        bool folderEntry = lstat((folder + "/" + name).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
        names->push_back(folderEntry ? name + "/" : name);
    }
    closedir(dir);
    return true;
}

bool RemoveFile(const std::string& path)
{
    return unlink(path.c_str()) == 0 || errno == ENOENT;
}
