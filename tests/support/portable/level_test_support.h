// Helpers of the level and vrktool tests: snapshots that tell whether a level
// was left exactly as it was, the reader's warnings caught, a FIFO that feeds
// a reader, and a brick layout of touching sectors. Bytes, sectors, files and
// folders come from the shared test support.
#ifndef QUILLMARCH_LEVEL_TEST_SUPPORT_H
#define QUILLMARCH_LEVEL_TEST_SUPPORT_H

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "bytes.h"
#include "files.h"
#include "level.h"
#include "sectors.h"

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
