// Whole files read and written, and temporary folders that tests work in.
#ifndef QUILLMARCH_TEST_FILES_H
#define QUILLMARCH_TEST_FILES_H

#include <string>
#include <vector>

#include "bytes.h"

// The whole file; empty when it cannot be read. `read`, when given, tells a
// missing or unreadable file from an empty one.
Bytes ReadFileBytes(const std::string& path, bool* read = nullptr);
bool WriteFileBytes(const std::string& path, const Bytes& bytes);
bool FileExists(const std::string& path);

// A fresh, empty folder in the system's temporary folder (empty when none
// could be made), and its removal with everything in it, read-only files
// and folders nested past the usual path length included.
std::string CreateTempFolder();
void RemoveFolderTree(const std::string& folder);
// The names in a folder, sorted; sub-folders only when asked for.
std::vector<std::string> ListFolder(const std::string& folder, bool withFolders);
// "folder\name" under Windows, "folder/name" elsewhere.
std::string JoinPath(const std::string& folder, const std::string& name);

// A temporary folder for the life of the object.
class ScratchFolder {
public:
    ScratchFolder() : root_(CreateTempFolder()) {}
    ~ScratchFolder() { RemoveFolderTree(root_); }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::string Path(const std::string& name) const { return JoinPath(root_, name); }
    // Names of the files and folders it holds, sorted.
    std::vector<std::string> Names() const { return ListFolder(root_, true); }
    const std::string& Root() const { return root_; }

private:
    std::string root_;
};

#endif
