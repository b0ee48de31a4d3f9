#include "level_check.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include "level.h"
#include "level_file.h"
#include "raw_level.h"
#include "portals.h"

namespace {

struct Reporter {
    LevelProblemCallback report;
    void* context;
    int count;
    LevelProblemCallback note;  // null: notes are not wanted
};

void Report(Reporter* r, const char* format, ...)
{
    char text[256];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    r->report(text, r->context);
    r->count++;
}

// The file's structure: a header, whole records, nothing after them.
// Returns false when the sectors cannot be looked at.
bool CheckStructure(const RawLevel& raw, Reporter* r)
{
    if (!raw.hasHeader) {
        Report(r, "truncated: %lu bytes, the header needs %d", static_cast<unsigned long>(raw.size),
               static_cast<int>(LEVEL_HEADER_SIZE));
        return false;
    }
    if (raw.version != LEVEL_VERSION)
        Report(r, "version %u, expected %d", raw.version, static_cast<int>(LEVEL_VERSION));
    if (raw.sectorCount > MAX_SECTORS) {
        Report(r, "%u sectors, more than %d", raw.sectorCount, static_cast<int>(MAX_SECTORS));
        return false;
    }
    if (raw.size < raw.claimedSize) {
        Report(r, "truncated: %lu bytes, %u sectors and %u portals need %lu", static_cast<unsigned long>(raw.size),
               raw.sectorCount, raw.portalCount, static_cast<unsigned long>(raw.claimedSize));
    } else if (raw.size > raw.claimedSize) {
        unsigned long long extra = raw.size - raw.claimedSize;
        Report(r, "%llu trailing byte%s after the portals", extra, extra == 1 ? "" : "s");
    }
    return raw.sectorsPresent == raw.sectorCount;
}

void CheckSectors(const Level& level, Reporter* r)
{
    for (int i = 0; i < level.sectorCount; i++) {
        const Sector& s = level.sectors[i];
        if (s.right <= s.left || s.bottom <= s.top)
            Report(r, "sector %d: empty rectangle, left %u top %u right %u bottom %u", i, s.left, s.top, s.right,
                   s.bottom);
        if (s.floorHeight > s.ceilingHeight)
            Report(r, "sector %d: floor %u above ceiling %u", i, s.floorHeight, s.ceilingHeight);
    }
    for (int i = 0; i < level.sectorCount; i++) {
        for (int j = i + 1; j < level.sectorCount; j++) {
            if (SectorsIntersect(&level.sectors[i], &level.sectors[j]))
                Report(r, "sectors %d and %d intersect", i, j);
        }
    }
    // A level without sectors, as a fresh level is saved, has nowhere to start yet.
    if (level.sectorCount > 0 && FindSectorAt(&level, level.startX, level.startY) == NO_SECTOR)
        Report(r, "start cell (%u, %u) lies in no sector", level.startX, level.startY);
}

void DescribePortal(const Portal* p, char* text, size_t size)
{
    if (p)
        snprintf(text, size, "{%u, %u, %u, %u, %u}", p->offsetX, p->offsetY, p->length, p->sector, p->twin);
    else
        snprintf(text, size, "none");
}

// The stored portals against those the builder derives from the sectors,
// whose table is built already. A table as earlier builders made it, with
// the one-sided span test, is no problem: it only lacks edges, which
// `vrktool portals` adds.
void CheckPortals(const RawLevel& raw, const Level* level, Reporter* r)
{
    long first = FindPortalDifference(raw, *level);
    if (first < 0)
        return;
    static Level oneSided;  // the same sectors, with the table earlier builders made
    oneSided = *level;
    BuildOneSidedPortals(&oneSided);
    size_t stored = raw.portalCount;
    size_t derived = level->portalCount;
    if (FindPortalDifference(raw, oneSided) < 0) {
        if (r->note) {
            char text[256];
            snprintf(text, sizeof text, "note: the portals follow the one-sided rule of older levels, %lu stored, "
                                        "%lu derived; vrktool portals adds the missing edges",
                     static_cast<unsigned long>(stored),
                     static_cast<unsigned long>(derived));
            r->note(text, r->context);
        }
        return;
    }
    size_t i = static_cast<size_t>(first);
    Portal have = i < stored ? GetRawPortal(raw, i) : Portal();
    char haveText[64], wantText[64];
    DescribePortal(i < stored ? &have : nullptr, haveText, sizeof haveText);
    DescribePortal(i < derived ? &level->portals[i] : nullptr, wantText, sizeof wantText);
    Report(r, "stored portals differ from the derived ones: %lu stored, %lu derived, first at portal %lu: "
              "stored %s, derived %s",
           static_cast<unsigned long>(stored), static_cast<unsigned long>(derived),
           static_cast<unsigned long>(i), haveText, wantText);
}

}  // namespace

long FindPortalDifference(const RawLevel& raw, const Level& level)
{
    size_t stored = raw.portalCount;
    size_t derived = level.portalCount;
    for (size_t i = 0; i < stored || i < derived; i++) {
        Portal have = i < stored ? GetRawPortal(raw, i) : Portal();
        if (i >= stored || i >= derived || memcmp(&have, &level.portals[i], sizeof have) != 0)
            return static_cast<long>(i);
    }
    return -1;
}

int CheckLevelBytes(const unsigned char* bytes, size_t size, LevelProblemCallback report, void* context)
{
    return CheckLevelFile(bytes, size, size, report, context);
}

int CheckLevelFile(const unsigned char* bytes, size_t available, uint64_t fileSize, LevelProblemCallback report,
                   void* context, LevelProblemCallback note)
{
    Reporter r = {report, context, 0, note};
    RawLevel raw;
    ReadRawLevel(bytes, available, fileSize, &raw);
    if (!CheckStructure(raw, &r))
        return r.count;

    Level level = NewLevel();
    level.startX = static_cast<uint16_t>(raw.startX);
    level.startY = static_cast<uint16_t>(raw.startY);
    level.sectorCount = static_cast<uint16_t>(raw.sectorCount);
    for (size_t i = 0; i < raw.sectorCount; i++)
        level.sectors[i] = GetRawSector(raw, i);
    CheckSectors(level, &r);
    // The editor warns when it saves such a level; the engine gets a level
    // with edges that have no portals.
    int leftOut = BuildPortals(&level);
    if (leftOut == 1)
        Report(&r, "1 shared edge does not fit the portal table");
    else if (leftOut > 1)
        Report(&r, "%d shared edges do not fit the portal table", leftOut);
    if (raw.portalsPresent == raw.portalCount)
        CheckPortals(raw, &level, &r);
    return r.count;
}
