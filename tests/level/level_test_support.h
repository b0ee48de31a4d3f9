// Helpers shared by the level tests: sectors, file bytes, scratch folders
// and snapshots that tell whether a level was left exactly as it was.
#ifndef QUILLMARCH_LEVEL_TEST_SUPPORT_H
#define QUILLMARCH_LEVEL_TEST_SUPPORT_H

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "level.h"

typedef std::vector<unsigned char> Bytes;

Sector MakeSector(int left, int top, int right, int bottom, int floorHeight = 128, int ceilingHeight = 132);

// "[l, r) x [t, b) floor/ceiling" for failure messages.
std::string DescribeSector(const Sector& s);
std::string DescribePortal(const Portal& p);
// "02 00 00 ..." for failure messages.
std::string HexBytes(const Bytes& bytes);

Bytes ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const Bytes& bytes);
bool FileExists(const std::string& path);

// A fresh empty folder in the system's temporary folder, removed with all it
// holds when the object goes.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    std::string Path(const std::string& name) const;
    // Names of the files it holds, sorted.
    std::vector<std::string> Names() const;
    const std::string& Root() const { return root_; }

private:
    std::string root_;
};

// Every byte of a Level record and the text of its file name, taken before
// an operation that must leave the level as it was.
struct LevelSnapshot {
    std::vector<unsigned char> record;
    bool hasName;
    std::string name;
};
LevelSnapshot TakeSnapshot(const Level& level);
// Empty when the level still matches the snapshot, else what changed.
std::string DescribeChange(const LevelSnapshot& before, const Level& after);

// Warnings the reader reported through the hook while one of these lives.
class WarningCapture {
public:
    WarningCapture();
    ~WarningCapture();
    const std::vector<std::string>& Texts() const;
};

#ifndef _WIN32
// A FIFO made at path, and a writer that feeds it bytes once, as soon as
// something opens it for reading, then closes it. A reader that waits for a
// writer thus gets the bytes and ends instead of hanging the test; a reader
// that does not wait never sees them. The writer gives up when destroyed.
class FifoFeeder {
public:
    FifoFeeder(const std::string& path, const Bytes& bytes);
    ~FifoFeeder();
    bool Made() const { return made_; }

private:
    bool made_;
    std::atomic<bool> stop_;
    std::thread writer_;
};
#endif

// A level whose sectors touch in a brick pattern: rows of two-cell bricks,
// every other row shifted by one cell. count sectors, at most MAX_SECTORS.
void FillBrickLayout(Level* level, int count);

#endif
