#include "fuzz_files.h"

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include "fuzz_check.h"

namespace {

std::string g_folder;      // the run's own folder
std::string g_inputPath;   // the input of the current run, as a file
std::string g_savePath;    // where the level is saved

void RemoveFuzzFiles()
{
    unlink(g_inputPath.c_str());
    unlink(g_savePath.c_str());
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
    g_inputPath = g_folder + "/input.vrk";
    g_savePath = g_folder + "/saved.vrk";
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

const char* FuzzSavePath()
{
    return g_savePath.c_str();
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
