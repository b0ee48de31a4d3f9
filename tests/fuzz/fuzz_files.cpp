#include "fuzz_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "fuzz_check.h"

namespace {

std::string g_folder;     // the run's own folder
std::string g_inputPath;  // the level file of the current input
size_t g_nameLength;      // the length of its name, the longest the folder allows

// Removes whatever the folder holds, then the folder.
void RemoveFuzzFiles()
{
    DIR* dir = opendir(g_folder.c_str());
    if (dir) {
        while (struct dirent* entry = readdir(dir)) {
            if (strcmp(entry->d_name, ".") != 0 && strcmp(entry->d_name, "..") != 0)
                unlink((g_folder + "/" + entry->d_name).c_str());
        }
        closedir(dir);
    }
    rmdir(g_folder.c_str());
}

}  // namespace

void PrepareFuzzFiles()
{
    struct stat info;
    std::string base = stat("/dev/shm", &info) == 0 && S_ISDIR(info.st_mode) ? "/dev/shm" : "/tmp";
    std::string pattern = base + "/qm-fuzz-XXXXXX";
    FUZZ_CHECK(mkdtemp(&pattern[0]) != nullptr, "cannot make a folder for the fuzz files in %s", base.c_str());
    g_folder = pattern;
    long longest = pathconf(g_folder.c_str(), _PC_NAME_MAX);
    g_nameLength = longest > 4 && longest < 4096 ? static_cast<size_t>(longest) : 255;
    g_inputPath = g_folder + "/" + std::string(g_nameLength - 4, 'n') + ".vrk";
    atexit(RemoveFuzzFiles);
}

const char* WriteFuzzInput(const uint8_t* data, size_t size)
{
    int fd = open(g_inputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    FUZZ_CHECK(fd >= 0, "cannot create %s", g_inputPath.c_str());
    size_t done = 0;
    while (done < size) {
        ssize_t put = write(fd, data + done, size - done);
        FUZZ_CHECK(put > 0, "cannot write %s", g_inputPath.c_str());
        done += static_cast<size_t>(put);
    }
    close(fd);
    return g_inputPath.c_str();
}

size_t FuzzInputNameLength()
{
    return g_nameLength;
}

int CountFuzzFiles()
{
    DIR* dir = opendir(g_folder.c_str());
    FUZZ_CHECK(dir != nullptr, "cannot list %s", g_folder.c_str());
    int count = 0;
    while (struct dirent* entry = readdir(dir))
        count += strcmp(entry->d_name, ".") != 0 && strcmp(entry->d_name, "..") != 0 ? 1 : 0;
    closedir(dir);
    return count;
}

std::string ReadWholeFile(const char* path)
{
    std::string bytes;
    FILE* file = fopen(path, "rb");
    if (!file)
        return bytes;
    char chunk[4096];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.append(chunk, got);
    fclose(file);
    return bytes;
}
