// The few file operations the level reader and writer need. One
// implementation uses the Win32 file calls, the other POSIX.
#ifndef QUILLMARCH_FILE_LAYER_H
#define QUILLMARCH_FILE_LAYER_H

#include <stddef.h>
#include <stdint.h>

#include <string>

// What a read learnt about the file besides its first bytes.
struct FileReadInfo {
    uint64_t size;       // the whole file's size, which may pass the capacity
    bool notRegular;     // refused as a folder, a device, a pipe or the like
    std::string reason;  // why the read failed, for messages
};

// Reads at most capacity bytes from the start of a regular file. Returns the
// count read (fewer when the file is shorter), or -1 when the file cannot be
// opened or read or is not a regular file. The file is opened without
// waiting, so a pipe that nobody writes to is refused rather than waited on.
// info, when given, is filled in either way.
long ReadFilePrefix(const char* path, unsigned char* buffer, size_t capacity, FileReadInfo* info = nullptr);

// Writes data to a new file beside path, flushes it and then moves it over
// path. Returns 0, or -1 after removing the new file; path is then exactly
// as it was. An existing target that is not a regular file, or that the
// caller may not write (a level protected with chmod a-w or the read-only
// attribute), is refused before anything is written. Where path is a
// symbolic link, the file it points at is replaced and the link kept. Other
// hard links to the old file keep the old contents: the save replaces the
// name, never the old file's bytes, so no name can be left half-written.
// reason, when given, receives the system's words for a failure.
int ReplaceFileContents(const char* path, const unsigned char* data, size_t size, std::string* reason = nullptr);

// Whether two names reach the same existing file however they are written
// (another spelling of the folder, a symbolic or hard link, another case
// where the system ignores case): the same device and file number, or on
// Windows the same volume and file index. False when either is missing.
bool IsSameFile(const char* a, const char* b);

// The steps of ReplaceFileContents, for tests that make one of them fail.
enum FileStep {
    FILE_STEP_NONE = 0,
    FILE_STEP_CREATE,
    FILE_STEP_WRITE,
    FILE_STEP_FLUSH,
    FILE_STEP_CLOSE,
    FILE_STEP_REPLACE
};

// Makes the given step of the next saves fail as though the system had
// refused it; FILE_STEP_NONE turns this off.
void SetFileFault(FileStep step);
FileStep GetFileFault();

// The name of the new file a save writes beside path: path with ".~qmN"
// added, or, where that would pass the system's limit on a whole path or on
// one name, with the suffix in place of the end of the name, so that any
// level the system can name can also be saved.
std::string TemporaryNameBeside(const std::string& path, int attempt, size_t pathLimit,
                                size_t nameLimit, const char* separators);

#endif
