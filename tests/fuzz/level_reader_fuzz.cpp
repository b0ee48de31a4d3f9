// Hands arbitrary bytes to the level reader, through memory and through a
// real file, and to the checks of `vrktool check`; then builds portals and
// saves, checking at each step what a user or the engine could observe: the
// level after a refused file, the warnings, the bytes written back, the
// portal pairs, and that the checker finds no fault in what the editor saves.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "fuzz_check.h"
#include "fuzz_files.h"
#include "level.h"
#include "level_check.h"
#include "level_file.h"
#include "portals.h"
#include "structural_problem.h"

namespace {

int g_versionWarnings;   // "Expected map version ..." seen during one input
int g_tooManyWarnings;   // "Map contains too many sectors." seen during one input
Level g_previous;        // the level a refused file must leave untouched

void CountWarning(const char* text)
{
    if (strncmp(text, "Expected map version 2, file is version ", 40) == 0)
        g_versionWarnings++;
    else if (strcmp(text, "Map contains too many sectors.") == 0)
        g_tooManyWarnings++;
    else
        FUZZ_FAIL("unexpected warning text \"%s\"", text);
}

unsigned U16At(const uint8_t* bytes)
{
    return bytes[0] | bytes[1] << 8;
}

// A level with content in every field, so that a reader which touches it
// before refusing a file shows up in the comparison.
Level MakePreviousLevel()
{
    Level level = NewLevel();
    level.version = 7;
    level.startX = 11;
    level.startY = 12;
    for (int i = 0; i < MAX_SECTORS; i++) {
        Sector& s = level.sectors[i];
        s.left = static_cast<uint16_t>(i);
        s.top = static_cast<uint16_t>(i * 3);
        s.right = static_cast<uint16_t>(i + 1);
        s.bottom = static_cast<uint16_t>(i * 3 + 2);
        s.floorHeight = static_cast<uint8_t>(i);
        s.ceilingHeight = static_cast<uint8_t>(255 - i);
    }
    level.sectorCount = 3;
    level.portalCount = 2;
    level.portals[0] = Portal{1, 2, 3, 0, 1};
    level.portals[1] = Portal{4, 5, 3, 1, 0};
    level.modified = 1;
    return level;
}

// Everything but the file name, which the callers compare themselves.
bool SameContents(const Level& a, const Level& b)
{
    return a.version == b.version && a.startX == b.startX && a.startY == b.startY &&
           a.sectorCount == b.sectorCount && a.portalCount == b.portalCount &&
           memcmp(a.sectors, b.sectors, sizeof a.sectors) == 0 &&
           memcmp(a.portals, b.portals, sizeof a.portals) == 0 && a.modified == b.modified;
}

// What the file claims, decoded here on its own so the reader has something
// independent to agree with.
struct Claim {
    bool acceptable;
    unsigned version;
    unsigned sectorCount;
};

Claim ReadClaim(const uint8_t* data, size_t size)
{
    Claim claim = {false, 0, 0};
    if (size < LEVEL_HEADER_SIZE)
        return claim;
    claim.version = data[0];
    claim.sectorCount = U16At(data + 5);
    claim.acceptable = claim.sectorCount <= MAX_SECTORS &&
                       size >= LEVEL_HEADER_SIZE + LEVEL_RECORD_SIZE * claim.sectorCount;
    return claim;
}

void CheckWarnings(const Claim& claim, size_t size, const char* step)
{
    int expectVersion = size >= LEVEL_HEADER_SIZE && claim.version != LEVEL_VERSION ? 1 : 0;
    int expectTooMany = size >= LEVEL_HEADER_SIZE && claim.sectorCount > MAX_SECTORS ? 1 : 0;
    FUZZ_CHECK(g_versionWarnings == expectVersion, "%s: version warnings expected %d, got %d", step,
               expectVersion, g_versionWarnings);
    FUZZ_CHECK(g_tooManyWarnings == expectTooMany, "%s: too-many warnings expected %d, got %d", step,
               expectTooMany, g_tooManyWarnings);
    g_versionWarnings = 0;
    g_tooManyWarnings = 0;
}

// A parsed level holds the file's header and records, field for field.
void CheckParsed(const Level& level, const uint8_t* data)
{
    FUZZ_CHECK(level.version == data[0], "version: expected %u, got %u", data[0], level.version);
    FUZZ_CHECK(level.startX == U16At(data + 1), "startX: expected %u, got %u", U16At(data + 1), level.startX);
    FUZZ_CHECK(level.startY == U16At(data + 3), "startY: expected %u, got %u", U16At(data + 3), level.startY);
    FUZZ_CHECK(level.portalCount == 0, "portalCount after a read: expected 0, got %u", level.portalCount);
    for (unsigned i = 0; i < level.sectorCount; i++) {
        const uint8_t* r = data + LEVEL_HEADER_SIZE + LEVEL_RECORD_SIZE * i;
        const Sector& s = level.sectors[i];
        bool same = s.left == U16At(r) && s.top == U16At(r + 2) && s.right == U16At(r + 4) &&
                    s.bottom == U16At(r + 6) && s.floorHeight == r[8] && s.ceilingHeight == r[9];
        FUZZ_CHECK(same, "sector %u differs from its record", i);
    }
}

// Written back, the level is the file's header and sectors with no portals.
void CheckSerialized(const Level& level, const uint8_t* data)
{
    size_t expected = LEVEL_HEADER_SIZE + LEVEL_RECORD_SIZE * static_cast<size_t>(level.sectorCount);
    static unsigned char out[LEVEL_HEADER_SIZE + LEVEL_RECORD_SIZE * (MAX_SECTORS + MAX_PORTALS)];
    size_t size = SerializeLevel(&level, out, sizeof out);
    FUZZ_CHECK(size == expected, "serialized size: expected %zu, got %zu", expected, size);
    FUZZ_CHECK(memcmp(out, data, 7) == 0, "serialized header differs from the file's");
    FUZZ_CHECK(out[7] == 0 && out[8] == 0, "serialized portal count: expected 0, got %u", U16At(out + 7));
    FUZZ_CHECK(memcmp(out + LEVEL_HEADER_SIZE, data + LEVEL_HEADER_SIZE, size - LEVEL_HEADER_SIZE) == 0,
               "serialized sectors differ from the file's");

    // Asked with too small a buffer it says how much it needs and writes nothing.
    memset(out, 0xA5, sizeof out);
    size_t need = SerializeLevel(&level, out, size - 1);
    FUZZ_CHECK(need == size, "size asked with a short buffer: expected %zu, got %zu", size, need);
    FUZZ_CHECK(out[0] == 0xA5 && out[size - 2] == 0xA5, "SerializeLevel wrote into a short buffer");
}

// Two ranges share a stretch of positive length.
bool Share(unsigned aStart, unsigned aEnd, unsigned bStart, unsigned bEnd)
{
    unsigned start = aStart > bStart ? aStart : bStart;
    unsigned end = aEnd < bEnd ? aEnd : bEnd;
    return start < end;
}

bool Touch(const Sector& a, const Sector& b)
{
    bool columns = Share(a.left, a.right, b.left, b.right);
    bool rows = Share(a.top, a.bottom, b.top, b.bottom);
    return ((a.top == b.bottom || a.bottom == b.top) && columns) ||
           ((a.left == b.right || a.right == b.left) && rows);
}

// Every pair of sectors that shares an edge gets one pair of portals, from
// the lower slot's side, until the table is full.
void CheckPortals(Level* level)
{
    Sector sectorsBefore[MAX_SECTORS];
    memcpy(sectorsBefore, level->sectors, sizeof sectorsBefore);
    int leftOut = BuildPortals(level);

    int touching = 0;
    for (int i = 0; i < level->sectorCount; i++)
        for (int j = i + 1; j < level->sectorCount; j++)
            touching += Touch(level->sectors[i], level->sectors[j]) ? 1 : 0;
    int stored = touching < MAX_SHARED_EDGES ? touching : MAX_SHARED_EDGES;
    FUZZ_CHECK(level->portalCount == 2 * stored, "portalCount: expected %d, got %u", 2 * stored,
               level->portalCount);
    FUZZ_CHECK(leftOut == touching - stored, "edges left out: expected %d, got %d", touching - stored, leftOut);
    FUZZ_CHECK(memcmp(sectorsBefore, level->sectors, sizeof sectorsBefore) == 0, "BuildPortals changed a sector");

    for (int m = 0; m < level->portalCount; m += 2) {
        const Portal& a = level->portals[m];
        const Portal& b = level->portals[m + 1];
        FUZZ_CHECK(a.twin == m + 1 && b.twin == m, "portal %d: twins %u/%u", m, a.twin, b.twin);
        FUZZ_CHECK(a.sector < b.sector && b.sector < level->sectorCount, "portal %d: sectors %u, %u of %u", m,
                   a.sector, b.sector, level->sectorCount);
        FUZZ_CHECK(a.length == b.length && a.length > 0, "portal %d: lengths %u/%u", m, a.length, b.length);
        const Sector& sa = level->sectors[a.sector];
        const Sector& sb = level->sectors[b.sector];
        FUZZ_CHECK(Touch(sa, sb), "portal %d joins sectors %u and %u, which share no edge", m, a.sector, b.sector);
        FUZZ_CHECK(static_cast<uint16_t>(sa.left + a.offsetX) == static_cast<uint16_t>(sb.left + b.offsetX) &&
                       static_cast<uint16_t>(sa.top + a.offsetY) == static_cast<uint16_t>(sb.top + b.offsetY),
                   "portal %d: the twins start at different corners", m);
    }

    Portal first[MAX_PORTALS];
    memcpy(first, level->portals, sizeof first);
    int count = level->portalCount;
    BuildPortals(level);
    FUZZ_CHECK(level->portalCount == count && memcmp(first, level->portals, sizeof(Portal) * count) == 0,
               "a second BuildPortals gave another table");
}

// Through a real file: the same outcome as from memory, and on success the
// remembered path and a cleared modified flag.
void CheckLoadFromFile(const uint8_t* data, size_t size, const Claim& claim, const Level& parsed)
{
    const char* path = WriteFuzzInput(data, size);
    Level level = g_previous;
    level.fileName = nullptr;
    int result = LoadLevel(&level, path);
    CheckWarnings(claim, size, "LoadLevel");
    FUZZ_CHECK(result == (claim.acceptable ? 0 : -1), "LoadLevel: expected %d, got %d", claim.acceptable ? 0 : -1,
               result);
    if (result != 0) {
        FUZZ_CHECK(SameContents(level, g_previous) && level.fileName == nullptr,
                   "a refused file changed the level");
        return;
    }
    FUZZ_CHECK(level.fileName && strcmp(level.fileName, path) == 0, "LoadLevel did not remember the path");
    FUZZ_CHECK(level.modified == 0, "modified after a load: expected 0, got %d", level.modified);
    Level expected = parsed;
    expected.modified = 0;
    FUZZ_CHECK(SameContents(level, expected), "LoadLevel and ParseLevel disagree");
    FreeLevel(&level);
}

// What `vrktool check` said about one file image.
struct CheckerFindings {
    int count;
    int structural;  // a cut-short file, trailing bytes, too many sectors, stale portals
};

void CollectProblem(const char* problem, void* context)
{
    CheckerFindings* findings = static_cast<CheckerFindings*>(context);
    size_t length = strlen(problem);
    FUZZ_CHECK(length > 0 && length < 256, "a problem line of %zu characters", length);
    findings->count++;
    if (IsStructuralProblem(problem))
        findings->structural++;
}

CheckerFindings RunChecker(const uint8_t* data, size_t size)
{
    CheckerFindings findings = {0, 0};
    int count = CheckLevelBytes(data, size, CollectProblem, &findings);
    FUZZ_CHECK(count == findings.count, "CheckLevelBytes: returned %d, reported %d", count, findings.count);
    return findings;
}

// Any file the reader refuses is one the checker finds fault with.
void CheckCheckerAgrees(const uint8_t* data, size_t size, const Claim& claim)
{
    CheckerFindings findings = RunChecker(data, size);
    if (!claim.acceptable)
        FUZZ_CHECK(findings.structural > 0, "a file the reader refuses passes the structural checks");
}

// Saved after the portals are built, the file holds exactly the serialized
// level and reads back to the same sectors.
void CheckSave(Level* level)
{
    const char* path = FuzzSavePath();
    level->modified = 1;
    FUZZ_CHECK(SaveLevel(level, path) == 0, "SaveLevel to a good place failed");
    FUZZ_CHECK(level->modified == 0 && level->fileName && strcmp(level->fileName, path) == 0,
               "SaveLevel did not remember the path or clear modified");
    static unsigned char expected[LEVEL_HEADER_SIZE + LEVEL_RECORD_SIZE * (MAX_SECTORS + MAX_PORTALS)];
    size_t size = SerializeLevel(level, expected, sizeof expected);
    std::string written = ReadWholeFile(path);
    FUZZ_CHECK(written.size() == size && memcmp(written.data(), expected, size) == 0,
               "saved file: expected %zu serialized bytes, got %zu different ones", size, written.size());
    Level back = NewLevel();
    FUZZ_CHECK(ParseLevel(&back, expected, size) == 0, "a saved level does not read back");
    FUZZ_CHECK(back.sectorCount == level->sectorCount &&
                   memcmp(back.sectors, level->sectors, sizeof(Sector) * back.sectorCount) == 0,
               "a saved level reads back with other sectors");
    // What the editor writes is whole: right length, counts, current portals.
    CheckerFindings findings = RunChecker(expected, size);
    FUZZ_CHECK(findings.structural == 0, "the checker finds %d structural faults in a saved level",
               findings.structural);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    g_previous = MakePreviousLevel();
    SetLevelWarningHook(CountWarning);
    PrepareFuzzFiles();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Claim claim = ReadClaim(data, size);
    g_versionWarnings = 0;
    g_tooManyWarnings = 0;

    Level level = g_previous;
    level.fileName = nullptr;
    int result = ParseLevel(&level, data, size);
    CheckWarnings(claim, size, "ParseLevel");
    FUZZ_CHECK(result == (claim.acceptable ? 0 : -1), "ParseLevel: expected %d, got %d", claim.acceptable ? 0 : -1,
               result);
    if (result != 0) {
        FUZZ_CHECK(SameContents(level, g_previous) && level.fileName == nullptr, "a refused image changed the level");
    } else {
        FUZZ_CHECK(level.sectorCount == claim.sectorCount, "sectorCount: expected %u, got %u", claim.sectorCount,
                   level.sectorCount);
        FUZZ_CHECK(level.modified == g_previous.modified && level.fileName == nullptr,
                   "ParseLevel touched modified or the file name");
        CheckParsed(level, data);
        CheckSerialized(level, data);
    }

    CheckLoadFromFile(data, size, claim, level);
    CheckCheckerAgrees(data, size, claim);

    if (result == 0) {
        CheckPortals(&level);
        CheckSave(&level);
        FreeLevel(&level);
    }
    return 0;
}
