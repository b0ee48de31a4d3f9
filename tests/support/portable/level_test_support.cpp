#include "level_test_support.h"

#include <stdio.h>
#include <string.h>

#include <chrono>

#include "level_file.h"

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

LevelSnapshot TakeSnapshot(const Level& level)
{
    LevelSnapshot snapshot;
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(&level);
    snapshot.record.assign(bytes, bytes + sizeof level);
    snapshot.hasName = level.fileName != nullptr;
    snapshot.name = level.fileName ? level.fileName : "";
    return snapshot;
}

std::string DescribeChange(const LevelSnapshot& before, const Level& after)
{
    Level old;
    memcpy(&old, before.record.data(), sizeof old);
    char text[160];
    if (old.version != after.version || old.startX != after.startX || old.startY != after.startY ||
        old.sectorCount != after.sectorCount || old.portalCount != after.portalCount) {
        snprintf(text, sizeof text,
                 "header: expected version %u start (%u, %u) counts %u/%u, got %u (%u, %u) %u/%u",
                 old.version, old.startX, old.startY, old.sectorCount, old.portalCount, after.version,
                 after.startX, after.startY, after.sectorCount, after.portalCount);
        return text;
    }
    for (int i = 0; i < MAX_SECTORS; i++) {
        if (memcmp(&old.sectors[i], &after.sectors[i], sizeof(Sector)) != 0)
            return "sector slot " + std::to_string(i) + ": expected " + DescribeSector(old.sectors[i]) +
                   ", got " + DescribeSector(after.sectors[i]);
    }
    for (int i = 0; i < MAX_PORTALS; i++) {
        if (memcmp(&old.portals[i], &after.portals[i], sizeof(Portal)) != 0)
            return "portal slot " + std::to_string(i) + ": expected " + DescribePortal(old.portals[i]) +
                   ", got " + DescribePortal(after.portals[i]);
    }
    if (old.fileName != after.fileName)
        return "fileName: the pointer was replaced";
    if (before.hasName && before.name != after.fileName)
        return "fileName: expected \"" + before.name + "\", got \"" + after.fileName + "\"";
    if (old.modified != after.modified)
        return "modified: expected " + std::to_string(old.modified) + ", got " + std::to_string(after.modified);
    if (memcmp(before.record.data(), &after, sizeof after) != 0)
        return "some other byte of the record changed";
    return "";
}

namespace {

std::vector<std::string> g_capturedWarnings;  // what the hook received

void CaptureWarning(LevelWarning, const char* text)
{
    g_capturedWarnings.push_back(text);
}

}  // namespace

WarningCapture::WarningCapture()
{
    g_capturedWarnings.clear();
    SetLevelWarningHook(CaptureWarning);
}

WarningCapture::~WarningCapture()
{
    SetLevelWarningHook(nullptr);
}

const std::vector<std::string>& WarningCapture::Texts() const
{
    return g_capturedWarnings;
}

void FillBrickLayout(Level* level, int count)
{
    *level = NewLevel();
    const int perRow = 16;
    if (count > MAX_SECTORS)
        count = MAX_SECTORS;
    for (int i = 0; i < count; i++) {
        int row = i / perRow;
        int left = 1 + 2 * (i % perRow) + row % 2;
        level->sectors[i] = MakeSector(left, 1 + row, left + 2, 2 + row, 100 + row, 140 + row);
    }
    level->sectorCount = static_cast<uint16_t>(count);
}

#ifndef _WIN32
FifoFeeder::FifoFeeder(const std::string& path, const Bytes& bytes)
    : made_(mkfifo(path.c_str(), 0644) == 0), stop_(false)
{
    // A reader that closes before the bytes arrive must not end the test.
    signal(SIGPIPE, SIG_IGN);
    writer_ = std::thread([this, path, bytes] {
        // Opening for writing without waiting succeeds only once a reader is there.
        for (int tries = 0; tries < 12000 && !stop_; tries++) {
            int fd = open(path.c_str(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) {
                ssize_t put = write(fd, bytes.data(), bytes.size());
                (void)put;
                close(fd);
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
}

FifoFeeder::~FifoFeeder()
{
    stop_ = true;
    writer_.join();
}
#endif
